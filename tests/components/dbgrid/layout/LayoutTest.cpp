// Column widths fitted to the client, dragged widths, frozen columns, width optimisation and
// the layout kept in ini files and the registry.
#include "support/DBGridFixtures.h"

#include "components/dbgrid/DBGridEh_Columns.h"
#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"

using namespace testsupport;

namespace {

class LayoutGrid : public DBGridOverMemTable {
protected:
    QTemporaryDir dir;
    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        grid->Columns()->AddAllColumns(true);
        PumpDBGrid();
        SetRegistryStoreFileName(dir.filePath(QStringLiteral("registry.dat")));
    }
    void TearDown() override
    {
        SetRegistryStoreFileName(QString());
        DBGridOverMemTable::TearDown();
    }
    TColumnEh* Col(const char* FieldName) const { return grid->FindFieldColumn(QLatin1String(FieldName)); }
    QStringList Order() const
    {
        QStringList names;
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            names << grid->Columns()->Items(i)->FieldName();
        return names;
    }
    QString IniFile() const { return dir.filePath(QStringLiteral("layout.ini")); }
    void WriteIni(const QString& Key, const QString& Value)
    {
        TIniFile ini(IniFile());
        ini.WriteString(QStringLiteral("S"), QStringLiteral("Grid.") + Key, Value);
    }
    // Three visible fitting columns, each starting from 100.
    void ThreeFittingColumns()
    {
        Col("Kind")->SetVisible(false);
        for (const char* f : {"Code", "Name", "Sum"})
            Col(f)->SetWidth(100);
    }
    int Available302()
    {
        const int line = grid->GridLineWidth();
        return 302 + grid->ColWidths(0) - line + 3 * line + 1;
    }
};

}  // namespace

TEST_F(LayoutGrid, RegistryLayoutGoesUnderTheFormClassAndOwnerPath)
{
    grid->SetName(QStringLiteral("InvDBGridEh"));
    EXPECT_EQ(grid->LayoutSectionName(), form->ClassName() + QStringLiteral("InvDBGridEh"));
    auto* frame = Create<TComponent>(form.get());
    frame->SetName(QStringLiteral("Frame1"));
    auto* inner = Create<TDBGridEh>(frame);
    inner->SetName(QStringLiteral("InvDBGridEh"));
    EXPECT_EQ(inner->LayoutSectionName(), form->ClassName() + QStringLiteral("Frame1.InvDBGridEh"));

    Col("Sum")->SetWidth(80);
    TRegIniFile reg(QStringLiteral("Software\\Dovrelin"));
    reg.WriteString(grid->LayoutSectionName(), QStringLiteral("Stale"), QStringLiteral("x"));
    grid->SaveColumnsLayout(&reg);
    const QString section = grid->LayoutSectionName();
    EXPECT_EQ(reg.ReadString(section, QStringLiteral("InvDBGridEh.Sum"), QString()), QStringLiteral("2,80,0,1,0,7,0,0,1"));
    EXPECT_FALSE(reg.ValueExists(section, QStringLiteral("Stale"))) << "the section is erased first";
}

TEST_F(LayoutGrid, GridLayoutRoundTripsThroughAnIniFile)
{
    Col("Name")->SetWidth(140);
    Col("Kind")->SetVisible(false);
    Col("Sum")->Title()->SetSortMarker(smDownEh);
    Col("Sum")->Title()->SetSortIndex(1);
    Col("Code")->SetIndex(3);
    grid->SetRowHeight(30);
    grid->SaveGridLayoutIni(IniFile(), QStringLiteral("S"), true);
    EXPECT_EQ(TIniFile(IniFile()).ReadString(QStringLiteral("S"), QStringLiteral("(Default)"), QString()),
              QStringLiteral("30,0"));

    Col("Name")->SetWidth(60);
    Col("Kind")->SetVisible(true);
    Col("Sum")->Title()->SetSortMarker(smNoneEh);
    Col("Sum")->Title()->SetSortIndex(0);
    Col("Code")->SetIndex(0);
    grid->SetRowHeight(18);

    grid->RestoreGridLayoutIni(IniFile(), QStringLiteral("S"),
                               TDBGridEhRestoreParams{grpColIndexEh, grpColWidthsEh, grpSortMarkerEh, grpColVisibleEh,
                                                      grpRowHeightEh});
    EXPECT_EQ(Order(), (QStringList{"Name", "Sum", "Kind", "Code"}));
    EXPECT_EQ(Col("Name")->Width(), 140);
    EXPECT_FALSE(Col("Kind")->Visible());
    EXPECT_EQ(Col("Sum")->Title()->SortMarker(), smDownEh);
    ASSERT_EQ(grid->SortMarkedColumns()->Count(), 1);
    EXPECT_EQ(grid->SortMarkedColumns()->Items(0), Col("Sum"));
    EXPECT_EQ(grid->RowHeight(), 30);
}

TEST_F(LayoutGrid, AnIndexAloneMovesTheColumnAndTheFirstClaimantWins)
{
    const int nameWidth = Col("Name")->Width();
    WriteIni(QStringLiteral("Name"), QStringLiteral("3"));
    grid->RestoreColumnsLayoutIni(IniFile(), QStringLiteral("S"), TColumnEhRestoreParams{crpColIndexEh, crpColWidthsEh});
    EXPECT_EQ(Order(), (QStringList{"Code", "Sum", "Kind", "Name"}));
    EXPECT_EQ(Col("Name")->Width(), nameWidth);

    // Sum and Kind both claim position 0, Code and Name (no entry: its own place) position 3;
    // the first claimant in collection order gets the place.
    WriteIni(QStringLiteral("Name"), QString());
    WriteIni(QStringLiteral("Code"), QStringLiteral("3"));
    WriteIni(QStringLiteral("Kind"), QStringLiteral("0"));
    WriteIni(QStringLiteral("Sum"), QStringLiteral("0"));
    grid->RestoreColumnsLayoutIni(IniFile(), QStringLiteral("S"), TColumnEhRestoreParams{crpColIndexEh});
    EXPECT_EQ(Order(), (QStringList{"Sum", "Kind", "Name", "Code"}));
}

struct BadEntry {
    const char* Name;
    const char* Text;
};

class LayoutBadEntries : public LayoutGrid, public ::testing::WithParamInterface<BadEntry> {};

TEST_P(LayoutBadEntries, KeepTheColumnAsItIs)
{
    Col("Name")->SetWidth(90);
    WriteIni(QStringLiteral("Name"), QString::fromUtf8(GetParam().Text));
    WriteIni(QStringLiteral("Vanished"), QStringLiteral("0,50,1,0,1,7,0,0,0"));
    grid->RestoreColumnsLayoutIni(IniFile(), QStringLiteral("S"),
                                  TColumnEhRestoreParams{crpColIndexEh, crpColWidthsEh, crpColVisibleEh});
    EXPECT_EQ(Col("Name")->Width(), 90);
    EXPECT_TRUE(Col("Name")->Visible());
    EXPECT_EQ(Order(), (QStringList{"Code", "Name", "Sum", "Kind"}));
}

INSTANTIATE_TEST_SUITE_P(, LayoutBadEntries,
                         ::testing::Values(BadEntry{"ZeroWidth", "1,0"}, BadEntry{"HugeWidth", "1,1000000"},
                                           BadEntry{"Words", "one,wide,x,yes"}, BadEntry{"Empty", ""},
                                           BadEntry{"Separators", " , ,,  1 ,  , "}),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST_F(LayoutGrid, FrozenColumnsMustLeaveAScrollableOne)
{
    try {
        grid->SetFrozenCols(4);
        FAIL() << "four frozen of four columns";
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Frozen column count must be less than scrollable column count"));
    }
    grid->SetFrozenCols(2);
    EXPECT_EQ(grid->FixedColCount(), 3);
    grid->SetFrozenCols(-1);
    EXPECT_EQ(grid->FrozenCols(), 2);

    auto* bare = Create<TDBGridEh>(form.get());
    bare->SetParent(form.get());
    bare->SetFrozenCols(3);
    EXPECT_EQ(bare->FrozenCols(), 3);
}

TEST_F(LayoutGrid, FittingSpreadsTheRoundingFromTheLastColumn)
{
    ThreeFittingColumns();
    grid->SetWidth(200);
    grid->SetMinAutoFitWidth(Available302());
    grid->SetAutoFitColWidths(true);
    EXPECT_EQ(Col("Code")->Width(), 101);
    EXPECT_EQ(Col("Name")->Width(), 101);
    EXPECT_EQ(Col("Sum")->Width(), 100);

    grid->SetAutoFitColWidths(false);
    EXPECT_EQ(Col("Code")->Width(), 100) << "switching off gives the initial widths back";
}

TEST_F(LayoutGrid, FittingColumnsWithoutWidthsShareTheRoom)
{
    ThreeFittingColumns();
    grid->SetWidth(200);
    grid->SetMinAutoFitWidth(Available302());
    grid->SetAutoFitColWidths(true);
    for (const char* f : {"Code", "Name", "Sum"})
        Col(f)->SetInitWidth(0);
    grid->LayoutChanged();
    EXPECT_EQ(Col("Code")->Width() + Col("Name")->Width() + Col("Sum")->Width(), 302);
}

TEST_F(LayoutGrid, WideningAFittedColumnTakesTheRoomFromTheRightPart)
{
    ThreeFittingColumns();
    grid->SetOptionsEh(grid->OptionsEh().Include(dghResizeWholeRightPart));
    grid->SetWidth(200);
    grid->SetMinAutoFitWidth(Available302());
    grid->SetAutoFitColWidths(true);
    const int raw = grid->DataToRawColumn(Col("Code")->Index());
    grid->SetColWidths(raw, grid->ColWidths(raw) + 20);   // as a dragged border does
    EXPECT_EQ(Col("Code")->Width(), 121);
    EXPECT_EQ(Col("Name")->Width() + Col("Sum")->Width(), 181);
    EXPECT_NEAR(Col("Name")->Width(), Col("Sum")->Width(), 1);
}

TEST_F(LayoutGrid, ADraggedWidthReachesTheColumnWithinItsLimits)
{
    Col("Sum")->SetMaxWidth(120);
    const int raw = grid->DataToRawColumn(Col("Name")->Index());
    grid->SetColWidths(raw, 77 + grid->GridLineWidth());
    EXPECT_EQ(Col("Name")->Width(), 77);
    const int sumRaw = grid->DataToRawColumn(Col("Sum")->Index());
    grid->SetColWidths(sumRaw, 300);
    EXPECT_EQ(Col("Sum")->Width(), 120);
    EXPECT_EQ(grid->ColWidths(sumRaw), 120 + grid->GridLineWidth());
}

TEST_F(LayoutGrid, OptimisationMeasuresRowsUpToTheLimitAndKeepsThePosition)
{
    table->Last();
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Очень длинное имя"));
    table->Post();
    table->First();
    table->Next();
    TColumnEh* name = Col("Name");
    const int longText = MeasureCanvasEh(name->Font())->TextWidth(QStringLiteral("Очень длинное имя"));

    grid->OptimizeColsWidth({name}, 2, 0);
    EXPECT_LT(name->Width(), longText);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 2);
    EXPECT_FALSE(table->ControlsDisabled());

    grid->OptimizeAllColsWidth(-1, 0);
    EXPECT_EQ(name->Width(), longText + 5);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 2);

    name->SetMaxWidth(50);
    grid->OptimizeColumnWidth(name, 0);
    EXPECT_EQ(name->Width(), 50);
}

TEST_F(LayoutGrid, ColumnBordersAreGrabbedInTheTitlesOnly)
{
    const TRect code = grid->CellRectEx(grid->DataToRawColumn(Col("Code")->Index()), 0);
    const int y = (code.Top + code.Bottom) / 2;
    int pos = 0, ofs = 0, col = -1;
    EXPECT_EQ(grid->TitleColSizingHitTest(code.Right + 1, y, pos, ofs, col), dgsColSizing);
    EXPECT_EQ(pos, code.Right);
    EXPECT_EQ(ofs, -1);
    EXPECT_EQ(col, grid->DataToRawColumn(Col("Code")->Index()));
    EXPECT_TRUE(grid->IsSizingPos(code.Right, y));
    EXPECT_EQ(grid->TitleColSizingHitTest(code.Right - 10, y, pos, ofs, col), dgsNormal);
    const int dataY = grid->CellRectEx(1, grid->TopDataOffset()).Top + 2;
    EXPECT_EQ(grid->TitleColSizingHitTest(code.Right, dataY, pos, ofs, col), dgsNormal);

    // A hidden column has no border of its own: the grab goes to the visible one.
    Col("Name")->SetVisible(false);
    const TRect sum = grid->CellRectEx(grid->DataToRawColumn(Col("Sum")->Index()), 0);
    EXPECT_EQ(grid->TitleColSizingHitTest(sum.Right, y, pos, ofs, col), dgsColSizing);
    EXPECT_EQ(col, grid->DataToRawColumn(Col("Sum")->Index()));
}

TEST_F(LayoutGrid, RowsAreSizedOnlyByTheirBordersInTheIndicator)
{
    grid->SetRowSizingAllowed(true);
    const TRect ind = grid->CellRectEx(0, grid->TopDataOffset());
    const TRect data = grid->CellRectEx(2, grid->TopDataOffset());
    EXPECT_TRUE(grid->IsSizingPos((ind.Left + ind.Right) / 2, ind.Bottom));
    EXPECT_FALSE(grid->IsSizingPos((data.Left + data.Right) / 2, data.Bottom));
    // A frozen column is fixed, yet not the indicator.
    grid->SetFrozenCols(1);
    const TRect frozen = grid->CellRectEx(1, grid->TopDataOffset());
    EXPECT_FALSE(grid->IsSizingPos((frozen.Left + frozen.Right) / 2, frozen.Bottom));
}

TEST_F(LayoutGrid, FittedColumnsFollowTheGridsWidth)
{
    ThreeFittingColumns();
    grid->SetAutoFitColWidths(true);
    auto total = [&] { return Col("Code")->Width() + Col("Name")->Width() + Col("Sum")->Width(); };
    const int before = total();
    grid->SetWidth(grid->Width() - 100);
    PumpDBGrid();
    EXPECT_EQ(total(), before - 100);
    EXPECT_EQ(Col("Code")->InitWidth(), 100) << "the weights stay";
}
