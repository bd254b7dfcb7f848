// The evaluator of compiled filter and aggregate expressions over memory records and views,
// and the aggregates a view keeps up to date.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

#include <QtEndian>
#include <cmath>
#include <exception>

// ---------------------------------------------------------------- TDataSetExprParserEh

TDataSetExprParserEh::TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType)
    : FDataSet(ADataSet), FExprParserType(ExprParserType)
{
}

TDataSetExprParserEh::~TDataSetExprParserEh() = default;

TFilterOptions TDataSetExprParserEh::EvalOptions() const
{
    return FDataSet ? FDataSet->FilterOptions() : FilterOptions;
}

void TDataSetExprParserEh::ParseExpression(const QString& Expr)
{
    TMTDataStructEh* ds = DataStruct;
    TExprFieldResolver resolver = [ds](const QString& name, TExprFieldInfo& info) {
        if (!ds)
            return false;
        TMTDataFieldEh* f = ds->FindField(name);
        if (!f)
            return false;
        info.FieldNo = f->Index() + 1;
        info.DataType = f->DataType();
        info.FieldName = f->GetFieldName();
        return true;
    };
    TParserOptions po{poExtSyntax};
    if (FExprParserType == dsptAggregateEh)
        po.Include(poAggregate);
    TExprParser parser(resolver, Expr, EvalOptions(), po);
    FExprData = parser.FilterData();
}

Variant TDataSetExprParserEh::FieldValue(int FieldNo, const QString& Name)
{
    TMemoryRecordEh* rec = FRec;
    if (!rec && FView)
        rec = FView->GetAccountableRecord(FAggRow);
    if (rec) {
        if (FieldNo < 1 || size_t(FieldNo) > rec->Data().size())
            throw EListError(QStringLiteral("List index out of bounds (%d)"), {FieldNo - 1});
        return rec->ValueRef(FieldNo - 1);
    }
    if (OnGetFieldValue)
        return OnGetFieldValue(Name);
    DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {Name});
}

bool TDataSetExprParserEh::IsCurRecordInFilter(TMemoryRecordEh* Rec)
{
    if (!HasData())
        return false;
    return EvaluateCompiledExpression(nullptr, Rec, 0).AsBoolean();
}

Variant TDataSetExprParserEh::CalcAggregateValue(TRecordsViewEh* RecordsView)
{
    if (!HasData())
        return Variant(false);
    return EvaluateCompiledExpression(RecordsView, nullptr, 0);
}

Variant TDataSetExprParserEh::EvaluateCompiledExpression(TRecordsViewEh* View, TMemoryRecordEh* Rec, int NodeOffset)
{
    TRecordsViewEh* savedView = FView;
    TMemoryRecordEh* savedRec = FRec;
    const int savedRow = FAggRow;
    FView = Rec ? nullptr : View;
    FRec = Rec;
    FAggRow = 0;
    struct Restore {
        TDataSetExprParserEh* p; TRecordsViewEh* v; TMemoryRecordEh* r; int row;
        ~Restore() { p->FView = v; p->FRec = r; p->FAggRow = row; }
    } restore{this, savedView, savedRec, savedRow};
    return EvalNode(NodeOffset);
}

namespace {

bool CountsInSum(const Variant& v)
{
    return VarIsNumeric(v) || VarIsFloat(v) || v.VarType() == varDate || v.VarType() == varBoolean
        || v.VarType() == varCurrency || v.VarType() == varFMTBcd;
}

int CompareTexts(const QString& a, const QString& b)
{
    return CompareTextAs(a, b, vcLocale);
}

} // namespace

Variant TDataSetExprParserEh::Aggregate(const QString& Name, int ArgNode)
{
    if (!FView)
        return Variant::Null();
    const int rows = FView->AccountableItemsCount();
    if (ArgNode == 0)   // COUNT(*)
        return Variant(rows);
    if (rows == 0)
        return Variant::Null();
    // The argument is the value node of the first list element, evaluated once per row.
    const int valueNode = Word(NodeBase(ArgNode) + 8);
    const int savedRow = FAggRow;
    FAggRow = 0;
    Variant acc = EvalNode(valueNode);
    const bool sum = Name == QLatin1String("SUM") || Name == QLatin1String("AVG");
    const bool count = Name == QLatin1String("COUNT");
    const bool isMin = Name == QLatin1String("MIN");
    if (sum)
        acc = CountsInSum(acc) ? acc : Variant(0);
    else if (count)
        acc = Variant(acc.IsNull() || acc.IsEmpty() ? 0 : 1);
    for (int row = 1; row < rows; ++row) {
        FAggRow = row;
        const Variant v = EvalNode(valueNode);
        if (sum) {
            if (CountsInSum(v))
                acc = acc + v;
        } else if (count) {
            if (!v.IsNull() && !v.IsEmpty())
                acc = acc + Variant(1);
        } else {
            int c;
            if (acc.VarType() == varString || v.VarType() == varString)
                c = CompareTexts(VarToStr(v), VarToStr(acc));
            else
                c = CompareValuesEh(v, acc);
            if (isMin ? c < 0 : c > 0)
                acc = v;
        }
    }
    FAggRow = savedRow;
    if (Name == QLatin1String("AVG"))
        return acc / Variant(rows);
    return acc;
}

// ---------------------------------------------------------------- aggregates

DOV_PUBLISHED(TMTAggregateEh)
{
    P.Prop("Active", &TMTAggregateEh::Active, &TMTAggregateEh::SetActive);
    P.Prop("Expression", &TMTAggregateEh::Expression, &TMTAggregateEh::SetExpression);
}

TMTAggregateEh::TMTAggregateEh(TCollection* Collection) : TCollectionItem(Collection)
{
    TMTAggregatesEh* a = Aggregates();
    FAggrExpr = std::make_unique<TDataSetExprParserEh>(a ? a->DataSet() : nullptr, dsptAggregateEh);
}

TMTAggregateEh::~TMTAggregateEh() = default;

TMTAggregatesEh* TMTAggregateEh::Aggregates() const
{
    return dynamic_cast<TMTAggregatesEh*>(Collection());
}

void TMTAggregateEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    TMTAggregatesEh* a = Aggregates();
    if (a && a->UpdateCount() == 0) {
        auto undo = OnFailure([this] {
            FActive = false;
            FInUse = false;
            FValue = Variant::Null();
        });
        Reset();
        Recalc();
    }
}

void TMTAggregateEh::SetExpression(const QString& Value)
{
    if (Value == FExpression)
        return;
    FExpression = Value;
    Reset();
    TMTAggregatesEh* a = Aggregates();
    if (!a || a->UpdateCount() == 0)
        Recalc();
}

void TMTAggregateEh::Reset()
{
    FInUse = false;
    TMTAggregatesEh* a = Aggregates();
    if (a && a->CanCalculate() && FActive && !FExpression.isEmpty() && a->Active()) {
        TRecordsViewEh* view = a->RecordsView();
        FAggrExpr->DataStruct = view && view->MemTableData() ? view->MemTableData()->DataStruct() : nullptr;
        auto undo = OnFailure([this] { FValue = Variant::Null(); });
        FAggrExpr->ParseExpression(FExpression);
        FDataType = ftFloat;
        FInUse = true;
    } else {
        FValue = Variant::Null();
    }
}

void TMTAggregateEh::Recalc()
{
    TMTAggregatesEh* a = Aggregates();
    if (FInUse && a)
        FValue = FAggrExpr->CalcAggregateValue(a->RecordsView());
    else
        FValue = Variant::Null();
}

void TMTAggregateEh::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TMTAggregateEh*>(Source)) {
        FActive = s->FActive;
        FExpression = s->FExpression;
        return;
    }
    // An aggregate field of the table, read through its published properties.
    if (Source && Source->ClassInfo().InheritsFrom(QStringLiteral("TAggregateField"))) {
        FActive = GetOrdProp(Source, QStringLiteral("Active")) != 0;
        FExpression = GetStrProp(Source, QStringLiteral("Expression"));
        return;
    }
    TCollectionItem::Assign(Source);
}

QString TMTAggregateEh::DisplayName() const
{
    return FExpression.isEmpty() ? TCollectionItem::DisplayName() : FExpression;
}

DOV_PUBLISHED(TMTAggregatesEh) {}

TMTAggregatesEh::TMTAggregatesEh(TRecordsViewEh* AOwner)
    : TCollection(TMTAggregateEh::StaticClassInfo()), FOwner(AOwner)
{
}

TDataSet* TMTAggregatesEh::DataSet() const
{
    return FOwner ? FOwner->DataSet() : nullptr;
}

TPersistent* TMTAggregatesEh::GetOwner() const
{
    return FOwner;
}

bool TMTAggregatesEh::CanCalculate() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return FOwner && FOwner->MemTableData();
    // The table compiles and computes its aggregates while it opens, before it reads as active.
    return (ds->Active() || ds->State() == dsOpening) && !ds->ComponentState().Contains(csLoading);
}

void TMTAggregatesEh::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    Reset();
}

void TMTAggregatesEh::Reset()
{
    // One rejected expression leaves only its own item out of use; the first error is raised
    // once the others are compiled and computed.
    std::exception_ptr error;
    BeginUpdate();
    for (int i = 0; i < Count(); ++i) {
        try {
            Items(i)->Reset();
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
    }
    EndUpdate();
    Recalc();
    if (error)
        std::rethrow_exception(error);
}

void TMTAggregatesEh::Recalc()
{
    if (Count() == 0)
        return;
    const bool can = CanCalculate() && UpdateCount() == 0;
    for (int i = 0; i < Count(); ++i) {
        TMTAggregateEh* a = Items(i);
        if (can)
            a->Recalc();
        else
            a->FValue = Variant::Null();
    }
}
