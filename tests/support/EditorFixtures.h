// What the editor tests share: letting queued events run, keys sent to a control as the
// keyboard sends them, and a shown form with the editor under test above another edit that
// takes the focus away.
#pragma once

#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

// Lets the posted events (focus, repaint) run.
inline void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A key pressed and released on the control's window.
inline void Key(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(c->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(c->Widget(), &release);
}

// A new control of the form, at its place.
template <class TPlaced>
TPlaced* PlaceOn(TForm* form, int left, int top, int width, int height)
{
    auto* c = Create<TPlaced>(form);
    c->SetParent(form);
    c->SetBounds(left, top, width, height);
    return c;
}

// Shows the form as the active window and lets it settle once.
inline void ShowActive(TForm* form)
{
    form->Show();
    form->Widget()->activateWindow();
    QApplication::processEvents();
}

template <class TEditor>
class EditorOnForm : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TDataSource* src = nullptr;
    TEditor* edit = nullptr;
    TDBEditEh* other = nullptr;   // takes the focus away

    // Places the editor (named when a name is given) and the other edit, and shows the form.
    void ShowEditors(const QString& name = QString())
    {
        form->SetBounds(0, 0, 400, 200);
        edit = Create<TEditor>(form.get());
        if (!name.isEmpty())
            edit->SetName(name);
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 21);
        other = PlaceOn<TDBEditEh>(form.get(), 10, 60, 200, 21);
        form->Show();
        Pump();
    }
    void Bind(const QString& field)
    {
        edit->SetDataSource(src);
        edit->SetDataField(field);
    }
    void Focus(TWinControl* c)
    {
        c->SetFocus();
        Pump();
    }
    // Characters typed into the editor one by one.
    void Type(const QString& s)
    {
        for (QChar c : s)
            edit->HandleKeyPress(0, c, {});
    }
};

}  // namespace testsupport
