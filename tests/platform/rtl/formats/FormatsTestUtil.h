// Readable QString values in test failures, and the settings the tests format with.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// U+00A0, the Russian thousand separator.
#define NB "\u00A0"

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Runs `f` and returns the EConvertError's message; fails the test when nothing or something else is raised.
template <typename F>
QString ConvertErrorOf(F&& f)
{
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected exception " << e.what();
        return QString();
    }
    ADD_FAILURE() << "no EConvertError raised";
    return QString();
}
