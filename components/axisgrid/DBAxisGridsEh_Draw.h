// Data cell drawing and hints; line parameters, border and the default edit-button actions.
#pragma once

#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Grid.h"
#include "DBAxisGridsEh_Inplace.h"
#include "platform/vcl/HintWindow.h"

// ============================================================================================
// Unit routines (DBAxisGridsEh_Draw.cpp)
// ============================================================================================

// Half way between the two colours, then 60% toward a light grey; Ungray pushes it away from
// grey again. Used by the grid style for its light tints.
TColor BlendColorsLight(TColor Color1, TColor Color2, bool Ungray);

// A snapshot of a font's look, to put it back later.
struct TFontDataEh {
    int Height = 0;
    TFontPitch Pitch = fpDefault;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    QString Name;
    TColor Color = clWindowText;
};
void AssignFontToFontData(TFont* Font, TFontDataEh& FontData);
// Sets only what differs, so an unchanged font sends no change notice.
void AssignFontDataToFont(const TFontDataEh& FontData, TFont* Font);

// Mirrors the canvas horizontally (right to left) or puts it back, through the mapping mode.
void SetCanvasRightToLeft(TCanvas* Canvas, bool RightToLeft, int Width, int Height);

// While it lives, a mirrored canvas draws unmirrored and the rectangle given is converted to
// where the mirrored drawing would have put it. Does nothing for a left-to-right grid.
class TUnmirroredScope {
public:
    TUnmirroredScope(TCanvas* Canvas, bool RightToLeft, TRect& ARect);
    ~TUnmirroredScope();
    TUnmirroredScope(const TUnmirroredScope&) = delete;
    TUnmirroredScope& operator=(const TUnmirroredScope&) = delete;
    bool Active() const { return FActive; }

private:
    TCanvas* FCanvas;
    bool FActive = false;
};

// The field's value as a 32-bit integer, or Default when the type or value does not fit.
int FieldAsInteger(TField* Field, int Default);

TGridRect GridRect(int Left, int Top, int Right, int Bottom);
[[noreturn]] void RaiseGridError(const QString& Message);
// Takes one posted message of that number for the window out of the queue; a quit request
// taken by mistake is posted again.
void KillMessage(HWND Wnd, UINT Msg);

// Draws nothing: measures Text as a cell of ARect would show it and answers True when it does
// not fit (hints and column-width fitting use it).
bool DrawGridText(UINT BiDiFlags, TCanvas* Canvas, int RightMargin, bool EndEllipsis, TAlignment Alignment,
                  int& TextHeight, int& TextWidth, bool SingleLine, bool WordWrap, const TRect& ARect,
                  const QString& Text, int Interlinear);

// The face of the main in-cell button of an edit style (its drawing style follows from it
// through EditButtonDrawStyleEh; the glyph style draws a frame with an image instead).
TEditButtonStyleEh EditStyleButtonStyleEh(TEditStyle Style);

// The size a picture is drawn at in a rectangle: shrunk proportionally when it is larger in
// either direction, its own size when it fits; an empty rectangle gets nothing.
TSize ScaledPictureSize(int PictureWidth, int PictureHeight, const TRect& ARect);

// The alpha a semi-transparent in-cell button is blended with (Transparency in percent).
int EditButtonAlphaEh(int Transparency);

// ============================================================================================
// Data hints (DBAxisGridsEh_Draw.cpp)
// ============================================================================================

// What a data hint shows and where; the data grid's hint parameters derive from it.
class TDBAxisGridDataHintParamsEh {
public:
    virtual ~TDBAxisGridDataHintParamsEh() = default;
    TPoint HintPos;            // client coordinates while the hint is computed
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TFont* HintFont = nullptr; // not owned
    TRect CursorRect;          // client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    QString HintStr;           // empty: no hint
};

// The hint window of data hints and of texts that do not fit: measures and paints with the
// font handed over as hint data.
class TGridToolTipsWindowEh : public THintWindow {
    DOV_PERSISTENT(TGridToolTipsWindowEh, THintWindow)
public:
    using THintWindow::THintWindow;
    TRect CalcHintRect(int MaxWidth, const QString& AHint, void* AData) override;
    void ActivateHintData(TRect Rect, const QString& AHint, void* AData) override;

protected:
    void Paint() override;
};

// ============================================================================================
// Line parameters (DBAxisGridsEh_Lines.cpp)
// ============================================================================================

enum TDBGridLinesColorSchemeEh { glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh };
DOV_ENUM_INFO(TDBGridLinesColorSchemeEh, glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh)
enum TDrawEmptySpaceStyle { dessNonEh, dessSolidEh, dessGradiendEh };
DOV_ENUM_INFO(TDrawEmptySpaceStyle, dessNonEh, dessSolidEh, dessGradiendEh)

// Which lines of the data area are drawn and in which colours. The defaults of the data lines
// and the colour scheme come from the grid's own options, so a descendant supplies them.
class TDBAxisGridLineParamsEh : public TGridLineColorsEh {
    DOV_PERSISTENT(TDBAxisGridLineParamsEh, TGridLineColorsEh)
public:
    explicit TDBAxisGridLineParamsEh(TCustomDBAxisGridEh* AGrid);

    TCustomDBAxisGridEh* Grid() const;

    virtual bool DefaultDataHorzLines();
    virtual bool DefaultDataVertLines();
    virtual void SetDataHorzLines(bool Value);
    virtual void SetDataHorzLinesStored(bool Value);
    virtual void SetDataVertLines(bool Value);
    virtual void SetDataVertLinesStored(bool Value);
    virtual void SetGridBoundaries(bool Value);
    virtual void SetColorScheme(TDBGridLinesColorSchemeEh Value);
    virtual void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value);
    virtual TDBGridLinesColorSchemeEh GetActualColorScheme();
    virtual TColor GetDataBoundaryColor();

    TColor GetDarkColor() override;
    TColor GetBrightColor() override;
    TColor GetVertAreaContraVertColor() override;

    bool DataHorzLines();
    bool DataHorzLinesStored() const { return FDataHorzLinesStored; }
    bool DataVertLines();
    bool DataVertLinesStored() const { return FDataVertLinesStored; }
    bool GridBoundaries() const { return FGridBoundaries; }
    TDBGridLinesColorSchemeEh ColorScheme() const { return FColorScheme; }
    TDrawEmptySpaceStyle VertEmptySpaceStyle() const { return FVertEmptySpaceStyle; }
    // The colour set by the user (clNone: derived); GetDataBoundaryColor gives the one drawn.
    TColor DataBoundaryColor() const { return FDataBoundaryColor; }
    void SetDataBoundaryColor(TColor Value);

    void Assign(TPersistent* Source) override;

protected:
    void InvalidateGrid();
    template <typename T> void SetAndInvalidate(T& Field, T Value)
    {
        if (Field == Value)
            return;
        Field = Value;
        InvalidateGrid();
    }

    TDBGridLinesColorSchemeEh FColorScheme = glcsDefaultEh;
    TColor FDataBoundaryColor = clNone;
    bool FDataHorzLines = false;
    bool FDataHorzLinesStored = false;
    bool FDataVertLines = false;
    bool FDataVertLinesStored = false;
    bool FGridBoundaries = false;
    TDrawEmptySpaceStyle FVertEmptySpaceStyle = dessGradiendEh;
};

// ============================================================================================
// The grid's window border (DBAxisGridsEh_Lines.cpp)
// ============================================================================================

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
DOV_ENUM_INFO(TEdgeBorder, ebLeft, ebTop, ebRight, ebBottom)
using TEdgeBorders = TSet<TEdgeBorder>;

// The grid's border, drawn by the grid itself (in a colour, on chosen edges) when the platform's
// own frame would not do.
class TControlBorderEh : public TPersistent {
    DOV_PERSISTENT(TControlBorderEh, TPersistent)
public:
    explicit TControlBorderEh(TCustomDBAxisGridEh* AGrid);

    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    bool Ctl3D() const;
    void SetCtl3D(bool Value);
    TBorderStyle Style() const;
    void SetStyle(TBorderStyle Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders Value);
    bool ExtendedDraw() const;
    void SetExtendedDraw(bool Value);
    bool ExtendedDrawStored() const { return FExtendedDrawStored; }
    void SetExtendedDrawStored(bool Value);
    // Flat grids draw their own border when it is 3-D, coloured or not on all four edges.
    bool DefaultExtendedDraw() const;

    void Assign(TPersistent* Source) override;

protected:
    void FrameChanged();
    void UpdateExtendedDraw();

    TCustomDBAxisGridEh* FGrid;
    TColor FColor = clNone;
    TEdgeBorders FEdgeBorders{ebLeft, ebTop, ebRight, ebBottom};
    bool FExtendedDraw = false;
    bool FExtendedDrawStored = false;
    bool FOldExtendedDraw = false;
};

// ============================================================================================
// Default actions of edit buttons and the system menu of a column (DBAxisGridsEh_Lines.cpp)
// ============================================================================================

// One process-wide instance carries out what an edit button without a handler of its own does.
class TDBAxisGridEhCenter : public TPersistent {
    DOV_PERSISTENT(TDBAxisGridEhCenter, TPersistent)
public:
    TDBAxisGridEhCenter() = default;

    virtual void Changed() {}
    virtual void EditButtonDefaultAction(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, bool& Handled,
                                         bool IsMouseDown, TEditButtonControlEh* EditButtonControl,
                                         TEditButtonEh* EditButton, TWinControl* EditControl);
    virtual void EditButtonDefaultActionForImage(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, bool& Handled,
                                                 bool IsMouseDown, TEditButtonControlEh* EditButtonControl,
                                                 TEditButtonEh* EditButton);
    virtual void EditButtonDefaultActionText(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, bool& Handled,
                                             bool IsMouseDown, TEditButtonControlEh* EditButtonControl,
                                             TEditButtonEh* EditButton, TWinControl* EditControl);
    virtual void FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                              TPopupMenu* APopupMenu);
    virtual void MenuItemCopy(TObject* Sender);
    virtual void MenuItemCut(TObject* Sender);
    virtual void MenuItemPaste(TObject* Sender);
    virtual void MenuItemDelete(TObject* Sender);
    virtual void MenuItemLoad(TObject* Sender);
    virtual void MenuItemSave(TObject* Sender);
};

// The process-wide center every axis grid reaches through GetCenter.
TDBAxisGridEhCenter* DBAxisGridEhDefaultCenter();

// A menu item that acts on one bar.
class TAxisBarEhMenuItem : public TMenuItemEh {
    DOV_PERSISTENT(TAxisBarEhMenuItem, TMenuItemEh)
public:
    explicit TAxisBarEhMenuItem(TComponent* AOwner) : TMenuItemEh(AOwner) {}
    TAxisBarEh* AxisBar = nullptr;
};

// The data grid's column collection: typed access to its columns.
class TBaseColumnsEh : public TGridAxisBarsEh {
    DOV_PERSISTENT(TBaseColumnsEh, TGridAxisBarsEh)
public:
    using TGridAxisBarsEh::TGridAxisBarsEh;
    TBaseColumnEh* GetColumn(int Index) const;
    // Assigns Value into the column at Index.
    void SetColumn(int Index, TBaseColumnEh* Value);
};

// ============================================================================================
// The unit's start-up and close-down
// ============================================================================================

DOV_DECLARE_EXCEPTION(EOutOfResources, Exception);

// Cursor ids of the data grid's selection arrows (loaded at start-up).
constexpr TCursor crDownArrowEh = 101;
constexpr TCursor crRightArrowEh = 102;
constexpr TCursor crLeftArrowEh = 103;

// The default center and the cursors; once per process (also run before main). A cursor
// missing from the resources raises EOutOfResources "Cannot load cursor resource".
void DBAxisGridsEhUnitStartUp();
// Loads the three cursors (by resource name, in order) into the screen's cursor list; stops at
// the first one missing.
void LoadDBAxisGridsEhCursors(const QStringList& ResourceNames);
// Frees the work bitmap of in-cell buttons and the default center.
void DBAxisGridsEhUnitCloseDown();
// The work bitmap of semi-transparent in-cell buttons (nullptr before the first one).
TBitmap* DBAxisGridsEhWorkBitmap();
