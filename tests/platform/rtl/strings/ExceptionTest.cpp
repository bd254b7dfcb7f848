#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

TEST(Exception, WhatIsUtf8OfTheMessageAndFollowsSetMessage)
{
    Exception e(QStringLiteral("Ошибка чтения"));
    EXPECT_STREQ(e.what(), "Ошибка чтения");
    e.SetMessage(QStringLiteral("Другая"));
    EXPECT_STREQ(e.what(), "Другая");
    e.SetMessage(QString());
    EXPECT_STREQ(e.what(), "");
}

TEST(Exception, FormatConstructorAndClassName)
{
    const EConvertError e(QStringLiteral("Файл '%s' строка %d"), {"a.xls", 3});
    EXPECT_EQ(e.Message(), QStringLiteral("Файл 'a.xls' строка 3"));
    EXPECT_EQ(e.ClassName(), QStringLiteral("EConvertError"));
}

TEST(Exception, AbortRaisesSilentAbort)
{
    try {
        Abort();
        FAIL() << "Abort returned";
    } catch (const EAbort& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Operation aborted"));
        EXPECT_EQ(e.ClassName(), QStringLiteral("EAbort"));
    }
}
