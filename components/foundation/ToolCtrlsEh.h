// Shared helpers of the component library. The windowless sections (values, lists, fields)
// are in core/ToolCtrlsEh_Core.h; the drawing sections below are implemented in
// ToolCtrlsEh_<Section>.cpp; add new sections at the end, each with its own banner.
#pragma once

#include "components/foundation/core/ToolCtrlsEh_Core.h"
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
// Popup placement, input tests, menus that stay open, graphic providers and the unit's
// start-up (ToolCtrlsEh_Popups.cpp).
// ============================================================================================

#ifndef DOV_TSIZEGRIPPOSITION_DECLARED
#define DOV_TSIZEGRIPPOSITION_DECLARED
enum TSizeGripPosition { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
DOV_ENUM_INFO(TSizeGripPosition, sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft)
#endif
// The direction in which a drop-down's size grip moves to the opposite corner.
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
DOV_ENUM_INFO(TSizeGripChangePosition, sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom)

// Sent to a drop-down by the placement routines: WParam is a TSizeGripChangePosition.
// A message of its own: nothing else of the library uses this number.
constexpr UINT CM_SIZEGRIPCHANGEPOSITIONEH = WM_USER + 100;

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

// The unit's process-wide objects (made once at start-up, freed at close-down).
void InitToolCtrlsGlobals();
void FreeToolCtrlsGlobals();
// Puts the unit's controls into the class registry (by name).
void RegisterToolCtrlsClasses();
