// Message boxes and common dialogs: answered by a scripted user through the dialog hook, and
// shown for real (Qt's own dialogs, offscreen) and worked through their widgets.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Printers.h"
#include "platform/vcl/StdCtrls.h"
#include "support/DialogScript.h"

#include <gtest/gtest-spi.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using testsupport::TDialogScript;

namespace {

// Runs Action on the first modal dialog that comes up (polling, as the dialog's own loop runs).
void WhenModal(std::function<void(QWidget*)> Action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, Action] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            Action(w);
        }
    });
    timer->start();
}

QStringList ButtonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text();
    return texts;
}

QAbstractButton* ButtonWithText(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return b;
    return nullptr;
}

void PressKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

}  // namespace

// ---------------------------------------------------------------- message boxes

TEST(MessageBox, RealBoxShowsRussianButtonsAndTheIcon)
{
    QStringList texts;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        texts = ButtonTexts(box);
        icon = box->icon();
        title = box->windowTitle();
        ButtonWithText(box, QStringLiteral("&Нет"))->click();
    });
    const int r = Application->MessageBox(QStringLiteral("Вы действительно хотите удалить запись?"),
                                          QStringLiteral("Удаление записи"), MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(r, IDNO);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(title, QStringLiteral("Удаление записи"));
    texts.sort();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Да"), QStringLiteral("&Нет")}));
}

TEST(MessageBox, KeyboardEscapeAndEnterFollowThePlatform)
{
    struct Case {
        UINT Type;
        int Key;
        int Expected;
    };
    const Case cases[] = {
        {MB_OKCANCEL | MB_ICONWARNING, Qt::Key_Escape, IDCANCEL},
        {MB_OK | MB_ICONERROR, Qt::Key_Escape, IDOK},
        {MB_YESNOCANCEL, Qt::Key_Return, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, Qt::Key_Return, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, Qt::Key_Return, IDCANCEL},
        {MB_YESNO, Qt::Key_Escape, IDNO},
    };
    for (const Case& c : cases) {
        WhenModal([&](QWidget* w) { PressKey(w, c.Key); });
        EXPECT_EQ(::MessageBox(nullptr, QStringLiteral("text"), QStringLiteral("caption"), c.Type), c.Expected)
            << "type " << c.Type << " key " << c.Key;
    }
}

TEST(MessageBox, HookSeesTheBoxAndItsAnswerIsReturned)
{
    TDialogScript user;
    user.Then(IDRETRY);
    EXPECT_EQ(::MessageBox(nullptr, QStringLiteral("Диск не готов"), QStringLiteral("Ошибка"),
                           MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_DEFBUTTON2),
              IDRETRY);
    ASSERT_EQ(user.Calls.size(), 1u);
    const TDialogCall& c = user.Calls[0];
    EXPECT_EQ(c.Kind, TDialogKind::MessageBox);
    EXPECT_EQ(c.Icon, UINT(MB_ICONERROR));
    EXPECT_EQ(c.Buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(c.ButtonCaptions,
              (QStringList{QStringLiteral("&Прервать"), QStringLiteral("&Повторить"), QStringLiteral("&Пропустить")}));
    EXPECT_EQ(c.DefaultButton, 1);
}

TEST(MessageDlg, ButtonsCaptionsDefaultsAndIcons)
{
    struct Case {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        QString Caption;
        UINT Icon;
        std::vector<int> Results;
        QStringList Captions;
        int Default;
    };
    const Case cases[] = {
        {mtConfirmation, {mbOK, mbCancel}, QStringLiteral("Подтверждение"), MB_ICONQUESTION, {mrOk, mrCancel},
         {QStringLiteral("OK"), QStringLiteral("Отмена")}, 0},
        // Order is the buttons' own, whatever the set was written as; Yes is default without OK.
        {mtError, {mbAll, mbNo, mbYes}, QStringLiteral("Ошибка"), MB_ICONERROR, {mrYes, mrNo, mrAll},
         {QStringLiteral("&Да"), QStringLiteral("&Нет"), QStringLiteral("&Все")}, 0},
        {mtWarning, {mbYes, mbNo, mbOK}, QStringLiteral("Предупреждение"), MB_ICONWARNING, {mrYes, mrNo, mrOk},
         {QStringLiteral("&Да"), QStringLiteral("&Нет"), QStringLiteral("OK")}, 2},
        {mtInformation, {}, QStringLiteral("Информация"), MB_ICONINFORMATION, {mrOk}, {QStringLiteral("OK")}, 0},
        {mtConfirmation, {mbNoToAll, mbYesToAll, mbAbort}, QStringLiteral("Подтверждение"), MB_ICONQUESTION,
         {mrAbort, mrNoToAll, mrYesToAll},
         {QStringLiteral("&Прервать"), QStringLiteral("Н&ет для всех"), QStringLiteral("Д&а для всех")}, 0},
    };
    for (const Case& c : cases) {
        TDialogScript user;
        user.Then(c.Results.back());
        EXPECT_EQ(MessageDlg(QStringLiteral("m"), c.Type, c.Buttons), c.Results.back());
        ASSERT_EQ(user.Calls.size(), 1u);
        EXPECT_EQ(user.Calls[0].Caption, c.Caption);
        EXPECT_EQ(user.Calls[0].Icon, c.Icon);
        EXPECT_EQ(user.Calls[0].Buttons, c.Results);
        EXPECT_EQ(user.Calls[0].ButtonCaptions, c.Captions);
        EXPECT_EQ(user.Calls[0].DefaultButton, c.Default);
    }
}

TEST(MessageDlg, RealDialogEscapeGivesCancelElseNo)
{
    WhenModal([](QWidget* w) { PressKey(w, Qt::Key_Escape); });
    EXPECT_EQ(MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, {mbOK, mbCancel}), mrCancel);
    WhenModal([](QWidget* w) { PressKey(w, Qt::Key_Escape); });
    EXPECT_EQ(MessageDlg(QStringLiteral("Ошибка при вставке значения"), mtError, {mbYes, mbNo, mbAll}), mrNo);
    WhenModal([](QWidget* w) {
        ButtonWithText(qobject_cast<QMessageBox*>(w), QStringLiteral("&Все"))->click();
    });
    EXPECT_EQ(MessageDlg(QStringLiteral("Ошибка при вставке значения"), mtError, {mbYes, mbNo, mbAll}), mrAll);
}

TEST(DialogScript, AnUnscriptedDialogFailsAndIsCancelled)
{
    // The script's own failure is what is checked here.
    ::testing::TestPartResultArray failures;
    int r = 0;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        TDialogScript user;
        r = Application->MessageBox(QStringLiteral("?"), QStringLiteral("c"), MB_OKCANCEL);
    }
    EXPECT_EQ(r, IDCANCEL);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("unexpected dialog"), std::string::npos);
}

// ---------------------------------------------------------------- filter strings

TEST(DialogFilter, ParsesNamesAndMasks)
{
    struct Case {
        QString Filter;
        std::vector<std::pair<QString, QStringList>> Items;
    };
    const Case cases[] = {
        {QStringLiteral("Excel|*.xlsx;*.xls;*.csv"),
         {{QStringLiteral("Excel"), {QStringLiteral("*.xlsx"), QStringLiteral("*.xls"), QStringLiteral("*.csv")}}}},
        {QStringLiteral("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT"),
         {{QStringLiteral("Rich Text Files (*.RTF)"), {QStringLiteral("*.RTF")}},
          {QStringLiteral("Text Files (*.TXT)"), {QStringLiteral("*.TXT")}}}},
        {QStringLiteral(" CSV | *.csv ;; *.txt ; "), {{QStringLiteral("CSV"), {QStringLiteral("*.csv"), QStringLiteral("*.txt")}}}},
        {QStringLiteral("All"), {{QStringLiteral("All"), {QStringLiteral("*")}}}},
        {QStringLiteral("A|*.a||"), {{QStringLiteral("A"), {QStringLiteral("*.a")}}}},
        {QStringLiteral("|*.x"), {{QString(), {QStringLiteral("*.x")}}}},
        {QString(), {}},
    };
    for (const Case& c : cases) {
        const auto items = ParseDialogFilter(c.Filter);
        ASSERT_EQ(items.size(), c.Items.size()) << c.Filter.toStdString();
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].Name, c.Items[i].first) << c.Filter.toStdString();
            EXPECT_EQ(items[i].Masks, c.Items[i].second) << c.Filter.toStdString();
        }
    }
}

// ---------------------------------------------------------------- file dialogs

TEST(OpenDialog, SeveralFilesFillFilesAndFileName)
{
    auto owner = CreateUnique<TForm>(nullptr);
    auto* dlg = Create<TOpenDialog>(owner.get());
    dlg->SetFilter(QStringLiteral("Excel|*.xlsx;*.xls;*.csv"));
    dlg->SetOptions(TOpenOptions{ofAllowMultiSelect, ofEnableSizing, ofHideReadOnly});
    dlg->SetInitialDir(QStringLiteral("/data/kk"));
    TDialogScript user;
    user.ThenFiles({QStringLiteral("a.xlsx"), QStringLiteral("/other/b.xls"), QStringLiteral("sub/../c.csv")});
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(user.Calls[0].Kind, TDialogKind::OpenFile);
    EXPECT_EQ(user.Calls[0].Filter, QStringLiteral("Excel|*.xlsx;*.xls;*.csv"));
    EXPECT_TRUE(user.Calls[0].MultiSelect);
    EXPECT_EQ(dlg->Files()->ToStringList(),
              (QStringList{QStringLiteral("/data/kk/a.xlsx"), QStringLiteral("/other/b.xls"),
                           QStringLiteral("/data/kk/c.csv")}));
    EXPECT_EQ(dlg->FileName(), QStringLiteral("/data/kk/a.xlsx"));
}

TEST(OpenDialog, CancelKeepsThePreviousChoice)
{
    auto* dlg = Create<TOpenDialog>(nullptr);
    std::unique_ptr<TOpenDialog> owned(dlg);
    dlg->SetOptions(TOpenOptions{ofAllowMultiSelect});
    TDialogScript user;
    user.ThenFiles({QStringLiteral("/x/1.xlsx"), QStringLiteral("/x/2.xlsx")}).Then(IDCANCEL);
    ASSERT_TRUE(dlg->Execute());
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(user.Calls[1].FileName, QStringLiteral("/x/1.xlsx"));   // the dialog starts at the last choice
    EXPECT_EQ(dlg->FileName(), QStringLiteral("/x/1.xlsx"));
    EXPECT_EQ(dlg->Files()->Count(), 2);
}

TEST(OpenDialog, SingleSelectionTakesTheFirstFileAndTheReadOnlyBox)
{
    std::unique_ptr<TOpenDialog> dlg(Create<TOpenDialog>(nullptr));
    TDialogScript user;
    user.Then([](TDialogCall& c) {
        c.Files = {QStringLiteral("/r/a.rtf"), QStringLiteral("/r/b.rtf")};
        c.ReadOnly = true;
        c.FilterIndex = 2;
        return IDOK;
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_FALSE(user.Calls[0].MultiSelect);
    EXPECT_EQ(dlg->Files()->ToStringList(), QStringList{QStringLiteral("/r/a.rtf")});
    EXPECT_TRUE(dlg->Options().Contains(ofReadOnly));
    EXPECT_EQ(dlg->FilterIndex(), 2);
}

TEST(SaveDialog, DefaultExtensionIsAddedUnlessTheNameHasAKnownOne)
{
    struct Case {
        QString Filter, DefaultExt, Typed, Expected;
    };
    const Case cases[] = {
        // the dates of the export's default name are no extension
        {QStringLiteral("Excel|*.xls"), QStringLiteral(".xls"), QStringLiteral("/e/Камеральный контроль 01.01.2024 - 31.01.2024"),
         QStringLiteral("/e/Камеральный контроль 01.01.2024 - 31.01.2024.xls")},
        {QStringLiteral("CSV|*.csv"), QStringLiteral("csv"), QStringLiteral("/e/out"), QStringLiteral("/e/out.csv")},
        {QStringLiteral("CSV|*.csv"), QStringLiteral("csv"), QStringLiteral("/e/out.CSV"), QStringLiteral("/e/out.CSV")},
        {QStringLiteral("Excel|*.xls;*.xlsx"), QStringLiteral(".xls"), QStringLiteral("/e/out.xlsx"), QStringLiteral("/e/out.xlsx")},
        {QStringLiteral("Все|*.*"), QStringLiteral(".xls"), QStringLiteral("/e/out.txt"), QStringLiteral("/e/out.txt")},
        {QString(), QString(), QStringLiteral("/e/out"), QStringLiteral("/e/out")},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TSaveDialog> dlg(Create<TSaveDialog>(nullptr));
        dlg->SetFilter(c.Filter);
        dlg->SetDefaultExt(c.DefaultExt);
        TDialogScript user;
        user.ThenFiles({c.Typed});
        ASSERT_TRUE(dlg->Execute());
        EXPECT_EQ(user.Calls[0].Kind, TDialogKind::SaveFile);
        EXPECT_EQ(dlg->FileName(), c.Expected);
    }
}

TEST(OpenDialog, RealDialogOffersTheFilterAndReturnsTheChosenFiles)
{
    QTemporaryDir dir;
    for (const char* n : {"a.xlsx", "b.xls", "c.txt"}) {
        QFile f(dir.filePath(QString::fromLatin1(n)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    std::unique_ptr<TOpenDialog> dlg(Create<TOpenDialog>(nullptr));
    dlg->SetFilter(QStringLiteral("Excel|*.xlsx;*.xls;*.csv|Все|*.*"));
    dlg->SetOptions(TOpenOptions{ofAllowMultiSelect});
    dlg->SetInitialDir(dir.path());
    QStringList offered;
    QString title;
    WhenModal([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        offered = fd->nameFilters();
        title = fd->windowTitle();
        fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"a.xlsx\" \"b.xls\""));
        QMetaObject::invokeMethod(fd, "accept");
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Excel (*.xlsx *.xls *.csv)"), QStringLiteral("Все (*.*)")}));
    EXPECT_EQ(title, QStringLiteral("Открыть"));
    QStringList files = dlg->Files()->ToStringList();
    files.sort();
    EXPECT_EQ(files, (QStringList{dir.filePath(QStringLiteral("a.xlsx")), dir.filePath(QStringLiteral("b.xls"))}));
}

TEST(OpenDialog, RealDialogRejectedReturnsFalse)
{
    std::unique_ptr<TOpenDialog> dlg(Create<TOpenDialog>(nullptr));
    WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(dlg->Files()->Count(), 0);
}

TEST(CommonDialog, ShowAndCloseEventsFrameTheDialog)
{
    std::unique_ptr<TSaveDialog> dlg(Create<TSaveDialog>(nullptr));
    QStringList log;
    dlg->OnShow = TNotifyEvent([&](TObject*) { log << QStringLiteral("show"); });
    dlg->OnClose = TNotifyEvent([&](TObject*) { log << QStringLiteral("close"); });
    TDialogScript user;
    user.Then([&](TDialogCall&) {
        log << QStringLiteral("user");
        return IDCANCEL;
    });
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(log, (QStringList{QStringLiteral("show"), QStringLiteral("user"), QStringLiteral("close")}));
}

// ---------------------------------------------------------------- font dialog

TEST(FontDialog, ChosenFontIsWrittenBackOnlyOnConfirmation)
{
    std::unique_ptr<TFontDialog> dlg(Create<TFontDialog>(nullptr));
    dlg->Font()->SetName(QStringLiteral("Tahoma"));
    dlg->Font()->SetSize(8);
    TDialogScript user;
    user.Then([](TDialogCall& c) {
        c.FontName = QStringLiteral("DejaVu Sans");
        c.FontSize = 12;
        c.Bold = true;
        c.FontColor = RGB(255, 0, 0);
        return IDOK;
    });
    user.Then([](TDialogCall& c) {
        c.FontName = QStringLiteral("Ignored");
        return IDCANCEL;
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(user.Calls[0].FontName, QStringLiteral("Tahoma"));
    EXPECT_EQ(user.Calls[0].FontSize, 8);
    EXPECT_EQ(dlg->Font()->GetName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(dlg->Font()->GetSize(), 12);
    EXPECT_EQ(dlg->Font()->GetStyle(), TFontStyles{fsBold});
    EXPECT_EQ(dlg->Font()->GetColor(), clRed);
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(dlg->Font()->GetName(), QStringLiteral("DejaVu Sans"));
}

TEST(FontDialog, RealDialogStartsAtTheFontAndReturnsTheChoice)
{
    std::unique_ptr<TFontDialog> dlg(Create<TFontDialog>(nullptr));
    dlg->Font()->SetName(QStringLiteral("DejaVu Sans"));
    dlg->Font()->SetSize(14);
    int shownSize = 0;
    WhenModal([&](QWidget* w) {
        auto* fd = qobject_cast<QFontDialog*>(w);
        ASSERT_NE(fd, nullptr);
        shownSize = fd->currentFont().pointSize();
        QFont f = fd->currentFont();
        f.setItalic(true);
        fd->setCurrentFont(f);
        fd->accept();
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(shownSize, 14);
    EXPECT_EQ(dlg->Font()->GetSize(), 14);
    EXPECT_TRUE(dlg->Font()->GetStyle().Contains(fsItalic));
}

// ---------------------------------------------------------------- print dialogs

namespace {
// A printer of the test's own, so the process's printer is left as it was.
struct TLocalPrinter {
    TPrinter Own;
    TPrinter* Previous = SetPrinter(&Own);
    ~TLocalPrinter() { SetPrinter(Previous); }
};
}  // namespace

TEST(PrintDialog, ChoiceGoesToThePrinterAndThePageRange)
{
    TLocalPrinter printer;
    const int pdf = printer.Own.Printers()->IndexOf(TPrinter::PdfPrinterName());
    std::unique_ptr<TPrintDialog> dlg(Create<TPrintDialog>(nullptr));
    dlg->Options = TPrintDialogOptions{poPageNums};
    dlg->MinPage = 1;
    dlg->MaxPage = 7;
    dlg->FromPage = 1;
    dlg->ToPage = 7;
    TDialogScript user;
    user.Then([&](TDialogCall& c) {
        c.PrinterIndex = pdf;
        c.Copies = 3;
        c.PageNums = true;
        c.FromPage = 9;   // backwards and past the end: brought into the document
        c.ToPage = 2;
        return IDOK;
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(user.Calls[0].Kind, TDialogKind::Print);
    EXPECT_EQ(user.Calls[0].MaxPage, 7);
    EXPECT_TRUE(user.Calls[0].PageNumsEnabled);
    EXPECT_EQ(printer.Own.PrinterIndex(), pdf);
    EXPECT_EQ(printer.Own.Copies(), 3);
    EXPECT_EQ(dlg->PrintRange, prPageNums);
    EXPECT_EQ(dlg->FromPage, 2);
    EXPECT_EQ(dlg->ToPage, 7);
}

TEST(PrintDialog, CancelChangesNothing)
{
    TLocalPrinter printer;
    printer.Own.SetCopies(2);
    std::unique_ptr<TPrintDialog> dlg(Create<TPrintDialog>(nullptr));
    TDialogScript user;
    user.Then([](TDialogCall& c) {
        c.Copies = 5;
        return IDCANCEL;
    });
    EXPECT_FALSE(dlg->Execute());
    EXPECT_EQ(printer.Own.Copies(), 2);
    EXPECT_EQ(dlg->PrintRange, prAllPages);
}

TEST(PrinterSetupDialog, OrientationAndPrinterAreApplied)
{
    TLocalPrinter printer;
    std::unique_ptr<TPrinterSetupDialog> dlg(Create<TPrinterSetupDialog>(nullptr));
    TDialogScript user;
    user.Then([](TDialogCall& c) {
        EXPECT_EQ(c.Orientation, 0);
        c.Orientation = 1;
        return IDOK;
    });
    ASSERT_TRUE(dlg->Execute());
    EXPECT_EQ(user.Calls[0].Kind, TDialogKind::PrinterSetup);
    EXPECT_EQ(printer.Own.Orientation(), poLandscape);
}

// ---------------------------------------------------------------- modal forms

TEST(ModalForm, ScriptedUserWorksTheFormsControls)
{
    auto form = CreateUnique<TForm>(nullptr);
    form->SetCaption(QStringLiteral("Подписанты"));
    auto* ok = Create<TButton>(form.get());
    ok->SetParent(form.get());
    ok->ModalResult = mrOk;
    TDialogScript user;
    user.Then([&](TDialogCall& c) {
        EXPECT_EQ(c.Form, form.get());
        EXPECT_TRUE(form->Showing());
        // a real click on the button
        QWidget* w = ok->Widget();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
        return mrNone;
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(user.Calls[0].Caption, QStringLiteral("Подписанты"));
    EXPECT_FALSE(form->Showing());
}

TEST(ModalForm, RefusedCloseAsksTheUserAgain)
{
    auto form = CreateUnique<TForm>(nullptr);
    int asked = 0;
    form->OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& CanClose) { CanClose = ++asked > 1; });
    TDialogScript user;
    user.Then(mrCancel).Then(mrYes);
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_EQ(asked, 2);
}
