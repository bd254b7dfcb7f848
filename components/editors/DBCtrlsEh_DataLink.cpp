// The field link of the edit controls, the edit image, the empty-data text and the
// value-to-text helpers.
#include "components/editors/DBCtrlsEh.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"

#include <algorithm>

// ============================================================================================
// TFieldDataLinkEh
// ============================================================================================

TFieldDataLinkEh::TFieldDataLinkEh()
{
    SetVisualControl(true);
}

void TFieldDataLinkEh::SetDataSource(TDataSource* Value)
{
    if (Value == TDataLink::DataSource())
        return;
    TDataLink::SetDataSource(Value);
    UpdateDataIndepended();
}

void TFieldDataLinkEh::SetFieldName(const QString& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    UpdateField();
    UpdateDataIndepended();
}

void TFieldDataLinkEh::SetMultiFields(bool Value)
{
    if (FMultiFields == Value)
        return;
    FMultiFields = Value;
    UpdateField();
}

bool TFieldDataLinkEh::GetActive() const
{
    return FDataIndepended || (TDataLink::Active() && GetField());
}

bool TFieldDataLinkEh::GetDataSetActive() const
{
    TDataSource* ds = TDataLink::DataSource();
    return ds && ds->DataSet() && ds->DataSet()->Active();
}

bool TFieldDataLinkEh::CanModify() const
{
    if (TField* f = GetField())
        return f->CanModify();
    return FDataIndepended;
}

TField* TFieldDataLinkEh::GetFieldsField(int Index) const
{
    if (Index < 0 || Index >= int(FFields.size()))
        return nullptr;
    return FFields[size_t(Index)];
}

bool TFieldDataLinkEh::IsDataIndepended() const
{
    return !TDataLink::DataSource() && FFieldName.isEmpty();
}

void TFieldDataLinkEh::UpdateDataIndepended()
{
    const bool value = IsDataIndepended();
    if (value == FDataIndepended)
        return;
    FDataIndepended = value;
    DataIndependentValue = Variant::Null();
    LayoutChanged();
    if (FDataIndepended)
        RecordChanged(nullptr);
}

bool TFieldDataLinkEh::Edit()
{
    if (FDataIndepended) {
        if (!FEditing && !ReadOnly()) {
            FEditing = true;
            FModified = false;
            if (OnEditingChange)
                OnEditingChange(this);
        }
    } else if (CanModify()) {
        TDataLink::Edit();
    }
    return FEditing;
}

void TFieldDataLinkEh::SetText(const QString& Text)
{
    if (FDataIndepended) {
        DataIndependentValue = Variant(Text);
        RecordChanged(nullptr);
        return;
    }
    TField* f = GetField();
    if (!f)
        return;
    // A memo takes the text as it stands: its text-setting handler is for one-line input.
    if (dynamic_cast<TMemoField*>(f) || dynamic_cast<TWideMemoField*>(f))
        f->SetAsString(Text);
    else
        f->SetText(Text);
}

void TFieldDataLinkEh::SetValue(const Variant& Value)
{
    if (FDataIndepended) {
        DataIndependentValue = Value;
        RecordChanged(nullptr);
        return;
    }
    if (FFields.size() > 1) {
        if (VarEqualsEh(Value, Variant::Null())) {
            for (TField* f : FFields)
                f->SetValue(Variant::Null());
        } else {
            for (size_t i = 0; i < FFields.size(); ++i)
                FFields[i]->SetValue(Value.GetElement(int(i)));
        }
    } else if (TField* f = GetField()) {
        f->SetValue(Value);
    }
}

void TFieldDataLinkEh::UpdateField()
{
    // Emptied first: when resolving raises, the link holds no field rather than fields that
    // may be gone or that no longer match the name.
    FFields.clear();
    TFieldsArrEh list;
    if (TDataLink::Active() && !FFieldName.isEmpty()) {
        TDataSet* ds = DataSet();
        if (FMultiFields) {
            if (FControl)
                AddFieldsByNames(&list, ds, FControl, FFieldName);
            else
                ds->GetFieldList(list, FFieldName);
        } else if (FControl) {
            TField* f = ds->FindField(FFieldName);
            if (!f)
                DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {FFieldName}, FControl);
            list.push_back(f);
        } else {
            list.push_back(ds->FieldByName(FFieldName));
        }
    }
    FFields = std::move(list);
    EditingChanged();
    RecordChanged(nullptr);
}

bool TFieldDataLinkEh::HoldsFreedField() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return !FFields.empty();
    const auto& live = ds->Fields()->List();
    return std::any_of(FFields.begin(), FFields.end(), [&](TField* f) {
        return std::find(live.begin(), live.end(), f) == live.end();
    });
}

void TFieldDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
    TDataLink::DataEvent(Event, Info);
    if (Event == deDisabledStateChange) {
        // Info is set while the dataset's controls are disabled: fields may be rebuilt then.
        if (Info == 0)
            UpdateField();
        else
            FFields.clear();
    } else if (Event == deFieldListChange && HoldsFreedField()) {
        // A bound field was freed under the link (this may run inside the field's
        // destructor, so nothing is resolved or raised here).
        FFields.clear();
        EditingChanged();
        RecordChanged(nullptr);
    }
}

void TFieldDataLinkEh::ActiveChanged()
{
    UpdateField();
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLinkEh::EditingChanged()
{
    const bool value = TDataLink::Editing() && CanModify();
    if (value == FEditing)
        return;
    FEditing = value;
    FModified = false;
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLinkEh::FocusControl(TField** Field)
{
    if (!Field || !*Field || std::find(FFields.begin(), FFields.end(), *Field) == FFields.end())
        return;
    auto* control = dynamic_cast<TWinControl*>(FControl);
    if (control && control->CanFocus()) {
        *Field = nullptr;
        control->SetFocus();
    }
}

void TFieldDataLinkEh::LayoutChanged()
{
    UpdateField();
}

void TFieldDataLinkEh::HandleRecordChanged(TField* Field)
{
    if (Field && std::find(FFields.begin(), FFields.end(), Field) == FFields.end())
        return;
    if (OnDataChange)
        OnDataChange(this);
    FModified = false;
}

void TFieldDataLinkEh::UpdateData()
{
    if (FDataIndepended) {
        if (FModified && OnUpdateData)
            OnUpdateData(this);
        FEditing = false;
    } else if (FModified && GetField() && OnUpdateData) {
        OnUpdateData(this);
    }
    FModified = false;
}

// ============================================================================================
// TEditImageEh
// ============================================================================================

TEditImageEh::TEditImageEh(TWinControl* EditControl) : FEditControl(EditControl) {}

TEditImageEh::~TEditImageEh() = default;

TPersistent* TEditImageEh::GetOwner() const
{
    return FEditControl;
}

void TEditImageEh::SizeChanged()
{
    if (FEditControl)
        FEditControl->Perform(CM_EDITIMAGECHANGEDEH, reinterpret_cast<WPARAM>(this), 0);
}

void TEditImageEh::SetImageIndex(int Value)
{
    if (FImageIndex == Value)
        return;
    FImageIndex = Value;
    if (FEditControl)
        FEditControl->Invalidate();
}

void TEditImageEh::SetImages(TCustomImageList* Value)
{
    if (FImages == Value)
        return;
    FImages = Value;
    if (FImages && FEditControl)
        FImages->FreeNotification(FEditControl);
    SizeChanged();
}

void TEditImageEh::SetUseImageHeight(bool Value)
{
    if (FUseImageHeight == Value)
        return;
    FUseImageHeight = Value;
    SizeChanged();
}

void TEditImageEh::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    SizeChanged();
}

void TEditImageEh::SetWidth(int Value)
{
    if (FWidth == Value)
        return;
    FWidth = Value;
    SizeChanged();
}

void TEditImageEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TEditImageEh*>(Source)) {
        SetImages(src->Images());
        SetImageIndex(src->ImageIndex());
        SetVisible(src->Visible());
        SetWidth(src->Width());
        return;
    }
    TPersistent::Assign(Source);
}

// ============================================================================================
// TControlEmptyDataInfoEh
// ============================================================================================

TControlEmptyDataInfoEh::TControlEmptyDataInfoEh(IEmptyDataInfoHostEh* Control)
    : FControl(Control), FFont(Create<TFont>())
{
    if (TWinControl* c = FControl->EmptyDataInfoControl())
        FFont->Assign(c->Font());
    FFont->SetColor(clSilver);
    FFont->SetStyle(FFont->GetStyle() << fsItalic);
    FFont->OnChange = TNotifyEvent(this, &TControlEmptyDataInfoEh::FontChanged);
    FAlignment = FControl->EmptyDataInfoAlignment();
}

TControlEmptyDataInfoEh::~TControlEmptyDataInfoEh()
{
    delete FFont;
}

TPersistent* TControlEmptyDataInfoEh::GetOwner() const
{
    return FControl->EmptyDataInfoControl();
}

void TControlEmptyDataInfoEh::Repaint()
{
    if (TWinControl* c = FControl->EmptyDataInfoControl())
        c->Invalidate();
}

void TControlEmptyDataInfoEh::FontChanged(TObject*)
{
    FParentFont = false;
    Repaint();
}

void TControlEmptyDataInfoEh::SetText(const QString& Value)
{
    if (FText == Value)
        return;
    FText = Value;
    Repaint();
}

void TControlEmptyDataInfoEh::SetFont(TFont* Value)
{
    FFont->Assign(Value);
}

void TControlEmptyDataInfoEh::SetParentFont(bool Value)
{
    if (FParentFont == Value)
        return;
    FParentFont = Value;
    RefreshDefaultFont();
    Repaint();
}

TAlignment TControlEmptyDataInfoEh::Alignment() const
{
    return FAlignmentIsStored ? FAlignment : FControl->EmptyDataInfoAlignment();
}

void TControlEmptyDataInfoEh::SetAlignment(TAlignment Value)
{
    SetAlignmentIsStored(true);
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    Repaint();
}

void TControlEmptyDataInfoEh::SetAlignmentIsStored(bool Value)
{
    if (FAlignmentIsStored == Value)
        return;
    FAlignmentIsStored = Value;
    if (Value)
        FAlignment = FControl->EmptyDataInfoAlignment();
    Repaint();
}

void TControlEmptyDataInfoEh::RefreshDefaultFont()
{
    if (!FParentFont)
        return;
    TWinControl* c = FControl->EmptyDataInfoControl();
    if (!c)
        return;
    const TNotifyEvent handler = FFont->OnChange;
    FFont->OnChange = nullptr;
    auto reattach = Finally([&] { FFont->OnChange = handler; });
    FFont->SetSize(c->Font()->GetSize());
    FFont->SetName(c->Font()->GetName());
    FFont->SetCharset(c->Font()->GetCharset());
}

bool TControlEmptyDataInfoEh::Showing()
{
    if (FText.isEmpty())
        return false;
    TWinControl* c = FControl->EmptyDataInfoControl();
    return !(c && c->Focused()) && FControl->IsEmpty();
}

void TControlEmptyDataInfoEh::PaintEmptyDataInfo()
{
    TCanvas* canvas = FControl->EmptyDataInfoCanvas();
    TWinControl* c = FControl->EmptyDataInfoControl();
    if (!canvas)
        return;
    canvas->SetFont(FFont);
    const TRect r = FControl->GetEditRect();
    const TPoint margins = FControl->EditTextMargins();
    TAlignment alignment = Alignment();
    if (c && c->UseRightToLeftAlignment()) {
        if (alignment == taLeftJustify)
            alignment = taRightJustify;
        else if (alignment == taRightJustify)
            alignment = taLeftJustify;
    }
    const int textWidth = canvas->TextWidth(FText);
    int x = margins.X;
    if (alignment == taRightJustify)
        x = r.Right - textWidth - margins.X;
    else if (alignment == taCenter)
        x = (r.Right - textWidth) / 2;
    if (c)
        canvas->Brush()->SetColor(c->Color());
    canvas->TextRect(r, x, margins.Y, FText);
}

// ============================================================================================
// Value-to-text helpers
// ============================================================================================

QString SafeVarToStr(const Variant& Value)
{
    if (Value.IsArray())
        return QString();
    try {
        return VarToStr(Value);
    } catch (const std::exception&) {
        return QString();
    }
}

bool TryTextToFloatEh(const QString& Text, double& Value)
{
    const QChar decimal = FormatSettings.DecimalSeparator;
    for (QChar ch : Text) {
        if (ch != decimal && ch != u'+' && ch != u'-' && ch != u'E' && ch != u'e' && !(ch >= u'0' && ch <= u'9'))
            return false;
    }
    if (Text == QStringLiteral("+") || Text == QStringLiteral("-")) {
        Value = 0;
        return true;
    }
    // The conversion takes this many characters; a longer text is refused rather than read
    // in part.
    if (Text.size() > MaxTextToFloatLengthEh)
        return false;
    return TryStrToFloat(Text, Value, FormatSettings);
}

QString InsertThousandSeparators(const QString& NumberText, bool UseSeparators)
{
    if (!UseSeparators)
        return NumberText;
    int start = 0;
    if (!NumberText.isEmpty() && (NumberText[0] == u'+' || NumberText[0] == u'-'))
        start = 1;
    int end = NumberText.size();
    for (int i = start; i < NumberText.size(); ++i) {
        const QChar ch = NumberText[i];
        if (ch == FormatSettings.DecimalSeparator || ch == u'E' || ch == u'e') {
            end = i;
            break;
        }
    }
    const QString digits = NumberText.mid(start, end - start);
    QString grouped;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += FormatSettings.ThousandSeparator;
        grouped += digits[i];
    }
    return NumberText.left(start) + grouped + NumberText.mid(end);
}

QString DefaultNumberDisplayFormat()
{
    return QStringLiteral(",#.") + QString(int(FormatSettings.CurrencyDecimals), u'0');
}
