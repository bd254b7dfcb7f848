// Number formats and day numbering shared by the workbook readers.
#pragma once

#include "platform/rtl/System.h"

#include <QString>

// Built-in number format ids that show a date or a time (14-22, 45-47 and the East Asian
// date ids 27-36, 50-58).
bool IsBuiltinDateFormat(int id);
// Whether a format code such as "dd/mm/yyyy;@" or "[$-419]d mmmm yyyy" shows a date or
// time: looks for d, m, y, h, s outside quotes, escapes and [colour]/[locale] brackets.
bool IsDateFormatCode(const QString& code);

// A workbook's serial day number to the runtime's date-time. The 1900 system counts a
// nonexistent 29 Feb 1900, so its serials below 60 are one day off the runtime's; the 1904
// system starts 1462 days later. False for values no date can show (negative, past 9999).
bool SerialToDateTime(double serial, bool date1904, TDateTime& out);

// The runtime's date-time of a calendar date and time; false for an invalid one.
bool MakeDateTime(int year, int month, int day, int hour, int min, int sec, int msec, TDateTime& out);
// "2024-03-15", "2024-03-15T10:20:30[.fff][Z]", "2024-03-15 10:20:30".
bool IsoTextToDateTime(const QString& text, TDateTime& out);
