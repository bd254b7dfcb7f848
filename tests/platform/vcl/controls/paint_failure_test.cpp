// A paint that throws leaves nothing behind: the paint's device context is deleted, the
// canvas is unbound and unlocked, and a context painted onto keeps its state.
#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"
#include "platform/winapi/DCGuards.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

using namespace vcltest;

namespace {

class TFailingControl : public TCustomControl {
public:
    explicit TFailingControl(TComponent* owner) : TCustomControl(owner) {}
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
        throw Exception(QStringLiteral("paint failed"));
    }
};

class TFailingGraphic : public TGraphicControl {
public:
    explicit TFailingGraphic(TComponent* owner) : TGraphicControl(owner) {}

protected:
    void Paint() override
    {
        Canvas()->Font()->SetColor(clBlue);
        throw Exception(QStringLiteral("graphic paint failed"));
    }
};

void Drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(PaintFailure, AThrowingPaintDeletesItsContextAndFreesTheCanvas)
{
    QStringList errors;
    const TExceptionEvent saved = Application->OnException;
    Application->OnException = TExceptionEvent([&](TObject*, Exception* e) { errors << e->Message(); });
    {
        auto formHolder = CreateUnique<TForm>(nullptr);
        TForm& form = *formHolder;
        form.SetBounds(0, 0, 200, 200);
        auto* c = Create<TFailingControl>(&form);
        c->SetParent(&form);
        c->SetBounds(10, 10, 100, 80);
        form.Show();
        Drain();
        const int live = LiveDCCount();
        for (int i = 0; i < 3; ++i)
            c->Widget()->repaint();
        EXPECT_GE(c->Paints, 3);
        EXPECT_EQ(LiveDCCount(), live);
        EXPECT_FALSE(c->Canvas()->HandleAllocated());
        EXPECT_EQ(c->Canvas()->LockCount(), 0);
        ASSERT_FALSE(errors.isEmpty());
        EXPECT_EQ(errors.back(), QStringLiteral("paint failed"));
    }
    Application->OnException = saved;
}

TEST(PaintFailure, PaintToLeavesTheTargetContextAsItFoundIt)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.SetBounds(0, 0, 120, 100);
    auto* g = Create<TFailingGraphic>(&form);
    g->SetParent(&form);
    g->SetBounds(5, 5, 40, 30);

    QImage image(120, 100, QImage::Format_RGB32);
    const TOwnedDC dc(CreateDCForImage(&image));
    TCanvas canvas;
    canvas.SetHandle(dc.get());
    EXPECT_THROW(form.PaintTo(&canvas, 7, 9), Exception);
    EXPECT_FALSE(g->Canvas()->HandleAllocated());
    // No saved state left on the context, and its origin is where it was.
    TPoint org(-1, -1);
    GetViewportOrgEx(dc.get(), org);
    EXPECT_EQ(org, TPoint(0, 0));
    EXPECT_EQ(SaveDC(dc.get()), 1);
    canvas.SetHandle(nullptr);
}
