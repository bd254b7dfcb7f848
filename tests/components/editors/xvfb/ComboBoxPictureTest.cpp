// The combo box edit's face on a real X server: plain, focused, read-only and right to left,
// each grabbed from the screen and compared with what the control paints; and its open list.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QKeyEvent>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

// Share of the pixels of row y in [fromX, toX) that have the colour.
double ShareOf(const QImage& img, int y, int fromX, int toX, uint32_t rgb)
{
    int n = 0;
    for (int x = fromX; x < toX; ++x)
        n += Rgb(img, x, y) == rgb;
    return double(n) / std::max(toX - fromX, 1);
}

class ComboBoxPicture : public ::testing::Test {
public:
    std::unique_ptr<TForm> form;
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;
    TDBComboBoxEh* combo = nullptr;
    TDBEditEh* other = nullptr;

    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        form = CreateUnique<TForm>(nullptr);
        // Clear of the other picture tests' windows.
        form->SetBounds(480, 60, 360, 260);
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Kind"), ftInteger);
        t->CreateDataSet();
        t->AppendRecord({Variant(2)});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        combo = Create<TDBComboBoxEh>(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(20, 20, 220, 24);
        combo->Items()->SetText(QStringLiteral("Наличные\nБезналичный расчёт\nВзаимозачёт"));
        combo->KeyItems()->SetText(QStringLiteral("1\n2\n3"));
        combo->SetDataSource(src);
        combo->SetDataField(QStringLiteral("Kind"));
        other = Create<TDBEditEh>(form.get());
        other->SetParent(form.get());
        other->SetBounds(20, 200, 220, 24);
        ShowAndFocus(form.get(), other);
    }

    // The control as the screen shows it, checked against the control's own painting.
    QImage Shot(const char* name)
    {
        WaitEvents(150);
        return ShotAsPainted(combo->Widget(), QStringLiteral("combo-") + QLatin1String(name));
    }
};

TEST_F(ComboBoxPicture, PlainFaceShowsTheItemLeftAndTheDropDownButtonRight)
{
    ASSERT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
    const QImage s = Shot("plain");
    const int bw = combo->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    const int textRight = s.width() - bw;
    EXPECT_EQ(Rgb(s, textRight - 4, s.height() / 2), PixelOf(clWindow));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, textRight);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 10);
    EXPECT_LT(last, textRight - 20);
    EXPECT_EQ(Rgb(s, textRight + 2, 3), PixelOf(clBtnFace));
    EXPECT_TRUE(InkBox(s.copy(textRight, 0, bw, s.height()), QColor::fromRgb(PixelOf(clBtnFace))).isValid());
}

TEST_F(ComboBoxPicture, FocusedFaceShowsTheSelectedItem)
{
    const QImage plain = Shot("plain-before-focus");
    combo->SetFocus();
    WaitEvents(200);
    ASSERT_TRUE(combo->Focused());
    const QImage s = Shot("focused");
    EXPECT_NE(s, plain);
    // Entering selects the whole item: the highlight lies behind it.
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, s.width() - combo->ButtonsBox()->Width());
    ASSERT_GT(last, first);
    EXPECT_GT(ShareOf(s, s.height() / 2, first, last, PixelOf(clHighlight)), 0.25);
    EXPECT_EQ(ShareOf(plain, plain.height() / 2, first, last, PixelOf(clHighlight)), 0.0);
    EXPECT_EQ(Rgb(s, s.width() - combo->ButtonsBox()->Width() - 4, s.height() / 2), PixelOf(clWindow));
}

TEST_F(ComboBoxPicture, ReadOnlyFaceLooksLikeThePlainOneAndTakesNoValue)
{
    const QImage plain = Shot("plain-before-read-only");
    combo->SetReadOnly(true);
    combo->Invalidate();
    const QImage s = Shot("read-only");
    EXPECT_LE(MaxDiff(plain, s), 8);
    combo->SetFocus();
    WaitEvents(200);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(combo->Widget(), &down);
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
    const QImage focused = Shot("read-only-focused");
    auto [first, last] = InkColumns(focused, 2, focused.height() - 2, 0, focused.width() - combo->ButtonsBox()->Width());
    EXPECT_GE(first, 0);
}

TEST_F(ComboBoxPicture, RightToLeftFacePutsTheButtonLeftAndTheItemRight)
{
    // Unbound, so no numeric field keeps its own alignment.
    combo->SetDataSource(nullptr);
    combo->SetDataField(QString());
    combo->SetValue(Variant(2));
    ASSERT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
    combo->SetBiDiMode(bdRightToLeft);
    combo->RecreateWnd();
    combo->SetBounds(20, 20, 220, 24);
    WaitEvents(200);
    const QImage s = Shot("right-to-left");
    const int bw = combo->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    EXPECT_EQ(combo->ButtonsBox()->Left(), 0);
    EXPECT_EQ(Rgb(s, bw - 3, 3), PixelOf(clBtnFace));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, bw, s.width());
    EXPECT_GT(first, bw + 20);
    EXPECT_GT(last, s.width() - 12);
}

TEST_F(ComboBoxPicture, OpenListLiesUnderTheControlWithTheCurrentItemHighlighted)
{
    combo->SetFocus();
    WaitEvents(200);
    QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
    QApplication::sendEvent(combo->Widget(), &altDown);
    WaitEvents(300);
    ASSERT_TRUE(combo->ListVisible());
    auto* list = dynamic_cast<TPopupListboxEh*>(combo->PopupListbox());
    QWidget* w = list->Widget();
    ASSERT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    // The control keeps the keyboard.
    EXPECT_EQ(QApplication::focusWidget(), combo->Widget());
    const QPoint under = combo->Widget()->mapToGlobal(QPoint(0, combo->Height()));
    EXPECT_EQ(w->y(), under.y());
    const QImage shot = ScreenShot(w, QStringLiteral("combo-list"));
    // The list window's own grab is not compared here: its size grip and last client columns
    // reach the screen later than its rows (a matter of the list window, not of the combo box).
    ASSERT_EQ(shot.size(), QSize(list->Width(), list->Height()));
    EXPECT_EQ(Rgb(shot, shot.width() - 1, shot.height() / 2), PixelOf(cl3DDkShadow));
    const int h = list->ItemHeight();
    EXPECT_EQ(Rgb(shot, shot.width() - 6, 2 + h + h / 2), PixelOf(clHighlight));
    EXPECT_EQ(Rgb(shot, shot.width() - 6, 2 + h / 2), PixelOf(clWindow));
    EXPECT_TRUE(InkBox(shot.copy(2, 2 + 2 * h, shot.width() - 4, h)).isValid());   // "Взаимозачёт"
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(combo->Widget(), &esc);
    WaitEvents(100);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
}

}  // namespace
