// Common controls: page control with tab sheets, status bar and progress bar.
#pragma once

#include "Controls.h"

#include <memory>
#include <vector>

class TPageControl;

// One page of a page control; its controls are its children.
class TTabSheet : public TCustomControl {
    DOV_PERSISTENT(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* v);
    int PageIndex() const;
    bool TabVisible = true;

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
    void SetActivePage(TTabSheet* v);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    TNotifyEvent OnChange;

protected:
    void Paint() override;

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
