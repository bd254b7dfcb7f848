// File-name helpers and file checks.
#include "platform/rtl/SysUtils.h"
#include "TestPrint.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
}

TEST(FileNames, PartsOfAPath)
{
    const struct {
        const char* path;
        const char* name;
        const char* filePath;
        const char* dir;
        const char* ext;
    } cases[] = {
        {"/a/b/c.txt", "c.txt", "/a/b/", "/a/b", ".txt"},
        {"C:\\КК\\акт.xls", "акт.xls", "C:\\КК\\", "C:\\КК", ".xls"},
        {"a/b\\c", "c", "a/b\\", "a/b", ""},
        {"plain", "plain", "", "", ""},
        {"/dir/", "", "/dir/", "/dir", ""},
        {"/c.txt", "c.txt", "/", "/", ".txt"},           // the root keeps its delimiter
        {"C:\\c.txt", "c.txt", "C:\\", "C:\\", ".txt"},
        {"a//b", "b", "a//", "a//", ""},
        {"x.tar.gz", "x.tar.gz", "", "", ".gz"},
        {"dir.d/f", "f", "dir.d/", "dir.d", ""},          // a dot in a folder is no extension
        {".bashrc", ".bashrc", "", "", ".bashrc"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        const QString p = U(c.path);
        EXPECT_EQ(ExtractFileName(p), U(c.name)) << c.path;
        EXPECT_EQ(ExtractFilePath(p), U(c.filePath)) << c.path;
        EXPECT_EQ(ExtractFileDir(p), U(c.dir)) << c.path;
        EXPECT_EQ(ExtractFileExt(p), U(c.ext)) << c.path;
    }
}

TEST(FileNames, ChangeExtAndTrailingDelimiters)
{
    EXPECT_EQ(ChangeFileExt(U("a/b.txt"), U(".xls")), U("a/b.xls"));
    EXPECT_EQ(ChangeFileExt(U("a.d/b"), U(".x")), U("a.d/b.x"));
    EXPECT_EQ(ChangeFileExt(U("b.txt"), U("")), U("b"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(U("/tmp")), U("/tmp/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(U("/tmp/")), U("/tmp/"));
    EXPECT_EQ(IncludeTrailingPathDelimiter(U("")), U("/"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(U("/tmp/")), U("/tmp"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(U("/tmp")), U("/tmp"));
    EXPECT_EQ(ExcludeTrailingPathDelimiter(U("C:\\x\\")), U("C:\\x"));
}

TEST(Files, ExistsDirectoryAndDelete)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(U("Конфиг.ini"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(FileExists(dir.path()));   // a folder is not a file
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(DeleteFile(dir.path()));   // nor is it deleted as one
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

TEST(Files, ParamStr0IsThisExecutable)
{
    const QString exe = ParamStr0();
    EXPECT_TRUE(QFileInfo(exe).isAbsolute()) << exe.toStdString();
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(ExtractFileName(exe), U("test_platform_rtl_strings"));
}
