// Footer cell texts from the grid's sum list, the default footer drawing, the sum list in a
// stored form, and the availability of the clipboard and delete operations.
#include "platform/rtl/Filer.h"
#include "platform/vcl/Clipbrd.h"
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

// Columns Code, Name and Sum with the grid's sum list on.
template <class Regime>
class FooterTexts : public Regime {
public:
    TColumnEh* code = nullptr;
    TColumnEh* name = nullptr;
    TColumnEh* sum = nullptr;

    void SetUp() override
    {
        Regime::SetUp();
        this->grid->Columns()->Clear();
        code = AddColumn(QStringLiteral("Code"));
        name = AddColumn(QStringLiteral("Name"));
        sum = AddColumn(QStringLiteral("Sum"));
        this->grid->SetFooterRowCount(1);
        this->grid->SumList()->SetActive(true);
    }
    TColumnEh* AddColumn(const QString& Field)
    {
        TColumnEh* c = this->grid->Columns()->Add();
        c->SetFieldName(Field);
        return c;
    }
    QString Text(TColumnEh* Column, int Row = 0)
    {
        QString text = QStringLiteral("junk");
        this->grid->GetFooterValue(Row, Column, text);
        return text;
    }
    void SetFooter(TColumnEh* Column, TFooterValueType Type, const QString& Format = QString(),
                   const QString& Field = QString())
    {
        Column->Footer()->SetValueType(Type);
        Column->Footer()->SetDisplayFormat(Format);
        Column->Footer()->SetFieldName(Field);
    }
};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(FooterTexts, Regimes);

TYPED_TEST(FooterTexts, EachKindOfFooterShowsItsText)
{
    struct Case {
        const char* Column;
        TFooterValueType Type;
        const char* Format;
        const char* Field;
        const char* Expected;
    } cases[] = {
        {"Sum", fvtSum, "", "", "30,5"},
        {"Sum", fvtSum, "#,##0.00", "", "30,50"},
        {"Sum", fvtAvg, "", "", "15,25"},
        {"Code", fvtSum, "", "", "6"},
        {"Code", fvtSum, "0.00", "", "6,00"},
        {"Sum", fvtSum, "", "Code", "6"},
        {"Name", fvtSum, "", "", "0"},
        {"Name", fvtCount, "", "", "3"},
        {"Name", fvtCount, "0 \"шт.\"", "", "3 шт."},
        {"Name", fvtFieldValue, "", "Name", "Альфа"},
        {"Name", fvtFieldValue, "", "", ""},
        {"Code", fvtNon, "", "", ""},
    };
    for (const Case& c : cases) {
        TColumnEh* column = this->grid->Columns()->Items(c.Column == QStringLiteral("Sum")    ? 2
                                                         : c.Column == QStringLiteral("Name") ? 1
                                                                                              : 0);
        this->SetFooter(column, c.Type, QString::fromUtf8(c.Format), QString::fromUtf8(c.Field));
        EXPECT_EQ(this->Text(column), QString::fromUtf8(c.Expected))
            << c.Column << " " << GetEnumName(c.Type).toStdString() << " " << c.Format;
    }
}

TYPED_TEST(FooterTexts, TotalsFollowEditsAndTheCurrentRecord)
{
    this->SetFooter(this->sum, fvtSum);
    this->SetFooter(this->name, fvtFieldValue, QString(), QStringLiteral("Name"));
    TDataSet* ds = this->DataSet();
    ds->Edit();
    ds->FieldByName(QStringLiteral("Sum"))->SetValue(Variant::Null());
    ds->Post();
    EXPECT_EQ(this->Text(this->sum), QStringLiteral("20"));
    ds->Next();
    EXPECT_EQ(this->Text(this->name), QStringLiteral("Бета"));
}

TYPED_TEST(FooterTexts, AStaticTextShowsExactlyItsValue)
{
    this->SetFooter(this->sum, fvtStaticText);
    this->sum->Footer()->SetValue(QStringLiteral(" 1 234,50 "));
    EXPECT_EQ(this->Text(this->sum), QStringLiteral(" 1 234,50 "));
}

TYPED_TEST(FooterTexts, AnInactiveSumListOrNoDatasetShowsZero)
{
    this->SetFooter(this->sum, fvtSum);
    this->SetFooter(this->name, fvtCount);
    this->grid->SumList()->SetActive(false);
    EXPECT_EQ(this->Text(this->sum), QStringLiteral("0"));
    EXPECT_EQ(this->Text(this->name), QStringLiteral("0"));
    this->grid->SumList()->SetActive(true);
    this->grid->SetDataSource(nullptr);
    EXPECT_EQ(this->Text(this->sum), QStringLiteral("0"));
    EXPECT_EQ(this->Text(this->name), QStringLiteral("0"));
    EXPECT_FALSE(this->DataSet()->AfterPost.Assigned());
}

// Further footer rows take their own footers; the rest fall back to the column's footer.
TYPED_TEST(FooterTexts, EachFooterRowUsesItsOwnFooter)
{
    this->grid->SetFooterRowCount(2);
    this->SetFooter(this->sum, fvtStaticText);
    this->sum->Footer()->SetValue(QStringLiteral("Итого"));
    TColumnFooterEh* second = this->sum->Footers()->Add();
    this->sum->Footers()->Add()->SetValueType(fvtAvg);
    second->SetValueType(fvtSum);
    EXPECT_EQ(this->Text(this->sum, 0), QStringLiteral("30,5"));
    EXPECT_EQ(this->Text(this->sum, 1), QStringLiteral("15,25"));
    EXPECT_EQ(this->Text(this->sum, 2), QStringLiteral("Итого"));
}

// ---------------------------------------------------------------- number formats by field type

class FooterNumberFormats : public DBGridOnForm {
public:
    TMemTableEh* table = nullptr;
    TColumnEh* amount = nullptr;
    TColumnEh* count = nullptr;

    void SetUp() override
    {
        DBGridOnForm::SetUp();
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Amount"), ftBCD, 2);
        table->FieldDefs()->Add(QStringLiteral("Pieces"), ftInteger);
        table->CreateDataSet();
        for (auto [a, p] : {std::pair{1000.25, 1}, {234.25, 2}}) {
            table->Append();
            table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(a);
            table->FieldByName(QStringLiteral("Pieces"))->SetAsInteger(p);
            table->Post();
        }
        Bind(table);
        grid->Columns()->Clear();
        amount = grid->Columns()->Add();
        amount->SetFieldName(QStringLiteral("Amount"));
        count = grid->Columns()->Add();
        count->SetFieldName(QStringLiteral("Pieces"));
        grid->SumList()->SetActive(true);
    }
    QString Text(TColumnEh* Column)
    {
        QString text;
        grid->GetFooterValue(0, Column, text);
        return text;
    }
};

TEST_F(FooterNumberFormats, AmountsUseTheFieldsFormatsAndIntegersAreTruncated)
{
    amount->Footer()->SetValueType(fvtSum);
    EXPECT_EQ(Text(amount), QStringLiteral("1234,5"));
    static_cast<TBCDField*>(table->FieldByName(QStringLiteral("Amount")))->SetDisplayFormat(QStringLiteral("0.000"));
    EXPECT_EQ(Text(amount), QStringLiteral("1234,500"));
    amount->Footer()->SetDisplayFormat(QStringLiteral("0"));
    EXPECT_EQ(Text(amount), QStringLiteral("1235"));

    // An average of 1 and 2 on an integer field shows its whole part.
    count->Footer()->SetValueType(fvtAvg);
    EXPECT_EQ(Text(count), QStringLiteral("1"));
    count->Footer()->SetDisplayFormat(QStringLiteral("0.00"));
    EXPECT_EQ(Text(count), QStringLiteral("1,50"));
}

// ---------------------------------------------------------------- drawing and repaints

class FooterDrawing : public FooterTexts<DBGridOverMemTable> {};

TEST_F(FooterDrawing, FooterCellsPaintTheSumListsTotalsAndTheDefaultDrawingServesHandlers)
{
    SetFooter(sum, fvtSum);
    QStringList painted;
    grid->OnGetFooterParams = [&](TObject*, int, int, TColumnEh* Column, TFont*, TColor&, TAlignment&,
                                  TGridDrawState, QString& Text) {
        if (Column == sum)
            painted << Text;
    };
    int redrawn = 0;
    grid->OnDrawFooterCell = [&](TObject*, int DataCol, int Row, TColumnEh* Column, const TRect& Rect,
                                 TGridDrawState State) {
        if (Column != sum)
            return;
        ++redrawn;
        grid->DefaultDrawFooterCell(Rect, DataCol, Row, Column, State);
    };
    grid->Invalidate();
    grid->Repaint();
    ASSERT_GE(painted.size(), 2);
    EXPECT_EQ(redrawn * 2, painted.size());
    EXPECT_TRUE(painted.contains(QStringLiteral("30,5")));
    EXPECT_EQ(painted.count(QStringLiteral("30,5")), painted.size());

    // A post changes the total and the next paint shows it.
    painted.clear();
    table->Edit();
    table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(1.5);
    table->Post();
    grid->Repaint();
    EXPECT_TRUE(painted.contains(QStringLiteral("21,5")));
}

TEST_F(FooterDrawing, TheGridsRecalculationEventsComeWithTheSumList)
{
    SetFooter(sum, fvtSum);
    std::vector<TObject*> senders;
    grid->OnSumListRecalcAll = [&](TObject* Sender) { senders.push_back(Sender); };
    grid->OnSumListAfterRecalcAll = [&](TObject* Sender) { senders.push_back(Sender); };
    grid->SumList()->RecalcAll();
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0], grid->SumList());
    EXPECT_EQ(senders[1], grid->SumList());
}

// ---------------------------------------------------------------- a stored form

TEST(FooterSumListInAForm, ASumListSwitchedOnInAStoredFormStartsWhenLoadingEnds)
{
    RegisterClasses<TDBGridEh>();
    auto form = CreateUnique<TForm>(nullptr);
    form->SetName(QStringLiteral("Form1"));
    auto* table = MakeDBGridTable(form.get(), QStringLiteral("Table"));
    AddDBGridRow(table, 1, QStringLiteral("Альфа"), Variant(10.5), QStringLiteral("A"));
    AddDBGridRow(table, 2, QStringLiteral("Бета"), Variant(20.0), QStringLiteral("B"));
    auto* src = Create<TDataSource>(form.get());
    src->SetName(QStringLiteral("Source"));
    src->SetDataSet(table);
    const QString text = QStringLiteral(
        "object Form1: TForm\n"
        "  object Grid: TDBGridEh\n"
        "    DataSource = Source\n"
        "    FooterRowCount = 1\n"
        "    SumList.Active = True\n"
        "    Columns = <\n"
        "      item\n"
        "        FieldName = 'Sum'\n"
        "        Footer.ValueType = fvtSum\n"
        "      end\n"
        "      item\n"
        "        FieldName = 'Name'\n"
        "        Footer.ValueType = fvtCount\n"
        "      end>\n"
        "  end\n"
        "end\n");
    ReadComponentRes(text.toUtf8(), form.get());
    auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent(QStringLiteral("Grid")));
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->SumList()->Active());
    QString total, records;
    grid->GetFooterValue(0, grid->Columns()->Items(0), total);
    grid->GetFooterValue(0, grid->Columns()->Items(1), records);
    EXPECT_EQ(total, QStringLiteral("30,5"));
    EXPECT_EQ(records, QStringLiteral("2"));

    // The grid writes it back.
    EXPECT_TRUE(ComponentToText(form.get()).contains(QStringLiteral("SumList.Active = True")));
}

// ---------------------------------------------------------------- clipboard and delete operations

class FooterEditActions : public DBGridOverMemTable {};

TEST_F(FooterEditActions, NothingIsOfferedWithoutAnOpenDataset)
{
    table->Close();
    EXPECT_FALSE(grid->CheckCopyAction());
    EXPECT_FALSE(grid->CheckPasteAction());
    EXPECT_FALSE(grid->CheckCutAction());
    EXPECT_FALSE(grid->CheckSelectAllAction());
    table->Open();
    EXPECT_TRUE(grid->CheckCopyAction());
}

TEST_F(FooterEditActions, PastingNeedsAWritableGridAndTextOnTheClipboard)
{
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh});
    Clipboard()->SetAsText(QStringLiteral("4\tДельта"));
    EXPECT_TRUE(grid->CheckPasteAction());
    grid->SetReadOnly(true);
    EXPECT_FALSE(grid->CheckPasteAction());
    grid->SetReadOnly(false);
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{});
    EXPECT_FALSE(grid->CheckPasteAction());
    // An inserted record takes a paste without the update right.
    table->Insert();
    EXPECT_TRUE(grid->CheckPasteAction());
    table->Cancel();
    Clipboard()->Clear();
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh});
    EXPECT_FALSE(grid->CheckPasteAction());
}

TEST_F(FooterEditActions, CuttingNeedsSomethingThatCanBeDeleted)
{
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopDeleteEh});
    EXPECT_FALSE(grid->CheckDeleteAction());   // nothing selected
    grid->Selection()->SelectAll();
    ASSERT_EQ(grid->Selection()->SelectionType(), gstAll);
    EXPECT_TRUE(grid->CheckDeleteAction());
    EXPECT_TRUE(grid->CheckCutAction());
    // Deleting whole records needs the delete right; the update right is for cell ranges.
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh});
    EXPECT_FALSE(grid->CheckCutAction());
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopDeleteEh});
    grid->SetReadOnly(true);
    EXPECT_FALSE(grid->CheckDeleteAction());
    EXPECT_FALSE(grid->CheckCutAction());
}

TEST_F(FooterEditActions, SelectingAllNeedsRowsAndTheRightToSelectAll)
{
    EXPECT_TRUE(grid->CheckSelectAllAction());
    grid->SetAllowedSelections(TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle});
    EXPECT_FALSE(grid->CheckSelectAllAction());
    grid->SetAllowedSelections(TDBGridEhAllowedSelections{gstAll});
    table->EmptyTable();
    EXPECT_FALSE(grid->CheckSelectAllAction());
}

}  // namespace
