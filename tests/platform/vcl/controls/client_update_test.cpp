#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <functional>

using namespace vcltest;

namespace {

constexpr int kFrame = 3;
constexpr int kClientW = 100, kClientH = 80;

// Client pixels of a given paint generation: 10 x 10 blocks, each of its own colour, so that a
// pixel tells where it was painted and when.
uint32_t Expected(int gen, int x, int y) { return (uint32_t((x / 10) * 25) << 16) | (uint32_t((y / 10) * 25) << 8) | uint32_t(gen * 200); }

// A control with a 3-pixel frame in the emulated non-client area; it notes the clip box of
// each client paint and paints the generation the test asks for.
class TFramedProbe : public TCustomControl {
public:
    explicit TFramedProbe(TComponent* owner) : TCustomControl(owner) {}
    std::vector<TRect> Boxes;
    int Gen = 0;
    COLORREF FrameColor = RGB(0, 0, 255);

protected:
    void WMNCCalcSize(TMessage& M) override { InflateRect(*reinterpret_cast<TRect*>(M.LParam), -kFrame, -kFrame); }
    void WMNCPaint(TMessage& M) override
    {
        HDC dc = reinterpret_cast<HDC>(M.LParam);
        HBRUSH b = CreateSolidBrush(FrameColor);
        FillRect(dc, TRect(0, 0, Width(), Height()), b);
        DeleteObject(b);
    }
    void Paint() override
    {
        Boxes.push_back(Canvas()->ClipRect());
        for (int by = 0; by < kClientH / 10; ++by)
            for (int bx = 0; bx < kClientW / 10; ++bx) {
                const uint32_t c = Expected(Gen, bx * 10, by * 10);
                Canvas()->Brush()->SetColor(TColor(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF)));
                Canvas()->FillRect(Bounds(bx * 10, by * 10, 10, 10));
            }
    }
};

void Drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

class ClientUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = CreateUnique<TForm>(nullptr);
        Form->SetBounds(0, 0, 200, 160);
        Probe = Create<TFramedProbe>(Form.get());
        Probe->SetParent(Form.get());
        Probe->SetBounds(10, 10, kClientW + 2 * kFrame, kClientH + 2 * kFrame);
        Form->Show();
        Drain();
        Reset();
    }
    // Everything painted afresh in generation 0 with a blue frame.
    void Reset()
    {
        Probe->Gen = 0;
        Probe->FrameColor = RGB(0, 0, 255);
        Probe->Widget()->repaint();
        Drain();
        Probe->Boxes.clear();
    }
    QImage Shot() { return QGuiApplication::primaryScreen()->grabWindow(Form->Widget()->winId()).toImage(); }
    // Screen pixel of a client point.
    uint32_t At(const QImage& img, int x, int y)
    {
        const QPoint p = Probe->Widget()->mapTo(Form->Widget(), QPoint(kFrame + x, kFrame + y));
        return Rgb(img, p.x(), p.y());
    }
    // Screen pixel of a window point (frame included).
    uint32_t AtWindow(const QImage& img, int x, int y)
    {
        const QPoint p = Probe->Widget()->mapTo(Form->Widget(), QPoint(x, y));
        return Rgb(img, p.x(), p.y());
    }
    // First client pixel that differs from want(x, y), as text; empty when all match.
    template <class F> std::string Mismatch(const QImage& img, F want)
    {
        for (int y = 0; y < kClientH; ++y)
            for (int x = 0; x < kClientW; ++x)
                if (At(img, x, y) != want(x, y))
                    return "client " + std::to_string(x) + "," + std::to_string(y);
        return {};
    }
    bool FrameIs(const QImage& img, COLORREF c)
    {
        const uint32_t want = ToRgb(c);
        const int w = kClientW + 2 * kFrame, h = kClientH + 2 * kFrame;
        for (int x = 0; x < w; ++x)
            for (int y : {0, kFrame - 1, h - kFrame, h - 1})
                if (AtWindow(img, x, y) != want)
                    return false;
        for (int y = 0; y < h; ++y)
            for (int x : {0, kFrame - 1, w - kFrame, w - 1})
                if (AtWindow(img, x, y) != want)
                    return false;
        return true;
    }

    std::unique_ptr<TForm> Form;
    TFramedProbe* Probe = nullptr;
};

// The address of a temporary, for one call.
const TRect* ptr(const TRect& r) { return &r; }

bool In(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

} // namespace

TEST_F(ClientUpdate, InvalidateRectRepaintsExactlyThatClientRectangle)
{
    const TRect whole(0, 0, kClientW, kClientH);
    struct Case {
        const char* Name;
        bool Null;
        TRect Rect;       // client coordinates
        TRect Repainted;  // empty: nothing
    } cases[] = {
        {"inside", false, TRect(10, 20, 30, 30), TRect(10, 20, 30, 30)},
        {"null means the client area", true, TRect(), whole},
        {"cut at the right and bottom", false, TRect(90, 70, 130, 110), TRect(90, 70, 100, 80)},
        {"cut at the frame's inner corner", false, TRect(-3, -3, 5, 5), TRect(0, 0, 5, 5)},
        {"only frame", false, TRect(-3, 0, 0, 40), TRect()},
        {"inverted", false, TRect(30, 30, 10, 10), TRect()},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        Reset();
        Probe->Gen = 1;
        Probe->FrameColor = RGB(255, 0, 0);   // would show if the frame were repainted
        EXPECT_TRUE(InvalidateRect(Probe->Handle(), k.Null ? nullptr : &k.Rect, false));
        Drain();
        const QImage img = Shot();
        if (IsRectEmpty(k.Repainted)) {
            EXPECT_TRUE(Probe->Boxes.empty());
        } else {
            ASSERT_EQ(Probe->Boxes.size(), 1u);
            EXPECT_EQ(Probe->Boxes[0], k.Repainted);
        }
        EXPECT_EQ(Mismatch(img, [&](int x, int y) { return Expected(In(k.Repainted, x, y) ? 1 : 0, x, y); }), "");
        EXPECT_TRUE(FrameIs(img, RGB(0, 0, 255)));
    }
}

TEST_F(ClientUpdate, UpdateAreaIsKeptInClientCoordinatesAndValidationTakesPartsOut)
{
    HWND h = Probe->Handle();
    TRect r;
    EXPECT_FALSE(GetUpdateRect(h, &r, false));

    InvalidateRect(h, ptr(TRect(10, 10, 30, 30)), false);
    HRGN rgn = CreateRectRgn(50, 50, 60, 60);
    InvalidateRgn(h, rgn, false);
    DeleteRgn(rgn);
    EXPECT_TRUE(GetUpdateRect(h, &r, false));
    EXPECT_EQ(r, TRect(10, 10, 60, 60));

    ValidateRect(h, ptr(TRect(0, 0, 40, 40)));
    EXPECT_TRUE(GetUpdateRect(h, &r, false));
    EXPECT_EQ(r, TRect(50, 50, 60, 60));

    Probe->Gen = 1;
    Drain();
    ASSERT_EQ(Probe->Boxes.size(), 1u);
    EXPECT_EQ(Probe->Boxes[0], TRect(50, 50, 60, 60));
    EXPECT_EQ(Mismatch(Shot(), [&](int x, int y) { return Expected(In(TRect(50, 50, 60, 60), x, y) ? 1 : 0, x, y); }), "");
    EXPECT_FALSE(GetUpdateRect(h, &r, false));
    EXPECT_EQ(r, TRect());

    // Validating everything leaves nothing to paint.
    InvalidateRect(h, nullptr, false);
    ValidateRect(h, nullptr);
    Probe->Boxes.clear();
    Drain();
    EXPECT_TRUE(Probe->Boxes.empty());
}

TEST_F(ClientUpdate, FrameIsRepaintedOnlyWhenAskedFor)
{
    struct Case {
        const char* Name;
        std::function<void()> Act;
        bool Frame;
    } cases[] = {
        {"RedrawWindow client only", [&] { RedrawWindow(Probe->Handle(), nullptr, nullptr, RDW_INVALIDATE); }, false},
        {"RedrawWindow with the frame",
         [&] { RedrawWindow(Probe->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME); }, true},
        {"Invalidate", [&] { Probe->Invalidate(); }, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        Reset();
        Probe->Gen = 1;
        Probe->FrameColor = RGB(255, 0, 0);
        k.Act();
        Drain();
        const QImage img = Shot();
        EXPECT_TRUE(FrameIs(img, k.Frame ? RGB(255, 0, 0) : RGB(0, 0, 255)));
        EXPECT_EQ(Mismatch(img, [](int x, int y) { return Expected(1, x, y); }), "");
        ASSERT_EQ(Probe->Boxes.size(), 1u);
        EXPECT_EQ(Probe->Boxes[0], TRect(0, 0, kClientW, kClientH));
    }

    // A frame-only area given around the client in client coordinates: the left edge alone.
    Reset();
    Probe->Gen = 1;
    Probe->FrameColor = RGB(255, 0, 0);
    RedrawWindow(Probe->Handle(), ptr(TRect(-kFrame, -kFrame, 0, kClientH + kFrame)), nullptr, RDW_INVALIDATE | RDW_FRAME);
    Drain();
    const QImage img = Shot();
    EXPECT_TRUE(Probe->Boxes.empty());
    EXPECT_EQ(AtWindow(img, 1, 20), 0xFF0000u);
    EXPECT_EQ(AtWindow(img, kClientW + kFrame + 1, 20), 0x0000FFu);
}

TEST_F(ClientUpdate, ScrollWindowExMovesClientPixelsAndRepaintsTheUncoveredStrip)
{
    struct Case {
        int Dx, Dy;
        bool NullScroll;
        TRect Scroll;
        TRect Uncovered;
    } cases[] = {
        {0, -10, true, TRect(), TRect(0, 70, 100, 80)},
        {0, 7, true, TRect(), TRect(0, 0, 100, 7)},
        {20, 0, true, TRect(), TRect(0, 0, 20, 80)},
        {-13, 0, false, TRect(20, 10, 70, 50), TRect(57, 10, 70, 50)},
        {0, 10, false, TRect(-5, -5, 50, 40), TRect(0, 0, 50, 10)},   // cut to the client area
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.Dx << "," << k.Dy);
        Reset();
        const TRect area = k.NullScroll ? TRect(0, 0, kClientW, kClientH)
                                        : TRect(std::max(0, k.Scroll.Left), std::max(0, k.Scroll.Top),
                                                std::min(kClientW, k.Scroll.Right), std::min(kClientH, k.Scroll.Bottom));
        Probe->Gen = 1;
        Probe->FrameColor = RGB(255, 0, 0);
        TRect updated;
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int kind = ScrollWindowEx(Probe->Handle(), k.Dx, k.Dy, k.NullScroll ? nullptr : &k.Scroll,
                                        k.NullScroll ? nullptr : &k.Scroll, rgn, &updated, SW_INVALIDATE);
        EXPECT_EQ(kind, SIMPLEREGION);
        EXPECT_EQ(updated, k.Uncovered);
        TRect box;
        GetRgnBox(rgn, box);
        DeleteRgn(rgn);
        EXPECT_EQ(box, k.Uncovered);
        Drain();
        const QImage img = Shot();
        ASSERT_EQ(Probe->Boxes.size(), 1u);
        EXPECT_EQ(Probe->Boxes[0], k.Uncovered);
        EXPECT_EQ(Mismatch(img,
                           [&](int x, int y) {
                               if (In(k.Uncovered, x, y))
                                   return Expected(1, x, y);
                               if (In(area, x, y))
                                   return Expected(0, x - k.Dx, y - k.Dy);
                               return Expected(0, x, y);
                           }),
                  "");
        EXPECT_TRUE(FrameIs(img, RGB(0, 0, 255)));
    }
}

TEST_F(ClientUpdate, WindowGeometryIsTheClientArea)
{
    HWND h = Probe->Handle();
    TRect r;
    ASSERT_TRUE(GetClientRect(h, r));
    EXPECT_EQ(r, TRect(0, 0, kClientW, kClientH));
    TPoint p(0, 0);
    ClientToScreen(h, p);
    EXPECT_EQ(p, Probe->ClientToScreen(TPoint(0, 0)));
    ScreenToClient(h, p);
    EXPECT_EQ(p, TPoint(0, 0));
}
