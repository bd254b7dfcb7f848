#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The texts a form keeps out of its file, so it does not freeze one language's defaults.
const QString DefaultValueChecked = QStringLiteral("True");
const QString DefaultValueUnchecked = QStringLiteral("False");

// The first item of a ";"-separated list.
QString FirstValue(const QString& List) { return Trim(List.section(QLatin1Char(';'), 0, 0)); }

}  // namespace

DOV_PUBLISHED(TCustomDBCheckBoxEh) {}

DOV_PUBLISHED(TDBCheckBoxEh)
{
    P.Prop("Alignment", &TCustomDBCheckBoxEh::Alignment, &TCustomDBCheckBoxEh::SetAlignment).Default(taRightJustify);
    P.Prop("AllowGrayed", &TCustomDBCheckBoxEh::AllowGrayed, &TCustomDBCheckBoxEh::SetAllowGrayed).Default(false);
    P.Prop("AlwaysShowBorder", &TCustomDBCheckBoxEh::AlwaysShowBorder, &TCustomDBCheckBoxEh::SetAlwaysShowBorder)
        .Default(false);
    P.Prop("Checked", &TButtonControl::Checked, &TCustomDBCheckBoxEh::SetChecked).Stored(false);
    P.Prop("DataField", &TCustomDBCheckBoxEh::DataField, &TCustomDBCheckBoxEh::SetDataField);
    P.Prop("DataSource", &TCustomDBCheckBoxEh::DataSource, &TCustomDBCheckBoxEh::SetDataSource);
    P.Prop("DynProps", &TCustomDBCheckBoxEh::DynProps, &TCustomDBCheckBoxEh::SetDynProps);
    P.Prop("Flat", &TCustomDBCheckBoxEh::Flat, &TCustomDBCheckBoxEh::SetFlat).Default(false);
    P.Prop("ReadOnly", &TCustomDBCheckBoxEh::ReadOnly, &TCustomDBCheckBoxEh::SetReadOnly).Default(false);
    P.Prop("State", &TCustomDBCheckBoxEh::State, &TCustomDBCheckBoxEh::SetState)
        .Stored(&TCustomDBCheckBoxEh::IsStateStored);
    P.Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
}

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 97;
    FHeight = 17;
    FTabStop = true;
    ControlStyle.Exclude(csDoubleClicks);
    ControlStyle.Include(csReplicatable);
    FValueCheck = DefaultValueChecked;
    FValueUncheck = DefaultValueUnchecked;
}

void TCustomDBCheckBoxEh::AfterConstruction()
{
    TButtonControl::AfterConstruction();
    FDataLink = new TFieldDataLinkEh;
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBCheckBoxEh::DataChange);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBCheckBoxEh::UpdateData);
    FDataLink->DataIndependentValue = Variant(false);
    FDynProps = Create<TDynVarsEh>(this);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh()
{
    delete FDataLink;
    FDataLink = nullptr;
    delete FDynProps;
}

// ---- properties ----

void TCustomDBCheckBoxEh::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    if (HandleAllocated())
        RecreateWnd();
    Invalidate();
}

void TCustomDBCheckBoxEh::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    if (HandleAllocated())
        RecreateWnd();
    Invalidate();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool Value)
{
    if (FAlwaysShowBorder == Value)
        return;
    FAlwaysShowBorder = Value;
    Invalidate();
}

void TCustomDBCheckBoxEh::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomDBCheckBoxEh::SetState(TCheckBoxState Value)
{
    if (ComponentState().Contains(csDesigning) && !DataIndepended())
        return;
    // A field name without a data source has nothing to write to: only the face changes.
    if (!DataIndepended())
        if (TDataSet* ds = FDataLink->DataSet())
            ds->Edit();
    InternalSetState(Value);
    if (FDataPosting)
        return;
    bool written = false;
    auto reset = Finally([&] {
        if (!written)
            FDataLink->Reset();
    });
    UpdateData(this);
    written = true;
}

bool TCustomDBCheckBoxEh::IsStateStored() const { return DataIndepended() && FState != cbUnchecked; }

void TCustomDBCheckBoxEh::SetValueChecked(const QString& Value)
{
    FValueCheck = Value;
    DataChange(this);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const QString& Value)
{
    FValueUncheck = Value;
    DataChange(this);
}

QString TCustomDBCheckBoxEh::DataField() const { return FDataLink->FieldName(); }
void TCustomDBCheckBoxEh::SetDataField(const QString& Value) { FDataLink->SetFieldName(Value); }
TDataSource* TCustomDBCheckBoxEh::DataSource() const { return FDataLink->DataSource(); }

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* Value)
{
    if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
        FDataLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

bool TCustomDBCheckBoxEh::ReadOnly() const { return FDataLink->ReadOnly(); }
void TCustomDBCheckBoxEh::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
TField* TCustomDBCheckBoxEh::Field() const { return FDataLink->Field(); }
void TCustomDBCheckBoxEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
bool TCustomDBCheckBoxEh::DataIndepended() const { return FDataLink->DataIndepended(); }

void TCustomDBCheckBoxEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TButtonControl::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == DataSource())
        SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::Loaded()
{
    TButtonControl::Loaded();
    DataChange(this);
}

// Written only when they differ from the defaults, which are not those of every language.
void TCustomDBCheckBoxEh::DefineProperties(TFiler* Filer)
{
    TButtonControl::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("ValueChecked"), [this](TReader* R) { SetValueChecked(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(FValueCheck); }, FValueCheck != DefaultValueChecked);
    Filer->DefineProperty(
        QStringLiteral("ValueUnchecked"), [this](TReader* R) { SetValueUnchecked(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(FValueUncheck); }, FValueUncheck != DefaultValueUnchecked);
}

// ---- value mapping ----

bool TCustomDBCheckBoxEh::ValueMatches(const QString& List, const QString& Text)
{
    const QStringList items = List.split(QLatin1Char(';'));
    for (const QString& item : items)
        if (AnsiSameText(Trim(item), Text))
            return true;
    return false;
}

TCheckBoxState TCustomDBCheckBoxEh::GetFieldState()
{
    if (DataIndepended()) {
        const Variant& v = FDataLink->DataIndependentValue;
        if (VarEqualsEh(v, Variant(true)))
            return cbChecked;
        if (VarEqualsEh(v, Variant(false)))
            return cbUnchecked;
        return cbGrayed;
    }
    TField* f = FDataLink->Field();
    if (!f)
        return cbUnchecked;
    if (f->DataType() == ftBoolean && FValueCheck == DefaultValueChecked && FValueUncheck == DefaultValueUnchecked) {
        if (f->IsNull())
            return cbGrayed;
        return f->AsBoolean() ? cbChecked : cbUnchecked;
    }
    const QString text = f->Text();
    if (ValueMatches(FValueCheck, text))
        return cbChecked;
    if (ValueMatches(FValueUncheck, text))
        return cbUnchecked;
    return cbGrayed;
}

void TCustomDBCheckBoxEh::UpdateFieldState()
{
    if (DataIndepended()) {
        FDataLink->SetValue(FState == cbGrayed ? Variant::Null() : Variant(FState == cbChecked));
        return;
    }
    TField* f = FDataLink->Field();
    if (!f)
        return;
    if (FState == cbGrayed)
        f->Clear();
    else if (f->DataType() == ftBoolean)
        f->SetAsBoolean(FState == cbChecked);
    else
        f->SetText(FirstValue(FState == cbChecked ? FValueCheck : FValueUncheck));
}

void TCustomDBCheckBoxEh::UpdateData(TObject*)
{
    bool handled = false;
    {
        FDataPosting = true;
        auto done = Finally([this] { FDataPosting = false; });
        if (OnUpdateData)
            OnUpdateData(this, handled);
    }
    if (!handled)
        UpdateFieldState();
}

void TCustomDBCheckBoxEh::DataChange(TObject*)
{
    if (!FDataLink)
        return;
    InternalSetState(GetFieldState());
    FModified = false;
}

void TCustomDBCheckBoxEh::InternalSetState(TCheckBoxState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    if (!FClicksDisabled)
        TButtonControl::DoClick();
    Invalidate();
    FModified = true;
}

void TCustomDBCheckBoxEh::Toggle()
{
    if (!FDataLink->Edit())
        return;
    switch (FState) {
    case cbUnchecked: InternalSetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: InternalSetState(cbUnchecked); break;
    case cbGrayed: InternalSetState(cbChecked); break;
    }
    FDataLink->Modified();
    Invalidate();
}

// ---- input ----

void TCustomDBCheckBoxEh::DoClick()
{
    if (FClicksDisabled)
        return;
    Toggle();
    Changed();
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink); return;
    case BM_GETCHECK:
        Message.Result = FState == cbChecked ? BST_CHECKED : FState == cbGrayed ? BST_INDETERMINATE : BST_UNCHECKED;
        return;
    case BM_CLICK:
        if (FEnabled)
            DoClick();
        return;
    default: TButtonControl::Dispatch(Message);
    }
}

void TCustomDBCheckBoxEh::KeyDown(Word& Key, TShiftState Shift)
{
    TButtonControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
        FToggleKeyDown = true;
        Invalidate();
    }
}

void TCustomDBCheckBoxEh::KeyUp(Word& Key, TShiftState Shift)
{
    TButtonControl::KeyUp(Key, Shift);
    if (Key == VK_SPACE && FToggleKeyDown) {
        FToggleKeyDown = false;
        Invalidate();
        Toggle();
    }
}

void TCustomDBCheckBoxEh::KeyPress(QChar& Key)
{
    TButtonControl::KeyPress(Key);
    if (Key == QChar(8) || Key == QChar(' ')) {
        FDataLink->Edit();
    } else if (Key == QChar(27)) {
        FDataLink->Reset();
        Key = QChar(0);
    }
}

void TCustomDBCheckBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TButtonControl::MouseDown(Button, Shift, X, Y);
    Invalidate();
}

void TCustomDBCheckBoxEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TButtonControl::MouseUp(Button, Shift, X, Y);
    Invalidate();
}

void TCustomDBCheckBoxEh::WMCancelMode(TMessage& M)
{
    if (!MouseCapture())
        return;
    const bool leftDown = ControlState.Contains(csClicked);
    SetMouseCapture(false);
    // Let the press end where no click can happen.
    if (leftDown)
        Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(-1), WORD(-1)));
}

void TCustomDBCheckBoxEh::WMSetFocus(TMessage& M)
{
    TButtonControl::WMSetFocus(M);
    Invalidate();
}

void TCustomDBCheckBoxEh::WMKillFocus(TMessage& M)
{
    TButtonControl::WMKillFocus(M);
    FToggleKeyDown = false;
    Invalidate();
}

void TCustomDBCheckBoxEh::WMSize(TMessage& M)
{
    TButtonControl::WMSize(M);
    Invalidate();
}

void TCustomDBCheckBoxEh::CMExit(TMessage& M)
{
    bool updated = false;
    {
        // A value the field refuses keeps the user here.
        auto stay = Finally([&] {
            if (!updated)
                SetFocus();
        });
        FDataLink->UpdateRecord();
        updated = true;
    }
    TButtonControl::CMExit(M);
}

void TCustomDBCheckBoxEh::CMWantSpecialKey(TMessage& M)
{
    TButtonControl::CMWantSpecialKey(M);
    // Esc undoes the change first instead of closing the dialog.
    if (M.WParam == VK_ESCAPE && FModified)
        M.Result = 1;
}

void TCustomDBCheckBoxEh::CMMouseEnter(TMessage& M)
{
    TButtonControl::CMMouseEnter(M);
    FMouseAboveControl = true;
    Invalidate();
}

void TCustomDBCheckBoxEh::CMMouseLeave(TMessage& M)
{
    TButtonControl::CMMouseLeave(M);
    FMouseAboveControl = false;
    Invalidate();
}

// ---- painting ----

void TCustomDBCheckBoxEh::Paint()
{
    if (ControlState.Contains(csPaintCopy)) {
        DrawCheckBox(Canvas(), GetFieldState(), false, false, false);
        return;
    }
    const bool pressed = (FMouseAboveControl && ControlState.Contains(csClicked)) || FToggleKeyDown;
    DrawCheckBox(Canvas(), FState, Focused(), FMouseAboveControl, pressed);
}

void TCustomDBCheckBoxEh::DrawCheckBox(TCanvas* Canvas, TCheckBoxState AState, bool IsFocused, bool IsHot,
                                       bool IsPressed)
{
    Canvas->Brush()->SetColor(FColor);
    Canvas->Brush()->SetStyle(bsSolid);
    const TRect client = ClientRect();
    Canvas->FillRect(client);
    const bool rtl = UseRightToLeftAlignment();
    const bool captionLeft = (FAlignment == taLeftJustify) != rtl;
    TRect glyph, caption = client;
    if (captionLeft) {
        GetAlignedCheckBoxRect(client, taRightJustify, tlCenter, glyph);
        caption.Right = glyph.Left - 5;
    } else {
        GetAlignedCheckBoxRect(client, taLeftJustify, tlCenter, glyph);
        caption.Left = glyph.Right + 5;
    }
    DrawCaption(Canvas, caption, IsFocused);
    DrawCheckGlyph(Canvas, glyph, AState, IsHot || IsFocused, IsPressed);
}

void TCustomDBCheckBoxEh::DrawCheckGlyph(TCanvas* Canvas, const TRect& ARect, TCheckBoxState AState, bool IsActive,
                                         bool IsPressed)
{
    const bool designing = ComponentState().Contains(csDesigning);
    const bool active = IsActive || (FAlwaysShowBorder && !ThemesEnabledEh());
    DrawEditButtonControl(Canvas, ARect, FColor, bcsCheckboxEh, IsPressed ? 1 : 0, FFlat, active,
                          FEnabled || designing, AState);
}

void TCustomDBCheckBoxEh::DrawCaption(TCanvas* Canvas, const TRect& ARect, bool IsFocused)
{
    Canvas->Font()->Assign(Font());
    Canvas->Brush()->SetStyle(bsClear);
    HDC dc = Canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    TRect calc(0, 0, 0, 0);
    DrawText(dc, FText, -1, calc, DT_SINGLELINE | DT_CALCRECT);
    const int w = calc.Width(), h = calc.Height();
    TRect r;
    r.Top = Height() / 2 - h / 2;
    r.Bottom = r.Top + h;
    if (UseRightToLeftReading() && FAlignment == taRightJustify) {
        r.Right = ARect.Right;
        r.Left = r.Right - w;
    } else {
        r.Left = ARect.Left;
        r.Right = r.Left + w;
    }
    if (FEnabled || ComponentState().Contains(csDesigning)) {
        SetTextColor(dc, ColorToRGB(Canvas->Font()->GetColor()));
        DrawText(dc, FText, -1, r, DT_SINGLELINE);
    } else {
        TRect shadow = r;
        OffsetRect(shadow, 1, 1);
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        DrawText(dc, FText, -1, shadow, DT_SINGLELINE);
        SetTextColor(dc, ColorToRGB(clGrayText));
        DrawText(dc, FText, -1, r, DT_SINGLELINE);
    }
    if (IsFocused) {
        TRect focus = r;
        InflateRect(focus, 1, 1);
        focus.Bottom += 1;
        IntersectRect(focus, focus, ClientRect());
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->DrawFocusRect(focus);
    }
}
