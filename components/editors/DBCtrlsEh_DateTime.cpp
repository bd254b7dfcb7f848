// The date/time edit: edit formats, reading and composing typed dates, stepping, the control.
#include "DBCtrlsEh_DateTime.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/winapi/WinUser.h"

#include <QDate>
#include <cmath>

// ============================================================================================
// Edit formats
// ============================================================================================

namespace {

bool IsElementLetter(QChar C)
{
    switch (C.toUpper().unicode()) {
    case 'D': case 'M': case 'Y': case 'H': case 'N': case 'S':
        return true;
    default:
        return false;
    }
}

bool IsMaskSpecial(QChar C)
{
    return QStringView(u"!#09;<>ACLacl").contains(C);
}

TElementMaskPosEh& ElementOf(TDateTimeElementsMaskPosEh& P, QChar Letter)
{
    switch (Letter.unicode()) {
    case 'Y': return P.Year;
    case 'M': return P.Month;
    case 'D': return P.Day;
    case 'H': return P.Hour;
    case 'N': return P.Min;
    default: return P.Sec;
    }
}

// Walks a format: Element(letter upper-cased, escaped == false) for element letters,
// Literal(char, escaped) for the rest; "\" itself is consumed.
template <class ElementFn, class LiteralFn>
void WalkEditFormat(const QString& Format, ElementFn Element, LiteralFn Literal)
{
    bool escaped = false;
    for (int i = 0; i < Format.size(); ++i) {
        const QChar c = Format[i];
        if (!escaped && c == u'\\') {
            escaped = true;
            continue;
        }
        if (!escaped && IsElementLetter(c))
            Element(c.toUpper(), i);
        else
            Literal(c, escaped, i);
        escaped = false;
    }
}

} // namespace

QString ParseEditFormat(const QString& EditFormat, TDateTimeElementsMaskPosEh& MaskPos)
{
    MaskPos = TDateTimeElementsMaskPosEh();
    QString body;
    int textPos = 0;
    QChar run;          // the element whose run is being read
    QChar runWritten;   // its letter as written
    int runLen = 0, runStart = 0;

    auto endRun = [&] {
        if (run.isNull())
            return;
        const bool year = run == u'Y';
        if (year ? (runLen != 2 && runLen != 4) : runLen != 2)
            throw Exception(QStringLiteral("Invalid datetime format element length: \"%1\"").arg(runWritten));
        TElementMaskPosEh& e = ElementOf(MaskPos, run);
        if (e.Present)
            throw Exception(QStringLiteral("Duplicating datetime format element: \"%1\"").arg(runWritten));
        e.Pos = runStart;
        e.Length = runLen;
        e.Present = true;
        run = QChar();
    };

    WalkEditFormat(
        EditFormat,
        [&](QChar letter, int i) {
            if (letter == run) {
                if (++runLen > (run == u'Y' ? 4 : 2))
                    throw Exception(QStringLiteral("Element in EditFormat: \"%1\" is too long. Pos: %2")
                                        .arg(EditFormat)
                                        .arg(i + 1));
            } else {
                endRun();
                run = letter;
                runWritten = EditFormat[i];
                runLen = 1;
                runStart = textPos + 1;
            }
            body += u'9';
            ++textPos;
        },
        [&](QChar c, bool escaped, int) {
            endRun();
            if (IsMaskSpecial(c) && !escaped)
                body += u'\\';
            body += c;
            ++textPos;
        });
    endRun();
    return u'!' + body + QStringLiteral(";1; ");
}

QString EditFormatToDateTimeFormat(const QString& EditFormat)
{
    QString out;
    bool quoted = false;
    auto closeQuote = [&] {
        if (quoted)
            out += u'\'';
        quoted = false;
    };
    WalkEditFormat(
        EditFormat,
        [&](QChar letter, int) {
            closeQuote();
            out += letter;
        },
        [&](QChar c, bool escaped, int) {
            if (!escaped && (c == u'/' || c == u':')) {
                closeQuote();
                out += c;
                return;
            }
            if (!quoted)
                out += u'\'';
            quoted = true;
            out += c == u'\'' ? QStringLiteral("''") : QString(c);
        });
    closeQuote();
    return out;
}

QString EditFormatToStepTemplate(const QString& EditFormat)
{
    QString out;
    WalkEditFormat(
        EditFormat, [&](QChar letter, int) { out += letter; },
        [&](QChar c, bool escaped, int) { out += !escaped && (c == u'/' || c == u':') ? c : QChar(u' '); });
    return out;
}

QString DefaultDateEditFormat(bool FourDigitYear)
{
    const QString yy = FourDigitYear ? QStringLiteral("YYYY") : QStringLiteral("YY");
    for (QChar c : FormatSettings.ShortDateFormat) {
        switch (c.toUpper().unicode()) {
        case 'M': return QStringLiteral("MM/DD/") + yy;
        case 'Y': return yy + QStringLiteral("/MM/DD");
        case 'D': return QStringLiteral("DD/MM/") + yy;
        default: break;
        }
    }
    return QStringLiteral("DD/MM/") + yy;
}

bool LocaleHasFourDigitYear()
{
    // "YYY" is found inside "YYYY" too.
    return FormatSettings.ShortDateFormat.toUpper().contains(QStringLiteral("YYY"));
}

// ============================================================================================
// Reading and composing values
// ============================================================================================

int ExpandTwoDigitYear(int Year, int CurrentYear)
{
    if (Year >= 100 || Year < 0)
        return Year;
    if (CurrentYear == 0)
        CurrentYear = QDate::currentDate().year();
    const int pivot = CurrentYear - 60;
    Year += pivot / 100 * 100;
    if (Year < pivot)
        Year += 100;
    return Year;
}

namespace {

// Leading spaces skipped, inner spaces ignored, only digits otherwise; -1 when there is no
// digit or any other character.
int ReadElementNumber(const QString& Text, int Pos, int Length)
{
    if (Pos < 1 || Length < 1)
        return -1;
    const QString s = Text.mid(Pos - 1, Length);
    int value = 0;
    bool any = false;
    for (QChar c : s) {
        if (c == u' ')
            continue;
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - '0');
        any = true;
    }
    return any ? value : -1;
}

int ReadElement(const QString& Text, const TElementMaskPosEh& E)
{
    return E.Present ? ReadElementNumber(Text, E.Pos, E.Length) : -1;
}

} // namespace

bool ParseTextByMask(const QString& Text, const TDateTimeElementsMaskPosEh& MaskPos, TDateTimePartsEh& Parts)
{
    Parts.Year = ReadElement(Text, MaskPos.Year);
    if (Parts.Year >= 0)
        Parts.Year = ExpandTwoDigitYear(Parts.Year);
    Parts.Month = ReadElement(Text, MaskPos.Month);
    Parts.Day = ReadElement(Text, MaskPos.Day);
    Parts.Hour = ReadElement(Text, MaskPos.Hour);
    Parts.Min = ReadElement(Text, MaskPos.Min);
    Parts.Sec = ReadElement(Text, MaskPos.Sec);
    auto ok = [](const TElementMaskPosEh& e, int v) { return !e.Present || v != -1; };
    return ok(MaskPos.Year, Parts.Year) && ok(MaskPos.Month, Parts.Month) && ok(MaskPos.Day, Parts.Day) &&
           ok(MaskPos.Hour, Parts.Hour) && ok(MaskPos.Min, Parts.Min) && ok(MaskPos.Sec, Parts.Sec);
}

bool IsDateTimeInRangeEh(double Value)
{
    // From 0001-01-01 (its time subtracts, the date being negative) to the end of 9999-12-31.
    return std::isfinite(Value) && Value > -693594.0 && Value < 2958466.0;
}

TDateTimePartsEh DecomposeDateTimeValue(const Variant& Value)
{
    TDateTimePartsEh p;
    if (Value.IsNull() || Value.IsEmpty())
        return p;
    const TDateTime d = VarToDateTime(Value);
    int ms = 0;
    DecodeDate(d, p.Year, p.Month, p.Day);
    DecodeTime(d, p.Hour, p.Min, p.Sec, ms);
    return p;
}

bool ComposeDateTimeValue(TDateTimePartsEh P, const TDateTimeElementsMaskPosEh& MaskPos, Variant& Value,
                          bool Complete)
{
    if (P.AllAbsent()) {
        Value = Variant::Null();
        return true;
    }
    if (Complete) {
        int ty = 0, tm = 0, td = 0;
        DecodeDate(Date(), ty, tm, td);
        if (P.Year < 1)
            P.Year = ty;
        if (P.Month < 1)
            P.Month = tm;
        if (P.Day < 1)
            P.Day = td;
        P.Month = std::min(P.Month, 12);
        P.Year = ExpandTwoDigitYear(std::min(P.Year, 9999));
        P.Day = std::min(P.Day, DaysInAMonth(P.Year, P.Month));
        P.Hour = std::clamp(P.Hour, 0, 23);
        P.Min = std::clamp(P.Min, 0, 59);
        P.Sec = std::clamp(P.Sec, 0, 59);
    } else {
        auto dateDefault = [](const TElementMaskPosEh& e, int& v) {
            if (!e.Present && v < 1)
                v = 1;
        };
        auto timeDefault = [](const TElementMaskPosEh& e, int& v) {
            if (!e.Present && v < 0)
                v = 0;
        };
        dateDefault(MaskPos.Year, P.Year);
        dateDefault(MaskPos.Month, P.Month);
        dateDefault(MaskPos.Day, P.Day);
        timeDefault(MaskPos.Hour, P.Hour);
        timeDefault(MaskPos.Min, P.Min);
        timeDefault(MaskPos.Sec, P.Sec);
    }

    const bool noDate = P.Year < 0 && P.Month < 0 && P.Day < 0;
    const bool dateOk = noDate || (P.Year >= 1 && P.Year <= 9999 && P.Month >= 1 && P.Month <= 12 && P.Day >= 1 &&
                                   P.Day <= DaysInAMonth(P.Year, P.Month));
    const bool timeOk = P.Hour >= 0 && P.Hour < 24 && P.Min >= 0 && P.Min < 60 && P.Sec >= 0 && P.Sec < 60;
    if (!dateOk || !timeOk) {
        Value = Variant::Null();
        return false;
    }

    // The previous value's components; an empty value has none, so that a time typed into
    // an empty time-only edit stays a pure time, while a partial date mask still lands in 1900.
    const bool hasDateElement = MaskPos.Year.Present || MaskPos.Month.Present || MaskPos.Day.Present;
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    if (!Value.IsNull() && !Value.IsEmpty()) {
        const TDateTime prev = VarToDateTime(Value);
        DecodeDate(prev, y, m, d);
        DecodeTime(prev, h, n, s, ms);
    } else if (hasDateElement) {
        y = 1900;
        m = 1;
        d = 1;
    }
    if (MaskPos.Year.Present && P.Year > 0)
        y = P.Year;
    if (MaskPos.Month.Present && P.Month > 0)
        m = P.Month;
    if (MaskPos.Day.Present && P.Day > 0)
        d = P.Day;
    if (MaskPos.Hour.Present && P.Hour >= 0)
        h = P.Hour;
    if (MaskPos.Min.Present && P.Min >= 0)
        n = P.Min;
    if (MaskPos.Sec.Present && P.Sec >= 0)
        s = P.Sec;

    TDateTime time = 0;
    if (!TryEncodeTime(h, n, s, ms, time)) {
        Value = Variant::Null();
        return false;
    }
    if (y == 0 && m == 0 && d == 0) {
        Value = Variant::FromDate(time);
        return true;
    }
    // The previous day may not exist in the new month (31st kept while the month becomes 4).
    TDateTime date = 0;
    if (!TryEncodeDate(y, m, d, date)) {
        Value = Variant::Null();
        return false;
    }
    Value = Variant::FromDate(date < 0 ? date - time : date + time);
    return true;
}

// ============================================================================================
// Stepping
// ============================================================================================

bool FindDateTimeElement(const QString& Template, int P, QChar& Letter, int& S, int& R)
{
    if (P < 1 || P > Template.size())
        return false;
    const QChar at = Template[P - 1];
    if (at == u'/' || at == u':' || at == FormatSettings.DateSeparator || at == FormatSettings.TimeSeparator)
        ++P;
    if (P > Template.size() || !IsElementLetter(Template[P - 1]))
        return false;
    Letter = Template[P - 1];
    S = int(Template.indexOf(Letter)) + 1;
    R = 0;
    while (S - 1 + R < Template.size() && Template[S - 1 + R] == Letter)
        ++R;
    return true;
}

QString StepDateTimeElementText(const QString& Text, QChar Letter, int S, int R, bool Up)
{
    int low = 0, high = 59;
    switch (Letter.unicode()) {
    case 'D': low = 1; high = 31; break;
    case 'M': low = 1; high = 12; break;
    // A two-digit year element wraps within its two digits, so the text keeps its layout.
    case 'Y': low = R <= 2 ? 0 : 1; high = R <= 2 ? 99 : 9999; break;
    case 'H': low = 0; high = 23; break;
    default: break;
    }
    int v = ReadElementNumber(Text, S, R);
    if (v < 0)
        v = 0;
    if (Up)
        v = v + 1 > high ? low : v + 1;
    else
        v = v - 1 < low ? high : v - 1;
    const QString digits = QStringLiteral("%1").arg(v, R, 10, QLatin1Char('0'));
    QString out = Text;
    if (out.size() < S - 1 + R)
        out = out.leftJustified(S - 1 + R, u' ');
    out.replace(S - 1, R, digits);
    return out;
}

// ============================================================================================
// The control
// ============================================================================================

DOV_PUBLISHED(TCustomDBDateTimeEditEh) {}

DOV_PUBLISHED(TDBDateTimeEditEh)
{
    using E = TDBDateTimeEditEh;
    P.Prop("ControlLabel", &E::ControlLabel);
    P.Prop("ControlLabelLocation", &E::ControlLabelLocation);
    P.Prop("Alignment", &E::Alignment, &E::SetAlignment).Stored(&E::IsAlignmentStored);
    P.Prop("AlwaysShowBorder", &E::AlwaysShowBorder, &E::SetAlwaysShowBorder).Default(false);
    P.Prop("AutoSize", &E::AutoSize, &E::SetAutoSize).Default(true);
    P.Prop("DataField", &E::DataField, &E::SetDataField);
    P.Prop("DataSource", &E::DataSource, &E::SetDataSource);
    P.Prop("DynProps", &E::DynProps, &E::SetDynProps);
    P.Prop("EditButton", &E::EditButton, &E::SetEditButton);
    P.Prop("EditButtons", &E::EditButtons, &E::SetEditButtons);
    P.Prop("EmptyDataInfo", &E::EmptyDataInfo, &E::SetEmptyDataInfo);
    P.Prop("Flat", &E::Flat, &E::SetFlat).Default(false);
    P.Prop("HighlightRequired", &E::HighlightRequired, &E::SetHighlightRequired).Default(false);
    P.Prop("Images", &E::Images, &E::SetImages);
    P.Prop("MRUList", &E::MRUList, &E::SetMRUList);
    P.Prop("ReadOnly", &E::ReadOnly, &E::SetReadOnly).Default(false);
    P.Prop("ShowHint", &E::ShowHint, &E::SetShowHint).Default(false);
    P.Prop("Tooltips", &E::Tooltips, &E::SetTooltips).Default(false);
    P.Prop("Kind", &E::Kind, &E::SetKind).Stored(&E::IsKindStored);
    P.Prop("EditFormat", &E::EditFormat, &E::SetEditFormat).Stored(&E::IsEditFormatStored);
    P.Prop("Value", &E::Value, &E::SetValue);
    P.Event("OnButtonClick", &E::OnButtonClick);
    P.Event("OnButtonDown", &E::OnButtonDown);
    P.Event("OnCloseUp", &E::OnCloseUp);
    P.Event("OnDropDown", &E::OnDropDown);
}

TDBDateTimeEditEh::TDBDateTimeEditEh(TComponent* AOwner) : TCustomDBDateTimeEditEh(AOwner) {}

TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner)
{
    ControlStyle.Exclude(csSetCaption);
}

void TCustomDBDateTimeEditEh::AfterConstruction()
{
    TCustomDBEditEh::AfterConstruction();
    UpdateFourDigitYear();
    UpdateMask();
}

TCustomDBDateTimeEditEh::~TCustomDBDateTimeEditEh()
{
    delete FDropDownCalendar;
    FDropDownCalendar = nullptr;
}

TPopupMonthCalendarEh* TCustomDBDateTimeEditEh::DropDownCalendar() const
{
    return static_cast<TPopupMonthCalendarEh*>(FDropDownCalendar);
}

TEditButtonEh* TCustomDBDateTimeEditEh::CreateEditButton()
{
    return Create<TVisibleEditButtonEh>(static_cast<TWinControl*>(this));
}

// ---- formats ----

void TCustomDBDateTimeEditEh::SetKind(TDateTimeKindEh Value)
{
    if (FKind == Value)
        return;
    FKind = Value;
    UpdateMask();
    LinkDataChanged(nullptr);
}

void TCustomDBDateTimeEditEh::SetEditFormat(const QString& Value)
{
    FKind = dtkCustomEh;
    if (FEditFormat == Value)
        return;
    FEditFormat = Value;
    UpdateMask();
    LinkDataChanged(nullptr);
}

void TCustomDBDateTimeEditEh::UpdateFourDigitYear()
{
    const bool four = LocaleHasFourDigitYear();
    if (four == FFourDigitYear)
        return;
    FFourDigitYear = four;
    UpdateMask();
}

void TCustomDBDateTimeEditEh::UpdateMask()
{
    switch (FKind) {
    case dtkDateEh: FEditFormat = DefaultDateEditFormat(FFourDigitYear); break;
    case dtkTimeEh: FEditFormat = QStringLiteral("HH:NN:SS"); break;
    case dtkDateTimeEh: FEditFormat = DefaultDateEditFormat(FFourDigitYear) + QStringLiteral(" HH:NN:SS"); break;
    case dtkCustomEh: break;
    }
    if (FEditFormat.isEmpty()) {
        FDateTimeFormat.clear();
        FStepTemplate.clear();
        FDateTimeMaskPos = TDateTimeElementsMaskPosEh();
        TCustomMaskEdit::SetEditMask(QString());
        return;
    }
    FDateTimeFormat = EditFormatToDateTimeFormat(FEditFormat);
    TDateTimeElementsMaskPosEh pos;
    const QString mask = ParseEditFormat(FEditFormat, pos);
    FDateTimeMaskPos = pos;
    FStepTemplate = EditFormatToStepTemplate(FEditFormat);
    TCustomMaskEdit::SetEditMask(mask);
}

// ---- value and text ----

void TCustomDBDateTimeEditEh::SetTextInternally(const QString& AText)
{
    FInternalTextSetting = true;
    auto guard = Finally([this] { FInternalTextSetting = false; });
    TCustomDBEditEh::InternalSetText(AText);
}

namespace {

// No digit and no letter: only blanks and the format's literals.
bool IsBlankDateText(const QString& Text)
{
    for (QChar c : Text)
        if (c.isLetterOrNumber())
            return false;
    return true;
}

[[noreturn]] void RaiseInvalidDateTime(const QString& Text)
{
    throw EConvertError(QStringLiteral("Invalid datetime: \"%1\"").arg(Text));
}

} // namespace

void TCustomDBDateTimeEditEh::InternalSetText(const QString& AText)
{
    Variant v = FValue;
    try {
        if (IsMasked()) {
            TDateTimePartsEh parts;
            ParseTextByMask(AText, FDateTimeMaskPos, parts);
            // Text that holds something but no element is no date either.
            if (!ComposeDateTimeValue(parts, FDateTimeMaskPos, v, false) || (v.IsNull() && !IsBlankDateText(AText)))
                RaiseInvalidDateTime(AText);
        } else {
            v = AText.trimmed().isEmpty() ? Variant::Null() : Variant::FromDate(StrToDateTime(AText));
        }
    } catch (const Exception&) {
        // The control shows the value it had, the field's when bound.
        FDataLink->Reset();
        throw;
    }
    FValue = v;
    SetTextInternally(AText);
}

void TCustomDBDateTimeEditEh::InternalSetValue(const Variant& AValue)
{
    if (AValue.IsNull() || AValue.IsEmpty()) {
        FValue = Variant::Null();
        SetTextInternally(QString());
        return;
    }
    const TDateTime d = VarToDateTime(AValue);
    if (!IsDateTimeInRangeEh(d))
        RaiseInvalidDateTime(FloatToStr(d));
    FValue = Variant::FromDate(d);
    SetTextInternally(IsMasked() ? FormatDateTime(FDateTimeFormat, d) : DateTimeToStr(d));
}

void TCustomDBDateTimeEditEh::SetValueAndPost(const Variant& Value)
{
    try {
        TCustomDBEditEh::SetValueAndPost(Value);
    } catch (const Exception&) {
        FDataLink->Reset();
        throw;
    }
}

void TCustomDBDateTimeEditEh::Change()
{
    if (!FInternalTextSetting) {
        try {
            if (IsMasked()) {
                TDateTimePartsEh parts;
                ParseTextByMask(EditText(), FDateTimeMaskPos, parts);
                Variant v = FValue;
                if (!ComposeDateTimeValue(parts, FDateTimeMaskPos, v, false))
                    v = Variant::Null();
                FValue = v;
            } else {
                TDateTime d = 0;
                FValue = TryStrToDateTime(Text(), d) ? Variant::FromDate(d) : Variant::Null();
            }
        } catch (const EConvertError&) {
            FValue = Variant::Null();
        }
    }
    TCustomDBEditEh::Change();
}

void TCustomDBDateTimeEditEh::ValidateEdit()
{
    if (FEditValidating)
        return;
    FEditValidating = true;
    auto guard = Finally([this] { FEditValidating = false; });
    TCustomDBEditEh::ValidateEdit();
    if (!IsMasked())
        return;
    TDateTimePartsEh parts;
    ParseTextByMask(EditText(), FDateTimeMaskPos, parts);
    Variant v = FValue;
    if (!ComposeDateTimeValue(parts, FDateTimeMaskPos, v, true))
        v = Variant::Null();
    FValue = v;
    SetTextInternally(v.IsNull() ? QString() : FormatDateTime(FDateTimeFormat, v.AsDateTime()));
}

bool TCustomDBDateTimeEditEh::IsEmpty()
{
    return IsMasked() ? EditText() == BlankText() : Text().isEmpty();
}

void TCustomDBDateTimeEditEh::DataChanged()
{
    try {
        if (TField* f = FDataLink->Field()) {
            Variant v;
            bool handled = false;
            if (OnGetFieldData)
                OnGetFieldData(this, v, handled);
            if (handled) {
                InternalSetValue(v);
            } else {
                if (f->Alignment() != FAlignment)
                    Invalidate();
                InternalSetValue(f->Value());
            }
        } else if (DataIndepended()) {
            InternalSetValue(FDataLink->DataIndependentValue);
        } else {
            InternalSetValue(Variant::Null());
        }
    } catch (const EVariantError&) {
        InternalSetValue(Variant::Null());
    } catch (const EConvertError&) {
        // A stored value the control cannot show (outside years 1 to 9999): shown empty and
        // left alone in the field, which is written only when the user changes the text.
        InternalSetValue(Variant::Null());
    }
    UpdateReadOnlyState();
    Modified = false;
}

void TCustomDBDateTimeEditEh::UpdateFieldFromText()
{
    Variant start = FDataLink->DataIndependentValue;
    if (!DataIndepended())
        start = FDataLink->Field() ? FDataLink->Field()->Value() : Variant::Null();
    Variant v;
    if (IsMasked()) {
        v = start;
        if (!ComposeDateTimeValue(DecomposeDateTimeValue(FValue), FDateTimeMaskPos, v, true))
            v = Variant::Null();
    } else {
        v = Text().trimmed().isEmpty() ? Variant::Null() : Variant::FromDate(StrToDateTime(Text()));
    }
    FDataLink->SetValue(v);
}

QString TCustomDBDateTimeEditEh::GetDisplayTextForPaintCopy()
{
    if (ComponentState().Contains(csDesigning) && !FDataLink->Active())
        return Name();
    if (ControlState.Contains(csPaintCopy) && Field()) {
        TField* f = Field();
        if (f->IsNull())
            return QString();
        return IsMasked() ? FormatDateTime(FDateTimeFormat, f->AsDateTime()) : DateTimeToStr(f->AsDateTime());
    }
    return EditText();
}

void TCustomDBDateTimeEditEh::FilterMRUItem(const QString& AText, bool& Accept)
{
    QString s = Text();
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == FormatSettings.DateSeparator))
        s.chop(1);
    Accept = AText.startsWith(s, Qt::CaseInsensitive);
}

// ---- stepping and keys ----

bool TCustomDBDateTimeEditEh::CanStep()
{
    return IsMasked() && !ReadOnly() && FDataLink->Edit();
}

void TCustomDBDateTimeEditEh::StepDateTimeElement(bool Up)
{
    const int p = std::min(SelStart(), SelStart() + SelLength()) + 1;
    QChar letter;
    int s = 0, r = 0;
    if (!FindDateTimeElement(FStepTemplate, p, letter, s, r))
        return;
    // Read back like typing, so the value follows the stepped text.
    TCustomMaskEdit::SetEditText(StepDateTimeElementText(EditText(), letter, s, r, Up));
    SetSelStart(s - 1);
    SetSelLength(r);
}

void TCustomDBDateTimeEditEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (FCalendarVisible) {
        const bool ctrlHomeEnd = (Key == VK_HOME || Key == VK_END) && Shift == TShiftState{ssCtrl};
        const bool nav = (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN || Key == VK_LEFT ||
                          Key == VK_RIGHT) &&
                         !Shift.Contains(ssAlt);
        if (nav || ctrlHomeEnd) {
            FDropDownCalendar->Perform(WM_KEYDOWN, Key, 1);
            Key = 0;
            return;
        }
        // Enter and Esc close the calendar in the key press.
        if (Key == VK_RETURN || Key == VK_ESCAPE)
            return;
    }
    if (IsMasked() && Shift.Empty()) {
        if ((Key == VK_UP || Key == VK_DOWN) && !ReadOnly()) {
            if (OnKeyDown)
                OnKeyDown(this, Key, Shift);
            if (Key != 0 && FDataLink->Edit()) {
                StepDateTimeElement(Key == VK_UP);
                // Consumed: the edit would move the caret off the selected element.
                Key = 0;
            }
            return;
        }
        if ((Key == VK_LEFT || Key == VK_RIGHT) && std::abs(SelLength()) > 1) {
            const int a = std::min(SelStart(), SelStart() + SelLength());
            SetSelStart(Key == VK_LEFT ? a : a + std::abs(SelLength()) - 1);
        }
    }
    TCustomDBEditEh::KeyDown(Key, Shift);
}

void TCustomDBDateTimeEditEh::KeyPress(QChar& Key)
{
    if (FCalendarVisible && (Key == QChar(13) || Key == QChar(27))) {
        CloseUp(Key == QChar(13));
        Key = QChar(0);
        return;
    }
    // A typed separator jumps to the next element (before the mask edit sees it).
    if (IsMasked() && !Key.isNull() && (Key == FormatSettings.DateSeparator || Key == FormatSettings.TimeSeparator)) {
        const QString t = EditText();
        const int from = std::max(SelStart(), SelStart() + SelLength());
        const int at = int(t.indexOf(Key, from));
        const int p = at >= 0 ? at + 2 : 1;
        QChar letter;
        int s = 0, r = 0;
        if (FindDateTimeElement(FStepTemplate, p, letter, s, r)) {
            SetSelStart(s - 1);
            SetSelLength(r);
        } else {
            SetSelStart(p - 1);
        }
        Key = QChar(0);
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
}

bool TCustomDBDateTimeEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos))
        return true;
    if (!Shift.Empty() || !CanStep())
        return false;
    StepDateTimeElement(false);
    return true;
}

bool TCustomDBDateTimeEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos))
        return true;
    if (!Shift.Empty() || !CanStep())
        return false;
    StepDateTimeElement(true);
    return true;
}

void TCustomDBDateTimeEditEh::CMMouseWheel(TMessage& M)
{
    if (FCalendarVisible && FDropDownCalendar) {
        FDropDownCalendar->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::CMMouseWheel(M);
}

void TCustomDBDateTimeEditEh::CMWantSpecialKey(TMessage& M)
{
    if (FCalendarVisible && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::CMWantSpecialKey(M);
}

void TCustomDBDateTimeEditEh::CMEnter(TMessage& M)
{
    UpdateFourDigitYear();
    TCustomDBEditEh::CMEnter(M);
}

// ---- the calendar ----

bool TCustomDBDateTimeEditEh::IsCalendarWindow(TControl* Control) const
{
    return Control && FDropDownCalendar && (Control == FDropDownCalendar || FDropDownCalendar->ContainsControl(Control));
}

void TCustomDBDateTimeEditEh::WMKillFocus(TMessage& M)
{
    TCustomDBEditEh::WMKillFocus(M);
    if (FCalendarVisible) {
        const HWND to = HWND(M.WParam);
        if (!IsCalendarWindow(to ? FindControl(to) : nullptr))
            CloseUp(false);
    }
}

void TCustomDBDateTimeEditEh::CMCancelMode(TMessage& M)
{
    TCustomDBEditEh::CMCancelMode(M);
    auto* target = reinterpret_cast<TControl*>(M.LParam);
    if (FCalendarVisible && target != this && !ContainsControl(target) && !IsCalendarWindow(target))
        CloseUp(false);
}

void TCustomDBDateTimeEditEh::UpdateState()
{
    TCustomDBEditEh::UpdateState();
    // The dataset went away under the open calendar: nothing can take its date.
    if (FCalendarVisible && !DataIndepended() && !FDataLink->Active())
        CloseUp(false);
}

void TCustomDBDateTimeEditEh::DropDown()
{
    if (FCalendarVisible)
        return;
    if (OnDropDown)
        OnDropDown(this);
    if (!FDropDownCalendar) {
        auto* cal = Create<TPopupMonthCalendarEh>(this);
        cal->SetVisible(false);
        FDropDownCalendar = cal;
    }
    auto* cal = DropDownCalendar();
    cal->SetDate(FValue.IsNull() ? Date() : DateOf(FValue.AsDateTime()));
    cal->HandleNeeded();
    TPoint p;
    PlaceDropDownUnderControl(this, cal, UseRightToLeftAlignment() ? taRightJustify : taLeftJustify, p);
    cal->SetBounds(p.X, p.Y, cal->Width(), cal->Height());
    cal->SetVisible(true);
    FCalendarVisible = true;
}

void TCustomDBDateTimeEditEh::CloseUp(bool Accept)
{
    if (!FCalendarVisible)
        return;
    FCalendarVisible = false;
    if (HWND cap = GetCapture())
        if (TWinControl* c = FindControl(cap))
            c->Perform(WM_CANCELMODE, 0, 0);
    if (HWND focus = GetFocus(); focus && IsCalendarWindow(FindControl(focus)))
        SetFocus();
    FDropDownCalendar->SetVisible(false);
    if (Accept && !ReadOnly() && FDataLink->Edit()) {
        TDateTime d = DateOf(DropDownCalendar()->Date());
        if (!FValue.IsNull()) {
            const TDateTime t = TimeOf(FValue.AsDateTime());
            d = d < 0 ? d - t : d + t;
        }
        Variant v = FValue;
        if (!ComposeDateTimeValue(DecomposeDateTimeValue(Variant::FromDate(d)), FDateTimeMaskPos, v, true))
            v = Variant::Null();
        InternalSetValue(v);
        if (Focused())
            SelectAll();
    }
    ClearDropDownState();
    if (OnCloseUp)
        OnCloseUp(this, Accept);
}

void TCustomDBDateTimeEditEh::DropDownButtonDown(TEditButtonControlEh* ButtonControl)
{
    ButtonControl->SetAlwaysDown(true);
    TCustomDBEditEh::DropDownButtonDown(ButtonControl);
    DropDown();
    if (FCalendarVisible)
        SetDropDownState(ButtonOfLine(LineOfButtonControl(ButtonControl)), ButtonControl);
    else
        ButtonControl->SetAlwaysDown(false);
}

void TCustomDBDateTimeEditEh::EditButtonDownDefaultAction(TEditButtonEh* EditButton,
                                                          TEditButtonControlEh* EditButtonControl, bool TopButton,
                                                          bool& AutoRepeat, bool& Handled)
{
    (void)AutoRepeat;
    if (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh) {
        if (CanStep())
            StepDateTimeElement(TopButton);
        Handled = true;
        return;
    }
    if (!FDroppedDown) {
        DropDownButtonDown(EditButtonControl);
        FNoClickCloseUp = true;
    }
    Handled = true;
}

void TCustomDBDateTimeEditEh::EditButtonClickDefaultAction(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

void TCustomDBDateTimeEditEh::EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    TCustomDBEditEh::EditButtonMouseMove(Sender, Shift, X, Y);
    auto* button = dynamic_cast<TEditButtonControlEh*>(Sender);
    if (!FCalendarVisible || !button || !button->MouseCapture() || LineOfButtonControl(button) != 0)
        return;
    const TPoint p = FDropDownCalendar->ScreenToClient(button->ClientToScreen(TPoint(X, Y)));
    if (!PtInRect(FDropDownCalendar->ClientRect(), p))
        return;
    button->Perform(WM_CANCELMODE, 0, 0);
    FDropDownCalendar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
}
