// Input-state tests, graphic providers with the blob loader, and popup-menu items that keep
// the menu open.
#include "TwoScreens.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "support/ArrayDataSet.h"
#include "support/MenuWaiting.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

namespace {

struct PendingPress : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TCustomControl* Edit = nullptr;
    TGraphicControl* Button = nullptr;
    void SetUp() override
    {
        Form->SetBounds(100, 100, 300, 200);
        Edit = Create<TCustomControl>(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 100, 20);
        Button = Create<TGraphicControl>(Form.get());
        Button->SetParent(Form.get());
        Button->SetBounds(150, 10, 20, 20);
        Form->Show();
    }
    void TearDown() override
    {
        // Leave nothing in the queue for the next test.
        TMsg m;
        while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) {}
    }
    static LPARAM At(int x, int y) { return MAKELPARAM(WORD(x), WORD(y)); }
};

}  // namespace

TEST_F(PendingPress, APressWaitingForTheControlIsTakenOnce)
{
    PostMessage(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_TRUE(MouseDownPendingOnControl(Edit));
    EXPECT_FALSE(MouseDownPendingOnControl(Edit));   // removed
    PostMessage(Edit->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    EXPECT_TRUE(MouseDownPendingOnControl(Edit));
}

TEST_F(PendingPress, OnlyAPressInsideTheClientAreaFirstInLineCounts)
{
    PostMessage(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(150, 5));
    EXPECT_FALSE(MouseDownPendingOnControl(Edit));
    TMsg m;
    EXPECT_TRUE(PeekMessage(m, Edit->Handle(), 0, 0, PM_REMOVE));   // left where it was
    PostMessage(Edit->Handle(), WM_LBUTTONUP, 0, At(5, 5));
    PostMessage(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_FALSE(MouseDownPendingOnControl(Edit));   // a release is first in line
    EXPECT_FALSE(MouseDownPendingOnControl(nullptr));
}

TEST_F(PendingPress, ANonWindowedControlLooksInItsParentsQueue)
{
    PostMessage(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(155, 15));
    EXPECT_FALSE(LeftClickPending(Edit));   // windowed controls never count here
    EXPECT_TRUE(LeftClickPending(Button));
    PostMessage(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(60, 15));   // over the edit, not the button
    EXPECT_FALSE(LeftClickPending(Button));
    Button->SetEnabled(false);   // disabled controls still catch the click
    TMsg m;
    PeekMessage(m, nullptr, 0, 0, PM_REMOVE);
    PostMessage(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(155, 15));
    EXPECT_TRUE(MouseDownPendingOnControl(Button));
}

TEST(InputState, ShiftStateFromTheKeyboard)
{
    SetKeyStateForInput(VK_SHIFT, true);
    SetKeyStateForInput(VK_CONTROL, true);
    EXPECT_EQ(GetShiftStateEh(), (TShiftState{ssShift, ssCtrl}));
    SetKeyStateForInput(VK_SHIFT, false);
    SetKeyStateForInput(VK_CONTROL, false);
    SetKeyStateForInput(VK_MENU, true);
    EXPECT_EQ(GetShiftStateEh(), TShiftState{ssAlt});
    SetKeyStateForInput(VK_MENU, false);
    EXPECT_EQ(GetShiftStateEh(), TShiftState{});
}

TEST(InputState, DoubleClickByTimeAndDistance)
{
    const int t = int(GetDoubleClickTime()), dx = GetSystemMetrics(SM_CXDOUBLECLK), dy = GetSystemMetrics(SM_CYDOUBLECLK);
    const TPoint a(100, 100);
    EXPECT_TRUE(IsDoubleClick(a, a, 0));
    EXPECT_TRUE(IsDoubleClick(a, TPoint(100 + dx, 100 - dy), t));
    EXPECT_FALSE(IsDoubleClick(a, a, t + 1));
    EXPECT_FALSE(IsDoubleClick(a, TPoint(100 + dx + 1, 100), 10));
    EXPECT_FALSE(IsDoubleClick(a, TPoint(100, 100 - dy - 1), 10));
}

// ---------------------------------------------------------------- graphic providers

namespace {

QByteArray SmallBmp()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QByteArray WithHeader(const QByteArray& data, uint32_t size)
{
    QByteArray h(8, '\0');
    h[0] = 1;           // count 1
    h[3] = 1;           // type 0x0100
    std::memcpy(h.data() + 4, &size, 4);
    return h + data;
}

// A provider that knows a made-up format by its four-byte signature.
class TDovGraphicProviderEh : public TGraphicProviderEh {
    DOV_PERSISTENT(TDovGraphicProviderEh, TGraphicProviderEh)
public:
    TDovGraphicProviderEh() = default;
    TPersistentClass GetImageClassForStream(const void* Data, int64_t Size) const override
    {
        return Size >= 4 && std::memcmp(Data, "DOVG", 4) == 0 ? &TIcon::StaticClassInfo() : nullptr;
    }
};
DOV_PUBLISHED(TDovGraphicProviderEh) {}

struct BlobFixture : ::testing::Test {
    std::unique_ptr<TArrayDataSet> Ds = CreateUnique<TArrayDataSet>(nullptr);
    void SetUp() override { Ds->FieldDefs()->Add("Pic", ftBlob); }
    TField* Field(const QByteArray& content)
    {
        Ds->AddRow({content.isNull() ? Variant::Null() : VarArrayFromBytes(content)});
        Ds->Open();
        return Ds->Fields()->Fields(0);
    }
};

}  // namespace

TEST(GraphicProviders, BitmapSignatureNeedsItsTwoBytes)
{
    const char bm[] = "BMxyz";
    TBMPGraphicProviderEh p;
    EXPECT_EQ(p.GetImageClassForStream(bm, 5), &TBitmap::StaticClassInfo());
    EXPECT_EQ(p.GetImageClassForStream(bm, 1), nullptr);   // the "M" lies past the data
    EXPECT_EQ(p.GetImageClassForStream(nullptr, 5), nullptr);
    EXPECT_EQ(p.GetImageClassForStream("MB", 2), nullptr);
}

TEST(UnitStartUp, ProcessWideObjectsExistFromTheStart)
{
    ASSERT_TRUE(ToolCtrlsUnitStarted());
    EXPECT_TRUE(ButtonsBitmapCacheExists());
    EXPECT_NE(PopupListEh(), nullptr);
    EXPECT_GE(GraphicProvidersCount(), 1);
    EXPECT_GE(SharedWorkBitmapRefCount(), 1);
    EXPECT_NE(GetClass("TMenuItemEh"), nullptr);
    EXPECT_NE(GetClass("TPopupMenuEh"), nullptr);
    // Starting again makes nothing twice.
    const int providers = GraphicProvidersCount();
    const int refs = SharedWorkBitmapRefCount();
    ToolCtrlsUnitStartUp();
    EXPECT_EQ(GraphicProvidersCount(), providers);
    EXPECT_EQ(SharedWorkBitmapRefCount(), refs);
}

TEST(GraphicProviders, RegisteredOnceAtTheFrontAndAskedInOrder)
{
    const int before = GraphicProvidersCount();
    EXPECT_GE(before, 1);   // the bitmap provider, from unit start-up
    EXPECT_EQ(GetGraphicClassForStream("BM", 2), &TBitmap::StaticClassInfo());
    EXPECT_EQ(GetGraphicClassForStream("DOVG", 4), nullptr);
    RegisterGraphicProviderEh(&TDovGraphicProviderEh::StaticClassInfo());
    RegisterGraphicProviderEh(&TDovGraphicProviderEh::StaticClassInfo());
    RegisterGraphicProviderEh(&TBitmap::StaticClassInfo());   // not a provider
    EXPECT_EQ(GraphicProvidersCount(), before + 1);
    EXPECT_EQ(GetGraphicClassForStream("DOVG", 4), &TIcon::StaticClassInfo());
    EXPECT_EQ(GetGraphicClassForStream("DOV", 3), nullptr);
    EXPECT_EQ(GetGraphicClassForStream("BM", 2), &TBitmap::StaticClassInfo());
}

TEST_F(BlobFixture, ImageAfterAValidHeader)
{
    const QByteArray bmp = SmallBmp();
    std::unique_ptr<TGraphic> g = LoadGraphicFromBlobField(Field(WithHeader(bmp, uint32_t(bmp.size()))));
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(dynamic_cast<TBitmap*>(g.get()));
    EXPECT_EQ(g->Width(), 3);
    EXPECT_EQ(g->Height(), 2);
    EXPECT_EQ(g->ToImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(BlobFixture, HeaderWithAWrongSizeIsReadFromTheFirstByte)
{
    // The first byte is then the header's, so the bitmap cannot be read and stays empty.
    const QByteArray bmp = SmallBmp();
    std::unique_ptr<TGraphic> g = LoadGraphicFromBlobField(Field(WithHeader(bmp, uint32_t(bmp.size() + 1))));
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(dynamic_cast<TBitmap*>(g.get()));
    EXPECT_TRUE(g->Empty());
}

TEST_F(BlobFixture, PlainBitmapUnknownDataAndNoBlob)
{
    std::unique_ptr<TGraphic> g = LoadGraphicFromBlobField(Field(SmallBmp()));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Width(), 3);
    Ds->Close();
    Ds->RemoveSourceRow(0);
    Ds->AddRow({VarArrayFromBytes(QByteArray("??"))});   // shorter than any header
    Ds->Open();
    g = LoadGraphicFromBlobField(Ds->Fields()->Fields(0));
    ASSERT_TRUE(dynamic_cast<TBitmap*>(g.get()));
    EXPECT_TRUE(g->Empty());
    EXPECT_EQ(LoadGraphicFromBlobField(nullptr), nullptr);
    TPicture pic;
    AssignBlobFieldToPicture(Ds->Fields()->Fields(0), &pic);
    EXPECT_TRUE(dynamic_cast<TBitmap*>(pic.Graphic()));
}

// ---------------------------------------------------------------- menus that stay open

namespace {

using testsupport::WhenMenuShows;

QAction* ActionOf(QMenu* m, const QString& text)
{
    for (QAction* a : m->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

void ClickAction(QMenu* m, QAction* a)
{
    const QPoint at = m->actionGeometry(a).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, m->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, m->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m, &release);
}

struct StayOpenMenu : ::testing::Test {
    std::unique_ptr<TPopupMenuEh> Menu = CreateUnique<TPopupMenuEh>(nullptr);
    TMenuItemEh* Keep = nullptr;
    TMenuItem* Plain = nullptr;
    QStringList Clicked;
    void Click(TObject* Sender)
    {
        auto* item = static_cast<TMenuItem*>(Sender);
        Clicked << item->Caption;
        item->Checked = !item->Checked;
    }
    void SetUp() override
    {
        Keep = Create<TMenuItemEh>(Menu.get());
        Keep->Caption = QStringLiteral("Сумма");
        Keep->SetCloseMenuOnClick(false);
        Keep->OnClick = TNotifyEvent(this, &StayOpenMenu::Click);
        Menu->Items()->Add(Keep);
        Plain = Create<TMenuItemEh>(Menu.get());
        Plain->Caption = QStringLiteral("Закрыть");
        Plain->OnClick = TNotifyEvent(this, &StayOpenMenu::Click);
        Menu->Items()->Add(Plain);
    }
};

}  // namespace

TEST_F(StayOpenMenu, ItemThatKeepsTheMenuOpenRunsAndTheMenuStays)
{
    bool openAfterMouse = false, openAfterEnter = false, checkShown = false;
    int openWindows = 0;
    WhenMenuShows([&](QMenu* m) {
        openWindows = PopupListEh()->OpenWindowCount();
        ClickAction(m, ActionOf(m, QStringLiteral("Сумма")));
        openAfterMouse = m->isVisible();
        checkShown = ActionOf(m, QStringLiteral("Сумма"))->isChecked();
        m->setActiveAction(ActionOf(m, QStringLiteral("Сумма")));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(m, &enter);
        openAfterEnter = m->isVisible();
        ClickAction(m, ActionOf(m, QStringLiteral("Закрыть")));
    });
    Menu->Popup(200, 200);
    EXPECT_EQ(openWindows, 1);
    EXPECT_TRUE(openAfterMouse);
    EXPECT_TRUE(checkShown);
    EXPECT_TRUE(openAfterEnter);
    // The plain item closed the menu and ran after it was gone.
    EXPECT_EQ(Clicked, (QStringList{QStringLiteral("Сумма"), QStringLiteral("Сумма"), QStringLiteral("Закрыть")}));
    EXPECT_FALSE(Keep->Checked);
    EXPECT_EQ(PopupListEh()->OpenWindowCount(), 0);
    EXPECT_EQ(PopupListEh()->FindItemByCommand(uintptr_t(Plain)), Plain);
}
