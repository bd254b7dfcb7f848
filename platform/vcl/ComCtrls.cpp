#include "ComCtrls.h"
#include "Forms.h"

#include <QDate>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>
#include <cmath>

DOV_PUBLISHED(TTabSheet)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("TabVisible", &TTabSheet::TabVisible).Default(true);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner)
{
    FParentColor = false;
    FColor = clBtnFace;
    FAlign = alClient;
    ControlStyle = TControlStyle{csAcceptsControls, csOpaque};
}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* v)
{
    if (v == FPageControl)
        return;
    if (FPageControl)
        FPageControl->RemovePage(this);
    FPageControl = v;
    if (v) {
        SetParent(v);
        v->InsertPage(this);
    }
}

void TTabSheet::SetParentComponent(TComponent* Value)
{
    if (auto* pc = dynamic_cast<TPageControl*>(Value))
        SetPageControl(pc);
    else
        TCustomControl::SetParentComponent(Value);
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

DOV_PUBLISHED(TPageControl)
{
    P.Prop("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    P.Event("OnChange", &TPageControl::OnChange);
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 289;
    FHeight = 193;
    FTabStop = true;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csAcceptsControls, csDoubleClicks, csOpaque};
}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : FPages)
        p->FPageControl = nullptr;
}

void TPageControl::InsertPage(TTabSheet* p)
{
    FPages.push_back(p);
    if (!FActivePage)
        SetActivePage(p);
    else
        p->SetVisible(false);
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* p)
{
    FPages.erase(std::remove(FPages.begin(), FPages.end(), p), FPages.end());
    if (FActivePage == p)
        SetActivePage(FPages.empty() ? nullptr : FPages.front());
    Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* v)
{
    if (v && v->FPageControl != this)
        return;
    if (v == FActivePage)
        return;
    FActivePage = v;
    for (TTabSheet* p : FPages)
        p->SetVisible(p == v);
    Invalidate();
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v)
{
    SetActivePage(v >= 0 && v < PageCount() ? FPages[size_t(v)] : nullptr);
}

void TPageControl::Change()
{
    if (OnChange)
        OnChange(this);
}

namespace {
constexpr int kTabPadding = 6;   // left and right of a tab's caption
constexpr int kFrame = 4;        // the display area's frame
}

int TPageControl::TabHeight()
{
    const QFontMetrics fm(Font()->QtFont());
    return fm.height() + 6;
}

TRect TPageControl::TabRect(int PageIndex)
{
    if (PageIndex < 0 || PageIndex >= PageCount() || !FPages[size_t(PageIndex)]->TabVisible)
        return TRect();
    const QFontMetrics fm(Font()->QtFont());
    const int h = TabHeight();
    int x = 2;
    for (int i = 0; i < PageCount(); ++i) {
        TTabSheet* p = FPages[size_t(i)];
        if (!p->TabVisible)
            continue;
        const int w = fm.horizontalAdvance(p->Caption()) + 2 * kTabPadding;
        if (i == PageIndex)
            return TRect(x, 2, x + w, h);
        x += w;
    }
    return TRect();
}

int TPageControl::IndexOfTabAt(int X, int Y)
{
    for (int i = 0; i < PageCount(); ++i)
        if (PtInRect(TabRect(i), TPoint(X, Y)))
            return i;
    return -1;
}

void TPageControl::AdjustClientRect(TRect& Rect)
{
    Rect = TRect(Rect.Left + kFrame, Rect.Top + TabHeight() + kFrame, Rect.Right - kFrame, Rect.Bottom - kFrame);
    if (Rect.Right < Rect.Left)
        Rect.Right = Rect.Left;
    if (Rect.Bottom < Rect.Top)
        Rect.Bottom = Rect.Top;
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    const int i = IndexOfTabAt(X, Y);
    if (i < 0 || FPages[size_t(i)] == FActivePage)
        return;
    SetActivePage(FPages[size_t(i)]);
    Change();
}

void TPageControl::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    const int h = TabHeight();
    const TRect cr = ClientRect();
    // The display area's frame, then the tabs over its top edge.
    c->Pen()->SetColor(clBtnShadow);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(TRect(cr.Left, h, cr.Right, cr.Bottom));
    c->Font()->Assign(Font());
    for (int i = 0; i < PageCount(); ++i) {
        TRect r = TabRect(i);
        if (IsRectEmpty(r))
            continue;
        const bool active = FPages[size_t(i)] == FActivePage;
        if (active) {
            r.Top -= 2;
            r.Bottom += 1;
        }
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(active ? clWindow : clBtnFace);
        c->FillRect(r);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top);
        c->LineTo(r.Right - 1, r.Top);
        c->LineTo(r.Right - 1, r.Bottom);
        QString text = FPages[size_t(i)]->Caption();
        c->Brush()->SetStyle(bsClear);
        c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    }
    c->Brush()->SetStyle(bsSolid);
}

TStatusPanel* TStatusPanels::Add()
{
    FItems.push_back(std::make_unique<TStatusPanel>());
    return FItems.back().get();
}

DOV_PUBLISHED(TStatusBar)
{
    P.Prop("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    P.Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FHeight = 19;
    FWidth = 200;
    FParentColor = false;
    FColor = clBtnFace;
    FAlign = alBottom;
    ControlStyle = TControlStyle{csOpaque};
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimpleText(const QString& v)
{
    if (v == FSimpleText)
        return;
    FSimpleText = v;
    Invalidate();
}

void TStatusBar::SetSimplePanel(bool v)
{
    if (v == FSimplePanel)
        return;
    FSimplePanel = v;
    Invalidate();
}

void TStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    TRect r = ClientRect();
    if (FSimplePanel || FPanels.Count() == 0) {
        r.Left += 2;
        QString t = FSimpleText;
        c->TextRect(r, t, TTextFormat{tfVerticalCenter, tfSingleLine});
        return;
    }
    int x = 0;
    for (int i = 0; i < FPanels.Count(); ++i) {
        TStatusPanel* p = FPanels[i];
        const bool last = i == FPanels.Count() - 1;
        TRect pr(x + 2, r.Top, last ? r.Right : x + p->Width, r.Bottom);
        QString t = p->Text;
        c->TextRect(pr, t, TTextFormat{tfVerticalCenter, tfSingleLine});
        x += p->Width;
    }
}

DOV_PUBLISHED(TProgressBar)
{
    P.Prop("Style", &TProgressBar::Style, &TProgressBar::SetStyle).Default(pbstNormal);
    P.Prop("Min", &TProgressBar::Min).Default(0);
    P.Prop("Max", &TProgressBar::Max).Default(100);
    P.Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    P.Prop("MarqueeInterval", &TProgressBar::MarqueeInterval).Default(10);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 150;
    FHeight = 17;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csOpaque};
}

TProgressBar::~TProgressBar() = default;

void TProgressBar::SetStyle(TProgressBarStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Invalidate();
}

void TProgressBar::SetPosition(int v)
{
    v = std::clamp(v, Min, std::max(Min, Max));
    if (v == FPosition)
        return;
    FPosition = v;
    Invalidate();
}

void TProgressBar::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
    if (FStyle != pbstNormal || Max <= Min)
        return;
    TRect done = r;
    done.Right = r.Left + int(int64_t(r.Width()) * (FPosition - Min) / (Max - Min));
    c->Brush()->SetColor(clHighlight);
    c->FillRect(done);
}

// ---------------------------------------------------------------- dates of the calendars

namespace {

constexpr int kFirstYear = 1601, kLastYear = 9999;

TDateTime DayOf(TDateTime D) { return std::trunc(D); }

// The day with the time of day of Source (a negative date carries its time subtracted).
TDateTime WithTimeOf(TDateTime Day, TDateTime Source)
{
    const double t = std::fabs(Source - std::trunc(Source));
    return Day >= 0 ? Day + t : Day - t;
}

TDateTime FirstDay() { return EncodeDate(kFirstYear, 1, 1); }
TDateTime LastDay() { return EncodeDate(kLastYear, 12, 31); }

TDateTime ClampDay(TDateTime Day, TDateTime MinDate, TDateTime MaxDate)
{
    TDateTime lo = FirstDay(), hi = LastDay();
    if (MinDate != 0)
        lo = std::max(lo, DayOf(MinDate));
    if (MaxDate != 0)
        hi = std::min(hi, DayOf(MaxDate));
    return hi < lo ? lo : std::clamp(DayOf(Day), lo, hi);
}

// The calendar's titles name the month on its own (the format settings hold the genitive).
const char16_t* const kMonthTitles[12] = {u"Январь", u"Февраль", u"Март", u"Апрель", u"Май", u"Июнь",
                                          u"Июль", u"Август", u"Сентябрь", u"Октябрь", u"Ноябрь", u"Декабрь"};

bool IsDateHit(UINT Hit) { return (Hit & 0xFFFF) == 1 && (Hit & MCHT_CALENDAR) != 0; }

}  // namespace

SYSTEMTIME DateTimeToSystemTime(TDateTime D)
{
    SYSTEMTIME s;
    int y, m, d, h, n, sec, ms;
    DecodeDate(D, y, m, d);
    DecodeTime(D, h, n, sec, ms);
    s.wYear = WORD(y);
    s.wMonth = WORD(m);
    s.wDay = WORD(d);
    s.wDayOfWeek = WORD(DayOfWeek(D) - 1);
    s.wHour = WORD(h);
    s.wMinute = WORD(n);
    s.wSecond = WORD(sec);
    s.wMilliseconds = WORD(ms);
    return s;
}

bool TrySystemTimeToDate(const SYSTEMTIME& S, TDateTime& D)
{
    if (S.wYear < kFirstYear || S.wYear > kLastYear)
        return false;
    return TryEncodeDate(S.wYear, S.wMonth, S.wDay, D);
}

// ---------------------------------------------------------------- TMonthCalendar

DOV_PUBLISHED(TMonthCalendar)
{
    P.Prop("Date", &TMonthCalendar::Date, &TMonthCalendar::SetDate);
    P.Prop("MinDate", &TMonthCalendar::MinDate, &TMonthCalendar::SetMinDate).Default(0.0);
    P.Prop("MaxDate", &TMonthCalendar::MaxDate, &TMonthCalendar::SetMaxDate).Default(0.0);
    P.Prop("AutoSize", &TMonthCalendar::AutoSize, &TMonthCalendar::SetAutoSize).Default(false);
    P.Event("OnChange", &TMonthCalendar::OnChange);
}

struct TMonthCalendar::TLayout {
    int Margin = 4, TitleH = 0, CellW = 0, CellH = 0, GridLeft = 0, HeaderTop = 0, GridTop = 0;
    int MinWidth = 0, MinHeight = 0;
    TRect Title, Prev, Next, Area;
};

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FParentColor = false;
    FColor = clWindow;
    FTabStop = true;
    ControlStyle << csOpaque;
    FDate = ::Date();
    ShowMonthOf(FDate);
    const TRect r = MinReqRect();
    FWidth = r.Width();
    FHeight = r.Height();
}

TMonthCalendar::~TMonthCalendar() = default;

TMonthCalendar::TLayout TMonthCalendar::Layout()
{
    TLayout l;
    const QFontMetrics fm(Font()->QtFont());
    l.CellW = fm.horizontalAdvance(QStringLiteral("00"));
    for (const QString& d : FormatSettings.ShortDayNames)
        l.CellW = std::max(l.CellW, fm.horizontalAdvance(d));
    l.CellW += 10;
    l.CellH = fm.height() + 4;
    l.TitleH = fm.height() + 8;
    int title = 0;
    for (const char16_t* m : kMonthTitles)
        title = std::max(title, fm.horizontalAdvance(QString::fromUtf16(m) + QStringLiteral(" 0000")));
    const int gridW = 7 * l.CellW;
    l.MinWidth = std::max(2 * l.Margin + gridW, 2 * l.Margin + 2 * l.TitleH + title + 8);
    const TRect cr = ClientRect();
    l.Title = TRect(l.Margin, l.Margin, std::max(cr.Width(), l.MinWidth) - l.Margin, l.Margin + l.TitleH);
    l.Prev = TRect(l.Title.Left, l.Title.Top, l.Title.Left + l.TitleH, l.Title.Bottom);
    l.Next = TRect(l.Title.Right - l.TitleH, l.Title.Top, l.Title.Right, l.Title.Bottom);
    l.GridLeft = std::max(l.Margin, (cr.Width() - gridW) / 2);
    l.HeaderTop = l.Title.Bottom + 2;
    l.GridTop = l.HeaderTop + l.CellH + 3;
    l.Area = TRect(l.GridLeft, l.HeaderTop, l.GridLeft + gridW, l.GridTop + 6 * l.CellH);
    l.MinHeight = l.Area.Bottom + l.Margin;
    return l;
}

TRect TMonthCalendar::MinReqRect()
{
    const TLayout l = Layout();
    return TRect(0, 0, l.MinWidth, l.MinHeight);
}

TRect TMonthCalendar::TitleRect() { return Layout().Title; }
TRect TMonthCalendar::PrevButtonRect() { return Layout().Prev; }
TRect TMonthCalendar::NextButtonRect() { return Layout().Next; }

TDateTime TMonthCalendar::VisibleMonth() const { return EncodeDate(FViewYear, FViewMonth, 1); }

TDateTime TMonthCalendar::Clamp(TDateTime Day) const { return ClampDay(Day, FMinDate, FMaxDate); }

void TMonthCalendar::ShowMonthOf(TDateTime Day)
{
    int d;
    DecodeDate(Day, FViewYear, FViewMonth, d);
}

void TMonthCalendar::SetDate(TDateTime Value)
{
    FDate = WithTimeOf(Clamp(Value), Value);
    ShowMonthOf(FDate);
    Invalidate();
}

void TMonthCalendar::SetMinDate(TDateTime Value)
{
    FMinDate = Value;
    SetDate(FDate);
}

void TMonthCalendar::SetMaxDate(TDateTime Value)
{
    FMaxDate = Value;
    SetDate(FDate);
}

void TMonthCalendar::SetAutoSize(bool Value)
{
    if (FAutoSize == Value)
        return;
    FAutoSize = Value;
    AdjustSize();
}

bool TMonthCalendar::CanAutoSize(int& NewWidth, int& NewHeight)
{
    const TRect r = MinReqRect();
    NewWidth = r.Width() + (FWidth - ClientWidth());
    NewHeight = r.Height() + (FHeight - ClientHeight());
    return true;
}

void TMonthCalendar::AdjustSize()
{
    int w = FWidth, h = FHeight;
    if (FAutoSize && CanAutoSize(w, h))
        SetBounds(FLeft, FTop, w, h);
}

void TMonthCalendar::CMFontChanged(TMessage& M)
{
    TCustomControl::CMFontChanged(M);
    AdjustSize();
}

void TMonthCalendar::SetCurrentView(int Value)
{
    Value = std::clamp(Value, int(MCMV_MONTH), int(MCMV_CENTURY));
    if (Value == FView)
        return;
    FView = Value;
    Invalidate();
}

void TMonthCalendar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TMonthCalendar::UserSetDay(TDateTime Day)
{
    const TDateTime v = WithTimeOf(Clamp(Day), FDate);
    ShowMonthOf(v);
    Invalidate();
    if (v == FDate)
        return;
    FDate = v;
    Change();
}

TDateTime TMonthCalendar::CellDate(int Cell)
{
    TDateTime d = 0;
    switch (FView) {
    case MCMV_MONTH: {
        const TDateTime first = EncodeDate(FViewYear, FViewMonth, 1);
        return first - (DayOfWeek(first) + 5) % 7 + Cell;
    }
    case MCMV_YEAR: TryEncodeDate(FViewYear, Cell + 1, 1, d); return d;
    case MCMV_DECADE: TryEncodeDate(FViewYear - FViewYear % 10 - 1 + Cell, 1, 1, d); return d;
    default: TryEncodeDate(std::max(1, FViewYear - FViewYear % 100 - 10 + Cell * 10), 1, 1, d); return d;
    }
}

TRect TMonthCalendar::DayRect(TDateTime Day)
{
    const TLayout l = Layout();
    Day = DayOf(Day);
    if (FView == MCMV_MONTH) {
        const int cell = int(Day - CellDate(0));
        if (cell < 0 || cell >= 42)
            return TRect();
        const int x = l.GridLeft + cell % 7 * l.CellW, y = l.GridTop + cell / 7 * l.CellH;
        return TRect(x, y, x + l.CellW, y + l.CellH);
    }
    int y, m, d;
    DecodeDate(Day, y, m, d);
    int cell = -1;
    if (FView == MCMV_YEAR && y == FViewYear)
        cell = m - 1;
    else if (FView == MCMV_DECADE)
        cell = y - (FViewYear - FViewYear % 10 - 1);
    else if (FView == MCMV_CENTURY)
        cell = (y - (FViewYear - FViewYear % 100 - 10)) / 10;
    if (cell < 0 || cell >= 12)
        return TRect();
    const int w = l.Area.Width() / 4, h = l.Area.Height() / 3;
    const int x = l.Area.Left + cell % 4 * w, top = l.Area.Top + cell / 4 * h;
    return TRect(x, top, x + w, top + h);
}

int TMonthCalendar::CellAt(TPoint P, TDateTime& Date)
{
    const TLayout l = Layout();
    int cell = -1;
    if (FView == MCMV_MONTH) {
        const TRect grid(l.GridLeft, l.GridTop, l.GridLeft + 7 * l.CellW, l.GridTop + 6 * l.CellH);
        if (PtInRect(grid, P))
            cell = (P.Y - l.GridTop) / l.CellH * 7 + (P.X - l.GridLeft) / l.CellW;
    } else if (PtInRect(l.Area, P)) {
        const int w = l.Area.Width() / 4, h = l.Area.Height() / 3;
        cell = std::min((P.Y - l.Area.Top) / h, 2) * 4 + std::min((P.X - l.Area.Left) / w, 3);
    }
    if (cell < 0)
        return -1;
    Date = CellDate(cell);
    if (Date < FirstDay() || Date > LastDay())
        return -1;
    return cell;
}

UINT TMonthCalendar::HitTest(MCHITTESTINFO& Info)
{
    const TLayout l = Layout();
    const TPoint p = Info.pt;
    Info.uHit = MCHT_NOWHERE;
    Info.st = SYSTEMTIME();
    TDateTime d = 0;
    if (PtInRect(l.Prev, p))
        Info.uHit = MCHT_TITLEBTNPREV;
    else if (PtInRect(l.Next, p))
        Info.uHit = MCHT_TITLEBTNNEXT;
    else if (PtInRect(l.Title, p))
        Info.uHit = MCHT_TITLEBK;
    else if (const int cell = CellAt(p, d); cell >= 0) {
        Info.uHit = MCHT_CALENDARDATE;
        if (FView == MCMV_MONTH) {
            int y, m, dd;
            DecodeDate(d, y, m, dd);
            if (y * 12 + m < FViewYear * 12 + FViewMonth)
                Info.uHit = MCHT_CALENDARDATEPREV;
            else if (y * 12 + m > FViewYear * 12 + FViewMonth)
                Info.uHit = MCHT_CALENDARDATENEXT;
        }
        Info.st = DateTimeToSystemTime(d);
        if (Info.cbSize >= sizeof(MCHITTESTINFO)) {
            Info.rc = DayRect(d);
            Info.iRow = FView == MCMV_MONTH ? cell / 7 : cell / 4;
            Info.iCol = FView == MCMV_MONTH ? cell % 7 : cell % 4;
        }
    } else if (FView == MCMV_MONTH && p.Y >= l.HeaderTop && p.Y < l.GridTop && p.X >= l.Area.Left && p.X < l.Area.Right)
        Info.uHit = MCHT_CALENDARDAY;
    else if (PtInRect(l.Area, p))
        Info.uHit = MCHT_CALENDARBK;
    return Info.uHit;
}

void TMonthCalendar::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MCM_GETCURSEL:
        *reinterpret_cast<SYSTEMTIME*>(Message.LParam) = DateTimeToSystemTime(DayOf(FDate));
        Message.Result = 1;
        return;
    case MCM_SETCURSEL: {
        TDateTime d = 0;
        const bool ok = TrySystemTimeToDate(*reinterpret_cast<const SYSTEMTIME*>(Message.LParam), d) && Clamp(d) == d;
        if (ok)
            SetDate(WithTimeOf(d, FDate));
        Message.Result = ok;
        return;
    }
    case MCM_GETMINREQRECT:
        *reinterpret_cast<TRect*>(Message.LParam) = MinReqRect();
        Message.Result = 1;
        return;
    case MCM_HITTEST: Message.Result = LRESULT(HitTest(*reinterpret_cast<MCHITTESTINFO*>(Message.LParam))); return;
    case MCM_GETCURRENTVIEW: Message.Result = FView; return;
    case MCM_SETCURRENTVIEW:
        SetCurrentView(int(Message.LParam));
        Message.Result = 1;
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

// Months moved by one unit of the view, and by one page of it.
static int ViewUnit(int View) { return View == MCMV_YEAR ? 1 : View == MCMV_DECADE ? 12 : 120; }

void TMonthCalendar::Step(int Units) { UserSetDay(IncMonth(DayOf(FDate), Units * ViewUnit(FView))); }

void TMonthCalendar::Page(int Pages)
{
    const int months = FView == MCMV_MONTH ? 1 : FView == MCMV_YEAR ? 12 : FView == MCMV_DECADE ? 120 : 1200;
    UserSetDay(IncMonth(DayOf(FDate), Pages * months));
}

void TMonthCalendar::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const TDateTime day = DayOf(FDate);
    const bool month = FView == MCMV_MONTH;
    int y, m, d;
    DecodeDate(day, y, m, d);
    switch (Key) {
    case VK_LEFT: month ? UserSetDay(day - 1) : Step(-1); break;
    case VK_RIGHT: month ? UserSetDay(day + 1) : Step(1); break;
    case VK_UP: month ? UserSetDay(day - 7) : Step(-4); break;
    case VK_DOWN: month ? UserSetDay(day + 7) : Step(4); break;
    case VK_PRIOR: Page(Shift.Contains(ssCtrl) && month ? -12 : -1); break;
    case VK_NEXT: Page(Shift.Contains(ssCtrl) && month ? 12 : 1); break;
    case VK_HOME:
        if (month)
            UserSetDay(EncodeDate(y, m, 1));
        break;
    case VK_END:
        if (month)
            UserSetDay(EncodeDate(y, m, DaysInAMonth(y, m)));
        break;
    default: return;
    }
    Key = 0;
}

void TMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && CanFocus() && !Focused())
        SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    MCHITTESTINFO info;
    info.pt = TPoint(X, Y);
    const UINT hit = HitTest(info);
    const int pages = hit == MCHT_TITLEBTNPREV ? -1 : hit == MCHT_TITLEBTNNEXT ? 1 : 0;
    if (pages != 0) {
        // The buttons turn the pages shown; the chosen date stays.
        const int months = FView == MCMV_MONTH ? 1 : FView == MCMV_YEAR ? 12 : FView == MCMV_DECADE ? 120 : 1200;
        const int target = std::clamp(FViewYear * 12 + FViewMonth - 1 + pages * months, kFirstYear * 12, kLastYear * 12 + 11);
        FViewYear = target / 12;
        FViewMonth = target % 12 + 1;
        Invalidate();
    } else if (hit == MCHT_TITLEBK) {
        SetCurrentView(FView + 1);
    } else if (IsDateHit(hit)) {
        TDateTime d = 0;
        TrySystemTimeToDate(info.st, d);
        if (FView == MCMV_MONTH) {
            if (Clamp(d) == d)
                UserSetDay(d);
        } else {
            ShowMonthOf(d);
            if (FView == MCMV_YEAR)
                FViewMonth = info.st.wMonth;
            SetCurrentView(FView - 1);
        }
    }
}

void TMonthCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TMonthCalendar::Paint()
{
    TCanvas* c = Canvas();
    const TLayout l = Layout();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());

    // Title with its two page buttons.
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(l.Title);
    TRect b = l.Prev;
    DrawFrameControl(c->Handle(), b, DFC_SCROLL, DFCS_SCROLLLEFT);
    b = l.Next;
    DrawFrameControl(c->Handle(), b, DFC_SCROLL, DFCS_SCROLLRIGHT);
    QString title;
    if (FView == MCMV_MONTH)
        title = QString::fromUtf16(kMonthTitles[FViewMonth - 1]) + u' ' + QString::number(FViewYear);
    else if (FView == MCMV_YEAR)
        title = QString::number(FViewYear);
    else {
        const int span = FView == MCMV_DECADE ? 10 : 100;
        const int first = FViewYear - FViewYear % span;
        title = QStringLiteral("%1-%2").arg(first).arg(first + span - 1);
    }
    c->Font()->SetStyle(TFontStyles{fsBold});
    c->Font()->SetColor(clBtnText);
    TRect tr(l.Prev.Right, l.Title.Top, l.Next.Left, l.Title.Bottom);
    c->TextRect(tr, title, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    c->Font()->SetStyle(TFontStyles{});
    c->Brush()->SetColor(FColor);

    const TDateTime selected = DayOf(FDate);
    const TDateTime today = DayOf(::Date());
    auto cellText = [&](const TRect& r, QString text, TColor color, bool chosen) {
        c->Brush()->SetColor(chosen ? clHighlight : FColor);
        c->FillRect(r);
        c->Font()->SetColor(chosen ? clHighlightText : color);
        TRect rr = r;
        c->TextRect(rr, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    };
    if (FView == MCMV_MONTH) {
        for (int i = 0; i < 7; ++i) {
            TRect r(l.GridLeft + i * l.CellW, l.HeaderTop, l.GridLeft + (i + 1) * l.CellW, l.HeaderTop + l.CellH);
            cellText(r, FormatSettings.ShortDayNames[(i + 1) % 7], clHighlight, false);
        }
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(l.Area.Left, l.HeaderTop + l.CellH + 1);
        c->LineTo(l.Area.Right, l.HeaderTop + l.CellH + 1);
        for (int i = 0; i < 42; ++i) {
            const TDateTime d = CellDate(i);
            if (d < FirstDay() || d > LastDay())
                continue;
            int y, m, dd;
            DecodeDate(d, y, m, dd);
            const bool own = y == FViewYear && m == FViewMonth;
            const TRect r = DayRect(d);
            cellText(r, QString::number(dd), own && Clamp(d) == d ? clWindowText : clGrayText, d == selected);
            if (d == today) {
                c->Brush()->SetColor(clRed);
                c->FrameRect(r);
            }
        }
        return;
    }
    int sy, sm, sd;
    DecodeDate(selected, sy, sm, sd);
    for (int i = 0; i < 12; ++i) {
        const TDateTime d = CellDate(i);
        if (d < FirstDay() || d > LastDay())
            continue;
        int y, m, dd;
        DecodeDate(d, y, m, dd);
        QString text;
        bool chosen = false, edge = false;
        if (FView == MCMV_YEAR) {
            text = FormatSettings.ShortMonthNames[m - 1];
            chosen = y == sy && m == sm;
        } else if (FView == MCMV_DECADE) {
            text = QString::number(y);
            chosen = y == sy;
            edge = i == 0 || i == 11;
        } else {
            text = QString::number(y);
            chosen = sy >= y && sy < y + 10;
            edge = i == 0 || i == 11;
        }
        cellText(DayRect(d), text, edge ? clGrayText : clWindowText, chosen);
    }
}

// ---------------------------------------------------------------- TDateTimePicker

namespace {

// The picker's drop-down: a non-activating top-level window; the picker keeps the keyboard.
class TPickerCalendar : public TMonthCalendar {
public:
    TPickerCalendar(TComponent* AOwner, TDateTimePicker* Picker) : TMonthCalendar(AOwner), FPicker(Picker)
    {
        FVisible = false;
        FTabStop = false;
    }
    bool CanFocus() const override { return false; }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TMonthCalendar::CreateParams(Params);
        Params.Style = WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    }
    void WMNCCalcSize(TMessage& M) override { InflateRect(*reinterpret_cast<TRect*>(M.LParam), -1, -1); }
    void WMNCPaint(TMessage& M) override
    {
        TRect r(0, 0, Width(), Height());
        HBRUSH b = CreateSolidBrush(ColorToRGB(clWindowFrame));
        FrameRect(reinterpret_cast<HDC>(M.LParam), r, b);
        DeleteObject(b);
    }
    bool CanAutoSize(int& NewWidth, int& NewHeight) override
    {
        const TRect r = MinReqRect();
        NewWidth = r.Width() + 2;
        NewHeight = r.Height() + 2;
        return true;
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        FDownView = CurrentView();
        TMonthCalendar::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TMonthCalendar::MouseUp(Button, Shift, X, Y);
        MCHITTESTINFO info;
        info.pt = TPoint(X, Y);
        // A day picked in the month view closes; a month or year chosen zooms in and stays.
        if (Button == mbLeft && FDownView == MCMV_MONTH && IsDateHit(HitTest(info)))
            FPicker->CloseUp(true);
    }
    void CMCancelMode(TMessage& M) override
    {
        // A press on the picker is the picker's own business (its button toggles the drop-down).
        if (reinterpret_cast<TControl*>(M.LParam) != FPicker)
            FPicker->CloseUp(false);
    }

private:
    TDateTimePicker* FPicker;
    int FDownView = MCMV_MONTH;
};

}  // namespace

DOV_PUBLISHED(TDateTimePicker)
{
    P.Prop("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate);
    P.Prop("Time", &TDateTimePicker::Time, &TDateTimePicker::SetTime);
    P.Prop("MinDate", &TDateTimePicker::MinDate, &TDateTimePicker::SetMinDate).Default(0.0);
    P.Prop("MaxDate", &TDateTimePicker::MaxDate, &TDateTimePicker::SetMaxDate).Default(0.0);
    P.Prop("Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind).Default(dtkDate);
    P.Event("OnChange", &TDateTimePicker::OnChange);
    P.Event("OnDropDown", &TDateTimePicker::OnDropDown);
    P.Event("OnCloseUp", &TDateTimePicker::OnCloseUp);
}

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 186;
    FHeight = 21;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FDateTime = Now();
}

TDateTimePicker::~TDateTimePicker() = default;

void TDateTimePicker::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    ParseFormat();
}

// The parts of the short date format; anything else is shown as it stands.
void TDateTimePicker::ParseFormat()
{
    FFormat = FormatSettings.ShortDateFormat;
    FParts.clear();
    for (int i = 0; i < FFormat.size();) {
        const QChar ch = FFormat[i].toLower();
        int n = 1;
        while (i + n < FFormat.size() && FFormat[i + n].toLower() == ch)
            ++n;
        if (ch == u'd' && n <= 2)
            FParts.push_back({pkDay, 2, i, n});
        else if (ch == u'm' && n <= 2)
            FParts.push_back({pkMonth, 2, i, n});
        else if (ch == u'y')
            FParts.push_back({pkYear, n <= 2 ? 2 : 4, i, n});
        i += n;
    }
    FPart = std::clamp(FPart, 0, std::max(0, int(FParts.size()) - 1));
}

QString TDateTimePicker::PartText(const TPart& P, TDateTime D) const
{
    int y, m, d;
    DecodeDate(D, y, m, d);
    const int v = P.Kind == pkDay ? d : P.Kind == pkMonth ? m : y;
    if (P.Kind == pkYear)
        return P.Digits == 2 ? QStringLiteral("%1").arg(y % 100, 2, 10, QChar(u'0')) : QStringLiteral("%1").arg(y, 4, 10, QChar(u'0'));
    return P.Length == 2 ? QStringLiteral("%1").arg(v, 2, 10, QChar(u'0')) : QString::number(v);
}

QString TDateTimePicker::DisplayText() const
{
    QString s;
    int pos = 0;
    for (size_t i = 0; i < FParts.size(); ++i) {
        const TPart& p = FParts[i];
        for (QChar c : FFormat.mid(pos, p.Start - pos))
            s += c == u'/' ? FormatSettings.DateSeparator : c;
        s += int(i) == FPart && !FTyped.isEmpty() ? FTyped : PartText(p, FDateTime);
        pos = p.Start + p.Length;
    }
    for (QChar c : FFormat.mid(pos))
        s += c == u'/' ? FormatSettings.DateSeparator : c;
    return s;
}

TRect TDateTimePicker::ButtonRect()
{
    const TRect cr = ClientRect();
    return TRect(cr.Right - GetSystemMetrics(SM_CXVSCROLL), cr.Top, cr.Right, cr.Bottom);
}

void TDateTimePicker::PartSpan(int Part, int& Start, int& Length) const
{
    // Literals keep their length in the display text; parts show as many characters as they hold.
    Start = 0;
    Length = 0;
    int pos = 0;
    for (int i = 0; i <= Part && i < PartCount(); ++i) {
        const TPart& p = FParts[size_t(i)];
        Start += p.Start - pos + (i > 0 ? Length : 0);
        Length = i == FPart && !FTyped.isEmpty() ? int(FTyped.size()) : int(PartText(p, FDateTime).size());
        pos = p.Start + p.Length;
    }
}

TRect TDateTimePicker::PartRect(int Part)
{
    if (Part < 0 || Part >= PartCount())
        return TRect();
    const QFontMetrics fm(Font()->QtFont());
    const QString text = DisplayText();
    int start, len;
    PartSpan(Part, start, len);
    const int x = 2 + fm.horizontalAdvance(text.left(start));
    return TRect(x, 0, x + fm.horizontalAdvance(text.mid(start, len)), ClientHeight());
}

TDateTime TDateTimePicker::Date() const { return WithTimeOf(DayOf(FDateTime), 0); }
TDateTime TDateTimePicker::Time() const { return std::fabs(FDateTime - std::trunc(FDateTime)); }

TDateTime TDateTimePicker::Clamp(TDateTime D) const { return WithTimeOf(ClampDay(D, FMinDate, FMaxDate), D); }

void TDateTimePicker::SetDateTime(TDateTime Value)
{
    FTyped.clear();
    FDateTime = Clamp(Value);
    Invalidate();
}

void TDateTimePicker::SetDate(TDateTime Value) { SetDateTime(WithTimeOf(DayOf(Value), FDateTime)); }
void TDateTimePicker::SetTime(TDateTime Value) { SetDateTime(WithTimeOf(DayOf(FDateTime), Value)); }

void TDateTimePicker::SetMinDate(TDateTime Value)
{
    FMinDate = Value;
    SetDateTime(FDateTime);
}

void TDateTimePicker::SetMaxDate(TDateTime Value)
{
    FMaxDate = Value;
    SetDateTime(FDateTime);
}

void TDateTimePicker::Change()
{
    if (OnChange)
        OnChange(this);
}

void TDateTimePicker::SetUserValue(TDateTime D)
{
    D = Clamp(D);
    Invalidate();
    if (D == FDateTime)
        return;
    FDateTime = D;
    Change();
}

TDateTime TDateTimePicker::WithPart(TPartKind Kind, int Value) const
{
    int y, m, d;
    DecodeDate(FDateTime, y, m, d);
    (Kind == pkDay ? d : Kind == pkMonth ? m : y) = Value;
    y = std::clamp(y, kFirstYear, kLastYear);
    m = std::clamp(m, 1, 12);
    d = std::clamp(d, 1, DaysInAMonth(y, m));
    return WithTimeOf(EncodeDate(y, m, d), FDateTime);
}

// A year typed with one or two digits lies in the century window of the format settings.
static int ExpandYear(const QString& Digits)
{
    int y = Digits.toInt();
    if (Digits.size() > 2)
        return y;
    const int base = QDate::currentDate().year() - FormatSettings.TwoDigitYearCenturyWindow;
    y += base / 100 * 100;
    if (FormatSettings.TwoDigitYearCenturyWindow > 0 && y < base)
        y += 100;
    return y;
}

void TDateTimePicker::CommitTyping()
{
    if (FTyped.isEmpty() || FPart >= PartCount())
        return;
    const TPart& p = FParts[size_t(FPart)];
    const QString typed = FTyped;
    FTyped.clear();
    // Days and months took effect while they were typed; a year waits until it is complete.
    if (p.Kind == pkYear)
        SetUserValue(WithPart(pkYear, ExpandYear(typed)));
    Invalidate();
}

void TDateTimePicker::MovePart(int Delta)
{
    CommitTyping();
    FPart = std::clamp(FPart + Delta, 0, std::max(0, PartCount() - 1));
    Invalidate();
}

void TDateTimePicker::StepPart(int Delta)
{
    CommitTyping();
    if (FPart >= PartCount())
        return;
    int y, m, d;
    DecodeDate(FDateTime, y, m, d);
    switch (FParts[size_t(FPart)].Kind) {
    case pkDay: SetUserValue(WithPart(pkDay, (d - 1 + Delta + DaysInAMonth(y, m)) % DaysInAMonth(y, m) + 1)); break;
    case pkMonth: SetUserValue(WithPart(pkMonth, (m - 1 + Delta + 12) % 12 + 1)); break;
    case pkYear: SetUserValue(WithPart(pkYear, y + Delta)); break;
    }
}

void TDateTimePicker::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    const bool alt = Shift.Contains(ssAlt);
    if (DroppedDown()) {
        switch (Key) {
        case VK_RETURN: CloseUp(true); break;
        case VK_ESCAPE: CloseUp(false); break;
        case VK_F4: CloseUp(true); break;
        case VK_UP:
        case VK_DOWN:
            if (alt) {
                CloseUp(true);
                break;
            }
            [[fallthrough]];
        case VK_LEFT: case VK_RIGHT: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
            FCalendar->Perform(WM_KEYDOWN, Key, alt ? 0x20000001 : 1);
            break;
        default: return;
        }
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_LEFT: MovePart(-1); break;
    case VK_RIGHT: MovePart(1); break;
    case VK_UP: StepPart(1); break;
    case VK_DOWN:
        if (alt)
            DropDown();
        else
            StepPart(-1);
        break;
    case VK_F4: DropDown(); break;
    default: return;
    }
    Key = 0;
}

void TDateTimePicker::KeyPress(QChar& Key)
{
    TCustomControl::KeyPress(Key);
    if (!Key.isDigit() || DroppedDown() || FPart >= PartCount())
        return;
    const TPart& p = FParts[size_t(FPart)];
    const QChar digit = Key;
    Key = QChar();
    FTyped += digit;
    if (p.Kind == pkYear) {
        if (FTyped.size() >= p.Digits) {
            CommitTyping();
            MovePart(1);
        }
        Invalidate();
        return;
    }
    const int max = p.Kind == pkDay ? 31 : 12;
    int v = FTyped.toInt();
    if (v > max) {
        // Two digits that make no day or month: the second one starts the part anew.
        FTyped = digit;
        v = FTyped.toInt();
    }
    if (v > 0)
        SetUserValue(WithPart(p.Kind, v));
    // The part is complete when no further digit could follow.
    if (FTyped.size() >= 2 || v * 10 > max) {
        FTyped.clear();
        if (v > 0)
            MovePart(1);
    }
    Invalidate();
}

void TDateTimePicker::CMWantSpecialKey(TMessage& M)
{
    M.Result = DroppedDown() && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) ? 1 : 0;
}

void TDateTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && CanFocus() && !Focused())
        SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (PtInRect(ButtonRect(), TPoint(X, Y))) {
        if (DroppedDown())
            CloseUp(false);
        else
            DropDown();
        return;
    }
    // The part under the mouse, or the nearest one.
    int best = FPart, bestDistance = INT_MAX;
    for (int i = 0; i < PartCount(); ++i) {
        const TRect r = PartRect(i);
        const int dist = X < r.Left ? r.Left - X : X >= r.Right ? X - r.Right + 1 : 0;
        if (dist < bestDistance) {
            bestDistance = dist;
            best = i;
        }
    }
    if (best != FPart)
        MovePart(best - FPart);
}

void TDateTimePicker::WMSetFocus(TMessage& M)
{
    TCustomControl::WMSetFocus(M);
    Invalidate();
}

void TDateTimePicker::WMKillFocus(TMessage& M)
{
    CommitTyping();
    CloseUp(false);
    TCustomControl::WMKillFocus(M);
    Invalidate();
}

void TDateTimePicker::WMNCCalcSize(TMessage& M) { InflateRect(*reinterpret_cast<TRect*>(M.LParam), -2, -2); }

void TDateTimePicker::WMNCPaint(TMessage& M)
{
    TRect r(0, 0, Width(), Height());
    DrawEdge(reinterpret_cast<HDC>(M.LParam), r, EDGE_SUNKEN, BF_RECT);
}

void TDateTimePicker::CMCancelMode(TMessage& M)
{
    if (reinterpret_cast<TControl*>(M.LParam) != this)
        CloseUp(false);
}

bool TDateTimePicker::DroppedDown() const { return FCalendar && FCalendar->HandleAllocated() && FCalendar->Visible(); }

void TDateTimePicker::DropDown()
{
    if (DroppedDown())
        return;
    CommitTyping();
    if (!FCalendar) {
        FCalendar = Create<TPickerCalendar>(this, this);
        FCalendar->SetAutoSize(true);
    }
    if (TCustomForm* f = ::GetParentForm(this))
        FCalendar->SetParentWindow(f->Handle());
    FCalendar->SetMinDate(FMinDate);
    FCalendar->SetMaxDate(FMaxDate);
    FCalendar->SetDate(FDateTime);
    FCalendar->SetCurrentView(MCMV_MONTH);
    FCalendar->HandleNeeded();
    FCalendar->AdjustSize();
    // Under the picker, or above it where the work area has no room below; inside the work area.
    const TPoint origin = ClientToScreen(TPoint(-FNonClient.Left, -FNonClient.Top));
    const TRect own(origin.X, origin.Y, origin.X + Width(), origin.Y + Height());
    TMonitor* mon = Screen->MonitorFromRect(own);
    const TRect wa = mon ? mon->WorkareaRect : Screen->WorkAreaRect();
    const int w = FCalendar->Width(), h = FCalendar->Height();
    int x = own.Left, y = own.Bottom;
    if (y + h > wa.Bottom && own.Top - h >= wa.Top)
        y = own.Top - h;
    x = std::max(wa.Left, std::min(x, wa.Right - w));
    FCalendar->SetBounds(x, y, w, h);
    FCalendar->SetVisible(true);
    if (OnDropDown)
        OnDropDown(this);
    Invalidate();
}

void TDateTimePicker::CloseUp(bool Accept)
{
    if (!DroppedDown())
        return;
    FCalendar->SetVisible(false);
    if (Accept)
        SetUserValue(WithTimeOf(DayOf(FCalendar->Date()), FDateTime));
    Invalidate();
    if (OnCloseUp)
        OnCloseUp(this);
}

void TDateTimePicker::Paint()
{
    TCanvas* c = Canvas();
    const TRect cr = ClientRect();
    c->Brush()->SetColor(Enabled() ? FColor : clBtnFace);
    c->FillRect(cr);
    c->Font()->Assign(Font());
    if (!Enabled())
        c->Font()->SetColor(clGrayText);
    const QString text = DisplayText();
    TRect tr(2, cr.Top, ButtonRect().Left, cr.Bottom);
    QString t = text;
    c->TextRect(tr, t, TTextFormat{tfVerticalCenter, tfSingleLine, tfNoPrefix});
    if (Focused() && FPart < PartCount()) {
        int start, len;
        PartSpan(FPart, start, len);
        TRect pr = PartRect(FPart);
        pr.Top += 2;
        pr.Bottom -= 2;
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
        c->TextRect(pr, pr.Left, (cr.Height() - c->TextHeight(text)) / 2, text.mid(start, len));
    }
    TRect b = ButtonRect();
    DrawFrameControl(c->Handle(), b, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED | DFCS_FLAT : 0));
}
