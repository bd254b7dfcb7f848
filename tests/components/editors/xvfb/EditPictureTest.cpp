// The data-aware edit's face on a real X server: plain, focused, read-only and right to left,
// each grabbed from the screen and compared with what the edit paints.
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QElapsedTimer>
#include <QGuiApplication>
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
        Wait(300);
        form->Widget()->activateWindow();
        other->SetFocus();
        Wait(200);
    }

    // The edit as the screen shows it, checked against the edit's own painting.
    QImage Shot(const char* name)
    {
        Wait(150);
        QWidget* w = edit->Widget();
        const QPoint g = w->mapToGlobal(QPoint(0, 0));
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
            shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/edit-%1.png").arg(QLatin1String(name)));
        const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(own.size(), shot.size()) << name;
        if (own.size() == shot.size()) {
            EXPECT_LE(MaxDiff(own, shot), 8) << name;
        }
        return shot;
    }
};

TEST_F(EditPicture, PlainFaceShowsTheTextLeftAndTheButtonRight)
{
    const QImage s = Shot("plain");
    const int bw = edit->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    const int textRight = s.width() - bw;
    EXPECT_EQ(Rgb(s, textRight - 4, s.height() / 2), Sys(clWindow));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, 0, textRight);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 10);
    EXPECT_LT(last, textRight - 40);
    // The drop-down button's face with its arrow.
    EXPECT_EQ(Rgb(s, textRight + 2, 3), Sys(clBtnFace));
    EXPECT_TRUE(InkBox(s.copy(textRight, 0, bw, s.height()), QColor::fromRgb(Sys(clBtnFace))).isValid());
}

TEST_F(EditPicture, FocusedFaceShowsTheSelectedText)
{
    const QImage plain = Shot("plain-before-focus");
    edit->SetFocus();
    Wait(200);
    ASSERT_TRUE(edit->Focused());
    const QImage s = Shot("focused");
    EXPECT_NE(s, plain);
    // Entering selects the whole text: its background is the highlight colour.
    EXPECT_EQ(Rgb(s, 3, s.height() / 2), Sys(clHighlight));
    EXPECT_EQ(Rgb(s, s.width() - edit->ButtonsBox()->Width() - 4, s.height() / 2), Sys(clWindow));
}

TEST_F(EditPicture, ReadOnlyFaceLooksLikeThePlainOne)
{
    const QImage plain = Shot("plain-before-read-only");
    edit->SetReadOnly(true);
    edit->Invalidate();
    const QImage s = Shot("read-only");
    EXPECT_LE(MaxDiff(plain, s), 8);
    edit->SetFocus();
    Wait(200);
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
    Wait(200);
    const QImage s = Shot("right-to-left");
    const int bw = edit->ButtonsBox()->Width();
    ASSERT_GT(bw, 0);
    EXPECT_EQ(edit->ButtonsBox()->Left(), 0);
    EXPECT_EQ(Rgb(s, bw - 3, 3), Sys(clBtnFace));
    auto [first, last] = InkColumns(s, 2, s.height() - 2, bw, s.width());
    EXPECT_GT(first, bw + 40);
    EXPECT_GT(last, s.width() - 12);
}

}  // namespace
