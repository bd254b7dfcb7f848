#include "platform/rtl/Classes.h"
#include "platform/rtl/Streams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Records every capacity the stream asks for and serves it from its own block.
class RecordingStream : public TMemoryStream {
public:
    std::vector<int64_t> Requests;
    ~RecordingStream() override { Clear(); }

protected:
    void* Realloc(int64_t& newCapacity) override
    {
        void* p = TMemoryStream::Realloc(newCapacity);
        Requests.push_back(newCapacity);
        return p;
    }
};

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

}  // namespace

TEST(MemoryStream, GrowsInStepsThroughRealloc)
{
    RecordingStream s;
    QByteArray chunk(3000, 'x');
    for (int i = 0; i < 6; ++i)
        s.WriteBytes(chunk);
    EXPECT_EQ(s.Size(), 18000);
    EXPECT_EQ(s.Requests, (std::vector<int64_t>{8192, 16384, 24576}));
    EXPECT_EQ(s.Capacity(), 24576);

    s.SetPosition(17999);
    char c = 0;
    s.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'x');
    EXPECT_THROW(s.ReadBuffer(&c, 1), EReadError);

    s.SetSize(10);   // shrinking keeps whole steps
    EXPECT_EQ(s.Requests.back(), 8192);
    EXPECT_EQ(s.Position(), 10);
    s.Clear();
    EXPECT_EQ(s.Requests.back(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, WritePastTheEndFillsTheGapWithZeros)
{
    TMemoryStream s;
    s.WriteBytes("ab");
    s.SetPosition(5);
    s.WriteBytes("z");
    s.SetPosition(0);
    EXPECT_EQ(s.ReadBytes(6), QByteArray("ab\0\0\0z", 6));
}

TEST(MemoryStream, CopyFromZeroCopiesAllFromTheStart)
{
    TStringStream src(QString::fromUtf8("Книга покупок"));
    src.SetPosition(4);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(&src, 0), src.Size());
    TStringStream back;
    back.LoadFromStream(&dst);
    EXPECT_EQ(back.DataString(), QString::fromUtf8("Книга покупок"));

    src.SetPosition(src.Size() - 2);
    EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
}

TEST(StringStream, HoldsUtf8)
{
    TStringStream s(QString::fromUtf8("ёж"));
    EXPECT_EQ(s.Size(), 4);
    s.SetPosition(s.Size());
    s.WriteString(QString::fromUtf8(" и ёлка"));
    EXPECT_EQ(s.DataString(), QString::fromUtf8("ёж и ёлка"));
    s.SetPosition(0);
    EXPECT_EQ(s.ReadString(4), QString::fromUtf8("ёж"));
    EXPECT_EQ(TBytesStream(QByteArray("abc")).Bytes(), QByteArray("abc"));
}

TEST(FileStream, ErrorsNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no/such/file.dat");
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot open file \"" + missing + "\". ")) << e.Message().toStdString();
    }
    try {
        TFileStream f(missing, fmCreate);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot create file \"" + missing + "\". ")) << e.Message().toStdString();
    }
    EXPECT_THROW(TFileStream(dir.path(), fmOpenRead), EFOpenError);   // a folder is not a file
}

TEST(FileStream, CreateWriteReopenAndSeek)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data.bin");
    {
        TFileStream f(path, fmCreate | fmShareExclusive);
        f.WriteBytes("0123456789");
        EXPECT_EQ(f.Size(), 10);
    }
    {
        TFileStream f(path, fmOpenReadWrite | fmShareDenyNone);
        EXPECT_EQ(f.Seek(-3, soEnd), 7);
        EXPECT_EQ(f.ReadBytes(3), QByteArray("789"));
        f.SetPosition(2);
        f.WriteBytes("ab");
        f.SetSize(6);
    }
    TFileStream f(path, fmOpenRead);
    EXPECT_EQ(f.ReadBytes(f.Size()), QByteArray("01ab45"));
    char c;
    EXPECT_THROW(f.ReadBuffer(&c, 1), EReadError);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);   // opened for reading only
}

TEST(SaveToFile, ReplacesThroughATemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content\n");
    }
    // Another holder of the old file keeps the old bytes: the file was replaced, not truncated.
    QFile holder(path);
    ASSERT_TRUE(holder.open(QIODevice::ReadOnly));

    TStringList l;
    l.Add(QString::fromUtf8("новая строка"));
    l.SaveToFile(path);
    EXPECT_EQ(holder.readAll(), QByteArray("old content\n"));
    EXPECT_EQ(FileBytes(path), QString::fromUtf8("новая строка\r\n").toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.txt"});   // no temporary left

    TMemoryStream m;
    m.WriteBytes("bytes");
    m.SaveToFile(path);
    EXPECT_EQ(FileBytes(path), QByteArray("bytes"));

    TStringList back;
    l.SetWriteBOM(true);
    l.SaveToFile(path);
    EXPECT_TRUE(FileBytes(path).startsWith("\xEF\xBB\xBF"));
    back.LoadFromFile(path);
    EXPECT_EQ(back.Strings(0), QString::fromUtf8("новая строка"));

    EXPECT_THROW(l.SaveToFile(dir.filePath("missing/dir/x.txt")), EFCreateError);
}
