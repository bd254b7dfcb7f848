// The data-aware check box: how a field's value becomes a state and back, the user's toggles
// and keys, and what happens when the data refuses.
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Classes.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"
#include "support/ErrorCapture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class DBCheckBoxTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;
    TDBCheckBoxEh* box = nullptr;
    TCustomControl* other = nullptr;
    int clicks = 0;

    void SetUp() override
    {
        form->SetBounds(100, 100, 300, 200);
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Flag"), ftString, 10);
        t->FieldDefs()->Add(QStringLiteral("Paid"), ftBoolean);
        t->FieldDefs()->Add(QStringLiteral("Count"), ftInteger);
        t->CreateDataSet();
        t->AppendRecord({Variant(QStringLiteral("yes")), Variant(true), Variant(1)});
        t->First();
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
        box = Create<TDBCheckBoxEh>(form.get());
        box->SetParent(form.get());
        box->SetBounds(10, 10, 120, 20);
        box->SetCaption(QStringLiteral("&Оплачен"));
        box->OnClick = TNotifyEvent(this, &DBCheckBoxTest::Clicked);
        other = Create<TCustomControl>(form.get());
        other->SetParent(form.get());
        other->SetTabStop(true);
        other->SetBounds(10, 50, 100, 20);
    }
    void Clicked(TObject*) { ++clicks; }

    TField* F(const char* Name) { return t->FieldByName(QString::fromUtf8(Name)); }
    void BindTo(const char* Name)
    {
        box->SetDataSource(src);
        box->SetDataField(QString::fromUtf8(Name));
    }
    void SetFlag(const Variant& v)
    {
        t->Edit();
        F("Flag")->SetValue(v);
        t->Post();
    }
    void ShowFocused()
    {
        form->Show();
        box->SetFocus();
        ASSERT_TRUE(box->Focused());
    }
    void Key(Word Vk, QChar Ch)
    {
        box->HandleKeyPress(Vk, Ch, {});
        box->HandleKeyRelease(Vk, {});
    }
};

TEST(DBCheckBoxValueMatches, ItemsAreTrimmedAndComparedWithoutCase)
{
    struct Case {
        const char* List;
        const char* Text;
        bool Matches;
    };
    const Case cases[] = {
        {"Y;Yes;1", "yes", true},   {"Y; Yes ;1", "YES", true}, {"Y;Yes;1", "0", false},
        {"Y;Yes;1", "", false},     {"", "", true},             {"", "x", false},
        {"N;No;0", "no", true},     {"N;", "", true},           {"Да;Нет", "ДА", true},
        {"Да;Нет", "Д", false},     {"\tT\n;F", "t", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCustomDBCheckBoxEh::ValueMatches(QString::fromUtf8(c.List), QString::fromUtf8(c.Text)), c.Matches)
            << c.List << " / " << c.Text;
}

TEST_F(DBCheckBoxTest, CreatedDataIndependentAndUnchecked)
{
    EXPECT_EQ(box->Width(), 120);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(box->Alignment(), taRightJustify);
    EXPECT_EQ(box->ValueChecked(), QStringLiteral("True"));
    EXPECT_EQ(box->ValueUnchecked(), QStringLiteral("False"));
    EXPECT_TRUE(box->TabStop());
    EXPECT_TRUE(box->ControlStyle.Contains(csReplicatable));
    EXPECT_FALSE(box->ControlStyle.Contains(csDoubleClicks));
    EXPECT_TRUE(box->DataLink()->DataIndepended());
    EXPECT_TRUE(VarEqualsEh(box->DataLink()->DataIndependentValue, Variant(false)));
    EXPECT_EQ(reinterpret_cast<TFieldDataLinkEh*>(box->Perform(CM_GETDATALINK, 0, 0)), box->DataLink());
}

TEST_F(DBCheckBoxTest, TextFieldIsReadThroughTheTwoListsAndWrittenWithTheirFirstItems)
{
    box->SetValueChecked(QStringLiteral("Y;Yes;1"));
    box->SetValueUnchecked(QStringLiteral("N;No;0"));
    BindTo("Flag");
    struct Case {
        Variant Value;
        TCheckBoxState State;
    };
    const Case cases[] = {{Variant(QStringLiteral("yes")), cbChecked},
                          {Variant(QStringLiteral("YES")), cbChecked},
                          {Variant(QStringLiteral("1")), cbChecked},
                          {Variant(QStringLiteral("0")), cbUnchecked},
                          {Variant(QStringLiteral("no")), cbUnchecked},
                          {Variant(QStringLiteral("может")), cbGrayed},
                          {Variant::Null(), cbGrayed}};
    for (const Case& c : cases) {
        SetFlag(c.Value);
        EXPECT_EQ(box->State(), c.State) << c.Value.AsString().toStdString();
        EXPECT_FALSE(box->Modified());
    }

    box->SetState(cbChecked);
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(F("Flag")->AsString(), QStringLiteral("Y"));
    box->SetChecked(false);
    EXPECT_EQ(F("Flag")->AsString(), QStringLiteral("N"));
    box->SetState(cbGrayed);
    EXPECT_TRUE(F("Flag")->IsNull());
    t->Post();
    EXPECT_EQ(box->State(), cbGrayed);
}

TEST_F(DBCheckBoxTest, ListEndingInSemicolonTakesAnEmptyTextAsItsOwn)
{
    box->SetValueUnchecked(QStringLiteral("N;"));
    BindTo("Flag");
    SetFlag(Variant(QString()));
    EXPECT_EQ(box->State(), cbUnchecked);
    box->SetValueUnchecked(QStringLiteral("N"));
    EXPECT_EQ(box->State(), cbGrayed);
}

TEST_F(DBCheckBoxTest, BooleanFieldIsReadAndWrittenAsABoolean)
{
    BindTo("Paid");
    EXPECT_EQ(box->State(), cbChecked);
    t->Edit();
    F("Paid")->Clear();
    EXPECT_EQ(box->State(), cbGrayed);
    box->SetState(cbUnchecked);
    EXPECT_FALSE(F("Paid")->IsNull());
    EXPECT_FALSE(F("Paid")->AsBoolean());
    t->Post();
    EXPECT_EQ(box->State(), cbUnchecked);

    // Other value texts read the field's text, yet a Boolean is still written as one.
    box->SetValueChecked(QStringLiteral("Нет;False"));
    box->SetValueUnchecked(QStringLiteral("Да;True"));
    EXPECT_EQ(box->State(), cbChecked);
    box->SetState(cbUnchecked);
    EXPECT_FALSE(F("Paid")->AsBoolean());
}

TEST_F(DBCheckBoxTest, DataIndependentBoxKeepsABooleanOrNull)
{
    box->SetState(cbChecked);
    EXPECT_TRUE(VarEqualsEh(box->DataLink()->DataIndependentValue, Variant(true)));
    box->SetState(cbGrayed);
    EXPECT_TRUE(box->DataLink()->DataIndependentValue.IsNull());
    EXPECT_TRUE(box->IsStateStored());
    box->SetChecked(false);
    EXPECT_TRUE(VarEqualsEh(box->DataLink()->DataIndependentValue, Variant(false)));
    EXPECT_FALSE(box->IsStateStored());
    box->DataLink()->SetValue(Variant(true));
    EXPECT_EQ(box->State(), cbChecked);
    // A bound box does not keep its state with the form: the data does.
    BindTo("Paid");
    EXPECT_FALSE(box->IsStateStored());
}

TEST_F(DBCheckBoxTest, ClicksCycleThroughGrayedOnlyWhenAllowed)
{
    BindTo("Count");
    box->SetValueChecked(QStringLiteral("1"));
    box->SetValueUnchecked(QStringLiteral("0"));
    SetFlag(Variant(QStringLiteral("x")));
    t->Edit();
    F("Count")->SetValue(Variant(0));
    t->Post();
    ASSERT_EQ(box->State(), cbUnchecked);
    box->SetAllowGrayed(true);
    clicks = 0;
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        box->Click();
        seen.push_back(box->State());
    }
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(box->Modified());
    EXPECT_EQ(t->State(), dsEdit);
    // The field gets the value when the record is posted.
    box->SetAllowGrayed(false);
    box->Click();
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(F("Count")->AsInteger(), 0);
    t->Post();
    EXPECT_EQ(F("Count")->AsInteger(), 1);
    EXPECT_FALSE(box->Modified());
    box->Click();
    EXPECT_EQ(box->State(), cbUnchecked);
}

TEST_F(DBCheckBoxTest, ReadOnlyBoxOrFieldIgnoresTheUser)
{
    BindTo("Paid");
    box->SetReadOnly(true);
    box->Click();
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(t->State(), dsBrowse);
    box->SetReadOnly(false);

    F("Paid")->SetReadOnly(true);
    box->Click();
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(t->State(), dsBrowse);
    F("Paid")->SetReadOnly(false);

    // Data independent and read-only: nothing changes either.
    box->SetDataField(QString());
    box->SetDataSource(nullptr);
    box->SetReadOnly(true);
    const TCheckBoxState before = box->State();
    const Variant value = box->DataLink()->DataIndependentValue;
    box->Click();
    EXPECT_EQ(box->State(), before);
    EXPECT_TRUE(VarEqualsEh(box->DataLink()->DataIndependentValue, value));
}

TEST_F(DBCheckBoxTest, AValueTheFieldRefusesResetsTheBoxAndRaises)
{
    BindTo("Count");
    box->SetValueChecked(QStringLiteral("много;1"));
    box->SetValueUnchecked(QStringLiteral("0"));
    ASSERT_EQ(box->State(), cbChecked);
    box->SetState(cbUnchecked);
    EXPECT_EQ(F("Count")->AsInteger(), 0);
    EXPECT_NE(ErrorOf([&] { box->SetState(cbChecked); }), QStringLiteral("<no error>"));
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(F("Count")->AsInteger(), 0);
}

TEST_F(DBCheckBoxTest, UpdateDataHandlerCanTakeOverTheWrite)
{
    BindTo("Paid");
    int calls = 0;
    struct Handler {
        int* Calls;
        void Run(TObject*, bool& Handled)
        {
            ++*Calls;
            Handled = true;
        }
    } h{&calls};
    box->OnUpdateData = TUpdateDataEventEh(&h, &Handler::Run);
    box->SetState(cbUnchecked);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(F("Paid")->AsBoolean());
}

TEST_F(DBCheckBoxTest, SpaceTogglesOnReleaseAndEscapeUndoesInsteadOfClosing)
{
    BindTo("Paid");
    ShowFocused();
    box->HandleKeyPress(VK_SPACE, QChar(' '), {});
    EXPECT_EQ(box->State(), cbChecked);
    box->HandleKeyRelease(VK_SPACE, {});
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_TRUE(box->Modified());
    EXPECT_EQ(box->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);

    Key(VK_ESCAPE, QChar(27));
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_FALSE(box->Modified());
    EXPECT_EQ(box->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(F("Paid")->AsBoolean());
}

TEST_F(DBCheckBoxTest, AcceleratorFocusesAndToggles)
{
    BindTo("Paid");
    form->Show();
    other->SetFocus();
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, WPARAM(QChar(u'о').unicode()), 0), 1);
    EXPECT_TRUE(box->Focused());
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, WPARAM('x'), 0), 0);
}

TEST_F(DBCheckBoxTest, MouseClickOnAnUnfocusedBoxFocusesAndToggles)
{
    BindTo("Paid");
    form->Show();
    other->SetFocus();
    clicks = 0;
    QWidget* w = box->Widget();
    const QPointF p(6, 10);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    EXPECT_TRUE(box->Focused());
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(clicks, 0);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(clicks, 1);
}

TEST_F(DBCheckBoxTest, CancelModeEndsAPressWithoutAClick)
{
    BindTo("Paid");
    ShowFocused();
    QWidget* w = box->Widget();
    const QPointF p(6, 10);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    ASSERT_TRUE(box->MouseCapture());
    box->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(box->MouseCapture());
    EXPECT_FALSE(box->ControlState.Contains(csClicked));
    EXPECT_EQ(box->State(), cbChecked);
}

TEST_F(DBCheckBoxTest, LeavingWritesTheFieldOrKeepsTheFocusWhenItIsRefused)
{
    BindTo("Count");
    box->SetValueChecked(QStringLiteral("1"));
    box->SetValueUnchecked(QStringLiteral("ноль"));
    ShowFocused();
    box->Click();
    EXPECT_EQ(box->State(), cbUnchecked);
    // "ноль" is no integer: the record update raises and the focus stays.
    EXPECT_NE(ErrorOf([&] { other->SetFocus(); }), QStringLiteral("<no error>"));
    EXPECT_TRUE(box->Focused());

    // New value texts read the field again.
    box->SetValueUnchecked(QStringLiteral("0"));
    EXPECT_EQ(box->State(), cbChecked);
    box->Click();
    EXPECT_EQ(box->State(), cbUnchecked);
    other->SetFocus();
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(F("Count")->AsInteger(), 0);
}

TEST_F(DBCheckBoxTest, DataSourceGoingAwayUnbindsTheBox)
{
    BindTo("Paid");
    delete src;
    EXPECT_EQ(box->DataSource(), nullptr);
}

TEST_F(DBCheckBoxTest, ValueTextsGoWithTheFormOnlyWhenNotTheDefaults)
{
    auto stored = [&] {
        TMemoryStream s;
        TWriter w(&s);
        w.WriteComponent(box);
        const QByteArray bytes(static_cast<const char*>(s.Memory()), int(s.Size()));
        return std::pair{bytes.contains("ValueChecked"), bytes.contains("ValueUnchecked")};
    };
    EXPECT_EQ(stored(), std::pair(false, false));
    box->SetValueChecked(QStringLiteral("Да"));
    EXPECT_EQ(stored(), std::pair(true, false));
    box->SetValueUnchecked(QStringLiteral("Нет"));
    EXPECT_EQ(stored(), std::pair(true, true));
}

}  // namespace
