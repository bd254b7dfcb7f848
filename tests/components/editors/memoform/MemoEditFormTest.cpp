// The memo editor form: one shared instance from its form resource; the text goes in and comes
// back through the named values only when the user closes it with OK, modally and as a
// drop-down; the hook edits a string modally.
#include "support/AppEnvironment.h"
#include "platform/winapi/WinUser.h"
#include "support/DialogScript.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/editors/MemoEditFormsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Mask.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ClickButton(TSpeedButton* Button)
{
    TWinControl* host = Button->Parent();
    ASSERT_NE(host->Widget(), nullptr);
    const QPointF at(Button->Left() + Button->Width() / 2, Button->Top() + Button->Height() / 2);
    QWidget* w = host->Widget();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void TypeInto(QWidget* W, int QtKey, const QString& Text)
{
    QKeyEvent press(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(W, &press);
    QKeyEvent release(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(W, &release);
}

TEST(MemoEditForm, OneSharedInstanceFromItsResource)
{
    TMemoEditWinEh* form = TMemoEditWinEh::GetGlobalRef();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(TMemoEditWinEh::GetGlobalRef(), form);
    EXPECT_EQ(form->Owner(), Application);
    EXPECT_EQ(GetClass(QStringLiteral("TMemoEditWinEh")), &TMemoEditWinEh::StaticClassInfo());
    EXPECT_EQ(EditMemoTextHook, &ShowMemoEditor);

    EXPECT_EQ(form->Caption(), "MemoEditWinEh");
    ASSERT_NE(form->Memo1, nullptr);
    ASSERT_NE(form->Panel1, nullptr);
    ASSERT_NE(form->Bevel1, nullptr);
    EXPECT_EQ(form->Memo1->Align(), alClient);
    EXPECT_EQ(form->Memo1->ScrollBars(), ssVertical);
    EXPECT_EQ(form->Memo1->BorderStyle(), bsNone);
    ASSERT_EQ(form->Memo1->Lines()->Count(), 1);
    EXPECT_EQ(form->Memo1->Lines()->Strings(0), "Memo1");
    EXPECT_EQ(form->Panel1->Align(), alRight);
    EXPECT_EQ(form->Panel1->Width(), 80);
    EXPECT_EQ(form->Bevel1->Shape(), bsLeftLine);
    EXPECT_EQ(form->Bevel1->Width(), 2);
    EXPECT_EQ(form->Bevel1->Align(), alRight);
    ASSERT_NE(form->sbOk, nullptr);
    EXPECT_EQ(form->sbOk->Parent(), form->Panel1);
    EXPECT_EQ(form->sbOk->Caption(), "OK");
    EXPECT_EQ(form->sbOk->BoundsRect(), Bounds(6, 15, 68, 22));
    EXPECT_EQ(form->SpeedButton2->Caption(), "Cancel");
    EXPECT_EQ(form->SpeedButton2->BoundsRect(), Bounds(6, 40, 68, 22));
    EXPECT_FALSE(form->sbOk->Glyph()->Empty());
    EXPECT_FALSE(form->SpeedButton2->Glyph()->Empty());
    // The glyphs are the resource's pictures: a green tick and a maroon cross on a ground of
    // the transparent colour.
    for (auto [button, ink] : {std::pair{form->sbOk, clGreen}, std::pair{form->SpeedButton2, clMaroon}}) {
        TBitmap* glyph = button->Glyph();
        ASSERT_EQ(glyph->Width(), 12);
        EXPECT_EQ(glyph->Canvas()->Pixels(0, 11), clFuchsia);
        int inked = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                inked += glyph->Canvas()->Pixels(x, y) == ink;
        EXPECT_GT(inked, 12) << button->Name().toStdString();
    }
    QFile resource(QStringLiteral(":/forms/TMemoEditWinEh.form"));
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    EXPECT_EQ(resource.readAll().count("Glyph.Data = {"), 2);
    // The memo fills what the panel and the bevel leave.
    EXPECT_EQ(form->Memo1->Width() + form->Bevel1->Width() + form->Panel1->Width(), form->ClientWidth());
}

TEST(MemoEditForm, InitFormReadsTheFirstValueAndTellsHowParametersCame)
{
    TMemoEditWinEh* form = TMemoEditWinEh::GetGlobalRef();
    TDynVarsEh none(nullptr);
    form->InitForm(nullptr, &none);
    EXPECT_EQ(form->PassParams(), pspByFieldNamesEh);
    TDynVarsEh one(nullptr);
    one.CreateDynVar(QString(), Variant(QStringLiteral("строка")));
    form->InitForm(nullptr, &one);
    EXPECT_EQ(form->PassParams(), pspFieldValueEh);
    EXPECT_EQ(form->Memo1->Text(), "строка");
    TDynVarsEh two(nullptr);
    two.CreateDynVar(QStringLiteral("A"), Variant(QStringLiteral("первая")));
    two.CreateDynVar(QStringLiteral("B"), Variant(QStringLiteral("вторая")));
    form->InitForm(nullptr, &two);
    EXPECT_EQ(form->PassParams(), pspRecordValuesEh);
    EXPECT_EQ(form->Memo1->Text(), "первая");
    TDynVarsEh nullValue(nullptr);
    nullValue.CreateDynVar(QString(), Variant::Null());
    form->InitForm(nullptr, &nullValue);
    EXPECT_EQ(form->Memo1->Text(), "");
}

// ---- the modal hook ----

TEST(MemoEditForm, HookReturnsTheEditedTextOnOkOnly)
{
    const QString lines = QStringLiteral("первая строка\r\nвторая\r\n\r\nчетвёртая");
    testsupport::TDialogScript script;
    script
        .Then([&](TDialogCall& call) {
            auto* form = dynamic_cast<TMemoEditWinEh*>(call.Form);
            EXPECT_NE(form, nullptr);
            if (!form)
                return mrCancel;
            EXPECT_FALSE(form->DropDownMode());
            EXPECT_EQ(form->Memo1->Text(), "было");
            EXPECT_TRUE(form->sbOk->Enabled());
            EXPECT_FALSE(form->Memo1->ReadOnly());
            form->Memo1->SetText(lines);
            ClickButton(form->sbOk);
            return int(form->ModalResult());
        })
        .Then([&](TDialogCall& call) {
            auto* form = static_cast<TMemoEditWinEh*>(call.Form);
            form->Memo1->SetText(QStringLiteral("отменено"));
            ClickButton(form->SpeedButton2);
            return int(form->ModalResult());
        })
        .Then([&](TDialogCall& call) {
            auto* form = static_cast<TMemoEditWinEh*>(call.Form);
            form->Memo1->SetText(QStringLiteral("брошено"));
            form->Memo1->SetFocus();
            TypeInto(form->Memo1->Widget(), Qt::Key_Escape, QStringLiteral("\x1b"));
            return int(form->ModalResult());
        });
    QString text = QStringLiteral("было");
    EXPECT_TRUE(EditMemoTextHook(text, TRect(), false));
    EXPECT_EQ(text, lines);   // the same line breaks come back
    EXPECT_FALSE(EditMemoTextHook(text, TRect(), false));
    EXPECT_EQ(text, lines);
    EXPECT_FALSE(EditMemoTextHook(text, TRect(), false));
    EXPECT_EQ(text, lines);
}

TEST(MemoEditForm, ReadOnlyShowsTheTextWithOkDisabled)
{
    testsupport::TDialogScript script;
    script.Then([&](TDialogCall& call) {
        auto* form = static_cast<TMemoEditWinEh*>(call.Form);
        EXPECT_EQ(form->Memo1->Text(), "только читать");
        EXPECT_FALSE(form->sbOk->Enabled());
        EXPECT_TRUE(form->Memo1->ReadOnly());
        form->Memo1->SetFocus();
        TypeInto(form->Memo1->Widget(), Qt::Key_X, QStringLiteral("x"));
        EXPECT_EQ(form->Memo1->Text(), "только читать");
        ClickButton(form->sbOk);   // disabled: nothing
        EXPECT_EQ(form->ModalResult(), mrNone);
        ClickButton(form->SpeedButton2);
        return int(form->ModalResult());
    });
    QString text = QStringLiteral("только читать");
    EXPECT_FALSE(ShowMemoEditor(text, TRect(), true));
    EXPECT_EQ(text, "только читать");
    // The next use is writable again.
    script.Then([&](TDialogCall& call) {
        auto* form = static_cast<TMemoEditWinEh*>(call.Form);
        EXPECT_TRUE(form->sbOk->Enabled());
        return int(mrCancel);
    });
    EXPECT_FALSE(ShowMemoEditor(text, TRect(), false));
}

// ---- drop-down runs ----

class MemoDropDownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Host = CreateUnique<TForm>(nullptr);
        Host->SetBounds(100, 100, 400, 300);
        Edit = Create<TCustomEdit>(Host.get());
        Edit->SetParent(Host.get());
        Edit->SetBounds(10, 10, 200, 22);
        Host->Show();
        Edit->SetFocus();
        Pump();
        Form = TMemoEditWinEh::GetGlobalRef();
        Form->SetReadOnly(false);
        Params = std::make_unique<TDynVarsEh>(nullptr);
        Params->CreateDynVar(QStringLiteral("Note"), Variant(QStringLiteral("в поле")));
        Sys = std::make_unique<TEditControlDropDownFormSysParams>();
        Sys->SetEditControl(Edit);
    }
    void Open()
    {
        TPoint p = Edit->ClientToScreen(TPoint(0, 0));
        const TDropDownFormCallbackProcEh done = [this](TCustomForm*, bool Accept, TDynVarsEh* DynParams,
                                                        TDropDownFormSysParams*) {
            Results.push_back(Accept);
            // What an edit control does: the field takes the value on OK only.
            if (Accept)
                Field = DynParams->GetItem(0)->AsString();
        };
        Form->ExecuteNomodal(Bounds(p.X, p.Y, Edit->Width(), Edit->Height()), nullptr, daLeft, Params.get(),
                             Sys.get(), done);
        Pump();
    }
    void TearDown() override
    {
        if (Form->Showing())
            Form->Close();
        Pump();
    }
    std::unique_ptr<TForm> Host;
    TCustomEdit* Edit = nullptr;
    TMemoEditWinEh* Form = nullptr;
    std::unique_ptr<TDynVarsEh> Params;
    std::unique_ptr<TEditControlDropDownFormSysParams> Sys;
    std::vector<bool> Results;
    QString Field = QStringLiteral("в поле");
};

TEST_F(MemoDropDownTest, OkReturnsTheTypedText)
{
    Open();
    ASSERT_TRUE(Form->Showing());
    EXPECT_TRUE(Form->DropDownMode());
    EXPECT_EQ(Form->Memo1->Text(), "в поле");
    // Keys typed while the edit keeps the focus go to the memo.
    Form->Memo1->SetSelStart(int(Form->Memo1->Text().size()));
    TypeInto(Edit->Widget(), Qt::Key_Exclam, QStringLiteral("!"));
    EXPECT_EQ(Form->Memo1->Text(), "в поле!");
    ClickButton(Form->sbOk);
    Pump();
    EXPECT_FALSE(Form->Showing());
    EXPECT_EQ(Results, std::vector<bool>({true}));
    EXPECT_EQ(Params->GetItem(0)->AsString(), "в поле!");
    EXPECT_EQ(Field, "в поле!");
}

TEST_F(MemoDropDownTest, CancelAndEscapeLeaveTheValueAlone)
{
    Open();
    Form->Memo1->SetText(QStringLiteral("другое"));
    ClickButton(Form->SpeedButton2);
    Pump();
    EXPECT_FALSE(Form->Showing());
    Open();
    EXPECT_EQ(Form->Memo1->Text(), "в поле");
    Form->Memo1->SetText(QStringLiteral("ещё другое"));
    TypeInto(Edit->Widget(), Qt::Key_Escape, QStringLiteral("\x1b"));
    Pump();
    EXPECT_FALSE(Form->Showing());
    EXPECT_EQ(Results, std::vector<bool>({false, false}));
    EXPECT_EQ(Params->GetItem(0)->AsString(), "в поле");
    EXPECT_EQ(Field, "в поле");
}

TEST_F(MemoDropDownTest, ModalDropDownRunReturnsOnOkOnly)
{
    // The modal drop-down run: its own loop, ended by the buttons.
    QTimer::singleShot(0, [this] {
        Form->Memo1->SetText(QStringLiteral("через цикл"));
        ClickButton(Form->sbOk);
    });
    EXPECT_TRUE(Form->Execute(Edit, nullptr, daLeft, Params.get()));
    EXPECT_EQ(Params->GetItem(0)->AsString(), "через цикл");
    QTimer::singleShot(0, [this] {
        Form->Memo1->SetText(QStringLiteral("не то"));
        ClickButton(Form->SpeedButton2);
    });
    EXPECT_FALSE(Form->Execute(Edit, nullptr, daLeft, Params.get()));
    EXPECT_EQ(Params->GetItem(0)->AsString(), "через цикл");
}

}  // namespace

namespace {

// The edit's ellipsis button opens the shared memo editor on the edit's text.
TEST(MemoEditForm, EllipsisButtonOfAnEditUsesTheSharedForm)
{
    EXPECT_EQ(DBEditEhMemoEditFormClass, &TMemoEditWinEh::StaticClassInfo());
    TMemoEditWinEh::GetGlobalRef();
    auto form = CreateUnique<TForm>(nullptr);
    auto* edit = Create<TDBEditEh>(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 200, 21);
    edit->EditButton()->SetStyle(ebsEllipsisEh);
    edit->EditButton()->SetVisible(true);
    form->Show();
    Pump();
    edit->SetText(QStringLiteral("до"));
    TEditButtonControlEh* button = edit->GetEditButtonControlByEditButton(edit->EditButton());
    ASSERT_NE(button, nullptr);
    testsupport::TDialogScript script;
    script
        .Then([](TDialogCall& call) {
            auto* memoForm = static_cast<TMemoEditWinEh*>(call.Form);
            EXPECT_EQ(memoForm->Memo1->Text(), "до");
            memoForm->Memo1->SetText(QStringLiteral("отменено"));
            return int(mrCancel);
        })
        .Then([](TDialogCall& call) {
            auto* memoForm = static_cast<TMemoEditWinEh*>(call.Form);
            memoForm->Memo1->SetText(QStringLiteral("после"));
            ClickButton(memoForm->sbOk);
            return int(memoForm->ModalResult());
        });
    button->Click();
    EXPECT_EQ(edit->Text(), "до");
    button->Click();
    EXPECT_EQ(edit->Text(), "после");
}

}  // namespace
