// The axis grid: locks, data link and editing protocol.
#pragma once

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "platform/db/DB.h"
#include "DBAxisGridsEh_Bars.h"
#include "DBAxisGridsEh_DrawTypes.h"

#include <vector>

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;
class TAxisBarDefValuesEh;
class TAxisBarsEhList;
class TAxisColCellParamsEh;
class TControlBorderEh;
class TDBAxisGridEhCenter;
class TDBAxisGridInplaceEdit;
class TEditButtonsBoxEh;
class TDynVarsEh;
class IMemTableEh;

// Deferred rebuild of the layout, posted to the grid's own window. Kept apart from the
// drop-down placement notice (WM_SIZEGRIPNOTIFY_EH), which a grid can also receive.
enum : UINT { WM_DEFERREDLAYOUT_EH = WM_USER + 110 };

// The highest number of mapped field positions of one grid.
inline constexpr int MaxMapSizeEh = 268435455;

enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;

enum TIncludeImageModuleEh { iimJpegImageModuleEh, iimGIFImageModuleEh, iimPNGImageModuleEh };
using TIncludeImageModulesEh = TSet<TIncludeImageModuleEh>;

enum TSortMarkerStyleEh { smstDefaultEh, smstClassicEh, smst3DFrameEh, smstFrameEh, smstSolidEh, smstThemeDefinedEh };

// Input-method settings (TImeMode, TImeName): platform/vcl/Controls.h, since bars use them too.

// A lookup field that takes its value through key fields counts as read-only only when all
// of its key fields are; any other field by its own ReadOnly.
bool IsFieldReadOnlyEh(TField* Field);

// ============================================================================================
// TAxisGridDataLinkEh: the grid's link to its dataset and the map from bar positions to fields
// ============================================================================================

class TAxisGridDataLinkEh : public TDataLink {
public:
    explicit TAxisGridDataLinkEh(TCustomDBAxisGridEh* AGrid);
    ~TAxisGridDataLinkEh() override;

    bool AddMapping(const QString& FieldName);
    void ClearMapping();
    void Modified() { FModified = true; }
    void Reset();

    TField* GetFields(int I) const;
    int GetMappedIndex(int I) const;
    int FieldCount() const { return FFieldCount; }
    // Whether a field object is one the map refers to (also while it is being freed).
    bool MapsField(const TComponent* Field) const;
    bool DefaultFields() const;
    bool SparseMap() const { return FSparseMap; }
    void SetSparseMap(bool Value) { FSparseMap = Value; }
    bool IsModified() const { return FModified; }
    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    TDataSetState LastDataSetState() const { return FLastDataSetState; }
    const TBookmark& LastBookmark() const { return FLastBookmark; }

    // The framework's entries, public so the grid and its tests can drive them.
    void UpdateData() override;
    void CheckBrowseMode() override;
    void DataEvent(TDataEvent Event, NativeInt Info) override { TDataLink::DataEvent(Event, Info); }
    void LayoutChanged() override;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void FocusControl(TField** Field) override;
    void EditingChanged() override;
    void RecordChanged(TField* Field) override;

    int FFieldCount = 0;
    std::vector<int> FFieldMap;
    std::vector<const TComponent*> FMappedFields;   // the field objects behind FFieldMap
    int FFieldMapSize = 0;
    TCustomDBAxisGridEh* FGrid;
    bool FInUpdateData = false;
    bool FSparseMap = false;
    bool FModified = false;
    TBookmark FLastBookmark;
    TDataSetState FLastDataSetState = dsInactive;

private:
    void StoreBookmark();
};

// ============================================================================================
// TCustomDBAxisGridEh
// ============================================================================================

class TCustomDBAxisGridEh : public TCustomGridEh, public IInplaceEditHolderEh {
    // ==== locks, data link and editing protocol ====
    DOV_PERSISTENT(TCustomDBAxisGridEh, TCustomGridEh)
public:
    explicit TCustomDBAxisGridEh(TComponent* AOwner);
    ~TCustomDBAxisGridEh() override;
    void AfterConstruction() override;

    // ---- locks ----
    void BeginUpdate();
    void EndUpdate();
    void BeginLayout();
    void EndLayout();
    bool TryBeginLayout();
    void EndLayoutNoNotify();
    void EndLayoutDeferred();
    virtual void LayoutChanged();
    void LockEditor() { ++FLockEditorCount; }
    void UnlockEditor() { --FLockEditorCount; }
    int UpdateLock() const { return FUpdateLock; }
    int LayoutLock() const { return FLayoutLock; }
    int LockEditorCount() const { return FLockEditorCount; }
    bool LayoutChangedInUpdateLock() const { return FLayoutChangedInUpdateLock; }
    bool LayoutFromDataset() const { return FLayoutFromDataset; }

    // ---- data source and fields ----
    TDataSource* DataSource() const;
    void SetDataSourceProp(TDataSource* Value) { SetDataSource(Value); }
    TAxisGridDataLinkEh* DataLink() const { return FDataLink; }
    int FieldCount() const;
    TField* GetFields(int I) const;
    bool ValidFieldIndex(int FieldIndex) const;
    bool DataSetActive() const;
    TAxisBarEh* FindFieldColumn(const QString& FieldName) const;
    TAxisBarEh* GetFieldAxisBars(const QString& FieldName) const;
    int SelectedIndex() { return GetSelectedIndex(); }
    void SetSelectedIndexProp(int Value) { SetSelectedIndex(Value); }
    TField* SelectedField();
    void SetSelectedField(TField* Value);
    TFont* TitleFont() { return GetTitleFont(); }
    void SetTitleFontProp(TFont* Value) { SetTitleFont(Value); }
    IMemTableEh* IntMemTable() const { return FIntMemTable; }
    bool HasIntMemTable() const { return FIntMemTable != nullptr; }

    // ---- properties ----
    TDBGridEhAllowedOperations AllowedOperations() const { return FAllowedOperations; }
    void SetAllowedOperations(TDBGridEhAllowedOperations Value);
    TGridAxisBarsEh* AxisBars() const { return FAxisBars; }
    void SetAxisBars(TGridAxisBarsEh* Value);
    TAxisBarDefValuesEh* AxisBarDefValues() const { return FColumnDefValues; }
    void SetAxisBarDefValues(TAxisBarDefValuesEh* Value);
    TDynVarsEh* DynProps() const { return FDynProps; }
    void SetDynProps(TDynVarsEh* Value);
    TControlBorderEh* Border() const { return FBorder; }
    void SetBorder(TControlBorderEh* Value);
    TIncludeImageModulesEh IncludeImageModules() const { return FIncludeImageModules; }
    void SetIncludeImageModules(TIncludeImageModulesEh Value) { FIncludeImageModules = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    bool DrawMemoText() const { return FDrawMemoText; }
    void SetDrawMemoText(bool Value);
    bool DrawGraphicData() const { return FDrawGraphicData; }
    void SetDrawGraphicData(bool Value);
    bool AllowWordWrap() const { return FAllowWordWrap; }
    void SetAllowWordWrap(bool Value) { FAllowWordWrap = Value; }
    bool AcquireFocusFlag() const { return FAcquireFocus; }
    void SetAcquireFocusFlag(bool Value) { FAcquireFocus = Value; }
    int Interlinear() const { return FInterlinear; }
    int InplaceEditorButtonWidth() const { return FInplaceEditorButtonWidth; }
    int InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
    TAxisBarsEhList* VisibleAxisBars() const { return FVisibleAxisBars; }
    TAxisColCellParamsEh* ColCellParams() const { return FColCellParamsEh; }
    TFont* DummiFont() const { return FDummiFont; }
    QString EditText() const { return FEditText; }
    Variant EditKeyValue() const { return FEditKeyValue; }
    void SetEditKeyValue(const Variant& Value) { FEditKeyValue = Value; }
    TNotifyEvent OnEditButtonClick;
    TNotifyEvent OnTopLeftChanged;
    bool SelectionActive() const { return FSelectionActive; }

    // ---- timer 1 of the grid window ----
    void StartTimer(int Interval);
    void StopTimer();
    bool TimerActive() const { return FTimerActive; }
    int TimerInterval() const { return FTimerInterval; }

    // ---- other operations ----
    // The cell's rectangle without its lines.
    TRect CellRect(int ACol, int ARow) { return CellRectEx(ACol, ARow); }
    void Invalidate() override;
    bool IsMouseInRect(const TRect& ARect);
    bool InplaceEditorVisible();
    TGridOptionsEh GetGridOptions() const { return Options(); }
    void SetGridOptions(TGridOptionsEh Value) { SetOptions(Value); }
    static TDBAxisGridEhCenter* GetCenter();
    void SetFocus() override;

    // ---- editing protocol ----
    bool CanEditShow() override;
    bool CanEditAcceptKey(QChar Key) override;
    bool CanEditModify() override { return false; }
    int GetEditLimit(int ACol, int ARow) override;
    QString GetEditMask(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    void InvalidateEditor() override;
    TInplaceEdit* CreateEditor() override;
    void CurrentCellMoved(TGridCoord OldCurrent) override;
    void FlatChanged() override;
    void ScrollPositionChanged(int64_t OldHorzPos, int64_t OldVertPos) override;
    bool NeedBufferedPaint() override { return true; }

    // ---- IInplaceEditHolderEh ----
    bool InplaceEditorCanModify(TWinControl* Control) override;                              // 1
    void GetDownMousePosAndTime(TPoint& Pos, int& Time) override;                            // 2
    void InplaceEditorKeyDown(TWinControl* Control, Word& Key, TShiftState Shift) override;  // 3
    void InplaceEditorKeyPress(TWinControl* Control, QChar& Key) override;                   // 4
    void InplaceEditorKeyUp(TWinControl* Control, Word& Key, TShiftState Shift) override;    // 5
    bool InplaceEditorWndProc(TWinControl* Control, TMessage& Message) override;             // 6

    // ---- the grid's own virtual operations, in slot order ----
    virtual bool AcquireFocus();                                                             // 7
    virtual bool DataEditAllowed();                                                          // 8
    virtual bool CanEditAxisBar(int Index);                                                  // 9
    virtual bool CanEditModifyData();                                                        // 10
    virtual bool IsAlwaysShowEditor();                                                       // 11
    virtual bool CellHave3DFrame(int ACol, int ARow, TGridDrawState State, const TRect& ARect);  // 12
    virtual TAxisBarDefValuesEh* CreateAxisBarDefValues();                                   // 13
    virtual TGridAxisBarsEh* CreateAxisBars();                                               // 14
    virtual TSortMarkerStyleEh GetSortMarkerStyle();                                         // 16
    virtual bool GetSelectionActive();                                                       // 17
    virtual void AxisBarRemoving(TAxisBarEh* Bar);                                           // 18
    virtual void DataChanged();                                                              // 19
    virtual void DefineFieldMap();                                                           // 20
    virtual void EditButtonClick();                                                          // 24
    virtual void GetCellParams(TAxisBarEh* Bar, TFont* AFont, TColor& Background, TGridDrawState& State);  // 25
    virtual void GetBarFieldList(std::vector<TField*>& List);                                // 26
    // 27: LayoutChanged (with the locks above)
    virtual void LinkActive(bool Value);                                                     // 28
    virtual void SelectionActiveChanged();                                                   // 29
    virtual void DataSetScrolled(int Distance);                                              // 30
    virtual void UpdateColWidths();                                                          // 31
    virtual void UpdateActiveRow();                                                          // 32
    virtual TAxisGridDataLinkEh* CreateDataLink();                                           // 33
    virtual TAxisColCellParamsEh* GetSharedColCellParams();                                  // 34
    virtual TAxisColCellParamsEh* CreateColCellParams();                                     // 35
    virtual void EditingChanged();                                                           // 36
    virtual void InternalLayout();                                                           // 37
    virtual void RecordChanged(TField* Field);                                               // 38
    virtual void UpdateIme();                                                                // 39
    virtual void GetAxisBarCurrentCell(TAxisBarEh* Bar, int& ACol, int& ARow);               // 40
    virtual int GetEditorTextIndent(TAxisBarEh* Bar);                                        // 41
    virtual int GetSelectedIndex();                                                          // 42
    virtual void SetSelectedIndex(int Value);                                                // 43
    virtual void SetDataSource(TDataSource* Value);                                          // 44
    virtual void SetTitleFont(TFont* Value);                                                 // 45
    virtual TFont* GetTitleFont();                                                           // 46
    virtual TAlignment GetDefaultTitleAlignment();                                           // 47
    virtual TColor GetDefaultTitleColor();                                                   // 48
    virtual TColor GetGrayHighlightColor();                                                  // 49
    virtual void UpdateImeProps();                                                           // 50
    virtual QString GetAxisBarsPropertyName();                                               // 51
    virtual bool IsFixed3D();                                                                // 52
    virtual void GetThemeTitleFillRect(TRect& ARect, bool IncVert, bool IncHorz);            // 53
    virtual bool IsCustomStyleActive();                                                      // 58
    virtual TAxisBarEh* GetTitleAxisBarAt(int X, int Y);                                     // 59
    virtual TWinControl* GetActiveDropDownListbox();                                         // 60
    virtual void ResetBarLookupValues(TAxisBarEh* Bar);                                      // 61
    virtual bool IsEditButtonsBoxVisible();                                                  // 62
    virtual TEditButtonsBoxEh* GetEditButtonsBox();                                          // 63
    virtual void CreateEditButtonControl(TEditButtonControlEh*& Control);                    // 64
    virtual void UpdateEditButtonsBox();                                                     // 65
    virtual void HideEditButtonsBox();                                                       // 66
    virtual int GetCellTreeElmentsAreaWidth();                                               // 70
    virtual void CancelEditing();                                                            // 72
    virtual void UpdateData();                                                               // 75

    // The deferred layout request as it arrives from the queue.
    void WMDeferredLayout(TMessage& Message);

protected:
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    void CMWantSpecialKey(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void CMSysColorChange(TMessage& M) override;
    // Own title, bar and bar title fonts follow a change of screen density.
    void ChangeScale(int M, int D) override;
    void DoEnter() override;
    void DoExit() override;

    // Posts one deferred layout request unless one already waits for the window.
    void PostDeferredLayout();
    void ReadAxisBars(TReader* Reader);
    void WriteAxisBars(TWriter* Writer);
    void ReadDesignInfo(TReader* Reader);
    bool BeingDestroyed() const;
    bool IsLoading() const;

    TDBGridEhAllowedOperations FAllowedOperations;
    TGridAxisBarsEh* FAxisBars = nullptr;
    TAxisColCellParamsEh* FColCellParamsEh = nullptr;
    TAxisBarDefValuesEh* FColumnDefValues = nullptr;
    TAxisGridDataLinkEh* FDataLink = nullptr;
    bool FDefaultDrawing = true;
    TFont* FDummiFont = nullptr;
    TDynVarsEh* FDynProps = nullptr;
    TIncludeImageModulesEh FIncludeImageModules;
    bool FLayoutChangedInUpdateLock = false;
    uint8_t FLayoutLock = 0;
    TImeMode FOriginalImeMode = imDontCare;
    TImeName FOriginalImeName;
    TImeMode FImeMode = imDontCare;
    TImeName FImeName;
    bool FReadOnly = false;
    uint8_t FUpdateLock = 0;
    bool FUserChange = true;
    bool FAcquireFocus = true;
    bool FAllowWordWrap = false;
    int FBorderWidth = 0;
    TPoint FDownMousePos;
    bool FDrawMemoText = false;
    bool FDrawGraphicData = false;
    int FInplaceEditorButtonHeight = 0;
    int FInplaceEditorButtonWidth = 0;
    IMemTableEh* FIntMemTable = nullptr;
    TPoint FMoveMousePos;
    TGridCoord FPressedCell{-1, -1};
    bool FSelectionActive = false;
    bool FTimerActive = false;
    int FTimerInterval = -1;
    TAxisBarsEhList* FVisibleAxisBars = nullptr;
    int FLockEditorCount = 0;
    TControlBorderEh* FBorder = nullptr;
    TFont* FHintFont = nullptr;
    TEditButtonsBoxEh* FEditButtonsBox = nullptr;
    int FInterlinear = 4;
    bool FCanvasHandleAllocated = false;
    bool FLayoutFromDataset = false;
    QString FEditText;
    Variant FEditKeyValue;
    int FDownMouseMessageTime = 0;

    friend class TAxisGridDataLinkEh;
    // ==== end of locks, data link and editing protocol ====



    // ==== data cell drawing, hints, line parameters, border and default actions ====
public:
    // ---- drawing services the data grid paints its cells with ----
    // Text in a cell rectangle, mirrored for a right-to-left grid.
    void WriteCellText(TAxisBarEh* Bar, TCanvas* ACanvas, bool SingleLine, int TextLeftMargin, int TextRightMargin,
                       bool EndEllipsis, bool WordWrap, TTextLayout Layout, TAlignment Alignment, const QString& Text,
                       int TopMargin, int LeftMargin, bool FillRect, const TRect& ARect);
    // A button-like control (the check box of a data cell), mirrored for a right-to-left grid.
    void CanvasDrawTextRTL(TCanvas* ACanvas, const TRect& ARect, TCheckBoxState State, bool Enabled, bool Pressed,
                           bool IsFlat, bool Hot, TDrawButtonControlStyleEh Style, TColor AColor);
    void DrawCellEdge(TCanvas* ACanvas, const TRect& ARect, bool IsFlat, bool RightSide, bool LeftSide,
                      bool Selected, bool Sunken);
    // One edit button inside a data cell; Transparency (percent) above 0 blends it over the cell.
    void PaintCellEditButton(TAxisBarEh* Bar, TCanvas* ACanvas, int ImageIndex, TCustomImageList* Images,
                             int Transparency, TBitmap* Glyph, TColor AColor, bool Active, bool IsFlat, bool Hot,
                             bool Pressed, const TRect& CellRect, const TRect& ButtonRect,
                             TEditButtonStyleEh ButtonStyle);
    // A new picture loaded from a blob field (empty for other fields).
    std::unique_ptr<TPicture> GetPictureFromBlob(TField* Field);
    virtual void FillCell(TGridCellFillStyleEh FillStyle, const TRect& ARect, TColor GradientColor, bool Focused,
                          bool Frame3D, const TRect& ClipRect, bool Selected, bool Hot);            // 22
    // The picture of the bar's blob field scaled into the rectangle, or the field's text.
    virtual void DrawGraphicFieldData(TAxisBarEh* Bar, const TRect& ARect, bool FillRect, TColor AColor);  // 23
    virtual TGridCellFillStyleEh GetFixedCellFillStyle();                                    // 15
    // Transparency in percent of the buttons painted in a data cell (0: opaque).
    virtual int GetEditButtonTransparency(int ACol, int ARow, TAxisColCellParamsEh* Params,
                                          const TRect& ARect);                                   // 54
    // A cell drawn empty, in the fixed colour.
    virtual void DrawBlankCell(int ACol, int ARow, const TRect& ARect, TGridDrawState State);  // 55
    // The colours of a custom style of the toolkit; none is active here: the arguments stay.
    virtual void GetStyleGradientColors(TColor& StartColor, TColor& EndColor);              // 56
    virtual void GetStyleElementColors(TColor& FaceColor, TColor& FontColor);               // 57
    // The default action of an edit button of the selected bar, by the center.
    virtual void EditButtonDefaultAction(TAxisBarEh* AxisBar, bool& Handled, bool IsMouseDown,
                                         TEditButtonControlEh* EditButtonControl, TEditButtonEh* EditButton,
                                         TWinControl* EditControl);                             // 67
    virtual void FormColumnSystemPopupMenu(TAxisBarEh* AxisBar, TPopupMenu* APopupMenu);       // 68
    // Fills the data cell's background; True when it did.
    virtual bool CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TAxisBarEh* Column, const TRect& AreaRect,
                                   TAxisColCellParamsEh* Params);                                // 69
    // Whether the cell is drawn highlighted; may change the colour and the font colour.
    virtual bool HighlightDataCellColor(int DataCol, int DataRow, const QString& Value, TGridDrawState State,
                                        TColor& AColor, TFont* AFont);                           // 71
    // The bar's display text in the cell, aligned by the bar, with a margin of 2 pixels.
    virtual void DefaultDrawDataCell(const TRect& ARect, TAxisBarEh* Bar, TGridDrawState State);  // 73
    // The data hint of a data cell: Params.CursorRect holds the cell on entry.
    virtual void DefaultFillDataHintShowInfo(TPoint CursorPos, TGridCoord Cell, TDBAxisGridDataHintParamsEh& Params,
                                             TAxisBarEh* AxisBar);                               // 74
    TGridLineColorsEh* CreateGridLineColors() override;
    // The line parameters the grid made (CreateGridLineColors).
    TDBAxisGridLineParamsEh* GridLineParams() const;

    // ---- border ----
    // Draws the self-drawn border on the window's context (the whole window, from (0, 0)).
    virtual void PaintBorder(HDC WindowDC);                                                  // 21
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    int BorderWidthDrawn() const { return FBorderWidth; }
    // The frame is recomputed after a border setting changed (window kept).
    void BorderFrameChanged();
    // The window is made again with the border's style.
    void RecreateBorderWnd();

protected:
    void CreateParams(TCreateParams& Params) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void UpdateBorderWidth();

    bool FCtl3D = true;

public:
    // ==== end of data cell drawing, hints, line parameters, border and default actions ====



    // ==== in-place editor and its drop-downs ====
    // The editor's lists write the chosen text and key straight into the edit state.
    friend class TDBAxisGridInplaceEdit;

    // ==== end of in-place editor and its drop-downs ====
};
