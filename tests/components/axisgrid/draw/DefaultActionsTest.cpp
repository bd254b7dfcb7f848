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
