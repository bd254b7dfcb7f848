#include "ToolCtrlsEh_Core.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"

#include <QSet>

#include <algorithm>

namespace {

// A sorted list filled from texts that are already sorted and distinct, without sorting again.
class TPresortedStringList : public TStringList {
public:
    void Load(std::vector<QString>& SortedDistinct)
    {
        TUpdateGuard update(this);
        SetSorted(false);
        Clear();
        SetCapacity(int(SortedDistinct.size()));
        for (QString& s : SortedDistinct)
            Add(std::move(s));
        FPresorted = true;
        auto reset = Finally([this] { FPresorted = false; });
        SetSorted(true);
    }
    void Sort() override
    {
        if (!FPresorted)
            TStringList::Sort();
    }

private:
    bool FPresorted = false;
};

}  // namespace

void TDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
    TDataLink::DataEvent(Event, Info);
    if (OnDataEvent)
        OnDataEvent(Event, Info);
}

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
{
    FValues = new TPresortedStringList;
    FValues->SetSorted(true);
    FValues->SetDuplicates(dupIgnore);
    FDataSource = Create<TDataSource>(nullptr);
    FDataLink = Create<TDataLinkEh>();
    FDataLink->OnDataEvent = TDataEventEh(this, &TDatasetFieldValueListEh::DataSetEvent);
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh()
{
    delete FValues;
    FDataLink->SetDataSource(nullptr);
    FDataSource->SetDataSet(nullptr);
    delete FDataSource;
    delete FDataLink;
}

void TDatasetFieldValueListEh::SetFieldName(const QString& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    FDataObsoleted = true;
}

TDataSet* TDatasetFieldValueListEh::DataSet() const
{
    return FDataSource->DataSet();
}

void TDatasetFieldValueListEh::SetDataSet(TDataSet* Value)
{
    // Coming back from an outside source counts as a change even when the own source
    // already holds this dataset: the values were built from the other one.
    if (FDataLink->DataSource() != FDataSource) {
        FDataLink->SetDataSource(FDataSource);
        FDataObsoleted = true;
    }
    if (FDataSource->DataSet() != Value) {
        FDataObsoleted = true;
        FDataSource->SetDataSet(Value);
    }
}

TDataSource* TDatasetFieldValueListEh::DataSource() const
{
    return FDataLink->DataSource();
}

void TDatasetFieldValueListEh::SetDataSource(TDataSource* Value)
{
    if (FDataLink->DataSource() == Value)
        return;
    FDataObsoleted = true;
    FDataLink->SetDataSource(Value);
}

bool TDatasetFieldValueListEh::CaseSensitive() const
{
    return FValues->CaseSensitive();
}

void TDatasetFieldValueListEh::SetCaseSensitive(bool Value)
{
    if (FValues->CaseSensitive() == Value)
        return;
    FValues->SetCaseSensitive(Value);
    // Texts equal without regard to case were merged; they must come apart again.
    FDataObsoleted = true;
}

TStrings* TDatasetFieldValueListEh::GetValues()
{
    if (FDataObsoleted)
        RefreshValues();
    return FValues;
}

void TDatasetFieldValueListEh::DataSetEvent(TDataEvent Event, NativeInt)
{
    if (Event == deDataSetChange || Event == dePropertyChange || Event == deFieldListChange)
        FDataObsoleted = true;
    // Closing or opening the dataset changes the values without a change notice.
    if (Event == deUpdateState && FDataLink->Active() != FBuiltActive)
        FDataObsoleted = true;
}

void TDatasetFieldValueListEh::RefreshValues()
{
    std::vector<QString> texts;
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    TField* field = ds ? ds->FindField(FFieldName) : nullptr;
    FBuiltActive = ds != nullptr;
    if (!field) {
        FValues->Clear();
        return;
    }
    {
        ds->DisableControls();
        auto enable = Finally([ds] { ds->EnableControls(); });
        const TBookmark bm = ds->GetBookmark();
        auto restore = Finally([ds, &bm] {
            if (!bm.isEmpty() && ds->BookmarkValid(bm))
                ds->GotoBookmark(bm);
        });
        // Exact repeats are dropped on the way (first one kept), so the sort below sees each
        // spelling once however many records share it.
        QSet<QString> seen;
        ds->First();
        while (!ds->Eof()) {
            QString text = field->AsString();
            if (!seen.contains(text)) {
                seen.insert(text);
                texts.push_back(std::move(text));
            }
            ds->Next();
        }
    }
    // One stable sort, then the first text of every run of equal ones, as a sorted list that
    // ignores duplicates would have kept them.
    const bool cs = FValues->CaseSensitive();
    auto compare = [cs](const QString& a, const QString& b) { return cs ? AnsiCompareStr(a, b) : AnsiCompareText(a, b); };
    std::stable_sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) { return compare(a, b) < 0; });
    auto last = std::unique(texts.begin(), texts.end(), [&](const QString& a, const QString& b) { return compare(a, b) == 0; });
    texts.erase(last, texts.end());
    static_cast<TPresortedStringList*>(FValues)->Load(texts);
    FDataObsoleted = false;
}
