#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"
#include "support/DialogScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTimer>
#include <QWidget>

using namespace vcltest;

namespace {

// A control that logs what reaches it.
class TProbe : public TCustomControl {
public:
    explicit TProbe(TComponent* owner) : TCustomControl(owner) {}
    QStringList Log;
    LRESULT DlgCode = 0;
    bool ClearKeyDown = false;
    bool PaintRed = true;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        Log << QStringLiteral("down %1%2").arg(Key).arg(Shift.Contains(ssShift) ? QStringLiteral(" shift") : QString());
        if (ClearKeyDown)
            Key = 0;
    }
    void KeyPress(QChar& Key) override { Log << QStringLiteral("press %1").arg(Key.unicode()); }
    void KeyUp(Word& Key, TShiftState) override { Log << QStringLiteral("up %1").arg(Key); }
    void WMGetDlgCode(TMessage& M) override { M.Result = DlgCode; }
    void WMTimer(TMessage& M) override { Log << QStringLiteral("timer %1").arg(M.WParam); }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        Log << QStringLiteral("mdown %1 %2,%3%4").arg(int(b)).arg(x).arg(y).arg(s.Contains(ssDouble) ? QStringLiteral(" dbl") : QString());
    }
    void MouseUp(TMouseButton b, TShiftState, int x, int y) override { Log << QStringLiteral("mup %1 %2,%3").arg(int(b)).arg(x).arg(y); }
    void DblClick() override { Log << QStringLiteral("dblclick"); }
    void DoClick() override { Log << QStringLiteral("click"); }
    bool DoMouseWheel(TShiftState, int delta, TPoint) override
    {
        Log << QStringLiteral("wheel %1").arg(delta);
        return true;
    }
    void DoEnter() override { Log << QStringLiteral("enter"); }
    void DoExit() override { Log << QStringLiteral("exit"); }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(PaintRed ? clRed : clBlue);
        Canvas()->FillRect(ClientRect());
    }
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == WM_USER + 100) {
            Log << QStringLiteral("user %1").arg(M.WParam);
            return;
        }
        TCustomControl::Dispatch(M);
    }
};

struct FormFixture : ::testing::Test {
    TForm* Form = nullptr;
    TProbe* A = nullptr;
    TProbe* B = nullptr;
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form = Create<TForm>(nullptr);
        Form->SetBounds(10, 10, 200, 100);
        A = Create<TProbe>(Form);
        A->SetParent(Form);
        A->SetBounds(0, 0, 50, 50);
        A->SetTabStop(true);
        B = Create<TProbe>(Form);
        B->SetParent(Form);
        B->SetBounds(60, 0, 50, 50);
        B->SetTabStop(true);
        Form->Show();
        A->SetFocus();
        A->Log.clear();
        B->Log.clear();
    }
    void TearDown() override { delete Form; }
    static void Drain()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(FormFixture, KeyPressGivesDownPressUp)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(A->Widget(), &press);
    QCoreApplication::sendEvent(A->Widget(), &release);
    EXPECT_EQ(A->Log, QStringList({"down 65", "press 97", "up 65"}));
}

TEST_F(FormFixture, ControlCharactersAsThePlatformMakesThem)
{
    struct Case { int Key; Qt::KeyboardModifiers Mods; QString Text; int Vk; int Char; };
    const Case cases[] = {
        {Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"), VK_BACK, 8},
        {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), VK_RETURN, 13},
        {Qt::Key_C, Qt::ControlModifier, QString(QChar(3)), 'C', 3},
    };
    A->DlgCode = DLGC_WANTALLKEYS;
    for (const Case& c : cases) {
        A->Log.clear();
        QKeyEvent press(QEvent::KeyPress, c.Key, c.Mods, c.Text);
        QCoreApplication::sendEvent(A->Widget(), &press);
        ASSERT_EQ(A->Log.size(), 2) << c.Vk;
        EXPECT_EQ(A->Log[0], QStringLiteral("down %1").arg(c.Vk));
        EXPECT_EQ(A->Log[1], QStringLiteral("press %1").arg(c.Char));
        QKeyEvent release(QEvent::KeyRelease, c.Key, c.Mods, c.Text);
        QCoreApplication::sendEvent(A->Widget(), &release);
    }
}

TEST_F(FormFixture, ClearedKeyDownSuppressesThePress)
{
    A->ClearKeyDown = true;
    A->HandleKeyPress('X', QChar(u'x'), {});
    EXPECT_EQ(A->Log, QStringList({"down 88"}));
}

TEST_F(FormFixture, TabMovesFocusUnlessTheControlWantsTabs)
{
    A->HandleKeyPress(VK_TAB, QChar(9), {});
    EXPECT_EQ(A->Log, QStringList({"exit"}));   // the form took the key: no key events
    EXPECT_EQ(Form->ActiveControl(), B);
    EXPECT_EQ(B->Log, QStringList({"enter"}));
    B->HandleKeyRelease(VK_TAB, {});
    B->Log.clear();
    B->HandleKeyPress(VK_TAB, QChar(9), {ssShift});   // backwards
    A->HandleKeyRelease(VK_TAB, {ssShift});           // the release reaches the new focus
    EXPECT_EQ(Form->ActiveControl(), A);
    EXPECT_EQ(B->Log, QStringList({"exit"}));

    EXPECT_EQ(A->Log, QStringList({"exit", "enter", "up 9"}));
    A->Log.clear();
    A->DlgCode = DLGC_WANTTAB;
    A->HandleKeyPress(VK_TAB, QChar(9), {});
    EXPECT_EQ(A->Log, QStringList({"down 9", "press 9"}));
    EXPECT_EQ(Form->ActiveControl(), A);
}

TEST_F(FormFixture, KeyPreviewLetsTheFormSeeKeysFirst)
{
    QStringList formLog;
    Form->KeyPreview = true;
    Form->OnKeyDown = [&](TObject*, Word& k, TShiftState) {
        formLog << QStringLiteral("form %1").arg(k);
        if (k == VK_F5)
            k = 0;
    };
    A->HandleKeyPress(VK_F5, QChar(), {});
    A->HandleKeyPress('Q', QChar(u'q'), {});
    EXPECT_EQ(formLog, QStringList({"form 116", "form 81"}));
    EXPECT_EQ(A->Log, QStringList({"down 81", "press 113"}));
}

TEST_F(FormFixture, MouseClicksDoubleClicksAndCapture)
{
    auto send = [&](QEvent::Type t, QPoint p) {
        QMouseEvent e(t, QPointF(p), QPointF(A->Widget()->mapToGlobal(p)), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(A->Widget(), &e);
    };
    send(QEvent::MouseButtonPress, QPoint(5, 6));
    EXPECT_TRUE(A->MouseCapture());   // held while the button is down
    send(QEvent::MouseButtonRelease, QPoint(5, 6));
    EXPECT_FALSE(A->MouseCapture());
    send(QEvent::MouseButtonPress, QPoint(6, 6));     // within time and distance
    send(QEvent::MouseButtonRelease, QPoint(6, 6));
    send(QEvent::MouseButtonPress, QPoint(6, 6));     // a third press is a new click
    EXPECT_EQ(A->Log, QStringList({"mdown 0 5,6", "click", "mup 0 5,6", "mdown 0 6,6 dbl", "dblclick", "mup 0 6,6",
                                   "mdown 0 6,6"}));
    send(QEvent::MouseButtonRelease, QPoint(6, 6));
    A->Log.clear();
    send(QEvent::MouseButtonPress, QPoint(30, 30));   // too far from the last press
    send(QEvent::MouseButtonRelease, QPoint(30, 30));
    send(QEvent::MouseButtonPress, QPoint(5, 6));     // and again: two single clicks
    EXPECT_FALSE(A->Log.join(u' ').contains(QStringLiteral("dbl")));
    send(QEvent::MouseButtonRelease, QPoint(5, 6));
}

TEST_F(FormFixture, WheelInUnitsOf120)
{
    QWheelEvent e(QPointF(5, 5), QPointF(A->Widget()->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -240),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(A->Widget(), &e);
    EXPECT_EQ(A->Log, QStringList({"wheel -240"}));
}

TEST_F(FormFixture, PostedMessagesAndThePendingQuestion)
{
    PostMessage(A->Handle(), WM_USER + 100, 7, 0);
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, A->Handle(), WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessage(m, B->Handle(), WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
    EXPECT_TRUE(A->Log.isEmpty());
    Drain();
    EXPECT_EQ(A->Log, QStringList({"user 7"}));
    EXPECT_FALSE(PeekMessage(m, A->Handle(), WM_USER + 100, WM_USER + 100, PM_NOREMOVE));
}

TEST_F(FormFixture, TimersReachTheControlById)
{
    SetTimer(A->Handle(), 3, 10);
    QElapsedTimer clock;
    clock.start();
    while (A->Log.isEmpty() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    KillTimer(A->Handle(), 3);
    ASSERT_FALSE(A->Log.isEmpty());
    EXPECT_EQ(A->Log[0], QStringLiteral("timer 3"));
}

TEST_F(FormFixture, PaintingGoesThroughTheCanvas)
{
    const QImage img = Form->Widget()->grab().toImage();
    EXPECT_EQ(Rgb(img, 10, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(img, 80, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(img, 150, 80), ToRgb(GetSysColor(COLOR_BTNFACE)));   // the form's own colour
}

TEST_F(FormFixture, AlignAndAnchorsFollowTheParent)
{
    auto* top = Create<TProbe>(Form);
    top->SetParent(Form);
    top->SetHeight(20);
    top->SetAlign(alTop);
    EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 200, 20));
    B->SetAnchors({akTop, akRight});
    Form->SetWidth(300);
    EXPECT_EQ(top->Width(), 300);
    EXPECT_EQ(B->Left(), 160);
}

namespace {
class TThrower : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool Silent = false;

protected:
    void KeyDown(Word&, TShiftState) override
    {
        if (Silent)
            Abort();
        throw EInvalidOperation(QStringLiteral("Bad key"));
    }
};
}

TEST(Application, ExceptionsStopAtTheDispatchBoundary)
{
    testsupport::TDialogScript boxes;
    boxes.Then(IDOK);
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    auto* t = Create<TThrower>(&form);
    t->SetParent(&form);
    form.Show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_NO_THROW(QCoreApplication::sendEvent(t->Widget(), &press));
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, QStringLiteral("Bad key."));
    t->Silent = true;
    QCoreApplication::sendEvent(t->Widget(), &press);
    EXPECT_EQ(boxes.Calls.size(), 1u);   // EAbort shows nothing
}

TEST(Forms, ShowModalEndsWithModalResultAndCloseQuery)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    int asked = 0;
    form.OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
    QTimer::singleShot(10, [&] { form.SetModalResult(mrOk); });
    QTimer::singleShot(60, [&] { form.SetModalResult(mrOk); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(asked, 2);   // the first close was refused
    EXPECT_FALSE(form.Visible());
}

TEST(Forms, CloseActions)
{
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.Show();
    TCloseAction action = caNone;
    form.OnClose = [&](TObject*, TCloseAction& a) { a = action; };
    form.Close();
    EXPECT_TRUE(form.Visible());
    action = caHide;
    form.Close();
    EXPECT_FALSE(form.Visible());
}

TEST(Forms, ScreenKnowsFormsAndMonitors)
{
    const int before = Screen->FormCount();
    {
        auto fHolder = CreateUnique<TForm>(nullptr);
        TForm& f = *fHolder;
        EXPECT_EQ(Screen->FormCount(), before + 1);
        EXPECT_EQ(Screen->Forms(before), &f);
    }
    EXPECT_EQ(Screen->FormCount(), before);
    ASSERT_GE(Screen->MonitorCount(), 1);
    EXPECT_FALSE(IsRectEmpty(Screen->WorkAreaRect()));
}

TEST(Application, RunEndsWhenTheMainFormCloses)
{
    TForm* main = Create<TForm>(nullptr);
    Application->SetMainForm(main);
    bool shown = false;
    main->OnShow = [&](TObject*) { shown = true; };
    int idle = 0;
    Application->OnIdle = [&](TObject*, bool&) { ++idle; };
    QTimer::singleShot(20, [&] { main->Close(); });
    Application->Run();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_GT(idle, 0);
    Application->OnIdle = nullptr;
    delete main;
    EXPECT_EQ(Application->MainForm(), nullptr);
    Application->Initialize();   // a fresh start clears the terminated flag
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(FormFixture, EnterGoesToTheFormWhenTheControlDoesNotWantIt)
{
    int formKeys = 0;
    struct TDefault : TCustomControl {
        using TCustomControl::TCustomControl;
        int* Hits = nullptr;
        void Dispatch(TMessage& M) override
        {
            if (M.Msg == CM_DIALOGKEY && M.WParam == VK_RETURN) {
                ++*Hits;
                M.Result = 1;
                return;
            }
            TCustomControl::Dispatch(M);
        }
    };
    auto* def = Create<TDefault>(Form);
    def->Hits = &formKeys;
    def->SetParent(Form);
    A->HandleKeyPress(VK_RETURN, QChar(13), {});
    EXPECT_EQ(formKeys, 1);          // a default button took it
    EXPECT_TRUE(A->Log.isEmpty());   // no key events, no character
    A->DlgCode = DLGC_WANTALLKEYS;
    A->HandleKeyPress(VK_RETURN, QChar(13), {});
    EXPECT_EQ(formKeys, 1);
    EXPECT_EQ(A->Log, QStringList({"down 13", "press 13"}));
}
