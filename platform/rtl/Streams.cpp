#include "Streams.h"

#include <QSaveFile>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------- TStream

int64_t TStream::Position()
{
    return Seek(0, soCurrent);
}

void TStream::SetPosition(int64_t pos)
{
    Seek(pos, soBeginning);
}

int64_t TStream::Size()
{
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
}

void TStream::ReadBuffer(void* buf, int64_t count)
{
    if (count < 0 || (count != 0 && Read(buf, count) != count))
        throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* buf, int64_t count)
{
    if (count < 0 || (count != 0 && Write(buf, count) != count))
        throw EWriteError(QStringLiteral("Stream write error"));
}

int64_t TStream::CopyFrom(TStream* src, int64_t count)
{
    if (count == 0) {
        src->SetPosition(0);
        count = src->Size();
    }
    const int64_t result = count;
    constexpr int64_t maxBuf = 0xF000;
    std::vector<char> buf(size_t(std::min(count, maxBuf)) + 1);
    while (count > 0) {
        int64_t n = std::min(count, maxBuf);
        src->ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return result;
}

QByteArray TStream::ReadBytes(int64_t count)
{
    if (count < 0)
        throw EReadError(QStringLiteral("Stream read error"));
    QByteArray b(qsizetype(count), Qt::Uninitialized);
    ReadBuffer(b.data(), count);
    return b;
}

void TStream::WriteBytes(const QByteArray& bytes)
{
    WriteBuffer(bytes.constData(), bytes.size());
}

// ---------------------------------------------------------------- memory streams

void TCustomMemoryStream::SetPointer(void* ptr, int64_t size)
{
    FMemory = ptr;
    FSize = size;
}

int64_t TCustomMemoryStream::Read(void* buf, int64_t count)
{
    if (FPosition >= 0 && count > 0) {
        int64_t n = FSize - FPosition;
        if (n > 0) {
            if (n > count)
                n = count;
            std::memcpy(buf, static_cast<char*>(FMemory) + FPosition, size_t(n));
            FPosition += n;
            return n;
        }
    }
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: FPosition = offset; break;
    case soCurrent: FPosition += offset; break;
    case soEnd: FPosition = FSize + offset; break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* dest)
{
    if (FSize != 0)
        dest->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const QString& fileName)
{
    SaveBytesToFile(fileName, QByteArray::fromRawData(static_cast<const char*>(FMemory), qsizetype(FSize)));
}

TMemoryStream::~TMemoryStream()
{
    // A descendant's Realloc is no longer reachable here; it has released its block.
    if (FMemory)
        std::free(FMemory);
}

void TMemoryStream::Clear()
{
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::SetCapacity(int64_t newCapacity)
{
    SetPointer(Realloc(newCapacity), FSize);
    FCapacity = newCapacity;
}

void* TMemoryStream::Realloc(int64_t& newCapacity)
{
    if (newCapacity > 0 && newCapacity != FSize)
        newCapacity = (newCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
    void* result = FMemory;
    if (newCapacity != FCapacity) {
        if (newCapacity == 0) {
            std::free(FMemory);
            result = nullptr;
        } else {
            result = std::realloc(FMemory, size_t(newCapacity));
            if (!result)
                throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
        }
    }
    return result;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    if (newSize < 0)
        newSize = 0;
    int64_t oldPosition = FPosition;
    SetCapacity(newSize);
    FSize = newSize;
    if (oldPosition > newSize)
        Seek(0, soEnd);
}

int64_t TMemoryStream::Write(const void* buf, int64_t count)
{
    if (FPosition >= 0 && count > 0) {
        int64_t pos = FPosition + count;
        if (pos > FSize) {
            if (pos > FCapacity)
                SetCapacity(pos);
            if (FPosition > FSize)   // written past the end: the gap reads as zeros
                std::memset(static_cast<char*>(FMemory) + FSize, 0, size_t(FPosition - FSize));
            FSize = pos;
        }
        std::memcpy(static_cast<char*>(FMemory) + FPosition, buf, size_t(count));
        FPosition = pos;
        return count;
    }
    return 0;
}

void TMemoryStream::LoadFromStream(TStream* src)
{
    src->SetPosition(0);
    int64_t count = src->Size();
    SetSize(count);
    if (count != 0)
        src->ReadBuffer(FMemory, count);
}

void TMemoryStream::LoadFromFile(const QString& fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

TBytesStream::TBytesStream(const QByteArray& bytes)
{
    FBytes = bytes;
    FBytes.detach();
    SetPointer(FBytes.data(), FBytes.size());
    // The block is the array; Capacity mirrors its length.
    int64_t cap = FBytes.size();
    SetCapacity(cap);
}

TBytesStream::~TBytesStream()
{
    SetPointer(nullptr, 0);   // the array frees itself; keep the base from freeing it
}

QByteArray TBytesStream::Bytes() const
{
    return FBytes.left(qsizetype(FSize));
}

void* TBytesStream::Realloc(int64_t& newCapacity)
{
    if (newCapacity == qsizetype(FBytes.size()))
        return FBytes.isEmpty() ? nullptr : FBytes.data();
    if (newCapacity > 0 && newCapacity != FSize)
        newCapacity = (newCapacity + (MemoryDelta - 1)) & ~(MemoryDelta - 1);
    FBytes.resize(qsizetype(newCapacity));
    return newCapacity == 0 ? nullptr : FBytes.data();
}

TStringStream::TStringStream(const QString& s) : TBytesStream(s.toUtf8())
{
}

TStringStream::TStringStream(const QByteArray& bytes) : TBytesStream(bytes)
{
}

QString TStringStream::DataString() const
{
    return QString::fromUtf8(static_cast<const char*>(FMemory), qsizetype(FSize));
}

QString TStringStream::ReadString(int64_t count)
{
    int64_t n = std::min(count, FSize - FPosition);
    if (n <= 0)
        return QString();
    QByteArray b(qsizetype(n), Qt::Uninitialized);
    n = Read(b.data(), n);
    b.truncate(qsizetype(n));
    return QString::fromUtf8(b);
}

void TStringStream::WriteString(const QString& s)
{
    WriteBytes(s.toUtf8());
}

// ---------------------------------------------------------------- files

static QString OsErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

TFileStream::TFileStream(const QString& fileName, uint16_t mode) : FFileName(fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
        FHandle = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(QStringLiteral("Cannot create file \"%s\". %s"), {fileName, OsErrorText(errno)});
    } else {
        int access = mode & 0x0003;
        int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
        FHandle = ::open(path.constData(), flags | O_CLOEXEC);
        int err = errno;
        if (FHandle >= 0) {
            struct stat st;
            if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
                ::close(FHandle);
                FHandle = -1;
                err = EISDIR;
            }
        }
        if (FHandle < 0)
            throw EFOpenError(QStringLiteral("Cannot open file \"%s\". %s"), {fileName, OsErrorText(err)});
    }
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buf, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::read(FHandle, static_cast<char*>(buf) + done, size_t(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buf, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(FHandle, static_cast<const char*>(buf) + done, size_t(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(FHandle, off_t(offset), whence);
    return r < 0 ? -1 : int64_t(r);
}

int64_t TFileStream::Size()
{
    struct stat st;
    if (::fstat(FHandle, &st) != 0)
        return TStream::Size();
    return int64_t(st.st_size);
}

void TFileStream::SetSize(int64_t newSize)
{
    int64_t pos = Position();
    if (::ftruncate(FHandle, off_t(newSize)) != 0)
        throw EStreamError(QStringLiteral("Cannot change the size of file \"%s\". %s"), {FFileName, OsErrorText(errno)});
    if (pos > newSize)
        Seek(0, soEnd);
}

void SaveBytesToFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("Cannot create file \"%s\". %s"), {fileName, f.errorString()});
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%s\". %s"), {fileName, f.errorString()});
}

// ---------------------------------------------------------------- TSaveFileStream

TSaveFileStream::TSaveFileStream(const QString& fileName) : FFileName(fileName), FFile(new QSaveFile(fileName))
{
    if (!FFile->open(QIODevice::WriteOnly)) {
        const QString why = FFile->errorString();
        delete FFile;
        throw EFCreateError(QStringLiteral("Cannot create file \"%s\". %s"), {fileName, why});
    }
}

TSaveFileStream::~TSaveFileStream()
{
    if (FFile->isOpen())
        FFile->cancelWriting();
    delete FFile;
}

int64_t TSaveFileStream::Read(void*, int64_t) { return 0; }

int64_t TSaveFileStream::Write(const void* buf, int64_t count)
{
    const qint64 n = FFile->write(static_cast<const char*>(buf), count);
    return n < 0 ? 0 : n;
}

int64_t TSaveFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t target = offset;
    if (origin == soCurrent)
        target = FFile->pos() + offset;
    else if (origin == soEnd)
        target = FFile->size() + offset;
    if (target != FFile->pos() && !FFile->seek(target))
        return FFile->pos();
    return target;
}

int64_t TSaveFileStream::Size() { return FFile->size(); }

void TSaveFileStream::Commit()
{
    if (!FFile->commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%s\". %s"), {FFileName, FFile->errorString()});
}
