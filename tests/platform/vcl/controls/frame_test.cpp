#include "platform/vcl/VclTestSupport.h"

#include "platform/rtl/DataModule.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QWidget>

using namespace vcltest;

namespace {

// A control with a 3-pixel frame of its own, drawn in the emulated non-client area.
class TFramed : public TCustomControl {
    DOV_PERSISTENT(TFramed, TCustomControl)
public:
    explicit TFramed(TComponent* owner) : TCustomControl(owner) {}
    TPoint LastDown{-100, -100};
    int NcClicks = 0;

protected:
    void WMNCCalcSize(TMessage& M) override
    {
        auto* r = reinterpret_cast<TRect*>(M.LParam);
        InflateRect(*r, -3, -3);
    }
    void WMNCPaint(TMessage& M) override
    {
        HDC dc = reinterpret_cast<HDC>(M.LParam);
        FillRect(dc, TRect(0, 0, Width(), Height()), CreateSolidBrush(RGB(0, 0, 255)));
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(TRect(0, 0, 2, 2));   // client (0,0) sits at the frame's inner corner
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { LastDown = TPoint(X, Y); }
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == WM_NCLBUTTONDOWN)
            ++NcClicks;
        TCustomControl::Dispatch(M);
    }
};
DOV_PUBLISHED(TFramed) {}

class TResForm : public TForm {
    DOV_PERSISTENT(TResForm, TForm)
public:
    explicit TResForm(TComponent* owner) : TForm(owner) {}
    TFramed* Box = nullptr;
    int Created = 0;
    void FormCreate(TObject*) { ++Created; }
};
DOV_PUBLISHED(TResForm)
{
    P.Field("Box", &TResForm::Box);
    P.Method("FormCreate", &TResForm::FormCreate);
}

} // namespace

TEST(NonClient, ClientCoordinatesStartInsideTheFrame)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.SetBounds(0, 0, 100, 100);
    auto* f = Create<TFramed>(&form);
    f->SetParent(&form);
    f->SetBounds(10, 10, 40, 30);
    form.Show();
    EXPECT_EQ(f->ClientRect(), TRect(0, 0, 34, 24));
    const QImage img = form.Widget()->grab().toImage();
    EXPECT_EQ(Rgb(img, 10, 10), 0x0000FFu);   // the frame
    EXPECT_EQ(Rgb(img, 13, 13), 0xFF0000u);   // client (0, 0)
    EXPECT_EQ(Rgb(img, 49, 39), 0x0000FFu);
    auto press = [&](int x, int y) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), QPointF(f->Widget()->mapToGlobal(QPoint(x, y))),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->Widget(), &e);
        QMouseEvent r(QEvent::MouseButtonRelease, QPointF(x, y), QPointF(f->Widget()->mapToGlobal(QPoint(x, y))),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->Widget(), &r);
    };
    press(5, 6);
    EXPECT_EQ(f->LastDown, TPoint(2, 3));
    press(1, 1);   // on the frame
    EXPECT_EQ(f->NcClicks, 1);
    EXPECT_EQ(f->LastDown, TPoint(2, 3));
}

TEST(FormResource, FormAndControlsFromText)
{
    RegisterClasses<TFramed, TResForm>();
    RegisterFormResource(QStringLiteral("TResForm"),
                         "object ResForm: TResForm\n"
                         "  Left = 10\n"
                         "  Top = 20\n"
                         "  Width = 300\n"
                         "  Height = 200\n"
                         "  Caption = 'Сверка'\n"
                         "  KeyPreview = True\n"
                         "  OnCreate = FormCreate\n"
                         "  object Box: TFramed\n"
                         "    Left = 5\n"
                         "    Top = 6\n"
                         "    Width = 50\n"
                         "    Height = 40\n"
                         "    Align = alTop\n"
                         "  end\n"
                         "end\n");
    auto formHolder = CreateUnique<TResForm>(nullptr);
    TResForm& form = *formHolder;
    EXPECT_EQ(form.Caption(), QStringLiteral("Сверка"));
    EXPECT_TRUE(form.KeyPreview);
    EXPECT_EQ(form.Created, 1);
    ASSERT_NE(form.Box, nullptr);
    EXPECT_EQ(form.Box->Parent(), &form);
    EXPECT_EQ(form.Box->BoundsRect(), TRect(0, 0, 300, 40));   // aligned once loading ended
    UnRegisterFormResource(QStringLiteral("TResForm"));
}

TEST(ImageList, DrawsEnabledDisabledAndBlended)
{
    auto listHolder = CreateUnique<TImageList>(nullptr);
    TImageList& list = *listHolder;
    list.SetSize(4, 4);
    TBitmap img(8, 4);
    img.Canvas()->Brush()->SetColor(clFuchsia);
    img.Canvas()->FillRect(TRect(0, 0, 8, 4));
    img.Canvas()->Brush()->SetColor(clBlack);
    img.Canvas()->FillRect(TRect(1, 1, 3, 3));
    img.Canvas()->FillRect(TRect(4, 0, 8, 4));
    EXPECT_EQ(list.AddMasked(&img, clFuchsia), 0);   // a strip of two cells
    EXPECT_EQ(list.Count(), 2);

    TBitmap target(20, 6);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 20, 6));
    list.Draw(target.Canvas(), 0, 0, 0, true);
    list.Draw(target.Canvas(), 6, 0, 0, false);
    const QImage& t = target.Image();
    EXPECT_EQ(Rgb(t, 0, 0), 0xFFFFFFu);   // masked
    EXPECT_EQ(Rgb(t, 1, 1), 0x000000u);
    EXPECT_EQ(Rgb(t, 7, 1), ToRgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(Rgb(t, 9, 3), ToRgb(GetSysColor(COLOR_BTNHIGHLIGHT)));   // the embossed copy

    TBitmap blended(4, 4);
    list.DrawEx(blended.Canvas()->Handle(), 1, 0, 0, 0, 0, CLR_NONE, RGB(255, 0, 0), ILD_BLEND50);
    const QColor c = blended.Image().pixelColor(2, 2);
    EXPECT_NEAR(c.red(), 128, 3);
    EXPECT_EQ(c.green(), 0);
}

TEST(Cursors, ShapesAndCursorsFromResources)
{
    EXPECT_EQ(CursorFor(crHourGlass).shape(), Qt::WaitCursor);
    EXPECT_EQ(CursorFor(crSizeWE).shape(), Qt::SizeHorCursor);
    const QString file = QDir::temp().filePath(QStringLiteral("vcl_cursor_test.png"));
    QImage pic(16, 16, QImage::Format_ARGB32);
    pic.fill(Qt::black);
    ASSERT_TRUE(pic.save(file));
    Screen->SetCursors(5, file);
    EXPECT_EQ(CursorFor(5).shape(), Qt::BitmapCursor);
    Screen->SetCursors(5, QString());
    EXPECT_EQ(CursorFor(5).shape(), Qt::ArrowCursor);
    QFile::remove(file);
}

namespace {
class TDropDown : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Cancels = 0;
    TWinControl* CancelTarget = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style |= WS_POPUP;
    }
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == CM_CANCELMODE) {
            ++Cancels;
            CancelTarget = reinterpret_cast<TWinControl*>(M.LParam);
        }
        TCustomControl::Dispatch(M);
    }
};
}

TEST(Popups, NonActivatingToolWindowCancelledByPressesOutside)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.SetBounds(0, 0, 200, 100);
    form.Show();
    auto dropHolder = CreateUnique<TDropDown>(nullptr);
    TDropDown& drop = *dropHolder;
    drop.SetVisible(false);
    drop.SetBounds(20, 120, 80, 60);
    drop.SetVisible(true);
    ASSERT_TRUE(drop.HandleAllocated());
    QWidget* w = drop.Widget();
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(w->isVisible());
    QMouseEvent inside(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &inside);
    EXPECT_EQ(drop.Cancels, 0);
    QMouseEvent outside(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Widget(), &outside);
    EXPECT_EQ(drop.Cancels, 1);
    EXPECT_EQ(drop.CancelTarget, &form);
    drop.SetVisible(false);
    EXPECT_FALSE(w->isVisible());
}
