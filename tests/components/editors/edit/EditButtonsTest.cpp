// The data-aware edit's buttons: presses and shortcuts, the default action of the ellipsis
// style, and drop-down forms that take the value or the record and write it back into the
// right fields (never into read-only data, a closed dataset or a field that went away).
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"
#include "platform/winapi/WinUser.h"
#include "support/DialogScript.h"
#include "support/ErrorCapture.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace testsupport;

namespace {

// A drop-down form that sets the named values it is told to on OK.
class TSetFormEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TSetFormEh, TCustomDropDownFormEh)
public:
    explicit TSetFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}
    std::vector<std::pair<QString, Variant>> Returns;
    QStringList Received;
    bool OpenedReadOnly = false;

    void InitForm(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        TCustomDropDownFormEh::InitForm(Host, DynParams);
        Received.clear();
        for (int i = 0; i < DynParams->Count(); ++i)
            Received << DynParams->GetItem(i)->Name() + "=" + DynParams->GetItem(i)->Value().AsString();
        OpenedReadOnly = ReadOnly();
    }
    void ReturnParams(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        for (auto& [name, value] : Returns)
            if (TDynVarEh* v = DynParams->FindDynVar(name))
                v->SetValue(value);
        TCustomDropDownFormEh::ReturnParams(Host, DynParams);
    }
    void Accept()
    {
        SetModalResult(mrOk);
        Close();
    }
};

// The memo editor as the ellipsis button sees it: one shared instance, values in and out.
class TTestMemoFormEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TTestMemoFormEh, TCustomDropDownFormEh)
public:
    explicit TTestMemoFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}
};

}  // namespace

DOV_PUBLISHED(TSetFormEh) {}
DOV_PUBLISHED(TTestMemoFormEh) {}

namespace {

class EditButtonsTest : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    std::unique_ptr<TSetFormEh> dropForm = CreateUnique<TSetFormEh>(nullptr);
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;
    TDBEditEh* edit = nullptr;
    std::vector<bool> closes;

    void SetUp() override
    {
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        t->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        t->CreateDataSet();
        t->AppendRecord({Variant(QStringLiteral("Рога")), Variant(12.5), Variant(3)});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        form->SetBounds(100, 100, 400, 200);
        edit = Create<TDBEditEh>(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 21);
        edit->SetDataSource(src);
        edit->SetDataField(QStringLiteral("Sum"));
        form->Show();
        edit->SetFocus();
        Pump();
        dropForm->SetBounds(0, 0, 200, 100);
        edit->OnCloseDropDownForm = [this](TControl*, TEditButtonEh*, bool accept, TCustomForm*, TDynVarsEh*) {
            closes.push_back(accept);
        };
    }
    void TearDown() override
    {
        dropForm.reset();
        Pump();
    }
    TEditButtonEh* AddFormButton()
    {
        TEditButtonEh* b = edit->EditButtons()->Add();
        b->DropDownFormParams()->SetDropDownForm(dropForm.get());
        return b;
    }
    bool Press(TEditButtonEh* b)
    {
        TEditButtonControlEh* c = edit->GetEditButtonControlByEditButton(b);
        EXPECT_NE(c, nullptr);
        if (!c)
            return false;
        bool autoRepeat = false;
        c->EditButtonDown(false, autoRepeat);
        return dropForm->Showing();
    }
};

TEST_F(EditButtonsTest, FormGetsTheValueAndWritesBackTheVariableNamedAfterTheField)
{
    TEditButtonEh* b = AddFormButton();
    b->DropDownFormParams()->SetPassParams(pspRecordValuesEh);
    ASSERT_TRUE(Press(b));
    EXPECT_EQ(dropForm->Received, (QStringList{"Name=Рога", "Sum=12,5", "Qty=3"}));
    EXPECT_TRUE(edit->GetEditButtonControlByEditButton(b)->AlwaysDown());
    // The record's first value is the name: only the one named after the edit's field is
    // the edit's value.
    dropForm->Returns = {{"Name", Variant(QStringLiteral("Копыта"))}, {"Sum", Variant(99.5)}};
    dropForm->Accept();
    EXPECT_FALSE(dropForm->Showing());
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 99.5);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога"));
    EXPECT_EQ(t->State(), dsBrowse);   // the write-back posted what it opened
    EXPECT_EQ(closes, std::vector<bool>{true});
    EXPECT_FALSE(edit->GetEditButtonControlByEditButton(b)->AlwaysDown());
}

TEST_F(EditButtonsTest, AssignBackSkipsNamesTheFormDidNotReturn)
{
    TEditButtonEh* b = AddFormButton();
    b->DropDownFormParams()->SetPassFieldNames(QStringLiteral("Name;Qty"));
    b->DropDownFormParams()->SetAssignBackFieldNames(QStringLiteral("Name;Qty;Sum"));
    ASSERT_TRUE(Press(b));
    EXPECT_EQ(dropForm->Received, (QStringList{"Name=Рога", "Qty=3"}));
    dropForm->Returns = {{"Qty", Variant(8)}};
    dropForm->Accept();
    EXPECT_EQ(t->FieldByName(QStringLiteral("Qty"))->AsInteger(), 8);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Рога"));
    // Sum was not passed, so nothing came back for it: it keeps its value, not null.
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 12.5);
}

// Data that must not or cannot take the form's values: nothing is written, the form closes,
// the button comes up and the form opens again.
TEST_F(EditButtonsTest, NothingIsWrittenBackIntoDataThatCannotTakeIt)
{
    struct Case {
        const char* name;
        std::function<void(EditButtonsTest&)> before;   // before opening
        std::function<void(EditButtonsTest&)> during;   // while the form is open
        bool openedReadOnly;
    };
    const Case cases[] = {
        {"read-only control", [](EditButtonsTest& s) { s.edit->SetReadOnly(true); }, nullptr, true},
        {"read-only field", [](EditButtonsTest& s) { s.t->FieldByName(QStringLiteral("Sum"))->SetReadOnly(true); },
         nullptr, true},
        {"dataset closed", nullptr, [](EditButtonsTest& s) { s.t->Close(); }, false},
        {"field deleted", nullptr,
         [](EditButtonsTest& s) {
             s.t->Close();
             s.t->FieldDefs()->Clear();
             s.t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
             // The edit's link reports the field it lost.
             EXPECT_EQ(ErrorOf([&] { s.t->CreateDataSet(); }), QStringLiteral("Field 'Sum' not found"));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        form = CreateUnique<TForm>(nullptr);
        dropForm = CreateUnique<TSetFormEh>(nullptr);
        closes.clear();
        SetUp();
        TEditButtonEh* b = AddFormButton();
        if (c.before)
            c.before(*this);
        ASSERT_TRUE(Press(b));
        EXPECT_EQ(dropForm->OpenedReadOnly, c.openedReadOnly);
        if (c.during)
            c.during(*this);
        dropForm->Returns = {{"Sum", Variant(99.5)}, {"", Variant(99.5)}};
        testsupport::TDialogScript noBoxes;   // any error box fails the case
        dropForm->Accept();
        EXPECT_FALSE(dropForm->Showing());
        EXPECT_EQ(closes, std::vector<bool>{true});
        if (t->Active() && t->FindField(QStringLiteral("Sum"))) {
            EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 12.5);
            EXPECT_EQ(t->State(), dsBrowse);
        }
        EXPECT_FALSE(edit->GetEditButtonControlByEditButton(b)->AlwaysDown());
        Pump();
        EXPECT_TRUE(Press(b));
        dropForm->Close();
    }
}

TEST_F(EditButtonsTest, PressingTheButtonOfTheOpenFormClosesItWithoutReopening)
{
    TEditButtonEh* b = AddFormButton();
    ASSERT_TRUE(Press(b));
    // The press outside closes the form first; the press itself then finds the closed
    // notice waiting and opens nothing.
    dropForm->Close();
    EXPECT_FALSE(Press(b));
    Pump();
    EXPECT_TRUE(Press(b));
    dropForm->Close();
}

TEST_F(EditButtonsTest, UnregisteredFormClassIsReported)
{
    TEditButtonEh* b = edit->EditButtons()->Add();
    b->DropDownFormParams()->SetDropDownFormClassName(QStringLiteral("TNoSuchFormEh"));
    TEditButtonControlEh* c = edit->GetEditButtonControlByEditButton(b);
    ASSERT_NE(c, nullptr);
    bool autoRepeat = false;
    EXPECT_EQ(ErrorOf([&] { c->EditButtonDown(false, autoRepeat); }),
              QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
}

TEST_F(EditButtonsTest, ShortcutsClickEnabledButtonsOnly)
{
    int clicks = 0;
    TEditButtonEh* b = edit->EditButtons()->Add();
    b->SetShortCut(0x4000 | 'K');   // Ctrl+K
    b->SetOnClick([&](TObject*, bool& handled) {
        ++clicks;
        handled = true;
    });
    edit->HandleKeyPress('K', QChar(11), {ssCtrl});
    EXPECT_EQ(clicks, 1);
    b->SetEnabled(false);
    edit->HandleKeyPress('K', QChar(11), {ssCtrl});
    EXPECT_EQ(clicks, 1);
}

TEST_F(EditButtonsTest, FirstDefaultActionButtonSkipsInvisibleOnes)
{
    EXPECT_EQ(edit->GetFirstDefaultActionEditButton(), nullptr);   // the main button is hidden
    TEditButtonEh* hidden = edit->EditButtons()->Add();
    hidden->SetVisible(false);
    TEditButtonEh* shown = edit->EditButtons()->Add();
    EXPECT_EQ(edit->GetFirstDefaultActionEditButton(), shown);
    EXPECT_TRUE(hidden->DefaultAction());
    // A button with its own handler has no default action.
    shown->SetOnClick([](TObject*, bool&) {});
    edit->UpdateEditButtonsState();
    EXPECT_EQ(edit->GetFirstDefaultActionEditButton(), nullptr);
    edit->EditButton()->SetVisible(true);
    edit->UpdateEditButtonsState();
    EXPECT_EQ(edit->GetFirstDefaultActionEditButton(), edit->EditButton());
}

TEST_F(EditButtonsTest, EllipsisOpensTheMemoEditorOnTheText)
{
    auto memo = CreateUnique<TTestMemoFormEh>(nullptr);
    SetDropDownFormGlobalRef(TTestMemoFormEh::StaticClassInfo(), memo.get());
    DBEditEhMemoEditFormClass = &TTestMemoFormEh::StaticClassInfo();
    auto restore = Finally([] {
        SetDropDownFormGlobalRef(TTestMemoFormEh::StaticClassInfo(), nullptr);
        DBEditEhMemoEditFormClass = nullptr;
    });
    edit->EditButton()->SetVisible(true);
    edit->EditButton()->SetStyle(ebsEllipsisEh);
    edit->UpdateEditButtonsState();
    TEditButtonControlEh* c = edit->GetEditButtonControlByEditButton(edit->EditButton());
    ASSERT_NE(c, nullptr);

    QString seen;
    {
        testsupport::TDialogScript user;
        user.Then([&](TDialogCall&) {
            TDynVarsEh* p = nullptr;
            memo->GetDynParams(p);
            seen = p->GetItem(0)->Value().AsString();
            return mrCancel;
        });
        c->Click();
    }
    EXPECT_EQ(seen, QStringLiteral("12,5"));
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 12.5);
    {
        testsupport::TDialogScript user;
        user.Then([&](TDialogCall&) {
            TDynVarsEh* p = nullptr;
            memo->GetDynParams(p);
            p->GetItem(0)->SetValue(Variant(QStringLiteral("7,5")));
            return mrOk;
        });
        c->Click();
    }
    EXPECT_DOUBLE_EQ(t->FieldByName(QStringLiteral("Sum"))->AsFloat(), 7.5);
}

}  // namespace
