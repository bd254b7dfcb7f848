// The lines of a string list, for comparing with an expected list in one assertion.
#pragma once

#include "platform/rtl/Classes.h"

#include <QStringList>

namespace testsupport {

inline QStringList Texts(const TStrings* s)
{
    QStringList out;
    for (int i = 0; i < s->Count(); ++i)
        out << s->Strings(i);
    return out;
}

}  // namespace testsupport
