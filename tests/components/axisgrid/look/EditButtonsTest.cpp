// The main and extra edit buttons of a bar: visibility, style, widths, the editor's button
// height, and the box of buttons over a picture cell.
#include "LookFixture.h"

namespace {

class EditButtonsTest : public LookData {};

TEST_F(EditButtonsTest, ButtonStyleIsAViewOfTheMainButton)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    struct {
        TCellButtonStyleEh Style;
        bool Visible;
        TEditButtonStyleEh ButtonStyle;
    } cases[] = {
        {cbsEllipsis, true, ebsEllipsisEh},   {cbsNone, false, ebsDropDownEh},
        {cbsUpDown, true, ebsUpDownEh},       {cbsDropDown, true, ebsDropDownEh},
        {cbsAltUpDown, true, ebsAltUpDownEh}, {cbsAltDropDown, true, ebsAltDropDownEh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(GetEnumName(c.Style).toStdString());
        bar->SetButtonStyle(c.Style);
        EXPECT_EQ(bar->ButtonStyle(), c.Style);
        EXPECT_TRUE(bar->EditButton()->VisibleStored());
        EXPECT_EQ(bar->EditButton()->GetVisible(), c.Visible);
        EXPECT_EQ(bar->EditButton()->Style(), c.ButtonStyle);
    }
    bar->SetButtonStyle(cbsAuto);
    EXPECT_FALSE(bar->EditButton()->VisibleStored());
    // Styles without a cell style of their own read as automatic.
    bar->EditButton()->SetVisible(true);
    bar->EditButton()->SetStyle(ebsPlusEh);
    EXPECT_EQ(bar->ButtonStyle(), cbsAuto);
}

TEST_P(LookDataP, APickListShowsTheButtonUntilStyleNoneAndAgainWithAuto)
{
    TLookGrid* grid = MakeGrid(MakePeople(GetParam()));
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    EXPECT_FALSE(bar->EditButton()->GetVisible());
    bar->PickList()->Add(QStringLiteral("Иванов"));
    EXPECT_TRUE(bar->EditButton()->GetVisible());
    bar->SetButtonStyle(cbsNone);
    EXPECT_FALSE(bar->EditButton()->GetVisible());
    bar->SetButtonStyle(cbsAuto);
    EXPECT_TRUE(bar->EditButton()->GetVisible());
    bar->SetReadOnly(true);
    EXPECT_FALSE(bar->EditButton()->GetVisible()) << "a read-only pick list offers no list";
}

TEST_P(LookDataP, ADateFieldShowsTheButtonUnlessReadOnly)
{
    TLookGrid* grid = MakeGrid(MakePeople(GetParam()));
    TLookBar* born = grid->AddBar(QStringLiteral("Born"));
    TLookBar* id = grid->AddBar(QStringLiteral("Id"));
    EXPECT_TRUE(born->EditButton()->GetVisible());
    EXPECT_FALSE(id->EditButton()->GetVisible());
    born->SetReadOnly(true);
    EXPECT_FALSE(born->EditButton()->GetVisible());
    TLookBar* again = grid->AddBar(QStringLiteral("Born"));
    grid->SetReadOnly(true);
    EXPECT_FALSE(again->EditButton()->GetVisible()) << "a read-only grid makes the bar read-only";
    born->SetReadOnly(false);
    EXPECT_TRUE(born->EditButton()->GetVisible()) << "an own value beats the grid's";
}

TEST_F(EditButtonsTest, ADropDownFormOrAListSourceShowsTheButton)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    EXPECT_FALSE(bar->EditButton()->GetVisible());
    bar->DropDownFormParams()->SetDropDownFormClassName(QStringLiteral("TPeopleForm"));
    EXPECT_TRUE(bar->EditButton()->GetVisible());
    bar->DropDownFormParams()->SetDropDownFormClassName(QString());
    auto* list = Create<TDataSource>(&owner);
    bar->DropDownBox()->SetListSource(list);
    EXPECT_TRUE(bar->EditButton()->GetVisible());
}

TEST_F(EditButtonsTest, SwitchingVisibleStoredKeepsWhatTheButtonShowed)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    bar->PickList()->Add(QStringLiteral("a"));
    TAxisBarMainEditButtonEh* btn = bar->EditButton();
    btn->SetVisibleStored(true);
    EXPECT_TRUE(btn->GetVisible());
    bar->PickList()->Clear();
    EXPECT_TRUE(btn->GetVisible()) << "the own value no longer follows the bar";
    EXPECT_TRUE(btn->IsVisibleStoredInStream());
    btn->SetVisibleStored(false);
    EXPECT_FALSE(btn->GetVisible());
    EXPECT_FALSE(btn->IsVisibleStoredInStream());

    const int before = bar->Changes;
    btn->SetWidth(30);
    bar->EditButtons()->Add();
    EXPECT_GE(bar->Changes, before + 2) << "button changes reach the grid";
}

TEST_F(EditButtonsTest, ButtonWidthsAddUpByGridLookAndThemes)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    const int scroll = GetSystemMetrics(SM_CXVSCROLL);
    const int flat = DefaultEditButtonWidth();
    const int themed = ThemesEnabledEh() ? 0 : 1;
    TEditButtonEh* b1 = bar->EditButtons()->Add();
    TEditButtonEh* b2 = bar->EditButtons()->Add();
    b1->SetWidth(10);
    b2->SetWidth(12);

    // A hidden main button with two extra buttons of 10 and 12.
    bar->SetButtonStyle(cbsNone);
    grid->SetFlatForTest(true);
    EXPECT_EQ(bar->EditButtonsWidth(), 22 + 2 * themed);
    grid->SetFlatForTest(false);
    EXPECT_EQ(bar->EditButtonsWidth(), 22);

    // A visible main button without a width of its own.
    bar->SetButtonStyle(cbsEllipsis);
    EXPECT_EQ(bar->EditButtonsWidth(), scroll + 22);
    EXPECT_EQ(bar->GetEditButtonDefaultWidth(), scroll);
    grid->SetFlatForTest(true);
    EXPECT_EQ(bar->EditButtonsWidth(), flat + themed + 22 + 2 * themed);
    EXPECT_EQ(bar->GetEditButtonDefaultWidth(), flat + themed);

    // Extra buttons without widths; a hidden extra button counts nothing.
    b1->SetWidth(0);
    b2->SetVisible(false);
    bar->EditButton()->SetWidth(16);
    EXPECT_EQ(bar->EditButtonsWidth(), 16 + flat + themed);
    EXPECT_EQ(bar->GetEditButtonDefaultWidth(), 16);
}

TEST_F(EditButtonsTest, EditorButtonHeightComesFromTheNarrowestButtonOnlyWhenAllHaveWidths)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* bar = grid->AddBar(QStringLiteral("Name"));
    grid->SetEditorButtonHeight(18);
    grid->SetDefaultRowHeight(28);
    EXPECT_EQ(bar->CalcInplaceEditorButtonHeight(), 18) << "no widths at all";

    bar->EditButton()->SetWidth(24);
    TEditButtonEh* b[3] = {bar->EditButtons()->Add(), bar->EditButtons()->Add(), bar->EditButtons()->Add()};
    struct {
        int W0, W1, W2, Expected;
    } cases[] = {
        {20, 0, 30, 18},    // one button follows the default: the grid's height
        {20, 26, 30, 28},   // 1.5 x 20 = 30, cut to the row height
        {13, 26, 30, 20},   // 19.5 goes to the even 20
        {15, 26, 30, 22},   // 22.5 goes to the even 22
        {11, 26, 30, 18},   // 16.5 -> 16, below the grid's height
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.W0);
        b[0]->SetWidth(c.W0);
        b[1]->SetWidth(c.W1);
        b[2]->SetWidth(c.W2);
        EXPECT_EQ(bar->CalcInplaceEditorButtonHeight(), c.Expected);
    }
}

// A box of buttons as the grid places it over a picture cell.
class ButtonsBoxTest : public LookData {
protected:
    TLookGrid* grid = nullptr;
    TLookBar* bar = nullptr;
    TEditButtonsBoxEh* box = nullptr;
    QStringList events;

    void SetUp() override
    {
        LookData::SetUp();
        grid = MakeGrid(nullptr);
        grid->SetBounds(0, 0, 400, 200);
        bar = grid->AddBar(QStringLiteral("Photo"));
        box = Create<TEditButtonsBoxEh>(grid);
        box->SetParent(grid);
        box->SetOnCreateEditButtonControl([this](TEditButtonControlEh*& Control) {
            Control = Create<TEditButtonControlEh>(box);
            Control->SetParent(box);
        });
    }

    TEditButtonControlEh* Control(int Index) { return box->BtnCtlList()[size_t(Index)].EditButtonControl; }
};

TEST_F(ButtonsBoxTest, TheBoxTakesTheRightEndOfTheCellAndHidesWithoutButtons)
{
    bar->SetButtonStyle(cbsEllipsis);
    bar->EditButton()->SetWidth(20);
    TEditButtonEh* extra = bar->EditButtons()->Add();
    extra->SetWidth(16);
    const TRect cell{100, 40, 260, 70};
    EXPECT_EQ(bar->GetEditButtonsBoxRect(cell), cell);
    bar->LayoutEditButtonsBox(box, cell);
    ASSERT_EQ(box->ButtonsCount(), 2);
    EXPECT_EQ(box->BtnCtlList()[0].EditButton, bar->EditButton());
    EXPECT_EQ(box->BtnCtlList()[1].EditButton, extra);
    EXPECT_TRUE(box->Visible());
    EXPECT_EQ(box->Left() + box->Width(), cell.Right);
    EXPECT_EQ(box->Width(), box->ButtonsWidth());
    EXPECT_EQ(box->Top(), cell.Top);
    EXPECT_EQ(box->Height(), cell.Height());

    bar->SetButtonStyle(cbsNone);
    extra->SetVisible(false);
    bar->LayoutEditButtonsBox(box, cell);
    EXPECT_FALSE(box->Visible());
}

TEST_F(ButtonsBoxTest, TheDefaultActionGoesToTheMainButtonOrToExtraButtonsWithoutHandlers)
{
    TEditButtonEh* a = bar->EditButtons()->Add();
    TEditButtonEh* b = bar->EditButtons()->Add();
    b->SetOnClick([](TObject*, bool&) {});
    bar->SetButtonStyle(cbsEllipsis);
    bar->LayoutEditButtonsBox(box, TRect{0, 0, 200, 24});
    bar->UpdateEditButtonsBoxState(box);
    EXPECT_TRUE(box->BorderActive());
    EXPECT_TRUE(bar->EditButton()->DefaultAction());
    EXPECT_FALSE(a->DefaultAction());
    EXPECT_FALSE(b->DefaultAction());

    bar->OnEditButtonClick = [](TObject*, bool&) {};
    bar->UpdateEditButtonsBoxState(box);
    EXPECT_FALSE(bar->EditButton()->DefaultAction());
    EXPECT_TRUE(a->DefaultAction());
    EXPECT_FALSE(b->DefaultAction()) << "it has a handler of its own";

    bar->OnEditButtonClick = nullptr;
    bar->SetButtonStyle(cbsNone);
    bar->UpdateEditButtonsBoxState(box);
    EXPECT_FALSE(bar->EditButton()->DefaultAction()) << "a hidden main button cannot act";
    EXPECT_TRUE(a->DefaultAction());
}

TEST_F(ButtonsBoxTest, AClickOnTheMainButtonTellsTheGridFirstForListAndEllipsisStyles)
{
    TEditButtonEh* extra = bar->EditButtons()->Add();
    extra->SetOnClick([this](TObject*, bool& Handled) {
        grid->Events << QStringLiteral("extra click");
        Handled = true;
    });
    bar->OnEditButtonClick = [this](TObject* Sender, bool&) {
        grid->Events << QStringLiteral("bar click");
        EXPECT_EQ(Sender, Control(0));
    };
    for (TCellButtonStyleEh style : {cbsEllipsis, cbsDropDown, cbsAltDropDown, cbsUpDown}) {
        SCOPED_TRACE(GetEnumName(style).toStdString());
        grid->Events.clear();
        bar->SetButtonStyle(style);
        bar->LayoutEditButtonsBox(box, TRect{0, 0, 200, 24});
        bar->EditButtonsBoxClick(Control(0));
        if (style == cbsUpDown)
            EXPECT_EQ(grid->Events, QStringList{QStringLiteral("bar click")});
        else
            EXPECT_EQ(grid->Events, (QStringList{QStringLiteral("grid click"), QStringLiteral("bar click")}));
    }
    grid->Events.clear();
    bar->EditButtonsBoxClick(Control(1));
    EXPECT_EQ(grid->Events, QStringList{QStringLiteral("extra click")});
}

TEST_F(ButtonsBoxTest, ButtonsWithoutHandlersLeaveClicksAndPressesToTheGrid)
{
    TEditButtonEh* extra = bar->EditButtons()->Add();
    bar->SetButtonStyle(cbsUpDown);
    bar->LayoutEditButtonsBox(box, TRect{0, 0, 200, 24});
    bar->UpdateEditButtonsBoxState(box);
    bar->EditButtonsBoxClick(Control(0));
    bool autoRepeat = false, handled = false;
    bar->EditButtonsBoxDown(Control(0), false, autoRepeat, handled);
    EXPECT_EQ(grid->Events, (QStringList{QStringLiteral("default main click"), QStringLiteral("default main down")}));

    // With a handler on the bar the extra button takes the default action.
    grid->Events.clear();
    bar->OnEditButtonClick = [this](TObject*, bool& Handled) {
        grid->Events << QStringLiteral("bar click");
        Handled = true;
    };
    bar->UpdateEditButtonsBoxState(box);
    bar->EditButtonsBoxClick(Control(0));
    bar->EditButtonsBoxClick(Control(1));
    bar->EditButtonsBoxDown(Control(1), false, autoRepeat, handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(grid->Events, (QStringList{QStringLiteral("bar click"), QStringLiteral("default extra click"),
                                         QStringLiteral("default extra down")}));

    // A handled press goes no further.
    grid->Events.clear();
    extra->SetOnDown([](TObject*, bool, bool&, bool& Handled) { Handled = true; });
    bar->UpdateEditButtonsBoxState(box);
    bar->EditButtonsBoxDown(Control(1), false, autoRepeat, handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(grid->Events.isEmpty());
}

TEST_F(ButtonsBoxTest, SetupWiresTheBoxOnlyForAPictureBarWithoutTextEditing)
{
    bar->SetButtonStyle(cbsEllipsis);
    bar->SetupEditButtonsBox(box, TRect{0, 0, 200, 24});
    EXPECT_FALSE(bar->EditButtonsBoxNeeded());
    EXPECT_EQ(box->ButtonsCount(), 0) << "a text bar has an editor for its buttons";
    EXPECT_FALSE(box->OnButtonClick().Assigned());
}

TEST_F(ButtonsBoxTest, APictureBarWiresTheBoxToItselfAndLaysItOut)
{
    auto* photos = Create<TMemTableEh>(&owner);
    photos->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
    photos->CreateDataSet();
    photos->AppendRecord({Variant::Null()});
    auto* source = Create<TDataSource>(&owner);
    source->SetDataSet(photos);
    grid->SetDataSourceProp(source);
    grid->SetDrawGraphicData(true);
    bar->SetFieldName(QStringLiteral("Photo"));
    ASSERT_EQ(bar->GetBarType(), ctGraphicData);
    ASSERT_TRUE(bar->EditButtonsBoxNeeded());
    bar->SetButtonStyle(cbsEllipsis);
    bar->SetupEditButtonsBox(box, TRect{10, 10, 110, 40});
    EXPECT_EQ(box->ButtonsCount(), 1);
    EXPECT_TRUE(box->Visible());
    EXPECT_TRUE(box->BorderActive());
    grid->Events.clear();
    box->OnButtonClick()(Control(0));
    EXPECT_EQ(grid->Events, (QStringList{QStringLiteral("grid click"), QStringLiteral("default main click")}));
    bar->SetTextEditing(true);
    EXPECT_FALSE(bar->EditButtonsBoxNeeded()) << "a text editor carries the buttons then";
}

TEST_F(ButtonsBoxTest, AMouseDownOnTheMainButtonAsksTheBarFirst)
{
    bar->SetButtonStyle(cbsUpDown);
    bar->LayoutEditButtonsBox(box, TRect{0, 0, 200, 24});
    bool top = false;
    bar->OnEditButtonDown = [&](TObject*, bool TopButton, bool& AutoRepeat, bool& Handled) {
        top = TopButton;
        AutoRepeat = true;
        Handled = true;
    };
    bool autoRepeat = false, handled = false;
    bar->EditButtonsBoxDown(Control(0), true, autoRepeat, handled);
    EXPECT_TRUE(top);
    EXPECT_TRUE(autoRepeat);
    EXPECT_TRUE(handled);
}

}
