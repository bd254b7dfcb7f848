#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/HintWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

using namespace vcltest;

namespace {

// A control whose CM_HINTSHOW / CM_HINTSHOWPAUSE answers the test sets.
class THinted : public TCustomControl {
public:
    explicit THinted(TComponent* owner) : TCustomControl(owner) {}
    std::function<LRESULT(THintInfo&)> OnHint;
    int PauseOverride = -1;
    int PauseSeen = -1;
    bool ActiveSeen = false;
    int HintShows = 0;

    void WndProc(TMessage& M) override
    {
        if (M.Msg == CM_HINTSHOW) {
            ++HintShows;
            if (OnHint)
                M.Result = OnHint(*reinterpret_cast<THintInfo*>(M.LParam));
            return;
        }
        if (M.Msg == CM_HINTSHOWPAUSE) {
            int& pause = *reinterpret_cast<int*>(M.LParam);
            PauseSeen = pause;
            ActiveSeen = M.WParam != 0;
            if (PauseOverride >= 0)
                pause = PauseOverride;
            return;
        }
        TCustomControl::WndProc(M);
    }
};

// A hint window class of its own: notes the data it is given and paints in its font.
class TFontHintWindow : public THintWindow {
    DOV_PERSISTENT(TFontHintWindow, THintWindow)
public:
    explicit TFontHintWindow(TComponent* owner) : THintWindow(owner) {}
    static inline void* LastData = nullptr;
    TRect CalcHintRect(int MaxWidth, const QString& AHint, void* AData) override
    {
        LastData = AData;
        if (AData)
            Canvas()->Font()->Assign(static_cast<TFont*>(AData));
        return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
    }
};
DOV_PUBLISHED(TFontHintWindow) {}

struct HintFixture : ::testing::Test {
    TForm* Form = nullptr;
    THinted* A = nullptr;
    THinted* B = nullptr;
    THintManager* M = nullptr;

    void SetUp() override
    {
        Application->HintPause = 500;
        Application->HintShortPause = 50;
        Application->HintHidePause = 2500;
        Application->ShowHint = true;
        Application->OnShowHint = {};
        HintWindowClass = &THintWindow::StaticClassInfo();
        M = Application->HintManager();
        Form = Create<TForm>(nullptr);
        Form->SetBounds(100, 100, 300, 200);
        Form->SetShowHint(true);
        A = Create<THinted>(Form);
        A->SetParent(Form);
        A->SetBounds(0, 0, 100, 50);
        A->Hint = QStringLiteral("Сохранить|Сохраняет сверку в файл");
        B = Create<THinted>(Form);
        B->SetParent(Form);
        B->SetBounds(150, 0, 100, 50);
        B->Hint = QStringLiteral("Обновить");
        Form->Show();
        Drain();
    }
    void TearDown() override
    {
        Application->CancelHint();
        delete Form;
        Application->OnShowHint = {};
        HintWindowClass = &THintWindow::StaticClassInfo();
    }
    static void Drain()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    static void Move(TControl* c, int x, int y) { c->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    bool Showing() const { return M->HintShowing(); }
    QString Shown() const { return M->Window() ? M->Window()->Caption() : QString(); }
};

} // namespace

TEST_F(HintFixture, ShowsShortHintAfterPauseBelowCursor)
{
    Move(A, 10, 20);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(M->HintControl(), A);
    EXPECT_EQ(A->PauseSeen, 500);
    EXPECT_FALSE(A->ActiveSeen);
    M->ShowTimerExpired();
    ASSERT_TRUE(Showing());
    EXPECT_EQ(Shown(), QStringLiteral("Сохранить"));
    const TPoint cursor = A->ClientToScreen(TPoint(10, 20));
    THintWindow* w = M->Window();
    EXPECT_EQ(w->Left(), cursor.X);
    EXPECT_GT(w->Top(), cursor.Y);
    EXPECT_TRUE(w->Widget()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(w->Widget()->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(HintFixture, RealTimersShowAndHide)
{
    Application->HintPause = 20;
    Application->HintHidePause = 60;
    Move(A, 10, 10);
    QElapsedTimer clock;
    clock.start();
    while (!Showing() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    ASSERT_TRUE(Showing());
    while (Showing() && clock.elapsed() < 4000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_FALSE(Showing());
}

TEST_F(HintFixture, ShowHintFollowsParentUntilSetOwn)
{
    EXPECT_TRUE(A->ShowHint());
    EXPECT_TRUE(A->ParentShowHint());
    Form->SetShowHint(false);
    EXPECT_FALSE(A->ShowHint());
    B->SetShowHint(true);
    EXPECT_FALSE(B->ParentShowHint());
    Form->SetShowHint(true);
    Form->SetShowHint(false);
    EXPECT_TRUE(B->ShowHint());   // its own setting stays

    // A control without ShowHint gets no hint, and the pending one goes.
    Move(B, 5, 5);
    EXPECT_EQ(M->HintControl(), B);
    Move(A, 5, 5);
    EXPECT_EQ(M->HintControl(), nullptr);
    M->ShowTimerExpired();
    EXPECT_FALSE(Showing());

    // A child placed later takes its parent's setting.
    auto* late = Create<THinted>(Form);
    late->SetParent(B);
    EXPECT_TRUE(late->ShowHint());
}

TEST_F(HintFixture, HintTextComesFromParentChain)
{
    A->Hint.clear();
    Form->Hint = QStringLiteral("Окно сверки|подробно");
    Move(A, 5, 5);
    M->ShowTimerExpired();
    EXPECT_EQ(Shown(), QStringLiteral("Окно сверки"));
    EXPECT_EQ(GetLongHint(Form->Hint), QStringLiteral("подробно"));
    EXPECT_EQ(GetShortHint(QStringLiteral("без черты")), QStringLiteral("без черты"));
}

TEST_F(HintFixture, HintShowMayChangeOrRefuse)
{
    struct Case {
        const char* name;
        std::function<LRESULT(THintInfo&)> handler;
        bool shows;
        QString text;
    };
    const std::vector<Case> cases = {
        {"refused", [](THintInfo&) { return LRESULT(1); }, false, {}},
        {"emptied", [](THintInfo& i) { i.HintStr.clear(); return LRESULT(0); }, false, {}},
        {"replaced", [](THintInfo& i) { i.HintStr = QStringLiteral("Полный текст ячейки"); return LRESULT(0); }, true,
         QStringLiteral("Полный текст ячейки")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Application->CancelHint();
        A->OnHint = c.handler;
        Move(A, 5, 5);
        M->ShowTimerExpired();
        EXPECT_EQ(Showing(), c.shows);
        if (c.shows) {
            EXPECT_EQ(Shown(), c.text);
        }
    }
}

TEST_F(HintFixture, HintInfoDefaultsAndPosition)
{
    THintInfo seen;
    A->OnHint = [&](THintInfo& i) {
        seen = i;
        i.HintPos = A->ClientToScreen(TPoint(0, A->Height()));
        return LRESULT(0);
    };
    Application->HintColor = clYellow;
    Move(A, 7, 9);
    M->ShowTimerExpired();
    Application->HintColor = clInfoBk;
    EXPECT_EQ(seen.HintControl, A);
    EXPECT_EQ(seen.CursorPos, TPoint(7, 9));
    EXPECT_EQ(seen.CursorRect, A->ClientRect());
    EXPECT_EQ(seen.HintColor, clYellow);
    EXPECT_EQ(seen.HideTimeout, 2500);
    EXPECT_EQ(seen.HintWindowClass, &THintWindow::StaticClassInfo());
    EXPECT_EQ(seen.HintStr, QStringLiteral("Сохранить"));
    ASSERT_TRUE(Showing());
    const TPoint corner = A->ClientToScreen(TPoint(0, A->Height()));
    EXPECT_EQ(M->Window()->Left(), corner.X);
    EXPECT_EQ(M->Window()->Top(), corner.Y);
    EXPECT_EQ(M->Window()->Color(), clYellow);
}

TEST_F(HintFixture, CursorRectScopesTheHint)
{
    // Per-cell hints: the hint stays inside its cell and is asked again outside it.
    A->OnHint = [](THintInfo& i) {
        const int cell = i.CursorPos.X / 50;
        i.CursorRect = TRect(cell * 50, 0, cell * 50 + 50, 50);
        i.HintStr = QStringLiteral("ячейка %1").arg(cell);
        return LRESULT(0);
    };
    Move(A, 10, 10);
    M->ShowTimerExpired();
    EXPECT_EQ(Shown(), QStringLiteral("ячейка 0"));
    Move(A, 40, 30);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(A->HintShows, 1);
    Move(A, 60, 10);
    // A hint was up: the next one waits the short pause only.
    EXPECT_TRUE(A->ActiveSeen);
    EXPECT_EQ(A->PauseSeen, 50);
    M->ShowTimerExpired();
    EXPECT_EQ(Shown(), QStringLiteral("ячейка 1"));
}

TEST_F(HintFixture, ShortPauseBetweenControlsAndPauseOverride)
{
    Application->HintShortPause = 0;
    Move(A, 5, 5);
    M->ShowTimerExpired();
    ASSERT_TRUE(Showing());
    Move(B, 5, 5);
    EXPECT_TRUE(Showing());   // no wait
    EXPECT_EQ(Shown(), QStringLiteral("Обновить"));

    Application->CancelHint();
    B->PauseOverride = 0;   // a control may ask for its tool tip at once
    Move(B, 6, 6);
    EXPECT_EQ(B->PauseSeen, 500);
    EXPECT_TRUE(Showing());
}

TEST_F(HintFixture, HiddenByKeyClickLeaveTimeoutAndDestruction)
{
    struct Case {
        const char* name;
        std::function<void(HintFixture&)> act;
    };
    const std::vector<Case> cases = {
        {"key", [](HintFixture& f) { f.A->Perform(WM_KEYDOWN, VK_DOWN, 0); }},
        {"click", [](HintFixture& f) { f.A->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }},
        {"leave", [](HintFixture& f) { f.A->Perform(CM_MOUSELEAVE, 0, 0); }},
        {"form leave", [](HintFixture& f) { f.Form->Perform(CM_MOUSELEAVE, 0, 0); }},
        {"cancel", [](HintFixture&) { Application->CancelHint(); }},
        {"timeout", [](HintFixture& f) { f.M->HideTimerExpired(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Application->CancelHint();
        Move(A, 5, 5);
        M->ShowTimerExpired();
        ASSERT_TRUE(Showing());
        c.act(*this);
        EXPECT_FALSE(Showing());
    }
    // After the timeout (the last case) the hint does not come back while the mouse stays.
    Move(A, 6, 6);
    M->ShowTimerExpired();
    EXPECT_FALSE(Showing());

    Application->CancelHint();
    Move(B, 5, 5);
    M->ShowTimerExpired();
    ASSERT_TRUE(Showing());
    delete B;
    B = nullptr;
    EXPECT_FALSE(Showing());
    EXPECT_EQ(M->HintControl(), nullptr);
}

TEST_F(HintFixture, ApplicationSwitchAndOnShowHint)
{
    Application->ShowHint = false;
    Move(A, 5, 5);
    EXPECT_EQ(M->HintControl(), nullptr);
    Application->ShowHint = true;

    bool refuse = false;
    struct Sink {
        bool* Refuse;
        QString Seen;
        void Handle(QString& s, bool& can, THintInfo& info)
        {
            Seen = s;
            if (*Refuse)
                can = false;
            else
                s = QStringLiteral("%1 (%2)").arg(s).arg(info.HintControl == nullptr ? 0 : 1);
        }
    } sink{&refuse, {}};
    Application->OnShowHint = TShowHintEvent(&sink, &Sink::Handle);
    Move(A, 5, 5);
    M->ShowTimerExpired();
    EXPECT_EQ(sink.Seen, QStringLiteral("Сохранить"));
    EXPECT_EQ(Shown(), QStringLiteral("Сохранить (1)"));
    Application->CancelHint();
    refuse = true;
    Move(A, 5, 5);
    M->ShowTimerExpired();
    EXPECT_FALSE(Showing());
}

TEST_F(HintFixture, ActivateHintShowsAtOnceForTheControlUnderThePoint)
{
    Move(A, 5, 5);
    Application->ActivateHint(B->ClientToScreen(TPoint(5, 5)));
    EXPECT_TRUE(Showing());
    EXPECT_EQ(M->HintControl(), B);
    EXPECT_EQ(Shown(), QStringLiteral("Обновить"));
    EXPECT_EQ(FindDragTarget(B->ClientToScreen(TPoint(5, 5)), true), B);
    EXPECT_EQ(FindVCLWindow(Form->ClientToScreen(TPoint(290, 190))), Form);
}

TEST_F(HintFixture, WindowClassAndDataFromHintInfo)
{
    TFont big;
    big.SetSize(20);
    A->OnHint = [&](THintInfo& i) {
        i.HintWindowClass = &TFontHintWindow::StaticClassInfo();
        i.HintData = &big;
        return LRESULT(0);
    };
    Move(A, 5, 5);
    M->ShowTimerExpired();
    ASSERT_TRUE(Showing());
    EXPECT_NE(dynamic_cast<TFontHintWindow*>(M->Window()), nullptr);
    EXPECT_EQ(TFontHintWindow::LastData, &big);
    const int bigHeight = M->Window()->Height();

    // Back to the plain class for the next control: a smaller window of the plain kind.
    Move(B, 5, 5);
    M->ShowTimerExpired();
    ASSERT_TRUE(Showing());
    EXPECT_EQ(dynamic_cast<TFontHintWindow*>(M->Window()), nullptr);
    EXPECT_LT(M->Window()->Height(), bigHeight);
}

// ---------------------------------------------------------------- the window itself

TEST(HintWindow, CalcHintRectWrapsAtMaxWidth)
{
    auto wHolder = CreateUnique<THintWindow>(nullptr);
    THintWindow& w = *wHolder;
    const QString word = QStringLiteral("Счёт-фактура");
    const TRect one = w.CalcHintRect(1000, word, nullptr);
    EXPECT_EQ(one.Left, 0);
    EXPECT_EQ(one.Top, 0);
    TBitmap bmp(10, 10);
    bmp.Canvas()->Font()->Assign(Screen->HintFont());
    const int tw = bmp.Canvas()->TextWidth(word);
    const int th = bmp.Canvas()->TextHeight(word);
    // The measured text plus the margins.
    EXPECT_EQ(one.Width(), tw + 6);
    EXPECT_EQ(one.Height(), th + 2);

    const QString many = QStringLiteral("%1 %1 %1 %1").arg(word);
    const TRect wide = w.CalcHintRect(1000, many, nullptr);
    const TRect narrow = w.CalcHintRect(tw + 20, many, nullptr);
    EXPECT_EQ(wide.Height(), one.Height());
    EXPECT_LE(narrow.Width(), tw + 20 + 6);
    EXPECT_EQ(narrow.Height(), 4 * th + 2);
}

TEST(HintWindow, PaintsFrameColourAndText)
{
    auto wHolder = CreateUnique<THintWindow>(nullptr);
    THintWindow& w = *wHolder;
    w.SetColor(clInfoBk);
    TRect r = w.CalcHintRect(400, QStringLiteral("Подсказка"), nullptr);
    OffsetRect(r, 50, 60);
    w.ActivateHint(r, QStringLiteral("Подсказка"));
    ASSERT_TRUE(w.IsShowing());
    EXPECT_EQ(w.Left(), 50);
    EXPECT_EQ(w.Top(), 60);
    EXPECT_EQ(w.Height(), r.Height() + 4);
    const QImage img = w.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const uint32_t frame = ToRgb(ColorToRGB(clWindowFrame));
    const uint32_t back = ToRgb(ColorToRGB(clInfoBk));
    EXPECT_EQ(Rgb(img, 0, 0), frame);
    EXPECT_EQ(Rgb(img, img.width() - 1, img.height() - 1), frame);
    EXPECT_EQ(Rgb(img, 1, 1), back);
    EXPECT_EQ(Rgb(img, 2, img.height() - 2), back);
    const QRect ink = InkBox(img.copy(1, 1, img.width() - 2, img.height() - 2), QColor::fromRgb(back));
    ASSERT_FALSE(ink.isEmpty());
    // Text starts inside the 2-pixel margin of the client area and stays clear of the border.
    EXPECT_GE(ink.left(), 2);
    EXPECT_GE(ink.top(), 2);
    EXPECT_LE(ink.right(), img.width() - 3);
    w.ReleaseHandle();
    EXPECT_FALSE(w.IsShowing());
    EXPECT_FALSE(w.HandleAllocated());
}

TEST(HintWindow, KeptInsideTheWorkArea)
{
    auto wHolder = CreateUnique<THintWindow>(nullptr);
    THintWindow& w = *wHolder;
    const TRect area = Screen->MonitorFromPoint(TPoint(0, 0))->WorkareaRect;
    TRect r = w.CalcHintRect(400, QStringLiteral("У края экрана"), nullptr);
    OffsetRect(r, area.Right - 5, area.Bottom - 3);
    w.ActivateHint(r, QStringLiteral("У края экрана"));
    EXPECT_LE(w.Left() + w.Width(), area.Right);
    EXPECT_LE(w.Top() + w.Height(), area.Bottom);
    w.ReleaseHandle();
}

TEST_F(HintFixture, ReshowTimeoutAsksAgain)
{
    int n = 0;
    A->OnHint = [&](THintInfo& i) {
        i.ReshowTimeout = n == 0 ? 100 : 0;
        i.HintStr = QStringLiteral("остаток %1").arg(++n);
        return LRESULT(0);
    };
    Move(A, 5, 5);
    M->ShowTimerExpired();
    EXPECT_EQ(Shown(), QStringLiteral("остаток 1"));
    M->ShowTimerExpired();   // the reshow timer
    EXPECT_EQ(Shown(), QStringLiteral("остаток 2"));
    M->ShowTimerExpired();   // no reshow asked the second time
    EXPECT_EQ(A->HintShows, 2);
}
