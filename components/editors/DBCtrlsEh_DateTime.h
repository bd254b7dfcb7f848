// The date/time edit: a value kept as Null or a date-time, typed through a mask built from an
// edit format (D M Y H N S letters), completed from today on exit, stepped element by element
// and picked from a drop-down month calendar.
#pragma once

#include "components/editors/DBCtrlsEh.h"

enum TDateTimeKindEh { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };
DOV_ENUM_INFO(TDateTimeKindEh, dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh)

// Where one element lies in the masked text: Pos is 1-based, -1 when absent.
struct TElementMaskPosEh {
    int Pos = -1;
    int Length = -1;
    bool Present = false;
};

struct TDateTimeElementsMaskPosEh {
    TElementMaskPosEh Year, Month, Day, Hour, Min, Sec;
};

// The six parts of a typed text; -1 where absent or unreadable.
struct TDateTimePartsEh {
    int Year = -1, Month = -1, Day = -1, Hour = -1, Min = -1, Sec = -1;
    bool AllAbsent() const { return Year < 0 && Month < 0 && Day < 0 && Hour < 0 && Min < 0 && Sec < 0; }
};

// The edit mask for an edit format ("!" body ";1; "); fills the element positions. Raises
// Exception for a wrong element length, a repeated element or a run too long.
QString ParseEditFormat(const QString& EditFormat, TDateTimeElementsMaskPosEh& MaskPos);
// The same format in the platform's date-time formatting language.
QString EditFormatToDateTimeFormat(const QString& EditFormat);
// One character per text position: the element letter, "/" or ":", else a space.
QString EditFormatToStepTemplate(const QString& EditFormat);
// The date edit format for the locale's date order ("DD/MM/YYYY", "MM/DD/YY" ...).
QString DefaultDateEditFormat(bool FourDigitYear);
// The locale's short date format has a year of three or more letters.
bool LocaleHasFourDigitYear();

// Years below 100 get the century that puts them within 60 years before and 40 after
// CurrentYear (0 for this year).
int ExpandTwoDigitYear(int Year, int CurrentYear = 0);
// Reads the present elements of Text; True when every present element gave a number.
bool ParseTextByMask(const QString& Text, const TDateTimeElementsMaskPosEh& MaskPos, TDateTimePartsEh& Parts);
// Builds a value from the parts, keeping the components of Value (the previous value) that
// the mask has no element for. Complete fills absent parts from today and clamps the others.
// False (Value Null) when the parts form no valid date or time.
bool ComposeDateTimeValue(TDateTimePartsEh Parts, const TDateTimeElementsMaskPosEh& MaskPos, Variant& Value,
                          bool Complete);
// The six parts of a value (all -1 for Null).
TDateTimePartsEh DecomposeDateTimeValue(const Variant& Value);
// A date the platform can show: year 1 to 9999.
bool IsDateTimeInRangeEh(double Value);

// The element of Template at 1-based position P (a separator moves P one right): its letter,
// 1-based start S and run length R. False when there is no element there.
bool FindDateTimeElement(const QString& Template, int P, QChar& Letter, int& S, int& R);
// Text with the element at (S, R) stepped up or down, wrapping within the element's range.
QString StepDateTimeElementText(const QString& Text, QChar Letter, int S, int R, bool Up);
