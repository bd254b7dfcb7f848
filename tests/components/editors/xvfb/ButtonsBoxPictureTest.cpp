// The buttons box on a real X server: a row of flat buttons with separators between them, at
// the right of its owner, or at the left with the first button at the right end.
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/ExtCtrls.h"
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

uint32_t Sys(TColor c) { return ToRgb(ColorToRGB(c)); }

QImage Shot(TWinControl* c)
{
    QWidget* w = c->Widget();
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QRect Q(const TControl* c) { return QRect(c->Left(), c->Top(), c->Width(), c->Height()); }

// An edit's stand-in: a white field with its buttons box at the side.
struct Row {
    TCustomControl* Owner = nullptr;
    TEditButtonsBoxEh* Box = nullptr;
    std::unique_ptr<TEditButtonEh> DropDown, Ellipsis;

    Row(TForm* Form, int Top, bool RightToLeft)
    {
        Owner = Create<TCustomControl>(Form);
        Owner->SetParent(Form);
        Owner->SetBounds(10, Top, 160, 21);
        Owner->SetColor(clWindow);
        Box = Create<TEditButtonsBoxEh>(Owner);
        Box->SetParent(Owner);
        Box->SetColor(clWindow);
        if (RightToLeft)
            Box->SetBiDiMode(bdRightToLeft);
        DropDown = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(Owner));
        DropDown->SetVisible(true);
        Ellipsis = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(Owner));
        Ellipsis->SetStyle(ebsEllipsisEh);
        Ellipsis->SetVisible(true);

        Box->BeginLayout();
        Box->SetButtonsCount(2);
        Box->SetFlat(true);
        Box->SetMaxButtonHeight(21);
        Box->BtnCtlLine(0).EditButton = DropDown.get();
        Box->BtnCtlLine(1).EditButton = Ellipsis.get();
        Box->EndLayout();
        Box->SetBorderActive(true);
        Box->UpdateEditButtonControlsState();
        const int w = Box->ButtonsWidth();
        Box->SetBounds(RightToLeft ? 0 : 160 - w, 0, w, Box->ButtonHeight());
    }
    TEditButtonControlEh* Ctl(int i) const { return Box->BtnCtlList()[size_t(i)].EditButtonControl; }
    TShape* Sep(int i) const { return Box->BtnCtlList()[size_t(i)].ButtonLine; }
};

TEST(ButtonsBoxOnXServer, FlatButtonsStandInARowWithSeparatorsAtTheirSide)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    // Clear of the other picture tests of this server.
    form->SetBounds(760, 60, 200, 120);
    Row ltr(form.get(), 10, false);
    Row rtl(form.get(), 50, true);
    form->Show();
    Wait(400);

    for (const Row* r : {&ltr, &rtl}) {
        const QImage shot = Shot(r->Box);
        const QImage own = r->Box->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.size(), QSize(r->Box->ButtonsWidth(), r->Box->ButtonHeight()));
        EXPECT_LE(MaxDiff(shot, own), 8);
    }
    const QImage l = Shot(ltr.Box), r = Shot(rtl.Box);
    if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty()) {
        l.save(QString::fromLocal8Bit(dir) + QStringLiteral("/buttonsbox-ltr.png"));
        r.save(QString::fromLocal8Bit(dir) + QStringLiteral("/buttonsbox-rtl.png"));
    }

    // Left to right: drop-down, separator, ellipsis; the last separator lies outside the box.
    const int w0 = ltr.Ctl(0)->Width(), w1 = ltr.Ctl(1)->Width();
    EXPECT_EQ(w0, DefaultEditButtonWidth());
    EXPECT_EQ(ltr.Box->ButtonsWidth(), w0 + 1 + w1);
    EXPECT_EQ(ltr.Box->Left() + ltr.Box->Width(), 160);
    // Narrow flat buttons in a taller field stay near square: 4/3 of their width.
    const int h = ltr.Box->ButtonHeight();
    EXPECT_EQ(h, std::min(21, ScaleByFourThirds(w0, true)));
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(Rgb(l, w0, y), Sys(clBtnFace)) << y;
    // Each face carries its glyph: ink on the face colour, and the two glyphs differ.
    const QImage face0 = l.copy(Q(ltr.Ctl(0))), face1 = l.copy(Q(ltr.Ctl(1)));
    EXPECT_TRUE(InkBox(face0, QColor::fromRgb(Rgb(face0, 1, 1))).isValid());
    EXPECT_TRUE(InkBox(face1, QColor::fromRgb(Rgb(face1, 1, 1))).isValid());
    EXPECT_NE(face0, face1);

    // Right to left: at the owner's left, the drop-down at the row's right end, its separator
    // before it; the faces themselves are the same pictures.
    EXPECT_EQ(rtl.Box->Left(), 0);
    EXPECT_EQ(rtl.Ctl(0)->Left() + rtl.Ctl(0)->Width(), w0 + 1 + w1);
    EXPECT_EQ(r.copy(Q(rtl.Ctl(0))), face0);
    EXPECT_EQ(r.copy(Q(rtl.Ctl(1))), face1);
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(Rgb(r, rtl.Sep(0)->Left(), y), Sys(clBtnFace)) << y;

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Wait(200);
}

}  // namespace
