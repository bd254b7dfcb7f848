// Shared helpers of the component library. The windowless sections (values, lists, fields)
// are in core/ToolCtrlsEh_Core.h; the drawing sections below are implemented in
// ToolCtrlsEh_<Section>.cpp; add new sections at the end, each with its own banner.
#pragma once

#include "components/foundation/PlatformBridgeEh.h"
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/PopupMenus.h"

#include <memory>

// ============================================================================================
// Drawing: text in cells, images, colours, gradients and clipping (ToolCtrlsEh_Drawing.cpp);
// button faces, glyphs, check boxes, tree glyphs and the button bitmap cache
// (ToolCtrlsEh_Buttons.cpp).
// ============================================================================================

// The one work bitmap of the process, reference-counted; it only grows.
void AcquireSharedWorkBitmap();
void ReleaseSharedWorkBitmap();
TBitmap* SharedWorkBitmap();          // nullptr while not acquired
int SharedWorkBitmapRefCount();

void WriteTextAligned(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment);
// The text routine of every grid cell: one TextRect for a simple single line, DrawText
// when a feature (wrap, margins, ellipsis, several lines) needs it.
void WriteTextInRect(TCanvas* ACanvas, const TRect& ARect, bool FillRect, int DX, int DY, const QString& Text,
                     TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg,
                     int RightMarg, bool RightToLeftReading, bool SingleLine);
// Upward text; returns the extent along the baseline. EndEllipsis is accepted and not used.
int WriteRotatedText(TCanvas* ACanvas, const TRect& ARect, bool FillRect, int DX, int DY, const QString& Text,
                     TAlignment Alignment, TTextLayout Layout, bool EndEllipsis, bool MeasureOnly);
void WriteTextHighlighted(TCanvas* ACanvas, const TRect& ARect, int HorzMargin, int TopOffset, const QString& Text,
                          TAlignment Alignment, bool CenterVert, bool MultyL, int Unused1, int Unused2, int Unused3,
                          int Unused4, const QString& SearchText, bool IgnoreCase, TColor HighlightColor,
                          int Unused5, int Unused6);
int DrawTextWidth(TCanvas* ACanvas, const QString& Text);
// A font turned by 90 degrees (free with DeleteRotatedFont).
struct TRotatedFontEh;
TRotatedFontEh* CreateRotatedFont(TFont* Font);
void DeleteRotatedFont(TRotatedFontEh* Font);

void DrawClippedImage(TCustomImageList* ImageList, TBitmap* Bitmap, TCanvas* ACanvas, const TRect& ARect,
                      int ImageIndex, int Offset, TAlignment Alignment, const TRect& VisibleRect);
void DrawImageCentered(HDC DC, const TRect& ARect, TCustomImageList* ImageList, int ImageIndex, bool Selected);
COLORREF ColorToImageListColor(TColor Color);

TColor BlendColors(TColor Color1, TColor Color2, double Alpha);
TColor BlendColorsPercent(TColor Color1, TColor Color2, int Percent);
int ColorLuminance(TColor Color);
TColor GrayColor(TColor Color);
TColor DarkerColor(TColor A, TColor B);
void FillGradientRect(TCanvas* ACanvas, const TRect& ARect, TColor Color1, TColor Color2);
// Pairs of points (start, end); HighIndex is the highest index used.
void FillGradientByPoints(TCanvas* ACanvas, TPoint Origin, const std::vector<TPoint>& Points, TColor Color1,
                          TColor Color2, int HighIndex);

// The saved clip of the canvas (nullptr when it had none); the clip becomes its intersection
// with the rectangle.
HRGN SelectClipRectEh(TCanvas* ACanvas, const TRect& ARect);
void RestoreClipRegionEh(TCanvas* ACanvas, HRGN SavedRgn);
bool PointInRectInclusive(TPoint P, const TRect& R);
void SwapIntegers(int& A, int& B);
int IfThenInt(bool Flag, int A, int B);
int ScaleByFourThirds(int Value, bool Flag);
// Round half to even, as the platform's Round.
int RoundEh(double Value);

// ---- button faces and the bitmap cache ----

enum TDrawButtonControlStyleEh {
    bcsDropDownEh, bcsEllipsisEh, bcsUpDownEh, bcsCheckboxEh, bcsPlusEh, bcsMinusEh, bcsAltDropDownEh, bcsAltUpDownEh
};
DOV_ENUM_INFO(TDrawButtonControlStyleEh, bcsDropDownEh, bcsEllipsisEh, bcsUpDownEh, bcsCheckboxEh, bcsPlusEh,
              bcsMinusEh, bcsAltDropDownEh, bcsAltUpDownEh)
// How a drop-down list filters its list source while the user types.
enum TLSAutoFilterTypeEh { lsftBeginsWithEh, lsftContainsEh };
DOV_ENUM_INFO(TLSAutoFilterTypeEh, lsftBeginsWithEh, lsftContainsEh)
enum TTreeViewGlyphStyleEh { tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh };
DOV_ENUM_INFO(TTreeViewGlyphStyleEh, tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh)

struct TButtonBitmapInfoEh {
    TPoint Size;
    TDrawButtonControlStyleEh BitmapType = bcsDropDownEh;
    bool Flat = false;
    bool Pressed = false;
    bool Active = false;
    bool Enabled = true;
    bool DownDirect = false;
    TCheckBoxState CheckState = cbUnchecked;
    friend bool operator==(const TButtonBitmapInfoEh&, const TButtonBitmapInfoEh&) = default;
};

class TButtonBitmapInfoBitmapEh : public TObject {
public:
    TButtonBitmapInfoEh BitmapInfo;
    TBitmap* Bitmap = nullptr;
};

// Painted button images by key; linear lookup, no limit; emptied by ResetButtonsBitmapCache.
class TButtonsBitmapCache : public TList {
public:
    TButtonsBitmapCache() = default;
    ~TButtonsBitmapCache() override;
    TButtonBitmapInfoBitmapEh* Get(int Index) const { return static_cast<TButtonBitmapInfoBitmapEh*>(Items(Index)); }
    TBitmap* GetButtonBitmap(TButtonBitmapInfoEh Info);
    void Clear() override;
};
TButtonsBitmapCache* ButtonsBitmapCache();
// Made at the unit's start-up and freed at its close-down (on first use again after that).
void FreeButtonsBitmapCache();
bool ButtonsBitmapCacheExists();

bool ThemesEnabledEh();
bool CustomStyleActive();
void ResetButtonsBitmapCache();

void DrawEditButtonControl(TCanvas* Canvas, const TRect& ARect, TColor BackColor, TDrawButtonControlStyleEh Style,
                           int PressedPart, bool Flat, bool Active, bool Enabled, TCheckBoxState State);
void DrawButtonByStyle(TCanvas* Canvas, TDrawButtonControlStyleEh Style, const TRect& ARect, bool DownDirect,
                       bool Pressed, bool Active, bool Flat, bool Enabled);
void DrawCheckBoxGlyph(HDC DC, const TRect& ARect, TCheckBoxState State, bool Active, bool Pressed, bool Flat,
                       bool Enabled);
void DrawEditButtonFace(TCanvas* Canvas, const TRect& ARect, TColor BackColor, bool Pressed, bool Flat, bool Active,
                        bool Enabled, int Unused);
void DrawFrameButton(TCanvas* Canvas, const TRect& ARect, TColor Color, bool Enabled, bool Active, bool Flat,
                     bool Pressed);
void GetAlignedCheckBoxRect(const TRect& ARect, TAlignment Alignment, TTextLayout Layout, TRect& OutRect);
void DrawTreeViewGlyph(TCanvas* Canvas, const TRect& ARect, int Kind, int DotPhase, double ScaleX, double ScaleY,
                       bool RightToLeft, bool UseSystemColors, TTreeViewGlyphStyleEh GlyphStyle);
void DrawDottedLine(TCanvas* Canvas, TPoint Start, int Length, int Phase, bool Horizontal);
int DefaultEditButtonWidth();
// The check-box cell of the platform, measured once (13 x 13).
void InitCheckBoxGlyphMetrics();
TSize CheckBoxGlyphSize();

// ============================================================================================
// The MRU list of an edit control and the special row of lookup lists (ToolCtrlsEh_MRU.cpp)
// ============================================================================================

#ifndef DOV_TSHORTCUT_DECLARED
#define DOV_TSHORTCUT_DECLARED
using TShortCut = uint16_t;
#endif

using TFilterMRUItemEventEh = Delegate<void(TObject* Sender, bool& Accept)>;
using TSetCloseUpEventEh = Delegate<void(TObject* Sender, bool Accept)>;
using TSetDropDownEventEh = Delegate<void(TObject* Sender)>;

// The most recently used texts of an edit control, oldest first.
class TMRUListEh : public TPersistent {
public:
    explicit TMRUListEh(TPersistent* AOwner);
    ~TMRUListEh() override;

    // A text of blanks only is ignored; a known text (by CaseSensitive) moves to the end.
    void Add(const QString& S);
    // The items that start with MaskText; False when a waiting key press cut the walk short.
    bool FilterItemsTo(TStrings* FilteredItems, const QString& MaskText);
    virtual void DropDown();
    virtual void CloseUp(bool Accept);
    void Assign(TPersistent* Source) override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool AutoAdd() const { return FAutoAdd; }
    void SetAutoAdd(bool Value) { FAutoAdd = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    int Limit() const { return FLimit; }
    // A negative limit counts as 0.
    void SetLimit(int Value);
    int Rows() const { return FRows; }
    void SetRows(int Value) { FRows = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    bool CancelIfKeyInQueue() const { return FCancelIfKeyInQueue; }
    void SetCancelIfKeyInQueue(bool Value) { FCancelIfKeyInQueue = Value; }
    bool DroppedDown() const { return FDroppedDown; }
    void SetDroppedDown(bool Value) { FDroppedDown = Value; }
    TPersistent* GetOwner() const override { return FOwner; }

    TNotifyEvent OnActiveChanged;
    TFilterMRUItemEventEh OnFilterItem;
    TSetCloseUpEventEh OnSetCloseUp;
    TSetDropDownEventEh OnSetDropDown;

protected:
    void TrimToLimit();
    // Whether a key press waits in the queue.
    virtual bool KeyInQueue();

    bool FActive = false;
    bool FAutoAdd = true;
    bool FCaseSensitive = false;
    TStringList* FItems = nullptr;
    int FLimit = 100;
    TPersistent* FOwner = nullptr;
    int FRows = 7;
    int FWidth = 0;
    bool FCancelIfKeyInQueue = true;
    bool FDroppedDown = false;
};

// The cells of a special row's CellsText: ";"-separated, a cell in double quotes may hold ";"
// (doubled quotes stand for one).
void ParseSpecRowCellsText(const QString& Text, TStrings* Cells);

// The extra row of a lookup list that stands for one key value.
class TSpecRowEh : public TPersistent {
public:
    explicit TSpecRowEh(TPersistent* Owner);
    ~TSpecRowEh() override;

    void Assign(TPersistent* Source) override;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    QString GetCellText(int Index) const;
    bool LocateKey(const Variant& KeyValue) const;
    TFont* DefaultFont() const;
    TColor DefaultColor() const;

    QString CellsText() const { return FCellsText; }
    void SetCellsText(const QString& Value);
    TStrings* CellsStrings() const { return FCellsStrings; }
    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorAssigned() const { return FColorAssigned; }
    TFont* Font();
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool FontAssigned() const { return FFontAssigned; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool Value) { FSelected = Value; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
    void SetShowIfNotInKeyList(bool Value);
    Variant Value() const { return FValue; }
    void SetValue(const Variant& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TPersistent* GetOwner() const override { return FOwner; }
    // Stored when set: Value when not Null, Font and Color when assigned.
    bool IsValueStored() const { return !FValue.IsNull(); }

    TNotifyEvent OnChanged;

protected:
    void Changed();
    void FontChanged(TObject* Sender);

    TStringList* FCellsStrings = nullptr;
    QString FCellsText;
    TColor FColor = clWindow;
    TFont* FFont = nullptr;
    TPersistent* FOwner = nullptr;
    bool FSelected = false;
    TShortCut FShortCut = TShortCut(0x8000 | 46);   // Alt+Del
    bool FShowIfNotInKeyList = true;
    int FUpdateCount = 0;
    Variant FValue;
    bool FVisible = false;
    bool FColorAssigned = false;
    bool FFontAssigned = false;
};

// ============================================================================================
// Picture placement (ToolCtrlsEh_Picture.cpp)
// ============================================================================================

enum TImagePlacementEh {
    ipTopLeftEh, ipTopCenterEh, ipTopRightEh, ipCenterLeftEh, ipCenterCenterEh, ipCenterRightEh, ipBottomLeftEh,
    ipBottomCenterEh, ipBottomRightEh, ipFillEh, ipReduceFitEh, ipFitEh, ipStretchEh, ipTileEh
};
DOV_ENUM_INFO(TImagePlacementEh, ipTopLeftEh, ipTopCenterEh, ipTopRightEh, ipCenterLeftEh, ipCenterCenterEh,
              ipCenterRightEh, ipBottomLeftEh, ipBottomCenterEh, ipBottomRightEh, ipFillEh, ipReduceFitEh, ipFitEh,
              ipStretchEh, ipTileEh)

// Where a picture of PicW x PicH lands in SrcRect for a placement.
TRect ImagePlacementRect(const TRect& SrcRect, int PicW, int PicH, TImagePlacementEh Placement);

class TPictureEh : public TPicture {
public:
    TPictureEh() = default;
    virtual TRect GetDestRect(const TRect& SrcRect, TImagePlacementEh Placement);
    // ShiftPoint and ClipRect are accepted for callers that pass them; the caller clips.
    virtual void PaintTo(TCanvas* Canvas, const TRect& DestRect, TImagePlacementEh Placement, TPoint ShiftPoint,
                         const TRect& ClipRect);
};

// ============================================================================================
// Edit buttons: the description of a button of an editor and the control that shows it
// (ToolCtrlsEh_EditButtons.cpp)
// ============================================================================================

class TPopupMenu;

enum TEditButtonStyleEh {
    ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh, ebsAltDropDownEh, ebsAltUpDownEh
};
DOV_ENUM_INFO(TEditButtonStyleEh, ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh,
              ebsAltDropDownEh, ebsAltUpDownEh)
enum TEditButtonStateEh { ebstNormalEh, ebstControlHotEh, ebstHotEh, ebstPressedEh, ebstDisabledEh };
DOV_ENUM_INFO(TEditButtonStateEh, ebstNormalEh, ebstControlHotEh, ebstHotEh, ebstPressedEh, ebstDisabledEh)

// The spin styles repeat their press while held.
inline bool IsAutoRepeatStyleEh(TEditButtonStyleEh Style)
{
    return Style == ebsUpDownEh || Style == ebsAltUpDownEh;
}
// The face painted for a style (the glyph style has none of its own).
TDrawButtonControlStyleEh EditButtonDrawStyleEh(TEditButtonStyleEh Style);

using TButtonClickEventEh = Delegate<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEh = Delegate<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
using TRefComponentNotifyEventEh = Delegate<void(TObject* Sender, TComponent* RefComponent)>;

class TEditButtonEh;

// The image lists of a button's four states, with an index for each (not owned).
class TEditButtonImagesEh : public TPersistent {
public:
    explicit TEditButtonImagesEh(TEditButtonEh* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override;

    // The list of a state; a missing list of any state but normal falls back to the normal
    // one; control-hot has none.
    TCustomImageList* GetStateImages(TEditButtonStateEh State) const;
    // -1 for control-hot.
    int GetStateIndex(TEditButtonStateEh State) const;

    TCustomImageList* NormalImages() const { return FNormalImages; }
    TCustomImageList* HotImages() const { return FHotImages; }
    TCustomImageList* PressedImages() const { return FPressedImages; }
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetNormalImages(TCustomImageList* Value) { SetImages(FNormalImages, Value); }
    void SetHotImages(TCustomImageList* Value) { SetImages(FHotImages, Value); }
    void SetPressedImages(TCustomImageList* Value) { SetImages(FPressedImages, Value); }
    void SetDisabledImages(TCustomImageList* Value) { SetImages(FDisabledImages, Value); }
    int NormalIndex() const { return FNormalIndex; }
    int HotIndex() const { return FHotIndex; }
    int PressedIndex() const { return FPressedIndex; }
    int DisabledIndex() const { return FDisabledIndex; }
    void SetNormalIndex(int Value) { SetIndex(FNormalIndex, Value); }
    void SetHotIndex(int Value) { SetIndex(FHotIndex, Value); }
    void SetPressedIndex(int Value) { SetIndex(FPressedIndex, Value); }
    void SetDisabledIndex(int Value) { SetIndex(FDisabledIndex, Value); }

private:
    void SetImages(TCustomImageList*& Field, TCustomImageList* Value);
    void SetIndex(int& Field, int Value);

    int FNormalIndex = 0;
    TCustomImageList* FHotImages = nullptr;
    int FDisabledIndex = 0;
    TCustomImageList* FPressedImages = nullptr;
    int FHotIndex = 0;
    TCustomImageList* FNormalImages = nullptr;
    int FPressedIndex = 0;
    TCustomImageList* FDisabledImages = nullptr;
    TEditButtonEh* FOwner;
};

class TEditButtonControlEh;
class TEditButtonActionLinkEh;
class TDropDownFormCallParamsEh;
// The "class" of an edit button's action link: the function that makes one for a button.
using TEditButtonActionLinkClassEh = TEditButtonActionLinkEh* (*)(TEditButtonEh* Client);

// One button of an editor: style, width, glyph or image lists, hint, shortcut, visibility,
// drop-down menu and its events. In a collection, or bound to one edit control.
class TEditButtonEh : public TCollectionItem {
    DOV_PERSISTENT(TEditButtonEh, TCollectionItem)
public:
    explicit TEditButtonEh(TCollection* ACollection);
    explicit TEditButtonEh(TWinControl* EditControl);
    ~TEditButtonEh() override;

    void Assign(TPersistent* Source) override;
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    virtual TEditButtonActionLinkClassEh GetActionLinkClass() const;
    // OnClick when assigned; else the linked action runs, aimed at the edit control.
    virtual void Click(TObject* Sender, bool& Handled);
    virtual void InitiateAction();
    void RefComponentChanged(TComponent* RefComponent);
    void Changed();

    TBasicAction* Action() const;
    // nullptr frees the link.
    void SetAction(TBasicAction* Value);
    TDropDownFormCallParamsEh* DropDownFormParams() const { return FDropDownFormParams; }
    void SetDropDownFormParams(TDropDownFormCallParamsEh* Value);
    TEditButtonActionLinkEh* ActionLink() const { return FActionLink; }
    // What the action link supplies is not stored with the button.
    bool IsEnabledStored() const;
    bool IsHintStored() const;
    bool IsShortCutStored() const;
    bool IsVisibleStored() const;

    TWinControl* EditControl() const { return FEditControl; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    TEditButtonImagesEh* Images() const { return FImages; }
    void SetImages(TEditButtonImagesEh* Value) { FImages->Assign(Value); }
    // Clamped to 1..4.
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    TEditButtonStyleEh Style() const { return FStyle; }
    void SetStyle(TEditButtonStyleEh Value);
    // 0 or less: the default width.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    // The set value when one was set, else the default the owner defines.
    bool DefaultAction() const { return FDefaultActionStored ? FDefaultAction : FParentDefinedDefaultAction; }
    void SetDefaultAction(bool Value);
    bool IsDefaultActionStored() const { return FDefaultActionStored; }
    void SetParentDefinedDefaultAction(bool Value) { FParentDefinedDefaultAction = Value; }
    TButtonClickEventEh OnClick() const { return FOnButtonClick; }
    void SetOnClick(const TButtonClickEventEh& Value);
    TButtonDownEventEh OnDown() const { return FOnButtonDown; }
    void SetOnDown(const TButtonDownEventEh& Value);

    TNotifyEvent OnChanged;
    TRefComponentNotifyEventEh OnRefComponentChanged;

protected:
    void Init();
    // Takes the action's state; with CheckDefaults only where the button still has its default.
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    void DoActionChange(TObject* Sender);

    TEditButtonActionLinkEh* FActionLink = nullptr;
    TDropDownFormCallParamsEh* FDropDownFormParams = nullptr;
    TPopupMenu* FDropdownMenu = nullptr;
    TWinControl* FEditControl = nullptr;
    bool FEnabled = true;
    TBitmap* FGlyph = nullptr;
    QString FHint;
    TEditButtonImagesEh* FImages = nullptr;
    int FNumGlyphs = 1;
    TButtonClickEventEh FOnButtonClick;
    TButtonDownEventEh FOnButtonDown;
    TShortCut FShortCut = 0;
    TEditButtonStyleEh FStyle = ebsDropDownEh;
    bool FVisible = false;
    int FWidth = 0;
    bool FDefaultAction = false;
    bool FDefaultActionStored = false;
    bool FParentDefinedDefaultAction = false;
};

// Binds an action to an edit button. Enabled, hint, shortcut and visibility follow the action
// only while the button still shows what the action last gave it.
class TEditButtonActionLinkEh : public TActionLink {
public:
    explicit TEditButtonActionLinkEh(TEditButtonEh* AClient);
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    void SetEnabled(bool Value) override;
    void SetHint(const QString& Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;
    // Takes the action's current state as what the button was given.
    void Synchronize();

protected:
    TEditButtonEh* FClient;
    bool FEnabled = true;
    QString FHint;
    TShortCut FShortCut = 0;
    bool FVisible = true;
};

// The drop-down button of an editor: Alt+Down presses it.
class TDropDownEditButtonEh : public TEditButtonEh {
    DOV_PERSISTENT(TDropDownEditButtonEh, TEditButtonEh)
public:
    explicit TDropDownEditButtonEh(TCollection* ACollection);
    explicit TDropDownEditButtonEh(TWinControl* EditControl);
};

// The same, visible from the start.
class TVisibleEditButtonEh : public TDropDownEditButtonEh {
    DOV_PERSISTENT(TVisibleEditButtonEh, TDropDownEditButtonEh)
public:
    explicit TVisibleEditButtonEh(TCollection* ACollection);
    explicit TVisibleEditButtonEh(TWinControl* EditControl);
};

// The additional buttons of an editor; told of every change of an item.
class TEditButtonsEh : public TCollection {
    DOV_PERSISTENT(TEditButtonsEh, TCollection)
public:
    TEditButtonsEh(TPersistent* AOwner, const TClassInfo& ItemClass);
    TEditButtonEh* Add() { return static_cast<TEditButtonEh*>(TCollection::Add()); }
    TEditButtonEh* Items(int Index) const { return static_cast<TEditButtonEh*>(TCollection::Items(Index)); }
    void SetItems(int Index, TEditButtonEh* Value) { Items(Index)->Assign(Value); }
    TPersistent* GetOwner() const override { return FOwner; }

    TNotifyEvent OnChanged;
    TRefComponentNotifyEventEh OnRefComponentChanged;

protected:
    void Update(TCollectionItem* Item) override;
    TPersistent* FOwner;
};

// Speed-button states of the button control.
enum TEditButtonPushStateEh { bsUpEh, bsDisabledEh, bsDownEh, bsExclusiveEh };

// The control that shows one edit button: paints it in its state, splits a spin button into
// halves and repeats a held spin press (timer 1 of its window: 400 ms, then every 100 ms).
class TEditButtonControlEh : public TCustomControl {
    DOV_PERSISTENT(TEditButtonControlEh, TCustomControl)
public:
    explicit TEditButtonControlEh(TComponent* AOwner);
    ~TEditButtonControlEh() override;

    // ---- the speed button's part ----
    TEditButtonPushStateEh PushState() const { return FState; }
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool MouseInControl() const { return FMouseInControl; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value) { FNumGlyphs = std::clamp(Value, 1, 4); Invalidate(); }

    // ---- the edit button's part ----
    void SetState(TEditButtonPushStateEh NewState, bool IsActive, int ButtonNum);
    TEditButtonStyleEh Style() const { return FStyle; }
    void SetStyle(TEditButtonStyleEh Value);
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool AlwaysDown() const { return FAlwaysDown; }
    void SetAlwaysDown(bool Value);
    int ButtonNum() const { return FButtonNum; }
    void SetWidthNoNotify(int Value) { SetWidth(Value); }
    TEditButtonImagesEh* EditButtonImages() const { return FEditButtonImages; }
    void SetEditButtonImages(TEditButtonImagesEh* Value) { FEditButtonImages = Value; Invalidate(); }
    virtual TEditButtonStateEh GetState();
    void EditButtonDown(bool TopButton, bool& AutoRepeat);
    void DefaultPaint();
    // The auto-repeat timer: running, and its interval.
    bool RepeatTimerActive() const { return FTimerEnabled; }
    int RepeatTimerInterval() const { return FTimerInterval; }

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TButtonDownEventEh OnDown;
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void DoClick() override;
    void WMTimer(TMessage& M) override;
    void CMMouseEnter(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    virtual void DrawImages(const TRect& ARect);
    void PaintGlyphButton();
    void UpdateDownButtonNum(int X, int Y);
    void ResetTimer(int Interval);
    void StopTimer();

    TEditButtonPushStateEh FState = bsUpEh;
    bool FDown = false;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FDragging = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    TBitmap* FGlyph = nullptr;
    int FNumGlyphs = 1;

    bool FActive = false;
    bool FAlwaysDown = false;
    int FButtonNum = 0;
    bool FNoDoClick = false;
    TEditButtonStyleEh FStyle = ebsDropDownEh;
    bool FTimerEnabled = false;
    int FTimerInterval = 0;
    TEditButtonImagesEh* FEditButtonImages = nullptr;
};

// A free-standing button of the library's look; with the glyph style it shows its caption
// (in its font) over the glyph's place.
class TSpeedButtonEh : public TEditButtonControlEh {
    DOV_PERSISTENT(TSpeedButtonEh, TEditButtonControlEh)
public:
    explicit TSpeedButtonEh(TComponent* AOwner) : TEditButtonControlEh(AOwner) {}
};

// ============================================================================================
// Popup placement, input tests, menus that stay open, graphic providers and the unit's
// start-up (ToolCtrlsEh_Popups.cpp).
// ============================================================================================

#ifndef DOV_TSIZEGRIPPOSITION_DECLARED
#define DOV_TSIZEGRIPPOSITION_DECLARED
enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
DOV_ENUM_INFO(TSizeGripPosition, sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft)
#endif
// The direction in which a drop-down's size grip moves to the opposite corner.
#ifndef DOV_TSIZEGRIPCHANGEPOSITION_DECLARED
#define DOV_TSIZEGRIPCHANGEPOSITION_DECLARED
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
DOV_ENUM_INFO(TSizeGripChangePosition, sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom)
#endif

// Sent to a drop-down by the placement routines: WParam is a TSizeGripChangePosition.
// A message of its own: nothing else of the library uses this number.
// The corner a grip moves to when the placement routines ask it to change sides.
TSizeGripPosition MovedSizeGripPosition(TSizeGripPosition Position, TSizeGripChangePosition Change);
// The border of a drop-down window: raised double edge, or a window-frame line without Ctl3D.
void PaintPopupBorderEh(HDC DC, const TRect& Bounds, bool Ctl3D);

#ifndef DOV_WM_SIZEGRIPNOTIFY_DECLARED
#define DOV_WM_SIZEGRIPNOTIFY_DECLARED
enum : UINT { WM_SIZEGRIPNOTIFY_EH = 0x0400 + 100 };
#endif

class TField;
class TPicture;
class TGraphic;

// The work area of the monitor that shares most of the rectangle with it, or, when it lies
// on none, of the monitor nearest to it.
TRect WorkAreaNearestToRect(const TRect& R);
// Screen position for the drop-down under (or above) the owner rectangle, inside the work
// area of the nearest monitor; the drop-down may be made lower and narrower, and is told
// twice where its size grip belongs.
void PlaceDropDownInWorkArea(const TRect& OwnerRect, TControl* DropDown, TAlignment Align, TPoint& Pos);
void PlaceDropDownUnderControl(TControl* Owner, TControl* DropDown, TAlignment Align, TPoint& Pos);
// The control's client origin in screen coordinates with its Width and Height.
void GetControlScreenRect(TControl* Control, TRect& Rect);

// A left press or double click posted for the control and not yet handled (it is removed).
bool MouseDownPendingOnControl(TControl* Control);
// The same for a non-windowed control, looked up in its parent's queue.
bool LeftClickPending(TControl* Control);
TShiftState GetShiftStateEh();
bool IsDoubleClick(TPoint EarlierPos, TPoint NewPos, int64_t MillisecondsSinceEarlier);

// Recognises the format of image data: the graphic class able to load it, or nullptr.
class TGraphicProviderEh : public TPersistent {
    DOV_PERSISTENT(TGraphicProviderEh, TPersistent)
public:
    TGraphicProviderEh() = default;
    // Data with fewer bytes than the format's signature is not recognised.
    virtual TPersistentClass GetImageClassForStream(const void* Data, int64_t Size) const { return nullptr; }
};
class TBMPGraphicProviderEh : public TGraphicProviderEh {
    DOV_PERSISTENT(TBMPGraphicProviderEh, TGraphicProviderEh)
public:
    TBMPGraphicProviderEh() = default;
    TPersistentClass GetImageClassForStream(const void* Data, int64_t Size) const override;
};
// Registers at the front of the list, once.
void RegisterGraphicProviderEh(TPersistentClass ProviderClass);
TPersistentClass GetGraphicClassForStream(const void* Data, int64_t Size);
int GraphicProvidersCount();
// The image of a blob field (nullptr for no field or a field that is not a blob).
std::unique_ptr<TGraphic> LoadGraphicFromBlobField(TField* Field);
void AssignBlobFieldToPicture(TField* Field, TPicture* Picture);

// A menu item that, with CloseMenuOnClick off, runs its click and leaves the menu open.
class TMenuItemEh : public TMenuItem {
    DOV_PERSISTENT(TMenuItemEh, TMenuItem)
public:
    explicit TMenuItemEh(TComponent* AOwner) : TMenuItem(AOwner) {}
    bool CloseMenuOnClick() const { return FCloseMenuOnClick; }
    void SetCloseMenuOnClick(bool v) { FCloseMenuOnClick = v; }

private:
    bool FCloseMenuOnClick = true;
};

class TPopupMenuWinEh;
// The popup menus shown through the library and their open windows.
class TPopupListEh : public TObject {
public:
    TPopupListEh();
    ~TPopupListEh() override;
    void Add(class TPopupMenuEh* Menu);
    void Remove(TPopupMenuEh* Menu);
    int MenuCount() const { return int(FMenus.size()); }
    int OpenWindowCount() const { return int(FPopupMenuWins.size()); }
    // The item of the command among the menus of the list (the first menu that has it).
    TMenuItem* FindItemByCommand(uintptr_t Command) const;

private:
    friend class TPopupMenuEh;
    friend class TPopupMenuWinEh;
    std::vector<TPopupMenuEh*> FMenus;
    std::vector<TPopupMenuWinEh*> FPopupMenuWins;
};
TPopupListEh* PopupListEh();

class TPopupMenuEh : public TPopupMenu {
    DOV_PERSISTENT(TPopupMenuEh, TPopupMenu)
public:
    explicit TPopupMenuEh(TComponent* AOwner);
    ~TPopupMenuEh() override;

protected:
    // Items of the menu that keep it open run there; the others close it as usual.
    void MenuBuilt(QMenu* Menu) override;
};

// The one rule for process-wide objects outside the component model (a unit's caches, the
// shared drop-down and editor forms): they are freed when the application goes, while its
// windowing still exists, the last registered first, each once. Without any application
// they go at process exit. Nothing else frees them at exit.
void FreeWhenApplicationGoesEh(std::function<void()> Free);

// A canvas that measures text in Font outside painting (a control's canvas has a device only
// while it paints): one shared 1x1 bitmap, its font set on every call. UI thread only.
TCanvas* MeasureCanvasEh(TFont* Font);

// The unit's process-wide objects (made once at start-up, freed at close-down).
void InitToolCtrlsGlobals();
void FreeToolCtrlsGlobals();
// The unit's start-up: the button cache, the globals above, the held shared work bitmap and
// the class registrations; its close-down frees them. Both run once (the close-down by the
// rule above, as the cached bitmaps belong to the application's windowing).
void ToolCtrlsUnitStartUp();
void ToolCtrlsUnitCloseDown();
bool ToolCtrlsUnitStarted();
// Puts the unit's controls into the class registry (by name).
void RegisterToolCtrlsClasses();

// ============================================================================================
// The size grip of drop-down windows (ToolCtrlsEh_SizeGrip.cpp) and the drop-down month
// calendar (ToolCtrlsEh_Calendar.cpp).
// ============================================================================================

// The triangular grip in a corner of a drop-down window; dragging it resizes the window,
// which stays inside the work area of its monitor.
class TSizeGripEh : public TCustomControlEh {
    DOV_PERSISTENT(TSizeGripEh, TCustomControlEh)
public:
    explicit TSizeGripEh(TComponent* AOwner);

    // The window resized (the parent when none is set).
    TWinControl* HostControl() const { return FHostControl ? FHostControl : Parent(); }
    void SetHostControl(TWinControl* Value) { FHostControl = Value; }
    TSizeGripPosition Position() const { return FPosition; }
    void SetPosition(TSizeGripPosition Value);
    bool TriangleWindow() const { return FTriangleWindow; }
    void SetTriangleWindow(bool Value);
    // With a window these show and hide the window itself.
    bool Visible() const;
    void SetVisible(bool Value);
    // To its corner of the host's client area.
    void UpdatePosition();
    // The triangle (or the whole square), then the position and the cursor.
    void UpdateWindowRegion();
    // To the mirrored corner on that side; a grip already there stays.
    void ChangePosition(TSizeGripChangePosition NewPosition);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // After a drag changed the host's client size.
    TNotifyEvent OnParentResized;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void ParentResized();

    TPoint FInitScreenMousePos;
    bool FInternalMove = false;
    TPoint FOldMouseMovePos;
    // At the press: Left, Top the host's client width and height; Right, Bottom its width and height.
    TRect FParentRect;
    TSizeGripPosition FPosition = sgpBottomRight;
    bool FTriangleWindow = true;
    TWinControl* FHostControl = nullptr;
    bool FDragging = false;
};

// Implemented by the owner of a drop-down calendar: closes the drop-down, taking the
// calendar's date when Accept.
class IComboEditEh {
public:
    virtual void CloseUp(bool Accept) = 0;

protected:
    ~IComboEditEh() = default;
};

// The month calendar that date editors drop down: a non-activating top-level window with a
// raised border; it closes through its owner's IComboEditEh.
class TPopupMonthCalendarEh : public TMonthCalendar {
    DOV_PERSISTENT(TPopupMonthCalendarEh, TMonthCalendar)
public:
    explicit TPopupMonthCalendarEh(TComponent* AOwner);

    // The day chosen in the window (no time of day); the stored date without a window.
    TDateTime Date();
    bool CanFocus() const override { return false; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    int BorderWidthEh() const { return FBorderWidth; }
    // The view at the last mouse press (MCMV_MONTH ... MCMV_CENTURY).
    int DownViewType() const { return FDownViewType; }

    enum : UINT { WM_CLOSEUP_ON_FOCUS_LOST = 0x0400 + 101 };

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    virtual void PaintBorder(HDC DC);
    // Through the owner's IComboEditEh, when it has one.
    void OwnerCloseUp(bool Accept);

    int FBorderWidth = 2;
    int FDownViewType = MCMV_MONTH;
    bool FCtl3D = true;
};
