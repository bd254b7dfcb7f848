// The combo box edit's face on a real X server: plain, focused, read-only and right to left,
// each grabbed from the screen and compared with what the control paints; and its open list.
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

using namespace vcltest;

namespace {

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

uint32_t Sys(TColor c)
{
    return ToRgb(ColorToRGB(c));
}

// Leftmost and rightmost columns with dark ink inside the rows [top, bottom).
std::pair<int, int> InkColumns(const QImage& img, int top, int bottom, int fromX, int toX)
{
    int first = -1, last = -1;
    for (int x = fromX; x < toX; ++x)
        for (int y = top; y < bottom; ++y)
            if (qGray(img.pixel(x, y)) < 110) {
                if (first < 0)
                    first = x;
                last = x;
            }
    return {first, last};
}

// Share of the pixels of row y in [fromX, toX) that have the colour.
double ShareOf(const QImage& img, int y, int fromX, int toX, uint32_t rgb)
{
    int n = 0;
    for (int x = fromX; x < toX; ++x)
        n += Rgb(img, x, y) == rgb;
    return double(n) / std::max(toX - fromX, 1);
}

QImage ScreenOf(QWidget* w)
{
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
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
        form->Show();
        Wait(300);
        for (int i = 0; i < 30 && QApplication::focusWidget() != other->Widget(); ++i) {
            form->Widget()->activateWindow();
            other->SetFocus();
            Wait(100);
        }
    }

    // The control as the screen shows it, checked against the control's own painting.
    QImage Shot(const char* name)
    {
        Wait(150);
        QWidget* w = combo->Widget();
        const QImage shot = ScreenOf(w);
        if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
            shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/combo-%1.png").arg(QLatin1String(name)));
        const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(own.size(), shot.size()) << name;
        if (own.size() == shot.size()) {
            EXPECT_LE(MaxDiff(own, shot), 8) << name;
        }
        return shot;
    }
};

TEST_F(ComboBoxPicture, PlainFaceShowsTheItemLeftAndTheDropDownButtonRight)
{
    ASSERT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
    const QImage s = Shot("plain");
    const int bw = combo->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    const int textRight = s.width() - bw;
    EXPECT_EQ(Rgb(s, textRight - 4, s.height() / 2), Sys(clWindow));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, textRight);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 10);
    EXPECT_LT(last, textRight - 20);
    EXPECT_EQ(Rgb(s, textRight + 2, 3), Sys(clBtnFace));
    EXPECT_TRUE(InkBox(s.copy(textRight, 0, bw, s.height()), QColor::fromRgb(Sys(clBtnFace))).isValid());
}

TEST_F(ComboBoxPicture, FocusedFaceShowsTheSelectedItem)
{
    const QImage plain = Shot("plain-before-focus");
    combo->SetFocus();
    Wait(200);
    ASSERT_TRUE(combo->Focused());
    const QImage s = Shot("focused");
    EXPECT_NE(s, plain);
    // Entering selects the whole item: the highlight lies behind it.
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, s.width() - combo->ButtonsBox()->Width());
    ASSERT_GT(last, first);
    EXPECT_GT(ShareOf(s, s.height() / 2, first, last, Sys(clHighlight)), 0.25);
    EXPECT_EQ(ShareOf(plain, plain.height() / 2, first, last, Sys(clHighlight)), 0.0);
    EXPECT_EQ(Rgb(s, s.width() - combo->ButtonsBox()->Width() - 4, s.height() / 2), Sys(clWindow));
}

TEST_F(ComboBoxPicture, ReadOnlyFaceLooksLikeThePlainOneAndTakesNoValue)
{
    const QImage plain = Shot("plain-before-read-only");
    combo->SetReadOnly(true);
    combo->Invalidate();
    const QImage s = Shot("read-only");
    EXPECT_LE(MaxDiff(plain, s), 8);
    combo->SetFocus();
    Wait(200);
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
    Wait(200);
    const QImage s = Shot("right-to-left");
    const int bw = combo->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    EXPECT_EQ(combo->ButtonsBox()->Left(), 0);
    EXPECT_EQ(Rgb(s, bw - 3, 3), Sys(clBtnFace));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, bw, s.width());
    EXPECT_GT(first, bw + 20);
    EXPECT_GT(last, s.width() - 12);
}

TEST_F(ComboBoxPicture, OpenListLiesUnderTheControlWithTheCurrentItemHighlighted)
{
    combo->SetFocus();
    Wait(200);
    QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
    QApplication::sendEvent(combo->Widget(), &altDown);
    Wait(300);
    ASSERT_TRUE(combo->ListVisible());
    auto* list = dynamic_cast<TPopupListboxEh*>(combo->PopupListbox());
    QWidget* w = list->Widget();
    ASSERT_TRUE(w->isWindow());
    EXPECT_TRUE(w->isVisible());
    // The control keeps the keyboard.
    EXPECT_EQ(QApplication::focusWidget(), combo->Widget());
    const QPoint under = combo->Widget()->mapToGlobal(QPoint(0, combo->Height()));
    EXPECT_EQ(w->y(), under.y());
    const QImage shot = ScreenOf(w);
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/combo-list.png"));
    // The list window's own grab is not compared here: its size grip and last client columns
    // reach the screen later than its rows (a matter of the list window, not of the combo box).
    ASSERT_EQ(shot.size(), QSize(list->Width(), list->Height()));
    EXPECT_EQ(Rgb(shot, shot.width() - 1, shot.height() / 2), Sys(cl3DDkShadow));
    const int h = list->ItemHeight();
    EXPECT_EQ(Rgb(shot, shot.width() - 6, 2 + h + h / 2), Sys(clHighlight));
    EXPECT_EQ(Rgb(shot, shot.width() - 6, 2 + h / 2), Sys(clWindow));
    EXPECT_TRUE(InkBox(shot.copy(2, 2 + 2 * h, shot.width() - 4, h)).isValid());   // "Взаимозачёт"
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(combo->Widget(), &esc);
    Wait(100);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичный расчёт"));
}

}  // namespace
