#include "Classes.h"
#include "Guards.h"
#include "Filer.h"

#include <QStringDecoder>

// ---------------------------------------------------------------- sorting

namespace {

// Merge sort of positions: safe with any comparison (no reads outside the range, no
// ordering assumptions) and stable, so equal items keep their order.
template <typename Less>
void MergeSortIndices(std::vector<int>& idx, Less less)
{
    const size_t n = idx.size();
    std::vector<int> tmp(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                tmp[k++] = less(idx[j], idx[i]) ? idx[j++] : idx[i++];
            while (i < mid)
                tmp[k++] = idx[i++];
            while (j < hi)
                tmp[k++] = idx[j++];
        }
        idx.swap(tmp);
    }
}

std::vector<int> Identity(int n)
{
    std::vector<int> v(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = i;
    return v;
}

}  // namespace

// ---------------------------------------------------------------- TList

TList::~TList()
{
    Clear();
}

void TList::Error(const char* msg, int64_t data)
{
    throw EListError(QString::fromUtf8(msg), {data});
}

void* TList::Items(int index) const
{
    if (index < 0 || index >= Count())
        Error("List index out of bounds (%d)", index);
    return FList[size_t(index)];
}

void TList::SetItems(int index, void* item)
{
    if (index < 0 || index >= Count())
        Error("List index out of bounds (%d)", index);
    void* old = FList[size_t(index)];
    if (item != old) {
        FList[size_t(index)] = item;
        if (old)
            Notify(old, lnDeleted);
        if (item)
            Notify(item, lnAdded);
    }
}

void TList::SetCapacity(int newCapacity)
{
    if (newCapacity < Count())
        Error("List capacity out of bounds (%d)", newCapacity);
    if (newCapacity > Capacity())
        FList.reserve(size_t(newCapacity));
    else if (newCapacity < Capacity()) {
        std::vector<void*> v;
        v.reserve(size_t(newCapacity));
        v.assign(FList.begin(), FList.end());
        FList.swap(v);
    }
}

void TList::SetCount(int newCount)
{
    if (newCount < 0)
        Error("List count out of bounds (%d)", newCount);
    if (newCount > Count())
        FList.resize(size_t(newCount), nullptr);
    else
        for (int i = Count() - 1; i >= newCount; --i)
            Delete(i);
}

int TList::Add(void* item)
{
    FList.push_back(item);
    if (item)
        Notify(item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        Error("List index out of bounds (%d)", index);
    FList.insert(FList.begin() + index, item);
    if (item)
        Notify(item, lnAdded);
}

void TList::Delete(int index)
{
    if (index < 0 || index >= Count())
        Error("List index out of bounds (%d)", index);
    void* item = FList[size_t(index)];
    FList.erase(FList.begin() + index);
    if (item)
        Notify(item, lnDeleted);
}

int TList::Remove(void* item)
{
    int i = IndexOf(item);
    if (i >= 0)
        Delete(i);
    return i;
}

int TList::IndexOf(void* item) const
{
    auto it = std::find(FList.begin(), FList.end(), item);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

void* TList::Extract(void* item)
{
    int i = IndexOf(item);
    if (i < 0)
        return nullptr;
    FList.erase(FList.begin() + i);
    Notify(item, lnExtracted);
    return item;
}

void TList::Exchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= Count())
        Error("List index out of bounds (%d)", index1);
    if (index2 < 0 || index2 >= Count())
        Error("List index out of bounds (%d)", index2);
    std::swap(FList[size_t(index1)], FList[size_t(index2)]);
}

void TList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    if (curIndex < 0 || curIndex >= Count())
        Error("List index out of bounds (%d)", curIndex);
    if (newIndex < 0 || newIndex >= Count())
        Error("List index out of bounds (%d)", newIndex);
    void* item = FList[size_t(curIndex)];
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, item);
}

void TList::Sort(const TListSortCompare& compare)
{
    if (Count() < 2)
        return;
    std::vector<int> idx = Identity(Count());
    MergeSortIndices(idx, [&](int a, int b) { return compare(FList[size_t(a)], FList[size_t(b)]) < 0; });
    std::vector<void*> sorted;
    sorted.reserve(FList.capacity());
    for (int i : idx)
        sorted.push_back(FList[size_t(i)]);
    FList.swap(sorted);
}

void TList::Pack()
{
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Clear()
{
    SetCount(0);
    FList.shrink_to_fit();
}

TObjectList::~TObjectList()
{
    Clear();
}

void TObjectList::Notify(void* ptr, TListNotification action)
{
    if (FOwnsObjects && action == lnDeleted)
        delete static_cast<TObject*>(ptr);
}

// ---------------------------------------------------------------- TStrings

void TStrings::Error(const char* msg, int data) const
{
    QString m = QString::fromUtf8(msg);
    if (m.contains(QLatin1String("%d")))
        throw EStringListError(m, {data});
    throw EStringListError(m);
}

int TStrings::CompareStrings(const QString& a, const QString& b) const
{
    return AnsiCompareText(a, b);
}

void TStrings::Put(int index, const QString& s)
{
    TUpdateGuard update(this);
    TObject* obj = GetObject(index);
    NativeInt iv = obj ? 0 : GetInteger(index);
    Delete(index);
    InsertObject(index, s, obj);
    if (iv)
        PutInteger(index, iv);
}

int TStrings::Add(const QString& s)
{
    int result = Count();
    Insert(result, s);
    return result;
}

int TStrings::AddObject(const QString& s, TObject* obj)
{
    int result = Add(s);
    PutObject(result, obj);
    return result;
}

int TStrings::AddInteger(const QString& s, NativeInt value)
{
    int result = Add(s);
    PutInteger(result, value);
    return result;
}

void TStrings::InsertObject(int index, const QString& s, TObject* obj)
{
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::AddStrings(TStrings* strings)
{
    TUpdateGuard update(this);
    for (int i = 0; i < strings->Count(); ++i) {
        TObject* obj = strings->GetObject(i);
        if (obj) {
            AddObject(strings->Get(i), obj);
        } else {
            NativeInt iv = strings->GetInteger(i);
            int k = Add(strings->Get(i));
            if (iv)
                PutInteger(k, iv);
        }
    }
}

void TStrings::AddStrings(const QStringList& strings)
{
    TUpdateGuard update(this);
    for (const QString& s : strings)
        Add(s);
}

void TStrings::Exchange(int index1, int index2)
{
    TUpdateGuard update(this);
    QString s1 = Get(index1), s2 = Get(index2);
    TObject* o1 = GetObject(index1);
    TObject* o2 = GetObject(index2);
    NativeInt i1 = o1 ? 0 : GetInteger(index1), i2 = o2 ? 0 : GetInteger(index2);
    Put(index1, s2);
    Put(index2, s1);
    if (o2) PutObject(index1, o2); else PutInteger(index1, i2);
    if (o1) PutObject(index2, o1); else PutInteger(index2, i1);
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    TUpdateGuard update(this);
    QString s = Get(curIndex);
    TObject* obj = GetObject(curIndex);
    NativeInt iv = obj ? 0 : GetInteger(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, obj);
    if (iv)
        PutInteger(newIndex, iv);
}

int TStrings::IndexOf(const QString& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        QString s = Get(i);
        int p = s.indexOf(FNameValueSeparator);
        if (p >= 0 && CompareStrings(s.left(p), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* obj) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == obj)
            return i;
    return -1;
}

bool TStrings::Equals(TStrings* strings) const
{
    if (Count() != strings->Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != strings->Get(i))
            return false;
    return true;
}

DOV_PUBLISHED(TStrings)
{
}

DOV_PUBLISHED(TStringList)
{
}

void TStrings::Assign(TPersistent* source)
{
    if (auto* src = dynamic_cast<TStrings*>(source)) {
        if (src == this)
            return;
        {
            TUpdateGuard update(this);
            Clear();
            FNameValueSeparator = src->FNameValueSeparator;
            FQuoteChar = src->FQuoteChar;
            FDelimiter = src->FDelimiter;
            FStrictDelimiter = src->FStrictDelimiter;
            AddStrings(src);
        }
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler* filer)
{
    bool hasData;
    if (TPersistent* ancestor = filer->Ancestor()) {
        auto* a = dynamic_cast<TStrings*>(ancestor);
        hasData = !a || !Equals(a);
    } else {
        hasData = Count() > 0;
    }
    filer->DefineProperty(
        QStringLiteral("Strings"),
        [this](TReader* reader) {
            reader->ReadListBegin();
            {
                TUpdateGuard update(this);
                Clear();
                while (!reader->EndOfList())
                    Add(reader->ReadString());
            }
            reader->ReadListEnd();
        },
        [this](TWriter* writer) {
            writer->WriteListBegin();
            for (int i = 0; i < Count(); ++i)
                writer->WriteString(Get(i));
            writer->WriteListEnd();
        },
        hasData);
}

QStringList TStrings::ToStringList() const
{
    QStringList r;
    r.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        r.append(Get(i));
    return r;
}

QString TStrings::Names(int index) const
{
    QString s = Get(index);
    int p = s.indexOf(FNameValueSeparator);
    return p >= 0 ? s.left(p) : QString();
}

QString TStrings::Values(const QString& name) const
{
    int i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : QString();
}

void TStrings::SetValues(const QString& name, const QString& value)
{
    int i = IndexOfName(name);
    if (!value.isEmpty()) {
        if (i < 0)
            i = Add(QString());
        Put(i, name + FNameValueSeparator + value);
    } else if (i >= 0) {
        Delete(i);
    }
}

QString TStrings::ValueFromIndex(int index) const
{
    if (index < 0)
        return QString();
    QString s = Get(index);
    int p = s.indexOf(FNameValueSeparator);
    return p >= 0 ? s.mid(p + 1) : QString();
}

void TStrings::SetValueFromIndex(int index, const QString& value)
{
    if (!value.isEmpty()) {
        if (index < 0)
            index = Add(QString());
        Put(index, Names(index) + FNameValueSeparator + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

QString TStrings::Text() const
{
    QString r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += QLatin1String("\r\n");
    }
    return r;
}

void TStrings::SetText(const QString& text)
{
    TUpdateGuard update(this);
    Clear();
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (p < end) {
        const QChar* start = p;
        while (p < end && *p != u'\n' && *p != u'\r')
            ++p;
        Add(QString(start, p - start));
        if (p < end && *p == u'\r')
            ++p;
        if (p < end && *p == u'\n')
            ++p;
    }
}

QString TStrings::CommaText() const
{
    return DelimitedTextWith(u',', u'"', false);
}

void TStrings::SetCommaText(const QString& text)
{
    SetDelimitedTextWith(text, u',', u'"', false);
}

QString TStrings::DelimitedText() const
{
    return DelimitedTextWith(FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const QString& text)
{
    SetDelimitedTextWith(text, FDelimiter, FQuoteChar, FStrictDelimiter);
}

// An item is quoted when it holds the quote or the delimiter, or (unless strict) a
// blank or control character; a single empty item is written as two quotes.
QString TStrings::DelimitedTextWith(QChar delimiter, QChar quote, bool strict) const
{
    const int n = Count();
    if (n == 1 && Get(0).isEmpty())
        return QString(2, quote);
    QString r;
    for (int i = 0; i < n; ++i) {
        QString s = Get(i);
        bool needQuote = false;
        for (QChar c : s) {
            if (c == u'\0')
                break;
            if (c == quote || c == delimiter || (!strict && c.unicode() <= 0x20)) {
                needQuote = true;
                break;
            }
        }
        if (needQuote)
            s = AnsiQuotedStr(s, quote);
        if (i > 0)
            r += delimiter;
        r += s;
    }
    return r;
}

// Parses as the platform does: outside quotes a non-strict list also splits at blanks;
// a quoted item runs to its closing quote with doubled quotes standing for one; text
// stops at a NUL character.
void TStrings::SetDelimitedTextWith(const QString& text, QChar delimiter, QChar quote, bool strict)
{
    TUpdateGuard update(this);
    Clear();
    int len = text.indexOf(QChar(u'\0'));
    if (len < 0)
        len = text.size();
    const QChar* p = text.constData();
    const QChar* end = p + len;
    auto isBlank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 0x20; };
    if (!strict)
        while (p < end && isBlank(*p))
            ++p;
    while (p < end) {
        QString s;
        if (*p == quote) {
            ++p;
            while (p < end) {
                if (*p == quote) {
                    if (p + 1 < end && p[1] == quote) {
                        s += quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                s += *p++;
            }
        } else {
            const QChar* start = p;
            while (p < end && (strict || p->unicode() > 0x20) && *p != delimiter)
                ++p;
            s = QString(start, p - start);
        }
        Add(s);
        if (!strict)
            while (p < end && isBlank(*p))
                ++p;
        if (p < end && *p == delimiter) {
            if (p + 1 == end)
                Add(QString());
            do
                ++p;
            while (!strict && p < end && isBlank(*p));
        }
    }
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

QString TStrings::DecodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
        QStringDecoder dec(QStringDecoder::Utf16LE);
        return dec.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF) {
        QStringDecoder dec(QStringDecoder::Utf16BE);
        return dec.decode(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder dec(QStringDecoder::Utf8);
    QString s = dec.decode(bytes);
    if (!dec.hasError())
        return s;
    return CP1251ToUnicode(bytes);
}

void TStrings::LoadFromFile(const QString& fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

void TStrings::LoadFromStream(TStream* stream)
{
    int64_t rest = stream->Size() - stream->Position();
    QByteArray bytes = stream->ReadBytes(std::max<int64_t>(rest, 0));
    SetText(DecodeText(bytes));
}

void TStrings::SaveToFile(const QString& fileName)
{
    TBytesStream buf;
    SaveToStream(&buf);
    SaveBytesToFile(fileName, buf.Bytes());
}

void TStrings::SaveToStream(TStream* stream)
{
    QByteArray bytes;
    if (FWriteBOM)
        bytes = "\xEF\xBB\xBF";
    bytes += Text().toUtf8();
    stream->WriteBytes(bytes);
}

// ---------------------------------------------------------------- TStringList

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects)
        for (Item& it : FList)
            FreeItemObject(it);
}

void TStringList::FreeItemObject(Item& item)
{
    TObject* obj = item.Obj;
    item.Obj = nullptr;
    delete obj;
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        Error("List index out of bounds (%d)", index);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const QString& a, const QString& b) const
{
    return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int TStringList::Add(const QString& s)
{
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const QString& s, TObject* obj)
{
    int result;
    if (!FSorted) {
        result = Count();
    } else if (Find(s, result)) {
        switch (FDuplicates) {
        case dupIgnore: return result;
        case dupError: Error("String list does not allow duplicates", 0);
        case dupAccept: break;
        }
    }
    InsertItem(result, s, obj);
    return result;
}

void TStringList::Insert(int index, const QString& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const QString& s, TObject* obj)
{
    if (FSorted)
        Error("Operation not allowed on sorted list", 0);
    if (index < 0 || index > Count())
        Error("List index out of bounds (%d)", index);
    InsertItem(index, s, obj);
}

void TStringList::InsertItem(int index, const QString& s, TObject* obj)
{
    Changing();
    Item it;
    it.S = s;
    it.Obj = obj;
    FList.insert(FList.begin() + index, std::move(it));
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    Item it = std::move(FList[size_t(index)]);
    FList.erase(FList.begin() + index);
    if (FOwnsObjects)
        FreeItemObject(it);
    Changed();
}

void TStringList::Clear()
{
    if (FList.empty())
        return;
    Changing();
    std::vector<Item> old;
    old.swap(FList);
    if (FOwnsObjects)
        for (Item& it : old)
            FreeItemObject(it);
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[size_t(index1)], FList[size_t(index2)]);
    Changed();
}

int TStringList::IndexOf(const QString& s) const
{
    if (!FSorted)
        return TStrings::IndexOf(s);
    int i;
    return Find(s, i) ? i : -1;
}

void TStringList::SetCapacity(int newCapacity)
{
    if (newCapacity < Count())
        Error("List capacity out of bounds (%d)", newCapacity);
    FList.reserve(size_t(newCapacity));
}

bool TStringList::Find(const QString& s, int& index) const
{
    bool result = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        int i = (lo + hi) / 2;
        int c = CompareStrings(FList[size_t(i)].S, s);
        if (c < 0) {
            lo = i + 1;
        } else {
            hi = i - 1;
            if (c == 0) {
                result = true;
                if (FDuplicates != dupAccept)
                    lo = i;
            }
        }
    }
    index = lo;
    return result;
}

void TStringList::Sort()
{
    CustomSort([](TStringList* list, int a, int b) {
        return list->CompareStrings(list->FList[size_t(a)].S, list->FList[size_t(b)].S);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (FSorted || Count() < 2)
        return;
    Changing();
    std::vector<int> idx = Identity(Count());
    // The list stays untouched while the comparison runs, so it may read any line.
    MergeSortIndices(idx, [&](int a, int b) { return compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(FList.capacity());
    for (int i : idx)
        sorted.push_back(std::move(FList[size_t(i)]));
    FList.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool v)
{
    if (FSorted == v)
        return;
    if (v)
        Sort();
    FSorted = v;
}

void TStringList::SetCaseSensitive(bool v)
{
    if (FCaseSensitive == v)
        return;
    FCaseSensitive = v;
    if (FSorted) {
        FSorted = false;
        SetSorted(true);
    }
}

QString TStringList::Get(int index) const
{
    CheckIndex(index);
    return FList[size_t(index)].S;
}

void TStringList::Put(int index, const QString& s)
{
    if (FSorted)
        Error("Operation not allowed on sorted list", 0);
    CheckIndex(index);
    Changing();
    FList[size_t(index)].S = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return FList[size_t(index)].Obj;
}

void TStringList::PutObject(int index, TObject* obj)
{
    CheckIndex(index);
    Changing();
    FList[size_t(index)].Obj = obj;
    FList[size_t(index)].Int = 0;
    Changed();
}

NativeInt TStringList::GetInteger(int index) const
{
    CheckIndex(index);
    return FList[size_t(index)].Int;
}

void TStringList::PutInteger(int index, NativeInt value)
{
    CheckIndex(index);
    Changing();
    FList[size_t(index)].Int = value;
    FList[size_t(index)].Obj = nullptr;
    Changed();
}

TNotifyEvent ApplicationHandleException;
