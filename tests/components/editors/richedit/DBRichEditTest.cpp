// The data-aware rich edit on an in-memory table: a blob loads as RTF or plain text and goes
// back as RTF, the first real change puts the dataset into edit state without losing the
// typing, a blob waits for Enter or a double click without AutoDisplay, and plain fields stay
// plain.
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichEditRtf.h"
#include "platform/rtl/SysUtils.h"
#include "support/AppEnvironment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextDocument>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

const char* const BoldRtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0\\fs20 "
                            "\\b \\'c8\\'f2\\'ee\\'e3\\'ee\\b0  \\'ea \\'ee\\'ef\\'eb\\'e0\\'f2\\'e5}";

struct RichDataFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TMemTableEh* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBRichEditEh* Edit = nullptr;

    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
            SetKeyStateForInput(vk, false);
        Table = Create<TMemTableEh>(Form.get());
        Table->FieldDefs()->Add("Id", ftInteger);
        Table->FieldDefs()->Add("Note", ftMemo);
        Table->FieldDefs()->Add("Name", ftString, 40);
        Table->CreateDataSet();
        Table->FieldByName("Note")->SetDisplayLabel(U("Примечание"));
        Table->AppendRecord({Variant(1), Variant(QString::fromLatin1(BoldRtf)), Variant(U("Поставщик"))});
        Table->AppendRecord({Variant(2), Variant(U("просто текст")), Variant(U("Покупатель"))});
        Table->First();
        Source = Create<TDataSource>(Form.get());
        Source->SetDataSet(Table);
        Form->SetBounds(0, 0, 400, 300);
        Edit = Create<TDBRichEditEh>(Form.get());
        Edit->SetName("NoteEdit");
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 300, 120);
        Edit->SetDataSource(Source);
        Edit->SetDataField("Note");
        Form->Show();
    }
    QString Plain() const { return Edit->Document()->toPlainText(); }
    void Key(int qtKey, const QString& text = QString())
    {
        QWidget* w = Form->ActiveControl() ? Form->ActiveControl()->Widget() : Form->Widget();
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    }
    void Focus() { Form->SetActiveControl(Edit); }
};

}  // namespace

TEST_F(RichDataFixture, BlobLoadsAsRtfOrPlainTextAndGoesBackAsRtf)
{
    EXPECT_TRUE(Edit->MemoLoaded());
    EXPECT_EQ(Plain(), U("Итого к оплате"));
    Edit->SetSelStart(1);
    EXPECT_EQ(Edit->SelAttributes()->Style(), TFontStyles{fsBold});
    Edit->SetSelStart(8);
    EXPECT_EQ(Edit->SelAttributes()->Style(), TFontStyles());
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_TRUE(Edit->ReadOnly() == false);

    Table->Next();
    EXPECT_EQ(Plain(), U("просто текст"));
    Focus();
    Edit->SetSelStart(0);
    Key(Qt::Key_Delete);   // one real change
    EXPECT_EQ(Table->State(), dsEdit);
    Table->Post();
    const QString stored = Table->FieldByName("Note")->AsString();
    EXPECT_TRUE(IsRtfTextEh(stored)) << stored.toStdString();
    QTextDocument back;
    RichEditRtf::ReadRtf(UnicodeToCP1251(stored), &back);
    EXPECT_EQ(back.toPlainText(), U("росто текст"));
}

TEST_F(RichDataFixture, FirstCharacterPutsTheDatasetIntoEditAndKeepsTheTyping)
{
    Focus();
    Edit->SetSelStart(5);   // after "Итого"
    Key(Qt::Key_Exclam, "!");
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Plain(), U("Итого! к оплате"));
    Edit->SetSelStart(1);
    EXPECT_EQ(Edit->SelAttributes()->Style(), TFontStyles{fsBold});   // formatting kept
    Key(Qt::Key_Escape, "\x1b");   // Esc takes the stored value again
    Table->Cancel();
    EXPECT_EQ(Plain(), U("Итого к оплате"));

    // A dataset that cannot edit drops the typing.
    Table->SetReadOnly(true);
    Edit->SetSelStart(0);
    Key(Qt::Key_X, "x");
    Key(Qt::Key_Delete);
    EXPECT_EQ(Plain(), U("Итого к оплате"));
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(RichDataFixture, WithoutAutoDisplayTheBlobWaitsForEnterOrADoubleClick)
{
    Edit->SetAutoDisplay(false);
    Table->Next();
    EXPECT_FALSE(Edit->MemoLoaded());
    EXPECT_EQ(Edit->Text(), U("(Примечание)"));
    Focus();
    Key(Qt::Key_A, "a");   // dropped while not loaded
    EXPECT_EQ(Edit->Text(), U("(Примечание)"));
    Key(Qt::Key_Return, "\r");
    EXPECT_TRUE(Edit->MemoLoaded());
    EXPECT_EQ(Plain(), U("просто текст"));
    EXPECT_EQ(Table->State(), dsBrowse);

    Table->Prior();
    EXPECT_EQ(Edit->Text(), U("(Примечание)"));
    for (int i = 0; i < 2; ++i) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), Edit->Widget()->mapToGlobal(QPointF(20, 20)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Edit->Widget(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 20), Edit->Widget()->mapToGlobal(QPointF(20, 20)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Edit->Widget(), &release);
    }
    EXPECT_EQ(Plain(), U("Итого к оплате"));
    // Turning AutoDisplay on loads at once.
    Table->Next();
    Edit->SetAutoDisplay(true);
    EXPECT_EQ(Plain(), U("просто текст"));
}

TEST_F(RichDataFixture, PlainFieldIsShownAndWrittenAsPlainText)
{
    Edit->SetDataField("Name");
    EXPECT_EQ(Edit->Text(), U("Поставщик"));
    Focus();
    Edit->SetSelStart(9);
    Key(Qt::Key_1, "1");
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), U("Поставщик1"));
}

TEST_F(RichDataFixture, RtfTextWritesTheFieldAndPlainValuesLoadAsText)
{
    Edit->SetRtfText(U("новый текст"));
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Plain(), U("новый текст"));
    Table->Post();
    EXPECT_TRUE(IsRtfTextEh(Table->FieldByName("Note")->AsString()));
    EXPECT_EQ(Plain(), U("новый текст"));
    Edit->SetRtfText(QString::fromLatin1(BoldRtf));
    Table->Post();
    Edit->SetSelStart(1);
    EXPECT_EQ(Edit->SelAttributes()->Style(), TFontStyles{fsBold});
    EXPECT_FALSE(IsRtfTextEh(" {\\rtf1}"));
    EXPECT_TRUE(IsRtfTextEh("{urtf1 x}"));
}
