// The evaluator of compiled filter and aggregate expressions over memory records and views,
// and the aggregates a view keeps up to date.
#include "MemTableDataEh.h"

#include <QtEndian>
#include <cmath>
#include <exception>

// ---------------------------------------------------------------- TDataSetExprParserEh

TDataSetExprParserEh::TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType)
    : FDataSet(ADataSet), FExprParserType(ExprParserType)
{
}

TDataSetExprParserEh::~TDataSetExprParserEh() = default;

TFilterOptions TDataSetExprParserEh::Options() const
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
    TExprParser parser(resolver, Expr, Options(), po);
    FExprData = parser.FilterData();
}

uint16_t TDataSetExprParserEh::Word(int Pos) const
{
    if (Pos < 0 || Pos + 2 > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    return qFromLittleEndian<uint16_t>(FExprData.constData() + Pos);
}

int32_t TDataSetExprParserEh::Int(int Pos) const
{
    if (Pos < 0 || Pos + 4 > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    return qFromLittleEndian<int32_t>(FExprData.constData() + Pos);
}

QString TDataSetExprParserEh::PoolName(int Off) const
{
    const int start = Word(8) + Off;
    int end = start;
    while (end < FExprData.size() && FExprData[end] != '\0')
        ++end;
    return QString::fromUtf8(FExprData.constData() + start, end - start);
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

bool IsText(const Variant& v)
{
    return VarIsStr(v);
}

[[noreturn]] void NotSupported(int cls, int op)
{
    throw Exception(QStringLiteral("Operator <%d:%d> not supported."), {cls, op});
}

int CompareTexts(const QString& a, const QString& b, bool caseIns)
{
    const int r = caseIns ? AnsiCompareText(a, b) : AnsiCompareStr(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool CountsInSum(const Variant& v)
{
    return VarIsNumeric(v) || VarIsFloat(v) || v.VarType() == varDate || v.VarType() == varBoolean
        || v.VarType() == varCurrency || v.VarType() == varFMTBcd;
}

QString TrimChar(const QString& s, QChar c, bool left, bool right)
{
    int b = 0, e = int(s.size());
    if (left)
        while (b < e && s[b] == c)
            ++b;
    if (right)
        while (e > b && s[e - 1] == c)
            --e;
    return s.mid(b, e - b);
}

} // namespace

Variant TDataSetExprParserEh::ReadConstant(int Type, int Size, int ValueOff) const
{
    const int pos = Word(8) + ValueOff;
    if (pos < 0 || pos + Size > FExprData.size())
        throw Exception(QStringLiteral("Invalid compiled expression"));
    const char* p = FExprData.constData() + pos;
    if (Type == ecWideText) {
        const int bytes = qFromLittleEndian<uint16_t>(p);
        return Variant(QString::fromUtf16(reinterpret_cast<const char16_t*>(p + 2), bytes / 2));
    }
    static const TFieldType map[] = {ftUnknown, ftString, ftDate, ftBlob, ftBoolean, ftSmallint, ftInteger,
                                     ftFloat, ftBCD, ftBytes, ftTime, ftDateTime, ftWord, ftInteger, ftUnknown,
                                     ftVarBytes, ftUnknown, ftUnknown, ftLargeint, ftLargeint, ftADT, ftArray,
                                     ftReference, ftDataSet, ftTimeStamp, ftFMTBcd, ftWideString};
    if (Type < 0 || Type > 26)
        return Variant::Null();
    const TFieldType ft = map[Type];
    switch (ft) {
    case ftString: case ftFixedChar: case ftWideString: case ftGuid:
        return Variant(QString::fromLatin1(p, std::max(Size - 1, 0)));
    case ftSmallint: return Variant::FromSmallint(qFromLittleEndian<int16_t>(p));
    case ftInteger: case ftAutoInc: return Variant(int(qFromLittleEndian<int32_t>(p)));
    case ftWord: return Variant::FromWord(qFromLittleEndian<uint16_t>(p));
    case ftBoolean: return Variant(qFromLittleEndian<uint16_t>(p) != 0);
    case ftFloat: case ftCurrency: {
        double d;
        std::memcpy(&d, p, 8);
        return Variant(d);
    }
    case ftBCD: case ftFMTBcd: {
        TBcd b;
        std::memcpy(&b, p, std::min<int>(Size, int(sizeof(TBcd))));
        Currency c;
        if (!BcdToCurr(b, c))
            return Variant::Null();
        return Variant(c);
    }
    case ftDate:
        return Variant::FromDate(double(qFromLittleEndian<int32_t>(p)) - ExprDateDelta);
    case ftTime:
        return Variant::FromDate(double(qFromLittleEndian<int32_t>(p)) / 86400000.0);
    case ftDateTime: {
        double ms;
        std::memcpy(&ms, p, 8);
        ms = std::round(ms);
        const double days = std::floor(ms / 86400000.0);
        return Variant::FromDate(days - ExprDateDelta + (ms - days * 86400000.0) / 86400000.0);
    }
    case ftLargeint: return Variant(static_cast<long long>(qFromLittleEndian<int64_t>(p)));
    case ftTimeStamp: {
        TSQLTimeStamp ts;
        std::memcpy(&ts, p, std::min<int>(Size, int(sizeof(TSQLTimeStamp))));
        return VarSQLTimeStampCreate(ts);
    }
    default:
        throw Exception(QStringLiteral("Unsupported data type: [%d]."), {int(ft)});
    }
}

Variant TDataSetExprParserEh::EvalNode(int Off)
{
    const int base = NodeBase(Off);
    const int cls = Int(base);
    const int op = Int(base + 4);
    const int w = base + 8;
    const bool caseIns = Options().Contains(foCaseInsensitive);
    switch (cls) {
    case ncUnary: {
        switch (op) {
        case coISBLANK: case coNOTBLANK: {
            const Variant v = EvalNode(Word(w));
            const bool blank = IsText(v) ? v.AsString().isEmpty() : (v.IsNull() || v.IsEmpty());
            return Variant(op == coISBLANK ? blank : !blank);
        }
        case coNOT: {
            const Variant v = EvalNode(Word(w));
            if (v.IsNull())
                return Variant::Null();
            return Variant(!v.AsBoolean());
        }
        case coUPPER: case coLOWER: {
            const Variant v = EvalNode(Word(w));
            if (v.IsNull())
                return v;
            return Variant(op == coUPPER ? AnsiUpperCase(VarToStr(v)) : AnsiLowerCase(VarToStr(v)));
        }
        default:
            NotSupported(cls, op);
        }
    }
    case ncBinary: {
        if (op == coIN) {
            const Variant left = EvalNode(Word(w));
            const std::vector<Variant> args = EvalArgs(Word(w + 2));
            for (const Variant& a : args)
                if (VarEqualsEh(left, a))
                    return Variant(true);
            return Variant(false);
        }
        const Variant a = EvalNode(Word(w));
        const Variant b = EvalNode(Word(w + 2));
        switch (op) {
        case coEQ: case coNE: case coGT: case coLT: case coGE: case coLE: {
            int c;
            if (IsText(a) || IsText(b)) {
                c = CompareTexts(VarToStr(a), VarToStr(b), caseIns);
            } else if (a.IsNull() || b.IsNull() || a.IsEmpty() || b.IsEmpty()) {
                const bool na = a.IsNull() || a.IsEmpty(), nb = b.IsNull() || b.IsEmpty();
                c = na && nb ? 0 : (na ? -1 : 1);
            } else {
                c = CompareValuesEh(a, b);
            }
            switch (op) {
            case coEQ: return Variant(c == 0);
            case coNE: return Variant(c != 0);
            case coGT: return Variant(c > 0);
            case coLT: return Variant(c < 0);
            case coGE: return Variant(c >= 0);
            default: return Variant(c <= 0);
            }
        }
        case coAND: case coOR:
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return Variant(op == coAND ? (a.AsBoolean() && b.AsBoolean()) : (a.AsBoolean() || b.AsBoolean()));
        case coADD:
            if (a.IsNull() && b.IsNull())
                return Variant::Null();
            if (IsText(a) || IsText(b))
                return Variant(VarToStr(a) + VarToStr(b));
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return a + b;
        case coSUB: case coMUL: case coDIV:
            if (a.IsNull() || b.IsNull())
                return Variant::Null();
            return op == coSUB ? a - b : (op == coMUL ? a * b : a / b);
        case coLIKE:
            return Variant(MatchLikePattern(VarToStr(a), VarToStr(b), caseIns));
        default:
            NotSupported(cls, op);
        }
    }
    case ncCompare: {
        if (op != coEQ && op != coNE && op != coLIKE)
            NotSupported(cls, op);
        const bool ci = Word(w) == 1;
        const int partial = Word(w + 2);
        QString a = VarToStr(EvalNode(Word(w + 4)));
        QString b = VarToStr(EvalNode(Word(w + 6)));
        if (op == coLIKE)
            return Variant(MatchLikePattern(a, b, ci));
        if (partial > 0) {
            a = a.left(partial);
            b = b.left(partial);
        }
        const bool eq = CompareTexts(a, b, ci) == 0;
        return Variant(op == coEQ ? eq : !eq);
    }
    case ncField: {
        if (op != coFIELD2)
            NotSupported(cls, op);
        const int fieldNo = Word(w);
        TMemoryRecordEh* rec = FRec;
        if (!rec && FView)
            rec = FView->GetAccountableRecord(FAggRow);
        if (rec) {
            if (fieldNo < 1 || size_t(fieldNo) > rec->Data().size())
                throw EListError(QStringLiteral("List index out of bounds (%d)"), {fieldNo - 1});
            return rec->ValueRef(fieldNo - 1);
        }
        const QString name = PoolName(Word(w + 2));
        if (OnGetFieldValue)
            return OnGetFieldValue(name);
        DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {name});
    }
    case ncConst:
        if (op != coCONST2)
            NotSupported(cls, op);
        return ReadConstant(Word(w), Word(w + 2), Word(w + 4));
    case ncFunc: {
        if (op != coFUNC2)
            NotSupported(cls, op);
        return EvalFunction(PoolName(Word(w)).toUpper(), Word(w + 2));
    }
    case ncListElem: {
        if (op != coLISTELEM2)
            NotSupported(cls, op);
        FArgs.push_back(EvalNode(Word(w)));
        if (const int next = Word(w + 2))
            EvalNode(next);
        return Variant(true);
    }
    default:
        return Variant::Null();
    }
}

Variant TDataSetExprParserEh::EvalAggregate(const QString& Name, int ArgNode)
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
                c = CompareTexts(VarToStr(v), VarToStr(acc), false);
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

std::vector<Variant> TDataSetExprParserEh::EvalArgs(int ListNode)
{
    std::vector<Variant> saved;
    saved.swap(FArgs);
    try {
        if (ListNode)
            EvalNode(ListNode);
    } catch (...) {
        FArgs.swap(saved);
        throw;
    }
    std::vector<Variant> args;
    args.swap(FArgs);
    FArgs.swap(saved);
    return args;
}

Variant TDataSetExprParserEh::EvalFunction(const QString& Name, int ArgNode)
{
    if (Name == QLatin1String("SUM") || Name == QLatin1String("MIN") || Name == QLatin1String("MAX")
        || Name == QLatin1String("AVG") || Name == QLatin1String("COUNT")) {
        if (ArgNode == 0 && Name != QLatin1String("COUNT"))
            throw Exception(QStringLiteral("Incorrect number of arguments in function <%s>"), {Name});
        return EvalAggregate(Name, ArgNode);
    }
    // Each call collects its own arguments, so calls nested in arguments do not disturb them.
    const std::vector<Variant> args = EvalArgs(ArgNode);
    const int n = int(args.size());
    auto need = [&](int lo, int hi) {
        if (n < lo || n > hi)
            throw Exception(QStringLiteral("Incorrect number of arguments in function <%s>"), {Name});
    };
    auto nullFirst = [&]() { return n > 0 && (args[0].IsNull() || args[0].IsEmpty()); };

    if (Name == QLatin1String("SUBSTRING")) {
        need(2, 3);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        const int start = args[1].AsInteger();
        const int len = n == 3 ? args[2].AsInteger() : int(s.size());
        return Variant(Copy(s, start, len));
    }
    if (Name == QLatin1String("UPPER") || Name == QLatin1String("LOWER")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        return Variant(Name == QLatin1String("UPPER") ? AnsiUpperCase(s) : AnsiLowerCase(s));
    }
    if (Name == QLatin1String("TRIM") || Name == QLatin1String("TRIMLEFT") || Name == QLatin1String("TRIMRIGHT")) {
        need(1, 2);
        if (nullFirst())
            return Variant::Null();
        const QString s = VarToStr(args[0]);
        QChar c = u' ';
        if (n == 2) {
            const QString t = VarToStr(args[1]);
            if (t.size() != 1)
                return Variant(s);
            c = t[0];
        }
        return Variant(TrimChar(s, c, Name != QLatin1String("TRIMRIGHT"), Name != QLatin1String("TRIMLEFT")));
    }
    if (Name == QLatin1String("YEAR") || Name == QLatin1String("MONTH") || Name == QLatin1String("DAY")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        int y, m, d;
        DecodeDate(args[0].AsDateTime(), y, m, d);
        return Variant(Name == QLatin1String("YEAR") ? y : (Name == QLatin1String("MONTH") ? m : d));
    }
    if (Name == QLatin1String("HOUR") || Name == QLatin1String("MINUTE") || Name == QLatin1String("SECOND")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        int h, mi, s, ms;
        DecodeTime(args[0].AsDateTime(), h, mi, s, ms);
        return Variant(Name == QLatin1String("HOUR") ? h : (Name == QLatin1String("MINUTE") ? mi : s));
    }
    if (Name == QLatin1String("GETDATE")) {
        need(0, 0);
        return Variant::FromDate(Now());
    }
    if (Name == QLatin1String("DATE") || Name == QLatin1String("TIME")) {
        need(1, 1);
        if (nullFirst())
            return Variant::Null();
        const double d = args[0].AsDateTime();
        const double day = std::trunc(d);
        return Variant::FromDate(Name == QLatin1String("DATE") ? day : std::fabs(d - day));
    }
    throw Exception(QStringLiteral("Unsupported function: %s"), {Name});
}

bool TDataSetExprParserEh::MatchLikePattern(const QString& AText, const QString& APattern, bool CaseInsensitive)
{
    if (AText == APattern)
        return true;
    QString pattern = APattern;
    for (;;) {
        const QString before = pattern;
        pattern.replace(QStringLiteral("%%"), QStringLiteral("%"));
        if (pattern == before)
            break;
    }
    for (;;) {
        const QString before = pattern;
        pattern.replace(QStringLiteral("_%"), QStringLiteral("%"));
        pattern.replace(QStringLiteral("%_"), QStringLiteral("%"));
        if (pattern == before)
            break;
    }
    if (pattern == QStringLiteral("%"))
        return true;
    if (AText.isEmpty() || pattern.isEmpty())
        return false;
    QString text = AText;
    if (CaseInsensitive) {
        text = AnsiUpperCase(text);
        pattern = AnsiUpperCase(pattern);
    }
    auto segMatchAt = [&](const QString& seg, int at) {
        if (at + seg.size() > text.size())
            return false;
        for (int k = 0; k < seg.size(); ++k)
            if (seg[k] != u'_' && seg[k] != text[at + k])
                return false;
        return true;
    };
    int p = 0, t = 0;
    const int pl = int(pattern.size()), tl = int(text.size());
    while (p < pl && t < tl) {
        const QChar pc = pattern[p];
        if (pc == text[t] || pc == u'_') {
            ++p;
            ++t;
            continue;
        }
        if (pc != u'%')
            return false;
        const int next = pattern.indexOf(u'%', p + 1);
        if (next < 0) {
            const QString seg = pattern.mid(p + 1);
            if (seg.isEmpty())
                return true;
            const int at = tl - int(seg.size());
            return at >= t && segMatchAt(seg, at);
        }
        const QString seg = pattern.mid(p + 1, next - p - 1);
        int found = -1;
        for (int at = t; at + seg.size() <= tl; ++at)
            if (segMatchAt(seg, at)) {
                found = at;
                break;
            }
        if (found < 0)
            return false;
        p = next;
        t = found + int(seg.size());
    }
    if (t < tl)
        return false;
    if (p < pl)
        return pattern[p] == u'%';
    return true;
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
        try {
            Reset();
            Recalc();
        } catch (...) {
            FActive = false;
            FInUse = false;
            FValue = Variant::Null();
            throw;
        }
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
        try {
            FAggrExpr->ParseExpression(FExpression);
        } catch (...) {
            FValue = Variant::Null();
            throw;
        }
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
