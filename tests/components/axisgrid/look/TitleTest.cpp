// The title of a bar: caption, colours, font and switches that follow the grid until set.
#include "LookFixture.h"

namespace {

class TitleTest : public LookData {};

TEST_P(LookDataP, AnUnassignedCaptionShowsTheFieldsLabelOrTheFieldName)
{
    TDataSet* people = MakePeople(GetParam());
    TLookGrid* grid = MakeGrid(people);
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    TLookBar* missing = grid->AddBar(QStringLiteral("Nickname"));
    EXPECT_EQ(name->Title()->Caption(), QStringLiteral("Name"));
    people->FieldByName(QStringLiteral("Name"))->SetDisplayLabel(QStringLiteral("ФИО"));
    EXPECT_EQ(name->Title()->Caption(), QStringLiteral("ФИО"));
    EXPECT_EQ(missing->Title()->Caption(), QStringLiteral("Nickname"));

    name->Title()->SetCaption(QStringLiteral("Сотрудник"));
    EXPECT_EQ(name->Title()->Caption(), QStringLiteral("Сотрудник"));
    EXPECT_TRUE(name->Title()->IsCaptionStored());
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->DisplayLabel(), QStringLiteral("ФИО"));
}

TEST_P(LookDataP, ADefaultBarsCaptionIsTheFieldsLabel)
{
    TDataSet* people = MakePeople(GetParam());
    TLookGrid* grid = MakeGrid(people);
    TLookBar* name = grid->AddBar(QStringLiteral("Name"));
    name->SetStored(false);
    name->Title()->SetCaption(QStringLiteral("Фамилия"));
    EXPECT_FALSE(name->AssignedValues().Contains(cvTitleCaption));
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->DisplayLabel(), QStringLiteral("Фамилия"));
    EXPECT_EQ(name->Title()->Caption(), QStringLiteral("Фамилия"));
}

TEST_F(TitleTest, TitleSettingsFollowTheGridTitleDefaultsUntilSet)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    TAxisBarCaptionDefValuesEh* def = grid->AxisBarDefValues()->Title();
    def->SetColor(clInfoBk);
    def->SetAlignment(taCenter);
    def->SetEndEllipsis(true);
    def->SetTitleButton(true);
    def->SetToolTips(true);
    def->SetOrientation(tohVertical);
    TAxisBarTitleEh* t = bar->Title();
    EXPECT_EQ(t->Color(), clInfoBk);
    EXPECT_EQ(t->Alignment(), taCenter);
    EXPECT_TRUE(t->EndEllipsis());
    EXPECT_TRUE(t->TitleButton());
    EXPECT_TRUE(t->ToolTips());
    EXPECT_EQ(t->Orientation(), tohVertical);

    t->SetColor(clLime);
    t->SetAlignment(taRightJustify);
    t->SetEndEllipsis(false);
    t->SetTitleButton(false);
    t->SetToolTips(false);
    t->SetOrientation(tohHorizontal);
    def->SetColor(clGray);
    EXPECT_EQ(t->Color(), clLime);
    EXPECT_EQ(t->Alignment(), taRightJustify);
    EXPECT_FALSE(t->EndEllipsis());
    EXPECT_FALSE(t->TitleButton());
    EXPECT_FALSE(t->ToolTips());
    EXPECT_EQ(t->Orientation(), tohHorizontal);
    for (TAxisBarEhValue v : {cvTitleColor, cvTitleAlignment, cvTitleEndEllipsis, cvTitleButton, cvTitleToolTips,
                              cvTitleOrientation})
        EXPECT_TRUE(bar->AssignedValues().Contains(v)) << GetEnumName(v).toStdString();
    EXPECT_TRUE(t->IsColorStored());
    EXPECT_TRUE(t->IsOrientationStored());
}

TEST_F(TitleTest, TitleChangesTellTheBarExceptToolTips)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    TAxisBarTitleEh* t = bar->Title();
    int before = bar->Changes;
    t->SetColor(clRed);
    t->SetEndEllipsis(true);
    EXPECT_EQ(bar->Changes, before + 2);
    t->SetColor(clRed);
    EXPECT_EQ(bar->Changes, before + 2);
    t->SetToolTips(true);
    EXPECT_EQ(bar->Changes, before + 2);

    before = bar->Changes;
    t->Font()->SetSize(15);
    EXPECT_TRUE(bar->AssignedValues().Contains(cvTitleFont));
    EXPECT_GT(bar->Changes, before);
    EXPECT_TRUE(bar->LastAllItems) << "a title font can change the title row's height";
}

TEST_F(TitleTest, TheTitleFontFollowsTheGridsTitleFont)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    grid->TitleFont()->SetSize(16);
    EXPECT_EQ(bar->Title()->Font()->GetSize(), 16);
    EXPECT_FALSE(bar->AssignedValues().Contains(cvTitleFont));
    bar->Title()->Font()->SetStyle(TFontStyles{fsItalic});
    grid->TitleFont()->SetSize(9);
    EXPECT_EQ(bar->Title()->Font()->GetSize(), 16);
    EXPECT_TRUE(bar->Title()->IsFontStored());
}

TEST_F(TitleTest, RestoringDefaultsDropsOwnTitleValuesAndTellsAllItemsOnlyForAFont)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    bar->SetColor(clRed);
    bar->Title()->SetCaption(QStringLiteral("Имя"));
    bar->Title()->SetColor(clLime);
    bar->Title()->RestoreDefaults();
    EXPECT_FALSE(bar->LastAllItems);
    EXPECT_EQ(bar->Title()->Caption(), QStringLiteral("Name"));
    EXPECT_EQ(bar->Title()->Color(), grid->AxisBarDefValues()->Title()->Color());
    EXPECT_TRUE(bar->AssignedValues().Contains(cvColor)) << "the bar's own values are not the title's";

    grid->TitleFont()->SetSize(10);
    bar->Title()->Font()->SetSize(18);
    bar->Title()->RestoreDefaults();
    EXPECT_TRUE(bar->LastAllItems);
    EXPECT_EQ(bar->Title()->Font()->GetSize(), 10);
}

TEST_F(TitleTest, AnImageIndexChangesTheLayoutUnlessTheBarsAreBeingUpdated)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    int before = grid->Layouts;
    bar->Title()->SetImageIndex(2);
    EXPECT_EQ(bar->Title()->ImageIndex(), 2);
    EXPECT_EQ(grid->Layouts, before + 1);
    grid->AxisBars()->BeginUpdate();
    before = grid->Layouts;
    bar->Title()->SetImageIndex(3);
    EXPECT_EQ(grid->Layouts, before);
    grid->AxisBars()->EndUpdate();
}

TEST_F(TitleTest, AssignCopiesFlaggedValuesAndMakesTheRestOwn)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* src = grid->AddBar(QStringLiteral("Name"));
    TLookBar* dst = grid->AddBar(QStringLiteral("Id"));
    src->Title()->SetCaption(QStringLiteral("Имя"));
    src->Title()->SetHint(QStringLiteral("подсказка"));
    grid->AxisBarDefValues()->Title()->SetEndEllipsis(true);
    dst->Title()->Assign(src->Title());
    EXPECT_EQ(dst->Title()->Caption(), QStringLiteral("Имя"));
    EXPECT_EQ(dst->Title()->Hint(), QStringLiteral("подсказка"));
    EXPECT_FALSE(dst->AssignedValues().Contains(cvTitleColor)) << "the source's colour followed the default";
    EXPECT_TRUE(dst->AssignedValues().Contains(cvTitleEndEllipsis));
    grid->AxisBarDefValues()->Title()->SetEndEllipsis(false);
    EXPECT_TRUE(dst->Title()->EndEllipsis());
}

TEST_F(TitleTest, TheGridHearsWhenAMenuOfABarOrTitleIsFreed)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    // Menus of no owner: only a registration tells the grid.
    auto* titleMenu = Create<TPopupMenu>(static_cast<TComponent*>(nullptr));
    auto* barMenu = Create<TPopupMenu>(static_cast<TComponent*>(nullptr));
    auto* otherMenu = Create<TPopupMenu>(static_cast<TComponent*>(nullptr));
    bar->Title()->SetPopupMenu(titleMenu);
    bar->SetPopupMenu(barMenu);
    delete titleMenu;
    delete barMenu;
    delete otherMenu;
    EXPECT_EQ(grid->Removed.count(titleMenu), 1u);
    EXPECT_EQ(grid->Removed.count(barMenu), 1u);
    EXPECT_EQ(grid->Removed.count(otherMenu), 0u);
}

}
