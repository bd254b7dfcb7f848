// The registry: a tree of keys holding named string values. Here it is one file under the
// user's configuration folder, read afresh by every call and rewritten whole through a
// temporary file, so a crash never leaves half a store behind.
#pragma once

#include "IniFiles.h"

using HKEY = uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// The store's file: DOV_REGISTRY_FILE when set, else "registry.dat" in the user's
// configuration folder for the program. Tests point it elsewhere.
QString RegistryStoreFileName();
void SetRegistryStoreFileName(const QString& FileName);

class TRegistry : public TObject {
public:
    TRegistry() = default;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);
    // The open key's path below the root ("" at the root).
    const QString& CurrentPath() const { return FCurrentPath; }

    // A leading "\" starts at the root, otherwise at the open key. False when the key is
    // missing and may not be made.
    bool OpenKey(const QString& Key, bool CanCreate);
    void CloseKey() { FCurrentPath.clear(); }
    bool KeyExists(const QString& Key);
    // Removes the key with every key under it.
    bool DeleteKey(const QString& Key);

    // Names are matched whatever their case; the empty name is the key's default value.
    bool ValueExists(const QString& Name);
    QString ReadString(const QString& Name);
    void WriteString(const QString& Name, const QString& Value);
    bool DeleteValue(const QString& Name);
    void GetValueNames(TStrings* Strings);
    void GetKeyNames(TStrings* Strings);

private:
    QString FullPath(const QString& Key) const;
    HKEY FRootKey = HKEY_CURRENT_USER;
    QString FCurrentPath;
};

// Ini-file access to a registry key: sections are its subkeys, idents their values.
class TRegIniFile : public TCustomIniFile {
public:
    // Opens (making it when missing) the key FileName below HKEY_CURRENT_USER.
    explicit TRegIniFile(const QString& FileName);

    TRegistry* Registry() { return &FRegistry; }

    QString ReadString(const QString& section, const QString& ident, const QString& def) override;
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    void ReadSection(const QString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const QString& section, TStrings* strings) override;
    bool SectionExists(const QString& section) override;
    bool ValueExists(const QString& section, const QString& ident) override;
    void EraseSection(const QString& section) override;
    void DeleteKey(const QString& section, const QString& ident) override;
    void UpdateFile() override {}   // every write is already on disk

private:
    QString SectionPath(const QString& section) const;
    TRegistry FRegistry;
    QString FKeyPath;
};

DOV_DECLARE_EXCEPTION(ERegistryException, Exception);
