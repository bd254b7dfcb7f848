// The default actions of edit buttons without handlers of their own and the system menu of a
// column: which items a picture or text column offers, the picture editor and the memo editor
// behind the ellipsis button, the menu behind a picture column's drop-down button, and an edit
// control of the wrong class.
#include "DrawFixture.h"
#include "components/editors/MemoEditFormsEh.h"
#include "components/editors/PictureEditFormsEh.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/StdCtrls.h"
#include "support/AppEnvironment.h"
#include "support/MenuWaiting.h"

#include <QMenu>

namespace {

QStringList Captions(TPopupMenu* Menu)
{
    QStringList list;
    for (int i = 0; i < Menu->Items()->Count(); ++i)
        list << Menu->Items()->Items(i)->Caption;
    return list;
}

// The hooks stand in for the editor forms; each test sets what the user does.
bool gAccept = false;
int gHookCalls = 0;
bool gMemoReadOnly = false;
bool EditPictureByTest(TPicture* Picture)
{
    ++gHookCalls;
    TBitmap b(3, 2);
    Picture->SetGraphic(&b);
    return gAccept;
}
bool EditMemoByTest(QString& Text, const TRect&, bool ReadOnly)
{
    ++gHookCalls;
    gMemoReadOnly = ReadOnly;
    Text += QStringLiteral(" Иванов");
    return gAccept;
}

class HookScope {
public:
    HookScope() : FPicture(EditPictureHook), FMemo(EditMemoTextHook)
    {
        EditPictureHook = &EditPictureByTest;
        EditMemoTextHook = &EditMemoByTest;
        gHookCalls = 0;
    }
    ~HookScope()
    {
        EditPictureHook = FPicture;
        EditMemoTextHook = FMemo;
    }

private:
    TEditPictureProcEh FPicture;
    TEditMemoTextProcEh FMemo;
};

// A picture column over an in-memory table whose graphic field holds a 20 x 10 bitmap.
class PictureColumnTest : public ::testing::Test {
protected:
    std::unique_ptr<TComponent> owner = CreateUnique<TComponent>(nullptr);
    TMemTableEh* table = nullptr;
    TDrawTestGrid* grid = nullptr;
    TDrawTestBar* bar = nullptr;
    std::unique_ptr<TPopupMenu> menu = CreateUnique<TPopupMenu>(nullptr);
    HookScope hooks;

    void SetUp() override
    {
        table = Create<TMemTableEh>(owner.get());
        table->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
        table->CreateDataSet();
        table->AppendRecord({Variant(1), Variant::Null()});
        table->AppendRecord({Variant(2), Variant::Null()});
        table->First();
        TBitmap b(20, 10);
        table->Edit();
        Photo()->Assign(&b);
        table->Post();
        auto* src = Create<TDataSource>(owner.get());
        src->SetDataSet(table);
        grid = Create<TDrawTestGrid>(owner.get());
        grid->SetDataSourceProp(src);
        grid->SetDrawGraphicData(true);
        bar = static_cast<TDrawTestBar*>(grid->AxisBars()->Add());
        bar->SetFieldName(QStringLiteral("Photo"));
        ASSERT_EQ(bar->GetBarType(), ctGraphicData);
    }
    TBlobField* Photo() { return static_cast<TBlobField*>(table->FieldByName(QStringLiteral("Photo"))); }
    int PhotoWidth()
    {
        std::unique_ptr<TGraphic> g = LoadGraphicFromBlobField(Photo());
        return g ? g->Width() : -1;
    }
    std::unique_ptr<TEditButtonEh> Button(TEditButtonStyleEh Style)
    {
        auto b = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(grid));
        b->SetStyle(Style);
        return b;
    }
};

TEST_F(PictureColumnTest, AReadOnlyPictureColumnOffersCopyAndSaveOnly)
{
    bar->SetReadOnly(true);
    grid->FormColumnSystemPopupMenu(bar, menu.get());
    EXPECT_EQ(Captions(menu.get()), (QStringList{"Copy", "-", "Save..."}));
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        auto* item = dynamic_cast<TAxisBarEhMenuItem*>(menu->Items()->Items(i));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->AxisBar, bar);
        EXPECT_EQ(item->Owner(), menu.get());
    }
}

TEST_F(PictureColumnTest, AModifiableColumnOffersWhatTheClipboardAndTheValueAllow)
{
    TBitmap b(4, 4);
    Clipboard()->Assign(&b);
    grid->FormColumnSystemPopupMenu(bar, menu.get());
    EXPECT_EQ(Captions(menu.get()), (QStringList{"Cut", "Copy", "Paste", "Delete", "-", "Load...", "Save..."}));

    auto menu2 = CreateUnique<TPopupMenu>(nullptr);
    Clipboard()->Clear();
    table->Next();   // an empty picture
    grid->FormColumnSystemPopupMenu(bar, menu2.get());
    EXPECT_EQ(Captions(menu2.get()), (QStringList{"Cut", "Copy", "Delete", "-", "Load..."}));

    // A read-only grid is as a read-only column.
    auto menu3 = CreateUnique<TPopupMenu>(nullptr);
    grid->SetReadOnly(true);
    grid->FormColumnSystemPopupMenu(bar, menu3.get());
    EXPECT_EQ(Captions(menu3.get()), (QStringList{"Copy", "-"}));
}

TEST_F(PictureColumnTest, DeleteClearsTheColumnsValue)
{
    grid->FormColumnSystemPopupMenu(bar, menu.get());
    const int del = Captions(menu.get()).indexOf(QStringLiteral("Delete"));
    ASSERT_GE(del, 0);
    menu->Items()->Items(del)->Click();
    EXPECT_TRUE(Photo()->IsNull());
}

TEST_F(PictureColumnTest, TheEllipsisEditsThePictureAndWritesItOnlyWhenAccepted)
{
    auto ellipsis = Button(ebsEllipsisEh);
    bool handled = false;
    gAccept = false;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), nullptr);
    EXPECT_EQ(gHookCalls, 1);
    EXPECT_EQ(PhotoWidth(), 20) << "cancelled: as it was";
    EXPECT_EQ(table->State(), dsBrowse);

    gAccept = true;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), nullptr);
    EXPECT_EQ(PhotoWidth(), 3);

    // On the press it does nothing; the click opens the editor.
    grid->EditButtonDefaultAction(bar, handled, true, nullptr, ellipsis.get(), nullptr);
    EXPECT_EQ(gHookCalls, 2);
    // Without a picture editor: nothing.
    EditPictureHook = nullptr;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), nullptr);
    EXPECT_EQ(gHookCalls, 2);
}

TEST_F(PictureColumnTest, TheDropDownButtonPopsUpTheColumnsMenuUnderItselfAndIsReleased)
{
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBounds(100, 100, 300, 200);
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 250, 150);
    auto drop = Button(ebsDropDownEh);
    auto* ctl = Create<TEditButtonControlEh>(grid);
    ctl->SetParent(grid);
    ctl->SetBounds(100, 20, 17, 18);
    auto* popup = Create<TPopupMenu>(owner.get());
    auto* item = Create<TMenuItem>(popup);
    item->Caption = QStringLiteral("Сохранить");
    popup->Items()->Add(item);
    bar->SetPopupMenu(popup);
    form->Show();

    bool shown = false;
    testsupport::WhenMenuShows([&](QMenu* m) {
        shown = true;
        m->close();
    });
    bool handled = false;
    grid->EditButtonDefaultAction(bar, handled, true, ctl, drop.get(), nullptr);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(handled);
    EXPECT_EQ(popup->PopupPoint(), ctl->ClientToScreen(TPoint(0, 18))) << "at the button's bottom-left corner";

    // A click (not a press) does nothing.
    handled = false;
    grid->EditButtonDefaultAction(bar, handled, false, ctl, drop.get(), nullptr);
    EXPECT_FALSE(handled);
}

// The picture cell drawn into a white 140 x 120 bitmap; the box of non-white pixels.
QRect DrawnPicture(TDrawTestGrid* Grid, TAxisBarEh* Bar, const TRect& Cell, QImage* Out = nullptr)
{
    TBitmap b(140, 120);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(TRect(0, 0, 140, 120));
    Grid->Canvas()->SetHandle(b.Canvas()->Handle());
    Grid->Canvas()->Font()->SetColor(clBlack);
    Grid->DrawGraphicFieldData(Bar, Cell, true, clWhite);
    Grid->Canvas()->SetHandle(nullptr);
    const QImage img = b.Image().convertToFormat(QImage::Format_RGB32);
    if (Out)
        *Out = img;
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                r |= QRect(x, y, 1, 1);
    return r;
}

QByteArray BmpBytes(int W, int H)
{
    TBitmap b(W, H);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, W, H));
    TMemoryStream s;
    b.SaveToStream(&s);
    return QByteArray(static_cast<const char*>(s.Memory()), int(s.Size()));
}

TEST_F(PictureColumnTest, ABigPictureShrinksProportionallyAndASmallOneKeepsItsSizeCentred)
{
    table->Edit();
    Photo()->SetAsBytes(BmpBytes(200, 100));
    table->Post();
    EXPECT_EQ(DrawnPicture(grid, bar, TRect(10, 10, 110, 110)), QRect(10, 35, 100, 50));
    table->Edit();
    Photo()->SetAsBytes(BmpBytes(50, 40));
    table->Post();
    EXPECT_EQ(DrawnPicture(grid, bar, TRect(10, 10, 110, 110)), QRect(35, 40, 50, 40));
}

TEST_F(PictureColumnTest, AnEmptyCellGetsNoPictureAndNoDivisionByZero)
{
    table->Edit();
    Photo()->SetAsBytes(BmpBytes(200, 100));
    table->Post();
    for (const TRect& r : {TRect(10, 10, 10, 110), TRect(10, 10, 110, 10), TRect(50, 50, 40, 40)})
        EXPECT_TRUE(DrawnPicture(grid, bar, r).isEmpty());
}

TEST_F(PictureColumnTest, ABitmapBehindAnEightByteHeaderIsShownWhenTheFieldExpectsIt)
{
    const QByteArray bmp = BmpBytes(30, 20);
    QByteArray withHeader;
    const uint32_t rest = uint32_t(bmp.size());
    withHeader.append(char(1)).append(char(0)).append(char(0)).append(char(1));
    for (int i = 0; i < 4; ++i)
        withHeader.append(char((rest >> (8 * i)) & 0xFF));
    withHeader.append(bmp);
    table->Edit();
    Photo()->SetAsBytes(withHeader);
    table->Post();
    Photo()->SetGraphicHeader(true);
    std::unique_ptr<TPicture> p = grid->GetPictureFromBlob(Photo());
    ASSERT_TRUE(p->HasImage());
    EXPECT_EQ(p->Width(), 30);
    EXPECT_EQ(p->Height(), 20);
    EXPECT_EQ(DrawnPicture(grid, bar, TRect(0, 0, 100, 100)), QRect(35, 40, 30, 20));
}

TEST_F(PictureColumnTest, BytesThatAreNoPictureDrawNothingAndDoNotStopThePainting)
{
    table->Edit();
    Photo()->SetAsBytes(QByteArray("not a picture at all", 20));
    table->Post();
    QImage img;
    EXPECT_NO_THROW(DrawnPicture(grid, bar, TRect(0, 0, 140, 120), &img));
}

TEST_F(PictureColumnTest, WithoutGraphicDataTheCellShowsTheFieldsTextCentred)
{
    grid->SetDrawGraphicData(false);
    table->Edit();
    Photo()->SetAsBytes(BmpBytes(200, 100));
    table->Post();
    const QRect ink = DrawnPicture(grid, bar, TRect(0, 0, 140, 120));
    ASSERT_FALSE(ink.isEmpty()) << "the blob's text";
    EXPECT_NEAR(ink.center().x(), 70, 3);
    EXPECT_NEAR(ink.center().y(), 60, 4);
    EXPECT_LT(ink.height(), 30) << "text, not the picture";
}

class TextColumnTest : public DrawDataTest {
protected:
    HookScope hooks;
};

TEST_P(TextColumnTest, TheEllipsisEditsTheEditorsTextInTheMemoEditor)
{
    TDrawTestBar* bar = Bar(QStringLiteral("Name"));
    grid->Selected = 0;
    ds->Next();
    grid->EnsureInplaceEdit();
    auto* editor = static_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor());
    editor->SetText(QStringLiteral("ИП"));
    auto ellipsis = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(grid));
    ellipsis->SetStyle(ebsEllipsisEh);

    bool handled = false;
    gAccept = false;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), editor);
    EXPECT_EQ(gHookCalls, 1);
    EXPECT_FALSE(handled);
    EXPECT_EQ(editor->Text(), QStringLiteral("ИП")) << "cancelled";
    EXPECT_EQ(ds->State(), dsBrowse);

    gAccept = true;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), editor);
    EXPECT_FALSE(gMemoReadOnly);
    EXPECT_TRUE(handled);
    EXPECT_EQ(editor->Text(), QStringLiteral("ИП Иванов"));
    EXPECT_EQ(ds->State(), dsEdit);
    ds->Cancel();

    // A column that cannot be changed shows the text read-only and writes nothing back.
    bar->SetReadOnly(true);
    editor->SetText(QStringLiteral("ИП"));
    handled = false;
    grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), editor);
    EXPECT_TRUE(gMemoReadOnly);
    EXPECT_FALSE(handled);
    EXPECT_EQ(editor->Text(), QStringLiteral("ИП"));
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_P(TextColumnTest, AnEditControlOfAnotherClassIsRefusedAndNothingChanges)
{
    TDrawTestBar* bar = Bar(QStringLiteral("Name"));
    auto* edit = Create<TCustomMaskEdit>(owner);
    auto ellipsis = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(grid));
    ellipsis->SetStyle(ebsEllipsisEh);
    bool handled = false;
    gAccept = true;
    EXPECT_THROW(grid->EditButtonDefaultAction(bar, handled, false, nullptr, ellipsis.get(), edit), EInvalidCast);
    EXPECT_EQ(gHookCalls, 0);
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_P(TextColumnTest, ColumnsWithListsOrCheckBoxesHaveNoDefaultAction)
{
    TDrawTestBar* pick = Bar(QStringLiteral("Name"));
    pick->PickList()->Add(QStringLiteral("ИП"));
    TDrawTestBar* box = Bar(QStringLiteral("Done"));
    auto* edit = Create<TCustomMaskEdit>(owner);
    auto ellipsis = CreateUnique<TEditButtonEh>(static_cast<TWinControl*>(grid));
    ellipsis->SetStyle(ebsEllipsisEh);
    bool handled = false;
    gAccept = true;
    // Not even the class of the edit control is looked at.
    grid->EditButtonDefaultAction(pick, handled, false, nullptr, ellipsis.get(), edit);
    grid->EditButtonDefaultAction(box, handled, false, nullptr, ellipsis.get(), edit);
    EXPECT_EQ(gHookCalls, 0);
    EXPECT_FALSE(handled);
}

TEST_P(TextColumnTest, AReadOnlyGridOffersCopyOnlyForAText)
{
    TDrawTestBar* bar = Bar(QStringLiteral("Name"));
    grid->SetReadOnly(true);
    auto menu = CreateUnique<TPopupMenu>(nullptr);
    grid->FormColumnSystemPopupMenu(bar, menu.get());
    EXPECT_EQ(Captions(menu.get()), (QStringList{"Copy", "-", "Save..."}));
}

INSTANTIATE_TEST_SUITE_P(Regimes, TextColumnTest, ::testing::Values(DrawRegime::Memory, DrawRegime::Ado),
                         DrawRegimeName);

}  // namespace
