#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/PopupMenus.h"
#include "support/MenuWaiting.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

using namespace vcltest;
using testsupport::WhenMenuShows;

namespace {

// Chooses the action with the text (through the keyboard, as a user would).
void Choose(QMenu* m, const QString& text)
{
    for (QAction* a : m->actions())
        if (a->text() == text) {
            m->setActiveAction(a);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(m, &press);
            return;
        }
    m->close();
}

struct PopupFixture : ::testing::Test {
    TForm* Form = nullptr;
    TCustomControl* Panel = nullptr;
    TCustomControl* Child = nullptr;
    TPopupMenu* Menu = nullptr;
    QStringList Clicked;

    TMenuItem* AddItem(TMenuItem* parent, const QString& caption)
    {
        auto* item = Create<TMenuItem>(Form);
        item->Caption = caption;
        item->OnClick = TNotifyEvent(this, &PopupFixture::ItemClick);
        parent->Add(item);
        return item;
    }
    void ItemClick(TObject* Sender) { Clicked << static_cast<TMenuItem*>(Sender)->Caption; }

    void SetUp() override
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(100, 100, 300, 200);
        Panel = Create<TCustomControl>(Form);
        Panel->SetParent(Form);
        Panel->SetBounds(10, 10, 200, 150);
        Child = Create<TCustomControl>(Form);
        Child->SetParent(Panel);
        Child->SetBounds(10, 10, 50, 50);
        Menu = Create<TPopupMenu>(Form);
        AddItem(Menu->Items(), QStringLiteral("Копировать"));
        AddItem(Menu->Items(), QStringLiteral("-"));
        TMenuItem* off = AddItem(Menu->Items(), QStringLiteral("Вставить"));
        off->SetEnabled(false);
        TMenuItem* hidden = AddItem(Menu->Items(), QStringLiteral("Скрытый"));
        hidden->SetVisible(false);
        TMenuItem* sub = AddItem(Menu->Items(), QStringLiteral("Итог"));
        AddItem(sub, QStringLiteral("Сумма"))->Checked = true;
        AddItem(sub, QStringLiteral("Среднее"));
        Form->Show();
    }
    void TearDown() override { delete Form; }
};

} // namespace

TEST_F(PopupFixture, QtMenuMirrorsTheItems)
{
    std::unique_ptr<QMenu> m(Menu->BuildQMenu());
    const QList<QAction*> a = m->actions();
    ASSERT_EQ(a.size(), 4);   // the hidden item is left out
    EXPECT_EQ(a[0]->text(), QStringLiteral("Копировать"));
    EXPECT_TRUE(a[1]->isSeparator());
    EXPECT_FALSE(a[2]->isEnabled());
    ASSERT_NE(a[3]->menu(), nullptr);
    const QList<QAction*> sub = a[3]->menu()->actions();
    ASSERT_EQ(sub.size(), 2);
    EXPECT_TRUE(sub[0]->isChecked());
    EXPECT_FALSE(sub[1]->isChecked());
    EXPECT_EQ(sub[1]->data().value<void*>(), Menu->Items()->Items(4)->Items(1));
}

TEST_F(PopupFixture, RightClickPopsUpTheControlsMenuAndClicksAfterClose)
{
    Child->PopupMenu = Menu;
    QStringList order;
    struct Sink {
        QStringList* Order;
        void Popped(TObject*) { *Order << QStringLiteral("popup"); }
        void Closed(TObject*) { *Order << QStringLiteral("close"); }
    } sink{&order};
    Menu->OnPopup = TNotifyEvent(&sink, &Sink::Popped);
    Menu->OnClose = TNotifyEvent(&sink, &Sink::Closed);
    bool visibleAtClick = true;
    Menu->Items()->Items(0)->OnClick = [&] {
        struct C {
            bool* Visible;
            QStringList* Order;
            void Click(TObject*)
            {
                *Visible = QApplication::activePopupWidget() != nullptr;
                *Order << QStringLiteral("click");
            }
        };
        static C c;
        c = C{&visibleAtClick, &order};
        return TNotifyEvent(&c, &C::Click);
    }();
    WhenMenuShows([](QMenu* m) { Choose(m, QStringLiteral("Копировать")); });
    Child->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(order, (QStringList{QStringLiteral("popup"), QStringLiteral("close"), QStringLiteral("click")}));
    EXPECT_FALSE(visibleAtClick);
    EXPECT_EQ(Menu->PopupComponent, Child);
    EXPECT_EQ(Menu->PopupPoint(), Child->ClientToScreen(TPoint(5, 6)));
}

TEST_F(PopupFixture, RequestClimbsToTheParentsMenu)
{
    Panel->PopupMenu = Menu;
    WhenMenuShows([](QMenu* m) { Choose(m, QStringLiteral("Копировать")); });
    const TPoint at = Child->ClientToScreen(TPoint(1, 1));
    EXPECT_EQ(Child->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(at.X, at.Y)), 1);
    EXPECT_EQ(Clicked, QStringList{QStringLiteral("Копировать")});
    EXPECT_EQ(Menu->PopupComponent, Panel);
}

TEST_F(PopupFixture, NoMenuWhenHandledOrNotAutoPopup)
{
    Child->PopupMenu = Menu;
    int popups = 0;
    struct Sink {
        int* N;
        bool Handle = false;
        void Popped(TObject*) { ++*N; }
        void Context(TObject*, TPoint, bool& Handled) { Handled = Handle; }
    } sink{&popups};
    Menu->OnPopup = TNotifyEvent(&sink, &Sink::Popped);
    Child->OnContextPopup = TContextPopupEvent(&sink, &Sink::Context);
    sink.Handle = true;
    EXPECT_EQ(Child->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(120, 120)), 1);
    sink.Handle = false;
    Menu->AutoPopup = false;
    EXPECT_EQ(Child->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(120, 120)), 0);
    EXPECT_EQ(popups, 0);
}

TEST_F(PopupFixture, KeyboardRequestAndAlignment)
{
    Form->SetBounds(300, 100, 400, 200);
    Panel->SetBounds(10, 10, 350, 150);
    Child->SetBounds(250, 10, 50, 50);
    Child->PopupMenu = Menu;
    for (TPopupAlignment align : {paLeft, paRight, paCenter}) {
        SCOPED_TRACE(int(align));
        Menu->Alignment = align;
        QRect shown;
        WhenMenuShows([&](QMenu* m) {
            shown = m->geometry();
            m->close();
        });
        // A request from the keyboard carries no point: the menu goes to the control's corner.
        Child->Perform(WM_CONTEXTMENU, 0, LPARAM(-1));
        const TPoint corner = Child->ClientToScreen(TPoint(0, 0));
        EXPECT_EQ(Menu->PopupPoint(), corner);
        ASSERT_FALSE(shown.isEmpty());
        ASSERT_LT(shown.width(), corner.X);   // room on the left, so Qt does not move it
        const int expectedLeft = align == paLeft ? corner.X
            : align == paRight                   ? corner.X - shown.width()
                                                 : corner.X - shown.width() / 2;
        EXPECT_EQ(shown.left(), expectedLeft);
        EXPECT_EQ(shown.top(), corner.Y);
    }
    EXPECT_TRUE(Clicked.isEmpty());
}
