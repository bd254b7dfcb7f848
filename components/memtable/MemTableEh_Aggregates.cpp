// The in-memory table: aggregate fields. Each aggregate field of the table is computed by one
// object in the records view's aggregates; the view recomputes them after every change of the
// shown records, and the field reads the last result.
#include "MemTableEh.h"
#include "platform/rtl/Guards.h"

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
    {
        TUpdateGuard update(aggs);
        aggs->Clear();
        for (TField* f : Fields()->List())
            if (TAggregateField* af = AsAggregateField(f)) {
                TMTAggregateEh* a = aggs->Add();
                a->Assign(af);
                FAggFields.emplace_back(f, a);
            }
    }
    // A rejected expression raises after the other objects are compiled and computed.
    auto resultTypes = Finally([this] {
        for (const auto& [f, a] : FAggFields)
            static_cast<TAggregateField*>(f)->SetResultType(a->DataType());
    });
    aggs->Reset();
}

void TCustomMemTableEh::SyncAggregateFields()
{
    TMTAggregatesEh* aggs = FRecordsView->Aggregates();
    for (const auto& [f, a] : FAggFields) {
        auto* af = static_cast<TAggregateField*>(f);
        if (a->Expression() == af->Expression() && a->Active() == af->Active())
            continue;
        {
            TUpdateGuard update(aggs);
            a->Assign(af);
        }
        auto resultType = Finally([&] { af->SetResultType(a->DataType()); });
        a->Reset();
        a->Recalc();
    }
}

Variant TCustomMemTableEh::AggregateFieldValue(TField* Field) const
{
    if (!AggregatesActive())
        return Variant::Null();
    TMTAggregateEh* a = AggregateOfField(Field);
    return a ? a->Value() : Variant::Null();
}
