// Exceptions, string helpers, Format and the number/date conversions of the runtime.
#pragma once

#include "System.h"

#include <QStringList>
#include <exception>
#include <initializer_list>
#include <variant>

// One argument of Format: what the platform's array-of-const carries.
struct TVarRec {
    enum Kind { vtInteger, vtInt64, vtExtended, vtCurrency, vtString, vtChar, vtBoolean, vtPointer };
    Kind VType = vtInteger;
    int64_t VInt = 0;
    double VExtended = 0;
    QString VString;
    const void* VPointer = nullptr;

    TVarRec(int v) : VType(vtInteger), VInt(v) {}
    TVarRec(unsigned v) : VType(vtInt64), VInt(v) {}
    TVarRec(long v) : VType(vtInt64), VInt(v) {}
    TVarRec(long long v) : VType(vtInt64), VInt(v) {}
    TVarRec(unsigned long v) : VType(vtInt64), VInt(int64_t(v)) {}
    TVarRec(unsigned long long v) : VType(vtInt64), VInt(int64_t(v)) {}
    TVarRec(double v) : VType(vtExtended), VExtended(v) {}
    TVarRec(Currency v) : VType(vtCurrency), VInt(v.Value) {}
    TVarRec(const QString& v) : VType(vtString), VString(v) {}
    TVarRec(const char* v) : VType(vtString), VString(QString::fromUtf8(v)) {}
    TVarRec(QChar v) : VType(vtChar), VString(v) {}
    TVarRec(bool v) : VType(vtBoolean), VInt(v) {}
    TVarRec(const void* v) : VType(vtPointer), VPointer(v) {}
};
using TVarRecs = std::initializer_list<TVarRec>;

// Format with the platform's forms: %s %d %u %x %e %f %g %n %m %p, index "%0:s", width,
// "-" and precision, "*" taken from the arguments, "%%". A bad format or a missing or
// mismatched argument raises EConvertError.
QString Format(const QString& fmt, TVarRecs args);

class Exception : public TObject, public std::exception {
public:
    explicit Exception(const QString& msg) : FMessage(msg) {}
    Exception(const QString& fmt, TVarRecs args) : FMessage(Format(fmt, args)) {}
    ~Exception() override = default;

    const QString& Message() const { return FMessage; }
    void SetMessage(const QString& msg) { FMessage = msg; FWhat.clear(); }
    int HelpContext = 0;
    const char* what() const noexcept override;

private:
    QString FMessage;
    mutable QByteArray FWhat;
};

#define DOV_DECLARE_EXCEPTION(Name, Base)                          \
    class Name : public Base {                                     \
    public:                                                        \
        using Base::Base;                                          \
    }

DOV_DECLARE_EXCEPTION(EAbort, Exception);          // silent: the error box shows nothing
DOV_DECLARE_EXCEPTION(EOutOfMemory, Exception);
DOV_DECLARE_EXCEPTION(EConvertError, Exception);
DOV_DECLARE_EXCEPTION(EVariantError, Exception);
DOV_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
DOV_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
DOV_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError);
DOV_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
DOV_DECLARE_EXCEPTION(EListError, Exception);
DOV_DECLARE_EXCEPTION(EStringListError, Exception);
DOV_DECLARE_EXCEPTION(EStreamError, Exception);
DOV_DECLARE_EXCEPTION(EFCreateError, EStreamError);
DOV_DECLARE_EXCEPTION(EFOpenError, EStreamError);
DOV_DECLARE_EXCEPTION(EFilerError, EStreamError);
DOV_DECLARE_EXCEPTION(EReadError, EFilerError);
DOV_DECLARE_EXCEPTION(EWriteError, EFilerError);
DOV_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
DOV_DECLARE_EXCEPTION(EInvalidOperation, Exception);
DOV_DECLARE_EXCEPTION(EComponentError, Exception);
DOV_DECLARE_EXCEPTION(EInvalidCast, Exception);
DOV_DECLARE_EXCEPTION(EInvalidPointer, Exception);
DOV_DECLARE_EXCEPTION(EIntError, Exception);
DOV_DECLARE_EXCEPTION(EIntOverflow, EIntError);
DOV_DECLARE_EXCEPTION(EDivByZero, EIntError);
DOV_DECLARE_EXCEPTION(ERangeError, EIntError);
DOV_DECLARE_EXCEPTION(EMathError, Exception);
DOV_DECLARE_EXCEPTION(EOverflow, EMathError);
DOV_DECLARE_EXCEPTION(EZeroDivide, EMathError);
DOV_DECLARE_EXCEPTION(EInvalidOp, EMathError);
DOV_DECLARE_EXCEPTION(EThread, Exception);
DOV_DECLARE_EXCEPTION(EOSError, Exception);

[[noreturn]] void Abort();  // raises EAbort with "Operation aborted"

// ---- strings (positions are 1-based, as the platform's) ----
QString UpperCase(const QString& s);        // ASCII letters only
QString LowerCase(const QString& s);
QString AnsiUpperCase(const QString& s);    // every letter, one character for one: length kept
QString AnsiLowerCase(const QString& s);
int CompareStr(const QString& a, const QString& b);        // ordinal
int CompareText(const QString& a, const QString& b);       // ordinal, ASCII case folded
bool SameText(const QString& a, const QString& b);
int AnsiCompareStr(const QString& a, const QString& b);    // Russian collation
int AnsiCompareText(const QString& a, const QString& b);   // Russian collation, no case
bool AnsiSameText(const QString& a, const QString& b);
bool AnsiSameStr(const QString& a, const QString& b);
QString Trim(const QString& s);       // drops characters <= U+0020 at both ends
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);
int Pos(const QString& sub, const QString& s);                  // 0 when not found or sub empty
int PosEx(const QString& sub, const QString& s, int offset = 1);
int AnsiPos(const QString& sub, const QString& s);
QString Copy(const QString& s, int index, int count);          // clamped like the platform
QString StringOfChar(QChar c, int count);
QString QuotedStr(const QString& s);                     // 'It''s'
QString AnsiQuotedStr(const QString& s, QChar quote);
QString AnsiDequotedStr(const QString& s, QChar quote);
enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
QString StringReplace(const QString& s, const QString& oldPattern, const QString& newPattern, int flags);
bool StartsText(const QString& sub, const QString& s);
bool EndsText(const QString& sub, const QString& s);

QString IntToStr(int64_t v);
QString IntToHex(int64_t v, int digits);
QString UIntToStr(uint64_t v);
int StrToInt(const QString& s);                  // "'%s' is not a valid integer value"
int64_t StrToInt64(const QString& s);
int StrToIntDef(const QString& s, int def);
int64_t StrToInt64Def(const QString& s, int64_t def);
bool TryStrToInt(const QString& s, int& v);     // accepts blanks around, sign, $hex and 0x hex
bool TryStrToInt64(const QString& s, int64_t& v);
bool StrToBool(const QString& s);
bool TryStrToBool(const QString& s, bool& v);
QString BoolToStr(bool b, bool useBoolStrs = false);

// ---- code page 1251 ----
QByteArray UnicodeToCP1251(const QString& s);   // unmappable characters become '?'
QString CP1251ToUnicode(const QByteArray& bytes);

// ---- files ----
QString ExtractFileName(const QString& path);   // after the last '/' or '\'
QString ExtractFilePath(const QString& path);   // up to and with the last separator
QString ExtractFileDir(const QString& path);
QString ExtractFileExt(const QString& path);    // with the dot
QString ChangeFileExt(const QString& path, const QString& ext);
QString IncludeTrailingPathDelimiter(const QString& path);
QString ExcludeTrailingPathDelimiter(const QString& path);
bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
bool DeleteFile(const QString& path);
QString ParamStr0();                            // the executable's path

// ---- regional settings and the format languages ----
struct TFormatSettings {
    QChar DecimalSeparator = u',';
    QChar ThousandSeparator = QChar(0x00A0);
    QChar DateSeparator = u'.';
    QChar TimeSeparator = u':';
    QChar ListSeparator = u';';
    QString ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    QString LongDateFormat = QStringLiteral("d MMMM yyyy 'г.'");
    QString ShortTimeFormat = QStringLiteral("h:mm");
    QString LongTimeFormat = QStringLiteral("h:mm:ss");
    QString TimeAMString;
    QString TimePMString;
    QString CurrencyString = QStringLiteral("₽");
    uint8_t CurrencyFormat = 3;   // "1 ₽"
    uint8_t NegCurrFormat = 8;    // "-1 ₽"
    uint8_t CurrencyDecimals = 2;
    QString ShortMonthNames[12];
    QString LongMonthNames[12];
    QString ShortDayNames[7];
    QString LongDayNames[7];
    uint16_t TwoDigitYearCenturyWindow = 50;

    static TFormatSettings Russian();   // the defaults above with Russian month and day names
    static TFormatSettings Invariant(); // '.' decimals, "MM/dd/yyyy", English names
};
// The process-wide settings, initialised to TFormatSettings::Russian().
extern TFormatSettings FormatSettings;

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
enum TFloatValue { fvExtended, fvCurrency };

QString FloatToStr(double v);
QString FloatToStr(double v, const TFormatSettings& fs);
QString FloatToStrF(double v, TFloatFormat format, int precision, int digits);
QString FloatToStrF(double v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
QString CurrToStr(Currency v);
QString CurrToStr(Currency v, const TFormatSettings& fs);
QString CurrToStrF(Currency v, TFloatFormat format, int digits);
QString CurrToStrF(Currency v, TFloatFormat format, int digits, const TFormatSettings& fs);
QString FormatFloat(const QString& format, double v);
QString FormatFloat(const QString& format, double v, const TFormatSettings& fs);
QString FormatCurr(const QString& format, Currency v);
QString FormatCurr(const QString& format, Currency v, const TFormatSettings& fs);
double StrToFloat(const QString& s);             // "'%s' is not a valid floating point value"
double StrToFloat(const QString& s, const TFormatSettings& fs);
double StrToFloatDef(const QString& s, double def);
double StrToFloatDef(const QString& s, double def, const TFormatSettings& fs);
bool TryStrToFloat(const QString& s, double& v);
bool TryStrToFloat(const QString& s, double& v, const TFormatSettings& fs);
Currency StrToCurr(const QString& s);
Currency StrToCurr(const QString& s, const TFormatSettings& fs);
bool TryStrToCurr(const QString& s, Currency& v);
bool TryStrToCurr(const QString& s, Currency& v, const TFormatSettings& fs);
Currency StrToCurrDef(const QString& s, Currency def);

// ---- dates and times ----
TDateTime EncodeDate(int year, int month, int day);            // "Invalid argument to date encode"
TDateTime EncodeTime(int hour, int min, int sec, int msec);    // "Invalid argument to time encode"
// The proleptic Gregorian calendar in day numbers since 1899-12-30, unchecked.
int64_t DaysFromCivil(int y, int m, int d);
void CivilFromDays(int64_t z, int& y, int& m, int& d);
bool TryEncodeDate(int year, int month, int day, TDateTime& d);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& t);
void DecodeDate(TDateTime d, int& year, int& month, int& day);
void DecodeTime(TDateTime d, int& hour, int& min, int& sec, int& msec);
int DayOfWeek(TDateTime d);          // 1 = Sunday
bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
TDateTime Date();
TDateTime Time();
TDateTime Now();
TDateTime IncMonth(TDateTime d, int months = 1);   // day clamped to the month's end
TDateTime DateOf(TDateTime d);
TDateTime TimeOf(TDateTime d);

QString FormatDateTime(const QString& format, TDateTime d);
QString FormatDateTime(const QString& format, TDateTime d, const TFormatSettings& fs);
void DateTimeToString(QString& result, const QString& format, TDateTime d);
void DateTimeToString(QString& result, const QString& format, TDateTime d, const TFormatSettings& fs);
QString DateTimeToStr(TDateTime d);   // short date, then long time unless the time is 0
QString DateToStr(TDateTime d);
QString TimeToStr(TDateTime d);
QString DateTimeToStr(TDateTime d, const TFormatSettings& fs);
QString DateToStr(TDateTime d, const TFormatSettings& fs);
QString TimeToStr(TDateTime d, const TFormatSettings& fs);
TDateTime StrToDate(const QString& s);       // "'%s' is not a valid date"
TDateTime StrToTime(const QString& s);       // "'%s' is not a valid time"
TDateTime StrToDateTime(const QString& s);   // "'%s' is not a valid date and time"
TDateTime StrToDate(const QString& s, const TFormatSettings& fs);
TDateTime StrToDateTime(const QString& s, const TFormatSettings& fs);
TDateTime StrToTime(const QString& s, const TFormatSettings& fs);
TDateTime StrToDateDef(const QString& s, TDateTime def);
TDateTime StrToDateTimeDef(const QString& s, TDateTime def);
bool TryStrToDate(const QString& s, TDateTime& d);
bool TryStrToDate(const QString& s, TDateTime& d, const TFormatSettings& fs);
bool TryStrToTime(const QString& s, TDateTime& d);
bool TryStrToTime(const QString& s, TDateTime& d, const TFormatSettings& fs);
bool TryStrToDateTime(const QString& s, TDateTime& d);
bool TryStrToDateTime(const QString& s, TDateTime& d, const TFormatSettings& fs);
