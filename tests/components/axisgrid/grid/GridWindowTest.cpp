// The axis grid as a window: showing the editor, focus and the selection's activity, the keys it
// wants, the hosted editors' queries, the edit-buttons box, timer 1.
#include "support/AxisGridFixtures.h"

#include <QWidget>

using namespace testsupport;

namespace {

class GridWindow : public AxisGridOverMemTable {
public:
    TDBEditEh* other = nullptr;

    void SetUp() override
    {
        AxisGridOverMemTable::SetUp();
        grid->SetBounds(5, 5, 400, 200);
        other = Create<TDBEditEh>(form.get());
        other->SetParent(form.get());
        other->SetBounds(5, 220, 100, 21);
        form->Show();
        form->Widget()->activateWindow();
        PumpGrid();
    }
    void Focus(TWinControl* c)
    {
        c->SetFocus();
        PumpGrid();
    }
};

TEST_F(GridWindow, SelectionIsActiveWhileTheGridHasTheFocus)
{
    Focus(grid);
    EXPECT_TRUE(grid->GetSelectionActive());
    EXPECT_TRUE(grid->SelectionActive());
    Focus(other);
    EXPECT_FALSE(grid->GetSelectionActive());
    EXPECT_FALSE(grid->SelectionActive());
}

TEST_F(GridWindow, AcquireFocusTakesTheFocusUnlessTurnedOff)
{
    Focus(other);
    grid->SetAcquireFocusFlag(false);
    EXPECT_TRUE(grid->AcquireFocus());
    PumpGrid();
    EXPECT_FALSE(grid->Focused());
    grid->SetAcquireFocusFlag(true);
    EXPECT_TRUE(grid->AcquireFocus());
    EXPECT_TRUE(grid->Focused());
}

TEST_F(GridWindow, EditorShowsOnlyForABarThatEditsText)
{
    TGridOptionsEh options = grid->Options();
    options.Include(goEditingEh);
    options.Include(goAlwaysShowEditorEh);
    grid->SetOptions(options);
    grid->SetEditorMode(true);
    grid->Selected = 1;
    EXPECT_TRUE(grid->CanEditShow());
    grid->AxisBars()->Items(1)->SetTextEditing(false);
    EXPECT_FALSE(grid->CanEditShow());
    grid->AxisBars()->Items(1)->SetTextEditing(true);
    grid->BeginLayout();
    EXPECT_FALSE(grid->CanEditShow());
    grid->EndLayout();
    grid->Selected = 7;
    EXPECT_FALSE(grid->CanEditShow());
}

TEST_F(GridWindow, EscapeIsWantedWhileTheRecordIsModified)
{
    TMessage m{CM_WANTSPECIALKEY, VK_ESCAPE, 0, 0};
    grid->Dispatch(m);
    EXPECT_EQ(m.Result, 0);
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Дзета"));
    m.Result = 0;
    grid->Dispatch(m);
    EXPECT_NE(m.Result, 0);
    table->Cancel();
}

TEST_F(GridWindow, DownMouseTimeIsHandedOutOnce)
{
    TPoint pos;
    int time = -1;
    grid->GetDownMousePosAndTime(pos, time);
    EXPECT_EQ(time, 0);
    EXPECT_EQ(pos, grid->ClientToScreen(TPoint(0, 0)));
}

TEST_F(GridWindow, EditButtonsBoxIsMadeOnceAndHiddenForATextBar)
{
    EXPECT_FALSE(grid->IsEditButtonsBoxVisible());
    TEditButtonsBoxEh* box = grid->GetEditButtonsBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(grid->GetEditButtonsBox(), box);
    EXPECT_EQ(box->Parent(), grid);
    EXPECT_FALSE(box->Visible());
    box->SetVisible(true);
    grid->Selected = 1;
    grid->UpdateEditButtonsBox();
    EXPECT_FALSE(box->Visible());
}

TEST_F(GridWindow, TimerRestartsOnlyForANewInterval)
{
    grid->StartTimer(200);
    EXPECT_TRUE(grid->TimerActive());
    grid->StartTimer(200);
    grid->StartTimer(60);
    EXPECT_EQ(grid->TimerInterval(), 60);
    grid->StopTimer();
    EXPECT_FALSE(grid->TimerActive());
    EXPECT_EQ(grid->TimerInterval(), -1);
}

TEST_F(GridWindow, BaseSelectionAndTitleFontAreLeftToDescendants)
{
    auto* plain = Create<TCustomDBAxisGridEh>(form.get());
    EXPECT_EQ(plain->SelectedIndex(), -1);
    EXPECT_EQ(plain->SelectedField(), nullptr);
    EXPECT_THROW(plain->SetSelectedIndexProp(0), Exception);
    EXPECT_EQ(plain->GetEditText(0, 0), QStringLiteral("Must be rewrited in the inherited class"));
    EXPECT_EQ(plain->GetAxisBarsPropertyName(), QStringLiteral("<Define property Name>"));
    // One center of default actions for every grid.
    ASSERT_NE(plain->GetCenter(), nullptr);
    EXPECT_EQ(plain->GetCenter(), grid->GetCenter());
}

}  // namespace

// A change of screen density: the grid's own font and bounds scale; the title font, a bar's own
// font and a bar title's own font each keep their own size relation; fonts that follow the
// grid follow it.
TEST_F(GridWindow, ScalingKeepsEveryOwnFontInProportion)
{
    TAxisBarEh* plain = grid->AxisBars()->Add();
    plain->SetFieldName(QStringLiteral("Name"));
    TAxisBarEh* own = grid->AxisBars()->Add();
    own->SetFieldName(QStringLiteral("Sum"));
    grid->SetParentFont(false);
    grid->Font()->SetSize(8);
    grid->TitleFont()->SetSize(10);
    own->Font()->SetSize(12);
    own->Title()->Font()->SetSize(6);
    grid->SetBounds(10, 20, 400, 200);

    grid->ScaleBy(3, 2);

    struct {
        const char* what;
        int size;
        int expected;
    } fonts[] = {{"grid", grid->Font()->GetSize(), 12},
                 {"title", grid->TitleFont()->GetSize(), 15},
                 {"bar's own", own->Font()->GetSize(), 18},
                 {"bar title's own", own->Title()->Font()->GetSize(), 9},
                 {"bar following the grid", plain->Font()->GetSize(), 12}};
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.what);
        EXPECT_EQ(f.size, f.expected);
    }
    EXPECT_EQ(grid->BoundsRect(), Bounds(15, 30, 600, 300));

    grid->ScaleBy(4, 4);   // no change of density
    EXPECT_EQ(own->Font()->GetSize(), 18);
}
