// Popup menus shown through QMenu.
#include "PopupMenus.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <memory>

DOV_PUBLISHED(TPopupMenu)
{
    P.Prop("Alignment", &TPopupMenu::Alignment).Default(paLeft);
    P.Prop("AutoPopup", &TPopupMenu::AutoPopup).Default(true);
    P.Event("OnPopup", &TPopupMenu::OnPopup);
    P.Event("OnClose", &TPopupMenu::OnClose);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::DoPopup(TObject* Sender)
{
    if (OnPopup)
        OnPopup(Sender);
}

void TPopupMenu::DoClose()
{
    if (OnClose)
        OnClose(this);
}

void AddMenuItems(QMenu* menu, const TMenuItem* parent)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible())
            continue;
        if (item->Caption == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        // Our captions mark the accelerator with '&' as Qt does.
        QAction* a;
        if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(item->Caption);
            AddMenuItems(sub, item);
            a = sub->menuAction();
        } else {
            // Text after a tab is shown as the shortcut; Qt itself does not act on it.
            const QString keys = ShortCutToText(item->ShortCut);
            a = menu->addAction(keys.isEmpty() ? item->Caption : item->Caption + u'\t' + keys);
        }
        a->setEnabled(item->Enabled());
        if (item->Checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        a->setData(QVariant::fromValue(static_cast<void*>(item)));
    }
}

QMenu* TPopupMenu::BuildQMenu(QWidget* Parent) const
{
    auto* menu = new QMenu(Parent);
    AddMenuItems(menu, Items());
    return menu;
}

void TPopupMenu::Popup(int X, int Y)
{
    FPopupPoint = TPoint(X, Y);
    // OnPopup may rebuild the items, so the Qt menu is made afterwards.
    DoPopup(this);
    if (!QCoreApplication::instance())
        return;
    std::unique_ptr<QMenu> menu(BuildQMenu());
    if (menu->actions().isEmpty()) {
        DoClose();
        return;
    }
    MenuBuilt(menu.get());
    QPoint at(X, Y);
    const int w = menu->sizeHint().width();
    if (Alignment == paRight)
        at.rx() -= w;
    else if (Alignment == paCenter)
        at.rx() -= w / 2;
    QAction* chosen = menu->exec(at);
    TMenuItem* item = chosen ? static_cast<TMenuItem*>(chosen->data().value<void*>()) : nullptr;
    menu.reset();
    DoClose();
    if (item && item->Enabled())
        item->Click();
}
