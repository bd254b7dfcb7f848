// Byte streams: the abstract TStream, memory streams, file streams and string streams.
#pragma once

#include "SysUtils.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File open modes: one access mode, optionally or-ed with a share flag (accepted, ignored).
constexpr uint16_t fmCreate = 0xFF00;          // create or truncate, then read and write
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Read and Write transfer up to count bytes and return how many were transferred.
    virtual int64_t Read(void* buf, int64_t count) = 0;
    virtual int64_t Write(const void* buf, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position();
    void SetPosition(int64_t pos);
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // Exactly count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buf, int64_t count);
    void WriteBuffer(const void* buf, int64_t count);
    // Copies count bytes from src's position; count 0 copies all of src from its start.
    // Returns the number of bytes copied.
    int64_t CopyFrom(TStream* src, int64_t count);

    // Conveniences over ReadBuffer/WriteBuffer.
    QByteArray ReadBytes(int64_t count);        // exactly count bytes or EReadError
    void WriteBytes(const QByteArray& bytes);
};

// A stream over one contiguous block of memory that the descendant provides.
class TCustomMemoryStream : public TStream {
public:
    int64_t Read(void* buf, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }

    void* Memory() const { return FMemory; }
    void SaveToStream(TStream* dest);       // the whole content, whatever the position
    // Written to a temporary file beside the target and renamed over it.
    void SaveToFile(const QString& fileName);

protected:
    void SetPointer(void* ptr, int64_t size);

    void* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// A growable memory stream. Capacity grows in 8 KB steps through the virtual Realloc.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;
    // Frees through TMemoryStream::Realloc; a descendant that overrides Realloc releases
    // its own block in its destructor (call Clear there).
    ~TMemoryStream() override;

    int64_t Write(const void* buf, int64_t count) override;
    void SetSize(int64_t newSize) override;

    void Clear();
    void LoadFromStream(TStream* src);      // the whole of src, from its start
    void LoadFromFile(const QString& fileName);
    int64_t Capacity() const { return FCapacity; }
    void SetCapacity(int64_t newCapacity);

    static constexpr int64_t MemoryDelta = 8192;

protected:
    // Returns a block of at least newCapacity bytes holding the current content (nullptr
    // for 0). May round newCapacity up; the base rounds to MemoryDelta.
    virtual void* Realloc(int64_t& newCapacity);

private:
    int64_t FCapacity = 0;
};

// A memory stream whose block is a byte array.
class TBytesStream : public TMemoryStream {
public:
    TBytesStream() = default;
    explicit TBytesStream(const QByteArray& bytes);
    ~TBytesStream() override;
    // The content (Size bytes).
    QByteArray Bytes() const;

protected:
    void* Realloc(int64_t& newCapacity) override;

private:
    QByteArray FBytes;
};

// Text held as UTF-8 bytes.
class TStringStream : public TBytesStream {
public:
    TStringStream() = default;
    explicit TStringStream(const QString& s);          // stored as UTF-8
    explicit TStringStream(const QByteArray& bytes);
    explicit TStringStream(const char* utf8) : TStringStream(QString::fromUtf8(utf8)) {}

    QString DataString() const;                         // the content decoded as UTF-8
    QString ReadString(int64_t count);                  // up to count bytes from the position
    void WriteString(const QString& s);                 // UTF-8 at the position
};

class TFileStream : public TStream {
public:
    // EFCreateError "Cannot create file \"%s\". %s" with fmCreate,
    // EFOpenError "Cannot open file \"%s\". %s" otherwise.
    TFileStream(const QString& fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buf, int64_t count) override;
    int64_t Write(const void* buf, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t newSize) override;

    const QString& FileName() const { return FFileName; }

private:
    QString FFileName;
    int FHandle = -1;
};

class QSaveFile;

// A write-only file stream over a temporary file beside fileName: Commit renames it over the
// target; a stream freed without Commit removes the temporary file and leaves the target as it
// was. EFCreateError when the temporary file cannot be made or the commit fails (disk full).
class TSaveFileStream : public TStream {
public:
    explicit TSaveFileStream(const QString& fileName);
    ~TSaveFileStream() override;
    TSaveFileStream(const TSaveFileStream&) = delete;
    TSaveFileStream& operator=(const TSaveFileStream&) = delete;

    int64_t Read(void* buf, int64_t count) override;    // reads nothing
    int64_t Write(const void* buf, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void Commit();

    const QString& FileName() const { return FFileName; }

private:
    QString FFileName;
    QSaveFile* FFile;
};

// Writes bytes to fileName through a temporary file and a rename, so a failed save
// never leaves a truncated file. Raises EFCreateError on failure.
void SaveBytesToFile(const QString& fileName, const QByteArray& bytes);
