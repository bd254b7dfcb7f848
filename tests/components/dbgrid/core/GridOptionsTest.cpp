// The data grid's option sets and how each setter carries them into the base grid, the
// indicator width, the plain properties and the center and style a grid registers with.
#include "support/DBGridFixtures.h"

#include "components/foundation/ToolCtrlsEh.h"

using namespace testsupport;

namespace {

class GridOptions : public DBGridOnForm {};

TEST_F(GridOptions, ANewGridStartsWithItsDefaultsAndDerivedBaseOptions)
{
    EXPECT_EQ(grid->Options(), (TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                                               dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit}));
    EXPECT_EQ(grid->OptionsEh(), (TDBGridEhOptions{dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind,
                                                   dghColumnResize, dghColumnMove, dghExtendVertLines}));
    EXPECT_EQ(grid->IndicatorOptions(), TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
    const TGridOptionsEh base = grid->GetGridOptions();
    for (TGridOptionEh o : {goColSizingEh, goColMovingEh, goEditingEh, goTabsEh, goThumbTrackingEh,
                            goExtendVertLinesEh, goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh})
        EXPECT_TRUE(base.Contains(o)) << int(o);
    EXPECT_FALSE(base.Contains(goRowSelectEh));
    EXPECT_FALSE(base.Contains(goRowSizingEh));
    EXPECT_EQ(grid->Center(), DBGridEhDefaultCenter());
    EXPECT_TRUE(grid->Center()->GridInChangeNotification(grid));
    ASSERT_NE(grid->Style(), nullptr);
    EXPECT_EQ(grid->Style(), DBGridEhDefaultStyle());
    EXPECT_TRUE(grid->Style()->GridInChangeNotification(grid));
    EXPECT_EQ(grid->IndicatorOffset(), 1);
    EXPECT_EQ(grid->GetAxisBarsPropertyName(), QStringLiteral("Columns"));
    EXPECT_NE(dynamic_cast<TGridDataLinkEh*>(grid->DataLink()), nullptr);
    EXPECT_NE(dynamic_cast<TDBGridColumnsEh*>(grid->AxisBars()), nullptr);
    EXPECT_NE(dynamic_cast<TColumnDefValuesEh*>(grid->AxisBarDefValues()), nullptr);
}

TEST_F(GridOptions, RowSelectDropsEditingWhateverWasAsked)
{
    grid->SetOptions(grid->Options() << dgRowSelect << dgAlwaysShowEditor);
    EXPECT_TRUE(grid->Options().Contains(dgRowSelect));
    EXPECT_FALSE(grid->Options().Contains(dgEditing));
    EXPECT_FALSE(grid->Options().Contains(dgAlwaysShowEditor));
    const TGridOptionsEh base = grid->GetGridOptions();
    EXPECT_TRUE(base.Contains(goRowSelectEh));
    EXPECT_FALSE(base.Contains(goEditingEh));
    EXPECT_FALSE(base.Contains(goAlwaysShowEditorEh));

    grid->SetOptions(grid->Options() >> dgRowSelect << dgEditing);
    EXPECT_TRUE(grid->GetGridOptions().Contains(goEditingEh));
    EXPECT_FALSE(grid->GetGridOptions().Contains(goRowSelectEh));
}

TEST_F(GridOptions, BaseOptionsFollowTabsLinesAndRowSizing)
{
    grid->SetOptions(grid->Options() >> dgTabs >> dgRowLines >> dgColLines);
    TGridOptionsEh base = grid->GetGridOptions();
    EXPECT_FALSE(base.Contains(goTabsEh));
    EXPECT_FALSE(base.Contains(goContraHorzBoundaryLineEh));
    EXPECT_FALSE(base.Contains(goContraVertBoundaryLineEh));
    // Sizing and moving of columns are not touched by unrelated options.
    EXPECT_TRUE(base.Contains(goColSizingEh));
    EXPECT_TRUE(base.Contains(goColMovingEh));

    grid->SetRowSizingAllowed(true);
    EXPECT_TRUE(grid->GetGridOptions().Contains(goRowSizingEh));
    grid->SetOptions(grid->Options() << dgTabs);
    EXPECT_TRUE(grid->GetGridOptions().Contains(goRowSizingEh));
    grid->SetRowSizingAllowed(false);
    EXPECT_FALSE(grid->GetGridOptions().Contains(goRowSizingEh));
}

// dgColumnResize and the pair dghColumnResize + dghColumnMove agree whichever side is set.
TEST_F(GridOptions, ColumnSizingOptionsAgreeBothWays)
{
    struct Case {
        const char* what;
        bool setOptions;               // through Options (else OptionsEh)
        bool resize;                   // dgColumnResize asked (Options) ...
        bool ehResize, ehMove;         // ... or the Eh pair asked (OptionsEh)
        bool wantResize, wantEhResize, wantEhMove, wantSizing, wantMoving;
    };
    const Case cases[] = {
        {"Options off", true, false, true, true, false, false, false, false, false},
        {"Options on again", true, true, false, false, true, true, true, true, true},
        {"Eh move off", false, true, true, false, false, true, false, true, false},
        {"Eh resize off", false, true, false, true, false, false, true, false, true},
        {"Eh pair on", false, false, true, true, true, true, true, true, true},
    };
    for (const Case& c : cases) {
        if (c.setOptions) {
            TDBGridOptions o = grid->Options();
            c.resize ? o << dgColumnResize : o >> dgColumnResize;
            grid->SetOptions(o);
        } else {
            TDBGridEhOptions o = grid->OptionsEh();
            c.ehResize ? o << dghColumnResize : o >> dghColumnResize;
            c.ehMove ? o << dghColumnMove : o >> dghColumnMove;
            grid->SetOptionsEh(o);
        }
        EXPECT_EQ(grid->Options().Contains(dgColumnResize), c.wantResize) << c.what;
        EXPECT_EQ(grid->OptionsEh().Contains(dghColumnResize), c.wantEhResize) << c.what;
        EXPECT_EQ(grid->OptionsEh().Contains(dghColumnMove), c.wantEhMove) << c.what;
        EXPECT_EQ(grid->GetGridOptions().Contains(goColSizingEh), c.wantSizing) << c.what;
        EXPECT_EQ(grid->GetGridOptions().Contains(goColMovingEh), c.wantMoving) << c.what;
    }
}

TEST_F(GridOptions, IndicatorOptionsMirrorTheirOptionsBothWays)
{
    grid->SetOptionsEh(grid->OptionsEh() << dghShowRecNo);
    EXPECT_TRUE(grid->IndicatorOptions().Contains(gioShowRecNoEh));
    grid->SetOptions(grid->Options() >> dgIndicator);
    EXPECT_FALSE(grid->IndicatorOptions().Contains(gioShowRowIndicatorEh));

    grid->SetIndicatorOptions(TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
    EXPECT_TRUE(grid->Options().Contains(dgIndicator));
    EXPECT_FALSE(grid->OptionsEh().Contains(dghShowRecNo));
    grid->SetIndicatorOptions(TDBGridEhIndicatorOptions{gioShowRecNoEh});
    EXPECT_FALSE(grid->Options().Contains(dgIndicator));
    EXPECT_TRUE(grid->OptionsEh().Contains(dghShowRecNo));
    EXPECT_TRUE(grid->IndicatorVisible());
    grid->SetIndicatorOptions(TDBGridEhIndicatorOptions{});
    EXPECT_FALSE(grid->IndicatorVisible());
}

TEST_F(GridOptions, ExtendVertLinesDrivesTheEmptySpaceStyle)
{
    auto* lines = grid->GridLineParams();
    grid->SetOptionsEh(grid->OptionsEh() >> dghExtendVertLines);
    EXPECT_EQ(lines->VertEmptySpaceStyle(), dessNonEh);
    EXPECT_FALSE(grid->GetGridOptions().Contains(goExtendVertLinesEh));
    grid->SetOptionsEh(grid->OptionsEh() << dghExtendVertLines);
    EXPECT_EQ(lines->VertEmptySpaceStyle(), dessGradiendEh);
    // A solid style chosen by the user survives switching the option on again.
    grid->SetOptionsEh(grid->OptionsEh() >> dghExtendVertLines);
    lines->SetVertEmptySpaceStyle(dessSolidEh);
    grid->SetOptionsEh(grid->OptionsEh() << dghExtendVertLines);
    EXPECT_EQ(lines->VertEmptySpaceStyle(), dessSolidEh);
}

TEST_F(GridOptions, PlainPropertiesClampOrIgnoreBadValues)
{
    grid->SetRowHeight(-5);
    EXPECT_EQ(grid->RowHeight(), 0);
    grid->SetRowLines(-1);
    EXPECT_EQ(grid->RowLines(), 0);
    grid->SetRowLines(2);
    EXPECT_EQ(grid->RowLines(), 2);
    grid->SetFooterRowCount(2);
    grid->SetFooterRowCount(-1);
    EXPECT_EQ(grid->FooterRowCount(), 2);
}

TEST_F(GridOptions, RowColoursFollowTheGridColourUntilSet)
{
    grid->SetColor(clYellow);
    EXPECT_EQ(grid->EvenRowColor(), clYellow);
    EXPECT_FALSE(grid->EvenRowColorStored());
    // Setting the value it already shows still marks it stored.
    grid->SetEvenRowColor(clYellow);
    EXPECT_TRUE(grid->EvenRowColorStored());
    grid->SetColor(clAqua);
    EXPECT_EQ(grid->EvenRowColor(), clYellow);
    EXPECT_EQ(grid->OddRowColor(), clAqua);
    grid->SetOddRowColor(clRed);
    EXPECT_EQ(grid->OddRowColor(), clRed);
    EXPECT_TRUE(grid->OddRowColorStored());
}

TEST_F(GridOptions, ContraColCountRefusesCountsThatLeaveNoScrollableColumn)
{
    grid->BeginLayout();
    for (const char* f : {"A", "B", "C"})
        grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
    grid->EndLayout();
    try {
        grid->SetContraColCount(-1);
        ADD_FAILURE() << "a negative count was taken";
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Grid index out of range"));
    }
    try {
        grid->SetContraColCount(3);
        ADD_FAILURE() << "a count leaving no scrollable column was taken";
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Contra column count must be less than scrollable column count"));
    }
    EXPECT_EQ(grid->ContraColCount(), 0);
    grid->SetContraColCount(1);
    EXPECT_EQ(grid->ContraColCount(), 1);
}

TEST_F(GridOptions, MultiSortMarkingOffKeepsOnlyTheFirstMarker)
{
    grid->SetOptionsEh(grid->OptionsEh() << dghMultiSortMarking);
    grid->BeginLayout();
    for (const char* f : {"A", "B", "C", "D"})
        grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
    grid->EndLayout();
    auto* cols = grid->Columns();
    cols->Items(2)->Title()->SetSortMarker(smDownEh);
    cols->Items(0)->Title()->SetSortMarker(smUpEh);
    cols->Items(3)->Title()->SetSortMarker(smDownEh);
    ASSERT_EQ(grid->SortMarkedColumns()->Count(), 3);

    grid->SetOptionsEh(grid->OptionsEh() >> dghMultiSortMarking);
    ASSERT_EQ(grid->SortMarkedColumns()->Count(), 1);
    EXPECT_EQ(grid->SortMarkedColumns()->Items(0), cols->Items(2));
    EXPECT_EQ(cols->Items(2)->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(cols->Items(0)->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(cols->Items(3)->Title()->SortMarker(), smNoneEh);
}

// ---------------------------------------------------------------- the indicator's width

class IndicatorWidth : public DBGridOnForm {
public:
    int SmallZeros(int n)
    {
        TFont small;
        small.Assign(grid->Font());
        small.SetSize(small.GetSize() - 1);
        return MeasureCanvasEh(&small)->TextWidth(QString(n, QLatin1Char('0')));
    }
};

TEST_F(IndicatorWidth, RecordNumbersTakeOneZeroPerDigitOfTheRecordCount)
{
    TMemTableEh* table = Create<TMemTableEh>(form.get());
    table->FieldDefs()->Add(QStringLiteral("N"), ftInteger);
    table->CreateDataSet();
    table->DisableControls();
    for (int i = 0; i < 12345; ++i)
        table->AppendRecord({Variant(i)});
    table->EnableControls();
    Bind(table);
    grid->SetOptionsEh(grid->OptionsEh() << dghShowRecNo);

    const int area = std::max(SmallZeros(5) + 2, 11);
    EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), area);
    EXPECT_EQ(grid->CalcIndicatorColWidth(), 11 + area);
    grid->SetOptions(grid->Options() >> dgIndicator);
    EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), std::max(SmallZeros(5) + 4, 11));
    EXPECT_EQ(grid->CalcIndicatorColWidth(), grid->DefaultCalcIndicatorRowNumAreaWidth());
}

TEST_F(IndicatorWidth, WidthIsElevenAloneAndNeverNarrowerForFewRecords)
{
    EXPECT_EQ(grid->CalcIndicatorColWidth(), 11);
    // Without a dataset the record numbers take no room.
    grid->SetOptionsEh(grid->OptionsEh() << dghShowRecNo);
    EXPECT_EQ(grid->CalcIndicatorColWidth(), 11);
    TMemTableEh* table = MakeDBGridTable(form.get());
    Bind(table);
    EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), std::max(SmallZeros(1) + 2, 11));
    grid->SetOptions(grid->Options() >> dgIndicator);
    grid->SetOptionsEh(grid->OptionsEh() >> dghShowRecNo);
    EXPECT_EQ(grid->CalcIndicatorColWidth(), 0);
    grid->SetIndicatorOptions(TDBGridEhIndicatorOptions{gioShowRowselCheckboxesEh});
    EXPECT_EQ(grid->CalcIndicatorColWidth(), SmallZeros(1) + CheckBoxGlyphSize().cx);
    EXPECT_EQ(grid->RowselCheckboxesWidth(), SmallZeros(1) + CheckBoxGlyphSize().cx);
}

TEST_F(IndicatorWidth, ChangeIsReportedOnce)
{
    TMemTableEh* table = MakeDBGridTable(form.get());
    Bind(table);
    grid->CheckIndicatorColWidthChanged();
    EXPECT_FALSE(grid->CheckIndicatorColWidthChanged());
    for (int i = 0; i < 10; ++i)
        AddDBGridRow(table, i, QStringLiteral("x"), Variant(1.0), QStringLiteral("A"));
    grid->SetOptionsEh(grid->OptionsEh() << dghShowRecNo);
    grid->CheckIndicatorColWidthChanged();
    EXPECT_EQ(grid->RecNoTextWidth(), grid->CalcIndicatorColWidth());
    EXPECT_FALSE(grid->CheckIndicatorColWidthChanged());
}

// ---------------------------------------------------------------- events, center and style

TEST_F(GridOptions, EventsReachTheApplicationOnlyForValidColumns)
{
    grid->BeginLayout();
    grid->Columns()->Add()->SetFieldName(QStringLiteral("A"));
    grid->EndLayout();
    TColumnEh* seen = nullptr;
    int checks = 0;
    grid->OnTitleClick = [&](TColumnEh* c) { seen = c; };
    grid->OnCheckButton = [&](TObject*, int, TColumnEh*, bool& Enabled) {
        ++checks;
        Enabled = false;
    };
    grid->TitleClick(grid->Columns()->Items(0));
    EXPECT_EQ(seen, grid->Columns()->Items(0));
    bool enabled = true;
    EXPECT_TRUE(grid->CheckTitleButton(0, enabled));
    EXPECT_FALSE(enabled);
    enabled = true;
    EXPECT_FALSE(grid->CheckTitleButton(1, enabled));
    EXPECT_FALSE(grid->CheckTitleButton(-1, enabled));
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(enabled);
}

TEST_F(GridOptions, SortingGoesThroughTheCenterAndAFreedCenterLeavesNone)
{
    auto center = std::make_unique<TDBGridEhCenter>();
    TCustomDBGridEh* applied = nullptr;
    center->OnApplySorting = [&](TCustomDBGridEh* g) { applied = g; };
    grid->SetCenter(center.get());
    EXPECT_FALSE(DBGridEhDefaultCenter()->GridInChangeNotification(grid));
    EXPECT_TRUE(center->GridInChangeNotification(grid));
    grid->DefaultApplySorting();
    EXPECT_EQ(applied, grid);
    center.reset();
    EXPECT_EQ(grid->Center(), nullptr);
    grid->DefaultApplySorting();
    EXPECT_EQ(grid->CalcIndicatorColWidth(), 11);
}

TEST_F(GridOptions, AFreedStyleGivesTheGridBackTheDefaultOne)
{
    TDBGridEhStyle* own = Create<TDBGridEhStyle>(form.get());
    grid->SetStyle(own);
    EXPECT_TRUE(own->GridInChangeNotification(grid));
    EXPECT_FALSE(DBGridEhDefaultStyle()->GridInChangeNotification(grid));
    delete own;
    EXPECT_EQ(grid->Style(), DBGridEhDefaultStyle());
    EXPECT_TRUE(DBGridEhDefaultStyle()->GridInChangeNotification(grid));
    grid->SetStyle(Create<TDBGridEhStyle>(form.get()));
    grid->SetStyle(nullptr);
    EXPECT_EQ(grid->Style(), DBGridEhDefaultStyle());
}

TEST_F(GridOptions, AFreedGridLeavesItsCenterAndStyle)
{
    auto* other = Create<TDBGridEh>(form.get());
    EXPECT_TRUE(DBGridEhDefaultCenter()->GridInChangeNotification(other));
    delete other;
    EXPECT_FALSE(DBGridEhDefaultCenter()->GridInChangeNotification(other));
    EXPECT_FALSE(DBGridEhDefaultStyle()->GridInChangeNotification(other));
}

}  // namespace
