// The data-aware edit's face on a real X server: plain, focused, read-only and right to left,
// each grabbed from the screen and compared with what the edit paints.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

class EditPicture : public ::testing::Test {
public:
    std::unique_ptr<TForm> form;
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;
    TDBEditEh* edit = nullptr;
    TDBEditEh* other = nullptr;

    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        form = CreateUnique<TForm>(nullptr);
        // Clear of the other picture tests' windows.
        form->SetBounds(60, 620, 360, 160);
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
        t->CreateDataSet();
        t->AppendRecord({Variant(QStringLiteral("Рога и копыта"))});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        edit = Create<TDBEditEh>(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(20, 20, 220, 24);
        edit->SetDataSource(src);
        edit->SetDataField(QStringLiteral("Name"));
        edit->EditButton()->SetVisible(true);
        other = Create<TDBEditEh>(form.get());
        other->SetParent(form.get());
        other->SetBounds(20, 90, 220, 24);
        form->Show();
        WaitEvents(300);
        form->Widget()->activateWindow();
        other->SetFocus();
        WaitEvents(200);
    }

    // The edit as the screen shows it, checked against the edit's own painting.
    QImage Shot(const char* name)
    {
        WaitEvents(150);
        return ShotAsPainted(edit->Widget(), QStringLiteral("edit-") + QLatin1String(name));
    }
};

TEST_F(EditPicture, PlainFaceShowsTheTextLeftAndTheButtonRight)
{
    const QImage s = Shot("plain");
    const int bw = edit->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    const int textRight = s.width() - bw;
    EXPECT_EQ(Rgb(s, textRight - 4, s.height() / 2), PixelOf(clWindow));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, textRight);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 10);
    EXPECT_LT(last, textRight - 40);
    // The drop-down button's face with its arrow.
    EXPECT_EQ(Rgb(s, textRight + 2, 3), PixelOf(clBtnFace));
    EXPECT_TRUE(InkBox(s.copy(textRight, 0, bw, s.height()), QColor::fromRgb(PixelOf(clBtnFace))).isValid());
}

TEST_F(EditPicture, FocusedFaceShowsTheSelectedText)
{
    const QImage plain = Shot("plain-before-focus");
    edit->SetFocus();
    WaitEvents(200);
    ASSERT_TRUE(edit->Focused());
    const QImage s = Shot("focused");
    EXPECT_NE(s, plain);
    // Entering selects the whole text: its background is the highlight colour.
    EXPECT_EQ(Rgb(s, 3, s.height() / 2), PixelOf(clHighlight));
    EXPECT_EQ(Rgb(s, s.width() - edit->ButtonsBox()->Width() - 4, s.height() / 2), PixelOf(clWindow));
}

TEST_F(EditPicture, ReadOnlyFaceLooksLikeThePlainOne)
{
    const QImage plain = Shot("plain-before-read-only");
    edit->SetReadOnly(true);
    edit->Invalidate();
    const QImage s = Shot("read-only");
    EXPECT_LE(MaxDiff(plain, s), 8);
    edit->SetFocus();
    WaitEvents(200);
    const QImage focused = Shot("read-only-focused");
    auto [first, last] = InkColumns(focused, 2, focused.height() - 2, 0, focused.width() - edit->ButtonsBox()->Width());
    EXPECT_GE(first, 0);   // the text is there, selectable, not editable
    edit->HandleKeyPress(0, QChar(u'x'), {});
    EXPECT_EQ(edit->Text(), QStringLiteral("Рога и копыта"));
}

TEST_F(EditPicture, RightToLeftFacePutsTheButtonLeftAndTheTextRight)
{
    edit->SetBiDiMode(bdRightToLeft);
    edit->RecreateWnd();
    edit->SetBounds(20, 20, 220, 24);
    WaitEvents(200);
    const QImage s = Shot("right-to-left");
    const int bw = edit->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    EXPECT_EQ(edit->ButtonsBox()->Left(), 0);
    EXPECT_EQ(Rgb(s, bw - 3, 3), PixelOf(clBtnFace));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, bw, s.width());
    EXPECT_GT(first, bw + 40);
    EXPECT_GT(last, s.width() - 12);
}

}  // namespace
