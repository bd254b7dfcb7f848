// A form's main menu: shown as the window's menu bar above the client area, its items chosen
// with the mouse, and their shortcuts working from the keyboard anywhere in the window.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/rtl/Filer.h"

#include "support/WidgetInput.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

const char* const MenuForm = R"(object MenuForm: TForm
  Width = 400
  Height = 300
  Menu = MainMenu
  object Top: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 40
  end
  object List: TListBox
    Left = 10
    Top = 60
    Width = 100
    Height = 100
  end
  object MainMenu: TMainMenu
    object StateItem: TMenuItem
      Caption = 'Сверка'
      object SaveItem: TMenuItem
        Caption = 'Сохранить'
        ShortCut = 116
      end
      object LoadItem: TMenuItem
        Caption = 'Загрузить'
        ShortCut = 117
      end
    end
    object ExportItem: TMenuItem
      Caption = 'Экспорт'
      object ExcelItem: TMenuItem
        Caption = 'Excel'
        ShortCut = 16453
      end
      object Line: TMenuItem
        Caption = '-'
      end
      object HiddenItem: TMenuItem
        Caption = 'Скрытый'
        ShortCut = 16456
        Visible = False
      end
    end
    object SettingsItem: TMenuItem
      Caption = 'Настройки'
    end
  end
end
)";

struct MenuFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TMainMenu* Menu = nullptr;
    TListBox* List = nullptr;
    QStringList Clicked;
    QList<Word> KeysSeen;

    void SetUp() override
    {
        RegisterClasses<TMainMenu, TMenuItem, TPanel, TListBox>();
        ReadComponentRes(QByteArray(MenuForm), Form.get());
        Menu = dynamic_cast<TMainMenu*>(Form->FindComponent("MainMenu"));
        List = dynamic_cast<TListBox*>(Form->FindComponent("List"));
        ASSERT_NE(Menu, nullptr);
        ASSERT_NE(List, nullptr);
        for (const char* name : {"SaveItem", "LoadItem", "ExcelItem", "HiddenItem", "SettingsItem"})
            Item(name)->OnClick = TNotifyEvent([this](TObject* s) { Clicked << static_cast<TMenuItem*>(s)->Name(); });
        List->OnKeyDown = TKeyEvent([this](TObject*, Word& Key, TShiftState) { KeysSeen << Key; });
    }
    TMenuItem* Item(const char* name) { return dynamic_cast<TMenuItem*>(Form->FindComponent(name)); }
    void Press(TWinControl* c, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        testsupport::PressKey(c->Widget(), key, mods);
    }
    QAction* BarAction(const QString& text)
    {
        for (QAction* a : Form->MenuBar()->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    // Opens the top-level menu as the bar does and returns its entries.
    QList<QAction*> Open(const QString& top)
    {
        QMenu* m = BarAction(top)->menu();
        emit m->aboutToShow();
        return m->actions();
    }
};

}  // namespace

TEST_F(MenuFixture, TheBarStandsAboveTheClientAreaWhichKeepsItsSize)
{
    EXPECT_EQ(Form->Menu(), Menu);
    EXPECT_EQ(Form->ClientHeight(), 300);
    EXPECT_EQ(Form->ClientWidth(), 400);
    Form->Show();
    QMenuBar* bar = Form->MenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().top(), 0);
    EXPECT_EQ(bar->width(), Form->Widget()->width());
    EXPECT_EQ(Form->Height(), 300 + bar->height());
    EXPECT_EQ(Form->ClientHeight(), 300);
    // Controls keep their client coordinates and sit under the bar.
    auto* top = dynamic_cast<TPanel*>(Form->FindComponent("Top"));
    EXPECT_EQ(top->Top(), 0);
    EXPECT_EQ(top->Widget()->geometry().top(), bar->height());

    QStringList texts;
    for (QAction* a : bar->actions())
        texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Сверка", "Экспорт", "Настройки"}));
}

TEST_F(MenuFixture, TheBarFollowsTheItemsStates)
{
    Form->Show();
    Item("ExportItem")->SetEnabled(false);
    EXPECT_FALSE(BarAction("Экспорт")->isEnabled());
    Item("ExportItem")->SetEnabled(true);
    EXPECT_TRUE(BarAction("Экспорт")->isEnabled());
    Item("SettingsItem")->SetVisible(false);
    EXPECT_EQ(BarAction("Настройки"), nullptr);
    EXPECT_EQ(Form->MenuBar()->actions().size(), 2);

    // A sub-menu shows its items as they are when it opens, with their shortcut keys.
    Item("LoadItem")->SetEnabled(false);
    const QList<QAction*> state = Open("Сверка");
    ASSERT_EQ(state.size(), 2);
    EXPECT_EQ(state[0]->text(), "Сохранить\tF5");
    EXPECT_TRUE(state[0]->isEnabled());
    EXPECT_FALSE(state[1]->isEnabled());
    const QList<QAction*> exports = Open("Экспорт");
    ASSERT_EQ(exports.size(), 2);   // the hidden item is left out
    EXPECT_EQ(exports[0]->text(), "Excel\tCtrl+E");
    EXPECT_TRUE(exports[1]->isSeparator());
}

TEST_F(MenuFixture, ItemsShowTheirImagesOfTheMenusList)
{
    auto* pictures = Create<TImageList>(Form.get());
    TBitmap b;
    b.SetSize(16, 16);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 16, 16));
    pictures->Add(&b, nullptr);
    Menu->SetImages(pictures);
    // Set after the bar was built, as the window does at start-up: the bar takes it as it shows.
    Form->HandleNeeded();
    Item("StateItem")->ImageIndex = 0;
    Item("SaveItem")->ImageIndex = 0;
    Form->Show();
    // The bar itself shows captions: an image there would take the caption's place and the
    // bar's height, pushing every item into the overflow button.
    EXPECT_TRUE(BarAction("Сверка")->icon().isNull());
    const QList<QAction*> state = Open("Сверка");
    const QImage save = state[0]->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(save.isNull());
    EXPECT_EQ(save.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_TRUE(state[1]->icon().isNull());
    QMenuBar* bar = Form->MenuBar();
    for (QAction* a : bar->actions())
        EXPECT_TRUE(bar->actionGeometry(a).isValid() && bar->rect().contains(bar->actionGeometry(a)))
            << a->text().toStdString();
}

TEST_F(MenuFixture, AnItemChosenInTheBarIsClickedOnceTheMenuHasClosed)
{
    Form->Show();
    QAction* save = Open("Сверка").at(0);
    save->trigger();
    EXPECT_TRUE(Clicked.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(Clicked, QStringList{"SaveItem"});

    // An item without sub-items is chosen on the bar itself.
    BarAction("Настройки")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Clicked, (QStringList{"SaveItem", "SettingsItem"}));

    // An item freed while its click waits is not clicked.
    Open("Сверка").at(1)->trigger();
    delete Item("LoadItem");
    QCoreApplication::processEvents();
    EXPECT_EQ(Clicked, (QStringList{"SaveItem", "SettingsItem"}));
}

TEST_F(MenuFixture, ShortcutsClickTheirItemsFromAnyControlOfTheWindow)
{
    Form->Show();
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        std::function<void(MenuFixture&)> before;
        QStringList clicked;
        bool reachesControl;
    };
    const Case cases[] = {
        {"F5", Qt::Key_F5, Qt::NoModifier, nullptr, {"SaveItem"}, false},
        {"F6", Qt::Key_F6, Qt::NoModifier, nullptr, {"LoadItem"}, false},
        {"Ctrl+E", Qt::Key_E, Qt::ControlModifier, nullptr, {"ExcelItem"}, false},
        {"Shift+F5 is another key", Qt::Key_F5, Qt::ShiftModifier, nullptr, {}, true},
        {"a key of no item", Qt::Key_F7, Qt::NoModifier, nullptr, {}, true},
        {"a hidden item", Qt::Key_H, Qt::ControlModifier, nullptr, {}, true},
        {"a disabled item", Qt::Key_F5, Qt::NoModifier, [](MenuFixture& f) { f.Item("SaveItem")->SetEnabled(false); },
         {}, true},
        // A job disables the top-level items: nothing under them can start a second one.
        {"under a disabled top-level item", Qt::Key_F6, Qt::NoModifier,
         [](MenuFixture& f) { f.Item("StateItem")->SetEnabled(false); }, {}, true},
    };
    for (const Case& c : cases) {
        Clicked.clear();
        KeysSeen.clear();
        for (const char* name : {"StateItem", "SaveItem"})
            Item(name)->SetEnabled(true);
        if (c.before)
            c.before(*this);
        Press(List, c.key, c.mods);
        EXPECT_EQ(Clicked, c.clicked) << c.what;
        EXPECT_EQ(!KeysSeen.isEmpty(), c.reachesControl) << c.what;
    }
    // The form itself, with no control focused, takes shortcuts too.
    Clicked.clear();
    Item("StateItem")->SetEnabled(true);
    Press(Form.get(), Qt::Key_F6);
    EXPECT_EQ(Clicked, QStringList{"LoadItem"});
}

TEST_F(MenuFixture, APopupMenuOfTheControlTakesItsShortcutsFirst)
{
    auto* popup = Create<TPopupMenu>(Form.get());
    auto* mine = Create<TMenuItem>(Form.get());
    mine->Caption = QStringLiteral("Своё");
    mine->ShortCut = VK_F5;
    mine->OnClick = TNotifyEvent([this](TObject*) { Clicked << QStringLiteral("popup"); });
    popup->Items()->Add(mine);
    List->PopupMenu = popup;
    Form->Show();
    Press(List, Qt::Key_F5);
    EXPECT_EQ(Clicked, QStringList{"popup"});
}

TEST_F(MenuFixture, FreeingTheMenuTakesTheBarAway)
{
    Form->Show();
    delete Menu;
    EXPECT_EQ(Form->Menu(), nullptr);
    EXPECT_EQ(Form->MenuBar(), nullptr);
    Press(List, Qt::Key_F5);
    EXPECT_TRUE(Clicked.isEmpty());
    // A form without a menu has no bar and no room for one.
    EXPECT_EQ(Form->Height() - Form->ClientHeight(), 0);
}
