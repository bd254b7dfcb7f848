// The editor's buttons and keys: spin buttons step the value, Ctrl+Enter and shortcuts act as
// button clicks, wrapped text keeps Up and Down, the image follows the text, the MRU list.
#include "InplaceFixture.h"

namespace {

class ButtonsTest : public InplaceTest {
protected:
    TEditButtonControlEh* MainButton(TDBAxisGridInplaceEdit* e)
    {
        return e->ButtonsBox()->BtnCtlList().at(0).EditButtonControl;
    }
    // A press on the upper or lower half of a spin button.
    void Spin(TDBAxisGridInplaceEdit* e, bool Up)
    {
        TEditButtonControlEh* b = MainButton(e);
        Click(b, b->Width() / 2, Up ? 1 : b->Height() - 2);
    }
    TStringList strings;
};

}  // namespace

TEST_P(ButtonsTest, SpinButtonsStepANumberByTheIncrement)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    Bar(1)->SetButtonStyle(cbsUpDown);
    Bar(1)->SetIncrement(2);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->EditStyle(), esUpDown);
    ASSERT_TRUE(MainButton(e)->Visible());
    Spin(e, true);
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Qty"))->AsInteger(), 7);
    Spin(e, false);
    Spin(e, false);
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Qty"))->AsInteger(), 3);
}

TEST_P(ButtonsTest, SpinFirstWritesTheTypedTextThenSteps)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    Bar(1)->SetButtonStyle(cbsUpDown);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    e->SelectAll();
    Type(e, QStringLiteral("40"));
    Spin(e, true);
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Qty"))->AsInteger(), 41);
}

TEST_P(ButtonsTest, UpOnAListBarMovesToThePreviousItem)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Kind")});
    for (const char* s : {"Metal", "Wood", "Stone"})
        Bar(1)->PickList()->Add(QString::fromLatin1(s));
    Bar(1)->SetButtonStyle(cbsUpDown);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(goods->FieldByName(QStringLiteral("Kind"))->AsString(), QStringLiteral("Metal"));
    Spin(e, true);   // before the first item: the last one
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Kind"))->AsString(), QStringLiteral("Stone"));
    Spin(e, false);
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Kind"))->AsString(), QStringLiteral("Metal"));
}

TEST_P(ButtonsTest, SpinOnAReadOnlyBarChangesNothing)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Qty")});
    Bar(1)->SetButtonStyle(cbsUpDown);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    Bar(1)->SetReadOnly(true);
    e->UpDownClick(e, true);
    EXPECT_EQ(goods->FieldByName(QStringLiteral("Qty"))->AsInteger(), 5);
    EXPECT_EQ(goods->State(), dsBrowse);
}

TEST_P(ButtonsTest, CtrlEnterOnAnEllipsisCellClicksTheButtonAndAddsNoLineBreak)
{
    MakeGrid({QStringLiteral("Name")});
    Bar(0)->SetButtonStyle(cbsEllipsis);
    int clicks = 0;
    Bar(0)->OnEditButtonClick = TButtonClickEventEh([&](TObject*, bool& Handled) {
        ++clicks;
        Handled = true;
    });
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->EditStyle(), esEllipsis);
    const QString before = e->Text();
    Press(e, Qt::Key_Return, Qt::ControlModifier, QString(QChar(10)));
    EXPECT_EQ(grid->GridButtonClicks, 1);
    EXPECT_EQ(e->Text(), before);
    // A mouse click on the button fires the grid's event and then the bar's.
    Click(e->ButtonsBox()->BtnCtlList().at(0).EditButtonControl, 3, 3);
    EXPECT_EQ(grid->GridButtonClicks, 2);
    EXPECT_EQ(clicks, 1);
}

TEST_P(ButtonsTest, CtrlEnterInASingleLinePlainCellAddsNoLineBreak)
{
    MakeGrid({QStringLiteral("Name")});
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    ASSERT_FALSE(e->WordWrap());
    const QString before = e->Text();
    Press(e, Qt::Key_Return, Qt::ControlModifier, QString(QChar(10)));
    EXPECT_EQ(e->Text(), before);
    EXPECT_EQ(grid->GridButtonClicks, 0);
}

TEST_P(ButtonsTest, ShortcutOfAnExtraButtonClicksItAndIsNotTyped)
{
    MakeGrid({QStringLiteral("Name")});
    auto* extra = Bar(0)->EditButtons()->Add();
    extra->SetVisible(true);
    extra->SetShortCut(TShortCut(0x4000 | 'E'));
    int clicks = 0;
    extra->SetOnClick(TButtonClickEventEh([&](TObject*, bool& Handled) {
        ++clicks;
        Handled = true;
    }));
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    const QString before = e->Text();
    Press(e, Qt::Key_E, Qt::ControlModifier, QString(QChar(5)));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e->Text(), before);
    // Other keys still type.
    e->SelectAll();
    Type(e, QStringLiteral("e"));
    EXPECT_EQ(e->Text(), QStringLiteral("e"));
    EXPECT_EQ(clicks, 1);
}

TEST_P(ButtonsTest, ImageFollowsTheTextAndAnUnknownTextShowsTheNotInListImage)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Kind")});
    auto* images = Create<TImageList>(&owner);
    images->SetWidth(16);
    images->SetHeight(16);
    for (const char* s : {"Metal", "Wood"})
        Bar(1)->PickList()->Add(QString::fromLatin1(s));
    Bar(1)->SetImageList(images);
    Bar(1)->SetShowImageAndText(true);
    Bar(1)->SetNotInKeyListIndex(5);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ImageIndex(), 0);
    e->SelectAll();
    Type(e, QStringLiteral("Wo"));
    EXPECT_EQ(e->ImageIndex(), 1);
    Type(e, QStringLiteral("x"));
    EXPECT_EQ(e->ImageIndex(), 5);
    // The text starts after the image.
    TRect r;
    e->GetEditTextRect(r);
    EXPECT_EQ(r.Left, 3 + 16 + 5);
}

TEST_P(ButtonsTest, WrappedTextKeepsUpAndDownInsideUnlessTheGridAlwaysShowsTheEditor)
{
    MakeGrid({QStringLiteral("Name")});
    grid->SetRowHeights(0, 60);
    Bar(0)->SetWordWrap(true);
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->WordWrap());
    e->SetText(QStringLiteral("one\ntwo\nthree"));
    e->SetSelStart(5);   // on the middle line
    e->SetSelLength(0);
    Press(e, Qt::Key_Up);
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_TRUE(e->Visible());
    Press(e, Qt::Key_Up);   // first line, editor not always shown: still inside
    EXPECT_EQ(grid->InplaceEditor(), e);
    EXPECT_TRUE(grid->EditorMode());
}

TEST_P(ButtonsTest, BackspaceInAnEmptyCellOpensTheMRUListAndTypingRefiltersIt)
{
    MakeGrid({QStringLiteral("Name")});
    TMRUListEh* mru = Bar(0)->MRUList();
    mru->SetActive(true);
    mru->Items()->Add(QStringLiteral("Гвоздь"));
    mru->Items()->Add(QStringLiteral("Брус"));
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->MRUList(), mru);
    e->SelectAll();
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    ASSERT_EQ(e->Text(), QString());
    EXPECT_FALSE(mru->DroppedDown());   // emptying the text is not asking for the list
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    EXPECT_TRUE(mru->DroppedDown());
    // Typing narrows the list to the texts that begin with it; no match closes it.
    Type(e, QStringLiteral("б"));
    EXPECT_TRUE(mru->DroppedDown());
    Type(e, QStringLiteral("ы"));
    EXPECT_FALSE(mru->DroppedDown());
    // Escape closes an open list and keeps the text.
    e->SelectAll();
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    ASSERT_TRUE(mru->DroppedDown());
    Press(e, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    EXPECT_FALSE(mru->DroppedDown());
    EXPECT_TRUE(e->Visible());
}

TEST_P(ButtonsTest, MRUItemsFilterByTheirBeginningWithCaseByTheList)
{
    MakeGrid({QStringLiteral("Name")});
    TMRUListEh* mru = Bar(0)->MRUList();
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    e->SetText(QStringLiteral("гв"));
    bool accept = false;
    e->FilterMRUItem(QStringLiteral("Гвоздь"), accept);
    EXPECT_TRUE(accept);
    e->FilterMRUItem(QStringLiteral("Брус"), accept);
    EXPECT_FALSE(accept);
    mru->SetCaseSensitive(true);
    e->FilterMRUItem(QStringLiteral("Гвоздь"), accept);
    EXPECT_FALSE(accept);
    // The list's own filter has the last word, and hears the bar.
    TObject* sender = nullptr;
    mru->OnFilterItem = TFilterMRUItemEventEh([&](TObject* Sender, bool& Accept) {
        sender = Sender;
        Accept = true;
    });
    e->FilterMRUItem(QStringLiteral("Брус"), accept);
    EXPECT_TRUE(accept);
    EXPECT_EQ(sender, Bar(0));
}

INSTANTIATE_TEST_SUITE_P(Data, ButtonsTest, ::testing::Values(TDataKind::MemTable, TDataKind::Query), DataKindName);
