// The row detail panel over both data regimes: opening under the current row, its size, the
// handlers that refuse, closing when the record changes, and the glyph strip that opens it.
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

template <class T>
class RowDetail : public T {
public:
    TRowDetailPanelEh* panel() { return this->grid->RowDetailPanel(); }
    TRowDetailPanelControlEh* window() { return this->grid->RowDetailPanelControl(); }
    void Activate()
    {
        panel()->SetActive(true);
        PumpDBGrid();
    }
    // The current row's data rectangle in the first data column.
    TRect CurrentCell() { return this->grid->CellRect(1, this->grid->Row()); }
    int Code() { return this->DataSet()->FieldByName(QStringLiteral("Code"))->AsInteger(); }
};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(RowDetail, Regimes);

}  // namespace

TYPED_TEST(RowDetail, OpensUnderTheCurrentRowAndTheRowMakesRoomForIt)
{
    TCustomDBGridEh* g = this->grid;
    this->Activate();
    this->DataSet()->Next();
    PumpDBGrid();
    const int row = g->Row();
    const int before = g->RowHeights(row);
    const int dataHeight = g->GetDataRowHeight(row - g->TopDataOffset());

    this->panel()->SetHeight(90);
    this->panel()->SetVisible(true);
    PumpDBGrid();
    ASSERT_TRUE(this->panel()->Visible());
    ASSERT_TRUE(this->window()->Visible());
    EXPECT_EQ(g->Row(), row);
    EXPECT_EQ(this->window()->Height(), 90);
    EXPECT_EQ(g->RowHeights(row), before + 90);
    const TRect cell = this->CurrentCell();
    EXPECT_EQ(this->window()->Top(), cell.Top + dataHeight);
    // The window starts after the glyph strip of the first column.
    EXPECT_EQ(this->window()->Left(), cell.Left + RowDetailGlyphWidthEh);

    // Another record: the panel closes and the row is as high as the others again.
    this->DataSet()->Next();
    PumpDBGrid();
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_FALSE(this->window()->Visible());
    EXPECT_EQ(g->RowHeights(row), before);
}

TYPED_TEST(RowDetail, WidthAndHeightFollowTheRoomOfTheScrollingArea)
{
    TCustomDBGridEh* g = this->grid;
    this->Activate();
    this->panel()->SetVisible(true);
    PumpDBGrid();
    ASSERT_TRUE(this->window()->Visible());
    const TRect cell = this->CurrentCell();
    const int room = g->HorzAxis()->ContraStart() - (cell.Left + RowDetailGlyphWidthEh);
    ASSERT_GT(room, 150);
    struct Case {
        int width, expected;
    };
    const Case cases[] = {
        {0, room - g->GridLineWidth()},   // as wide as the area allows, less the line
        {120, 120},                       // fits
        {room + 100, room},               // does not fit: the rest of the area
    };
    for (const Case& c : cases) {
        this->panel()->SetWidth(c.width);
        EXPECT_EQ(this->window()->Width(), c.expected) << c.width;
    }

    // Height 0 (allowed once MinHeight is 0) and a height beyond the window both take the room
    // down to the trailing rows.
    const int roomDown = g->VertAxis()->ContraStart() - this->window()->Top();
    this->panel()->SetMinHeight(0);
    this->panel()->SetHeight(0);
    EXPECT_EQ(this->window()->Height(), roomDown);
    this->panel()->SetHeight(5000);
    EXPECT_EQ(this->window()->Height(), roomDown);
}

TYPED_TEST(RowDetail, HandlersMayRefuseAndAnEmptyDatasetNeverOpens)
{
    TCustomDBGridEh* g = this->grid;
    this->Activate();
    int shows = 0;
    bool allow = false;
    g->OnRowDetailPanelShow = [&](TCustomDBGridEh* Sender, bool& CanShow) {
        EXPECT_EQ(Sender, g);
        EXPECT_TRUE(CanShow);
        ++shows;
        CanShow = allow;
    };
    this->panel()->SetVisible(true);
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_FALSE(this->window()->Visible());

    allow = true;
    this->panel()->SetVisible(true);
    EXPECT_TRUE(this->panel()->Visible());

    // A close handler that refuses keeps the panel, and the cursor with it.
    bool allowHide = false;
    g->OnRowDetailPanelHide = [&](TCustomDBGridEh*, bool& CanHide) { CanHide = allowHide; };
    const int code = this->Code();
    EXPECT_EQ(g->MoveBy(1), 0);
    EXPECT_EQ(this->Code(), code);
    EXPECT_TRUE(this->panel()->Visible());
    allowHide = true;
    EXPECT_EQ(g->MoveBy(1), 1);
    EXPECT_NE(this->Code(), code);
    EXPECT_FALSE(this->panel()->Visible());

    // Switching the panel off closes it.
    this->panel()->SetVisible(true);
    this->panel()->SetActive(false);
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_FALSE(this->window()->Visible());

    // No rows: nothing opens and nobody is asked.
    this->panel()->SetActive(true);
    shows = 0;
    while (!this->DataSet()->IsEmpty())
        this->DataSet()->Delete();
    PumpDBGrid();
    this->panel()->SetVisible(true);
    EXPECT_EQ(shows, 0);
    EXPECT_FALSE(this->panel()->Visible());
}

TYPED_TEST(RowDetail, TheGlyphStripWidensTheFirstColumnAndAsksEachRow)
{
    TCustomDBGridEh* g = this->grid;
    const int narrow = g->ColWidths(1);
    const int second = g->ColWidths(2);
    this->Activate();
    EXPECT_EQ(g->ColWidths(1), narrow + RowDetailGlyphWidthEh);
    EXPECT_EQ(g->ColWidths(2), second);

    // The row with Code 2 has no panel; the handler reads the row being asked about.
    g->OnCheckRowHaveDetailPanel = [this](TCustomDBGridEh*, bool& Has) { Has = this->Code() != 2; };
    const int top = g->TopDataOffset();
    for (int dataRow = 0; dataRow < 3; ++dataRow) {
        const TRect cell = g->CellRect(1, top + dataRow);
        const int y = (cell.Top + cell.Bottom) / 2;
        const bool expected = dataRow != 1;
        EXPECT_EQ(g->IsRowDetailGlyphClick(mbLeft, TShiftState(), cell.Left + 4, y), expected) << dataRow;
        // Right of the strip is the cell's text, and the second column has no strip.
        EXPECT_FALSE(g->IsRowDetailGlyphClick(mbLeft, TShiftState(), cell.Left + RowDetailGlyphWidthEh + 2, y));
        const TRect next = g->CellRect(2, top + dataRow);
        EXPECT_FALSE(g->IsRowDetailGlyphClick(mbLeft, TShiftState(), next.Left + 4, y));
    }
    // The cursor did not move while the rows were asked.
    EXPECT_EQ(this->Code(), 1);
    // The title row never opens a panel.
    const TRect title = g->CellRect(1, 0);
    EXPECT_FALSE(g->IsRowDetailGlyphClick(mbLeft, TShiftState(), title.Left + 4, title.Top + 2));

    this->panel()->SetActive(false);
    EXPECT_EQ(g->ColWidths(1), narrow);
}

// ---------------------------------------------------------------- settings without a dataset

class RowDetailSettings : public DBGridOnForm {};

TEST_F(RowDetailSettings, HeightStaysBetweenItsLimits)
{
    struct Case {
        int minHeight, maxHeight, height, expected;
    };
    const Case cases[] = {
        {1, 0, 50, 50},     // no maximum
        {1, 0, -5, 1},      // below the minimum
        {30, 0, 10, 30},
        {1, 60, 100, 60},   // above the maximum
        {0, 0, 0, 0},       // 0 once the minimum allows it
    };
    for (const Case& c : cases) {
        TRowDetailPanelEh* p = grid->RowDetailPanel();
        p->SetMaxHeight(0);
        p->SetMinHeight(c.minHeight);
        p->SetMaxHeight(c.maxHeight);
        p->SetHeight(c.height);
        EXPECT_EQ(p->Height(), c.expected) << c.minHeight << " " << c.maxHeight << " " << c.height;
    }
    // Raising the minimum raises the height; vertical sizing brings it down to the maximum.
    TRowDetailPanelEh* p = grid->RowDetailPanel();
    p->SetMinHeight(1);
    p->SetMaxHeight(0);
    p->SetHeight(40);
    p->SetMinHeight(70);
    EXPECT_EQ(p->Height(), 70);
    p->SetMinHeight(1);
    p->SetHeight(200);
    p->SetMaxHeight(150);
    EXPECT_EQ(p->Height(), 200);
    p->SetVertSizing(true);
    EXPECT_EQ(p->Height(), 150);
}

TEST_F(RowDetailSettings, ColourFollowsTheGridOnlyWithParentColor)
{
    TRowDetailPanelEh* p = grid->RowDetailPanel();
    EXPECT_EQ(p->Color(), grid->FixedColor());
    EXPECT_FALSE(p->IsColorStored());
    p->SetParentColor(true);
    grid->SetColor(clYellow);
    EXPECT_EQ(p->Color(), clYellow);
    EXPECT_FALSE(p->IsColorStored());
    p->SetColor(clRed);
    EXPECT_FALSE(p->ParentColor());
    EXPECT_EQ(p->Color(), clRed);
    EXPECT_TRUE(p->IsColorStored());

    // Assigning another panel copies Active alone.
    auto other = std::make_unique<TRowDetailPanelEh>(grid);
    other->SetActive(true);
    other->SetHeight(33);
    grid->SetRowDetailPanel(other.get());
    EXPECT_TRUE(p->Active());
    EXPECT_EQ(p->Height(), 120);
}

// ---------------------------------------------------------------- glyph presses and keys

TYPED_TEST(RowDetail, APressOnTheGlyphMovesToItsRowAndTogglesThePanel)
{
    TCustomDBGridEh* g = this->grid;
    this->Activate();
    const int top = g->TopDataOffset();
    auto pressAt = [&](int dataRow, int dx) {
        const TRect cell = g->CellRect(1, top + dataRow);
        return g->RowDetailGlyphMouseDown(mbLeft, TShiftState(), cell.Left + dx, cell.Top + 3);
    };
    ASSERT_TRUE(pressAt(2, 5));
    EXPECT_EQ(this->Code(), 3);
    EXPECT_TRUE(this->panel()->Visible());
    // The open row's glyph closes it again; a press right of the strip is not the glyph's.
    ASSERT_TRUE(pressAt(2, 5));
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_FALSE(pressAt(0, RowDetailGlyphWidthEh + 3));
    EXPECT_EQ(this->Code(), 3);
    // From an open panel to another row's glyph: that row's panel opens.
    ASSERT_TRUE(pressAt(2, 5));
    ASSERT_TRUE(pressAt(0, 5));
    EXPECT_EQ(this->Code(), 1);
    EXPECT_TRUE(this->panel()->Visible());
    EXPECT_EQ(this->window()->Top(), g->CellRect(1, top).Top + g->GetDataRowHeight(0));
}

TYPED_TEST(RowDetail, NumpadKeysOpenAndCloseAndCtrlDownMovesTheFocusIn)
{
    TCustomDBGridEh* g = this->grid;
    this->Activate();
    auto* edit = Create<TEdit>(this->form.get());
    edit->SetParent(this->window());
    edit->SetBounds(4, 4, 80, 20);
    g->SetFocus();
    PumpDBGrid();
    struct Step {
        Word key;
        TShiftState shift;
        bool open;
    };
    const Step steps[] = {
        {VK_ADD, {}, true}, {VK_ADD, {}, true}, {VK_SUBTRACT, {}, false},
        {VK_MULTIPLY, {}, true}, {VK_MULTIPLY, {}, false}, {VK_ADD, {ssShift}, false},
    };
    for (const Step& s : steps) {
        Word key = s.key;
        g->RowDetailPanelKeyDown(key, s.shift);
        EXPECT_EQ(this->panel()->Visible(), s.open) << s.key;
    }
    // A row without a panel ignores the keys.
    g->OnCheckRowHaveDetailPanel = [](TCustomDBGridEh*, bool& Has) { Has = false; };
    Word add = VK_ADD;
    g->RowDetailPanelKeyDown(add, TShiftState());
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_EQ(add, VK_ADD);
    g->OnCheckRowHaveDetailPanel = nullptr;

    Word down = VK_DOWN;
    g->RowDetailPanelKeyDown(down, TShiftState{ssCtrl});
    PumpDBGrid();
    EXPECT_EQ(down, 0);
    EXPECT_TRUE(this->panel()->Visible());
    EXPECT_TRUE(edit->Focused());
}
