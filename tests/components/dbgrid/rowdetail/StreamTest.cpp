// A data grid written to a form stream and read back: its detail window with a nested grid on
// it, the panel's settings and its events bound to the form's handlers.
#include "support/DBGridFixtures.h"

#include "platform/rtl/Filer.h"

using namespace testsupport;

namespace {

class TDetailForm : public TForm {
    DOV_PERSISTENT(TDetailForm, TForm)
public:
    explicit TDetailForm(TComponent* AOwner) : TForm(AOwner) {}
    TDBGridEh* MainGrid = nullptr;
    TDBGridEh* NestedGrid = nullptr;
    int Checks = 0;
    int Shows = 0;
    void MainGridCheckRowHaveDetailPanel(TCustomDBGridEh*, bool&) { ++Checks; }
    void MainGridRowDetailPanelShow(TCustomDBGridEh*, bool&) { ++Shows; }
};

DOV_PUBLISHED(TDetailForm)
{
    P.Field("MainGrid", &TDetailForm::MainGrid);
    P.Field("NestedGrid", &TDetailForm::NestedGrid);
    P.Method("MainGridCheckRowHaveDetailPanel", &TDetailForm::MainGridCheckRowHaveDetailPanel);
    P.Method("MainGridRowDetailPanelShow", &TDetailForm::MainGridRowDetailPanelShow);
}

// A form with a grid whose detail window holds a second grid, both owned by the form.
std::unique_ptr<TDetailForm> MakeForm()
{
    auto form = CreateUnique<TDetailForm>(nullptr);
    form->SetName(QStringLiteral("DetailForm"));
    form->SetBounds(0, 0, 500, 400);
    auto* grid = Create<TDBGridEh>(form.get());
    grid->SetName(QStringLiteral("MainGrid"));
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 480, 380);
    grid->RowDetailPanel()->SetActive(true);
    grid->RowDetailPanel()->SetHeight(90);
    auto* nested = Create<TDBGridEh>(form.get());
    nested->SetName(QStringLiteral("NestedGrid"));
    nested->SetParent(grid->RowDetailPanelControl());
    nested->SetBounds(2, 3, 150, 60);
    nested->SetAlign(alClient);
    nested->Columns()->Add()->SetFieldName(QStringLiteral("NSF"));
    form->MainGrid = grid;
    form->NestedGrid = nested;
    grid->OnCheckRowHaveDetailPanel = decltype(grid->OnCheckRowHaveDetailPanel)(
        static_cast<TDetailForm*>(form.get()), &TDetailForm::MainGridCheckRowHaveDetailPanel);
    grid->OnRowDetailPanelShow = decltype(grid->OnRowDetailPanelShow)(static_cast<TDetailForm*>(form.get()),
                                                                       &TDetailForm::MainGridRowDetailPanelShow);
    return form;
}

}  // namespace

TEST(RowDetailStream, TheNestedGridComesBackOnTheNewGridsDetailWindow)
{
    RegisterClasses<TDBGridEh, TDetailForm>();
    const auto source = MakeForm();
    const QString text = ComponentToText(source.get());
    // Each grid writes its window once, inside itself, the nested grid inside the main grid's
    // window; the grids' own scroll bar panels are not written.
    EXPECT_EQ(text.count(QStringLiteral("object RowDetailData: TRowDetailPanelControlEh")), 2) << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("object MainGrid")), text.indexOf(QStringLiteral("object RowDetailData")));
    EXPECT_LT(text.indexOf(QStringLiteral("object RowDetailData")), text.indexOf(QStringLiteral("object NestedGrid")));
    EXPECT_FALSE(text.contains(QStringLiteral("ScrollBarPanelControl"))) << text.toStdString();
    // Only the nested grid's columns are its own; each collection is written once.
    EXPECT_EQ(text.count(QStringLiteral("Columns = <")), 1) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("RowDetailPanel.Active = True"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("OnRowDetailPanelShow = MainGridRowDetailPanelShow")));

    auto copy = CreateUnique<TDetailForm>(nullptr);
    ReadComponentRes(text.toUtf8(), copy.get());
    ASSERT_NE(copy->MainGrid, nullptr);
    ASSERT_NE(copy->NestedGrid, nullptr);
    TDBGridEh* grid = copy->MainGrid;
    EXPECT_TRUE(grid->RowDetailPanel()->Active());
    EXPECT_EQ(grid->RowDetailPanel()->Height(), 90);
    // The grid keeps its one window; the nested grid lives on it and belongs to the form.
    EXPECT_EQ(copy->NestedGrid->Parent(), grid->RowDetailPanelControl());
    EXPECT_EQ(copy->NestedGrid->Owner(), copy.get());
    EXPECT_EQ(grid->RowDetailPanelControl()->Owner(), grid);
    EXPECT_EQ(grid->RowDetailPanelControl()->Name(), QStringLiteral("RowDetailData"));
    int windows = 0;
    for (int i = 0; i < grid->ComponentCount(); ++i)
        if (dynamic_cast<TRowDetailPanelControlEh*>(grid->Components(i)))
            ++windows;
    EXPECT_EQ(windows, 1);
    ASSERT_EQ(copy->NestedGrid->Columns()->Count(), 1);
    EXPECT_EQ(copy->NestedGrid->Columns()->Items(0)->FieldName(), QStringLiteral("NSF"));
    EXPECT_EQ(copy->NestedGrid->Align(), alClient);

    // The events reach the new form's handlers.
    bool flag = true;
    grid->OnCheckRowHaveDetailPanel(grid, flag);
    grid->OnRowDetailPanelShow(grid, flag);
    EXPECT_EQ(copy->Checks, 1);
    EXPECT_EQ(copy->Shows, 1);

    // Written again, the copy reads the same.
    EXPECT_EQ(ComponentToText(copy.get()).toStdString(), text.toStdString());
}

TEST(RowDetailStream, AGridWrittenAloneReadsBack)
{
    RegisterClasses<TDBGridEh>();
    auto form = CreateUnique<TForm>(nullptr);
    auto* grid = Create<TDBGridEh>(form.get());
    grid->SetName(QStringLiteral("Grid"));
    grid->SetParent(form.get());
    grid->RowDetailPanel()->SetActive(true);
    grid->RowDetailPanel()->SetWidth(200);
    const QString text = ComponentToText(grid);
    EXPECT_FALSE(text.contains(QStringLiteral("ScrollBarPanelControl"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("object RowDetailData")), 1) << text.toStdString();

    auto* other = Create<TDBGridEh>(form.get());
    other->SetName(QStringLiteral("Other"));
    other->SetParent(form.get());
    ReadComponentRes(text.toUtf8(), other);
    EXPECT_TRUE(other->RowDetailPanel()->Active());
    EXPECT_EQ(other->RowDetailPanel()->Width(), 200);
    EXPECT_EQ(other->RowDetailPanelControl()->Parent(), other);
}
