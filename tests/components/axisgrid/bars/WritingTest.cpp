// Writing values back: the one update path with its application hook, text the field refuses,
// numeric stepping, the modification rules, accepted keys and the clipboard.
#include "BarsFixture.h"

#include "platform/vcl/Clipbrd.h"

namespace {

// The data link's flag for "the grid itself is writing"; the bar sets and clears it.
struct LinkFlag : TAxisGridDataLinkEh {
    static bool Get(TAxisGridDataLinkEh* L) { return L->*(&LinkFlag::FInUpdateData); }
};

using BarWriting = BarsTest;

TEST_P(BarWriting, TextAndValuesReachTheFieldThroughOnePath)
{
    TBarsTestBar* name = Bar(QStringLiteral("Name"));
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    TBarsTestBar* amount = Bar(QStringLiteral("Amount"));
    GoTo(2);
    BeginEdit(name);
    name->SetValueAsText(QStringLiteral("Бета-2"));
    qty->SetValueAsText(QStringLiteral("12"));
    amount->SetValueAsVariant(Variant(0.75));
    EXPECT_EQ(Stored(2, "Name"), QStringLiteral("Бета-2"));
    EXPECT_EQ(Stored(2, "Qty"), QStringLiteral("12"));
    EXPECT_EQ(Stored(2, "Amount"), QStringLiteral("0,75"));
}

TEST_P(BarWriting, ApplicationMayChangeOrTakeOverTheWrite)
{
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    bool flagDuringEvent = false;
    qty->OnUpdateData = [&](TObject* Sender, QString& Text, Variant& Value, bool& UseText, bool& Handled) {
        EXPECT_EQ(Sender, qty);
        flagDuringEvent = LinkFlag::Get(grid->DataLink());
        if (Text == QStringLiteral("дюжина")) {
            UseText = false;
            Value = Variant(12);
        } else if (Text == QStringLiteral("мимо")) {
            Handled = true;
        }
    };
    BeginEdit(qty);
    qty->SetValueAsText(QStringLiteral("дюжина"));
    EXPECT_TRUE(flagDuringEvent);
    EXPECT_FALSE(LinkFlag::Get(grid->DataLink()));
    EXPECT_EQ(F("Qty")->AsInteger(), 12);
    qty->SetValueAsText(QStringLiteral("мимо"));
    EXPECT_EQ(F("Qty")->AsInteger(), 12);
    EXPECT_EQ(Stored(1, "Qty"), QStringLiteral("12"));
}

TEST_P(BarWriting, RefusedTextRaisesTheFieldsErrorAndKeepsTheValue)
{
    const struct {
        const char* Field;
        const char* Text;
    } cases[] = {{"Qty", "12x"}, {"Amount", "1,2,3"}, {"Created", "31.02.2024"}, {"Flag", "может быть"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Field) + " <- " + c.Text);
        TBarsTestBar* bar = Bar(QString::fromLatin1(c.Field));
        GoTo(1);
        const QString before = F(c.Field)->AsString();
        BeginEdit(bar);
        EXPECT_ANY_THROW(bar->SetValueAsText(QString::fromUtf8(c.Text)));
        EXPECT_FALSE(LinkFlag::Get(grid->DataLink()));
        EXPECT_EQ(F(c.Field)->AsString(), before);
        EXPECT_EQ(bar->EditText(), F(c.Field)->Text());
        ds->Post();
        EXPECT_EQ(Stored(1, c.Field), before);
    }
}

TEST_P(BarWriting, FailingApplicationHookStillClearsTheFlag)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    bar->OnUpdateData = [](TObject*, QString&, Variant&, bool&, bool&) {
        throw Exception(QStringLiteral("нельзя"));
    };
    BeginEdit(bar);
    EXPECT_THROW(bar->SetValueAsText(QStringLiteral("x")), Exception);
    EXPECT_FALSE(LinkFlag::Get(grid->DataLink()));
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Alpha"));
}

TEST_P(BarWriting, NumericSteppingAddsTheStepAndStartsNullAtZero)
{
    struct {
        int Id;
        const char* Field;
        double Step;
        const char* Expected;
    } cases[] = {
        {1, "Qty", 1, "6"},      {1, "Qty", -1, "4"},     {1, "Qty", -2, "3"},  {2, "Qty", 1, "0"},
        {2, "Qty", -1, "0"},     {1, "Amount", 0.5, "13"}, {3, "Amount", 1, "-2,25"}, {2, "Amount", -0.5, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("#" + std::to_string(c.Id) + " " + c.Field + " " + std::to_string(c.Step));
        TBarsTestBar* bar = Bar(QString::fromLatin1(c.Field));
        GoTo(c.Id);
        bar->SetNextFieldValue(c.Step);
        EXPECT_EQ(ds->State(), dsEdit);
        EXPECT_EQ(F(c.Field)->AsString(), QString::fromLatin1(c.Expected));
        ds->Cancel();
    }
    TBarsTestBar* bar = Bar(QStringLiteral("Qty"));
    GoTo(2);
    bar->SetNextFieldValue(-1);
    bar->SetNextFieldValue(-1);
    EXPECT_EQ(Stored(2, "Qty"), QStringLiteral("-1"));
}

TEST_P(BarWriting, SteppingIsRefusedWhereEditingIs)
{
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    TBarsTestBar* name = Bar(QStringLiteral("Name"));
    name->SetNextFieldValue(1);   // plain text does not step, and is left as it was
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Alpha"));
    ds->Cancel();

    qty->SetReadOnly(true);
    qty->SetNextFieldValue(1);
    EXPECT_EQ(ds->State(), dsBrowse);
    qty->SetReadOnly(false);
    grid->SetReadOnly(true);
    qty->SetNextFieldValue(1);
    EXPECT_EQ(ds->State(), dsBrowse);
    grid->SetReadOnly(false);
    qty->CellParamsEvent = [](bool, TAxisColCellParamsEh* p) { p->FReadOnly = true; };
    qty->SetNextFieldValue(1);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
}

TEST_P(BarWriting, ModificationRules)
{
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    EXPECT_TRUE(qty->CanModify(false));
    EXPECT_TRUE(qty->IsEditable());
    EXPECT_EQ(ds->State(), dsBrowse);

    qty->SetReadOnly(true);
    EXPECT_FALSE(qty->CanModify(false));
    EXPECT_FALSE(qty->IsEditable());
    qty->SetReadOnly(false);

    TBarsTestBar* fresh = Bar(QStringLiteral("Qty"));
    F("Qty")->SetReadOnly(true);
    EXPECT_TRUE(fresh->ReadOnly());   // follows the field while not set on the bar
    EXPECT_FALSE(fresh->CanModify(false));
    EXPECT_FALSE(fresh->IsEditable());
    EXPECT_FALSE(qty->ReadOnly());    // an own value stays, whatever the field says
    F("Qty")->SetReadOnly(false);

    grid->SetReadOnly(true);
    EXPECT_FALSE(qty->CanModify(false));
    grid->SetReadOnly(false);

    qty->SetVisible(false);
    EXPECT_FALSE(qty->IsEditable());
    qty->SetVisible(true);

    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopInsertEh, alopDeleteEh, alopAppendEh});
    EXPECT_FALSE(qty->CanModify(false));
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});

    // The application's cell event has the last word, but cannot invent a field to write.
    qty->CellParamsEvent = [](bool EditMode, TAxisColCellParamsEh* p) {
        EXPECT_TRUE(EditMode);
        p->FReadOnly = true;
    };
    EXPECT_FALSE(qty->CanModify(false));
    TBarsTestBar* none = Bar(QStringLiteral("Nothing"));
    none->CellParamsEvent = [](bool, TAxisColCellParamsEh* p) { p->FReadOnly = false; };
    EXPECT_FALSE(none->CanModify(true));
    EXPECT_EQ(ds->State(), dsBrowse);

    qty->CellParamsEvent = nullptr;
    EXPECT_FALSE(grid->DataLink()->IsModified());
    EXPECT_TRUE(qty->CanModify(true));
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_TRUE(grid->DataLink()->IsModified());
    ds->Cancel();
}

TEST_P(BarWriting, AcceptedKeysFollowTheField)
{
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    EXPECT_EQ(qty->GetAcceptableEditText(QStringLiteral("1a2 3")), QStringLiteral("123"));
    EXPECT_TRUE(qty->CanEditAcceptKey(QLatin1Char('-')));
    EXPECT_FALSE(qty->CanEditAcceptKey(QLatin1Char('x')));
    qty->KeyList()->Add(QStringLiteral("1"));
    EXPECT_TRUE(qty->CanEditAcceptKey(QLatin1Char('x')));   // the editor holds pick texts

    TBarsTestBar* none = Bar(QStringLiteral("Nothing"));
    EXPECT_FALSE(none->CanEditAcceptKey(QLatin1Char('1')));
    none->OnUpdateData = [](TObject*, QString&, Variant&, bool&, bool&) {};
    EXPECT_TRUE(none->CanEditAcceptKey(QLatin1Char('1')));
}

TEST_P(BarWriting, ClipboardCopiesEditTextAndPastesIntoTheField)
{
    TBarsTestBar* code = Bar(QStringLiteral("Code"));
    code->KeyList()->Add(QStringLiteral("A"));
    code->PickList()->Add(QStringLiteral("Альфа"));
    code->CopyValueToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("Альфа"));

    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    qty->CopyValueToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("5"));
    GoTo(3);
    qty->PasteValueFromClipboard();
    EXPECT_EQ(Stored(3, "Qty"), QStringLiteral("5"));

    qty->CutValueToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("5"));
    EXPECT_TRUE(F("Qty")->IsNull());
    EXPECT_EQ(Stored(3, "Qty"), QStringLiteral("NULL"));

    // Text the field refuses: its error, and the value stays.
    Clipboard()->SetAsText(QStringLiteral("пять"));
    GoTo(1);
    EXPECT_ANY_THROW(qty->PasteValueFromClipboard());
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
    ds->Cancel();

    TBarsTestBar* none = Bar(QStringLiteral("Nothing"));
    none->PasteValueFromClipboard();
    none->ClearValue();
    EXPECT_EQ(ds->State(), dsBrowse);
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarWriting, BARS_REGIMES);

}  // namespace

namespace {

using BarLookupWriting = BarsTest;

TEST_P(BarLookupWriting, KeyOfSeveralFieldsIsWrittenWholeOrNotAtAll)
{
    auto* list = Create<TMemTableEh>(owner);
    list->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
    list->FieldDefs()->Add(QStringLiteral("Amount"), ftFloat);
    list->FieldDefs()->Add(QStringLiteral("Title"), ftString, 20);
    list->CreateDataSet();
    list->AppendRecord({Variant(5), Variant(12.5), Variant("пять")});
    list->AppendRecord({Variant(8), Variant(1.5), Variant("восемь")});
    TBarsTestBar* bar = Bar(QStringLiteral("Qty"));
    TDBLookupDataEh* l = bar->LookupParams();
    l->SetKeyFieldNames(QStringLiteral("Qty;Amount"));
    l->SetLookupDataSet(list);
    l->SetLookupKeyFieldNames(QStringLiteral("Qty;Amount"));
    l->SetLookupDisplayFieldName(QStringLiteral("Title"));
    ASSERT_TRUE(l->LookupActive());
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("пять"));

    BeginEdit(bar);
    // The second key refuses its value after the first was written: the first takes its old
    // value back.
    EXPECT_ANY_THROW(bar->SetValueAsVariant(VarArrayOf({Variant(8), Variant("много")})));
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
    EXPECT_EQ(F("Amount")->AsFloat(), 12.5);
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("пять"));

    bar->SetValueAsVariant(VarArrayOf({Variant(8), Variant(1.5)}));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("восемь"));
    EXPECT_EQ(Stored(1, "Qty"), QStringLiteral("8"));
    EXPECT_EQ(F("Amount")->AsString(), QStringLiteral("1,5"));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarLookupWriting, BARS_REGIMES);

}  // namespace

namespace {

using BarCellParams = BarsTest;

TEST_P(BarCellParams, FilledFromTheBarThenLeftToTheApplication)
{
    TBarsTestBar* code = Bar(QStringLiteral("Code"));
    code->KeyList()->Add(QStringLiteral("B"));
    code->KeyList()->Add(QStringLiteral("A"));
    code->PickList()->Add(QStringLiteral("Бета"));
    code->PickList()->Add(QStringLiteral("Альфа"));
    code->SetReadOnly(true);
    TAxisColCellParamsEh p;
    p.FBlankCell = true;
    code->FillColCellParams(&p);
    EXPECT_EQ(p.FText, QStringLiteral("Альфа"));
    EXPECT_EQ(p.FImageIndex, 1);
    EXPECT_TRUE(p.FReadOnly);
    EXPECT_TRUE(p.FTextEditing);
    EXPECT_FALSE(p.FBlankCell);
    EXPECT_EQ(p.FFont, grid->DummiFont());

    // The grid asks before it opens the editor; while loading the event is not asked.
    EXPECT_TRUE(code->CellTextEditing());
    code->CellParamsEvent = [](bool EditMode, TAxisColCellParamsEh* q) {
        EXPECT_FALSE(EditMode);
        q->FTextEditing = false;
    };
    EXPECT_FALSE(code->CellTextEditing());
}

TEST_P(BarCellParams, DatasetClosedDuringEditingStopsEveryWrite)
{
    TBarsTestBar* qty = Bar(QStringLiteral("Qty"));
    BeginEdit(qty);
    qty->GetInplaceEditText();
    ds->Cancel();
    ds->Close();
    EXPECT_FALSE(qty->CanModify(true));
    EXPECT_EQ(qty->GetInplaceEditText(), QString());
    EXPECT_EQ(grid->EditText(), QString());
    EXPECT_EQ(qty->GetInplaceEditMask(), QString());
    qty->SetNextFieldValue(1);
    qty->ClearValue();
    qty->SetCheckboxState(cbChecked);
    if (ds->DefaultFields()) {
        // The fields went with the data: nothing to write to.
        qty->SetValueAsText(QStringLiteral("3"));
    } else {
        // Fields stay, but the closed dataset refuses the write.
        EXPECT_ANY_THROW(qty->SetValueAsText(QStringLiteral("3")));
    }
    ds->Open();
    GoTo(1);
    EXPECT_EQ(qty->DisplayText(), QStringLiteral("5"));
}

TEST_P(BarCellParams, ImageIndexOfANumberOutsideIntegersIsTheFallback)
{
    TBarsTestBar* amount = Bar(QStringLiteral("Amount"));
    amount->SetNotInKeyListIndex(4);
    ds->Edit();
    F("Amount")->SetAsFloat(3e10);
    EXPECT_EQ(amount->GetImageIndex(), 4);
    F("Amount")->SetAsFloat(-2.0);
    EXPECT_EQ(amount->GetImageIndex(), -2);
    ds->Cancel();
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarCellParams, BARS_REGIMES);

}  // namespace
