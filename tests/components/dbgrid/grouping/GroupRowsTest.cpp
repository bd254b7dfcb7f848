// The grouped data grid over an in-memory table: its rows are the group tree's flat list, the
// current row and the table's cursor follow each other, the keys on group rows expand, collapse
// and move, appending joins the last group, and group rows are painted as one band.
#include "support/DBGridFixtures.h"

#include "components/foundation/ToolCtrlsEh.h"

#include <QApplication>
#include <functional>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

using namespace testsupport;

namespace {

class GroupedGrid : public DBGridOverMemTable {
public:
    TDBGridEhDataGroupsEh* groups() { return grid->DataGrouping(); }
    TColumnEh* Col(const QString& FieldName) { return grid->FindFieldColumn(FieldName); }

    TDBGridEhDataGroupLevelEh* AddLevel(const QString& FieldName)
    {
        auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups()->GroupLevels()->Add());
        level->SetColumn(Col(FieldName));
        return level;
    }
    void GroupByKind(bool Expanded)
    {
        groups()->SetDefaultStateExpanded(Expanded);
        AddLevel(QStringLiteral("Kind"));
        groups()->SetActive(true);
        PumpDBGrid();
    }
    TGroupDataTreeNodeEh* RowNode(int DataRow) { return grid->GroupDataNodeOfRow(DataRow); }
    int DataRowCount() { return grid->RowCount() - grid->TopDataOffset(); }
    int CurDataRow() { return grid->Row() - grid->TopDataOffset(); }
    int Code() { return table->FieldByName(QStringLiteral("Code"))->AsInteger(); }
    // A key pressed and released in the grid's window.
    void Key(int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, QtKey, Mods);
        QApplication::sendEvent(grid->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, QtKey, Mods);
        QApplication::sendEvent(grid->Widget(), &release);
        PumpDBGrid();
    }
    // What each data row is: "G:<text>" for a group row, "R<code>" for a record, "F" for a footer.
    // Records are read without moving the cursor.
    QStringList Rows()
    {
        QStringList out;
        for (int i = 0; i < DataRowCount(); ++i) {
            TGroupDataTreeNodeEh* n = RowNode(i);
            if (!n)
                out << QStringLiteral("-");
            else if (n->NodeType() == dntDataGroupEh)
                out << QStringLiteral("G:") + n->DataGroupLevel()->GetGroupRowText(n);
            else if (n->NodeType() == dntDataGroupFooterEh)
                out << QStringLiteral("F");
            else {
                table->InstantReadEnter(n->DataSetRecordViewNo());
                out << QStringLiteral("R%1").arg(table->FieldByName(QStringLiteral("Code"))->AsInteger());
                table->InstantReadLeave();
            }
        }
        return out;
    }
};

}  // namespace

TEST_F(GroupedGrid, RowsAreTheFlatListOfGroupsAndRecords)
{
    GroupByKind(false);
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "G:Kind: B (1)"}));
    EXPECT_EQ(grid->ExtraFirstColumnWidth(), 18);

    groups()->DBGroupLevel(0)->ExpandNodes();
    grid->UpdateAllDataRowHeights();
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "R1", "R3", "G:Kind: B (1)", "R2"}));

    // A changed key moves its record to the other group and the texts count again.
    table->Locate(QStringLiteral("Code"), Variant(3), TLocateOptions());
    table->Edit();
    table->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("B"));
    table->Post();
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (1)", "R1", "G:Kind: B (2)", "R2", "R3"}));

    // Switching grouping off gives the plain table back.
    groups()->SetActive(false);
    PumpDBGrid();
    EXPECT_EQ(DataRowCount(), 3);
    EXPECT_EQ(grid->ExtraFirstColumnWidth(), 0);
}

TEST_F(GroupedGrid, CurrentRowAndCursorFollowEachOther)
{
    GroupByKind(false);
    // The cursor on a record of a collapsed group: its group row is current.
    EXPECT_EQ(CurDataRow(), 0);
    EXPECT_EQ(grid->CurGroupDataNode(), RowNode(0));

    // Moving the cursor from outside opens the group that holds the record.
    table->Locate(QStringLiteral("Code"), Variant(2), TLocateOptions());
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "G:Kind: B (1)", "R2"}));
    EXPECT_EQ(CurDataRow(), 2);

    // Up to the group row of B: the cursor stays on that group's first record; up again to A:
    // the cursor goes to A's first record.
    Key(Qt::Key_Up);
    EXPECT_EQ(CurDataRow(), 1);
    EXPECT_EQ(Code(), 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(CurDataRow(), 0);
    EXPECT_EQ(Code(), 1);
    EXPECT_TRUE(grid->CurGroupDataListBof() == false);
    Key(Qt::Key_Up);
    EXPECT_TRUE(grid->CurGroupDataListBof());
}

TEST_F(GroupedGrid, KeysOnAGroupRowExpandCollapseAndToggle)
{
    GroupByKind(false);
    struct Step {
        int Key;
        Qt::KeyboardModifiers Mods;
        QStringList Rows;
    };
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    const std::vector<Step> steps = {
        {Qt::Key_Right, {}, {"G:Kind: A (2)", "R1", "R3", "G:Kind: B (1)"}},
        {Qt::Key_Left, {}, {"G:Kind: A (2)", "G:Kind: B (1)"}},
        {Qt::Key_Asterisk, pad, {"G:Kind: A (2)", "R1", "R3", "G:Kind: B (1)"}},
        {Qt::Key_Minus, pad, {"G:Kind: A (2)", "G:Kind: B (1)"}},
        {Qt::Key_Plus, pad | Qt::ControlModifier, {"G:Kind: A (2)", "R1", "R3", "G:Kind: B (1)", "R2"}},
        {Qt::Key_Asterisk, pad | Qt::ControlModifier, {"G:Kind: A (2)", "G:Kind: B (1)"}},
    };
    for (const Step& s : steps) {
        ASSERT_EQ(grid->CurGroupDataNode(), RowNode(0));
        Key(s.Key, s.Mods);
        EXPECT_EQ(Rows(), s.Rows) << "key " << s.Key;
    }
}

TEST_F(GroupedGrid, DownOnTheLastRecordAppendsIntoTheLastGroupWithItsKey)
{
    GroupByKind(true);
    table->Locate(QStringLiteral("Code"), Variant(2), TLocateOptions());
    PumpDBGrid();
    ASSERT_EQ(Rows().last(), QStringLiteral("R2"));
    ASSERT_EQ(CurDataRow(), DataRowCount() - 1);
    Key(Qt::Key_Down);
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Kind"))->AsString(), QStringLiteral("B"));
    table->FieldByName(QStringLiteral("Code"))->SetAsInteger(4);
    table->Post();
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "R1", "R3", "G:Kind: B (2)", "R2", "R4"}));
    EXPECT_EQ(grid->CurGroupDataNode(), RowNode(5));
}

TEST_F(GroupedGrid, InsertOnAGroupRowAddsARecordToThatGroup)
{
    GroupByKind(false);
    ASSERT_EQ(grid->CurGroupDataNode(), RowNode(0));
    Key(Qt::Key_Insert);
    ASSERT_EQ(table->State(), dsInsert);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Kind"))->AsString(), QStringLiteral("A"));
    table->FieldByName(QStringLiteral("Code"))->SetAsInteger(9);
    table->Post();
    PumpDBGrid();
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (3)", "R1", "R3", "R9", "G:Kind: B (1)"}));
}

TEST_F(GroupedGrid, GroupRowHeightFollowsTheLevelsLinesAndHeight)
{
    GroupByKind(false);
    TDBGridEhDataGroupLevelEh* level = groups()->DBGroupLevel(0);
    const int wg = MeasureCanvasEh(level->Font())->TextHeight(QStringLiteral("Wg"));
    const int plain = grid->CalcDataGroupNodeRowHeight(RowNode(0));
    EXPECT_GT(plain, wg);
    level->SetRowLines(2);
    level->SetRowHeight(4);
    PumpDBGrid();
    EXPECT_EQ(grid->CalcDataGroupNodeRowHeight(RowNode(0)), 2 * wg + 4);
    EXPECT_EQ(grid->GridRowHeightWithoutLine(grid->TopDataOffset()), 2 * wg + 4);
}

TEST_F(GroupedGrid, DeletingTheLevelsColumnRegroupsWithoutIt)
{
    GroupByKind(false);
    ASSERT_EQ(DataRowCount(), 2);
    delete Col(QStringLiteral("Kind"));
    PumpDBGrid();
    EXPECT_EQ(groups()->ActiveGroupLevelsCount(), 0);
    EXPECT_EQ(DataRowCount(), 3);
    EXPECT_EQ(RowNode(0), nullptr);
}

TEST_F(GroupedGrid, ThreeLevelsPaintTheEnclosingLevelsColoursInFront)
{
    groups()->SetDefaultStateExpanded(true);
    AddLevel(QStringLiteral("Kind"))->SetColor(clRed);
    AddLevel(QStringLiteral("Name"))->SetColor(clLime);
    AddLevel(QStringLiteral("Code"))->SetColor(clYellow);
    groups()->SetActive(true);
    PumpDBGrid();
    // Rows: A, Альфа, 1, rec 1, ...; the third row is a group of the third level.
    TGroupDataTreeNodeEh* third = RowNode(2);
    ASSERT_TRUE(third && third->NodeType() == dntDataGroupEh);
    ASSERT_EQ(third->Level(), 3);
    QImage img(grid->Width(), grid->Height(), QImage::Format_RGB32);
    grid->Widget()->render(&img);
    const TRect cell = grid->CellRect(grid->FixedColCount(), grid->TopDataOffset() + 2);
    const int y = (cell.Top + cell.Bottom) / 2;
    auto at = [&](int x) { return ColorToRGB(TColor(img.pixel(x, y) & 0xFFFFFF)); };
    const auto rgb = [](QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); };
    EXPECT_EQ(rgb(img.pixel(cell.Left + 9, y)), ColorToRGB(clRed));
    EXPECT_EQ(rgb(img.pixel(cell.Left + 18 + 9, y)), ColorToRGB(clLime));
    // The expand box and the band take the row's own level colour (the row is not current).
    EXPECT_EQ(rgb(img.pixel(cell.Left + 36 + 1, y)), ColorToRGB(clYellow));
    EXPECT_EQ(rgb(img.pixel(cell.Right + 5, y)), ColorToRGB(clYellow));
    (void)at;
}

TEST_F(GroupedGrid, GroupFootersFollowTheGroupsAndTheFirstCanMoveIntoTheGroupRow)
{
    groups()->SetDefaultStateExpanded(true);
    TGridDataGroupFooterEh* footer = groups()->Footers()->Add();
    footer->SetVisible(true);
    TDBGridEhDataGroupLevelEh* level = AddLevel(QStringLiteral("Kind"));
    level->SetColor(clYellow);
    groups()->SetActive(true);
    TColumnEh* sum = Col(QStringLiteral("Sum"));
    TGridDataGroupFooterColumnItemEh* item = footer->ColumnItems()->Items(footer->ColumnItems()->ItemIndexByColumn(sum));
    item->SetValueType(gfvSumEh);
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "R1", "R3", "F", "G:Kind: B (1)", "R2", "F"}));
    // The Null of record 3 is skipped.
    EXPECT_EQ(item->AggrValue(RowNode(3)).AsDouble(), 10.5);
    EXPECT_EQ(item->AggrValue(RowNode(6)).AsDouble(), 20.0);

    // The application's text: the column's event goes first and stops the grid's.
    int gridCalls = 0;
    grid->OnDataGroupFooterToDisplayText = [&](TCustomDBGridEh*, TColumnEh*, TGridDataGroupFooterEh*,
                                               TGridDataGroupFooterColumnItemEh*, Variant&, QString& Text,
                                               bool& Processed) {
        ++gridCalls;
        Text = QStringLiteral("grid");
        Processed = true;
    };
    Variant v(1.0);
    EXPECT_EQ(item->ConvertToDisplayText(v), QStringLiteral("grid"));
    sum->OnDataGroupFooterToDisplayText = [](TCustomDBGridEh*, TColumnEh*, TGridDataGroupFooterEh*,
                                             TGridDataGroupFooterColumnItemEh*, Variant&, QString& Text,
                                             bool& Processed) {
        Text = QStringLiteral("column");
        Processed = true;
    };
    EXPECT_EQ(item->ConvertToDisplayText(v), QStringLiteral("column"));
    EXPECT_EQ(gridCalls, 1);
    sum->OnDataGroupFooterToDisplayText = nullptr;
    grid->OnDataGroupFooterToDisplayText = nullptr;

    // Inside the group row: no footer rows; the band's text stops where the sum column begins and
    // the sum is painted in that column in the footer's colours.
    groups()->GroupRowDefValues()->SetFooterInGroupRow(true);
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (2)", "R1", "R3", "G:Kind: B (1)", "R2"}));
    table->Locate(QStringLiteral("Code"), Variant(2), TLocateOptions());
    PumpDBGrid();
    QImage img(grid->Width(), grid->Height(), QImage::Format_RGB32);
    grid->Widget()->render(&img);
    const int row = grid->TopDataOffset();
    const TRect sumCell = grid->CellRect(grid->DataToRawColumn(sum->Index()), row);
    const TRect nameCell = grid->CellRect(grid->DataToRawColumn(Col(QStringLiteral("Name"))->Index()), row);
    const auto rgb = [&](int x, int y) {
        const QRgb c = img.pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    };
    const int y = sumCell.Top + 2;
    EXPECT_EQ(rgb(nameCell.Right - 3, y), ColorToRGB(clYellow));
    EXPECT_EQ(rgb(sumCell.Left + 3, y), ColorToRGB(grid->FooterParams()->Color()));
}

TEST_F(GroupedGrid, AnEditedAmountReachesItsGroupFooterAndAMovedKeyRegroups)
{
    groups()->SetDefaultStateExpanded(true);
    TGridDataGroupFooterEh* footer = groups()->Footers()->Add();
    footer->SetVisible(true);
    AddLevel(QStringLiteral("Kind"));
    groups()->SetActive(true);
    TGridDataGroupFooterColumnItemEh* item =
        footer->ColumnItems()->Items(footer->ColumnItems()->ItemIndexByColumn(Col(QStringLiteral("Sum"))));
    item->SetValueType(gfvSumEh);
    PumpDBGrid();
    const QStringList rows({"G:Kind: A (2)", "R1", "R3", "F", "G:Kind: B (1)", "R2", "F"});
    ASSERT_EQ(Rows(), rows);

    table->Locate(QStringLiteral("Code"), Variant(3), TLocateOptions());
    PumpDBGrid();
    ASSERT_EQ(CurDataRow(), 2);
    table->Edit();
    table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(4.5);
    table->Post();
    PumpDBGrid();
    EXPECT_EQ(item->AggrValue(RowNode(3)).AsDouble(), 15.0);
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(CurDataRow(), 2);
    EXPECT_EQ(Code(), 3);

    table->Edit();
    table->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("B"));
    table->Post();
    PumpDBGrid();
    EXPECT_EQ(Rows(), QStringList({"G:Kind: A (1)", "R1", "F", "G:Kind: B (2)", "R2", "R3", "F"}));
    EXPECT_EQ(item->AggrValue(RowNode(2)).AsDouble(), 10.5);
    EXPECT_EQ(item->AggrValue(RowNode(6)).AsDouble(), 24.5);
    EXPECT_EQ(Code(), 3);
    EXPECT_EQ(RowNode(CurDataRow())->DataSetRecordViewNo(), RowNode(5)->DataSetRecordViewNo());
}

TEST_F(GroupedGrid, CurrentGroupRowIsHighlightedWithOrWithoutFocus)
{
    groups()->SetDefaultStateExpanded(false);
    AddLevel(QStringLiteral("Kind"))->SetColor(clYellow);
    groups()->SetActive(true);
    PumpDBGrid();
    ASSERT_EQ(CurDataRow(), 0);
    const auto bandColor = [&](int DataRow) {
        QImage img(grid->Width(), grid->Height(), QImage::Format_RGB32);
        grid->Widget()->render(&img);
        const TRect cell = grid->CellRect(grid->DataToRawColumn(Col(QStringLiteral("Sum"))->Index()),
                                          grid->TopDataOffset() + DataRow);
        const QRgb c = img.pixel(cell.Right - 3, cell.Top + 2);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    };
    TDBGridEhStyle* style = grid->Style();
    grid->SetFocus();
    PumpDBGrid();
    ASSERT_TRUE(grid->Focused());
    EXPECT_EQ(bandColor(0), ColorToRGB(style->GetSelectionColor()));
    EXPECT_EQ(bandColor(1), ColorToRGB(clYellow));
    form->SetFocus();
    PumpDBGrid();
    if (!grid->Focused()) {
        EXPECT_EQ(bandColor(0), ColorToRGB(style->GetSelectionInactiveColor()));
    }
}

// Layouts after record edits reuse the row heights of the last walk over the flat list; every
// change a height depends on must still reach the rows.
TEST_F(GroupedGrid, RowHeightsFollowWhatTheyDependOnThroughRecordEdits)
{
    groups()->SetDefaultStateExpanded(true);
    TGridDataGroupFooterEh* footer = groups()->Footers()->Add();
    footer->SetVisible(true);
    TDBGridEhDataGroupLevelEh* level = AddLevel(QStringLiteral("Kind"));
    groups()->SetActive(true);
    PumpDBGrid();
    ASSERT_EQ(Rows(), QStringList({"G:Kind: A (2)", "R1", "R3", "F", "G:Kind: B (1)", "R2", "F"}));
    const auto heightsMatchNodes = [&]() {
        QStringList wrong;
        for (int i = 0; i < DataRowCount(); ++i) {
            TGroupDataTreeNodeEh* n = RowNode(i);
            const int want = n->NodeType() == dntDataSetRecordEh ? grid->DefaultRowHeight()
                                                                   : grid->CalcDataGroupNodeRowHeight(n);
            if (grid->GridRowHeightWithoutLine(grid->TopDataOffset() + i) != want)
                wrong << QStringLiteral("%1: %2 not %3")
                             .arg(i)
                             .arg(grid->GridRowHeightWithoutLine(grid->TopDataOffset() + i))
                             .arg(want);
        }
        return wrong.join(QStringLiteral("; ")).toStdString();
    };
    const auto editSum = [&](int Code, double Sum) {
        table->Locate(QStringLiteral("Code"), Variant(Code), TLocateOptions());
        table->Edit();
        table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(Sum);
        table->Post();
        PumpDBGrid();
    };
    const int groupRow = grid->CalcDataGroupNodeRowHeight(RowNode(0));
    const struct {
        const char* change;
        std::function<void()> apply;
    } steps[] = {
        {"record edit", [&] { editSum(1, 7.5); }},
        {"level font", [&] { level->Font()->SetSize(level->Font()->GetSize() * 2); grid->LayoutChanged(); }},
        {"record edit after the font", [&] { editSum(3, 1.0); }},
        {"footer font", [&] {
             footer->ColumnItems()->Items(0)->Font()->SetSize(30);
             grid->LayoutChanged();
         }},
        {"row lines off", [&] { grid->SetOptions(grid->Options() - TDBGridOptions{dgRowLines}); }},
        {"grid font", [&] { grid->Font()->SetSize(grid->Font()->GetSize() + 6); }},
        {"collapse", [&] { level->CollapseNodes(); PumpDBGrid(); }},
        {"record edit while collapsed", [&] { editSum(2, 3.0); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        step.apply();
        PumpDBGrid();
        EXPECT_EQ(heightsMatchNodes(), "");
    }
    EXPECT_GT(grid->CalcDataGroupNodeRowHeight(RowNode(0)), groupRow);
}
