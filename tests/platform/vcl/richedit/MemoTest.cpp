// The memo worked through real key events on a shown form: its lines, the keys it keeps for
// itself or leaves to the form, its limits and its scroll bar.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScrollBars.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Filer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

struct MemoFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TMemo* Memo = nullptr;
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 300, 200);
        Memo = Create<TMemo>(Form.get());
        Memo->SetParent(Form.get());
        Memo->SetBounds(10, 10, 200, 80);
        Form->Show();
        Form->SetActiveControl(Memo);
    }
    QWidget* Focus() const { return Form->ActiveControl() ? Form->ActiveControl()->Widget() : Form->Widget(); }
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(Focus(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
        QApplication::sendEvent(Focus(), &release);
    }
    void Type(const QString& text)
    {
        for (QChar c : text)
            Key(c.unicode() < 128 ? QChar(c).toUpper().unicode() : c.unicode(), Qt::NoModifier, QString(c));
    }
};

}  // namespace

TEST_F(MemoFixture, LinesAreTheParagraphsOfTheText)
{
    struct Case { const char* Text; QStringList Lines; };
    const Case cases[] = {
        {"", {}},
        {"одна", {U("одна")}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\nb\rc", {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        Memo->SetText(U(c.Text));
        EXPECT_EQ(Memo->Lines()->ToStringList(), c.Lines) << c.Text;
    }
    // Lines written change the text, with CR LF between them.
    Memo->Lines()->Clear();
    Memo->Lines()->Add(U("Счёт-фактура"));
    Memo->Lines()->Add(U("№ 15"));
    EXPECT_EQ(Memo->Text(), U("Счёт-фактура\r\n№ 15\r\n"));
    Memo->Lines()->Insert(1, "x");
    Memo->Lines()->SetStrings(0, "y");
    Memo->Lines()->Delete(2);
    EXPECT_EQ(Memo->Text(), U("y\r\nx\r\n"));
    Memo->Lines()->SetText("p\nq");
    EXPECT_EQ(Memo->Text(), U("p\r\nq"));
    EXPECT_THROW(Memo->Lines()->Delete(5), Exception);
}

TEST_F(MemoFixture, EnterMakesALineAndLineBreaksGoAsAWhole)
{
    int changes = 0;
    Memo->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    Type("ab");
    Key(Qt::Key_Return, Qt::NoModifier, "\r");
    Type("c");
    EXPECT_EQ(Memo->Text(), U("ab\r\nc"));
    EXPECT_EQ(Memo->CaretPos(), TPoint(1, 1));
    EXPECT_EQ(changes, 4);
    // Left from the start of a line lands at the end of the one above, never inside CR LF.
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Memo->SelStart(), 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(Memo->SelStart(), 4);
    Key(Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(Memo->Text(), U("abc"));
    Key(Qt::Key_Return, Qt::NoModifier, "\r");
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Memo->Text(), U("abc"));
    EXPECT_TRUE(Memo->Modified);
}

TEST_F(MemoFixture, TabsAndReturnsGoToTheFormUnlessWanted)
{
    auto* next = Create<TMemo>(Form.get());
    next->SetParent(Form.get());
    next->SetBounds(10, 100, 200, 40);
    Key(Qt::Key_Tab, Qt::NoModifier, "\t");
    EXPECT_EQ(Form->ActiveControl(), next);
    Form->SetActiveControl(Memo);
    Memo->SetWantTabs(true);
    Key(Qt::Key_Tab, Qt::NoModifier, "\t");
    EXPECT_EQ(Form->ActiveControl(), Memo);
    EXPECT_EQ(Memo->Text(), U("\t"));
    EXPECT_NE(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
    Memo->SetWantReturns(false);
    EXPECT_EQ(Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
    Key(Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(Memo->Text(), U("\t"));
}

TEST_F(MemoFixture, ReadOnlyAndMaxLengthGuardTyping)
{
    Memo->SetMaxLength(5);
    Type("abc");
    Key(Qt::Key_Return, Qt::NoModifier, "\r");
    Type("defg");
    EXPECT_EQ(Memo->Text(), U("abc\r\n"));
    Memo->SetReadOnly(true);
    Memo->SelectAll();
    Key(Qt::Key_Delete);
    Type("z");
    EXPECT_EQ(Memo->Text(), U("abc\r\n"));
    Memo->SetSelStart(1);
    Memo->SetSelLength(2);
    EXPECT_EQ(Memo->SelText(), U("bc"));
}

TEST_F(MemoFixture, WordWrapBreaksLongParagraphsAndTheScrollBarFollowsTheCaret)
{
    const QString para = U("Сверка счетов-фактур филиала за квартал по книге покупок");
    Memo->SetText(para);
    EXPECT_GT(Memo->Perform(EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_EQ(Memo->Lines()->Count(), 1);
    Memo->SetWordWrap(false);
    EXPECT_EQ(Memo->Perform(EM_GETLINECOUNT, 0, 0), 1);

    Memo->SetScrollBars(ssVertical);
    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << QString::number(i);
    Memo->Lines()->SetText(many.join("\n"));
    ASSERT_NE(Memo->VertScrollBar(), nullptr);
    EXPECT_TRUE(Memo->VertScrollBar()->Visible());
    EXPECT_EQ(Memo->VertScrollBar()->Max(), 29);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_GT(Memo->VertScrollBar()->Position(), 20);
    // The text leaves room for the bar.
    EXPECT_LE(Memo->FormatRect().Right, Memo->ClientWidth() - Memo->VertScrollBar()->Width());
    Memo->VertScrollBar()->SetPosition(0);
    EXPECT_EQ(Memo->TopLine(), 0);
}

// Border, scroll bars and lines go through a form resource; the defaults stay out of it.
TEST(MemoStreaming, BorderScrollBarsAndLinesRoundTrip)
{
    RegisterClasses<TMemo>();
    auto form = CreateUnique<TForm>(nullptr);
    auto* source = Create<TMemo>(form.get());
    source->SetName(QStringLiteral("Memo1"));
    source->SetParent(form.get());
    EXPECT_FALSE(ComponentToText(form.get()).contains(QStringLiteral("BorderStyle = bs")));
    EXPECT_FALSE(ComponentToText(form.get()).contains(QStringLiteral("ScrollBars")));

    source->SetBorderStyle(bsNone);
    source->SetScrollBars(ssVertical);
    source->Lines()->SetText(U("первая\r\n\r\nтретья"));
    const QString text = ComponentToText(form.get());
    EXPECT_TRUE(text.contains(QStringLiteral("BorderStyle = bsNone"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ScrollBars = ssVertical"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Lines.Strings = ("))) << text.toStdString();

    auto copyForm = CreateUnique<TForm>(nullptr);
    ReadComponentRes(ComponentToBinary(form.get()), copyForm.get());
    auto* copy = dynamic_cast<TMemo*>(copyForm->FindComponent(QStringLiteral("Memo1")));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->BorderStyle(), bsNone);
    EXPECT_EQ(copy->ScrollBars(), ssVertical);
    ASSERT_EQ(copy->Lines()->Count(), 3);
    EXPECT_EQ(copy->Lines()->Strings(0), U("первая"));
    EXPECT_EQ(copy->Lines()->Strings(1), QString());
    EXPECT_EQ(copy->Lines()->Strings(2), U("третья"));
}
