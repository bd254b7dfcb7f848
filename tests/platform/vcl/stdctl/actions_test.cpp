// Actions: who runs a command, how state reaches the clients, groups and shortcuts.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"

namespace {

// A client that mirrors the action's state, as a button or menu item would.
class TMirrorLink : public TActionLink {
public:
    using TActionLink::TActionLink;
    QString Caption;
    bool Enabled = true, Checked = false;
    void SetCaption(const QString& v) override { Caption = v; }
    void SetEnabled(bool v) override { Enabled = v; }
    void SetChecked(bool v) override { Checked = v; }
};

struct TActionsFixture : ::testing::Test {
    std::unique_ptr<TForm> Owner = CreateUnique<TForm>(nullptr);
    TActionList* List = Create<TActionList>(Owner.get());
    TAction* Add(const QString& caption)
    {
        auto* a = Create<TAction>(Owner.get());
        a->SetCaption(caption);
        a->SetActionList(List);
        return a;
    }
};

}  // namespace

TEST_F(TActionsFixture, ListHandlerComesFirstAndCanTakeTheCommand)
{
    TAction* save = Add(QStringLiteral("Сохранить сверку"));
    QStringList log;
    save->OnExecute = TNotifyEvent([&](TObject*) { log << QStringLiteral("action"); });
    bool take = false;
    List->OnExecute = TActionEvent([&](TBasicAction* a, bool& handled) {
        EXPECT_EQ(a, save);
        log << QStringLiteral("list");
        handled = take;
    });
    EXPECT_TRUE(save->Execute());
    take = true;
    EXPECT_TRUE(save->Execute());
    EXPECT_EQ(log, (QStringList{QStringLiteral("list"), QStringLiteral("action"), QStringLiteral("list")}));
    EXPECT_EQ(save->Index(), 0);
}

TEST_F(TActionsFixture, StateReachesClientsAndDisabledActionsRunNothing)
{
    TAction* a = Add(QStringLiteral("Экспорт"));
    int runs = 0;
    a->OnExecute = TNotifyEvent([&](TObject*) { ++runs; });
    TMirrorLink link(nullptr);
    link.SetAction(a);
    a->SetCaption(QStringLiteral("Excel"));
    a->SetEnabled(false);
    EXPECT_EQ(link.Caption, QStringLiteral("Excel"));
    EXPECT_FALSE(link.Enabled);
    EXPECT_FALSE(link.Execute());
    EXPECT_EQ(runs, 0);
    // An update handler decides the state at every run.
    a->OnUpdate = TNotifyEvent([&](TObject*) { a->SetEnabled(true); });
    EXPECT_TRUE(link.Execute());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(link.Enabled);
}

TEST_F(TActionsFixture, ActionWithoutHandlerDisablesItselfAtUpdate)
{
    TAction* a = Add(QStringLiteral("Печать"));
    List->UpdateActions();
    EXPECT_FALSE(a->Enabled());
    a->DisableIfNoHandler = false;
    a->SetEnabled(true);
    List->UpdateActions();
    EXPECT_TRUE(a->Enabled());
}

TEST_F(TActionsFixture, AutoCheckAndGroupsKeepOneChecked)
{
    TAction* all = Add(QStringLiteral("Показать все"));
    TAction* hidden = Add(QStringLiteral("Скрыть проверенные"));
    for (TAction* a : {all, hidden}) {
        a->SetGroupIndex(1);
        a->AutoCheck = true;
        a->OnExecute = TNotifyEvent([](TObject*) {});
    }
    TMirrorLink link(nullptr);
    link.SetAction(all);
    all->Execute();
    EXPECT_TRUE(all->Checked());
    EXPECT_TRUE(link.Checked);
    hidden->Execute();
    EXPECT_TRUE(hidden->Checked());
    EXPECT_FALSE(all->Checked());
    EXPECT_FALSE(link.Checked);
}

TEST_F(TActionsFixture, ShortCutRunsTheEnabledActionAndFreedActionsLeaveTheirClients)
{
    TAction* a = Add(QStringLiteral("Сохранить"));
    int runs = 0;
    a->OnExecute = TNotifyEvent([&](TObject*) { ++runs; });
    a->SetShortCut(0x74);   // F5
    EXPECT_TRUE(List->IsShortCut(0x74));
    EXPECT_FALSE(List->IsShortCut(0x75));
    EXPECT_EQ(runs, 1);
    TMirrorLink link(nullptr);
    link.SetAction(a);
    delete a;
    EXPECT_EQ(link.Action(), nullptr);
    EXPECT_EQ(List->ActionCount(), 0);
    EXPECT_FALSE(link.Execute());
}
