// How data changes reach the data grid: binding the in-memory table and its row events, the
// data link's notifications over an ADO query, datasets that close, change or go away while
// shown, and a table that a job fills with its controls disabled.
#include "support/DBGridFixtures.h"

#include "platform/rtl/Filer.h"

#include <QImage>

using namespace testsupport;

namespace {

// A grid that counts the row events and data changes it hears.
class TCountingGridEh : public TDBGridEh {
public:
    using TDBGridEh::TDBGridEh;
    std::vector<TMTViewEventTypeEh> Events;
    int DataChanges = 0;
    void MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override
    {
        Events.push_back(Event);
        TDBGridEh::MTEventReceived(RowNum, Event, OldRowNum);
    }
    void DataChanged() override
    {
        ++DataChanges;
        TDBGridEh::DataChanged();
    }
};

class GridOverTable : public DBGridOverMemTableOf<TCountingGridEh> {
public:
    int DataRows() { return grid->RowCount() - grid->TopDataOffset(); }
};

TEST_F(GridOverTable, BindingRegistersWithTheTableAndClosingUnregisters)
{
    EXPECT_EQ(grid->IntMemTable(), static_cast<IMemTableEh*>(table));
    EXPECT_TRUE(grid->GridHasIntMemTable());
    grid->Events.clear();
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    EXPECT_FALSE(grid->Events.empty());

    table->Close();
    EXPECT_FALSE(grid->GridHasIntMemTable());
    grid->Events.clear();
    table->Open();
    EXPECT_TRUE(grid->GridHasIntMemTable());
    EXPECT_EQ(DataRows(), 4);

    grid->SetDataSource(nullptr);
    EXPECT_FALSE(grid->GridHasIntMemTable());
    grid->Events.clear();
    AddDBGridRow(table, 5, QStringLiteral("Эпсилон"), Variant(1.0), QStringLiteral("B"));
    EXPECT_TRUE(grid->Events.empty());
}

TEST_F(GridOverTable, TheGridCanBeToldNotToUseTheTableInterface)
{
    grid->SetTryUseMemTableInt(false);
    EXPECT_FALSE(grid->GridHasIntMemTable());
    grid->Events.clear();
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    EXPECT_TRUE(grid->Events.empty());
    grid->SetTryUseMemTableInt(true);
    EXPECT_TRUE(grid->GridHasIntMemTable());
}

TEST_F(GridOverTable, RowEventsKeepOneGridRowPerTableRow)
{
    ASSERT_EQ(DataRows(), 3);
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    EXPECT_EQ(DataRows(), 4);
    table->First();
    table->Delete();
    EXPECT_EQ(DataRows(), 3);
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Изменено"));
    table->Post();
    EXPECT_EQ(DataRows(), 3);
    table->EmptyTable();
    // An empty table shows one empty data row.
    EXPECT_EQ(DataRows(), 1);
}

TEST_F(GridOverTable, AnEmptyTableShowsOneRowUntilItsSecondRecord)
{
    TMemTableEh* empty = MakeDBGridTable(form.get());
    auto* emptySrc = Create<TDataSource>(form.get());
    emptySrc->SetDataSet(empty);
    grid->SetDataSource(emptySrc);
    EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 1);
    AddDBGridRow(empty, 1, QStringLiteral("a"), Variant(1.0), QStringLiteral("A"));
    EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 1);
    AddDBGridRow(empty, 2, QStringLiteral("b"), Variant(2.0), QStringLiteral("A"));
    EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 2);
}

TEST_F(GridOverTable, AMillionRowTableGetsOneGridRowPerTableRow)
{
    TMemTableEh* big = Create<TMemTableEh>(form.get());
    big->FieldDefs()->Add(QStringLiteral("N"), ftInteger);
    big->CreateDataSet();
    big->DisableControls();
    for (int i = 0; i < 1000000; ++i)
        big->AppendRecord({Variant(i)});
    big->EnableControls();
    auto* bigSrc = Create<TDataSource>(form.get());
    bigSrc->SetDataSet(big);
    grid->SetDataSource(bigSrc);
    EXPECT_EQ(DataRows(), 1000000);
    big->Last();
    big->Delete();
    EXPECT_EQ(DataRows(), 999999);
    grid->Repaint();
}

TEST_F(GridOverTable, ATableFilledWithControlsDisabledSendsOneEventWhenEnabled)
{
    grid->Events.clear();
    table->DisableControls();
    for (int i = 10; i < 20; ++i)
        AddDBGridRow(table, i, QStringLiteral("n"), Variant(1.0), QStringLiteral("A"));
    EXPECT_TRUE(grid->Events.empty());
    EXPECT_EQ(DataRows(), 3);
    table->EnableControls();
    ASSERT_EQ(grid->Events.size(), 1u);
    EXPECT_EQ(grid->Events[0], mtViewDataChangedEh);
    EXPECT_EQ(DataRows(), 13);
}

TEST_F(GridOverTable, WhileAJobFillsTheTableTheGridPaintsWithoutReadingIt)
{
    auto paint = [this] {
        TBitmap bmp(grid->Width(), grid->Height());
        grid->PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().convertToFormat(QImage::Format_RGB32);
    };
    table->DisableControls();
    // The grid still counts three rows; the table no longer has them.
    table->EmptyTable();
    const QImage img = paint();
    int other = 0;
    const QRgb first = img.pixel(img.width() / 2, img.height() / 2);
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            other += img.pixel(x, y) != first;
    EXPECT_EQ(other, 0) << "the grid drew something of the table";
    table->EnableControls();
    EXPECT_EQ(DataRows(), 1);
}

TEST_F(GridOverTable, ATableFreedWhileShownLeavesAWorkingGrid)
{
    delete table;
    table = nullptr;
    PumpDBGrid();
    EXPECT_FALSE(grid->GridHasIntMemTable());
    EXPECT_FALSE(grid->DataSetActive());
    grid->Repaint();
    TMemTableEh* other = MakeDBGridTable(form.get());
    AddDBGridRow(other, 1, QStringLiteral("a"), Variant(1.0), QStringLiteral("A"));
    src->SetDataSet(other);
    grid->SetDataSource(nullptr);
    grid->SetDataSource(src);
    EXPECT_TRUE(grid->GridHasIntMemTable());
    EXPECT_EQ(DataRows(), 1);
}

TEST_F(GridOverTable, TheSourceHandedAnotherOpenTableShowsItAndForgetsTheOld)
{
    TMemTableEh* other = Create<TMemTableEh>(form.get());
    other->FieldDefs()->Add(QStringLiteral("Other"), ftString, 10);
    other->CreateDataSet();
    for (const char* v : {"x", "y"})
        other->AppendRecord({Variant(QString::fromLatin1(v))});
    src->SetDataSet(other);
    EXPECT_EQ(grid->IntMemTable(), static_cast<IMemTableEh*>(other));
    ASSERT_EQ(grid->Columns()->Count(), 1);
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), other->FieldByName(QStringLiteral("Other")));
    EXPECT_EQ(DataRows(), 2);
    grid->Events.clear();
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    EXPECT_TRUE(grid->Events.empty());
    grid->Repaint();
}

TEST_F(GridOverTable, AFreedGridIsNoLongerToldOfRowChanges)
{
    delete grid;
    grid = nullptr;
    AddDBGridRow(table, 4, QStringLiteral("Дельта"), Variant(1.0), QStringLiteral("B"));
    table->EmptyTable();
    SUCCEED();
}

TEST_F(GridOverTable, ATableReopenedWithOtherFieldsGetsNewColumns)
{
    table->Close();
    table->FieldDefs()->Clear();
    table->FieldDefs()->Add(QStringLiteral("Other"), ftString, 10);
    table->CreateDataSet();
    ASSERT_EQ(grid->Columns()->Count(), 1);
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), table->FieldByName(QStringLiteral("Other")));
    EXPECT_EQ(DataRows(), 1);
    table->AppendRecord({Variant(QStringLiteral("x"))});
    table->AppendRecord({Variant(QStringLiteral("y"))});
    EXPECT_EQ(DataRows(), 2);
    grid->Repaint();
}

// ---------------------------------------------------------------- the ADO regime

class GridOverQuery : public DBGridOverAdoQueryOf<TCountingGridEh> {};

TEST_F(GridOverQuery, AQueryIsShownThroughTheDataLinkAlone)
{
    EXPECT_FALSE(grid->GridHasIntMemTable());
    EXPECT_TRUE(grid->DataSetActive());
    ASSERT_EQ(grid->Columns()->Count(), 4);
    EXPECT_EQ(grid->Columns()->Items(1)->Field(), query->FieldByName(QStringLiteral("Name")));
    EXPECT_TRUE(grid->Events.empty());
    const int before = grid->DataChanges;
    query->Edit();
    query->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Изменено"));
    query->Post();
    EXPECT_GT(grid->DataChanges, before);
}

TEST_F(GridOverQuery, AQueryClosedAndReopenedWithOtherFieldsRebuildsTheColumns)
{
    query->Close();
    EXPECT_FALSE(grid->DataSetActive());
    query->SQL()->Clear();
    query->SQL()->Add(QStringLiteral("SELECT Name, Code FROM rows_t WHERE Code > 100"));
    query->Open();
    ASSERT_EQ(grid->Columns()->Count(), 2);
    EXPECT_EQ(grid->Columns()->Items(0)->Field(), query->FieldByName(QStringLiteral("Name")));
    grid->Repaint();
}

TEST_F(GridOverQuery, ColumnsBoundToMissingFieldsStayWithoutAField)
{
    grid->BeginLayout();
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Name"));
    grid->Columns()->Add()->SetFieldName(QStringLiteral("NoSuchField"));
    grid->EndLayout();
    EXPECT_NE(grid->Columns()->Items(0)->Field(), nullptr);
    EXPECT_EQ(grid->Columns()->Items(1)->Field(), nullptr);
    grid->Repaint();
    EXPECT_EQ(grid->FindFieldColumn(QStringLiteral("NoSuchField")), grid->Columns()->Items(1));
    EXPECT_THROW(grid->GetFieldColumns(QStringLiteral("Nowhere")), EInvalidGridOperationEh);
}

// ---------------------------------------------------------------- streams of older versions

class GridOldStreams : public DBGridOnForm {};

TEST_F(GridOldStreams, OldTitleAndFooterPropertiesAreReadButNotWritten)
{
    const QByteArray text =
        "object Grid: TDBGridEh\n"
        "  TitleHeight = 7\n"
        "  TitleLines = 2\n"
        "  VTitleMargin = 5\n"
        "  UseMultiTitle = True\n"
        "  FooterColor = clYellow\n"
        "end\n";
    ReadComponentRes(text, grid);
    EXPECT_EQ(grid->TitleParams()->RowHeight(), 7);
    EXPECT_EQ(grid->TitleParams()->RowLines(), 2);
    EXPECT_EQ(grid->TitleParams()->VTitleMargin(), 5);
    EXPECT_TRUE(grid->TitleParams()->MultiTitle());
    EXPECT_EQ(grid->FooterParams()->Color(), clYellow);
    const QString written = ComponentToText(grid);
    EXPECT_FALSE(written.contains(QStringLiteral("  TitleHeight"))) << written.toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral("  UseMultiTitle"))) << written.toStdString();

    ReadComponentRes("object Grid: TDBGridEh\n  FooterColor = 255\nend\n", grid);
    EXPECT_EQ(grid->FooterParams()->Color(), clRed);
}

TEST_F(GridOldStreams, ATruncatedColumnCollectionIsAReadErrorAndKeepsTheColumns)
{
    grid->BeginLayout();
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Code"));
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Name"));
    grid->EndLayout();
    const QString text = ComponentToText(grid);
    const qsizetype cut = text.indexOf(QStringLiteral("FieldName = 'Name'"));
    ASSERT_GT(cut, 0) << text.toStdString();
    QString other = text;
    other.replace(QStringLiteral("'Code'"), QStringLiteral("'Sum'"));
    EXPECT_ANY_THROW(ReadComponentRes(other.left(cut).toUtf8(), grid));
    ASSERT_EQ(grid->Columns()->Count(), 2);
    EXPECT_EQ(grid->Columns()->Items(0)->FieldName(), QStringLiteral("Code"));
    EXPECT_EQ(grid->Columns()->Items(1)->FieldName(), QStringLiteral("Name"));
}

// ---------------------------------------------------------------- unit images

TEST(GridUnit, IndicatorAndSortMarkerImagesAreBuiltFromTheResources)
{
    TCustomImageList* indicators = DBGridEhIndicators();
    ASSERT_NE(indicators, nullptr);
    EXPECT_EQ(indicators->Count(), 7);
    TCustomImageList* markers = DBGridEhSortMarkerImages();
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(markers->Count(), 5);
    ASSERT_NE(DBGridEhSortMarkerFont(), nullptr);
    EXPECT_EQ(DBGridEhSortMarkerFont()->GetName(), QStringLiteral("Arial"));
    EXPECT_EQ(-DBGridEhSortMarkerFont()->GetHeight(), markers->Height() - 1);
    // The seventh arrow sits on the found-text colour; the sixth is transparent around it.
    const QImage on = indicators->Image(6).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(on.pixel(0, 0) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(qAlpha(indicators->Image(5).convertToFormat(QImage::Format_ARGB32).pixel(0, 0)), 0);
}

}  // namespace
