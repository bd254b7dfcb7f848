// The SQL time-stamp record and its conversions.
#pragma once
#include "SysUtils.h"

struct TSQLTimeStamp {
    int16_t Year = 0;
    uint16_t Month = 0;
    uint16_t Day = 0;
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint32_t Fractions = 0;  // milliseconds
    friend bool operator==(const TSQLTimeStamp&, const TSQLTimeStamp&) = default;
};

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime d);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts);   // EConvertError when invalid
bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& ts, TDateTime& d);
QString SQLTimeStampToStr(const QString& format, const TSQLTimeStamp& ts);
TSQLTimeStamp StrToSQLTimeStamp(const QString& s);
