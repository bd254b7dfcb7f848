#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/GridToolCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"

#include <QCoreApplication>
#include <QWidget>

using namespace vcltest;

namespace {

uint32_t SysRgb(TColor c)
{
    return ToRgb(ColorToRGB(c));
}

// Paints a list into an image (client area).
QImage Render(TCustomListboxEh* lb)
{
    TBitmap bmp(lb->ClientWidth(), lb->ClientHeight());
    lb->PaintTo(bmp.Canvas(), 0, 0);
    return bmp.Image().copy();
}

// An item that draws itself in one colour and may keep the list open after a click.
class TColourItem : public TPopupListboxItemEh {
public:
    explicit TColourItem(TColor c, bool closes = true) : Colour(c), Closes(closes) {}
    TColor Colour;
    bool Closes;
    int Clicks = 0;
    void DrawItem(TCustomListboxEh* lb, int, const TRect& r, TGridDrawState) override
    {
        lb->Canvas()->Brush()->SetColor(Colour);
        lb->Canvas()->FillRect(r);
    }
    bool CloseOnExecute(TCustomListboxEh*, int) override
    {
        ++Clicks;
        return Closes;
    }
};

struct ListFixture : ::testing::Test {
    TForm* Form = nullptr;
    TPopupListboxEh* List = nullptr;
    void SetUp() override
    {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON})
            SetKeyStateForInput(vk, false);
        Form = Create<TForm>(nullptr);
        Form->SetBounds(10, 10, 300, 300);
        Form->Show();
        List = Create<TPopupListboxEh>(Form);
        List->SetItemHeight(16);
        for (int i = 0; i < 20; ++i)
            List->Items()->Add(QStringLiteral("item %1").arg(i));
        List->SetBounds(40, 40, 120, 100);
        List->SetVisible(true);
        Drain();
    }
    void TearDown() override { delete Form; }
    static void Drain()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // The middle of a row's cell, in client coordinates.
    TPoint RowPoint(int row)
    {
        const TRect r = List->CellRectEx(0, row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
};

TEST_F(ListFixture, CreatedWithoutCurrentItemAndCountedByItems)
{
    auto* lb = Create<TCustomListboxEh>(Form);
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->Row(), 0);
    EXPECT_EQ(lb->RowCount(), 1);   // an empty list still has one row
    EXPECT_EQ(lb->ColCount(), 1);
    EXPECT_EQ(lb->FixedColCount(), 0);
    EXPECT_EQ(lb->FixedRowCount(), 0);
    lb->Items()->Add("a");
    lb->Items()->Add("b");
    lb->Items()->Add("c");
    EXPECT_EQ(lb->RowCount(), 3);
    EXPECT_EQ(lb->Count(), 3);
    EXPECT_THROW(lb->SetCount(10), Exception);
    EXPECT_EQ(lb->RowCount(), 3);

    lb->SetVirtualItems(true);
    EXPECT_EQ(lb->Count(), 0);
    EXPECT_EQ(lb->RowCount(), 1);
    lb->SetCount(1000);
    EXPECT_EQ(lb->RowCount(), 1000);
    lb->SetItemHeight(13);
    EXPECT_EQ(lb->RowHeights(999), 13);

    lb->SetItemIndex(5);
    EXPECT_EQ(lb->ItemIndex(), 5);
    lb->SetItemIndex(-1);
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->Row(), 5);
}

TEST_F(ListFixture, EmptyListPaintsOneRowWithTheBrushAndItemsHighlightTheCurrentOne)
{
    auto* lb = Create<TCustomListboxEh>(Form);
    lb->SetParent(Form);
    lb->SetBorderStyle(bsNone);
    lb->SetBounds(0, 0, 100, 60);
    lb->SetItemHeight(15);
    lb->SetColor(clYellow);
    QImage img = Render(lb);
    EXPECT_EQ(Rgb(img, 50, 7), SysRgb(clYellow));
    EXPECT_FALSE(InkBox(img, QColor(255, 255, 0)).isValid() && InkBox(img, QColor(255, 255, 0)).top() < 15);

    for (const char* s : {"first", "second", "third"})
        lb->Items()->Add(QString::fromLatin1(s));
    img = Render(lb);
    // No current item: nothing highlighted.
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Rgb(img, 90, row * 15 + 1), SysRgb(clYellow)) << row;
    lb->SetItemIndex(1);
    img = Render(lb);
    EXPECT_EQ(Rgb(img, 90, 16), SysRgb(clHighlight));
    EXPECT_EQ(Rgb(img, 90, 1), SysRgb(clYellow));
    // Text in the row, two pixels in.
    const QRect ink = InkBox(img.copy(0, 0, 100, 15), QColor(255, 255, 0));
    EXPECT_GE(ink.left(), 2);
    EXPECT_LE(ink.left(), 4);
}

TEST_F(ListFixture, IntegerSlotsAreNeverTakenForItemObjects)
{
    TColourItem red(clRed);
    auto* lb = Create<TCustomListboxEh>(Form);
    lb->SetParent(Form);
    lb->SetBorderStyle(bsNone);
    lb->SetBounds(0, 0, 100, 60);
    lb->SetItemHeight(15);
    lb->SetUseItemObjects(true);
    lb->Items()->AddObject("object", &red);
    lb->Items()->AddInteger("integer", 4096);   // far above 255: still a number
    lb->Items()->AddInteger("small", 7);
    const QImage img = Render(lb);
    EXPECT_EQ(Rgb(img, 50, 7), 0xFF0000u);
    EXPECT_EQ(Rgb(img, 95, 22), SysRgb(clWindow));
    EXPECT_EQ(lb->ItemObject(0), &red);
    EXPECT_EQ(lb->ItemObject(1), nullptr);
    EXPECT_EQ(lb->ItemObject(2), nullptr);
    EXPECT_EQ(lb->ItemObject(3), nullptr);
    lb->SetUseItemObjects(false);
    EXPECT_EQ(lb->ItemObject(0), nullptr);
}

TEST_F(ListFixture, DropDownHeightSnapsToWholeRows)
{
    // Raised border: two pixels each side.
    EXPECT_EQ(List->GetBorderSize(), 4);
    struct Case {
        int asked, rows, height;
    } cases[] = {{100, 6, 100}, {99, 5, 84}, {84, 5, 84}, {5, 1, 20}, {0, 1, 20}};
    for (const Case& c : cases) {
        List->SetBounds(40, 40, 120, c.asked);
        EXPECT_EQ(List->FittingRowCount(), c.rows) << c.asked;
        EXPECT_EQ(List->Height(), c.height) << c.asked;
    }
    List->SetRowCount(7);
    EXPECT_EQ(List->Height(), 7 * 16 + 4);
    EXPECT_EQ(List->ClientHeight(), 7 * 16);
    List->SetBounds(40, 40, 1, 100);
    EXPECT_EQ(List->Width(), GetSystemMetrics(SM_CXVSCROLL));
    List->SetCtl3D(false);
    EXPECT_EQ(List->GetBorderSize(), 2);
}

TEST_F(ListFixture, DropDownIsATopLevelWindowThatTakesNoFocus)
{
    EXPECT_EQ(List->Parent(), nullptr);
    ASSERT_TRUE(List->HandleAllocated());
    EXPECT_TRUE(List->Widget()->isWindow());
    EXPECT_TRUE(List->Widget()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(List->CanFocus());
    // Screen coordinates are the window's position.
    EXPECT_EQ(List->ClientOrigin(), TPoint(42, 42));
}

TEST_F(ListFixture, HoverSelectsRowsButNotWhileAButtonIsHeld)
{
    const TPoint p2 = RowPoint(2), p4 = RowPoint(4);
    List->MouseMove(TShiftState(), p2.X, p2.Y);
    EXPECT_EQ(List->ItemIndex(), 2);
    EXPECT_EQ(List->MouseIndex(), 2);
    List->MouseMove(TShiftState{ssLeft}, p4.X, p4.Y);
    EXPECT_EQ(List->ItemIndex(), 4);
    EXPECT_EQ(List->MouseIndex(), 2);
    // The same point again changes nothing, even when the selection moved meanwhile.
    List->SetItemIndex(0);
    List->MouseMove(TShiftState(), p4.X, p4.Y);
    EXPECT_EQ(List->ItemIndex(), 0);
    // Above the list: the top row; below it: the last visible row.
    List->MouseMove(TShiftState(), 10, -30);
    EXPECT_EQ(List->ItemIndex(), List->TopIndex());
    List->MouseMove(TShiftState(), 10, List->ClientHeight() + 40);
    EXPECT_EQ(List->ItemIndex(), List->ItemAtPos(TPoint(10, List->ClientHeight() - 1), true));
    // The hovered row is painted highlighted.
    List->MouseMove(TShiftState(), p2.X, p2.Y);
    const QImage img = Render(List);
    EXPECT_EQ(Rgb(img, 90, p2.Y), SysRgb(clHighlight));
    EXPECT_EQ(Rgb(img, 90, RowPoint(3).Y), SysRgb(clWindow));
}

TEST_F(ListFixture, ItemsDecideWhetherAClickClosesTheList)
{
    TColourItem keepsOpen(clLime, false), closes(clRed, true);
    List->SetUseItemObjects(true);
    List->Items()->SetObjects(1, &keepsOpen);
    List->Items()->SetObjects(2, &closes);
    int ups = 0;
    List->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    const TPoint p1 = RowPoint(1), p2 = RowPoint(2), p3 = RowPoint(3);
    List->MouseDown(mbLeft, TShiftState{ssLeft}, p1.X, p1.Y);
    List->MouseUp(mbLeft, TShiftState(), p1.X, p1.Y);
    EXPECT_FALSE(List->IsMouseUpCloseListbox());
    EXPECT_EQ(keepsOpen.Clicks, 1);
    List->MouseUp(mbLeft, TShiftState(), p2.X, p2.Y);
    EXPECT_TRUE(List->IsMouseUpCloseListbox());
    List->MouseUp(mbLeft, TShiftState(), p3.X, p3.Y);   // a plain item
    EXPECT_TRUE(List->IsMouseUpCloseListbox());
    EXPECT_EQ(ups, 3);
}

TEST_F(ListFixture, ScrollingByKeysAndWheel)
{
    EXPECT_EQ(List->TopIndex(), 0);
    List->SetItemIndex(0);
    for (int i = 0; i < 8; ++i) {
        Word k = VK_DOWN;
        List->KeyDown(k, TShiftState());
    }
    EXPECT_EQ(List->ItemIndex(), 8);
    EXPECT_EQ(List->LastFullVisibleRow(), 8);
    EXPECT_GT(List->TopIndex(), 0);
    const int top = List->TopIndex();
    List->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(60, 60));
    EXPECT_GT(List->TopIndex(), top);
    List->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), MAKELPARAM(60, 60));
    List->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), MAKELPARAM(60, 60));
    EXPECT_LT(List->TopIndex(), top);
}

TEST_F(ListFixture, TypingSearchesFromTheStartAndForgetsAfterAPause)
{
    struct TClockList : TPopupListboxEh {
        using TPopupListboxEh::TPopupListboxEh;
        int Now = 100000;
        int SearchClock() override { return Now; }
    };
    auto* lb = Create<TClockList>(Form);
    for (const char* s : {"apple", "banana", "Blueberry", "cherry"})
        lb->Items()->Add(QString::fromLatin1(s));
    auto type = [&](char16_t ch) {
        QChar k(ch);
        lb->KeyPress(k);
        return k;
    };
    EXPECT_TRUE(type(u'b').isNull());   // consumed
    EXPECT_EQ(lb->ItemIndex(), 1);
    type(u'L');
    EXPECT_EQ(lb->SearchText(), QStringLiteral("bL"));
    EXPECT_EQ(lb->ItemIndex(), 2);
    lb->Now += 2001;
    type(u'c');
    EXPECT_EQ(lb->SearchText(), QStringLiteral("c"));
    EXPECT_EQ(lb->ItemIndex(), 3);
    type(u'\x1b');
    EXPECT_TRUE(lb->SearchText().isEmpty());
    for (int i = 0; i < 40; ++i)
        type(u'z');
    EXPECT_EQ(lb->SearchText().size(), 32);
}

TEST_F(ListFixture, SizeGripMovesToTheCornerAwayFromTheOwner)
{
    using P = TSizeGripPosition;
    struct Case {
        P from;
        TSizeGripChangePosition to;
        P expected;
    } cases[] = {
        {sgpTopRight, sgcpToLeft, sgpTopLeft},     {sgpBottomRight, sgcpToLeft, sgpBottomLeft},
        {sgpTopLeft, sgcpToLeft, sgpTopLeft},      {sgpTopLeft, sgcpToRight, sgpTopRight},
        {sgpBottomLeft, sgcpToRight, sgpBottomRight}, {sgpBottomRight, sgcpToTop, sgpTopRight},
        {sgpBottomLeft, sgcpToTop, sgpTopLeft},    {sgpTopRight, sgcpToBottom, sgpBottomRight},
        {sgpTopLeft, sgcpToBottom, sgpBottomLeft}, {sgpBottomLeft, sgcpToBottom, sgpBottomLeft},
    };
    for (const Case& c : cases) {
        List->SetSizeGripPostion(c.from);
        List->Perform(WM_SIZEGRIPNOTIFY_EH, WPARAM(c.to), 0);
        EXPECT_EQ(List->SizeGripPostion(), c.expected) << int(c.from) << " " << int(c.to);
    }
    EXPECT_EQ(UINT(WM_SIZEGRIPNOTIFY_EH), 1124u);
}

TEST_F(ListFixture, ExternalItemsReplaceTheOwnOnes)
{
    TStringList ext;
    for (const char* s : {"x", "y"})
        ext.Add(QString::fromLatin1(s));
    List->SetExtItems(&ext);
    EXPECT_TRUE(List->VirtualItems());
    EXPECT_EQ(List->Count(), 2);
    EXPECT_EQ(List->Items(), &ext);
    QString t;
    List->GetItemText(1, t);
    EXPECT_EQ(t, QStringLiteral("y"));
    List->SetExtItems(nullptr);
    EXPECT_FALSE(List->VirtualItems());
    EXPECT_EQ(List->Count(), 20);
}

TEST_F(ListFixture, MRUListScrollsThroughItsOwnBar)
{
    auto* mru = Create<TMRUListboxEh>(Form);
    mru->SetItemHeight(16);
    mru->SetBounds(40, 40, 150, 4 * 16 + 4);
    mru->SetVisible(true);
    Drain();
    mru->UpdateScrollBar();
    EXPECT_FALSE(mru->ScrollBar()->Visible());
    for (int i = 0; i < 10; ++i)
        mru->Items()->Add(QString::number(i));
    mru->UpdateScrollBar();
    TScrollBar* bar = mru->ScrollBar();
    ASSERT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Max(), 9);
    EXPECT_EQ(bar->PageSize(), 4);
    EXPECT_EQ(bar->Left() + bar->Width(), mru->ClientWidth());
    EXPECT_EQ(mru->ColWidths(0), mru->ClientWidth() - bar->Width());
    bar->Scroll(scLineDown, 0);
    EXPECT_EQ(mru->TopIndex(), 1);
    bar->Scroll(scTrack, 5);
    EXPECT_EQ(mru->TopIndex(), 5);
    EXPECT_EQ(bar->Position(), 5);
    bar->Scroll(scBottom, 0);
    EXPECT_EQ(mru->TopIndex(), 6);
    // The list scrolled by the wheel moves the bar.
    mru->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), MAKELPARAM(50, 45));
    EXPECT_LT(mru->TopIndex(), 6);
    EXPECT_EQ(bar->Position(), mru->TopIndex());
}

}  // namespace

namespace {

TEST_F(ListFixture, PlacedAboveAnOwnerAtTheBottomTheGripGoesToTheTop)
{
    const TRect wa = Screen->WorkAreaRect();
    List->SetSizeGripPostion(sgpBottomRight);
    List->SetBounds(0, 0, 120, 5 * 16 + 4);
    // An owner whose bottom edge is the work area's: no room below.
    const TRect owner(wa.Left + 30, wa.Bottom - 22, wa.Left + 180, wa.Bottom);
    TPoint pos;
    PlaceDropDownInWorkArea(owner, List, taLeftJustify, pos);
    EXPECT_EQ(pos, TPoint(owner.Left, owner.Top - List->Height()));
    EXPECT_EQ(List->SizeGripPostion(), sgpTopRight);
    // Against the right edge it opens to the left: the grip follows.
    const TRect right(wa.Right - 40, wa.Top + 10, wa.Right, wa.Top + 30);
    PlaceDropDownInWorkArea(right, List, taLeftJustify, pos);
    EXPECT_EQ(pos.X, wa.Right - List->Width());
    EXPECT_EQ(List->SizeGripPostion(), sgpBottomLeft);
}

}  // namespace
