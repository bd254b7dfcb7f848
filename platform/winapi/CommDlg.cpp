// The dialog hook and the platform message box.
#include "CommDlg.h"
#include "WinUser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

TDialogHook& Hook()
{
    static TDialogHook h;
    return h;
}

QMessageBox::Icon QtIcon(UINT icon)
{
    switch (icon & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::ButtonRole RoleOf(int result)
{
    switch (result) {
    case IDOK: case IDYES: case IDRETRY: return QMessageBox::AcceptRole;
    case IDNO: return QMessageBox::NoRole;
    case IDCANCEL: case IDABORT: return QMessageBox::RejectRole;
    default: return QMessageBox::ActionRole;
    }
}

}  // namespace

TDialogHook SetDialogHook(TDialogHook NewHook)
{
    std::swap(Hook(), NewHook);
    return NewHook;
}

std::optional<int> CallDialogHook(TDialogCall& Call)
{
    // Copied, so a hook that replaces itself while answering stays alive until it returns.
    TDialogHook h = Hook();
    if (!h)
        return std::nullopt;
    return h(Call);
}

int ShowMessageBoxCall(HWND Owner, TDialogCall& Call, int EscapeResult)
{
    Call.Kind = TDialogKind::MessageBox;
    if (auto answer = CallDialogHook(Call))
        return *answer;
    const int fallback = EscapeResult != 0 || Call.Buttons.empty() ? EscapeResult : Call.Buttons.back();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return fallback;
    QMessageBox box(Owner && IsWindow(Owner) ? Owner->Widget() : nullptr);
    box.setText(Call.Text);
    box.setWindowTitle(Call.Caption);
    box.setIcon(QtIcon(Call.Icon));
    std::vector<QAbstractButton*> buttons;
    for (size_t i = 0; i < Call.Buttons.size(); ++i) {
        const QString caption = i < size_t(Call.ButtonCaptions.size()) ? Call.ButtonCaptions[int(i)] : QString();
        QPushButton* b = box.addButton(caption, RoleOf(Call.Buttons[i]));
        buttons.push_back(b);
        if (int(i) == Call.DefaultButton)
            box.setDefaultButton(b);
        if (Call.Buttons[i] == EscapeResult)
            box.setEscapeButton(b);
    }
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return Call.Buttons[i];
    return fallback;
}

int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type)
{
    TDialogCall call;
    call.Text = text;
    call.Caption = caption;
    call.Icon = type & 0xF0;
    struct B { int Id; const char16_t* Caption; };
    static const B ok{IDOK, u"OK"}, cancel{IDCANCEL, u"Отмена"}, abort{IDABORT, u"&Прервать"},
        retry{IDRETRY, u"&Повторить"}, ignore{IDIGNORE, u"&Пропустить"}, yes{IDYES, u"&Да"}, no{IDNO, u"&Нет"};
    std::vector<B> buttons;
    // Esc gives Cancel where there is one and OK in a lone OK box; a Yes/No box has no Cancel,
    // so the box's own choice (No) stands in.
    int escape = IDCANCEL;
    switch (type & 0xF) {
    case MB_OKCANCEL: buttons = {ok, cancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {abort, retry, ignore}; escape = 0; break;
    case MB_YESNOCANCEL: buttons = {yes, no, cancel}; break;
    case MB_YESNO: buttons = {yes, no}; escape = 0; break;
    case MB_RETRYCANCEL: buttons = {retry, cancel}; break;
    default: buttons = {ok}; escape = IDOK; break;
    }
    for (const B& b : buttons) {
        call.Buttons.push_back(b.Id);
        call.ButtonCaptions << QString::fromUtf16(b.Caption);
    }
    const int def = (type & MB_DEFBUTTON3) ? 2 : (type & MB_DEFBUTTON2) ? 1 : 0;
    call.DefaultButton = def < int(buttons.size()) ? def : 0;
    return ShowMessageBoxCall(owner, call, escape);
}
