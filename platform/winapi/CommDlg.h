// The one place every modal dialog passes: message boxes, the common file, font, print and
// printer-setup dialogs and modal forms. A hook installed here answers them without showing
// anything (tests script the user this way); without a hook the real dialog is shown.
#pragma once

#include "Windows.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class TObject;

enum class TDialogKind { MessageBox, OpenFile, SaveFile, Font, Print, PrinterSetup, ModalForm };

// What the program asks, and (for the common dialogs) what the user chose: the hook reads the
// request fields and writes the answer fields it wants to change before returning the result.
struct TDialogCall {
    TDialogKind Kind = TDialogKind::MessageBox;
    QString Caption;              // the window title ("" leaves the dialog's own)

    // Message boxes: the text, the icon (MB_ICON*), the buttons in order as their results with
    // their captions, and the index of the default button.
    QString Text;
    UINT Icon = 0;
    std::vector<int> Buttons;
    QStringList ButtonCaptions;
    int DefaultButton = 0;

    // File dialogs: in, the filter "Name|*.a;*.b|..." with its 1-based index, the initial folder
    // and name; out, the chosen files (full paths), the filter index and the read-only box.
    QString Filter;
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName;
    QString DefaultExt;
    bool MultiSelect = false;
    bool ReadOnly = false;
    QStringList Files;

    // Font dialog: the font in and out (size in points, colour as COLORREF).
    QString FontName;
    int FontSize = 0;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    COLORREF FontColor = 0;

    // Print and printer-setup dialogs: the printer by its index in the printer list, copies,
    // orientation (0 portrait, 1 landscape), and the page range (PageNums: only From..To).
    int PrinterIndex = -1;
    int Copies = 1;
    bool Collate = false;
    int Orientation = 0;
    int MinPage = 0, MaxPage = 0, FromPage = 0, ToPage = 0;
    bool PageNumsEnabled = false;
    bool PageNums = false;

    // Modal forms: the form, already shown; the hook may work its controls. The answer is the
    // modal result (0: whatever the form's own ModalResult became).
    TObject* Form = nullptr;
};

// The answer: the button's result for boxes, IDOK / IDCANCEL for the common dialogs, the modal
// result for forms; nullopt lets the real dialog show.
using TDialogHook = std::function<std::optional<int>(TDialogCall& Call)>;
// Installs the hook (an empty one removes it); returns the previous one.
TDialogHook SetDialogHook(TDialogHook Hook);
std::optional<int> CallDialogHook(TDialogCall& Call);

// A message box of the call's text, icon and buttons (through the hook first). EscapeResult
// is what Esc and closing the box give (0: the box picks its No or Cancel-like button).
int ShowMessageBoxCall(HWND Owner, TDialogCall& Call, int EscapeResult);
