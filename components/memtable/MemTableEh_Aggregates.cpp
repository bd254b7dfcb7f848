// The in-memory table: aggregate fields. Each aggregate field of the table is computed by one
// object in the records view's aggregates; the view recomputes them after every change of the
// shown records, and the field reads the last result.
#include "MemTableEh.h"

namespace {
TAggregateField* AsAggregateField(TField* f)
{
    return f && f->FieldKind() == fkAggregate ? dynamic_cast<TAggregateField*>(f) : nullptr;
}
}

TMTAggregateEh* TCustomMemTableEh::AggregateOfField(TField* Field) const
{
    for (const auto& [f, a] : FAggFields)
        if (f == Field)
            return a;
    return nullptr;
}

void TCustomMemTableEh::ResetAggregates()
{
    TMTAggregatesEh* aggs = FRecordsView->Aggregates();
    FAggFields.clear();
    aggs->BeginUpdate();
    try {
        aggs->Clear();
        for (TField* f : Fields()->List())
            if (TAggregateField* af = AsAggregateField(f)) {
                TMTAggregateEh* a = aggs->Add();
                a->Assign(af);
                FAggFields.emplace_back(f, a);
            }
    } catch (...) {
        aggs->EndUpdate();
        throw;
    }
    aggs->EndUpdate();
    // A rejected expression raises after the other objects are compiled and computed.
    struct ResultTypes {
        const std::vector<std::pair<TField*, TMTAggregateEh*>>& list;
        ~ResultTypes()
        {
            for (const auto& [f, a] : list)
                static_cast<TAggregateField*>(f)->SetResultType(a->DataType());
        }
    } resultTypes{FAggFields};
    aggs->Reset();
}

void TCustomMemTableEh::SyncAggregateFields()
{
    TMTAggregatesEh* aggs = FRecordsView->Aggregates();
    for (const auto& [f, a] : FAggFields) {
        auto* af = static_cast<TAggregateField*>(f);
        if (a->Expression() == af->Expression() && a->Active() == af->Active())
            continue;
        aggs->BeginUpdate();
        a->Assign(af);
        aggs->EndUpdate();
        try {
            a->Reset();
            a->Recalc();
        } catch (...) {
            af->SetResultType(a->DataType());
            throw;
        }
        af->SetResultType(a->DataType());
    }
}

Variant TCustomMemTableEh::AggregateFieldValue(TField* Field) const
{
    if (!AggregatesActive())
        return Variant::Null();
    TMTAggregateEh* a = AggregateOfField(Field);
    return a ? a->Value() : Variant::Null();
}
