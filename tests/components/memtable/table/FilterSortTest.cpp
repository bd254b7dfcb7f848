// Filters with the main window's texts, extra filters, searching and sorting.
#include "TableFixture.h"

#include "platform/rtl/FMTBcd.h"

namespace {

// Rows shaped like the comparison result.
struct ResultFixture : ::testing::Test {
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TMemTableEh* t = Create<TMemTableEh>(&owner);

    void SetUp() override
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
        ds->BuildDataFieldForDef("namepredpr", ftString, 150, 0);
        ds->BuildDataFieldForDef("invoicefullname", ftString, 50, 0);
        ds->BuildDataFieldForDef("ndsexcel", ftFMTBcd, 3, 18);
        ds->BuildDataFieldForDef("ndsspr", ftFMTBcd, 3, 18);
        ds->BuildDataFieldForDef("filial", ftSmallint, 0, 0);
        ds->BuildDataFieldForDef("signerfio", ftString, 70, 0);
        ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
        ds->BuildDataFieldForDef("status", ftWord, 0, 0);
    }

    static Variant Bcd(const char* s) { return s ? Variant(StrToBcd(QString::fromLatin1(s))) : Variant::Null(); }
    static Variant Int(int v) { return v < 0 ? Variant::Null() : Variant(v); }

    void Add(int id, const QString& name, const QString& inv, const char* excel, const char* spr, int filial,
             const Variant& signer, bool hide, int status = 1)
    {
        t->AppendRecord({Variant(id), Variant(name), Variant(inv), Bcd(excel), Bcd(spr), Int(filial), signer,
                         Variant(hide), Variant(status)});
    }

    void OpenSample()
    {
        t->Open();
        Add(1, "Бета", "B-2", "10", "10", 3, Variant("Иванов"), false);
        Add(2, "альфа", "A-9", "10", nullptr, -1, Variant("Иванов"), false, 10);
        Add(3, "Альфа", "A-1", nullptr, "5", -1, Variant::Null(), true, 255);
        Add(4, "Бета", "B-1", "10", "7", 5, Variant("O'Brien"), false, 2);
        Add(5, "Гамма", "C-1", nullptr, nullptr, -1, Variant("Сидоров"), false);
        Add(6, "Бета", "B-1", "3", "3", -1, Variant("O'Brien"), true);
        t->First();
    }

    QString Ids()
    {
        QStringList s;
        for (int i = 0; i < t->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(t, i);
            s << t->FieldByName("id")->AsString();
        }
        return s.join(u',');
    }

    void SetFilter(const QString& text)
    {
        t->SetFiltered(false);
        t->SetFilter(text);
        t->SetFiltered(true);
    }
};

const QString Mismatch = QStringLiteral(
    "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND (ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))");

TEST_F(ResultFixture, TheMainWindowsFilterTextsSelectTheirRows)
{
    OpenSample();
    struct Case { QString text, ids; } cases[] = {
        {Mismatch, "2,3,4,5"},
        {"hide=0", "1,2,4,5"},
        {Mismatch + " AND (hide=0)", "2,4,5"},
        {"(filial=3 OR (filial is NULL AND signerfio in ('Иванов','O''Brien')) OR (filial is NULL AND signerfio IS NULL))",
         "1,2,3,6"},
        {"(filial=3 OR (filial is NULL AND signerfio in ('Иванов','O''Brien')) OR (filial is NULL AND signerfio IS NULL))"
         " AND hide=0",
         "1,2"},
        {"filial=5 OR filial is NULL", "2,3,4,5,6"},
        {"FILIAL=3 or Filial IS null", "1,2,3,5,6"},
        {"dopUNN=1", "<error>"},
    };
    for (const Case& c : cases) {
        QString got;
        try {
            SetFilter(c.text);
            got = Ids();
        } catch (const Exception&) {
            got = "<error>";
        }
        EXPECT_EQ(got, c.ids) << c.text.toStdString();
    }
}

TEST_F(ResultFixture, AFilterSetWhileNotFilteredIsKeptAndAppliedWhenSwitchedOn)
{
    OpenSample();
    t->SetFilter("hide=1");
    EXPECT_EQ(Ids(), "1,2,3,4,5,6");
    t->SetFiltered(true);
    EXPECT_EQ(Ids(), "3,6");
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 3);   // the cursor goes to the first row
    t->SetFiltered(false);
    EXPECT_EQ(Ids(), "1,2,3,4,5,6");
}

TEST_F(ResultFixture, APostedCheckMarkIsTestedAgainstTheFilter)
{
    OpenSample();
    SetFilter("hide=0");
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    t->Post();
    EXPECT_EQ(Ids(), "2,4,5");
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 2);
}

TEST_F(ResultFixture, ExtraFiltersAddToTheTablesFilterAndRefilterWhenChanged)
{
    OpenSample();
    SetFilter("hide=0");
    TMemTableFilterItemEh* a = t->AddExtraFilter("filial IS NULL", {});
    EXPECT_EQ(Ids(), "2,5");
    int calls = 0;
    bool firstAccept = false;
    TMemTableFilterItemEh* b = t->AddExtraFilter(QString(), TFilterRecordEvent([&](TDataSet* ds, bool& accept) {
        if (calls++ == 0)
            firstAccept = accept;
        accept = ds->FieldByName("id")->AsInteger() != 5;
    }));
    EXPECT_TRUE(firstAccept);
    EXPECT_EQ(Ids(), "2");
    a->SetActive(false);
    EXPECT_EQ(Ids(), "1,2,4");
    EXPECT_TRUE(t->UpdateExtraFilter(b, QString(), b->OnFilterRecord()));   // same procedure: refilter
    EXPECT_TRUE(t->RemoveExtraFilter(b));
    EXPECT_EQ(Ids(), "1,2,4,5");
    EXPECT_FALSE(t->RemoveExtraFilter(b));
    TMemTableFiltersEh other;
    TMemTableFilterItemEh* foreign = other.Add();
    EXPECT_FALSE(t->UpdateExtraFilter(foreign, "x", {}));
    EXPECT_TRUE(t->UpdateExtraFilter(a, "filial=3", {}));
    a->SetActive(true);
    EXPECT_EQ(Ids(), "1");
}

TEST_F(ResultFixture, AFailingFilterRaisesOnceOnTheCallerAndStopsTheRefilter)
{
    OpenSample();
    int calls = 0;
    t->SetOnFilterRecord([&](TDataSet*, bool&) {
        ++calls;
        throw Exception(QStringLiteral("bad filter"));
    });
    EXPECT_EQ(ErrorOf([&] { t->SetFiltered(true); }), QStringLiteral("bad filter"));
    EXPECT_EQ(calls, 1);
    t->SetOnFilterRecord({});
    t->SetFiltered(false);
    EXPECT_EQ(Ids(), "1,2,3,4,5,6");
}

// A filter failing on the third record: the view and the filter settings are as before the
// change that started the refilter, never half filtered.
TEST_F(ResultFixture, AFilterFailingPartWayLeavesTheViewAsItWas)
{
    auto failsOnThird = [](TDataSet* ds, bool& accept) {
        const int id = ds->FieldByName("id")->AsInteger();
        if (id == 3)
            throw Exception(QStringLiteral("bad row"));
        accept = id % 2 == 0;
    };
    bool armed = false;
    struct Case {
        const char* name;
        std::function<void(ResultFixture&)> before, change;
        const char* ids;
        bool filtered;
        const char* filter;
    };
    const std::vector<Case> cases = {
        {"switching Filtered on", [&](ResultFixture& f) { f.t->SetOnFilterRecord(failsOnThird); },
         [](ResultFixture& f) { f.t->SetFiltered(true); }, "1,2,3,4,5,6", false, ""},
        {"a new procedure", [](ResultFixture& f) { f.SetFilter("hide=1"); },
         [&](ResultFixture& f) { f.t->SetOnFilterRecord(failsOnThird); }, "3,6", true, "hide=1"},
        {"a new text", [&](ResultFixture& f) { f.t->SetOnFilterRecord([&](TDataSet* ds, bool&) {
                                                   if (armed && ds->FieldByName("id")->AsInteger() == 3)
                                                       throw Exception(QStringLiteral("bad row"));
                                               });
                                               f.SetFilter("id>0");
                                               armed = true; },
         [](ResultFixture& f) { f.t->SetFilter("id>1"); }, "1,2,3,4,5,6", true, "id>0"},
        {"an extra filter", [](ResultFixture& f) { f.SetFilter("id<6"); },
         [&](ResultFixture& f) { f.t->AddExtraFilter(QString(), failsOnThird); }, "1,2,3,4,5", true, "id<6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        armed = false;
        struct Fresh : ResultFixture {
            void TestBody() override {}
        } f;
        f.SetUp();
        f.OpenSample();
        c.before(f);
        EXPECT_EQ(ErrorOf([&] { c.change(f); }), QStringLiteral("bad row"));
        EXPECT_EQ(f.Ids(), c.ids);
        EXPECT_EQ(f.t->Filtered(), c.filtered);
        EXPECT_EQ(f.t->Filter(), c.filter);
        EXPECT_EQ(f.t->RecordCount(), int(QString::fromLatin1(c.ids).split(u',').size()));
    }
}

TEST_F(ResultFixture, AFilterTextThatDoesNotCompileChangesNothing)
{
    OpenSample();
    SetFilter("hide=1");
    EXPECT_NE(ErrorOf([&] { t->SetFilter("hide= AND"); }), QStringLiteral("<no error>"));
    EXPECT_EQ(t->Filter(), "hide=1");
    EXPECT_EQ(Ids(), "3,6");
}

TEST_F(ResultFixture, LocateWithOptionsAndKeysOfSeveralFields)
{
    OpenSample();
    struct Case { QString fields; Variant keys; TLocateOptions opts; int id; } cases[] = {
        {"invoicefullname", Variant("A-1"), {}, 3},
        {"invoicefullname", Variant("A-"), {loPartialKey}, 2},
        {"namepredpr", Variant("альфа"), {}, 2},
        {"namepredpr", Variant("АЛЬФА"), {loCaseInsensitive}, 2},
        {"namepredpr;invoicefullname", VarArrayOf({Variant("Бета"), Variant("B-1")}), {}, 4},
        {"filial", Variant::Null(), {}, 2},
        // a Null text's text is ''
        {"signerfio", Variant(""), {loCaseInsensitive}, 3},
        {"namepredpr;signerfio", VarArrayOf({Variant("альфа"), Variant("")}), {loCaseInsensitive}, 3},
        {"invoicefullname", Variant("Z"), {}, -1},
    };
    for (const Case& c : cases) {
        t->SetRecNo(5);
        const bool found = t->Locate(c.fields, c.keys, c.opts);
        EXPECT_EQ(found, c.id >= 0) << c.fields.toStdString();
        EXPECT_EQ(t->FieldByName("id")->AsInteger(), c.id >= 0 ? c.id : 5) << c.fields.toStdString();
    }
    EXPECT_NE(ErrorOf([&] { t->Locate("nosuch", Variant(1), {}); }), QStringLiteral("<no error>"));
}

TEST_F(ResultFixture, AnIndexLookupFindsTheVisibleRecordBehindAHiddenOneWithTheSameKey)
{
    t->IndexDefs()->Add("ixName", "namepredpr");
    OpenSample();
    SetFilter("hide=0");
    EXPECT_EQ(t->FindRec("namepredpr", Variant("Бета"), {}, 0, true), 0);   // id 1
    SetFilter("id<>1");
    EXPECT_EQ(t->FindRec("namepredpr", Variant("Бета"), {}, 0, true), 2);   // id 4, row 2
    EXPECT_EQ(t->FindRec("namepredpr", Variant("Альфа"), {}, 0, true), 1);
    SetFilter("hide=0");
    EXPECT_EQ(t->FindRec("namepredpr", Variant("Альфа"), {}, 0, true), -1);
}

TEST_F(ResultFixture, LookupAndLookupAll)
{
    OpenSample();
    t->SetRecNo(3);
    EXPECT_EQ(VarToStr(t->Lookup("namepredpr", Variant("Бета"), "id")), "1");
    EXPECT_EQ(t->RecNo(), 3);
    Variant all = t->LookupAll("namepredpr", Variant("Бета"), "id");
    ASSERT_TRUE(all.IsArray());
    EXPECT_EQ(all.ArrayHighBound() - all.ArrayLowBound() + 1, 3);
    EXPECT_EQ(t->LookupAll("namepredpr", Variant("Гамма"), "id").AsInteger(), 5);
    EXPECT_TRUE(t->LookupAll("namepredpr", Variant("Дельта"), "id").IsEmpty());
    Variant two = t->Lookup("id", Variant(4), "namepredpr;invoicefullname");
    ASSERT_TRUE(two.IsArray());
    EXPECT_EQ(VarToStr(two.GetElement(two.ArrayLowBound() + 1)), "B-1");
}

TEST_F(ResultFixture, SortByTwoFieldsKeepsThePreviousOrderOfTies)
{
    OpenSample();
    t->SortByFields("namepredpr,invoicefullname");
    // Russian collation: а before Б before Г; "альфа" and "Альфа" differ only in case
    EXPECT_EQ(Ids(), "2,3,4,6,1,5");
    t->SortByFields("namepredpr DESC");
    EXPECT_EQ(Ids(), "5,4,6,1,3,2");
    EXPECT_EQ(t->RecNo(), 1);
}

TEST_F(ResultFixture, CaseInsensitiveTextsTieAndKeepTheirOrder)
{
    t->SetOptions({mtoTextFieldsCaseInsensitive});
    OpenSample();
    t->SortByFields("namepredpr");
    EXPECT_EQ(Ids(), "2,3,1,4,6,5");
    t->SortByFields("id DESC");
    t->SortByFields("namepredpr");
    EXPECT_EQ(Ids(), "3,2,6,4,1,5");
}

TEST_F(ResultFixture, NullsComeFirstAscendingAndLastDescending)
{
    OpenSample();
    t->SortByFields("filial");
    EXPECT_EQ(Ids(), "2,3,5,6,1,4");
    t->SortByFields("filial DESC");
    EXPECT_EQ(Ids(), "4,1,2,3,5,6");
}

TEST_F(ResultFixture, ACalculatedStatusSortsByItsValueInBrackets)
{
    // persistent fields: the data fields and a calculated status text
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    TFieldDefs defs(t);
    ds->BuildFieldDefsFromStruct(&defs);
    for (int i = 0; i < defs.Count(); ++i)
        defs.Items(i)->CreateField(t);
    auto* st = Create<TStringField>(t);
    st->SetFieldName("StatusText");
    st->SetFieldKind(fkCalculated);
    st->SetSize(30);
    st->SetDataSet(t);
    t->OnCalcFields = [](TDataSet* d) {
        const int s = d->FieldByName("status")->AsInteger();
        d->FieldByName("StatusText")->SetAsString(s == 10 ? "в" : s == 255 ? "а" : "б");
    };
    OpenSample();
    t->SortByFields("[StatusText]");
    EXPECT_EQ(Ids(), "3,1,4,5,6,2");
    t->SortByFields("[StatusText] DESC, id DESC");
    EXPECT_EQ(Ids(), "2,6,5,4,1,3");
    // the status code itself, as the main window sorts the status column
    t->SortByFields("[Status]");
    EXPECT_EQ(Ids(), "6,5,1,4,2,3");
}

TEST_F(ResultFixture, SortErrorsAndCasesThatDoNothing)
{
    t->SortByFields("id");   // closed: nothing
    OpenSample();
    EXPECT_EQ(ErrorOf([&] { t->SortByFields("nosuch"); }), QStringLiteral(" Field - \"nosuch\" not found."));
    EXPECT_EQ(Ids(), "1,2,3,4,5,6");
    {
        TInstantReadGuardEh g(t, 0);
        EXPECT_EQ(ErrorOf([&] { t->SortByFields("id DESC"); }), QStringLiteral("Sort data in InstantReadMode is not allowed."));
    }
    SetFilter("id>100");
    t->SortByFields("id DESC");   // an empty view: nothing
    t->SetFiltered(false);
    EXPECT_EQ(Ids(), "1,2,3,4,5,6");
}

TEST_F(ResultFixture, ARejectedSortOrderIsNotKept)
{
    OpenSample();
    t->SetSortOrder("invoicefullname");
    EXPECT_EQ(ErrorOf([&] { t->SetSortOrder("nosuch"); }), QStringLiteral(" Field - \"nosuch\" not found."));
    EXPECT_EQ(t->SortOrder(), "invoicefullname");
    EXPECT_EQ(Ids(), "3,2,4,6,1,5");
    t->Close();
    EXPECT_EQ(ErrorOf([&] { t->Open(); }), QStringLiteral("<no error>"));
    EXPECT_EQ(t->SortOrder(), "invoicefullname");
    t->Close();
    // set while closed it cannot be checked: the open refuses it once and forgets it
    t->SetSortOrder("nosuch");
    EXPECT_EQ(ErrorOf([&] { t->Open(); }), QStringLiteral(" Field - \"nosuch\" not found."));
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->SortOrder(), "");
    EXPECT_EQ(ErrorOf([&] { t->Open(); }), QStringLiteral("<no error>"));
}

TEST_F(ResultFixture, AStandingSortOrderPlacesNewRecords)
{
    OpenSample();
    t->SetSortOrder("invoicefullname");
    EXPECT_EQ(Ids(), "3,2,4,6,1,5");
    Add(7, "Дельта", "A-5", nullptr, nullptr, 1, Variant::Null(), false);
    EXPECT_EQ(Ids(), "3,7,2,4,6,1,5");
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 7);
}

}  // namespace

namespace {

// A large sort takes a prepared path; it must order exactly as the text comparison does.
TEST_F(TableFixture, ALargeSortOrdersAsTheTextComparisonWithStableTies)
{
    t->Open();
    const QStringList words{"яблоко", "Яблоко", "ёж", "еж", "Ель", "alpha", "Alpha", "", "жук", "Жук", "а-б", "аб"};
    uint32_t seed = 7;
    auto next = [&] { seed = seed * 1103515245u + 12345u; return (seed >> 8) % 1000; };
    struct Row { int code; QString name; bool null; };
    std::vector<Row> rows;
    for (int i = 0; i < 1500; ++i) {
        Row r{i, words[int(next() % words.size())], next() % 17 == 0};
        rows.push_back(r);
        Add(r.code, r.name, Variant(Currency::FromInt(next() % 5)));
        if (r.null) {
            t->Edit();
            t->FieldByName("Name")->Clear();
            t->Post();
        }
    }
    t->SortByFields("Name,Amount DESC");
    std::vector<std::pair<int, int>> got;   // (position, code)
    QStringList names;
    Variant prevName = Variant::Null();
    int i = 0;
    bool ordered = true;
    Variant prevAmount;
    for (t->First(); !t->Eof(); t->Next(), ++i) {
        const Variant name = t->FieldByName("Name")->Value();
        const Variant amount = t->FieldByName("Amount")->Value();
        if (i > 0) {
            int c = CompareValuesEh(prevName, name);
            if (c > 0 || (c == 0 && CompareValuesEh(prevAmount, amount) < 0))
                ordered = false;
        }
        prevName = name;
        prevAmount = amount;
    }
    EXPECT_TRUE(ordered);
    EXPECT_EQ(i, 1500);
    // ties keep the previous order: sorting again by the same keys changes nothing
    QString before = Names();
    t->SortByFields("Name,Amount DESC");
    EXPECT_EQ(Names(), before);
}

}  // namespace

namespace {

// Without case a large sort takes prepared keys as well, for texts that repeat and for texts
// that hardly do: the order is the case-insensitive comparison's, ties keep their order.
TEST_F(TableFixture, ALargeSortWithoutCaseOrdersAsTheComparisonWithStableTies)
{
    t->SetOptions(TMemTableOptionsEh{mtoTextFieldsCaseInsensitive});
    t->Open();
    const QStringList words{"яблоко", "Яблоко", "ЯБЛОКО", "ёж", "Ёж", "еж", "Ель", "ель", "alpha", "ALPHA", "", "жук", "Жук", "а-б", "аб"};
    uint32_t seed = 11;
    auto next = [&] { seed = seed * 1103515245u + 12345u; return (seed >> 8) % 100000; };
    for (const int distinctTail : {0, 4000}) {
        SCOPED_TRACE(distinctTail);
        t->EmptyTable();
        for (int i = 0; i < 1500; ++i) {
            QString name = words[int(next() % words.size())];
            if (distinctTail)
                name += QStringLiteral(" %1").arg(next() % distinctTail);
            Add(i, name, Variant(Currency::FromInt(next() % 3)));
            if (next() % 19 == 0) {
                t->Edit();
                t->FieldByName("Name")->Clear();
                t->Post();
            }
        }
        t->SortByFields("Name,Amount DESC");
        int rows = 0;
        Variant prevName, prevAmount;
        int prevCode = -1;
        bool ordered = true;
        for (t->First(); !t->Eof(); t->Next(), ++rows) {
            const Variant name = t->FieldByName("Name")->Value();
            const Variant amount = t->FieldByName("Amount")->Value();
            const int code = t->FieldByName("Code")->AsInteger();
            if (rows > 0) {
                int c = CompareValuesEh(prevName, name, true);
                if (c == 0)
                    c = -CompareValuesEh(prevAmount, amount);
                if (c > 0 || (c == 0 && prevCode > code))
                    ordered = false;
            }
            prevName = name;
            prevAmount = amount;
            prevCode = code;
        }
        EXPECT_TRUE(ordered);
        EXPECT_EQ(rows, 1500);
    }
}

}  // namespace

namespace {

TEST_F(ResultFixture, AFilterFailingOnAPostedRecordIsRaisedToThePosterAndTheFilterKeepsWorking)
{
    OpenSample();
    bool fail = false;
    t->SetOnFilterRecord([&](TDataSet* ds, bool& accept) {
        if (fail)
            throw Exception(QStringLiteral("bad row"));
        accept = !ds->FieldByName("hide")->AsBoolean();
    });
    t->SetFiltered(true);
    EXPECT_EQ(Ids(), "1,2,4,5");
    fail = true;
    t->Edit();
    t->FieldByName("namepredpr")->SetAsString("x");
    EXPECT_EQ(ErrorOf([&] { t->Post(); }), QStringLiteral("bad row"));
    t->Cancel();
    fail = false;
    t->Edit();
    t->FieldByName("hide")->SetAsBoolean(true);
    t->Post();
    EXPECT_EQ(Ids(), "2,4,5");
}

}  // namespace

namespace {

// Orders by the code's last digit first, then as the table would.
class LastDigitFirstTable : public TMemTableEh {
public:
    using TMemTableEh::TMemTableEh;
    int CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort) override
    {
        const int x = Rec1->ValueRef(0).AsInteger() % 10, y = Rec2->ValueRef(0).AsInteger() % 10;
        return x != y ? x - y : TMemTableEh::CompareRecords(Rec1, Rec2, ParamSort);
    }
};

struct OverrideFixture : TableFixture {
    OverrideFixture()
    {
        delete t;
        t = Create<LastDigitFirstTable>(&owner);
    }
    QString FirstCodes(int n)
    {
        QStringList s;
        for (int i = 0; i < n; ++i) {
            TInstantReadGuardEh g(t, i);
            s << t->FieldByName("Code")->AsString();
        }
        return s.join(u',');
    }
};

// The standing order, records placed by it, and one-off sorts of a list large enough for the
// prepared paths all ask the table's overridden comparison.
TEST_F(OverrideFixture, AnOverriddenRecordComparisonOrdersEverySort)
{
    OpenWith(600);
    t->SetSortOrder("Code");
    EXPECT_EQ(FirstCodes(3), "10,20,30");
    Add(1000, "k");
    EXPECT_EQ(t->RecNo(), 61);
    t->SetSortOrder("");
    t->SortByFields("Code DESC");
    EXPECT_EQ(FirstCodes(3), "1000,600,590");
    t->SortByFields("Name");
    EXPECT_EQ(FirstCodes(2), "1000,10");
}

}  // namespace
