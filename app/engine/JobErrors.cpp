#include "JobErrors.h"

QString CurrentErrorText()
{
    if (!std::current_exception())
        return QString();
    try {
        throw;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("неизвестная ошибка");
    }
}
