// The group panel above the titles: its hint without levels, dropping titles and level boxes
// on it, clicking a box to reverse its groups, and levels named in a form stream.
#include "support/DBGridFixtures.h"

#include "platform/rtl/Filer.h"

#include <QImage>
#include <QWidget>

using namespace testsupport;

namespace {

class GroupPanel : public DBGridOverMemTable {
public:
    TDBGridEhDataGroupsEh* groups() { return grid->DataGrouping(); }
    TColumnEh* Col(const QString& FieldName) { return grid->FindFieldColumn(FieldName); }
    int DataRowCount() { return grid->RowCount() - grid->TopDataOffset(); }
    QString GroupText(int DataRow)
    {
        TGroupDataTreeNodeEh* n = grid->GroupDataNodeOfRow(DataRow);
        return n && n->NodeType() == dntDataGroupEh ? n->DataGroupLevel()->GetGroupRowText(n) : QString();
    }
    void ShowPanel()
    {
        groups()->SetGroupPanelVisible(true);
        groups()->SetActive(true);
        PumpDBGrid();
    }
    // A column title dropped on the panel at X.
    void DropColumn(const QString& FieldName, int X)
    {
        grid->StartGroupPanelColumnMoving(Col(FieldName)->Index(), X, 5);
        grid->EndGroupPanelMoving(true, X, 5);
        PumpDBGrid();
    }
    TRect Box(int ActiveIndex) { return groups()->ActiveDBGroupLevel(ActiveIndex)->GroupPanelRect(); }
};

}  // namespace

TEST_F(GroupPanel, EmptyPanelShowsItsHintAndMakesRoomAboveTheTitles)
{
    const int before = grid->CellRect(1, 0).Top;
    ShowPanel();
    const int panel = grid->GroupPanelHeight();
    EXPECT_GT(panel, 0);
    EXPECT_EQ(grid->CellRect(1, 0).Top, before + panel);

    // The hint is written in the panel: pixels other than the panel colour appear in its upper half.
    QImage img(grid->Width(), grid->Height(), QImage::Format_RGB32);
    grid->Widget()->render(&img);
    const COLORREF fill = ColorToRGB(groups()->GroupPanel()->Color());
    int inked = 0;
    for (int y = 2; y < panel - 2; ++y)
        for (int x = 2; x < 300; ++x) {
            const QRgb c = img.pixel(x, y);
            if (RGB(qRed(c), qGreen(c), qBlue(c)) != fill)
                ++inked;
        }
    EXPECT_GT(inked, 20);
}

TEST_F(GroupPanel, DroppingTitlesAddsLevelsInPlaceAndHidesTheirColumns)
{
    ShowPanel();
    DropColumn(QStringLiteral("Kind"), 10);
    ASSERT_EQ(groups()->ActiveGroupLevelsCount(), 1);
    EXPECT_FALSE(Col(QStringLiteral("Kind"))->Visible());
    EXPECT_EQ(DataRowCount(), 2);
    EXPECT_EQ(GroupText(0), QStringLiteral("Kind: A (2)"));

    // A second title dropped left of the first box becomes the outer level.
    DropColumn(QStringLiteral("Name"), Box(0).Left - 1);
    ASSERT_EQ(groups()->ActiveGroupLevelsCount(), 2);
    EXPECT_EQ(groups()->ActiveDBGroupLevel(0)->Column(), Col(QStringLiteral("Name")));
    EXPECT_EQ(groups()->ActiveDBGroupLevel(1)->Column(), Col(QStringLiteral("Kind")));
    EXPECT_EQ(GroupText(0), QStringLiteral("Name: Альфа (1)"));
    // Each next box stands lower and further right.
    EXPECT_GT(Box(1).Left, Box(0).Right);
    EXPECT_GT(Box(1).Top, Box(0).Top);

    // Dragging the outer box past the inner one swaps them.
    grid->GroupPanelMouseDown(Box(0).Left + 3, Box(0).Top + 3);
    ASSERT_EQ(grid->DBGridEhState(), dgsGroupPanelTitleMoving);
    grid->EndGroupPanelMoving(true, Box(1).Right + 5, 5);
    PumpDBGrid();
    EXPECT_EQ(groups()->ActiveDBGroupLevel(0)->Column(), Col(QStringLiteral("Kind")));
    EXPECT_EQ(grid->DBGridEhState(), dgsNormal);

    // Dropping a level on the titles frees it and shows its column again.
    grid->DropGroupLevelOnTitles(1);
    PumpDBGrid();
    EXPECT_EQ(groups()->ActiveGroupLevelsCount(), 1);
    EXPECT_TRUE(Col(QStringLiteral("Name"))->Visible());
}

TEST_F(GroupPanel, ColumnWhoseValuesCannotBeComparedIsRefused)
{
    table->Close();
    table->FieldDefs()->Add(QStringLiteral("Pic"), ftBlob);
    table->CreateDataSet();
    grid->Columns()->RebuildColumns();
    ShowPanel();
    try {
        DropColumn(QStringLiteral("Pic"), 10);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Группировка по этому полю невозможна"));
    }
    EXPECT_EQ(groups()->GroupLevels()->Count(), 0);
}

TEST_F(GroupPanel, ClickOnALevelBoxReversesItsGroups)
{
    Col(QStringLiteral("Kind"))->Title()->SetTitleButton(true);
    ShowPanel();
    DropColumn(QStringLiteral("Kind"), 10);
    ASSERT_EQ(GroupText(0), QStringLiteral("Kind: A (2)"));
    const TPoint p(Box(0).Left + 4, Box(0).Top + 4);
    EXPECT_TRUE(grid->GroupPanelMouseDown(p.X, p.Y));
    EXPECT_EQ(grid->DBGridEhState(), dgsGroupPanelTitleDown);
    grid->GroupPanelTitleMouseUp(p.X, p.Y);
    PumpDBGrid();
    EXPECT_EQ(groups()->DBGroupLevel(0)->SortOrder(), soDescEh);
    EXPECT_EQ(GroupText(0), QStringLiteral("Kind: B (1)"));
    EXPECT_EQ(grid->DBGridEhState(), dgsNormal);
}

TEST_F(GroupPanel, LevelsNamedInAFormStreamFindTheirColumnsAfterLoading)
{
    const QString text = QStringLiteral(
        "object Holder: TForm\n"
        "  object Grid2: TDBGridEh\n"
        "    DataGrouping.Active = True\n"
        "    DataGrouping.GroupLevels = <\n"
        "      item\n"
        "        ColumnName = 'Column_1_Kind'\n"
        "      end>\n"
        "    Columns = <\n"
        "      item\n"
        "        FieldName = 'Code'\n"
        "      end\n"
        "      item\n"
        "        FieldName = 'Kind'\n"
        "      end>\n"
        "  end\n"
        "end\n");
    RegisterClasses<TDBGridEh>();
    auto holder = CreateUnique<TForm>(nullptr);
    ReadComponentRes(text.toUtf8(), holder.get());
    auto* loaded = dynamic_cast<TDBGridEh*>(holder->FindComponent(QStringLiteral("Grid2")));
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->DataGrouping()->ActiveGroupLevelsCount(), 1);
    EXPECT_EQ(loaded->DataGrouping()->DBGroupLevel(0)->Column(), loaded->Columns()->Items(1));
    EXPECT_EQ(loaded->DataGrouping()->DBGroupLevel(0)->ColumnName(), QStringLiteral("Column_1_Kind"));

    holder->SetBounds(0, 0, 400, 300);
    loaded->SetBounds(0, 0, 380, 280);
    holder->Show();
    loaded->Handle();
    loaded->SetDataSource(src);
    PumpDBGrid();
    EXPECT_EQ(loaded->RowCount() - loaded->TopDataOffset(), 2);
}
