// The edit controls: TCustomEdit (text, selection and caret, single-level undo, clipboard,
// length limit, read-only, password character, character case, formatting rectangle,
// multi-line with word wrap) and TCustomMaskEdit (the platform's edit masks).
#pragma once

#include "Controls.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
DOV_ENUM_INFO(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)

DOV_DECLARE_EXCEPTION(EDBEditError, Exception);

enum : DWORD {
    ES_LEFT = 0x0000, ES_CENTER = 0x0001, ES_RIGHT = 0x0002, ES_MULTILINE = 0x0004, ES_AUTOHSCROLL = 0x0080,
    ES_WANTRETURN = 0x1000
};
// The edit's notification of a user edit, sent to itself as CN_COMMAND (high word of WParam).
enum : WORD { EN_CHANGE = 0x0300 };

// The caret of the focused edit: its position in client coordinates (False when no edit has
// the focus), and hiding it (nested: as many shows as hides bring it back).
bool GetCaretPos(TPoint& Point);
bool HideCaret(HWND Wnd);
bool ShowCaret(HWND Wnd);

class TCustomEdit : public TCustomControl {
    DOV_PERSISTENT(TCustomEdit, TCustomControl)
public:
    explicit TCustomEdit(TComponent* AOwner);

    // Replaces the whole text (no undo step; Modified is left alone, as the platform does).
    void SetEditText(const QString& Value);
    int SelStart() const { return FSelStart; }
    int SelLength() const { return FSelLength; }
    void SetSelStart(int Value);
    void SetSelLength(int Value);
    QString SelText() const { return Text().mid(std::min(FSelStart, FSelStart + FSelLength), std::abs(FSelLength)); }
    // Replaces the selection as typing would (one undo step); guarded by ReadOnly and MaxLength.
    void SetSelText(const QString& Value);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    bool CanUndo() const { return FCanUndo; }
    void ClearUndo() { FCanUndo = false; }

    bool Modified = false;
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = Value; }
    // Typing takes digits only (pasting is not checked, as the platform's number edits do).
    bool NumbersOnly() const { return FNumbersOnly; }
    void SetNumbersOnly(bool Value) { FNumbersOnly = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    QChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(QChar Value) { FPasswordChar = Value; Invalidate(); }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value) { FMultiLine = Value; Invalidate(); }
    bool WordWrap = true;
    bool AutoSelect = true;
    bool AutoSize = false;
    bool Ctl3D = false;
    bool ParentCtl3D = false;
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; Invalidate(); }
    // The formatting rectangle (client coordinates) and the caret's character index.
    TRect FormatRect() const { return FFormatRect; }
    int CaretPos() const { return FSelLength >= 0 ? FSelStart + FSelLength : FSelStart + FSelLength; }
    // The text as drawn: password characters in place of the text.
    QString DisplayText() const;
    // Multi-line layout: visual lines after word wrap, the line of a character (of the caret
    // for -1), the first character of a line and a character's position in client coordinates.
    int LineCount();
    int LineFromChar(int Pos);
    int LineIndex(int Line);
    TPoint PosFromChar(int Pos);
    int TopLine() const { return FTopLine; }
    // The caret is drawn only while this is 0 (HideCaret and ShowCaret count it).
    int CaretHideCount() const { return FCaretHideCount; }
    void SetCaretHideCount(int Value);

    TNotifyEvent OnChange;

protected:
    // The window's edit styles decide the kind: ES_MULTILINE makes it multi-line, and
    // ES_AUTOHSCROLL then turns word wrap off.
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMTextChanged(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void Resize() override;
    virtual void Change();
    virtual void WMCut(TMessage& M);
    virtual void WMCopy(TMessage& M);
    virtual void WMPaste(TMessage& M);
    virtual void WMClear(TMessage& M);
    virtual void WMUndo(TMessage& M);
    // One edit with an undo step: the text, then the caret (no selection).
    void ReplaceRange(int Start, int Length, const QString& With);
    void RememberUndo();
    // Tells the window's owner of a user edit (CN_COMMAND with EN_CHANGE).
    void NotifyUserChange();
    QString ApplyCase(const QString& S) const;
    int CharAt(int X, int Y, bool* AtLineEnd = nullptr);
    void MoveCaret(int NewPos, bool Extend, bool AtLineEnd = false);

    // One visual line: [Start, Start + Length) without the line break; Soft when the line
    // was wrapped (the next line continues the same paragraph).
    struct TEditLine {
        int Start = 0;
        int Length = 0;
        bool Soft = false;
    };
    std::vector<TEditLine> Layout();
    int LineHeight();
    // The visual line showing a caret at Pos; at a wrap point AtEnd picks the upper line.
    static int LineOfPos(const std::vector<TEditLine>& Lines, int Pos, bool AtEnd);
    int NearestInLine(const TEditLine& Line, int X);
    void MoveCaretVert(int Delta, bool Extend);
    void ScrollCaretIntoView();
    TRect TextRect();
    TCanvas* MeasureCanvas();
    std::unique_ptr<TBitmap> FMeasure;

    int FSelStart = 0;
    int FSelLength = 0;   // negative when the caret is at the start of the selection
    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FNumbersOnly = false;
    QChar FPasswordChar = QChar(0);
    TEditCharCase FCharCase = ecNormal;
    bool FMultiLine = false;
    TBorderStyle FBorderStyle = bsSingle;
    TRect FFormatRect;
    bool FFormatRectSet = false;
    bool FCaretAtLineEnd = false;   // the caret sits at the end of a wrapped line, not at the start of the next
    int FCaretX = -1;               // the column kept while moving up and down
    int FTopLine = 0;
    int FCaretHideCount = 0;
    QString FUndoText;
    int FUndoSelStart = 0, FUndoSelLength = 0;
    bool FCanUndo = false;
};

// The plain single-line edit of forms.
class TEdit : public TCustomEdit {
    DOV_PERSISTENT(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// The platform's mask syntax: "mask;save literals;blank". Mask characters: ! (trim leading
// blanks), > < <> (case), \ (literal), L l (letter), A a (letter or digit), C c (any
// character), 0 9 (digit), # (digit or sign), : and / (time and date separators), _ (a
// blank); upper-case forms are required, lower-case and 9 # optional; anything else is a
// literal.
class TCustomMaskEdit : public TCustomEdit {
    DOV_PERSISTENT(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& Value);
    bool IsMasked() const { return !FMask.empty(); }
    // With a mask: the text the user sees (literals and blank characters).
    QString EditText() const { return Text(); }
    void SetEditText(const QString& Value);
    // With a mask: the value (literals only when the mask saves them, blanks as spaces).
    QString MaskedText() const;
    void SetMaskedText(const QString& Value);
    QChar MaskBlank() const { return FBlank; }
    // Raises EDBEditError with the platform's message when a required position is blank;
    // the caret goes to that position.
    virtual void ValidateEdit();
    virtual bool EditCanModify() { return !FReadOnly; }
    // Esc: the text as it was when the edit last became unmodified.
    void Reset();

protected:
    struct TMaskChar {
        QChar Kind;        // the mask character, or 0 for a literal
        QChar Literal;     // the literal shown
        bool Required = false;
        int Case = 0;      // 1 upper, -1 lower
    };
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void WMCut(TMessage& M) override;
    void WMPaste(TMessage& M) override;
    void WMClear(TMessage& M) override;
    bool CharFits(int Pos, QChar& C) const;
    int NextEditable(int Pos, bool Forward) const;
    void ClearRange(int Start, int Length);
    void InsertMaskedChars(const QString& S);
    QString BlankText() const;

    QString FEditMask;
    std::vector<TMaskChar> FMask;
    bool FSaveLiterals = true;
    QChar FBlank = QLatin1Char('_');
    QString FOldValue;
};
