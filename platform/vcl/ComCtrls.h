// Common controls: page control with tab sheets, status bar, progress bar and tool bar.
#pragma once

#include "Buttons.h"

#include <memory>
#include <vector>

class TPageControl;

// One page of a page control; its controls are its children. It fills the page control's
// display area, under the tab strip.
class TTabSheet : public TCustomControl {
    DOV_PERSISTENT(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* v);
    int PageIndex() const;
    // A sheet without a tab can still be the active page; the user cannot choose it.
    bool TabVisible = true;
    // Read from a form inside its page control: it becomes one of its pages.
    void SetParentComponent(TComponent* Value) override;

private:
    TPageControl* FPageControl = nullptr;
    friend class TPageControl;
};

class TPageControl : public TCustomControl {
    DOV_PERSISTENT(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int Index) const { return FPages.at(size_t(Index)); }
    TTabSheet* ActivePage() const { return FActivePage; }
    // Setting the page in code does not fire OnChange; choosing a tab does.
    void SetActivePage(TTabSheet* v);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    // Height of the tab strip along the top.
    int TabHeight();
    // The tab of the page in client coordinates; empty when the page shows no tab.
    TRect TabRect(int PageIndex);
    // The page whose tab is at the client point, or -1.
    int IndexOfTabAt(int X, int Y);
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void Change();

private:
    void InsertPage(TTabSheet* p);
    void RemovePage(TTabSheet* p);
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    friend class TTabSheet;
};

class TStatusPanel {
public:
    QString Text;
    int Width = 50;
};

class TStatusPanels {
public:
    TStatusPanel* Add();
    int Count() const { return int(FItems.size()); }
    TStatusPanel* Items(int Index) const { return FItems.at(size_t(Index)).get(); }
    TStatusPanel* operator[](int Index) const { return Items(Index); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

// With SimplePanel the bar shows SimpleText alone, else its panels.
class TStatusBar : public TCustomControl {
    DOV_PERSISTENT(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    QString SimpleText() const { return FSimpleText; }
    void SetSimpleText(const QString& v);
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v);
    TStatusPanels* Panels() { return &FPanels; }

protected:
    void Paint() override;

private:
    QString FSimpleText;
    bool FSimplePanel = false;
    TStatusPanels FPanels;
};

// ---------------------------------------------------------------- tool bar

class TCustomImageList;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
DOV_ENUM_INFO(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)

// A flat button of a tool bar showing its bar's image; a check button stays down until
// clicked again, grouped check buttons next to each other act as one group.
class TToolButton : public TSpeedButton {
    DOV_PERSISTENT(TToolButton, TSpeedButton)
public:
    explicit TToolButton(TComponent* AOwner);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle Value);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TToolBar* ToolBar() const;

protected:
    void Paint() override;

private:
    TToolButtonStyle FStyle = tbsButton;
    bool FGrouped = false;
    int FImageIndex = -1;
};

// Its controls in a row, in their order, from Indent on; buttons take the bar's button size.
class TToolBar : public TCustomControl {
    DOV_PERSISTENT(TToolBar, TCustomControl)
public:
    explicit TToolBar(TComponent* AOwner);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    // The bar's height follows its tallest control.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    int ButtonCount() const;
    TToolButton* Buttons(int Index) const;

protected:
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;

private:
    // Check buttons get their groups from their style and their neighbours.
    void UpdateGroups();
    TCustomImageList* FImages = nullptr;
    int FIndent = 0;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FAutoSize = false;
};

enum TProgressBarStyle { pbstNormal, pbstMarquee };
DOV_ENUM_INFO(TProgressBarStyle, pbstNormal, pbstMarquee)

class TProgressBar : public TCustomControl {
    DOV_PERSISTENT(TProgressBar, TCustomControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    ~TProgressBar() override;
    TProgressBarStyle Style() const { return FStyle; }
    void SetStyle(TProgressBarStyle v);
    int Min = 0;
    int Max = 100;
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int MarqueeInterval = 10;

protected:
    void Paint() override;

private:
    TProgressBarStyle FStyle = pbstNormal;
    int FPosition = 0;
};

// ---------------------------------------------------------------- month calendar and date picker

struct SYSTEMTIME {
    WORD wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    WORD wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};
SYSTEMTIME DateTimeToSystemTime(TDateTime D);
// False for a date outside the calendar's years.
bool TrySystemTimeToDate(const SYSTEMTIME& S, TDateTime& D);

enum : UINT {
    MCM_FIRST = 0x1000,
    MCM_GETCURSEL = MCM_FIRST + 1,       // LParam: SYSTEMTIME*
    MCM_SETCURSEL = MCM_FIRST + 2,       // LParam: SYSTEMTIME*; 0 for a date out of range
    MCM_GETMINREQRECT = MCM_FIRST + 9,   // LParam: TRect*
    MCM_HITTEST = MCM_FIRST + 14,        // LParam: MCHITTESTINFO*; returns uHit
    MCM_GETCURRENTVIEW = MCM_FIRST + 22,
    MCM_SETCURRENTVIEW = MCM_FIRST + 32,
};
enum : UINT { MCMV_MONTH = 0, MCMV_YEAR = 1, MCMV_DECADE = 2, MCMV_CENTURY = 3 };
enum : UINT {
    MCHT_NOWHERE = 0, MCHT_TITLE = 0x10000, MCHT_CALENDAR = 0x20000, MCHT_NEXT = 0x1000000, MCHT_PREV = 0x2000000,
    MCHT_TITLEBK = MCHT_TITLE, MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 3,
    MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 3, MCHT_CALENDARBK = MCHT_CALENDAR,
    MCHT_CALENDARDATE = MCHT_CALENDAR | 1, MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT,
    MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV, MCHT_CALENDARDAY = MCHT_CALENDAR | 2,
};
// The short record is 32 bytes (up to st), the extended one 60; both are answered.
struct MCHITTESTINFO {
    UINT cbSize = sizeof(MCHITTESTINFO);
    TPoint pt;
    UINT uHit = 0;
    SYSTEMTIME st;
    TRect rc;
    int iOffset = 0, iRow = 0, iCol = 0;
};

// One month drawn by the control (weeks from Monday), zooming out to the months of a year,
// the years of a decade and the decades of a century. Dates outside [MinDate, MaxDate]
// (0: no bound) cannot be chosen; the user's choice keeps the time of day of Date.
class TMonthCalendar : public TCustomControl {
    DOV_PERSISTENT(TMonthCalendar, TCustomControl)
public:
    explicit TMonthCalendar(TComponent* AOwner);
    ~TMonthCalendar() override;

    TDateTime Date() const { return FDate; }
    // Clamped into the range.
    void SetDate(TDateTime Value);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime Value);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // MCMV_MONTH ... MCMV_CENTURY.
    int CurrentView() const { return FView; }
    void SetCurrentView(int Value);
    // The first day of the month shown (in the month view; the other views show its year).
    TDateTime VisibleMonth() const;

    // The smallest rectangle that shows a whole month (what MCM_GETMINREQRECT answers).
    TRect MinReqRect();
    UINT HitTest(MCHITTESTINFO& Info);
    // Where a day of the month view, or a cell of another view, is drawn (empty when it is not shown).
    TRect DayRect(TDateTime Day);
    TRect PrevButtonRect();
    TRect NextButtonRect();
    TRect TitleRect();
    // With AutoSize, the size CanAutoSize asks for.
    void AdjustSize() override;

    TNotifyEvent OnChange;

protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_WANTARROWS; }
    void CMFontChanged(TMessage& M) override;
    // The size automatic sizing gives the control.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    // A date chosen by the user: clamped, the time of day kept, OnChange when it changed.
    void UserSetDay(TDateTime Day);
    virtual void Change();

    TDateTime FDate = 0;
    TDateTime FMinDate = 0;
    TDateTime FMaxDate = 0;
    bool FAutoSize = false;
    int FView = MCMV_MONTH;
    int FViewYear = 1899, FViewMonth = 12;

private:
    struct TLayout;
    TLayout Layout();
    TDateTime Clamp(TDateTime Day) const;
    void ShowMonthOf(TDateTime Day);
    // The view's cell under a client point (-1 when none) and the date it stands for.
    int CellAt(TPoint P, TDateTime& CellDate);
    TDateTime CellDate(int Cell);
    void Step(int Units);
    void Page(int Pages);
};

enum TDateTimeKind { dtkDate, dtkTime };
DOV_ENUM_INFO(TDateTimeKind, dtkDate, dtkTime)

// A date in the process's short date format (dd.MM.yyyy), edited part by part from the
// keyboard: digits type into the focused part, Left/Right move between the parts, Up/Down
// step the part, Alt+Down or F4 drop down a month calendar. The value keeps its time of day.
class TDateTimePicker : public TCustomControl {
    DOV_PERSISTENT(TDateTimePicker, TCustomControl)
public:
    explicit TDateTimePicker(TComponent* AOwner);
    ~TDateTimePicker() override;

    TDateTime DateTime() const { return FDateTime; }
    void SetDateTime(TDateTime Value);
    // The date part (the time of day is kept when it is set).
    TDateTime Date() const;
    void SetDate(TDateTime Value);
    TDateTime Time() const;
    void SetTime(TDateTime Value);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime Value);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime Value);
    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind Value) { FKind = Value; }

    // The text as shown (with a part being typed as typed so far).
    QString DisplayText() const;
    // The part that has the keyboard: 0 is the leftmost.
    int FocusedPart() const { return FPart; }
    int PartCount() const { return int(FParts.size()); }
    bool DroppedDown() const;
    TMonthCalendar* Calendar() const { return FCalendar; }
    void DropDown();
    void CloseUp(bool Accept);
    TRect ButtonRect();
    TRect PartRect(int Part);

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    void AfterConstruction() override;

protected:
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }
    void CMWantSpecialKey(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    virtual void Change();

private:
    enum TPartKind { pkDay, pkMonth, pkYear };
    struct TPart {
        TPartKind Kind;
        int Digits;   // 2, or 4 for a four-digit year
        int Start, Length;   // in the display text
    };
    void ParseFormat();
    QString PartText(const TPart& P, TDateTime D) const;
    void PartSpan(int Part, int& Start, int& Length) const;
    TDateTime Clamp(TDateTime D) const;
    // The value with one part replaced (the day clamped to the month's length).
    TDateTime WithPart(TPartKind Kind, int Value) const;
    void CommitTyping();
    void SetUserValue(TDateTime D);
    void MovePart(int Delta);
    void StepPart(int Delta);

    TDateTime FDateTime = 0;
    TDateTime FMinDate = 0;
    TDateTime FMaxDate = 0;
    TDateTimeKind FKind = dtkDate;
    std::vector<TPart> FParts;
    QString FFormat;
    int FPart = 0;
    QString FTyped;   // digits typed into the focused part and not yet committed
    TMonthCalendar* FCalendar = nullptr;
    TDateTime FDropDate = 0;
};

// ---------------------------------------------------------------- TCustomRichEdit

class QTextDocument;
class QTextCursor;
class TCustomRichEdit;
class TStringList;
class TStrings;
class TScrollBar;
class TFont;

// The rich edit's messages and their records, numbered as the window system's.
enum : UINT {
    EM_EXGETSEL = WM_USER + 52, EM_EXLIMITTEXT = WM_USER + 53, EM_EXSETSEL = WM_USER + 55,
    EM_FORMATRANGE = WM_USER + 57, EM_GETCHARFORMAT = WM_USER + 58, EM_GETEVENTMASK = WM_USER + 59,
    EM_GETPARAFORMAT = WM_USER + 61, EM_HIDESELECTION = WM_USER + 63, EM_SETCHARFORMAT = WM_USER + 68,
    EM_SETEVENTMASK = WM_USER + 69, EM_SETPARAFORMAT = WM_USER + 71, EM_STREAMIN = WM_USER + 73,
    EM_STREAMOUT = WM_USER + 74, EM_GETTEXTLENGTHEX = WM_USER + 95
};
enum : DWORD { SF_TEXT = 0x0001, SF_RTF = 0x0002, SF_UNICODE = 0x0010, SFF_PLAINRTF = 0x4000, SFF_SELECTION = 0x8000 };
enum : DWORD { GTL_DEFAULT = 0, GTL_USECRLF = 1, GTL_PRECISE = 2, GTL_CLOSE = 4, GTL_NUMCHARS = 8, GTL_NUMBYTES = 16 };
enum : DWORD { ENM_CHANGE = 0x0001, ENM_SELCHANGE = 0x00080000 };
enum : DWORD { SCF_DEFAULT = 0x0000, SCF_SELECTION = 0x0001 };
enum : DWORD {
    CFM_BOLD = 0x0001, CFM_ITALIC = 0x0002, CFM_UNDERLINE = 0x0004, CFM_STRIKEOUT = 0x0008,
    CFM_CHARSET = 0x08000000, CFM_FACE = 0x20000000, CFM_COLOR = 0x40000000, CFM_SIZE = 0x80000000
};
enum : DWORD { CFE_BOLD = 0x0001, CFE_ITALIC = 0x0002, CFE_UNDERLINE = 0x0004, CFE_STRIKEOUT = 0x0008, CFE_AUTOCOLOR = 0x40000000 };
enum : DWORD { PFM_STARTINDENT = 0x0001, PFM_RIGHTINDENT = 0x0002, PFM_OFFSET = 0x0004, PFM_ALIGNMENT = 0x0008,
               PFM_NUMBERING = 0x0020, PFM_RTLPARA = 0x00010000 };
enum : WORD { PFA_LEFT = 1, PFA_RIGHT = 2, PFA_CENTER = 3, PFN_BULLET = 1, PFE_RTLPARA = 1 };

struct CHARRANGE {
    LONG cpMin = 0;
    LONG cpMax = 0;
};
// A range of the text laid out on a device: rc and rcPage in twips of that device.
struct FORMATRANGE {
    HDC hdc = nullptr;
    HDC hdcTarget = nullptr;
    TRect rc;
    TRect rcPage;
    CHARRANGE chrg;
};
// The callback gets or takes up to cb bytes; a non-zero result stops the stream with it as
// the error.
using EDITSTREAMCALLBACK = DWORD (*)(uintptr_t dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb);
struct EDITSTREAM {
    uintptr_t dwCookie = 0;
    DWORD dwError = 0;
    EDITSTREAMCALLBACK pfnCallback = nullptr;
};
struct GETTEXTLENGTHEX {
    DWORD flags = GTL_DEFAULT;
    UINT codepage = 1200;
};
// Heights in twips; the face name as text.
struct CHARFORMATW {
    DWORD dwMask = 0;
    DWORD dwEffects = 0;
    LONG yHeight = 0;
    COLORREF crTextColor = 0;
    BYTE bCharSet = 1;
    QString szFaceName;
};
// Indents in twips: the first line starts at dxStartIndent, the others dxOffset further.
struct PARAFORMAT {
    DWORD dwMask = 0;
    WORD wNumbering = 0;
    WORD wEffects = 0;
    LONG dxStartIndent = 0;
    LONG dxRightIndent = 0;
    LONG dxOffset = 0;
    WORD wAlignment = PFA_LEFT;
};

enum TAttributeType { atSelected, atDefaultText };
enum TNumberingStyle { nsNone, nsBullet };
DOV_ENUM_INFO(TNumberingStyle, nsNone, nsBullet)

// The character formatting of the selection (or of the text typed by default), read and
// written through EM_GETCHARFORMAT and EM_SETCHARFORMAT so that descendants see every change.
class TTextAttributes : public TPersistent {
    DOV_PERSISTENT(TTextAttributes, TPersistent)
public:
    TTextAttributes(TCustomRichEdit* AOwner, TAttributeType AttributeType);
    QString Name() const;
    void SetName(const QString& Value);
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFontCharset Charset() const;
    void SetCharset(TFontCharset Value);
    void Assign(TPersistent* Source) override;
    void AssignTo(TPersistent* Dest) const;

private:
    CHARFORMATW Get() const;
    void Set(const CHARFORMATW& Format);
    TCustomRichEdit* FRichEdit;
    TAttributeType FType;
};

// The paragraph formatting of the selection, in points.
class TParaAttributes : public TPersistent {
    DOV_PERSISTENT(TParaAttributes, TPersistent)
public:
    explicit TParaAttributes(TCustomRichEdit* AOwner) : FRichEdit(AOwner) {}
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    int FirstIndent() const;
    void SetFirstIndent(int Value);
    int LeftIndent() const;
    void SetLeftIndent(int Value);
    int RightIndent() const;
    void SetRightIndent(int Value);
    TNumberingStyle Numbering() const;
    void SetNumbering(TNumberingStyle Value);

private:
    PARAFORMAT Get() const;
    void Set(DWORD Mask, const PARAFORMAT& Format);
    TCustomRichEdit* FRichEdit;
};

// A formatted-text edit over a text document. Character positions count a paragraph break as
// one character; Text gives paragraphs joined by CR LF. Lines load and save RTF unless
// PlainText is set.
class TCustomRichEdit : public TCustomControl {
    DOV_PERSISTENT(TCustomRichEdit, TCustomControl)
public:
    explicit TCustomRichEdit(TComponent* AOwner);
    ~TCustomRichEdit() override;
    void AfterConstruction() override;

    QTextDocument* Document() const { return FDoc.get(); }
    TStrings* Lines() const;
    void SetLines(TStrings* Value);
    TTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
    TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
    TParaAttributes* Paragraph() const { return FParagraph.get(); }
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = std::max(0, Value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; UpdateLayoutWidth(); Invalidate(); }
    bool Modified() const;
    void SetModified(bool Value);

    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    QString SelText() const;
    void SetSelText(const QString& Value);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    bool CanUndo() const;
    void Clear();
    // The text, paragraphs joined by CR LF; setting it replaces the document with plain text.
    void SetText(const QString& Value);
    // The caret as paragraph (Y) and position in it (X).
    TPoint CaretPos() const;
    // The formatting rectangle (client coordinates) and the first line shown.
    TRect FormatRect() const;
    int LineFromChar(int Pos) const;
    int LineIndex(int Line) const;
    // Prints the document on the printer, one page after another; Caption is the job's title.
    void Print(const QString& Caption);

    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Resize() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMTextChanged(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void CMBiDiModeChanged(TMessage& M) override;
    virtual void Change();
    virtual void SelectionChange();
    virtual void WMCut(TMessage& M);
    virtual void WMPaste(TMessage& M);
    virtual void WMClear(TMessage& M);
    // Character and paragraph formatting messages: descendants check before they run.
    virtual void EMSetCharFormat(TMessage& M);
    virtual void EMSetParaFormat(TMessage& M);
    virtual void EMStreamIn(TMessage& M);
    virtual void EMStreamOut(TMessage& M);
    virtual void EMFormatRange(TMessage& M);
    void EMGetTextLengthEx(TMessage& M);

    // Inserts typed or pasted text at the selection, within MaxLength.
    void InsertText(const QString& S);
    void MoveCursor(int Operation, bool Extend, int Count = 1);
    int PosAt(int X, int Y) const;
    void ScrollCaretIntoView();
    void UpdateLayoutWidth();
    void UpdateScrollBar();
    void ApplyCharFormat(DWORD Mask, const CHARFORMATW& Format, bool Selection);
    CHARFORMATW CharFormatOf(bool Selection) const;
    void DocumentChanged();
    void EditCommand(const std::function<void()>& Edit);

    std::unique_ptr<QTextDocument> FDoc;
    std::unique_ptr<QTextCursor> FTextCursor;
    std::unique_ptr<TStrings> FLines;
    std::unique_ptr<TTextAttributes> FSelAttributes;
    std::unique_ptr<TTextAttributes> FDefAttributes;
    std::unique_ptr<TParaAttributes> FParagraph;
    TScrollBar* FVertBar = nullptr;
    bool FPlainText = false;
    bool FReadOnly = false;
    int FMaxLength = 0;
    bool FWordWrap = true;
    bool FHideSelection = true;
    bool FWantTabs = false;
    bool FWantReturns = true;
    TBorderStyle FBorderStyle = bsSingle;
    DWORD FEventMask = ENM_CHANGE | ENM_SELCHANGE;
    TRect FFormatRect;
    bool FFormatRectSet = false;
    int FTopY = 0;           // pixels of the document scrolled off the top
    bool FSyncing = false;   // the caption is being set from the document
    bool FSelecting = false; // a mouse drag selects
    int FLastSelStart = -1, FLastSelEnd = -1;
    friend class TTextAttributes;
    friend class TParaAttributes;
};

class TRichEdit : public TCustomRichEdit {
    DOV_PERSISTENT(TRichEdit, TCustomRichEdit)
public:
    using TCustomRichEdit::TCustomRichEdit;
};
