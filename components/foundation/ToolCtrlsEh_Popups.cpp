// Popup placement, input tests, menus that stay open, graphic providers and the unit's
// start-up and close-down.
#include "ToolCtrlsEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cstdlib>
#include <map>

// ---------------------------------------------------------------- placement

TRect WorkAreaNearestToRect(const TRect& R)
{
    // Copies: every monitor query refreshes the screen's list.
    std::vector<std::pair<TRect, TRect>> monitors;   // bounds, work area
    const int n = Screen->MonitorCount();
    for (int i = 0; i < n; ++i) {
        TMonitor* m = Screen->Monitors(i);
        monitors.emplace_back(m->BoundsRect, m->WorkareaRect);
    }
    if (monitors.empty())
        return Screen->WorkAreaRect();
    size_t best = 0, nearest = 0;
    int64_t bestArea = 0, bestDistance = -1;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const TRect& b = monitors[i].first;
        const int64_t w = std::max(0, std::min(R.Right, b.Right) - std::max(R.Left, b.Left));
        const int64_t h = std::max(0, std::min(R.Bottom, b.Bottom) - std::max(R.Top, b.Top));
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
        }
        // Distance between the rectangles (0 when they touch or overlap).
        const int64_t dx = std::max({int64_t(b.Left) - R.Right, int64_t(R.Left) - b.Right, int64_t(0)});
        const int64_t dy = std::max({int64_t(b.Top) - R.Bottom, int64_t(R.Top) - b.Bottom, int64_t(0)});
        const int64_t d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            nearest = i;
        }
    }
    return monitors[bestArea > 0 ? best : nearest].second;
}

static void SendGripPosition(TControl* DropDown, TSizeGripChangePosition Where)
{
    DropDown->Perform(WM_SIZEGRIPNOTIFY_EH, WPARAM(Where), 0);
}

void PlaceDropDownInWorkArea(const TRect& OwnerRect, TControl* DropDown, TAlignment Align, TPoint& Pos)
{
    const TRect& R = OwnerRect;
    const TRect wa = WorkAreaNearestToRect(R);
    int width = DropDown->Width(), height = DropDown->Height();

    const bool fitsBelow = wa.Bottom >= R.Bottom + height;
    const bool fitsAbove = R.Top - height >= wa.Top;
    const bool above = !fitsBelow && (fitsAbove || wa.Bottom - R.Bottom < R.Top - wa.Top);
    int top;
    if (above) {
        if (!fitsAbove)
            height = std::max(0, R.Top - wa.Top);
        top = R.Top - height;
    } else {
        if (!fitsBelow)
            height = std::max(0, wa.Bottom - R.Bottom);
        top = R.Bottom;
    }
    if (height != DropDown->Height())
        DropDown->SetHeight(height);
    SendGripPosition(DropDown, above ? sgcpToTop : sgcpToBottom);

    int x = R.Left;
    if (Align == taRightJustify)
        x = R.Right - width;
    else if (Align == taCenter)
        x = R.Left - (width - R.Width()) / 2;
    if (width > wa.Width()) {
        width = wa.Width();
        DropDown->SetWidth(width);
    }
    TSizeGripChangePosition side;
    if (x + width > wa.Right) {
        x = wa.Right - width;
        side = sgcpToLeft;
    } else if (x < wa.Left) {
        x = wa.Left;
        side = sgcpToRight;
    } else {
        side = Align == taRightJustify ? sgcpToLeft : sgcpToRight;
    }
    SendGripPosition(DropDown, side);
    Pos = TPoint(x, top);
}

void PlaceDropDownUnderControl(TControl* Owner, TControl* DropDown, TAlignment Align, TPoint& Pos)
{
    TPoint p(Owner->Left(), Owner->Top());
    if (Owner->Parent())
        p = Owner->Parent()->ClientToScreen(p);
    PlaceDropDownInWorkArea(Bounds(p.X, p.Y, Owner->Width(), Owner->Height()), DropDown, Align, Pos);
}

void GetControlScreenRect(TControl* Control, TRect& Rect)
{
    const TPoint p = Control->ClientOrigin();
    Rect = Bounds(p.X, p.Y, Control->Width(), Control->Height());
}

// ---------------------------------------------------------------- input tests

namespace {
// The window whose queue holds the control's mouse messages, and the offset of the control
// inside that window's client area.
HWND QueueWindow(TControl* Control, TPoint& Offset)
{
    Offset = TPoint(0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(Control))
        return w->HandleIfAllocated();
    if (!Control->Parent())
        return nullptr;
    Offset = TPoint(Control->Left(), Control->Top());
    return Control->Parent()->HandleIfAllocated();
}

// The first left-button message waiting for the window; only a press or a double click
// counts, and for a non-windowed control it must land on that control.
bool LeftPressPending(TControl* Control, bool RequireClientRect, bool NonWindowedOnly)
{
    TPoint offset;
    HWND wnd = QueueWindow(Control, offset);
    if (!wnd)
        return false;
    TMsg msg;
    if (!PeekMessage(msg, wnd, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE))
        return false;
    if (msg.message != WM_LBUTTONDOWN && msg.message != WM_LBUTTONDBLCLK)
        return false;
    const TPoint at(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
    const bool windowed = dynamic_cast<TWinControl*>(Control) != nullptr;
    if (NonWindowedOnly && windowed)
        return false;
    if (!windowed && Control->Parent()->ControlAtPos(at, true, false) != Control)
        return false;
    if (RequireClientRect) {
        const TPoint p(at.X - offset.X, at.Y - offset.Y);
        if (!PtInRect(Control->ClientRect(), p))
            return false;
    }
    PeekMessage(msg, wnd, msg.message, msg.message, PM_REMOVE);
    return true;
}
}

bool MouseDownPendingOnControl(TControl* Control)
{
    return Control && LeftPressPending(Control, true, false);
}

bool LeftClickPending(TControl* Control)
{
    return Control && LeftPressPending(Control, false, true);
}

TShiftState GetShiftStateEh()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s << ssShift;
    if (GetKeyState(VK_MENU) < 0)
        s << ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        s << ssCtrl;
    return s;
}

bool IsDoubleClick(TPoint EarlierPos, TPoint NewPos, int64_t MillisecondsSinceEarlier)
{
    return MillisecondsSinceEarlier >= 0 && MillisecondsSinceEarlier <= int64_t(GetDoubleClickTime()) &&
           std::abs(NewPos.X - EarlierPos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
           std::abs(NewPos.Y - EarlierPos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

// ---------------------------------------------------------------- graphic providers

DOV_PUBLISHED(TGraphicProviderEh) {}
DOV_PUBLISHED(TBMPGraphicProviderEh) {}

TPersistentClass TBMPGraphicProviderEh::GetImageClassForStream(const void* Data, int64_t Size) const
{
    if (!Data || Size < 2)
        return nullptr;
    const auto* b = static_cast<const uint8_t*>(Data);
    return b[0] == 'B' && b[1] == 'M' ? &TBitmap::StaticClassInfo() : nullptr;
}

namespace {
struct TGraphicProviderRegistry {
    std::vector<TPersistentClass> Classes;
    // One instance per provider class answers for the class.
    std::map<TPersistentClass, std::unique_ptr<TGraphicProviderEh>> Instances;
};
TGraphicProviderRegistry*& ProviderRegistry()
{
    static TGraphicProviderRegistry* r = nullptr;
    return r;
}
TPopupListEh*& PopupListInstance()
{
    static TPopupListEh* l = nullptr;
    return l;
}
}

void RegisterGraphicProviderEh(TPersistentClass ProviderClass)
{
    auto* r = ProviderRegistry();
    if (!r || !ProviderClass || !ProviderClass->InheritsFrom(&TGraphicProviderEh::StaticClassInfo()))
        return;
    if (std::find(r->Classes.begin(), r->Classes.end(), ProviderClass) != r->Classes.end())
        return;
    r->Classes.insert(r->Classes.begin(), ProviderClass);
}

TPersistentClass GetGraphicClassForStream(const void* Data, int64_t Size)
{
    auto* r = ProviderRegistry();
    if (!r)
        return nullptr;
    for (TPersistentClass c : r->Classes) {
        auto& inst = r->Instances[c];
        if (!inst && c->CreatePersistent)
            inst.reset(static_cast<TGraphicProviderEh*>(c->CreatePersistent()));
        if (!inst)
            continue;
        if (TPersistentClass g = inst->GetImageClassForStream(Data, Size))
            return g;
    }
    return nullptr;
}

int GraphicProvidersCount()
{
    auto* r = ProviderRegistry();
    return r ? int(r->Classes.size()) : 0;
}

std::unique_ptr<TGraphic> LoadGraphicFromBlobField(TField* Field)
{
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob)
        return nullptr;
    const QByteArray content = blob->AsBytes();
    TMemoryStream stream;
    if (!content.isEmpty())
        stream.WriteBuffer(content.constData(), content.size());
    stream.SetPosition(0);
    int64_t start = 0;
    if (blob->GraphicHeader() && content.size() >= 8) {
        // The header is little-endian: count, type, then the size of what follows.
        const auto byte = [&content](int i) { return uint32_t(uchar(content.at(i))); };
        const uint32_t count = byte(0) | byte(1) << 8;
        const uint32_t type = byte(2) | byte(3) << 8;
        const uint32_t size = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
        if (count == 1 && type == 0x0100 && int64_t(size) == content.size() - 8)
            start = 8;
    }
    // A picture stored by its own streaming names its graphic's class in front of the data.
    int64_t named = 0;
    TPersistentClass cls = StoredPictureClass(content.constData() + start, content.size() - start, named);
    start += named;
    stream.SetPosition(start);
    if (!cls)
        cls = GetGraphicClassForStream(content.constData() + start, content.size() - start);
    // Formats the graphics layer keeps in classes of their own (PNG, JPEG) stay in them, so a
    // picture written back keeps its format.
    if (!cls)
        cls = GraphicClassForData(content.constData() + start, content.size() - start);
    if (!cls || !cls->CreatePersistent || !cls->InheritsFrom(&TGraphic::StaticClassInfo()))
        cls = &TBitmap::StaticClassInfo();
    std::unique_ptr<TGraphic> graphic(static_cast<TGraphic*>(cls->CreatePersistent()));
    try {
        graphic->LoadFromStream(&stream);
    } catch (const EInvalidGraphic&) {
        // Not an image after all: the graphic stays empty.
    }
    return graphic;
}

void AssignBlobFieldToPicture(TField* Field, TPicture* Picture)
{
    std::unique_ptr<TGraphic> g = LoadGraphicFromBlobField(Field);
    Picture->SetGraphic(g.get());
}

// ---------------------------------------------------------------- menus that stay open

DOV_PUBLISHED(TMenuItemEh)
{
    P.Prop("CloseMenuOnClick", &TMenuItemEh::CloseMenuOnClick, &TMenuItemEh::SetCloseMenuOnClick).Default(true);
}
DOV_PUBLISHED(TPopupMenuEh) {}

// One open menu window (a menu or one of its sub-menus) and the item last selected in it.
class TPopupMenuWinEh : public QObject {
public:
    TPopupMenuWinEh(TPopupListEh* List, QMenu* Window) : QObject(Window), FList(List), FPopupWindow(Window)
    {
        Window->installEventFilter(this);
        QObject::connect(Window, &QMenu::hovered, this, [this](QAction* a) { FSelectedItem = a; });
    }
    // Goes with its menu window.
    ~TPopupMenuWinEh() override
    {
        auto& wins = FList->FPopupMenuWins;
        wins.erase(std::remove(wins.begin(), wins.end(), this), wins.end());
    }

protected:
    bool eventFilter(QObject* Obj, QEvent* E) override
    {
        QAction* a = nullptr;
        if (E->type() == QEvent::MouseButtonRelease || E->type() == QEvent::MouseButtonDblClick) {
            auto* me = static_cast<QMouseEvent*>(E);
            if (me->button() == Qt::LeftButton)
                a = FPopupWindow->actionAt(me->position().toPoint());
        } else if (E->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(E);
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
                a = FPopupWindow->activeAction() ? FPopupWindow->activeAction() : FSelectedItem.data();
        }
        if (!a || a->menu() || !a->isEnabled())
            return false;
        auto* item = dynamic_cast<TMenuItemEh*>(static_cast<TMenuItem*>(a->data().value<void*>()));
        if (!item || item->CloseMenuOnClick())
            return false;
        GuardedCall([&] { item->Click(); });
        // The click may have changed the item's check mark: show it in the open menu.
        a->setCheckable(item->Checked || a->isCheckable());
        a->setChecked(item->Checked);
        FPopupWindow->update();
        return true;
    }

private:
    TPopupListEh* FList;
    QPointer<QMenu> FPopupWindow;
    QPointer<QAction> FSelectedItem;
};

TPopupListEh::TPopupListEh() = default;

TPopupListEh::~TPopupListEh()
{
    // Menu windows still open take their entries with them; forget them first.
    const std::vector<TPopupMenuWinEh*> wins = FPopupMenuWins;
    for (TPopupMenuWinEh* w : wins)
        delete w;
}

void TPopupListEh::Add(TPopupMenuEh* Menu)
{
    if (std::find(FMenus.begin(), FMenus.end(), Menu) == FMenus.end())
        FMenus.push_back(Menu);
}

void TPopupListEh::Remove(TPopupMenuEh* Menu)
{
    FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), Menu), FMenus.end());
}

namespace {
TMenuItem* FindCommand(TMenuItem* Parent, uintptr_t Command)
{
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* it = Parent->Items(i);
        if (uintptr_t(it) == Command)
            return it;
        if (TMenuItem* sub = FindCommand(it, Command))
            return sub;
    }
    return nullptr;
}
}

TMenuItem* TPopupListEh::FindItemByCommand(uintptr_t Command) const
{
    for (TPopupMenuEh* m : FMenus)
        if (TMenuItem* it = FindCommand(m->Items(), Command))
            return it;
    return nullptr;
}

TPopupListEh* PopupListEh() { return PopupListInstance(); }

TPopupMenuEh::TPopupMenuEh(TComponent* AOwner) : TPopupMenu(AOwner)
{
    if (TPopupListEh* l = PopupListEh())
        l->Add(this);
}

TPopupMenuEh::~TPopupMenuEh()
{
    if (TPopupListEh* l = PopupListEh())
        l->Remove(this);
}

void TPopupMenuEh::MenuBuilt(QMenu* Menu)
{
    TPopupMenu::MenuBuilt(Menu);
    TPopupListEh* l = PopupListEh();
    if (!l)
        return;
    // Every window of the menu, its sub-menus too, is watched while it exists.
    QList<QMenu*> windows = Menu->findChildren<QMenu*>();
    windows.prepend(Menu);
    for (QMenu* w : windows)
        l->FPopupMenuWins.push_back(new TPopupMenuWinEh(l, w));
}

// ---------------------------------------------------------------- start-up and close-down

void RegisterToolCtrlsClasses()
{
    RegisterClasses<TMenuItemEh, TPopupMenuEh, TSizeGripEh>();
}

void InitToolCtrlsGlobals()
{
    if (!ProviderRegistry())
        ProviderRegistry() = new TGraphicProviderRegistry;
    if (!PopupListInstance())
        PopupListInstance() = new TPopupListEh;
    RegisterGraphicProviderEh(&TBMPGraphicProviderEh::StaticClassInfo());
}

void FreeToolCtrlsGlobals()
{
    delete PopupListInstance();
    PopupListInstance() = nullptr;
    delete ProviderRegistry();
    ProviderRegistry() = nullptr;
}

namespace {
bool gUnitStarted = false;
bool gUnitClosed = false;

// Never destroyed: it is worked off after every other static may have gone.
std::vector<std::function<void()>>& ApplicationEndFrees()
{
    static auto* frees = new std::vector<std::function<void()>>;
    return *frees;
}
bool gApplicationEndHooked = false;

void FreeAtApplicationEnd()
{
    gApplicationEndHooked = false;
    auto& frees = ApplicationEndFrees();
    while (!frees.empty()) {
        const std::function<void()> free = std::move(frees.back());
        frees.pop_back();
        free();
    }
}
}

void FreeWhenApplicationGoesEh(std::function<void()> Free)
{
    ApplicationEndFrees().push_back(std::move(Free));
    // Run as the toolkit's application object is destroyed; a later application hooks anew.
    if (!gApplicationEndHooked) {
        gApplicationEndHooked = true;
        qAddPostRoutine(&FreeAtApplicationEnd);
    }
    static const bool atExit = [] { return std::atexit(&FreeAtApplicationEnd) == 0; }();
    (void)atExit;
}

void ToolCtrlsUnitStartUp()
{
    if (gUnitStarted)
        return;
    gUnitStarted = true;
    ButtonsBitmapCache();
    InitToolCtrlsGlobals();
    AcquireSharedWorkBitmap();
    RegisterToolCtrlsClasses();
    FreeWhenApplicationGoesEh(&ToolCtrlsUnitCloseDown);
}

void ToolCtrlsUnitCloseDown()
{
    if (!gUnitStarted || gUnitClosed)
        return;
    gUnitClosed = true;
    FreeButtonsBitmapCache();
    FreeToolCtrlsGlobals();
    ReleaseSharedWorkBitmap();
}

bool ToolCtrlsUnitStarted()
{
    return gUnitStarted && !gUnitClosed;
}

namespace {
// The unit's start-up and close-down. The measurements that need the windowing (the default
// edit-button width, the check-box glyph) are taken on first use, after the application
// exists.
struct TToolCtrlsUnit {
    TToolCtrlsUnit() { ToolCtrlsUnitStartUp(); }
    ~TToolCtrlsUnit() { ToolCtrlsUnitCloseDown(); }
};
const TToolCtrlsUnit gToolCtrlsUnit;
}

TSizeGripPosition MovedSizeGripPosition(TSizeGripPosition p, TSizeGripChangePosition Change)
{
    switch (Change) {
    case sgcpToLeft:
        if (p == sgpTopRight) return sgpTopLeft;
        if (p == sgpBottomRight) return sgpBottomLeft;
        break;
    case sgcpToRight:
        if (p == sgpTopLeft) return sgpTopRight;
        if (p == sgpBottomLeft) return sgpBottomRight;
        break;
    case sgcpToTop:
        if (p == sgpBottomRight) return sgpTopRight;
        if (p == sgpBottomLeft) return sgpTopLeft;
        break;
    case sgcpToBottom:
        if (p == sgpTopRight) return sgpBottomRight;
        if (p == sgpTopLeft) return sgpBottomLeft;
        break;
    }
    return p;
}

void PaintPopupBorderEh(HDC DC, const TRect& Bounds, bool Ctl3D)
{
    TRect r = Bounds;
    if (Ctl3D) {
        DrawEdge(DC, r, BDR_RAISEDOUTER, BF_RECT);
        InflateRect(r, -1, -1);
        DrawEdge(DC, r, BDR_RAISEDINNER, BF_RECT);
        return;
    }
    HBRUSH b = CreateSolidBrush(ColorToRGB(clWindowFrame));
    FrameRect(DC, r, b);
    DeleteObject(b);
}
