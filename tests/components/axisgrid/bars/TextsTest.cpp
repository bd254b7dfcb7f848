// What a cell shows, what the editor edits and the value behind them, per field type and
// display format; memo text; the special row of a lookup.
#include "BarsFixture.h"

namespace {

using BarTexts = BarsTest;

struct TextCase {
    const char* Field;
    int Id;
    const char* Format;
    const char* Display;
    const char* Edit;
    const char* Value;   // AsString of the value, "NULL" for Null
};

const TextCase TextCases[] = {
    {"Name", 1, "", "Alpha", "Alpha", "Alpha"},
    {"Qty", 1, "", "5", "5", "5"},
    {"Qty", 1, "#,##0 шт", "5 шт", "5", "5"},
    {"Qty", 2, "#,##0 шт", "", "", "NULL"},
    {"Amount", 1, "0.00", "12,50", "12,5", "12,5"},
    {"Amount", 3, "0.00;(0.00)", "(3,25)", "-3,25", "-3,25"},
    {"Amount", 2, "0.00", "", "", "NULL"},
    {"Created", 1, "dd.mm.yyyy", "15.01.2024", "15.01.2024", "15.01.2024"},
    {"Created", 3, "yyyy", "2023", "31.12.2023", "31.12.2023"},
    {"Created", 2, "dd.mm.yyyy", "", "", "NULL"},
};

TEST_P(BarTexts, DisplayEditAndValuePerFieldType)
{
    for (const TextCase& c : TextCases) {
        SCOPED_TRACE(std::string(c.Field) + " #" + std::to_string(c.Id) + " '" + c.Format + "'");
        TBarsTestBar* bar = Bar(QString::fromLatin1(c.Field));
        bar->SetDisplayFormat(QString::fromUtf8(c.Format));
        GoTo(c.Id);
        EXPECT_EQ(bar->DisplayText(), QString::fromUtf8(c.Display));
        EXPECT_EQ(bar->EditText(), QString::fromUtf8(c.Edit));
        const Variant v = bar->EditValue();
        EXPECT_EQ(v.IsNull() ? QStringLiteral("NULL") : v.AsString(), QString::fromUtf8(c.Value));
        EXPECT_EQ(bar->GetInplaceEditText(), QString::fromUtf8(c.Edit));
        EXPECT_EQ(grid->EditText(), QString::fromUtf8(c.Edit));
        EXPECT_TRUE(grid->EditKeyValue().IsNull());
    }
}

TEST_P(BarTexts, FormattingByDisplayFormatFollowsTheFieldKind)
{
    GoTo(1);
    EXPECT_EQ(FormatFieldByDisplayFormat(F("Qty"), QString()), F("Qty")->DisplayText());
    EXPECT_EQ(FormatFieldByDisplayFormat(F("Qty"), QStringLiteral("000")), QStringLiteral("005"));
    EXPECT_EQ(FormatFieldByDisplayFormat(F("Created"), QStringLiteral("mm/yyyy")), QStringLiteral("01.2024"));
    // A text field has no number or date to format.
    EXPECT_EQ(FormatFieldByDisplayFormat(F("Name"), QStringLiteral("0.00")), QString());
    GoTo(2);
    EXPECT_EQ(FormatFieldByDisplayFormat(F("Qty"), QStringLiteral("000")), QString());
}

TEST_P(BarTexts, EditMaskComesFromTheBarThenTheField)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Code"));
    F("Code")->SetEditMask(QStringLiteral(">L;0;_"));
    EXPECT_EQ(bar->GetInplaceEditMask(), QStringLiteral(">L;0;_"));
    bar->SetEditMask(QStringLiteral("00;0;_"));
    EXPECT_EQ(bar->GetInplaceEditMask(), QStringLiteral("00;0;_"));
    bar->SetEditMask(QString());
    bar->KeyList()->Add(QStringLiteral("A"));
    EXPECT_EQ(bar->GetInplaceEditMask(), QString());   // the editor shows pick texts, not keys
    ds->Close();
    bar->SetEditMask(QStringLiteral("00;0;_"));
    EXPECT_EQ(bar->GetInplaceEditMask(), QString());
}

TEST_P(BarTexts, EditorTextPassesThroughTheCellParameterEvent)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Name"));
    bool sawEditMode = false;
    bar->CellParamsEvent = [&](bool EditMode, TAxisColCellParamsEh* p) {
        if (EditMode && p->FText == QStringLiteral("Alpha")) {
            sawEditMode = true;
            p->FText = QStringLiteral("Альфа");
        }
    };
    EXPECT_EQ(bar->GetInplaceEditText(), QStringLiteral("Альфа"));
    EXPECT_TRUE(sawEditMode);
    EXPECT_EQ(grid->EditText(), QStringLiteral("Альфа"));
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("Alpha"));
}

INSTANTIATE_TEST_SUITE_P(Regimes, BarTexts, BARS_REGIMES);

// Memo text and lookups need field types and a second table: the in-memory table holds them.
class BarMemoAndLookup : public ::testing::Test {
protected:
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent* owner = ownerHolder.get();
    TMemTableEh* items = nullptr;
    TMemTableEh* customers = nullptr;
    TBarsTestGrid* grid = nullptr;

    void SetUp() override
    {
        items = Create<TMemTableEh>(owner);
        items->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        items->FieldDefs()->Add(QStringLiteral("CustId"), ftInteger);
        items->FieldDefs()->Add(QStringLiteral("Note"), ftMemo);
        items->CreateDataSet();
        items->AppendRecord({Variant(1), Variant(2), Variant("первая\nвторая")});
        items->AppendRecord({Variant(2), Variant(0), Null()});
        items->AppendRecord({Variant(3), Variant(9), Variant("one\r\ntwo")});
        items->First();
        customers = Create<TMemTableEh>(owner);
        customers->FieldDefs()->Add(QStringLiteral("CustId"), ftInteger);
        customers->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
        customers->CreateDataSet();
        customers->AppendRecord({Variant(1), Variant("АО «Север»")});
        customers->AppendRecord({Variant(2), Variant("ИП Иванов")});
        customers->First();
        grid = GridOver(owner, items);
    }

    TBarsTestBar* Bar(const QString& FieldName) { return AddBar(grid, FieldName); }

    TBarsTestBar* LookupBar()
    {
        TBarsTestBar* bar = Bar(QStringLiteral("CustId"));
        TDBLookupDataEh* l = bar->LookupParams();
        l->SetKeyFieldNames(QStringLiteral("CustId"));
        l->SetLookupDataSet(customers);
        l->SetLookupKeyFieldNames(QStringLiteral("CustId"));
        l->SetLookupDisplayFieldName(QStringLiteral("Name"));
        return bar;
    }
};

TEST_F(BarMemoAndLookup, MemoShowsItsWholeTextWhenTheGridDrawsMemos)
{
    TBarsTestBar* bar = Bar(QStringLiteral("Note"));
    grid->SetDrawMemoText(true);
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("первая\nвторая"));
    EXPECT_EQ(bar->EditText(), QStringLiteral("первая\nвторая"));
    // The editor gets platform line ends, whatever the stored ones were.
    EXPECT_EQ(bar->GetInplaceEditText(), QStringLiteral("первая\r\nвторая"));
    items->Last();
    EXPECT_EQ(bar->GetInplaceEditText(), QStringLiteral("one\r\ntwo"));
    grid->SetDrawMemoText(false);
    EXPECT_EQ(bar->DisplayText(), items->FieldByName(QStringLiteral("Note"))->DisplayText());
}

TEST_F(BarMemoAndLookup, LookupShowsTheListNameAndTheSpecialRowForItsKey)
{
    TBarsTestBar* bar = LookupBar();
    ASSERT_TRUE(bar->LookupParams()->LookupActive());
    EXPECT_EQ(bar->GetBarType(), ctLookupField);
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("ИП Иванов"));
    EXPECT_EQ(bar->EditText(), QStringLiteral("ИП Иванов"));
    items->Next();
    EXPECT_EQ(bar->DisplayText(), QString());   // key 0 is not in the list

    // Key per row: 2 (in the list), 0 (the special row's value), 9 (not in the list).
    TSpecRowEh* spec = bar->DropDownSpecRow();
    spec->SetCellsText(QStringLiteral("(нет)"));
    spec->SetValue(Variant(0));
    spec->SetVisible(true);
    const struct {
        bool ShowIfNotInKeyList;
        const char* Texts;
        const char* Keys;   // the editor's key value per row
    } cases[] = {
        {true, "ИП Иванов|(нет)|(нет)", "2|0|0"},
        {false, "ИП Иванов|(нет)|", "2|0|9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ShowIfNotInKeyList);
        spec->SetShowIfNotInKeyList(c.ShowIfNotInKeyList);
        QStringList texts, editTexts, keys;
        for (items->First(); !items->Eof(); items->Next()) {
            texts << bar->DisplayText();
            editTexts << bar->GetInplaceEditText();
            keys << grid->EditKeyValue().AsString();
        }
        EXPECT_EQ(texts.join('|'), QString::fromUtf8(c.Texts));
        EXPECT_EQ(editTexts.join('|'), QString::fromUtf8(c.Texts));
        EXPECT_EQ(keys.join('|'), QString::fromUtf8(c.Keys));
    }
    // An invisible special row stands for nothing.
    spec->SetVisible(false);
    items->First();
    items->Next();
    EXPECT_EQ(bar->DisplayText(), QString());
}

TEST_F(BarMemoAndLookup, WritingALookupValueWritesTheKey)
{
    TBarsTestBar* bar = LookupBar();
    items->Edit();
    bar->SetValueAsVariant(Variant(1));
    EXPECT_EQ(items->FieldByName(QStringLiteral("CustId"))->AsInteger(), 1);
    EXPECT_EQ(bar->DisplayText(), QStringLiteral("АО «Север»"));
}

TEST_F(BarMemoAndLookup, SteppingALookupWalksTheListAndWraps)
{
    TBarsTestBar* bar = LookupBar();
    TField* key = items->FieldByName(QStringLiteral("CustId"));
    bar->SetNextFieldValue(1);   // 2 is the last customer: wraps to the first
    EXPECT_EQ(key->AsInteger(), 1);
    bar->SetNextFieldValue(1);
    EXPECT_EQ(key->AsInteger(), 2);
    bar->SetNextFieldValue(-1);
    EXPECT_EQ(key->AsInteger(), 1);
    bar->SetNextFieldValue(-1);  // before the first: the last
    EXPECT_EQ(key->AsInteger(), 2);
    items->Post();
    items->Next();               // key 0 is not in the list: the first
    bar->SetNextFieldValue(-1);
    EXPECT_EQ(key->AsInteger(), 1);
}

}  // namespace
