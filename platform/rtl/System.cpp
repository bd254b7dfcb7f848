#include "System.h"

#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

QString TObject::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString result = QString::fromLatin1(status == 0 && name ? name : mangled);
    std::free(name);
    // Nested or namespaced classes report their own name only.
    const int sep = result.lastIndexOf(QLatin1String("::"));
    return sep >= 0 ? result.mid(sep + 2) : result;
}
