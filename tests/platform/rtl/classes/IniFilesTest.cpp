#include "platform/rtl/IniFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IniTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path = Dir.filePath("Config.ini");

    void Put(const QByteArray& bytes)
    {
        QFile f(Path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Bytes()
    {
        QFile f(Path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

const QByteArray kConfig =
    "; branch servers\r\n"
    "[svodconnection]\r\n"
    "ip = 10.1.1.1 \r\n"
    "filial=\r\n"
    "\r\n"
    "[ObjectsConnection]\r\n"
    "Minsk=srv-minsk\r\n"
    "  Brest  =  srv-brest\r\n"
    "; retired: Gomel=srv-gomel\r\n"
    "Quoted=\"a b\"\r\n"
    "\r\n"
    "[Settings]\r\n"
    "SelfProv=-1\r\n";

}  // namespace

TEST_F(IniTest, ReadsWithProfileSemantics)
{
    Put("stray=outside\r\n" + kConfig);
    TIniFile ini(Path);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"svodconnection", "ip", "10.1.1.1"},     // trimmed
        {"SVODCONNECTION", "IP", "10.1.1.1"},     // names without case
        {"svodconnection", "filial", ""},         // present and empty: not the default
        {"svodconnection", "missing", "<def>"},
        {"objectsconnection", "brest", "srv-brest"},
        {"objectsconnection", "Quoted", "\"a b\""},   // quotes kept
        {"objectsconnection", "; retired: Gomel", "<def>"},   // comments are not keys
        {"", "stray", "<def>"},                   // lines before any section are ignored
        {"nosection", "ip", "<def>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), QString::fromUtf8(c.expected)) << c.section << "/" << c.key;

    TStringList l;
    ini.ReadSection("objectsconnection", &l);
    EXPECT_EQ(l.ToStringList(), (QStringList{"Minsk", "Brest", "Quoted"}));
    ini.ReadSectionValues("ObjectsConnection", &l);
    EXPECT_EQ(l.ToStringList(), (QStringList{"Minsk=srv-minsk", "Brest=srv-brest", "Quoted=\"a b\""}));
    ini.ReadSections(&l);
    EXPECT_EQ(l.ToStringList(), (QStringList{"svodconnection", "ObjectsConnection", "Settings"}));
    EXPECT_TRUE(ini.SectionExists("settings"));
    EXPECT_FALSE(ini.SectionExists("nosection"));
    EXPECT_TRUE(ini.ValueExists("svodconnection", "FILIAL"));
    EXPECT_FALSE(ini.ValueExists("svodconnection", "port"));
}

TEST_F(IniTest, ReadIntegerAndBool)
{
    Put("[s]\n"
        "dec=42\nneg=-7\nhex=$1F\nhex2=0x10\nbad=12ab\nempty=\n"
        "m1=-1\nzero=0\nfive=5\ntrue=True\nTRUEU=TRUE\nfalse=false\nyes=yes\n");
    TIniFile ini(Path);
    struct IntCase {
        const char* key;
        int expected;
    };
    for (IntCase c : {IntCase{"dec", 42}, {"neg", -7}, {"hex", 31}, {"hex2", 16}, {"bad", 99}, {"empty", 99}, {"none", 99}})
        EXPECT_EQ(ini.ReadInteger("S", c.key, 99), c.expected) << c.key;
    struct BoolCase {
        const char* key;
        bool def;
        bool expected;
    };
    for (BoolCase c : {BoolCase{"m1", false, true}, {"zero", true, false}, {"five", false, true},
                       {"true", false, true}, {"TRUEU", false, true}, {"false", true, false},
                       {"yes", false, false}, {"yes", true, true}, {"empty", true, true}, {"none", false, false}})
        EXPECT_EQ(ini.ReadBool("s", c.key, c.def), c.expected) << c.key;
}

TEST_F(IniTest, WritesInPlaceKeepingTheRest)
{
    Put(kConfig);
    TIniFile ini(Path);
    ini.WriteString("SETTINGS", "selfprov", "0");            // replaced where it stood
    ini.WriteString("svodconnection", "port", "1433");       // appended after the section's last key
    ini.WriteInteger("NewSection", "Count", 3);              // new section at the end
    ini.WriteBool("NewSection", "Flag", true);
    const QByteArray expected =
        "; branch servers\r\n"
        "[svodconnection]\r\n"
        "ip = 10.1.1.1 \r\n"
        "filial=\r\n"
        "port=1433\r\n"
        "\r\n"
        "[ObjectsConnection]\r\n"
        "Minsk=srv-minsk\r\n"
        "  Brest  =  srv-brest\r\n"
        "; retired: Gomel=srv-gomel\r\n"
        "Quoted=\"a b\"\r\n"
        "\r\n"
        "[Settings]\r\n"
        "SelfProv=0\r\n"
        "[NewSection]\r\n"
        "Count=3\r\n"
        "Flag=1\r\n";
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(ini.ReadString("settings", "SelfProv", ""), "0");

    ini.DeleteKey("objectsconnection", "MINSK");
    ini.EraseSection("newsection");
    ini.WriteString("ObjectsConnection", "Brest", "srv-new");
    TStringList l;
    ini.ReadSectionValues("objectsconnection", &l);
    EXPECT_EQ(l.ToStringList(), (QStringList{"Brest=srv-new", "Quoted=\"a b\""}));
    EXPECT_TRUE(Bytes().contains("; retired: Gomel=srv-gomel\r\n"));
    EXPECT_FALSE(Bytes().contains("NewSection"));
}

TEST_F(IniTest, ReadingAMissingFileNeverCreatesIt)
{
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString("Settings", "SelfProv", "0"), "0");
    EXPECT_FALSE(ini.ReadBool("Settings", "SelfProv", false));
    TStringList l;
    ini.ReadSections(&l);
    ini.ReadSection("x", &l);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_FALSE(ini.ValueExists("x", "y"));
    ini.DeleteKey("x", "y");
    ini.EraseSection("x");
    ini.UpdateFile();
    EXPECT_FALSE(QFile::exists(Path));

    ini.WriteString("Settings", "SelfProv", "-1");   // writing does create it
    EXPECT_EQ(Bytes(), QByteArray("[Settings]\r\nSelfProv=-1\r\n"));
}

TEST_F(IniTest, EncodingsAndLineEnds)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QByteArray afterWrite;
    };
    const QString cyr = QString::fromUtf8("[Филиалы]\nМинск=сервер\n");
    const Case cases[] = {
        {"cp1251, LF", UnicodeToCP1251(cyr), UnicodeToCP1251(cyr + QString::fromUtf8("Брест=2\n"))},
        {"utf8", cyr.toUtf8(), (cyr + QString::fromUtf8("Брест=2\n")).toUtf8()},
        {"utf8 bom", "\xEF\xBB\xBF" + cyr.toUtf8(), "\xEF\xBB\xBF" + (cyr + QString::fromUtf8("Брест=2\n")).toUtf8()},
    };
    for (const Case& c : cases) {
        Put(c.bytes);
        TIniFile ini(Path);
        EXPECT_EQ(ini.ReadString(QString::fromUtf8("ФИЛИАЛЫ"), QString::fromUtf8("минск"), ""), QString::fromUtf8("сервер")) << c.name;
        ini.WriteString(QString::fromUtf8("Филиалы"), QString::fromUtf8("Брест"), "2");
        EXPECT_EQ(Bytes(), c.afterWrite) << c.name;
    }
}

TEST_F(IniTest, WriteFailureRaises)
{
    TIniFile ini(Dir.filePath("missing/dir/Config.ini"));
    EXPECT_THROW(ini.WriteString("a", "b", "c"), EIniFileException);
}

TEST_F(IniTest, UnreadableFileIsNotReplaced)
{
    // Not by a file holding only the new key.
    Put("[a]\nkeep=1\n");
    QFile::setPermissions(Path, QFileDevice::WriteOwner);
    QFile probe(Path);
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "permissions are not enforced here";
    TIniFile locked(Path);
    EXPECT_THROW(locked.WriteString("a", "b", "c"), EIniFileException);
    QFile::setPermissions(Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(Bytes(), QByteArray("[a]\nkeep=1\n"));
}
