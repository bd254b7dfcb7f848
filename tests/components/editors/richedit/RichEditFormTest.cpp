// The rich-text editor form: the document in and out through its named values (back only on
// OK), the rich edit's ellipsis button running it, the ruler's markers, the status bar and
// saving under a file name.
#include "components/editors/DBCtrlsEh.h"
#include "components/editors/RichEditFormsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichEditRtf.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/DialogScript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

QString RtfOf(const QString& plain, bool bold)
{
    QTextDocument d;
    d.setPlainText(plain);
    if (bold) {
        QTextCursor c(&d);
        c.select(QTextCursor::Document);
        QTextCharFormat f;
        f.setFontWeight(QFont::Bold);
        c.mergeCharFormat(f);
    }
    return QString::fromLatin1(RichEditRtf::WriteRtf(&d));
}

QString PlainOf(const QString& rtf)
{
    QTextDocument d;
    RichEditRtf::ReadRtf(UnicodeToCP1251(rtf), &d);
    return d.toPlainText();
}

struct FormFixture : ::testing::Test {
    TRichEditWinEh* Form = TRichEditWinEh::GetGlobalRef();
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form->SetReadOnly(false);
    }
};

}  // namespace

TEST_F(FormFixture, OneSharedInstanceRegisteredByName)
{
    EXPECT_EQ(TRichEditWinEh::GetGlobalRef(), Form);
    EXPECT_EQ(Form->Caption(), "Rich Editor");
    EXPECT_NE(FindClass("TRichEditWinEh"), nullptr);
}

TEST_F(FormFixture, ToolBarAndMenuComeFromTheFormResourceWiredToTheirHandlers)
{
    ASSERT_NE(Form->StandardToolBar, nullptr);
    EXPECT_EQ(Form->StandardToolBar->Parent(), Form);
    EXPECT_EQ(Form->StandardToolBar->Images(), Form->ToolbarImages);
    EXPECT_EQ(Form->ToolbarImages->Count(), 16);
    EXPECT_EQ(Form->Ruler->Top(), Form->StandardToolBar->Top() + Form->StandardToolBar->Height());
    EXPECT_EQ(Form->StandardToolBar->Height(), 22 + 2 * 2);

    // The bar's buttons left to right: hint and picture.
    struct Case { TControl* Control; QString Hint; int Image; };
    const Case cases[] = {
        {Form->OpenButton, "Open an existing file", 1}, {Form->SaveButton, "Save current file", 2},
        {Form->PrintButton, "Print current file", 3}, {Form->CutButton, "Delete selected item", 5},
        {Form->CopyButton, "Copy selected item to clipboard", 6}, {Form->PasteButton, "Paste contents of clipboard", 7},
        {Form->UndoButton, "Undo the last action", 4}, {Form->FontName, "Font Name|Select font name", -1},
        {Form->FontSize, "", -1}, {Form->BoldButton, "Bold", 8}, {Form->ItalicButton, "Italic", 9},
        {Form->UnderlineButton, "Underline", 10}, {Form->LeftAlign, "Align Left", 11},
        {Form->CenterAlign, "Center", 12}, {Form->RightAlign, "Align Right", 13},
        {Form->BulletsButton, "Bullets|Enter bullet mode", 14}, {Form->tbSelectFont, "", 15},
    };
    int left = 0;
    for (const Case& c : cases) {
        ASSERT_NE(c.Control, nullptr) << c.Hint.toStdString();
        EXPECT_EQ(c.Control->Parent(), Form->StandardToolBar) << c.Hint.toStdString();
        EXPECT_EQ(c.Control->Hint, c.Hint);
        EXPECT_GT(c.Control->Left(), left) << c.Hint.toStdString();
        left = c.Control->Left();
        if (auto* b = dynamic_cast<TToolButton*>(c.Control)) {
            EXPECT_EQ(b->ImageIndex(), c.Image) << c.Hint.toStdString();
        }
    }
    EXPECT_EQ(Form->FontSize->Items()->Count(), 16);
    EXPECT_FALSE(Form->FontSizeOld->Visible());
    // The alignment buttons are one group, the style buttons each their own.
    EXPECT_NE(Form->LeftAlign->GroupIndex(), 0);
    EXPECT_EQ(Form->CenterAlign->GroupIndex(), Form->LeftAlign->GroupIndex());
    EXPECT_EQ(Form->RightAlign->GroupIndex(), Form->LeftAlign->GroupIndex());
    EXPECT_NE(Form->BoldButton->GroupIndex(), Form->ItalicButton->GroupIndex());
    EXPECT_TRUE(Form->BoldButton->AllowAllUp());

    // The menu: shortcuts, and items that run the tool bar's handlers.
    ASSERT_NE(Form->MainMenu, nullptr);
    ASSERT_EQ(Form->MainMenu->Items()->Count(), 2);
    EXPECT_EQ(Form->MainMenu->Items()->Items(0)->Caption, "&File");
    EXPECT_EQ(Form->MainMenu->Items()->Items(1)->Caption, "&Edit");
    EXPECT_EQ(Form->FileNewItem->ShortCut, scCtrl + 'N');
    EXPECT_FALSE(Form->FileNewItem->OnClick.Assigned());
    EXPECT_EQ(Form->FileOpenItem->ShortCut, scCtrl + 'O');
    EXPECT_EQ(Form->FileExitItem->ShortCut, scAlt + 'X');
    EXPECT_EQ(Form->EditPasteItem->ShortCut, scCtrl + 'V');
    EXPECT_EQ(Form->FileSaveAsItem->Hint, "Save current file under a new name");
    EXPECT_EQ(Form->miEditFont->Parent(), Form->MainMenu->Items()->Items(1));

    Form->Editor->SetText(U("Сумма"));
    Form->Editor->SetSelStart(0);
    Form->SelectionChange(Form);
    EXPECT_FALSE(Form->EditCutItem->Enabled());
    Form->Editor->SetSelLength(3);
    Form->SelectionChange(Form);
    EXPECT_TRUE(Form->EditCutItem->Enabled());
    EXPECT_TRUE(Form->EditCopyItem->Enabled());

    QTemporaryDir dir;
    testsupport::TDialogScript user;
    user.ThenFiles({dir.filePath("menu")});
    Form->FileSaveAsItem->Click();
    EXPECT_TRUE(QFile::exists(dir.filePath("menu.rtf")));
}

TEST_F(FormFixture, ToolBarPicturesUpDownAndScrollBarComeFromTheFormResource)
{
    // Cell 0 is unused and empty; every picture the buttons name has pixels of its own.
    ASSERT_EQ(Form->ToolbarImages->Count(), 16);
    auto opaque = [&](int i) {
        const QImage img = Form->ToolbarImages->Image(i).convertToFormat(QImage::Format_ARGB32);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += qAlpha(img.pixel(x, y)) > 0;
        return n;
    };
    EXPECT_EQ(opaque(0), 0);
    for (int i = 1; i < 16; ++i) {
        EXPECT_GT(opaque(i), 0) << i;
        for (int j = 1; j < i; ++j)
            EXPECT_NE(Form->ToolbarImages->Image(i), Form->ToolbarImages->Image(j)) << i << " " << j;
    }

    ASSERT_NE(Form->UpDown1, nullptr);
    EXPECT_EQ(Form->UpDown1->Parent(), Form->StandardToolBar);
    EXPECT_EQ(Form->UpDown1->Associate(), Form->FontSizeOld);
    EXPECT_FALSE(Form->UpDown1->Visible());
    EXPECT_EQ(Form->Editor->ScrollBars(), ssVertical);
}

TEST_F(FormFixture, PaintingTheFormPutsTheEditRectangleBack)
{
    Form->Editor->SetText(U("Итого"));
    TRect other(0, 0, 10, 10);
    Form->Editor->Perform(EM_SETRECT, 0, LPARAM(&other));
    TBitmap surface(Form->Width(), Form->Height());
    Form->PaintTo(surface.Canvas(), 0, 0);
    TRect r;
    Form->Editor->Perform(EM_GETRECT, 0, LPARAM(&r));
    EXPECT_EQ(r, TRect(6, 0, Form->Editor->ClientWidth() - 6, Form->Editor->ClientHeight()));
}

TEST_F(FormFixture, StyleAndAlignmentButtonsFormatTheSelection)
{
    Form->Editor->SetText(U("Итого"));
    Form->Editor->SelectAll();
    Form->SelectionChange(Form);
    Form->BoldButton->SetDown(true);
    Form->BoldButton->Click();
    EXPECT_TRUE(Form->Editor->SelAttributes()->Style().Contains(fsBold));
    Form->CenterAlign->SetDown(true);
    Form->CenterAlign->Click();
    EXPECT_EQ(Form->Editor->Paragraph()->Alignment(), taCenter);
    EXPECT_FALSE(Form->LeftAlign->Down());
    Form->RightAlign->SetDown(true);
    Form->RightAlign->Click();
    EXPECT_EQ(Form->Editor->Paragraph()->Alignment(), taRightJustify);
    EXPECT_FALSE(Form->CenterAlign->Down());
    Form->BoldButton->SetDown(false);
    Form->BoldButton->Click();
    EXPECT_FALSE(Form->Editor->SelAttributes()->Style().Contains(fsBold));
}

TEST_F(FormFixture, DocumentComesBackThroughTheNamedValuesOnlyOnOk)
{
    auto params = CreateUnique<TDynVarsEh>(nullptr);
    params->CreateDynVar(QString(), Variant(RtfOf(U("Счёт"), true)));
    testsupport::TDialogScript user;
    user.Then([&](TDialogCall&) {
        EXPECT_EQ(Form->Editor->Document()->toPlainText(), U("Счёт"));
        Form->Editor->SetSelStart(1);
        EXPECT_TRUE(Form->BoldButton->Down());
        EXPECT_EQ(Form->CursorPositionText(), "Line:   1   Col:   2");
        Form->Editor->SetSelStart(4);
        Form->Editor->SetSelText(U(" 15"));
        EXPECT_EQ(Form->ModifiedText(), "Modified");
        Form->OKButton->Click();
        return 0;
    });
    Form->SetDynParams(params.get());
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(Form->PassParams(), pspFieldValueEh);
    EXPECT_EQ(PlainOf(params->GetItem(0)->AsString()), U("Счёт 15"));

    // Cancel leaves the values as they were, a plain value loads as plain text.
    params->GetItem(0)->SetAsString(U("просто"));
    user.Then([&](TDialogCall&) {
        EXPECT_EQ(Form->Editor->Document()->toPlainText(), U("просто"));
        Form->Editor->SetSelText("xx");
        Form->CancelButton->Click();
        return 0;
    });
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_EQ(params->GetItem(0)->AsString(), U("просто"));
    Form->SetDynParams(nullptr);
}

TEST_F(FormFixture, ReadOnlyFormOffersNoOk)
{
    auto params = CreateUnique<TDynVarsEh>(nullptr);
    params->CreateDynVar(QString(), Variant(QString("a")));
    Form->SetDynParams(params.get());
    Form->SetReadOnly(true);
    testsupport::TDialogScript user;
    user.Then([&](TDialogCall&) {
        EXPECT_FALSE(Form->OKButton->Enabled());
        EXPECT_TRUE(Form->Editor->ReadOnly());
        return mrCancel;
    });
    Form->ShowModal();
    Form->SetDynParams(nullptr);
}

TEST_F(FormFixture, EllipsisButtonOfTheRichEditRunsTheForm)
{
    auto owner = CreateUnique<TForm>(nullptr);
    auto* edit = Create<TDBRichEditEh>(owner.get());
    edit->SetParent(owner.get());
    edit->SetBounds(0, 0, 200, 80);
    edit->SetRtfText(RtfOf("one", false));
    TEditButtonEh* b = edit->EditButtons()->Add();
    b->SetStyle(ebsEllipsisEh);
    b->SetVisible(true);
    owner->Show();
    Application->ProcessMessages();
    ASSERT_GT(edit->ButtonsBox()->ButtonsCount(), 0);
    TEditButtonControlEh* control = edit->ButtonsBox()->BtnCtlLine(0).EditButtonControl;
    ASSERT_NE(control, nullptr);
    EXPECT_LT(edit->FormatRect().Right, edit->ClientWidth());   // the text leaves room for the button

    testsupport::TDialogScript user;
    user.Then([&](TDialogCall&) {
        EXPECT_EQ(Form->Editor->Document()->toPlainText(), "one");
        Form->Editor->SelectAll();
        Form->Editor->SetSelText("two");
        Form->OKButton->Click();
        return 0;
    });
    edit->EditButtonClick(control);
    EXPECT_EQ(edit->Document()->toPlainText(), "two");
}

TEST_F(FormFixture, RulerMarkersSetTheirOwnIndents)
{
    Form->Editor->SetText(U("Абзац"));
    Form->Editor->SetSelStart(0);
    Form->Editor->Paragraph()->SetFirstIndent(0);
    Form->Editor->Paragraph()->SetLeftIndent(0);
    Form->SelectionChange(Form);
    // The left marker moves 30 pixels right: the left indent grows, the first line stays.
    Form->RulerItemMouseDown(Form->LeftInd, mbLeft, TShiftState(), 5, 5);
    Form->RulerItemMouseMove(Form->LeftInd, TShiftState{ssLeft}, 35, 5);
    Form->LeftIndMouseUp(Form->LeftInd, mbLeft, TShiftState(), 35, 5);
    EXPECT_EQ(Form->Editor->Paragraph()->FirstIndent(), 0);
    EXPECT_EQ(Form->Editor->Paragraph()->LeftIndent(), 23);   // trunc((32 + 5 - 6) * 3 / 4) - 0
    const int leftMarker = Form->LeftInd->Left();
    // The first-line marker moves: the first indent changes, the left marker stays put.
    Form->RulerItemMouseDown(Form->FirstInd, mbLeft, TShiftState(), 5, 4);
    Form->RulerItemMouseMove(Form->FirstInd, TShiftState{ssLeft}, 17, 4);
    Form->FirstIndMouseUp(Form->FirstInd, mbLeft, TShiftState(), 17, 4);
    EXPECT_EQ(Form->Editor->Paragraph()->FirstIndent(), 9);   // trunc((14 + 5 - 6) * 3 / 4)
    EXPECT_EQ(Form->Editor->Paragraph()->FirstIndent() + Form->Editor->Paragraph()->LeftIndent(), 23);
    EXPECT_EQ(Form->LeftInd->Left(), leftMarker);
}

TEST_F(FormFixture, SavingAppendsRtfUnlessTheNameHasItAndAsksBeforeOverwriting)
{
    QTemporaryDir dir;
    Form->Editor->SetText(U("Итог"));
    struct Case { QString Chosen, Written; };
    const Case cases[] = {
        {dir.filePath("report"), dir.filePath("report.rtf")},
        {dir.filePath("upper.RTF"), dir.filePath("upper.RTF")},
        {dir.filePath("mixed.Rtf"), dir.filePath("mixed.Rtf")},
    };
    testsupport::TDialogScript user;
    for (const Case& c : cases) {
        user.ThenFiles({c.Chosen});
        Form->FileSave(Form);
        ASSERT_TRUE(QFile::exists(c.Written)) << c.Written.toStdString();
        QFile f(c.Written);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(PlainOf(QString::fromLatin1(f.readAll())), U("Итог"));
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("upper.RTF.rtf")));
    // An existing file needs Yes.
    Form->Editor->SetText(U("другой"));
    user.ThenFiles({dir.filePath("report")}).Then(mrNo);
    Form->FileSave(Form);
    EXPECT_EQ(user.Calls.back().Text, "OK to overwrite " + dir.filePath("report.rtf"));
    QFile f(dir.filePath("report.rtf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(PlainOf(QString::fromLatin1(f.readAll())), U("Итог"));
}
