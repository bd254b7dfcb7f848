#include "ToolCtrlsEh_Core.h"
#include "platform/rtl/Guards.h"

#include "platform/db/DB.h"

#include <memory>

// ---------------------------------------------------------------- TBMListEh

TBMListEh::~TBMListEh()
{
    // Descendants are gone by now: only the base list's own steps run.
    TBMListEh::Clear();
}

void TBMListEh::SetItem(int Index, const TBookmark& Item)
{
    FList[size_t(Index)] = Item;
    InvalidateCache();
}

bool TBMListEh::CurrentRowSelected()
{
    int index;
    return Find(GetCurrentBookmark(), index);
}

void TBMListEh::SetCurrentRowSelected(bool Value)
{
    const TBookmark current = GetCurrentBookmark();
    int index;
    if (Find(current, index) == Value)
        return;
    if (Value)
        InsertItem(index, current);
    else
        DeleteItem(index);
}

bool TBMListEh::Find(const TBookmark& Item, int& Index)
{
    // The same bytes object as last time (not merely equal bytes): the answer is known.
    if (FCacheIndex >= 0 && !Item.isEmpty() && Item.constData() == FCache.constData()) {
        Index = FCacheIndex;
        return FCacheFind;
    }
    TDataSet* ds = GetDataSet();
    bool result = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = int((unsigned(lo) + unsigned(hi)) >> 1);
        const int c = ds->CompareBookmarks(FList[size_t(mid)], Item);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                result = true;
                lo = mid;
            }
        }
    }
    Index = lo;
    FCache = Item;
    FCacheIndex = lo;
    FCacheFind = result;
    return result;
}

int TBMListEh::IndexOf(const TBookmark& Item)
{
    int index;
    return Find(Item, index) ? index : -1;
}

void TBMListEh::InsertItem(int Index, const TBookmark& Item)
{
    if (Index < 0 || Index > Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    FList.insert(FList.begin() + Index, Item);
    InvalidateCache();
}

void TBMListEh::DeleteItem(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    FList.erase(FList.begin() + Index);
    InvalidateCache();
}

void TBMListEh::Clear()
{
    if (FList.empty())
        return;
    FList.clear();
    InvalidateCache();
    Invalidate();
}

void TBMListEh::Delete()
{
    TDataSet* ds = GetDataSet();
    {
        TDisableControlsGuard controls(ds);
        for (int i = Count() - 1; i >= 0; --i) {
            ds->GotoBookmark(FList[size_t(i)]);
            ds->Delete();
            DeleteItem(i);
        }
    }
    UpdateState();
}

bool TBMListEh::Refresh()
{
    TDataSet* ds = GetDataSet();
    const bool hadItems = Count() > 0;
    bool changed = false;
    auto finish = [&] {
        UpdateState();
        ds->UpdateCursorPos();
        if (hadItems && changed)
            InvalidateCache();
        if (changed)
            Invalidate();
    };
    {
        auto cleanup = Finally([&] { finish(); });
        ds->CheckBrowseMode();
        for (int i = Count() - 1; i >= 0; --i) {
            if (!ds->BookmarkValid(FList[size_t(i)])) {
                DeleteItem(i);
                changed = true;
            }
        }
    }
    return changed;
}

void TBMListEh::SelectAll()
{
    if (!FLinkActive)
        return;
    TDataSet* ds = GetDataSet();
    TDisableControlsGuard controls(ds);
    const TBookmark current = ds->Bookmark();
    ds->First();
    while (!ds->Eof()) {
        SetCurrentRowSelected(true);
        ds->Next();
    }
    ds->GotoBookmark(current);
}

void TBMListEh::QuickSort(int L, int R, TDataSet* DataSet, const TBMListSortCompare& Compare)
{
    int I;
    do {
        I = L;
        int J = R;
        int P = int((unsigned(L) + unsigned(R)) >> 1);
        do {
            while (Compare(this, DataSet, I, P) < 0)
                ++I;
            while (Compare(this, DataSet, J, P) > 0)
                --J;
            if (I <= J) {
                if (I != J)
                    std::swap(FList[size_t(I)], FList[size_t(J)]);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J)
            QuickSort(L, J, DataSet, Compare);
        L = I;
    } while (I < R);
}

void TBMListEh::CustomSort(TDataSet* DataSet, const TBMListSortCompare& Compare)
{
    if (Count() > 1)
        QuickSort(0, Count() - 1, DataSet, Compare);
    // Positions changed: a cached search answer would point at another item.
    InvalidateCache();
}

void TBMListEh::LinkActive(bool Value)
{
    Clear();
    UpdateState();
    FLinkActive = Value;
}

TBookmark TBMListEh::GetCurrentBookmark()
{
    if (!FLinkActive)
        RaiseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    return GetDataSet()->Bookmark();
}

int TBMListEh::CompareItems(const TBookmark& Item1, const TBookmark& Item2) const
{
    return GetDataSet()->CompareBookmarks(Item1, Item2);
}

void TBMListEh::RaiseError(const QString& Msg)
{
    throw Exception(Msg);
}

void TBMListEh::InvalidateCache()
{
    FCache = TBookmark();
    FCacheIndex = -1;
}

// ---------------------------------------------------------------- TOrderByList

namespace {

bool IsTokenEnd(QChar c)
{
    return c == u' ' || c == u',' || c == u';' || c == QChar(0);
}

}  // namespace

QString TOrderByList::GetToken(const QString& Exp, int& FromIndex)
{
    const int len = int(Exp.size());
    while (FromIndex <= len && Exp.at(FromIndex - 1) == u' ')
        ++FromIndex;
    if (FromIndex > len)
        return QString();
    const QChar c = Exp.at(FromIndex - 1);
    if (c == u',' || c == u';') {
        ++FromIndex;
        return QString(c);
    }
    if (c == u'[') {
        ++FromIndex;
        const int start = FromIndex;
        while (FromIndex <= len && Exp.at(FromIndex - 1) != u']' && Exp.at(FromIndex - 1) != QChar(0))
            ++FromIndex;
        const QString token = Exp.mid(start - 1, FromIndex - start);
        if (FromIndex <= len && Exp.at(FromIndex - 1) == u']')
            ++FromIndex;
        return token;
    }
    const int start = FromIndex;
    while (FromIndex <= len && !IsTokenEnd(Exp.at(FromIndex - 1)))
        ++FromIndex;
    return Exp.mid(start - 1, FromIndex - start);
}

void TOrderByList::ParseOrderByStr(const QString& OrderByStr)
{
    std::vector<std::unique_ptr<TOrderByItemEh>> parsed;
    auto fieldOf = [this](const QString& token) {
        const int field = GetFieldIndex(token);
        if (field == -1)
            throw Exception(QStringLiteral(" Field - \"") + token + QStringLiteral("\" not found."));
        return field;
    };

    int from = 1;
    QString token = GetToken(OrderByStr, from);
    if (!token.isEmpty()) {
        int field = fieldOf(token);
        bool desc = false;
        for (;;) {
            token = GetToken(OrderByStr, from);
            const QString upper = AnsiUpperCase(token);
            if (upper == QLatin1String("ASC"))
                continue;
            if (upper == QLatin1String("DESC")) {
                desc = true;
                continue;
            }
            if (token != QLatin1String(";") && token != QLatin1String(",") && !token.isEmpty())
                throw Exception(QStringLiteral(" Invalid token - \"") + token + u'"');
            auto item = std::make_unique<TOrderByItemEh>();
            item->FieldIndex = field;
            item->MTFieldIndex = field;
            item->Desc = desc;
            parsed.push_back(std::move(item));
            token = GetToken(OrderByStr, from);
            if (token.isEmpty())
                break;
            field = fieldOf(token);
            desc = false;
        }
    }

    Clear();
    for (auto& item : parsed)
        Add(item.release());
}
