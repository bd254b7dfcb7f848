// The message of what a call raises, for tests that compare error texts.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <QString>
#include <exception>

namespace testsupport {

// Runs f; the message of the E it raises, "<no error>" when it raises nothing, and the
// class mismatch spelled out when it raises something else.
template <typename E = Exception, typename F>
QString ErrorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QStringLiteral("other class: ") + QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no error>");
}

}  // namespace testsupport

using testsupport::ErrorOf;
