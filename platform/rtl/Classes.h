// Pointer lists and string lists.
#pragma once

#include "SysUtils.h"
#include "Streams.h"
#include "Persistent.h"

#include <functional>
#include <vector>

// ---------------------------------------------------------------- TList

// Alignment of a text, shared by fields and controls.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
DOV_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter)

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of untyped pointers. Index errors raise EListError "List index out of bounds (%d)".
class TList : public TObject {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    ~TList() override;

    int Count() const { return int(FList.size()); }
    void SetCount(int newCount);            // grows with nullptr, shrinks with Delete
    int Capacity() const { return int(FList.capacity()); }
    void SetCapacity(int newCapacity);      // "List capacity out of bounds (%d)" below Count
    void* Items(int index) const;
    void SetItems(int index, void* item);
    void* operator[](int index) const { return Items(index); }
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item);                 // index it had, or -1
    int IndexOf(void* item) const;
    void* Extract(void* item);              // removed without the deletion notice; nullptr if absent
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void Sort(const TListSortCompare& compare);     // stable; any comparison is safe
    void Pack();                            // drops nullptr items
    virtual void Clear();
    void* const* List() const { return FList.data(); }

protected:
    virtual void Notify(void* ptr, TListNotification action) {}
    [[noreturn]] static void Error(const char* msg, int64_t data);

private:
    std::vector<void*> FList;
};

// A list of objects that frees the objects it owns when they are deleted or replaced.
class TObjectList : public TList {
public:
    explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
    ~TObjectList() override;

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool v) { FOwnsObjects = v; }

    TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
    void SetItems(int index, TObject* obj) { TList::SetItems(index, obj); }
    TObject* operator[](int index) const { return Items(index); }
    int Add(TObject* obj) { return TList::Add(obj); }
    void Insert(int index, TObject* obj) { TList::Insert(index, obj); }
    int Remove(TObject* obj) { return TList::Remove(obj); }
    int IndexOf(TObject* obj) const { return TList::IndexOf(obj); }
    TObject* Extract(TObject* obj) { return static_cast<TObject*>(TList::Extract(obj)); }

protected:
    void Notify(void* ptr, TListNotification action) override;

private:
    bool FOwnsObjects;
};

// ---------------------------------------------------------------- TStrings

// An abstract list of lines, each with a data slot that holds nothing, an object
// reference or an integer. The slot knows which, so an integer is never taken for an
// object (Objects() of an integer slot is nullptr; Integers() of an object slot is 0).
class TStrings : public TPersistent {
    DOV_PERSISTENT(TStrings, TPersistent)
public:
    TStrings() = default;

    virtual int Count() const = 0;
    QString Strings(int index) const { return Get(index); }
    void SetStrings(int index, const QString& s) { Put(index, s); }
    QString operator[](int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* obj) { PutObject(index, obj); }
    NativeInt Integers(int index) const { return GetInteger(index); }
    void SetIntegers(int index, NativeInt value) { PutInteger(index, value); }
    bool HoldsObject(int index) const { return GetObject(index) != nullptr; }

    virtual int Add(const QString& s);
    virtual int AddObject(const QString& s, TObject* obj);
    int AddInteger(const QString& s, NativeInt value);
    void Append(const QString& s) { Add(s); }
    virtual void AddStrings(TStrings* strings);
    void AddStrings(const QStringList& strings);
    virtual void Insert(int index, const QString& s) = 0;
    virtual void InsertObject(int index, const QString& s, TObject* obj);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    virtual int IndexOf(const QString& s) const;
    int IndexOfName(const QString& name) const;
    int IndexOfObject(TObject* obj) const;
    bool Equals(TStrings* strings) const;

    // From another TStrings: lines, slots and the separator, delimiter and quote settings.
    void Assign(TPersistent* source) override;
    QStringList ToStringList() const;

    // "name=value" lines. Names of a line without the separator is "".
    QString Names(int index) const;
    QString Values(const QString& name) const;
    // An empty value deletes the line; a missing name is added.
    void SetValues(const QString& name, const QString& value);
    QString ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const QString& value);
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar c) { FNameValueSeparator = c; }

    // Every line followed by "\r\n"; setting splits at CR, LF or CRLF.
    virtual QString Text() const;
    virtual void SetText(const QString& text);
    QString CommaText() const;
    void SetCommaText(const QString& text);
    QString DelimitedText() const;
    void SetDelimitedText(const QString& text);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar c) { FDelimiter = c; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar c) { FQuoteChar = c; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool v) { FStrictDelimiter = v; }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    virtual int Capacity() const { return Count(); }
    virtual void SetCapacity(int) {}

    // Reading: UTF-8 (BOM skipped), UTF-16 with BOM, otherwise UTF-8 if valid, else CP1251.
    // Writing: UTF-8, with a BOM when WriteBOM is set; files go through a temporary file.
    virtual void LoadFromFile(const QString& fileName);
    virtual void LoadFromStream(TStream* stream);     // from the position to the end
    virtual void SaveToFile(const QString& fileName);
    virtual void SaveToStream(TStream* stream);
    bool WriteBOM() const { return FWriteBOM; }
    void SetWriteBOM(bool v) { FWriteBOM = v; }

    // Decodes file bytes as LoadFromStream does.
    static QString DecodeText(const QByteArray& bytes);

protected:
    virtual QString Get(int index) const = 0;
    virtual void Put(int index, const QString& s);
    virtual TObject* GetObject(int index) const { return nullptr; }
    virtual void PutObject(int index, TObject* obj) {}
    virtual NativeInt GetInteger(int index) const { return 0; }
    virtual void PutInteger(int index, NativeInt value) {}
    // Called with true on the first BeginUpdate and false on the last EndUpdate.
    virtual void SetUpdateState(bool updating) {}
    virtual int CompareStrings(const QString& a, const QString& b) const;
    [[noreturn]] void Error(const char* msg, int data) const;
    // Streams the lines as the list property "Strings" (written when there are lines, or
    // when they differ from the ancestor's).
    void DefineProperties(TFiler* filer) override;

private:
    QString DelimitedTextWith(QChar delimiter, QChar quote, bool strict) const;
    void SetDelimitedTextWith(const QString& text, QChar delimiter, QChar quote, bool strict);

    QChar FNameValueSeparator = u'=';
    QChar FDelimiter = u',';
    QChar FQuoteChar = u'"';
    bool FStrictDelimiter = false;
    bool FWriteBOM = false;
    int FUpdateCount = 0;
};

// ---------------------------------------------------------------- TStringList

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// Errors: EStringListError "List index out of bounds (%d)", "String list does not allow
// duplicates", "Operation not allowed on sorted list".
class TStringList : public TStrings {
    DOV_PERSISTENT(TStringList, TStrings)
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}
    ~TStringList() override;

    int Count() const override { return int(FList.size()); }
    int Add(const QString& s) override;
    int AddObject(const QString& s, TObject* obj) override;
    void Insert(int index, const QString& s) override;
    void InsertObject(int index, const QString& s, TObject* obj) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const QString& s) const override;
    int Capacity() const override { return int(FList.capacity()); }
    void SetCapacity(int newCapacity) override;

    // Binary search of a sorted list: true when found; index is the match (the first of
    // equal lines with dupAccept) or where s would be inserted.
    virtual bool Find(const QString& s, int& index) const;
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool v);
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool v) { FOwnsObjects = v; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    QString Get(int index) const override;
    void Put(int index, const QString& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    NativeInt GetInteger(int index) const override;
    void PutInteger(int index, NativeInt value) override;
    void SetUpdateState(bool updating) override;
    int CompareStrings(const QString& a, const QString& b) const override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int index, const QString& s, TObject* obj);

private:
    struct Item {
        QString S;
        TObject* Obj = nullptr;
        NativeInt Int = 0;
    };
    void CheckIndex(int index) const;
    void FreeItemObject(Item& item);

    std::vector<Item> FList;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
};

// Reports the exception being handled where it may not propagate (a destructor, a deferred
// step); the application object installs its error box here. Unset, the exception is dropped.
extern TNotifyEvent ApplicationHandleException;
