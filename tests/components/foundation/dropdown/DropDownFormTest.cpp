// Drop-down forms opened from an edit control: values in and back through named values, the
// ways a form closes, the button-release notice (also after a failed write-back), and keys and
// presses that arrive while a form closes.
#include "support/AppEnvironment.h"
#include "platform/winapi/WinUser.h"
#include "support/DialogScript.h"
#include "support/ArrayDataSet.h"
#include "support/ErrorCapture.h"

#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/vcl/Mask.h"

#include <QApplication>
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

// A form that shows one value: it reads "Value" (or the only variable) and gives it back;
// Enter closes it with OK. It records what reached it.
class TPickFormEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TPickFormEh, TCustomDropDownFormEh)
public:
    explicit TPickFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}
    Variant Picked;
    QString Typed;
    std::vector<QString>* Log = nullptr;
    bool FailReturn = false;

    void InitForm(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        TCustomDropDownFormEh::InitForm(Host, DynParams);
        Picked = DynParams && DynParams->Count() > 0 ? DynParams->GetItem(0)->Value() : Variant();
    }
    void ReturnParams(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        if (Log)
            Log->push_back("return");
        if (FailReturn)
            throw Exception("cannot read the pick");
        DynParams->GetItem(0)->SetValue(Picked);
        TCustomDropDownFormEh::ReturnParams(Host, DynParams);
    }
    void Accept()
    {
        SetModalResult(mrOk);
        Close();
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (Key == VK_RETURN) {
            Key = 0;
            Accept();
            return;
        }
        TCustomDropDownFormEh::KeyDown(Key, Shift);
    }
    void KeyPress(QChar& Key) override { Typed += Key; }
};

// The same, keeping one shared instance.
class TSharedPickFormEh : public TPickFormEh {
    DOV_PERSISTENT(TSharedPickFormEh, TPickFormEh)
public:
    explicit TSharedPickFormEh(TComponent* AOwner) : TPickFormEh(AOwner) {}

protected:
    bool KeepsGlobalRef() const override { return true; }
};

// An edit control that releases its button when its form's close notice arrives.
class TDropEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    TEditButtonControlEh* ButtonControl = nullptr;
    int Releases = 0;
    QString Typed;
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == WM_DROPDOWNFORMCLOSED_EH) {
            ++Releases;
            if (ButtonControl)
                ButtonControl->SetAlwaysDown(false);
            return;
        }
        TCustomEdit::Dispatch(M);
    }

protected:
    void KeyPress(QChar& Key) override
    {
        Typed += Key;
        TCustomEdit::KeyPress(Key);
    }
};

}  // namespace

DOV_PUBLISHED(TPickFormEh) {}
DOV_PUBLISHED(TSharedPickFormEh) {}

namespace {

void SendKey(QWidget* W, int QtKey, const QString& Text = QString())
{
    QKeyEvent press(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(W, &press);
    QKeyEvent release(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
    QApplication::sendEvent(W, &release);
}

void PressAt(QWidget* W, QPoint P)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(P), W->mapToGlobal(QPointF(P)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(P), W->mapToGlobal(QPointF(P)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(W, &release);
}

struct DropDownCycle : ::testing::Test {
    std::unique_ptr<TForm> Host;
    TDropEdit* Edit = nullptr;
    TEditButtonControlEh* ButtonControl = nullptr;
    std::unique_ptr<TEditButtonEh> Button;
    std::unique_ptr<TPickFormEh> Form;
    TDropDownFormCallParamsEh Params;
    Variant EditValue = Variant(QStringLiteral("abc"));
    std::vector<QString> Log;
    std::vector<bool> Closes;   // Accept of every close notification

    void SetUp() override
    {
        Host = CreateUnique<TForm>(nullptr);
        Host->SetBounds(100, 100, 400, 300);
        Edit = Create<TDropEdit>(Host.get());
        Edit->SetParent(Host.get());
        Edit->SetBounds(20, 20, 150, 22);
        ButtonControl = Create<TEditButtonControlEh>(Edit);
        ButtonControl->SetParent(Edit);
        Edit->ButtonControl = ButtonControl;
        Button = std::make_unique<TEditButtonEh>(Edit);
        Host->Show();
        Edit->SetFocus();
        Form = CreateUnique<TPickFormEh>(nullptr);
        Form->SetBounds(0, 0, 200, 120);
        Form->Log = &Log;
        Params.SetDropDownForm(Form.get());
        Params.SetEditControl(Edit);
        Params.SetEditButton(Button.get());
        Params.SetEditButtonControl(ButtonControl);
        Params.SetOnGetVarValueProc([this](Variant& v) { v = EditValue; });
        Params.SetOnSetVarValueProc([this](const Variant& v) {
            Log.push_back("set");
            EditValue = v;
        });
        Params.SetOnCloseDropDownFormProc([this](TControl*, TEditButtonEh*, bool Accept, TCustomForm*, TDynVarsEh*) {
            Log.push_back("closed");
            Closes.push_back(Accept);
        });
    }
    void TearDown() override
    {
        Form.reset();
        Pump();
    }
    bool Open()
    {
        bool handled = false;
        Params.ShowDropDownForm(handled);
        return handled;
    }
};

TEST_F(DropDownCycle, OkReturnsTheValueThroughTheNamedValuesAndReleasesTheButton)
{
    ASSERT_TRUE(Open());
    EXPECT_TRUE(Form->Showing());
    EXPECT_TRUE(ButtonControl->AlwaysDown());
    EXPECT_EQ(Form->Picked.AsString(), QStringLiteral("abc"));
    // Opened under the edit, without taking the keyboard from it.
    EXPECT_EQ(Form->DropLayout(), dlUnderControlEh);
    EXPECT_EQ(Form->Top(), Edit->ClientToScreen(TPoint(0, 0)).Y + Edit->Height());
    EXPECT_TRUE(Edit->Focused());

    // Typing goes to the form; Enter accepts.
    Form->Picked = Variant(QStringLiteral("xyz"));
    SendKey(Edit->Widget(), Qt::Key_Q, QStringLiteral("q"));
    SendKey(Edit->Widget(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Form->Typed, QStringLiteral("q"));
    EXPECT_EQ(Edit->Typed, QString());
    EXPECT_FALSE(Form->Showing());
    EXPECT_EQ(EditValue.AsString(), QStringLiteral("xyz"));
    // The form's values are read out before the caller hears of the close.
    EXPECT_EQ(Log, (std::vector<QString>{"return", "set", "closed"}));
    EXPECT_EQ(Closes, std::vector<bool>{true});

    // Until the notice is handled the button stays down and a click opens nothing; then the
    // button comes up and the form opens again.
    bool handled = false;
    Params.ShowDropDownForm(handled);
    EXPECT_FALSE(Form->Showing());
    Pump();
    EXPECT_EQ(Edit->Releases, 1);
    EXPECT_FALSE(ButtonControl->AlwaysDown());
    ASSERT_TRUE(Open());
    EXPECT_TRUE(Form->Showing());
}

TEST_F(DropDownCycle, EscapeAndAPressOutsideCloseWithoutWritingBack)
{
    struct Case {
        const char* how;
        std::function<void(DropDownCycle&)> close;
    } cases[] = {
        {"escape", [](DropDownCycle& t) { SendKey(t.Edit->Widget(), Qt::Key_Escape); }},
        {"press outside", [](DropDownCycle& t) { PressAt(t.Host->Widget(), QPoint(300, 250)); }},
        {"close button", [](DropDownCycle& t) { t.Form->CloseButton()->ButtonControl()->Click(); }},
    };
    for (const Case& c : cases) {
        Closes.clear();
        Log.clear();
        ASSERT_TRUE(Open()) << c.how;
        Form->Picked = Variant(QStringLiteral("changed"));
        c.close(*this);
        EXPECT_FALSE(Form->Showing()) << c.how;
        EXPECT_EQ(Closes, std::vector<bool>{false}) << c.how;
        EXPECT_EQ(EditValue.AsString(), QStringLiteral("abc")) << c.how;
        Pump();
        EXPECT_FALSE(ButtonControl->AlwaysDown()) << c.how;
        // The owner kept the keyboard all along.
        EXPECT_TRUE(Edit->Focused()) << c.how;
    }
}

TEST_F(DropDownCycle, PressOnTheEditButtonClosesTheFormAndDoesNotReopenIt)
{
    for (bool withButtonControl : {true, false}) {
        Params.SetEditButtonControl(withButtonControl ? ButtonControl : nullptr);
        Closes.clear();
        ASSERT_TRUE(Open());
        // The press reaches the edit: the form closes on it first...
        PressAt(Edit->Widget(), QPoint(5, 5));
        EXPECT_FALSE(Form->Showing());
        // ...then the button's click asks to open the form while the release notice waits:
        // a held button opens nothing, and without one the waiting notice tells.
        bool handled = false;
        Params.ShowDropDownForm(handled);
        EXPECT_EQ(handled, !withButtonControl);
        EXPECT_FALSE(Form->Showing());
        EXPECT_EQ(Closes, std::vector<bool>{false});
        Pump();
        ASSERT_TRUE(Open());
        SendKey(Edit->Widget(), Qt::Key_Escape);
        Pump();
    }
}

TEST_F(DropDownCycle, AFailedWriteBackIsShownAndStillReleasesTheButton)
{
    Params.SetOnSetVarValueProc([](const Variant&) { throw Exception("Значение не подходит"); });
    bool keptVisible = false;
    testsupport::TDialogScript script;
    script.Then([&](TDialogCall&) {
        keptVisible = Form->KeepFormVisible();
        return IDOK;
    });
    ASSERT_TRUE(Open());
    Form->Accept();
    ASSERT_EQ(script.Calls.size(), 1u);
    EXPECT_TRUE(script.Calls[0].Text.contains(QStringLiteral("Значение не подходит")));
    EXPECT_TRUE(keptVisible);
    EXPECT_FALSE(Form->KeepFormVisible());
    Pump();
    EXPECT_EQ(Edit->Releases, 1);
    EXPECT_FALSE(ButtonControl->AlwaysDown());
    // The drop-down opens again.
    Params.SetOnSetVarValueProc([this](const Variant& v) { EditValue = v; });
    ASSERT_TRUE(Open());
    EXPECT_TRUE(Form->Showing());
    Form->Accept();
    EXPECT_EQ(EditValue.AsString(), QStringLiteral("abc"));
}

TEST_F(DropDownCycle, AFormThatCannotReadOutItsValuesStillEndsTheRun)
{
    Form->FailReturn = true;
    testsupport::TDialogScript script;
    script.Then(IDOK);
    ASSERT_TRUE(Open());
    Form->Picked = Variant(QStringLiteral("lost"));
    Form->Accept();
    EXPECT_EQ(Closes, std::vector<bool>{false});
    EXPECT_EQ(EditValue.AsString(), QStringLiteral("abc"));
    Pump();
    EXPECT_FALSE(ButtonControl->AlwaysDown());
}

TEST_F(DropDownCycle, KeysDuringAndAfterTheCloseGoToTheOwner)
{
    // A key typed while the form closes (here from the close notification) is the owner's.
    Params.SetOnCloseDropDownFormProc([this](TControl*, TEditButtonEh*, bool, TCustomForm*, TDynVarsEh*) {
        SendKey(Edit->Widget(), Qt::Key_A, QStringLiteral("a"));
    });
    ASSERT_TRUE(Open());
    SendKey(Edit->Widget(), Qt::Key_Escape);
    SendKey(Edit->Widget(), Qt::Key_B, QStringLiteral("b"));
    EXPECT_EQ(Form->Typed, QString());
    EXPECT_EQ(Edit->Typed, QStringLiteral("ab"));
    // A second close request while nothing is open changes nothing.
    Form->Close();
    Pump();
    EXPECT_EQ(Edit->Releases, 1);
}

TEST_F(DropDownCycle, OpeningAgainWhileOpenEndsTheFirstRunOnce)
{
    TDynVarsEh first(nullptr), second(nullptr);
    first.CreateDynVar("Value", Variant(1));
    second.CreateDynVar("Value", Variant(2));
    std::vector<std::pair<TDynVarsEh*, bool>> calls;
    const TDropDownFormCallbackProcEh cb = [&](TCustomForm*, bool Accept, TDynVarsEh* D, TDropDownFormSysParams*) {
        calls.emplace_back(D, Accept);
    };
    const TRect r = Bounds(150, 150, 100, 20);
    Form->ExecuteNomodal(r, nullptr, daLeft, &first, nullptr, cb);
    Form->ExecuteNomodal(r, nullptr, daLeft, &second, nullptr, cb);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, &first);
    EXPECT_FALSE(calls[0].second);
    EXPECT_EQ(Form->Picked.AsInteger(), 2);
    Form->Accept();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].first, &second);
    EXPECT_TRUE(calls[1].second);
    EXPECT_EQ(second.GetItem(0)->AsInteger(), 2);
}

// ---------------------------------------------------------------- modal runs

TEST_F(DropDownCycle, ModalRunReturnsThroughTheNamedValues)
{
    struct Case {
        const char* how;
        std::function<void(DropDownCycle&)> act;
        bool result;
    } cases[] = {
        {"ok", [](DropDownCycle& t) { t.Form->SetModalResult(mrOk); }, true},
        {"enter", [](DropDownCycle& t) { SendKey(t.Edit->Widget(), Qt::Key_Return, "\r"); }, true},
        {"escape", [](DropDownCycle& t) { SendKey(t.Edit->Widget(), Qt::Key_Escape); }, false},
        {"press outside", [](DropDownCycle& t) { PressAt(t.Host->Widget(), QPoint(300, 250)); }, false},
    };
    for (const Case& c : cases) {
        TDynVarsEh vars(nullptr);
        vars.CreateDynVar("Value", Variant(QStringLiteral("start")));
        QTimer::singleShot(0, [&] {
            Form->Picked = Variant(QStringLiteral("picked"));
            c.act(*this);
        });
        EXPECT_EQ(Form->Execute(Edit, nullptr, daLeft, &vars), c.result) << c.how;
        EXPECT_FALSE(Form->Showing()) << c.how;
        EXPECT_FALSE(Form->ModalMode()) << c.how;
        EXPECT_EQ(vars.FindDynVar("Value")->AsString(), c.result ? QStringLiteral("picked") : QStringLiteral("start"))
            << c.how;
    }
    // Keys after the run are the edit's again.
    SendKey(Edit->Widget(), Qt::Key_Z, QStringLiteral("z"));
    EXPECT_EQ(Edit->Typed, QStringLiteral("z"));
}

// ---------------------------------------------------------------- which form

TEST(DropDownFormClass, ByNameSharedInstancesAndUnknownNames)
{
    RegisterClasses<TPickFormEh, TSharedPickFormEh>();
    auto edit = CreateUnique<TDropEdit>(nullptr);
    TDropDownFormCallParamsEh p;
    p.SetEditControl(edit.get());
    int changes = 0;
    p.OnChanged = [&](TObject*) { ++changes; };
    bool freeOnClose = true;
    EXPECT_EQ(p.GetActualDropDownForm(freeOnClose), nullptr);
    EXPECT_FALSE(freeOnClose);

    p.SetDropDownFormClassName("TSharedPickFormEh");
    p.SetDropDownFormClassName("TSharedPickFormEh");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(TSharedPickFormEh::StaticClassInfo()), nullptr);
    TCustomForm* shared = p.GetActualDropDownForm(freeOnClose);
    ASSERT_NE(shared, nullptr);
    EXPECT_FALSE(freeOnClose);
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(TSharedPickFormEh::StaticClassInfo()), shared);
    EXPECT_EQ(p.GetActualDropDownForm(freeOnClose), shared);

    p.SetDropDownFormClassName("TPickFormEh");
    TCustomForm* a = p.GetActualDropDownForm(freeOnClose);
    EXPECT_TRUE(freeOnClose);
    TCustomForm* b = p.GetActualDropDownForm(freeOnClose);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->Owner(), edit.get());

    p.SetDropDownFormClassName("TNoSuchFormEh");
    EXPECT_EQ(ErrorOf([&] { p.GetActualDropDownForm(freeOnClose); }),
              QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
    edit.reset();
    EXPECT_EQ(TCustomDropDownFormEh::GetGlobalRef(TSharedPickFormEh::StaticClassInfo()), nullptr);
    EXPECT_NE(GetClass("TCustomDropDownFormEh"), nullptr);
}

TEST_F(DropDownCycle, AFormMadeForOneRunGoesWhenItCloses)
{
    RegisterClasses<TPickFormEh>();
    Params.SetDropDownForm(nullptr);
    Params.SetDropDownFormClassName("TPickFormEh");
    const int before = Edit->ComponentCount();
    ASSERT_TRUE(Open());
    EXPECT_EQ(Edit->ComponentCount(), before + 1);
    SendKey(Edit->Widget(), Qt::Key_Escape);
    Pump();
    EXPECT_EQ(Edit->ComponentCount(), before);
}

// ---------------------------------------------------------------- values with a dataset

struct DataCycle : DropDownCycle {
    std::unique_ptr<TArrayDataSet> Data = CreateUnique<TArrayDataSet>(nullptr);
    std::unique_ptr<TDataSource> Source = CreateUnique<TDataSource>(nullptr);
    TDataLink Link;
    void SetUp() override
    {
        DropDownCycle::SetUp();
        Data->FieldDefs()->Add("Code", ftInteger);
        Data->FieldDefs()->Add("Name", ftString, 20);
        Data->AddRow({Variant(7), Variant(QStringLiteral("Север"))});
        Data->Open();
        Source->SetDataSet(Data.get());
        Link.SetDataSource(Source.get());
        Params.SetDataLink(&Link);
        Params.SetField(Data->FieldByName("Name"));
    }
};

TEST_F(DataCycle, ParametersByPassMode)
{
    struct Case {
        TDropDownPassParamsEh mode;
        QString passNames;
        QString expected;   // name=value per variable
    } cases[] = {
        {pspFieldValueEh, "", "Name=abc"},
        {pspRecordValuesEh, "", "Code=7;Name=Север"},
        {pspByFieldNamesEh, "", ""},
        {pspCustomValuesEh, "", ""},
        {pspCustomValuesEh, "Code", "Code=7"},
    };
    for (const Case& c : cases) {
        Params.SetPassParams(c.mode);
        Params.SetPassFieldNames(c.passNames);
        TDynVarsEh vars(nullptr);
        Params.InitDynParams(&vars);
        QStringList got;
        for (int i = 0; i < vars.Count(); ++i)
            got << vars.GetItem(i)->Name() + "=" + vars.GetItem(i)->AsString();
        EXPECT_EQ(got.join(';'), c.expected) << int(c.mode);
    }
    // Without a field the one variable has the empty name.
    Params.SetField(nullptr);
    Params.SetPassParams(pspFieldValueEh);
    Params.SetPassFieldNames("");
    TDynVarsEh vars(nullptr);
    Params.InitDynParams(&vars);
    ASSERT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.GetItem(0)->Name(), QString());
}

TEST_F(DataCycle, WriteBackByFieldNamesPostsAndSkipsMissingValues)
{
    Params.SetAssignBackFieldNames("Code;Name");
    TDynVarsEh vars(nullptr);
    vars.CreateDynVar("Code", Variant(9));
    Params.AssignBackDynParams(&vars);
    EXPECT_EQ(Data->State(), dsBrowse);
    EXPECT_EQ(Data->FieldByName("Code")->AsInteger(), 9);
    EXPECT_EQ(Data->FieldByName("Name")->AsString(), QStringLiteral("Север"));
}

TEST_F(DataCycle, SingleValueIsTheOneNamedAfterTheField)
{
    TDynVarsEh vars(nullptr);
    vars.CreateDynVar("Other", Variant(QStringLiteral("wrong")));
    vars.CreateDynVar("Name", Variant(QStringLiteral("Юг")));
    Params.AssignBackDynParams(&vars);
    EXPECT_EQ(EditValue.AsString(), QStringLiteral("Юг"));
    // With no value at all the write-back fails with the collection's index error.
    TDynVarsEh empty(nullptr);
    EXPECT_NE(ErrorOf([&] { Params.AssignBackDynParams(&empty); }), QStringLiteral("<no error>"));
}

TEST_F(DataCycle, ReadOnlyDataTakesNothingBack)
{
    Data->FieldByName("Name")->SetReadOnly(true);
    bool asked = false;
    Params.OnCheckDataIsReadOnly = [&](TObject*, bool& ro) { asked = ro; };
    TDynVarsEh vars(nullptr);
    vars.CreateDynVar("Name", Variant(QStringLiteral("Юг")));
    Params.AssignBackDynParams(&vars);
    EXPECT_TRUE(asked);
    EXPECT_EQ(EditValue.AsString(), QStringLiteral("abc"));
    // The form learns it at the open.
    ASSERT_TRUE(Open());
    EXPECT_TRUE(Form->ReadOnly());
    SendKey(Edit->Widget(), Qt::Key_Escape);
}

// ---------------------------------------------------------------- placement and elements

struct FormPlacement : ::testing::Test {
    std::unique_ptr<TPickFormEh> Form = CreateUnique<TPickFormEh>(nullptr);
    TRect WA = Screen->WorkAreaRect();
    void Run(const TRect& R, int W, int H, TDropDownAlign A)
    {
        Form->SetBounds(0, 0, W, H);
        TDynVarsEh vars(nullptr);
        Form->ExecuteNomodal(R, nullptr, A, &vars, nullptr, nullptr);
        Form->Hide();
    }
};

TEST_F(FormPlacement, AboveWhenThereIsMoreRoomThereElseCutBelow)
{
    // 100 pixels above the bottom, more room above: the form goes above, grips at the top.
    Run(Bounds(WA.Left + 50, WA.Bottom - 120, 100, 20), 150, 300, daLeft);
    EXPECT_EQ(Form->DropLayout(), dlAboveControlEh);
    EXPECT_EQ(Form->Top(), WA.Bottom - 120 - 300);
    EXPECT_EQ(Form->Height(), 300);
    EXPECT_EQ(Form->RightGripPosition(), sgpTopRight);
    EXPECT_EQ(Form->LeftGripPosition(), sgpTopLeft);
    // Near the top, less room above: below, cut to the work area.
    Run(Bounds(WA.Left + 50, WA.Top + 30, 100, 20), 150, WA.Height(), daLeft);
    EXPECT_EQ(Form->DropLayout(), dlUnderControlEh);
    EXPECT_EQ(Form->Top(), WA.Top + 50);
    EXPECT_EQ(Form->Top() + Form->Height(), WA.Bottom);
    EXPECT_EQ(Form->RightGripPosition(), sgpBottomRight);
}

TEST_F(FormPlacement, AlignmentAndWidth)
{
    const TRect r = Bounds(WA.Left + 200, WA.Top + 100, 100, 20);
    Run(r, 160, 100, daCenter);
    EXPECT_EQ(Form->Left(), r.Left - 30);
    Run(r, 160, 100, daRight);
    EXPECT_EQ(Form->Left() + Form->Width(), r.Right);
    Run(r, WA.Width() + 50, 100, daLeft);
    EXPECT_EQ(Form->Width(), WA.Width());
    EXPECT_EQ(Form->Left(), WA.Left);
}

TEST_F(FormPlacement, ElementsFollowTheLayout)
{
    Run(Bounds(WA.Left + 50, WA.Top + 30, 100, 20), 200, 150, daLeft);
    Form->InitElements();
    TDDFSizingBarEh* bar = Form->SizingBar();
    TDDFCloseButtonEh* close = Form->CloseButton();
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Height(), GetSystemMetrics(SM_CYVSCROLL) + 3);
    EXPECT_EQ(close->Left(), 17);
    EXPECT_EQ(close->Top(), Form->ClientHeight() - close->Height() - 1);
    EXPECT_EQ(close->Anchors(), (TAnchors{akLeft, akBottom}));

    Run(Bounds(WA.Left + 50, WA.Bottom - 40, 100, 20), 200, 150, daLeft);
    EXPECT_EQ(Form->DropLayout(), dlAboveControlEh);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(close->Left(), Form->ClientWidth() - close->Width() - 17);
    EXPECT_EQ(close->Top(), 1);

    Form->SetFormElements(TDropDownFormElementsEh{ddfeRightGripEh});
    Form->InitElements();
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(close->Visible());
}

TEST_F(FormPlacement, SizingBarDragsTheFormsEdge)
{
    Run(Bounds(WA.Left + 50, WA.Top + 30, 100, 20), 200, 150, daLeft);
    TDDFSizingBarEh* bar = Form->SizingBar();
    const int h = bar->Height();
    EXPECT_EQ(bar->SizingArea(), 10);
    const int top = Form->Top();
    // A press above the grab zone does nothing; one in it drags the bottom edge.
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 31));
    EXPECT_EQ(Form->Height(), 150);
    bar->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 31));
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, h - 2));
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, h + 28));
    bar->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, h + 28));
    EXPECT_EQ(Form->Height(), 180);
    EXPECT_EQ(Form->Top(), top);
}

}  // namespace
