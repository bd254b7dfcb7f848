// The registry store: keys, values and ini access, all in one file rewritten whole.
#include "platform/rtl/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RegistryStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;
    void SetUp() override
    {
        file = dir.filePath(QStringLiteral("conf/registry.dat"));
        SetRegistryStoreFileName(file);
    }
    void TearDown() override { SetRegistryStoreFileName(QString()); }
};

}  // namespace

TEST_F(RegistryStore, ValuesSurviveInTheFileAndNamesIgnoreCase)
{
    {
        TRegistry r;
        EXPECT_FALSE(r.OpenKey(QStringLiteral("Software\\Dovrelin\\Grid"), false));
        ASSERT_TRUE(r.OpenKey(QStringLiteral("Software\\Dovrelin\\Grid"), true));
        r.WriteString(QStringLiteral("Col.A"), QStringLiteral("1,80"));
        r.WriteString(QString(), QStringLiteral("18,1"));
        r.WriteString(QStringLiteral("Odd"), QStringLiteral("a \"quoted\"\nline \\ back"));
    }
    ASSERT_TRUE(QFile::exists(file));
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(QStringLiteral("\\SOFTWARE\\dovrelin\\grid"), false));
    EXPECT_EQ(r.ReadString(QStringLiteral("col.a")), QStringLiteral("1,80"));
    EXPECT_EQ(r.ReadString(QString()), QStringLiteral("18,1"));
    EXPECT_EQ(r.ReadString(QStringLiteral("Odd")), QStringLiteral("a \"quoted\"\nline \\ back"));
    EXPECT_TRUE(r.ValueExists(QStringLiteral("COL.A")));
    EXPECT_FALSE(r.ValueExists(QStringLiteral("Col.B")));
    EXPECT_TRUE(r.DeleteValue(QStringLiteral("Col.A")));
    EXPECT_FALSE(r.ValueExists(QStringLiteral("Col.A")));
}

TEST_F(RegistryStore, DeletingAKeyTakesItsSubkeysOnly)
{
    TRegistry r;
    r.OpenKey(QStringLiteral("\\App\\One\\Deep"), true);
    r.WriteString(QStringLiteral("v"), QStringLiteral("1"));
    r.OpenKey(QStringLiteral("\\App\\OneMore"), true);
    r.WriteString(QStringLiteral("v"), QStringLiteral("2"));
    EXPECT_TRUE(r.KeyExists(QStringLiteral("\\App\\One")));
    EXPECT_TRUE(r.DeleteKey(QStringLiteral("\\App\\One")));
    EXPECT_FALSE(r.KeyExists(QStringLiteral("\\App\\One\\Deep")));
    EXPECT_TRUE(r.KeyExists(QStringLiteral("\\App\\OneMore")));
    EXPECT_EQ(r.ReadString(QStringLiteral("v")), QStringLiteral("2"));
}

TEST_F(RegistryStore, IniAccessMapsSectionsToSubkeys)
{
    TRegIniFile ini(QStringLiteral("Software\\Dovrelin"));
    ini.WriteString(QStringLiteral("FormGrid"), QStringLiteral("Grid.Code"), QStringLiteral("0,40"));
    ini.WriteString(QStringLiteral("FormGrid"), QString(), QStringLiteral("18,1"));
    ini.WriteString(QStringLiteral("Other"), QStringLiteral("x"), QStringLiteral("y"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("FormGrid"), QStringLiteral("Grid.Code"), QString()),
              QStringLiteral("0,40"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("FormGrid"), QStringLiteral("missing"), QStringLiteral("d")),
              QStringLiteral("d"));
    auto sections = CreateUnique<TStringList>();
    ini.ReadSections(sections.get());
    EXPECT_EQ(sections->Count(), 2);
    ini.EraseSection(QStringLiteral("FormGrid"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("FormGrid")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("Other"), QStringLiteral("x")));
}

TEST_F(RegistryStore, AStoreThatCannotBeWrittenRaises)
{
    // A plain file where the store's folder should be.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SetRegistryStoreFileName(dir.filePath(QStringLiteral("blocker/registry.dat")));
    TRegistry r;
    EXPECT_THROW(r.OpenKey(QStringLiteral("\\App"), true), ERegistryException);
    EXPECT_FALSE(r.KeyExists(QStringLiteral("\\App")));
}
