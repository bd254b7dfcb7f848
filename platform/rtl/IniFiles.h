// Ini files with Windows profile semantics.
#pragma once

#include "Classes.h"

#include <memory>

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const QString& fileName) : FFileName(fileName) {}

    const QString& FileName() const { return FFileName; }

    virtual QString ReadString(const QString& section, const QString& ident, const QString& def) = 0;
    virtual void WriteString(const QString& section, const QString& ident, const QString& value) = 0;
    // Decimal, $hex or 0x hex; def when missing or not a number.
    virtual int ReadInteger(const QString& section, const QString& ident, int def);
    virtual void WriteInteger(const QString& section, const QString& ident, int value);
    // Any integer (non-zero is true) or "True"/"False" in any case; def otherwise.
    virtual bool ReadBool(const QString& section, const QString& ident, bool def);
    // Writes "1" or "0".
    virtual void WriteBool(const QString& section, const QString& ident, bool value);

    // Key names of the section in file order.
    virtual void ReadSection(const QString& section, TStrings* strings) = 0;
    virtual void ReadSections(TStrings* strings) = 0;
    // "name=value" lines of the section in file order.
    virtual void ReadSectionValues(const QString& section, TStrings* strings) = 0;
    virtual bool SectionExists(const QString& section);
    virtual bool ValueExists(const QString& section, const QString& ident);
    virtual void EraseSection(const QString& section) = 0;
    virtual void DeleteKey(const QString& section, const QString& ident) = 0;
    virtual void UpdateFile() = 0;

private:
    QString FFileName;
};

// Reads the file afresh on every call; a write rewrites the file through a temporary
// file, keeping comments, order and other sections. Reading never creates the file.
// Files are UTF-8 (with or without BOM) or, when not valid UTF-8, CP1251; a CP1251 file
// stays CP1251 when rewritten.
// Write failures raise EIniFileException "Unable to write to %s".
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile() override;

    QString ReadString(const QString& section, const QString& ident, const QString& def) override;
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    void ReadSection(const QString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const QString& section, TStrings* strings) override;
    bool ValueExists(const QString& section, const QString& ident) override;
    void EraseSection(const QString& section) override;
    void DeleteKey(const QString& section, const QString& ident) override;
    void UpdateFile() override;   // every write is already on disk

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};

DOV_DECLARE_EXCEPTION(EIniFileException, Exception);
