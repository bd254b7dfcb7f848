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
    using TCustomMaskEdit::MouseDown;
    int TW(const QString& s)
    {
        TBitmap b(1, 1);
        b.Canvas()->Font()->Assign(Font());
        return b.Canvas()->TextWidth(s);
    }
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
        Form = Create<TForm>(nullptr);
        Form->SetBounds(0, 0, 300, 100);
        Edit = Create<TProbeMaskEdit>(Form);
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

namespace {
// A multi-line edit whose formatting rectangle holds "aaaa bbbb " but not one more letter:
// "aaaa bbbb cccc dddd\nee" shows as "aaaa bbbb " | "cccc dddd" | "ee".
struct MultiLineFixture : MaskFixture {
    TRect R;
    int Lh = 0;
    void SetUp() override
    {
        MaskFixture::SetUp();
        Edit->SetBounds(0, 0, 280, 80);
        Edit->SetMultiLine(true);
        R = TRect(2, 1, 2 + Edit->TW("aaaa bbbb ") + 1, 79);
        Edit->Perform(EM_SETRECTNP, 0, LPARAM(&R));
        Edit->SetEditText("aaaa bbbb cccc dddd\nee");
        Lh = int(HIWORD(Edit->Perform(EM_POSFROMCHAR, 20, 0))) - int(HIWORD(Edit->Perform(EM_POSFROMCHAR, 10, 0)));
    }
    int Caret() { return Edit->CaretPos(); }
    int CaretLine() { return int(Edit->Perform(EM_LINEFROMCHAR, WPARAM(-1), 0)); }
};
} // namespace

TEST_F(MultiLineFixture, WordWrapMakesVisualLines)
{
    EXPECT_EQ(Edit->LineCount(), 3);
    EXPECT_EQ(Edit->LineIndex(1), 10);
    EXPECT_EQ(Edit->LineIndex(2), 20);
    EXPECT_EQ(Edit->LineFromChar(12), 1);
    EXPECT_GT(Lh, 5);
    // A word wider than the line is cut where the line is full.
    Edit->SetEditText(QString(30, QLatin1Char('x')));
    ASSERT_GT(Edit->LineCount(), 2);
    for (int i = 0; i + 1 < Edit->LineCount(); ++i) {
        const QString part = Edit->Text().mid(Edit->LineIndex(i), Edit->LineIndex(i + 1) - Edit->LineIndex(i));
        EXPECT_LE(Edit->TW(part), R.Width());
        EXPECT_GT(Edit->TW(part + "x"), R.Width());
    }
    // Without word wrap only line breaks start lines.
    Edit->WordWrap = false;
    Edit->SetEditText("aaaa bbbb cccc dddd\r\nee");
    EXPECT_EQ(Edit->LineCount(), 2);
    EXPECT_EQ(Edit->LineIndex(1), 21);
}

TEST_F(MultiLineFixture, UpDownHomeEndMoveByVisualLine)
{
    Edit->SetSelStart(2);                         // aa|aa
    Edit->Press(VK_DOWN);
    EXPECT_EQ(Caret(), 12);                       // cc|cc
    Edit->Press(VK_DOWN);
    EXPECT_EQ(Caret(), 22);                       // ee| (the line is shorter)
    Edit->Press(VK_DOWN);
    EXPECT_EQ(Caret(), 22);                       // no line below
    Edit->Press(VK_UP);
    EXPECT_EQ(Caret(), 12);                       // the column was kept
    Edit->Press(VK_UP);
    EXPECT_EQ(Caret(), 2);
    Edit->Press(VK_UP);
    EXPECT_EQ(Caret(), 2);

    // End of a wrapped line: the caret stays on that line though the next starts there too.
    Edit->Press(VK_END);
    EXPECT_EQ(Caret(), 10);
    EXPECT_EQ(CaretLine(), 0);
    EXPECT_EQ(TPoint(LOWORD(Edit->Perform(EM_POSFROMCHAR, 10, 0)), HIWORD(Edit->Perform(EM_POSFROMCHAR, 10, 0))),
              TPoint(R.Left + Edit->TW("aaaa bbbb "), R.Top));
    Edit->Press(VK_HOME);
    EXPECT_EQ(Caret(), 0);
    Edit->SetSelStart(10);                        // set from outside: the start of the next line
    EXPECT_EQ(CaretLine(), 1);
    Edit->Press(VK_HOME);
    EXPECT_EQ(Caret(), 10);
    Edit->Press(VK_END);
    EXPECT_EQ(Caret(), 19);
    EXPECT_EQ(CaretLine(), 1);
    Edit->Press(VK_END, TShiftState{ssCtrl});
    EXPECT_EQ(Caret(), 22);
    Edit->Press(VK_HOME, TShiftState{ssCtrl});
    EXPECT_EQ(Caret(), 0);

    // Shift extends by lines.
    Edit->Press(VK_DOWN, TShiftState{ssShift});
    EXPECT_EQ(Edit->SelText(), "aaaa bbbb ");
    Edit->Press(VK_DOWN, TShiftState{ssShift});
    EXPECT_EQ(Edit->SelText(), "aaaa bbbb cccc dddd\n");

    // A click picks the line under the mouse.
    Edit->MouseDown(mbLeft, TShiftState(), R.Left + Edit->TW("cc"), R.Top + Lh + Lh / 2);
    EXPECT_EQ(Caret(), 12);
    Edit->MouseDown(mbLeft, TShiftState(), R.Right - 1, R.Top + Lh / 2);
    EXPECT_EQ(Caret(), 10);
    EXPECT_EQ(CaretLine(), 0);
}

TEST_F(MultiLineFixture, CaretIsDrawnOnItsVisualLineAndScrolledIntoView)
{
    Edit->SetFocus();
    auto caretColumn = [&](const QImage& img, int x, int y) {
        int dark = 0;
        for (int k = 0; k < Lh; ++k)
            dark += qGray(img.pixel(x, y + k)) < 100 ? 1 : 0;
        return dark;
    };
    auto render = [&] {
        TBitmap bmp(Edit->Width(), Edit->Height());
        Edit->PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().copy();
    };
    ASSERT_TRUE(Edit->Focused());
    Edit->SetSelStart(19);                        // after "cccc dddd"
    const int x = R.Left + Edit->TW("cccc dddd");
    QImage img = render();
    EXPECT_EQ(caretColumn(img, x, R.Top + Lh), Lh);
    EXPECT_LT(caretColumn(img, x, R.Top), Lh);

    // Two lines show: moving down to the third scrolls one line.
    R.Bottom = R.Top + 2 * Lh;
    Edit->Perform(EM_SETRECTNP, 0, LPARAM(&R));
    Edit->SetSelStart(12);
    Edit->Press(VK_DOWN);
    EXPECT_EQ(Edit->TopLine(), 1);
    img = render();
    const int xe = R.Left + Edit->TW("ee");
    EXPECT_EQ(caretColumn(img, xe, R.Top + Lh), Lh);
    Edit->Press(VK_UP);
    Edit->Press(VK_UP);
    EXPECT_EQ(Edit->TopLine(), 0);
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
        G = Create<TEditGrid>(Form);
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

namespace {
// An editor that counts the set-focus messages it handles.
class TFocusProbeEdit : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;
    int SetFocusHandled = 0;
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == WM_SETFOCUS)
            ++SetFocusHandled;
        TInplaceEdit::Dispatch(M);
    }
};
class TFocusProbeGrid : public TEditGrid {
public:
    using TEditGrid::TEditGrid;
    TInplaceEdit* CreateEditor() override { return Create<TFocusProbeEdit>(this); }
};
// A control whose exit moves the focus on to another control.
class TExitMover : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TWinControl* MoveTo = nullptr;
    void DoExit() override
    {
        TCustomControl::DoExit();
        if (MoveTo)
            GetParentForm()->SetFocusedControl(MoveTo);
    }
};
} // namespace

TEST_F(EditorFixture, EditorFocusMakesTheGridTheFocusedControlUnlessTheFormRefuses)
{
    auto* g = Create<TFocusProbeGrid>(Form);
    g->SetBorderStyle(bsNone);
    g->SetParent(Form);
    g->SetBounds(0, 0, 400, 200);
    TGridOptionsEh o = g->Options();
    o.Include(goAlwaysShowEditorEh);
    g->SetOptions(o);
    g->SetEditorMode(true);
    auto* ed = dynamic_cast<TFocusProbeEdit*>(g->InplaceEditor());
    ASSERT_TRUE(ed && ed->Visible());

    // Accepted: the grid, not its editor, is the form's active control.
    ed->SetFocusHandled = 0;
    ed->Perform(WM_SETFOCUS, 0, 0);
    EXPECT_EQ(ed->SetFocusHandled, 1);
    EXPECT_EQ(Form->ActiveControl(), g);

    // Refused: the control losing the focus sends it elsewhere; the message is dropped.
    auto* mover = Create<TExitMover>(Form);
    mover->SetParent(Form);
    mover->SetBounds(0, 250, 50, 20);
    auto* third = Create<TExitMover>(Form);
    third->SetParent(Form);
    third->SetBounds(60, 250, 50, 20);
    Form->SetFocusedControl(mover);
    mover->MoveTo = third;
    ed->SetFocusHandled = 0;
    ed->Perform(WM_SETFOCUS, 0, 0);
    EXPECT_EQ(ed->SetFocusHandled, 0);
    EXPECT_EQ(Form->ActiveControl(), third);
}

TEST_F(EditorFixture, EditorWindowIsMultiLineWithoutWordWrap)
{
    G->SetEditorMode(true);
    TInplaceEdit* ed = G->InplaceEditor();
    ASSERT_TRUE(ed && ed->Visible());
    EXPECT_TRUE(ed->MultiLine());
    EXPECT_FALSE(ed->WordWrap);
    ed->SetEditText(QStringLiteral("a long first line that is wider than the cell\nsecond"));
    EXPECT_EQ(ed->LineCount(), 2);   // only the line break starts a line
    EXPECT_EQ(ed->LineIndex(1), 46);
    // A plain edit stays single-line: a pasted line break is dropped.
    auto plainHolder = CreateUnique<TCustomEdit>(Form);
    TCustomEdit& plain = *plainHolder;
    plain.SetParent(Form);
    plain.HandleNeeded();
    EXPECT_FALSE(plain.MultiLine());
    plain.SetSelText(QStringLiteral("a\nb"));
    EXPECT_EQ(plain.Text(), "ab");
}
