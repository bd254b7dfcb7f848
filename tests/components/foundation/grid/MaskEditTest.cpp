#include "GridTestSupport.h"

#include "platform/vcl/Mask.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace gridtest;

namespace {

class TProbeMaskEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
    bool CanModify = true;
    bool EditCanModify() override { return CanModify; }
    using TCustomMaskEdit::KeyPress;
    using TCustomMaskEdit::KeyDown;
    void Type(const QString& s)
    {
        for (QChar c : s) {
            QChar k = c;
            KeyPress(k);
        }
    }
    void Press(Word vk, TShiftState shift = TShiftState())
    {
        Word k = vk;
        KeyDown(k, shift);
    }
};

struct MaskFixture : ::testing::Test {
    TForm* Form = nullptr;
    TProbeMaskEdit* Edit = nullptr;
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 300, 100);
        Edit = new TProbeMaskEdit(Form);
        Edit->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { delete Form; }
};

} // namespace

TEST_F(MaskFixture, TypingFillsTheMaskAndStepsOverLiterals)
{
    struct Case { QString Mask, Typed, Edit, Value; };
    const Case cases[] = {
        {"000-00;1;_", "12345", "123-45", "123-45"},
        {"000-00;0;_", "12345", "123-45", "12345"},
        {"000-00;1;_", "12-34", "12_-34", "12 -34"},   // a typed literal jumps to it
        {">LL-00;1;*", "ab12", "AB-12", "AB-12"},
        {"LL;1;_", "1a", "a_", "a "},                    // a digit where a letter goes is refused
        {"\\+7 (000);1;_", "912", "+7 (912)", "+7 (912)"},
        {"99:99;1;_", "0930", "09:30", "09:30"},
    };
    for (const Case& c : cases) {
        Edit->SetEditMask(c.Mask);
        Edit->SetMaskedText(QString());
        Edit->SetSelStart(0);
        Edit->Type(c.Typed);
        EXPECT_EQ(Edit->EditText(), c.Edit) << c.Mask.toStdString();
        EXPECT_EQ(Edit->MaskedText(), c.Value) << c.Mask.toStdString();
    }
}

TEST_F(MaskFixture, BackspaceDeleteAndValidation)
{
    Edit->SetEditMask("000-99;1;_");
    Edit->SetSelStart(0);
    Edit->Type("123");
    EXPECT_EQ(Edit->EditText(), "123-__");
    Edit->ValidateEdit();   // the optional digits may stay blank
    QChar bs(8);
    Edit->SetSelStart(4);
    Edit->KeyPress(bs);
    EXPECT_EQ(Edit->EditText(), "12_-__");
    EXPECT_EQ(Edit->SelStart(), 2);
    try {
        Edit->ValidateEdit();
        FAIL() << "no error";
    } catch (const EDBEditError& e) {
        EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(Edit->SelStart(), 2);
    Edit->SetSelStart(0);
    Edit->Press(VK_DELETE);
    EXPECT_EQ(Edit->EditText(), "_2_-__");
    Edit->Press(VK_ESCAPE);
    EXPECT_EQ(Edit->EditText(), "___-__");
}

TEST_F(MaskFixture, EditCanModifyGuardsEveryChange)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    for (const QString& mask : {QString(), QStringLiteral("00;1;_")}) {
        Edit->CanModify = true;
        Edit->SetEditMask(mask);
        Edit->SetMaskedText(QStringLiteral("12"));
        Edit->CanModify = false;
        Edit->SelectAll();
        Edit->Type("5");
        QChar bs(8);
        Edit->KeyPress(bs);
        Edit->PasteFromClipboard();
        Edit->CutToClipboard();
        Edit->ClearSelection();
        Edit->Press(VK_DELETE);
        EXPECT_EQ(Edit->MaskedText(), "12") << mask.toStdString();
    }
}

TEST_F(MaskFixture, PlainEditSelectionUndoAndLimits)
{
    Edit->Type("abc");
    EXPECT_EQ(Edit->Text(), "abc");
    EXPECT_TRUE(Edit->Modified);
    Edit->Press(VK_LEFT, TShiftState{ssShift});
    EXPECT_EQ(Edit->SelText(), "c");
    DWORD a = 0, b = 0;
    Edit->Perform(EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(a, 2u);
    EXPECT_EQ(b, 3u);
    Edit->Type("X");
    EXPECT_EQ(Edit->Text(), "abX");
    Edit->Undo();
    EXPECT_EQ(Edit->Text(), "abc");
    Edit->Undo();   // single level: undo of the undo
    EXPECT_EQ(Edit->Text(), "abX");

    Edit->Perform(EM_SETSEL, 0, 1);
    EXPECT_EQ(Edit->SelText(), "a");
    Edit->SetMaxLength(4);
    Edit->SetSelStart(3);
    Edit->Type("yz");
    EXPECT_EQ(Edit->Text(), "abXy");
    Edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(Edit->Text(), "ABXY");
    Edit->SetPasswordChar(QLatin1Char('*'));
    EXPECT_EQ(Edit->DisplayText(), "****");
    Edit->SetReadOnly(true);
    Edit->Type("q");
    EXPECT_EQ(Edit->Text(), "ABXY");

    TRect r(2, 2, 50, 20), got;
    Edit->Perform(EM_SETRECTNP, 0, LPARAM(&r));
    Edit->Perform(EM_GETRECT, 0, LPARAM(&got));
    EXPECT_EQ(got, r);
}

// ---------------------------------------------------------------- the in-place editor

namespace {
class TEditGrid : public TTestGrid {
public:
    using TTestGrid::TTestGrid;
    QString Mask;
    QString GetEditMask(int, int) override { return Mask; }
    QString GetEditText(int c, int r) override { return QStringLiteral("v%1%2").arg(c).arg(r); }
};

struct EditorFixture : GridFixture {
    TEditGrid* G = nullptr;
    void SetUp() override
    {
        GridFixture::SetUp();
        G = new TEditGrid(Form);
        G->SetBorderStyle(bsNone);
        G->SetParent(Form);
        G->SetBounds(0, 0, 400, 200);
        G->SetFocus();
        Drain();
    }
    void EdKey(Word vk, TShiftState s = TShiftState())
    {
        Word k = vk;
        G->InplaceEditor()->KeyDown(k, s);
    }
    void EdChar(char16_t c)
    {
        QChar k(c);
        G->InplaceEditor()->KeyPress(k);
    }
};
} // namespace

TEST_F(EditorFixture, BaseGridEditorShowsEmptyTextAndReportsChanges)
{
    Grid->SetFocus();
    Drain();
    Grid->SetEditorMode(true);
    TInplaceEdit* ed = Grid->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ed->Visible());
    EXPECT_EQ(ed->Text(), "");
    EXPECT_FALSE(ed->IsMasked());
    EXPECT_EQ(ed->MaxLength(), 0);
    // The editor sits in the cell, less the right and bottom lines.
    EXPECT_EQ(ed->BoundsRect(), TRect(50, 20, 99, 39));
    QChar k('x');
    ed->KeyPress(k);
    EXPECT_EQ(Grid->Edits.last(), "1,1=x");
    Grid->SetCurrentCell(2, 2, true, true);
    EXPECT_FALSE(ed->Visible());
    EXPECT_EQ(Grid->InplaceCol(), -1);
}

TEST_F(EditorFixture, EnterAlternatesSelectAllAndCaretAtTheEnd)
{
    TGridOptionsEh o = G->Options();
    o.Include(goAlwaysShowEditorEh);
    G->SetOptions(o);
    G->ShowEditor();
    TInplaceEdit* ed = G->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->Text(), "v11");
    EXPECT_EQ(ed->SelLength(), 3);
    EdChar(13);
    EXPECT_EQ(ed->SelLength(), 0);
    EXPECT_EQ(ed->SelStart(), 3);
    EdChar(13);
    EXPECT_EQ(ed->SelLength(), 3);
    EdKey(VK_F2);
    EXPECT_EQ(ed->SelStart(), 3);
    EXPECT_EQ(ed->SelLength(), 0);
}

TEST_F(EditorFixture, RightAtTheEndMovesOnOnlyWithAlwaysShowEditor)
{
    G->SetEditorMode(true);
    TInplaceEdit* ed = G->InplaceEditor();
    ASSERT_TRUE(ed && ed->Visible());
    EdKey(VK_RIGHT);
    EXPECT_EQ(G->Col(), 1);
    TGridOptionsEh o = G->Options();
    o.Include(goAlwaysShowEditorEh);
    G->SetOptions(o);
    G->SetEditorMode(true);
    EdKey(VK_RIGHT);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(ed->Text(), "v21");
    EdKey(VK_HOME);
    EXPECT_EQ(G->Col(), 1);
    EdKey(VK_DOWN);
    EXPECT_EQ(G->Row(), 2);
}

TEST_F(EditorFixture, TypingOnACellOpensTheEditorWithTheCharacter)
{
    G->Perform(WM_CHAR, WPARAM('7'), 0);
    Drain();
    TInplaceEdit* ed = G->InplaceEditor();
    ASSERT_TRUE(ed && ed->Visible());
    EXPECT_EQ(ed->Text(), "7");
}

TEST_F(EditorFixture, MaskFromTheGrid)
{
    G->Mask = QStringLiteral("L00;1;_");
    G->SetEditorMode(true);
    TInplaceEdit* ed = G->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ed->IsMasked());
    EXPECT_EQ(ed->EditText(), "v11");
    ed->SelectAll();
    EdChar('1');   // a digit where a letter goes
    EXPECT_EQ(ed->EditText(), "___");
}
