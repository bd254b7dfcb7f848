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
    ASSERT_TRUE(name->CanModify(true));
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
    ASSERT_TRUE(qty->CanModify(true));
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
        ASSERT_TRUE(bar->CanModify(true));
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
    ASSERT_TRUE(bar->CanModify(true));
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

    F("Qty")->SetReadOnly(true);
    EXPECT_TRUE(qty->ReadOnly());   // follows the field while not set on the bar
    EXPECT_FALSE(qty->CanModify(false));
    EXPECT_FALSE(qty->IsEditable());
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
    EXPECT_TRUE(qty->CanModify(true));
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_TRUE(grid->DataLink()->IsModified());
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
