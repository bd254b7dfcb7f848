#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"

using namespace vcltest;

namespace {

class TClickProbe : public TCustomControl {
public:
    explicit TClickProbe(TComponent* owner) : TCustomControl(owner) {}
    QStringList Log;

protected:
    void MouseDown(TMouseButton b, TShiftState s, int, int) override
    {
        Log << QStringLiteral("down %1%2").arg(int(b)).arg(s.Contains(ssDouble) ? QStringLiteral(" dbl") : QString());
    }
    void DblClick() override { Log << QStringLiteral("dblclick"); }
};

} // namespace

TEST(DoubleClicks, EveryButtonAndControlsThatDoNotWantThem)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    auto* c = Create<TClickProbe>(&form);
    c->SetParent(&form);
    struct Case {
        UINT Msg;
        bool Wanted;
        QStringList Log;
    } cases[] = {
        {WM_LBUTTONDBLCLK, true, {"down 0 dbl", "dblclick"}},
        {WM_RBUTTONDBLCLK, true, {"down 1 dbl"}},
        {WM_MBUTTONDBLCLK, true, {"down 2 dbl"}},
        {WM_LBUTTONDBLCLK, false, {"down 0"}},
        {WM_RBUTTONDBLCLK, false, {"down 1"}},
        {WM_MBUTTONDBLCLK, false, {"down 2"}},
    };
    for (const Case& k : cases) {
        if (k.Wanted)
            c->ControlStyle.Include(csDoubleClicks);
        else
            c->ControlStyle.Exclude(csDoubleClicks);
        c->Log.clear();
        c->Perform(k.Msg, 0, MAKELPARAM(5, 5));
        c->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        c->Perform(WM_CANCELMODE, 0, 0);
        EXPECT_EQ(c->Log, k.Log) << k.Msg << " " << k.Wanted;
    }
}
