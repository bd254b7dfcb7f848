// What the window's form resource sets up beyond its controls: the menu bar with its
// shortcuts, the tabs, the result grid's grouping, group footers and indicator title, and the
// handlers of the result views bound to their controls' events.
#include "MainWindowFixture.h"

#include "components/gridtools/core/DBGridEhGrouping.h"
#include "platform/vcl/PopupMenus.h"

#include "support/WidgetInput.h"

#include <QMenuBar>

using namespace mainwintest;

namespace {

void PressKey(TWinControl* c, Qt::Key key) { testsupport::PressKey(c->Widget(), key); }
void ClickAt(TWinControl* c, TPoint p) { testsupport::LeftClick(c->Widget(), QPoint(p.X, p.Y)); }

}  // namespace

TEST_F(MainWindow, TheMenuIsTheWindowsMenuBarAndTheClientAreaKeepsItsSize)
{
    Start();
    EXPECT_EQ(w->Menu(), w->MainMenu);
    EXPECT_EQ(w->ClientWidth(), 1087);
    EXPECT_EQ(w->ClientHeight(), 669);
    w->Show();
    ASSERT_NE(w->MenuBar(), nullptr);
    QStringList tops;
    for (QAction* a : w->MenuBar()->actions())
        tops << a->text();
    EXPECT_EQ(tops, (QStringList{"Сверка", "Экспорт", "Настройки"}));
    EXPECT_EQ(w->TopPanel->Widget()->geometry().top(), w->MenuBar()->height());
}

TEST_F(MainWindow, F5FromAnyControlSavesAndIsRefusedBeforeAnyRun)
{
    Start();
    w->Show();
    user.Then(mrOk);
    PressKey(w->InvDBGridEh, Qt::Key_F5);
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_EQ(user.Calls[0].Text, QStringLiteral("Данные для сохранения не найдены."));

    // While a job runs the top-level items are disabled: F5 and F6 start nothing.
    w->StateMMBtn->SetEnabled(false);
    PressKey(w->FirstDTP, Qt::Key_F5);
    PressKey(w->FirstDTP, Qt::Key_F6);
    EXPECT_EQ(user.Calls.size(), 1u);
    EXPECT_FALSE(w->JobState()->Running());
    EXPECT_FALSE(w->MenuBar()->actions().at(0)->isEnabled());
}

TEST_F(MainWindow, TheTabsAreTheFourPagesAndChoosingOneClosesOpenDetailPanels)
{
    Start();
    ASSERT_EQ(w->MainPageControl->PageCount(), 4);
    TTabSheet* const sheets[] = {w->InvTabSheet, w->DuplicatesFilialTabSheet, w->DuplicatesOblpoTabSheet, w->InfoSheet};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(w->MainPageControl->Pages(i), sheets[i]) << i;
    EXPECT_EQ(w->MainPageControl->ActivePage(), w->InvTabSheet);
    // The result grid fills its page.
    EXPECT_EQ(w->InvDBGridEh->Width(), w->InvTabSheet->ClientWidth());
    EXPECT_EQ(w->InvDBGridEh->Height(), w->InvTabSheet->ClientHeight());

    w->Show();
    w->InvDBGridEh->RowDetailPanel()->SetVisible(true);
    w->DuplicatesOblpoDBGridEh->RowDetailPanel()->SetVisible(true);
    const TRect tab = w->MainPageControl->TabRect(1);
    ClickAt(w->MainPageControl, TPoint((tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2));
    EXPECT_EQ(w->MainPageControl->ActivePage(), w->DuplicatesFilialTabSheet);
    EXPECT_FALSE(w->InvDBGridEh->RowDetailPanel()->Visible());
    EXPECT_FALSE(w->DuplicatesOblpoDBGridEh->RowDetailPanel()->Visible());
}

TEST_F(MainWindow, TheResultGridGroupsByCounterpartyWithCreamSumsInTheGroupRow)
{
    Start();
    TDBGridEh* g = w->InvDBGridEh;
    ASSERT_EQ(g->Columns()->Count(), 17);
    EXPECT_FALSE(g->Columns()->Items(0)->Visible());
    EXPECT_FALSE(g->Columns()->Items(16)->Visible());
    EXPECT_TRUE(g->Columns()->Items(1)->Visible());
    EXPECT_TRUE(g->IndicatorTitle()->TitleButton);

    TGridDataGroupsEh* grouping = g->DataGrouping();
    EXPECT_TRUE(grouping->Active());
    ASSERT_EQ(grouping->GroupLevels()->Count(), 1);
    EXPECT_EQ(grouping->GroupLevels()->Items(0)->Color(), clCream);
    EXPECT_TRUE(grouping->GroupRowDefValues()->FooterInGroupRow());
    ASSERT_EQ(grouping->Footers()->Count(), 1);
    TGridDataGroupFooterEh* footer = grouping->Footers()->Items(0);
    EXPECT_TRUE(footer->Visible());
    EXPECT_EQ(footer->Color(), clCream);
    ASSERT_EQ(footer->ColumnItems()->Count(), 17);
    for (int i = 0; i < 17; ++i) {
        const bool sum = i >= 8 && i <= 11;
        EXPECT_EQ(footer->ColumnItems()->Items(i)->ValueType(), sum ? gfvSumEh : gfvNonEh) << i;
    }
}

TEST_F(MainWindow, TheResultViewsHandlersAreBoundToTheirControls)
{
    Start();
    TfrmComparer* f = w.get();
    EXPECT_EQ(f->FilterBtn->OnClick, TNotifyEvent(f, &TfrmComparer::FilterBtnClick));
    EXPECT_EQ(f->ClearFilterBtn->OnClick, TNotifyEvent(f, &TfrmComparer::ClearFilterBtnClick));
    EXPECT_EQ(f->ShowFiltersBtn->OnClick, TNotifyEvent(f, &TfrmComparer::ShowFiltersBtnClick));
    EXPECT_EQ(f->StatePM->OnPopup, TNotifyEvent(f, &TfrmComparer::StatePMPopup));
    EXPECT_EQ(f->SetHidePMBtn->OnClick, TNotifyEvent(f, &TfrmComparer::SetHidePMBtnClick));
    EXPECT_EQ(f->SetNotHidePMBtn->OnClick, TNotifyEvent(f, &TfrmComparer::SetNotHidePMBtnClick));
    EXPECT_EQ(f->ShowAllStatePMBtn->OnClick, TNotifyEvent(f, &TfrmComparer::ShowAllStatePMBtnClick));
    EXPECT_EQ(f->ShowNotHideStatePMBtn->OnClick, TNotifyEvent(f, &TfrmComparer::ShowNotHideStatePMBtnClick));
    EXPECT_EQ(f->InvDBGridEh->OnSortMarkingChanged, TNotifyEvent(f, &TfrmComparer::InvDBGridEhSortMarkingChanged));
    using CheckEvent = Delegate<void(TCustomDBGridEh*, bool&)>;
    EXPECT_EQ(f->InvDBGridEh->OnCheckRowHaveDetailPanel,
              CheckEvent(f, &TfrmComparer::InvDBGridEhCheckRowHaveDetailPanel));
    EXPECT_EQ(f->InvDBGridEh->OnRowDetailPanelShow, CheckEvent(f, &TfrmComparer::InvDBGridEhRowDetailPanelShow));
    EXPECT_EQ(f->DuplicatesOblpoDBGridEh->OnRowDetailPanelShow,
              CheckEvent(f, &TfrmComparer::DuplicatesOblpoDBGridEhRowDetailPanelShow));

    // One of them through a real click: the tool panel's button shows the filter panel.
    f->Show();
    ClickAt(f->ShowFiltersBtn, TPoint(10, 10));
    EXPECT_TRUE(f->FiltersPanel->Visible());
    EXPECT_EQ(f->ShowFiltersBtn->Caption(), QStringLiteral("Скрыть фильтры"));
}
