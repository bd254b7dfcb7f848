// The detail panel through the keyboard of the grid's window: the numeric keypad opens and
// closes it, Down and Ctrl+Down move the focus into it, Ctrl+Up brings it back from any control
// on it, and the application's key handler sees each key first.
#include "support/DBGridFixtures.h"

#include "platform/vcl/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

using namespace testsupport;

namespace {

template <class T>
class DetailKeys : public T {
public:
    TEdit* edit = nullptr;

    void SetUp() override
    {
        T::SetUp();
        this->grid->RowDetailPanel()->SetActive(true);
        edit = Create<TEdit>(this->form.get());
        edit->SetParent(this->grid->RowDetailPanelControl());
        edit->SetBounds(4, 4, 80, 20);
        this->grid->SetFocus();
        PumpDBGrid();
    }
    TRowDetailPanelEh* panel() { return this->grid->RowDetailPanel(); }
    int Code() { return this->DataSet()->FieldByName(QStringLiteral("Code"))->AsInteger(); }
    // A key pressed and released in the window that has the focus.
    static void Key(int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString())
    {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QKeyEvent press(QEvent::KeyPress, QtKey, Mods, Text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, QtKey, Mods, Text);
        QApplication::sendEvent(w, &release);
        PumpDBGrid();
    }
    static void Keypad(int QtKey, const char* Text) { Key(QtKey, Qt::KeypadModifier, QString::fromLatin1(Text)); }
};

using Regimes = ::testing::Types<DBGridOverMemTable, DBGridOverAdoQuery>;
TYPED_TEST_SUITE(DetailKeys, Regimes);

}  // namespace

TYPED_TEST(DetailKeys, TheKeypadOpensClosesAndTogglesOnTheCurrentRow)
{
    ASSERT_TRUE(this->grid->Focused());
    struct Step {
        int key;
        const char* text;
        bool open;
    };
    const Step steps[] = {
        {Qt::Key_Plus, "+", true},      {Qt::Key_Plus, "+", true},      {Qt::Key_Minus, "-", false},
        {Qt::Key_Asterisk, "*", true},  {Qt::Key_Asterisk, "*", false}, {Qt::Key_Minus, "-", false},
    };
    for (const Step& s : steps) {
        this->Keypad(s.key, s.text);
        EXPECT_EQ(this->panel()->Visible(), s.open) << s.text;
        EXPECT_TRUE(this->grid->Focused()) << s.text;
    }
    // The keys of the main keyboard are not the keypad's.
    this->Key(Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    EXPECT_FALSE(this->panel()->Visible());
    // A row the application says has no panel keeps it closed.
    this->grid->OnCheckRowHaveDetailPanel = [](TCustomDBGridEh*, bool& Has) { Has = false; };
    this->Keypad(Qt::Key_Plus, "+");
    EXPECT_FALSE(this->panel()->Visible());
}

TYPED_TEST(DetailKeys, DownGoesIntoTheOpenPanelAndCtrlUpComesBackOnTheSameRecord)
{
    TCustomDBGridEh* g = this->grid;
    this->Key(Qt::Key_Down);
    const int code = this->Code();
    ASSERT_EQ(code, 2);
    EXPECT_EQ(g->Row(), g->TopDataOffset() + 1);
    this->Keypad(Qt::Key_Plus, "+");
    ASSERT_TRUE(this->panel()->Visible());
    this->Key(Qt::Key_Down);
    EXPECT_TRUE(this->edit->Focused());
    EXPECT_EQ(this->Code(), code);

    this->Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(g->Focused());
    EXPECT_TRUE(this->panel()->Visible());
    EXPECT_EQ(this->Code(), code);

    // With the panel closed Down moves to the next record; Ctrl+Down opens and goes in.
    this->Keypad(Qt::Key_Minus, "-");
    this->Key(Qt::Key_Up);
    ASSERT_EQ(this->Code(), code - 1);
    this->Key(Qt::Key_Down);
    EXPECT_EQ(this->Code(), code);
    EXPECT_FALSE(this->panel()->Visible());
    EXPECT_TRUE(g->Focused());
    this->Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(this->panel()->Visible());
    EXPECT_TRUE(this->edit->Focused());
    EXPECT_EQ(this->Code(), code);
}

TYPED_TEST(DetailKeys, CtrlUpLeavesANestedGridInThePanel)
{
    auto* nested = Create<TDBGridEh>(this->form.get());
    nested->SetParent(this->grid->RowDetailPanelControl());
    nested->SetAlign(alClient);
    this->edit->SetVisible(false);
    this->Key(Qt::Key_Down, Qt::ControlModifier);
    ASSERT_TRUE(this->panel()->Visible());
    ASSERT_TRUE(nested->Focused());
    this->Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(this->grid->Focused());
    EXPECT_TRUE(this->panel()->Visible());
}

TYPED_TEST(DetailKeys, TheApplicationsKeyHandlerSeesTheKeyFirstAndMayEatIt)
{
    std::vector<Word> seen;
    this->grid->OnKeyDown = [&seen](TObject*, Word& Key, TShiftState) {
        seen.push_back(Key);
        if (Key == VK_ADD)
            Key = 0;
    };
    this->Keypad(Qt::Key_Plus, "+");
    EXPECT_FALSE(this->panel()->Visible());
    this->Keypad(Qt::Key_Asterisk, "*");
    EXPECT_TRUE(this->panel()->Visible());
    // Each key reaches the handler once.
    EXPECT_EQ(seen, (std::vector<Word>{VK_ADD, VK_MULTIPLY}));
}
