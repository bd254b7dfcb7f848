// Popup menus run their own loop inside Popup: tests act on a menu once it is up.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <functional>
#include <memory>

namespace testsupport {

// Calls act with the menu as soon as one shows (polls for a second at most).
inline void WhenMenuShows(std::function<void(QMenu*)> act)
{
    auto tries = std::make_shared<int>(0);
    auto step = std::make_shared<std::function<void()>>();
    *step = [act, tries, step] {
        if (auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            act(m);
            return;
        }
        if (++*tries < 200)
            QTimer::singleShot(5, *step);
    };
    QTimer::singleShot(0, *step);
}

// A left click on an item of a shown menu, as the user chooses it: the menu's loop returns
// the item (triggering the action alone would not).
inline void ClickMenuAction(QMenu* m, QAction* a)
{
    const QPoint at = m->actionGeometry(a).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, m->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, m->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m, &release);
}

}  // namespace testsupport
