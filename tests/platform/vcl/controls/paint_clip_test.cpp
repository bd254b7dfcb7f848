#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"

#include <QCoreApplication>
#include <QWidget>

using namespace vcltest;

namespace {

// A control with a 3-pixel frame that notes the clip box of each paint.
class TClipProbe : public TCustomControl {
public:
    explicit TClipProbe(TComponent* owner) : TCustomControl(owner) {}
    std::vector<TRect> Boxes;

protected:
    void WMNCCalcSize(TMessage& M) override { InflateRect(*reinterpret_cast<TRect*>(M.LParam), -3, -3); }
    void Paint() override
    {
        Boxes.push_back(Canvas()->ClipRect());
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
    }
};

void Drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(PaintClip, ClipBoxIsTheUpdatedPartInClientCoordinates)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.SetBounds(0, 0, 200, 200);
    auto* c = Create<TClipProbe>(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 106, 86);   // client 100 x 80
    form.Show();
    Drain();
    c->Boxes.clear();

    struct Case {
        QRect Updated;   // window coordinates, frame included
        TRect Expected;  // client coordinates
    } cases[] = {
        {QRect(13, 23, 20, 10), TRect(10, 20, 30, 30)},
        {QRect(0, 0, 106, 86), TRect(0, 0, 100, 80)},      // the frame is not client area
        {QRect(100, 70, 30, 30), TRect(97, 67, 100, 80)},  // cut at the client's edge
    };
    for (const Case& k : cases) {
        c->Boxes.clear();
        c->Widget()->repaint(k.Updated);
        ASSERT_EQ(c->Boxes.size(), 1u);
        EXPECT_EQ(c->Boxes[0], k.Expected) << k.Updated.x() << "," << k.Updated.y();
    }

    // Two separate parts: the box spans both.
    c->Boxes.clear();
    c->Widget()->repaint(QRegion(QRect(3, 3, 5, 5)).united(QRect(53, 43, 5, 5)));
    ASSERT_EQ(c->Boxes.size(), 1u);
    EXPECT_EQ(c->Boxes[0], TRect(0, 0, 55, 45));
}
