// Where drop-downs open: below or above their owner, inside the work area of the owner's
// monitor, shrunk where they do not fit, and the size-grip notices they receive.
#include "TwoScreens.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// A drop-down that records the size-grip notices it receives.
class TRecordingDropDown : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<int> Notices;

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == WM_SIZEGRIPNOTIFY_EH)
            Notices.push_back(int(M.WParam));
        TCustomControl::WndProc(M);
    }
};

struct Placement : ::testing::Test {
    std::unique_ptr<TRecordingDropDown> Drop = CreateUnique<TRecordingDropDown>(nullptr);
    TPoint Place(const TRect& owner, int w, int h, TAlignment a = taLeftJustify)
    {
        Drop->SetBounds(0, 0, w, h);
        Drop->Notices.clear();
        TPoint p;
        PlaceDropDownInWorkArea(owner, Drop.get(), a, p);
        return p;
    }
};

}  // namespace

TEST_F(Placement, RunsOnTwoMonitors)
{
    ASSERT_EQ(Screen->MonitorCount(), 2);
    EXPECT_EQ(Screen->Monitors(1)->WorkareaRect, TRect(1280, 100, 2304, 868));
}

// Vertical choice on the left monitor (work area 0..1024): owner rectangles 20 pixels high.
TEST_F(Placement, OpensBelowOrAboveAndShrinksToTheRoom)
{
    struct Case {
        const char* what;
        int ownerTop, height;
        int top, finalHeight, grip;
    } cases[] = {
        {"fits below", 100, 300, 120, 300, sgcpToBottom},
        {"fits exactly below", 704, 300, 724, 300, sgcpToBottom},
        {"not below, fits above", 904, 300, 604, 300, sgcpToTop},
        {"neither, more room above", 700, 800, 0, 700, sgcpToTop},
        {"neither, more room below", 300, 800, 320, 704, sgcpToBottom},
        {"neither, equal room stays below", 502, 600, 522, 502, sgcpToBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TPoint p = Place(TRect(100, c.ownerTop, 200, c.ownerTop + 20), 150, c.height);
        EXPECT_EQ(p.Y, c.top);
        EXPECT_EQ(Drop->Height(), c.finalHeight);
        ASSERT_EQ(Drop->Notices.size(), 2u);
        EXPECT_EQ(Drop->Notices[0], c.grip);
    }
}

TEST_F(Placement, AlignsAndKeepsInsideTheWorkAreaHorizontally)
{
    struct Case {
        const char* what;
        int left, right, width;
        TAlignment align;
        int x, finalWidth, grip;
    } cases[] = {
        {"left", 100, 200, 150, taLeftJustify, 100, 150, sgcpToRight},
        {"right edges meet", 300, 400, 150, taRightJustify, 250, 150, sgcpToLeft},
        {"centred", 300, 400, 150, taCenter, 275, 150, sgcpToRight},
        {"centred, odd difference truncates", 300, 400, 151, taCenter, 275, 151, sgcpToRight},
        {"past the right edge", 1200, 1260, 200, taLeftJustify, 1080, 200, sgcpToLeft},
        {"right-aligned past the left edge", 10, 60, 200, taRightJustify, 0, 200, sgcpToRight},
        {"wider than the work area", 100, 200, 2000, taLeftJustify, 0, 1280, sgcpToLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TPoint p = Place(TRect(c.left, 100, c.right, 120), c.width, 100, c.align);
        EXPECT_EQ(p.X, c.x);
        EXPECT_EQ(Drop->Width(), c.finalWidth);
        ASSERT_EQ(Drop->Notices.size(), 2u);
        EXPECT_EQ(Drop->Notices[1], c.grip);
    }
}

TEST_F(Placement, UsesTheWorkAreaOfTheOwnersMonitor)
{
    // On the right monitor (1280..2304 x 100..868), at its bottom edge: above, inside it.
    TPoint p = Place(TRect(2200, 840, 2290, 860), 200, 300);
    EXPECT_EQ(p, TPoint(2104, 540));
    EXPECT_EQ(Drop->Notices, (std::vector<int>{sgcpToTop, sgcpToLeft}));
    // Its top edge is lower than the left monitor's: a tall list is cut at 100, not at 0.
    p = Place(TRect(1300, 700, 1400, 720), 200, 900);
    EXPECT_EQ(p, TPoint(1300, 100));
    EXPECT_EQ(Drop->Height(), 600);
    // An owner that straddles both monitors belongs to the one that holds more of it.
    p = Place(TRect(1250, 500, 1400, 520), 100, 100, taLeftJustify);
    EXPECT_EQ(p.X, 1280);   // pulled onto the right one
    p = Place(TRect(1200, 500, 1290, 520), 100, 100, taLeftJustify);
    EXPECT_EQ(p.X, 1180);   // kept inside the left one
}

TEST_F(Placement, AnOwnerOutsideEveryMonitorUsesTheNearest)
{
    // Below the right monitor (whose bottom is 868), off the left one's columns.
    EXPECT_EQ(Place(TRect(2000, 950, 2100, 970), 100, 200), TPoint(2000, 750));
    // Right of everything and above the right monitor's top: that one is still the nearest.
    EXPECT_EQ(Place(TRect(2400, 20, 2450, 40), 100, 50), TPoint(2204, 40));
}

TEST_F(Placement, UnderControlUsesTheControlsScreenRectangle)
{
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(1400, 200, 300, 200);
    auto* edit = Create<TCustomControl>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 20, 120, 21);
    form->Show();
    TRect r;
    GetControlScreenRect(edit, r);
    EXPECT_EQ(r, Bounds(1410, 220, 120, 21));
    TPoint p;
    Drop->SetBounds(0, 0, 200, 100);
    PlaceDropDownUnderControl(edit, Drop.get(), taRightJustify, p);
    EXPECT_EQ(p, TPoint(1410 + 120 - 200, 241));
}
