// Buttons with glyphs: the speed button (a graphic control that stays down in a group) and the
// bitmap button (an owner-drawn push button).
#pragma once

#include "StdCtrls.h"

enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
DOV_ENUM_INFO(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
DOV_ENUM_INFO(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
using TNumGlyphs = int;

// Draws a button's glyph and caption inside Client as the platform lays them out: the glyph
// holds NumGlyphs images side by side (up, disabled, down, exclusive); its bottom-left pixel is
// the transparent colour. Margin -1 centres the pair; pressed faces move by one pixel.
void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, int NumGlyphs,
                               TButtonState State, TButtonLayout Layout, int Margin, int Spacing,
                               const QString& Caption, TFont* Font);

// What the speed button and the bitmap button share: the glyph and how it sits by the caption.
class TGlyphFace {
public:
    explicit TGlyphFace(TControl* AControl);
    virtual ~TGlyphFace();
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);

protected:
    void DrawFace(TCanvas* Canvas, const TRect& Client, TButtonState State);
    TControl* FFaceControl;
    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};

class TSpeedButton : public TGraphicControl, public TGlyphFace {
    DOV_PERSISTENT(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool Down() const { return FDown; }
    // Only a button of a group stays down; the others of its group on the same parent come up.
    void SetDown(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    // A group may have no button down.
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    void Dispatch(TMessage& Message) override;
    virtual void CMButtonPressed(TMessage& M);
    // Tells the other buttons on the parent that this one went down in its group.
    void UpdateExclusive();

    TButtonState FState = bsUp;
    bool FDown = false;
    bool FFlat = false;
    bool FDragging = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FTransparent = true;
};

// What an owner-drawn control gets to paint an item with.
enum : UINT { ODT_BUTTON = 4 };
enum : UINT { ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4 };
enum : UINT {
    ODS_SELECTED = 0x1, ODS_GRAYED = 0x2, ODS_DISABLED = 0x4, ODS_CHECKED = 0x8, ODS_FOCUS = 0x10,
    ODS_DEFAULT = 0x20, ODS_HOTLIGHT = 0x40,
};
struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    TRect rcItem;
    uintptr_t itemData = 0;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
DOV_ENUM_INFO(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll)

// A push button painted by its owner-draw step: every paint sends CN_DRAWITEM with the
// button's state to the button itself, whose DrawItem draws face, glyph and caption.
class TBitBtn : public TButton, public TGlyphFace {
    DOV_PERSISTENT(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // A standard kind brings its Russian caption, its modal result and its Default/Cancel role.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    bool Pressed() const { return FPressed; }

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    virtual void DrawItem(const DRAWITEMSTRUCT& DrawItemStruct);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TBitBtnKind FKind = bkCustom;
    bool FPressed = false;
    bool FTracking = false;
};
