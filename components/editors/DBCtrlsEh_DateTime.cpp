// The date/time edit: edit formats, reading and composing typed dates, stepping, the control.
#include "DBCtrlsEh_DateTime.h"

#include "platform/rtl/SysUtils.h"

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
