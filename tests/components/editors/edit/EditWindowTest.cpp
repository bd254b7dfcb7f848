// What the edit asks of its window: the formatting rectangle, the character under a point,
// the caret (where it is, hidden and shown again) and the notice of a user edit.
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"

#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class TNoticeEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
    int Notices = 0;

protected:
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == CN_COMMAND && HIWORD(M.WParam) == EN_CHANGE)
            ++Notices;
        TCustomMaskEdit::Dispatch(M);
    }
};

class EditWindowTest : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TNoticeEdit* edit = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 300, 100);
        edit = Create<TNoticeEdit>(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 22);
        form->Show();
        edit->SetFocus();
        Pump();
    }
};

TEST_F(EditWindowTest, UserEditsAreReportedAndAssignedTextIsNot)
{
    edit->SetText(QStringLiteral("abc"));
    EXPECT_EQ(edit->Notices, 0);
    edit->HandleKeyPress(0, QChar(u'd'), {});
    edit->HandleKeyPress(VK_BACK, QChar(8), {});
    edit->Perform(WM_UNDO, 0, 0);
    EXPECT_EQ(edit->Notices, 3);
    edit->SetEditMask(QStringLiteral("00;1;_"));
    edit->SetSelStart(0);
    edit->HandleKeyPress(0, QChar(u'5'), {});
    EXPECT_EQ(edit->Notices, 4);
}

TEST_F(EditWindowTest, FormattingRectangleAndCharacterUnderAPoint)
{
    edit->SetText(QStringLiteral("WWWW"));
    TRect r(30, 0, 150, 22);
    edit->Perform(EM_SETRECTNP, 0, LPARAM(&r));
    TRect back;
    edit->Perform(EM_GETRECT, 0, LPARAM(&back));
    EXPECT_EQ(back, r);
    // Left of the text: the first character; far right: after the last one.
    EXPECT_EQ(LOWORD(edit->Perform(EM_CHARFROMPOS, 0, MAKELONG(5, 5))), 0);
    EXPECT_EQ(LOWORD(edit->Perform(EM_CHARFROMPOS, 0, MAKELONG(149, 5))), 4);
    const TPoint p2 = edit->PosFromChar(2);
    EXPECT_EQ(LOWORD(edit->Perform(EM_CHARFROMPOS, 0, MAKELONG(p2.X + 1, 5))), 2);
    EXPECT_EQ(HIWORD(edit->Perform(EM_CHARFROMPOS, 0, MAKELONG(p2.X + 1, 5))), 0);
    EXPECT_EQ(edit->Perform(EM_GETLINECOUNT), 1);
    EXPECT_EQ(edit->Perform(EM_LINEFROMCHAR, 3), 0);
}

TEST_F(EditWindowTest, CaretOfTheFocusedEditCanBeFoundHiddenAndShown)
{
    edit->SetText(QStringLiteral("abcd"));
    edit->SetSelStart(2);
    TPoint p;
    ASSERT_TRUE(GetCaretPos(p));
    EXPECT_EQ(p, edit->PosFromChar(2));
    EXPECT_TRUE(HideCaret(edit->Handle()));
    EXPECT_TRUE(HideCaret(edit->Handle()));
    EXPECT_EQ(edit->CaretHideCount(), 2);
    EXPECT_TRUE(ShowCaret(edit->Handle()));
    EXPECT_TRUE(ShowCaret(edit->Handle()));
    EXPECT_FALSE(ShowCaret(edit->Handle()));   // not hidden any more
    EXPECT_EQ(edit->CaretHideCount(), 0);
    edit->Perform(EM_SCROLLCARET);
    form->SetFocus();
    auto* other = Create<TButton>(form.get());
    other->SetParent(form.get());
    other->SetFocus();
    Pump();
    EXPECT_FALSE(GetCaretPos(p));
}

}  // namespace
