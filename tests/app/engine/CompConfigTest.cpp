// The data module's configuration from "Config.ini", its connection strings, the number
// text routine and the exception classes of its operations.
#include "app/engine/uCompDM.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <typeinfo>

namespace {

class ConfigFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Write(const QByteArray& text)
    {
        QString path = dir.filePath(QStringLiteral("Config.ini"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        return path;
    }
};

}  // namespace

TEST_F(ConfigFile, WithoutTheFileNothingIsConfigured)
{
    TCompConfig c;
    EXPECT_FALSE(c.Load(dir.filePath(QStringLiteral("Config.ini"))));
    EXPECT_FALSE(c.Configured());
    EXPECT_FALSE(c.ObjectsDict.has_value());
    EXPECT_FALSE(c.IsFilial);
    EXPECT_EQ(c.Filial, QString());
}

TEST_F(ConfigFile, ReadsServerBranchModeAndBranchesInFileOrder)
{
    TCompConfig c;
    ASSERT_TRUE(c.Load(Write("[svodconnection]\r\nip=SRV-SVOD\\SQL2008\r\nfilial=7\r\n"
                             "[objectsconnection]\r\nФилиал №9=srv9\r\nЦентральный склад=srv=with=eq\r\nА=srv1\r\n"
                             "[Settings]\r\nSelfProv=1\r\n")));
    EXPECT_TRUE(c.Configured());
    EXPECT_EQ(c.SvodServer(), QStringLiteral("SRV-SVOD\\SQL2008"));
    EXPECT_EQ(c.SvodConnection(), QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;"
                                                 "User ID=transport;Initial Catalog=maindatabase;Data Source=SRV-SVOD\\SQL2008"));
    EXPECT_TRUE(c.IsFilial);
    EXPECT_EQ(c.Filial, QStringLiteral("7"));
    EXPECT_EQ(c.FilialNumber(), 7);
    ASSERT_TRUE(c.ObjectsDict.has_value());
    using Item = TObjectsDict::Item;
    // the key keeps its inner blank; a value with "=" keeps everything after the first one
    EXPECT_EQ(c.ObjectsDict->Items(), (std::vector<Item>{{QStringLiteral("Филиал №9"), QStringLiteral("srv9")},
                                                         {QStringLiteral("Центральный склад"), QStringLiteral("srv=with=eq")},
                                                         {QStringLiteral("А"), QStringLiteral("srv1")}}));
    EXPECT_EQ(ObjConnectionString((*c.ObjectsDict)[QStringLiteral("А")]),
              QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;"
                             "Initial Catalog=MainDataBase;Data Source=srv1"));
    // names are compared exactly
    EXPECT_FALSE(c.ObjectsDict->ContainsKey(QStringLiteral("а")));
}

TEST_F(ConfigFile, EmptyFilialIsNotBranchModeAndAnyTextIs)
{
    struct Case { const char* ini; bool isFilial; const char* filial; };
    const Case cases[] = {
        {"[svodconnection]\nip=x\nfilial=\n", false, ""},
        {"[svodconnection]\nip=x\n", false, ""},
        {"[svodconnection]\nip=x\nfilial=abc\n", true, "abc"},
        {"[svodconnection]\nip=x\nfilial=12\n", true, "12"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.ini);
        TCompConfig c;
        ASSERT_TRUE(c.Load(Write(k.ini)));
        EXPECT_EQ(c.IsFilial, k.isFilial);
        EXPECT_EQ(c.Filial, QString::fromUtf8(k.filial));
        EXPECT_TRUE(c.ObjectsDict.has_value());
        EXPECT_EQ(c.ObjectsDict->Count(), 0);
    }
}

TEST_F(ConfigFile, ARepeatedBranchNameStopsTheReading)
{
    TCompConfig c;
    QString path = Write("[svodconnection]\nip=svod\nfilial=3\n[objectsconnection]\nA=s1\nB=s2\nA=s3\nC=s4\n");
    EXPECT_THROW(c.Load(path), EListError);
    ASSERT_TRUE(c.ObjectsDict.has_value());
    EXPECT_EQ(c.ObjectsDict->Count(), 2);   // C is never read
    EXPECT_EQ(c.Filial, QStringLiteral("3"));
}

// A branch number goes into SQL only as a plain integer.
TEST(FilialNumber, OnlyPlainIntegersReachTheStatement)
{
    EXPECT_EQ(SelectSvodInvFilialLine(QStringLiteral("3")), QStringLiteral("AND ISNULL(ISNULL(inv.filial,csig.filial), exc.dopunn)=3"));
    EXPECT_EQ(ExcSumFilialLine(QStringLiteral(" 12 ")), QStringLiteral("WHERE ISNULL(csig.filial,exc.dopunn)=12"));
    for (const char* bad : {"", "abc", "3 OR 1=1", "1;DROP TABLE tmpDararedInv", "$10", "0x10", "-2", "2.5", "99999", "３"}) {
        SCOPED_TRACE(bad);
        try {
            SelectSvodInvFilialLine(QString::fromUtf8(bad));
            ADD_FAILURE() << "accepted";
        } catch (const EFilialConfigError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(bad)));
            EXPECT_TRUE(e.Message().contains(QStringLiteral("не является целым числом")));
        }
    }
}

TEST(UpdateDecimalSeparator, FollowsTheLocaleSeparator)
{
    const QChar saved = FormatSettings.DecimalSeparator;
    struct Case { QChar sep; const char* in; const char* out; };
    const Case cases[] = {
        {u',', "", "0"},
        {u',', "1 234.56", "1234,56"},
        {u',', "1 234,56", "1234,56"},
        {u'.', "1 234,56", "1234.56"},
        {u'.', " 7 ", "7"},
        {u';', "1 2,3.4", "12,3.4"},   // neither: only the blanks go
    };
    for (const Case& k : cases) {
        FormatSettings.DecimalSeparator = k.sep;
        EXPECT_EQ(UpdateDecimalSeparator(QString::fromUtf8(k.in)), QString::fromUtf8(k.out)) << k.in;
    }
    FormatSettings.DecimalSeparator = saved;
}

// Each operation's class with its message, caught by the base class as the dialogs do.
TEST(OperationExceptions, ClassesAndMessages)
{
    const QString server = QStringLiteral("Violation of UNIQUE KEY constraint 'UQ'. Cannot insert duplicate key in object 'dbo.DararedSigners'.");
    struct Case { std::function<void()> raise; const std::type_info& type; QString message; };
    const QString m = QStringLiteral("сбой");
    const Case cases[] = {
        {[&] { throw EConnectException::Caught(m); }, typeid(EConnectException), m},
        {[&] { throw EInsExcelTempException::Caught(m); }, typeid(EInsExcelTempException),
         QStringLiteral("Ошибка при вставке информации из файла камерального контроля с текстом: сбой")},
        {[&] { throw EInsSvodDuplesException::Caught(m); }, typeid(EInsSvodDuplesException),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_duples с текстом: сбой")},
        {[&] { throw EInsSvodInvException::Caught(m); }, typeid(EInsSvodInvException),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_inv с текстом: сбой")},
        {[&] { throw EInsSprProvException::Caught(m); }, typeid(EInsSprProvException),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_prov с текстом: сбой")},
        {[&] { throw EInsTmpDararedInvException::Caught(m); }, typeid(EInsTmpDararedInvException),
         QStringLiteral("Ошибка вставки записи в таблицу tmpDararedInv с текстом: сбой")},
        {[&] { throw EInsTmpDararedProvException::Caught(m); }, typeid(EInsTmpDararedProvException),
         QStringLiteral("Ошибка вставки записи в таблицу tmpDararedProv с текстом: сбой")},
        {[&] { throw EDelTmpDararedInvException::Caught(m); }, typeid(EDelTmpDararedInvException),
         QStringLiteral("Ошибка удаление информации из таблицы tmpDararedInv, с текстом: сбой")},
        {[&] { throw EInsDararedSigner::Caught(m); }, typeid(EInsDararedSigner), QStringLiteral("Ошибка добавления записи с тестом: сбой")},
        {[&] { throw EInsDararedSigner::Caught(server); }, typeid(EInsDararedSigner),
         QStringLiteral("Запись с заданными значениями уже существует.")},
        {[&] { throw EUpdDararedSigner::Caught(m); }, typeid(EUpdDararedSigner), QStringLiteral("Ошибка обновления записи с тестом: сбой")},
        {[&] { throw EUpdDararedSigner::Caught(server); }, typeid(EUpdDararedSigner),
         QStringLiteral("Запись с заданными значениями уже существует.")},
        // the test for the duplicate text is case-sensitive
        {[&] { throw EUpdDararedSigner::Caught(QStringLiteral("Duplicate Key")); }, typeid(EUpdDararedSigner),
         QStringLiteral("Ошибка обновления записи с тестом: Duplicate Key")},
        {[&] { throw EDelDararedSigner::Caught(server); }, typeid(EDelDararedSigner),
         QStringLiteral("Ошибка удаления записи с тестом: ") + server},
        // the zero-exclusion list has no duplicate case
        {[&] { throw EInsZeroExclude::Caught(server); }, typeid(EInsZeroExclude), QStringLiteral("Ошибка добавления записи с тестом: ") + server},
        {[&] { throw EUpdZeroExclude::Caught(m); }, typeid(EUpdZeroExclude), QStringLiteral("Ошибка обновления записи с тестом: сбой")},
        {[&] { throw EDelZeroExclude::Caught(m); }, typeid(EDelZeroExclude), QStringLiteral("Ошибка удаления записи с тестом: сбой")},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.type.name());
        try {
            k.raise();
            ADD_FAILURE() << "nothing raised";
        } catch (const EDBOperationException& e) {
            EXPECT_EQ(typeid(e), k.type);
            EXPECT_EQ(e.Message(), k.message);
        }
    }
}

TEST_F(ConfigFile, LongBranchNamesAndStrayLines)
{
    // no limit on the name's length; lines without "=" and comments name no branch
    const QByteArray longName = QString(300, QChar(u'Ф')).toUtf8();
    TCompConfig c;
    ASSERT_TRUE(c.Load(Write("[objectsconnection]\n; comment\nstray line\n" + longName + "=srv\n")));
    ASSERT_EQ(c.ObjectsDict->Count(), 1);
    EXPECT_EQ(c.ObjectsDict->Items()[0].first.size(), 300);
    EXPECT_EQ(c.ObjectsDict->Items()[0].second, QStringLiteral("srv"));
    EXPECT_EQ(c.SvodServer(), QString());
}

TEST(ConfigPath, IsBesideTheExecutable)
{
    EXPECT_EQ(DefaultConfigPath(), ExtractFilePath(ParamStr0()) + QStringLiteral("Config.ini"));
    EXPECT_TRUE(DefaultConfigPath().endsWith(QStringLiteral("/Config.ini")));
}
