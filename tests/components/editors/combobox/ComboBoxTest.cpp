// The combo box edit driven through real key and mouse events: key-based values, values that
// are not among the keys, the drop-down list from the keyboard, completion of typed text and
// the list's settings.
#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"

#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using testsupport::Key;
using testsupport::PlaceOn;
using testsupport::ShowActive;

// Types the text one character at a time, as the keyboard would.
void Type(TWinControl* c, const QString& text)
{
    for (QChar ch : text)
        Key(c, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
}

QString Selected(TCustomEdit* e)
{
    return e->SelText();
}

class ComboBoxTest : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TMemTableEh* table = nullptr;
    TDataSource* source = nullptr;
    TDBComboBoxEh* combo = nullptr;
    TDBEditEh* other = nullptr;

    void SetUp() override
    {
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Kind"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Bank"), ftString, 40);
        table->CreateDataSet();
        table->AppendRecord({Variant(2), Variant(QStringLiteral("Сбербанк"))});
        table->AppendRecord({Variant(7), Variant(QStringLiteral("ВТБ"))});
        table->AppendRecord({Variant::Null(), Variant::Null()});
        table->First();
        source = Create<TDataSource>(form.get());
        source->SetDataSet(table);

        form->SetBounds(100, 100, 400, 300);
        combo = PlaceOn<TDBComboBoxEh>(form.get(), 10, 10, 160, 22);
        other = PlaceOn<TDBEditEh>(form.get(), 10, 60, 160, 22);
        ShowActive(form.get());
    }

    // Kinds of payment: the field holds 1, 2 or 3, the control shows their names.
    void BindKinds()
    {
        combo->Items()->SetText(QStringLiteral("Наличные\nБезналичные\nВзаимозачёт"));
        combo->KeyItems()->SetText(QStringLiteral("1\n2\n3"));
        combo->SetDataSource(source);
        combo->SetDataField(QStringLiteral("Kind"));
    }

    void Focus(TWinControl* c)
    {
        c->SetFocus();
        QApplication::processEvents();
    }

    TPopupListboxEh* List() { return dynamic_cast<TPopupListboxEh*>(combo->PopupListbox()); }
    TField* Kind() { return table->FieldByName(QStringLiteral("Kind")); }
};

TEST_F(ComboBoxTest, KeyBasedControlShowsTheItemAndWritesTheKey)
{
    BindKinds();
    EXPECT_TRUE(combo->KeyBased());
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("2"));

    // Alt+Down opens the list on the current item; Up and Enter take the first one.
    Focus(combo);
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(combo->ListVisible());
    EXPECT_EQ(List()->ItemIndex(), 1);
    Key(combo, Qt::Key_Up);
    EXPECT_EQ(List()->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));   // nothing taken while it is open
    Key(combo, Qt::Key_Return);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Наличные"));
    EXPECT_EQ(combo->SelText(), QStringLiteral("Наличные"));
    Focus(other);
    EXPECT_EQ(Kind()->AsInteger(), 1);

    // Delete empties a field that is not required.
    Focus(combo);
    Key(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), QString());
    EXPECT_TRUE(combo->Value().IsNull());
    Focus(other);
    EXPECT_TRUE(Kind()->IsNull());
}

TEST_F(ComboBoxTest, ListsFilledInCodeAreNoEditOfTheRecord)
{
    BindKinds();
    Focus(combo);
    combo->Items()->Add(QStringLiteral("Вексель"));
    combo->KeyItems()->Add(QStringLiteral("4"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));
    EXPECT_NO_THROW(Focus(other));
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Kind()->AsInteger(), 2);
}

TEST_F(ComboBoxTest, NoKeyIsNullAndShowsNothing)
{
    BindKinds();
    // A Null field stays Null through a visit: no empty text is written in its place.
    table->Last();
    EXPECT_TRUE(combo->Value().IsNull());
    Focus(combo);
    Focus(other);
    EXPECT_TRUE(Kind()->IsNull());
    // Choosing no item empties the text along with the value.
    table->First();
    Focus(combo);
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->Text(), QString());
    EXPECT_TRUE(combo->Value().IsNull());
    EXPECT_TRUE(Kind()->IsNull());
}

TEST_F(ComboBoxTest, DeleteLeavesARequiredFieldAlone)
{
    BindKinds();
    Kind()->SetRequired(true);
    Focus(combo);
    Key(combo, Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("2"));
}

TEST_F(ComboBoxTest, EscapeClosesTheListWithoutTakingTheValueAndAltDownToggles)
{
    BindKinds();
    std::vector<bool> closes;
    combo->OnCloseUp = TCloseUpEventEh([&](TObject*, bool accept) { closes.push_back(accept); });
    Focus(combo);
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(combo->ListVisible());
    EXPECT_TRUE(combo->EditButton()->GetVisible());
    Key(combo, Qt::Key_Down);
    EXPECT_EQ(List()->ItemIndex(), 2);
    Key(combo, Qt::Key_Escape);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_FALSE(List()->Visible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));
    // A second Alt+Down closes what the first opened, taking nothing.
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(combo->ListVisible());
    Key(combo, Qt::Key_Down);
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Безналичные"));
    EXPECT_EQ(closes, std::vector<bool>({false, false}));
    EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, UpAndDownWalkTheUsableItemsWhileTheListIsClosed)
{
    // Five texts but three keys: only three items can be values.
    combo->Items()->SetText(QStringLiteral("А\nБ\nВ\nГ\nД"));
    combo->KeyItems()->SetText(QStringLiteral("1\n2\n3"));
    EXPECT_EQ(combo->ItemsCount(), 3);
    Focus(combo);
    Key(combo, Qt::Key_Up);   // nothing chosen: prior goes to the last usable item
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), QStringLiteral("В"));
    Key(combo, Qt::Key_Down);   // the last usable one stays
    EXPECT_EQ(combo->ItemIndex(), 2);
    Key(combo, Qt::Key_Up);
    Key(combo, Qt::Key_Up);
    EXPECT_EQ(combo->ItemIndex(), 0);
    Key(combo, Qt::Key_Up);   // prior on the first does nothing
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("1"));
    // The list offers the usable items only, and typing reaches no item beyond them.
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(List()->Count(), 3);
    Key(combo, Qt::Key_Escape);
    Type(combo, QStringLiteral("Г"));
    EXPECT_EQ(combo->Text(), QStringLiteral("А"));
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("1"));
}

// Values the lists do not cover, and data that cannot take a value.
TEST_F(ComboBoxTest, BadInput)
{
    struct Case {
        const char* name;
        std::function<void(ComboBoxTest&)> arrange;
        QString text;      // shown afterwards
        QString field;     // the field's text afterwards ("" for Null)
    };
    const std::vector<Case> cases = {
        {"a key that is not among the keys shows nothing and keeps the value",
         [](ComboBoxTest& t) { t.table->Next(); },   // Kind = 7
         QString(), QStringLiteral("7")},
        {"a key whose item lies beyond a shorter key list is not a value",
         [](ComboBoxTest& t) {
             t.combo->Items()->SetText(QStringLiteral("Наличные\nБезналичные\nВзаимозачёт"));
             t.combo->KeyItems()->SetText(QStringLiteral("1"));
         },
         QString(), QStringLiteral("2")},
        {"a read-only field takes no choice",
         [](ComboBoxTest& t) { t.Kind()->SetReadOnly(true); }, QStringLiteral("Безналичные"), QStringLiteral("2")},
        {"a read-only dataset takes no choice",
         [](ComboBoxTest& t) { t.table->SetReadOnly(true); }, QStringLiteral("Безналичные"), QStringLiteral("2")},
        {"a read-only control takes no choice",
         [](ComboBoxTest& t) { t.combo->SetReadOnly(true); }, QStringLiteral("Безналичные"), QStringLiteral("2")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        form = CreateUnique<TForm>(nullptr);
        SetUp();
        BindKinds();
        c.arrange(*this);
        Focus(combo);
        // Down while closed, then a choice from the list: neither may reach the field.
        Key(combo, Qt::Key_Down);
        Key(combo, Qt::Key_Down, Qt::AltModifier);
        if (combo->ListVisible()) {
            Key(combo, Qt::Key_Up);
            Key(combo, Qt::Key_Return);
        }
        EXPECT_FALSE(combo->ListVisible());
        if (c.text.isEmpty() && combo->ItemIndex() >= 0) {
            // The control could move on from nothing: that is a new choice, not bad input.
            combo->Reset();
        }
        Focus(other);
        EXPECT_EQ(combo->Text(), c.text);
        EXPECT_EQ(Kind()->Text(), c.field);
    }
}

TEST_F(ComboBoxTest, DatasetClosedWhileTheListIsOpenTakesNothing)
{
    BindKinds();
    std::vector<bool> closes;
    combo->OnCloseUp = TCloseUpEventEh([&](TObject*, bool accept) { closes.push_back(accept); });
    Focus(combo);
    Key(combo, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(combo->ListVisible());
    Key(combo, Qt::Key_Up);
    table->Close();
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(closes, std::vector<bool>({false}));
    EXPECT_EQ(combo->Text(), QString());
    EXPECT_TRUE(combo->Value().IsNull());
    EXPECT_EQ(combo->ItemIndex(), -1);
    Key(combo, Qt::Key_Return);   // nothing left to take it
    Key(combo, Qt::Key_Down);
    EXPECT_EQ(combo->Text(), QString());
}

TEST_F(ComboBoxTest, LimitToListFollowsKeysAndNotInListUnlessStored)
{
    EXPECT_FALSE(combo->LimitTextToListValues());
    combo->KeyItems()->SetText(QStringLiteral("1\n2"));
    EXPECT_TRUE(combo->LimitTextToListValues());
    combo->SetOnNotInList(TNotInListEventEh([](TObject*, QString, bool&) {}));
    EXPECT_FALSE(combo->LimitTextToListValues());
    combo->SetLimitTextToListValues(true);
    EXPECT_TRUE(combo->LimitTextToListValuesStored());
    combo->SetOnNotInList(TNotInListEventEh());
    combo->SetOnNotInList(TNotInListEventEh([](TObject*, QString, bool&) {}));
    EXPECT_TRUE(combo->LimitTextToListValues());
    // Dropping the stored flag takes the default again.
    combo->SetLimitTextToListValuesStored(false);
    EXPECT_FALSE(combo->LimitTextToListValues());
}

TEST_F(ComboBoxTest, TypedPrefixCompletesFromTheListWithTheCaseRules)
{
    combo->Items()->SetText(QStringLiteral("Альфа-Банк\nВТБ\nСбербанк\nсберкасса"));
    Focus(combo);
    // No item starts with "сб" as written but "сберкасса"; it wins over "Сбербанк".
    Type(combo, QStringLiteral("сб"));
    EXPECT_EQ(combo->Text(), QStringLiteral("сберкасса"));
    EXPECT_EQ(Selected(combo), QStringLiteral("еркасса"));
    EXPECT_EQ(combo->ItemIndex(), 3);

    // Only an item in another case begins with "аль": it is completed as it is written.
    combo->SelectAll();
    Type(combo, QStringLiteral("аль"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Альфа-Банк"));
    EXPECT_EQ(Selected(combo), QStringLiteral("фа-Банк"));
    EXPECT_EQ(combo->ItemIndex(), 0);

    // Backspace takes the completion away and keeps the typed text.
    Key(combo, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Аль"));
    EXPECT_EQ(combo->ItemIndex(), -1);

    // Case-sensitive search finds no "вт".
    combo->SetCaseInsensitiveTextSearch(false);
    combo->SelectAll();
    Type(combo, QStringLiteral("вт"));
    EXPECT_EQ(combo->Text(), QStringLiteral("вт"));
    EXPECT_EQ(combo->ItemIndex(), -1);
    Type(combo, QStringLiteral("X"));
    combo->SelectAll();
    Type(combo, QStringLiteral("ВТ"));
    EXPECT_EQ(combo->Text(), QStringLiteral("ВТБ"));
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(ComboBoxTest, TypingIntoAKeyBasedControlChoosesListValuesOnly)
{
    BindKinds();
    Focus(combo);
    combo->SelectAll();
    Type(combo, QStringLiteral("вз"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Взаимозачёт"));
    EXPECT_EQ(Selected(combo), QStringLiteral("аимозачёт"));
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("3"));
    // A character that continues no item changes nothing.
    Type(combo, QStringLiteral("я"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Взаимозачёт"));
    // Backspace moves the boundary of the typed part to the left.
    Key(combo, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(Selected(combo), QStringLiteral("заимозачёт"));
    Type(combo, QStringLiteral("а"));   // "Ва" continues nothing
    EXPECT_EQ(combo->Text(), QStringLiteral("Взаимозачёт"));
    Key(combo, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(Selected(combo), QStringLiteral("Взаимозачёт"));
    Type(combo, QStringLiteral("н"));
    EXPECT_EQ(combo->Text(), QStringLiteral("Наличные"));
    Focus(other);
    EXPECT_EQ(Kind()->AsInteger(), 1);
}

TEST_F(ComboBoxTest, AutoDropOpensTheListOnTypingAndTheListFollowsTheText)
{
    combo->Items()->SetText(QStringLiteral("Альфа-Банк\nВТБ\nСбербанк"));
    combo->DropDownBox()->SetAutoDrop(true);
    Focus(combo);
    Type(combo, QStringLiteral("с"));
    ASSERT_TRUE(combo->ListVisible());
    EXPECT_EQ(List()->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), QStringLiteral("Сбербанк"));
    Key(combo, Qt::Key_Escape);
    EXPECT_FALSE(combo->ListVisible());
}

TEST_F(ComboBoxTest, NotInListCanAddTheTextAndHaveItTaken)
{
    combo->Items()->SetText(QStringLiteral("Наличные"));
    combo->KeyItems()->SetText(QStringLiteral("1"));
    combo->SetDataSource(source);
    combo->SetDataField(QStringLiteral("Kind"));
    QStringList asked;
    combo->SetOnNotInList(TNotInListEventEh([&](TObject*, QString text, bool& recheck) {
        asked << text;
        combo->Items()->Add(text);
        combo->KeyItems()->Add(QStringLiteral("9"));
        recheck = true;
    }));
    Focus(combo);
    combo->SelectAll();
    Type(combo, QStringLiteral("Вексель"));
    Focus(other);
    EXPECT_EQ(asked, QStringList({QStringLiteral("Вексель")}));
    EXPECT_EQ(Kind()->AsInteger(), 9);
    EXPECT_EQ(combo->Text(), QStringLiteral("Вексель"));
}

TEST_F(ComboBoxTest, DropDownBoxSizesAndPlacesTheList)
{
    combo->Items()->SetText(QStringLiteral("А\nБ\nОчень длинное название банка для списка"));
    Focus(combo);
    // Fewer items than rows: the list is as high as its items.
    combo->DropDown();
    EXPECT_EQ(List()->FittingRowCount(), 3);
    EXPECT_EQ(List()->Width(), combo->Width());
    const TPoint under = combo->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(List()->Left(), under.X - (combo->Width() - combo->ClientWidth()) / 2);
    combo->CloseUp(false);

    // -1: as wide as the longest text; never narrower than the control.
    combo->DropDownBox()->SetWidth(-1);
    combo->DropDown();
    TBitmap probe(1, 1);
    TCanvas* c = probe.Canvas();
    c->Font()->Assign(combo->Font());
    const int longest = c->TextWidth(combo->Items()->Strings(2));
    EXPECT_EQ(List()->ClientWidth(), longest + 5);
    EXPECT_GT(List()->Width(), combo->Width());
    combo->CloseUp(false);
    combo->Items()->SetText(QStringLiteral("А\nБ"));
    combo->DropDown();
    EXPECT_EQ(List()->Width(), combo->Width());
    combo->CloseUp(false);

    // Sizing the open list with its grip is kept for the next time.
    for (int i = 0; i < 20; ++i)
        combo->Items()->Add(QStringLiteral("Банк %1").arg(i));
    combo->DropDownBox()->SetWidth(0);
    combo->DropDown();
    EXPECT_EQ(List()->FittingRowCount(), 7);
    List()->SetBounds(List()->Left(), List()->Top(), 250, List()->ItemHeight() * 10 + List()->GetBorderSize());
    combo->CloseUp(false);
    EXPECT_EQ(combo->DropDownBox()->Rows(), 10);
    EXPECT_EQ(combo->DropDownBox()->Width(), 250);
    combo->DropDown();
    EXPECT_EQ(List()->FittingRowCount(), 10);
    EXPECT_EQ(List()->Width(), 250);
    combo->CloseUp(false);

    // Copying settings takes rows, width, alignment and the sizable flag.
    TDropDownBoxEh box;
    box.SetRows(3);
    box.SetAlign(daRight);
    box.SetSizable(true);
    box.SetWidth(-1);
    combo->SetDropDownBox(&box);
    EXPECT_EQ(combo->DropDownBox()->Rows(), 3);
    EXPECT_EQ(combo->DropDownBox()->Align(), daRight);
    EXPECT_TRUE(combo->DropDownBox()->Sizable());
    EXPECT_EQ(combo->DropDownBox()->Width(), -1);
}

TEST_F(ComboBoxTest, AClickOnTheListTakesTheItemUnderTheMouse)
{
    BindKinds();
    Focus(combo);
    combo->DropDown();
    TPopupListboxEh* list = List();
    const TPoint p(10, list->ItemHeight() * 2 + list->ItemHeight() / 2);
    list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    list->Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), QStringLiteral("Взаимозачёт"));
    EXPECT_EQ(SafeVarToStr(combo->Value()), QStringLiteral("3"));
}

TEST_F(ComboBoxTest, LimitedControlOpensItsListOnAPressInTheText)
{
    combo->Items()->SetText(QStringLiteral("Наличные\nБезналичные"));
    combo->KeyItems()->SetText(QStringLiteral("1\n2"));
    Focus(other);
    combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    EXPECT_TRUE(combo->Focused());
    EXPECT_TRUE(combo->ListVisible());
    combo->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    EXPECT_TRUE(combo->ListVisible());   // the click of the opening press keeps it open
    combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    combo->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    EXPECT_FALSE(combo->ListVisible());
}

TEST_F(ComboBoxTest, WheelAndItemsRequestedLate)
{
    int asked = 0;
    combo->OnGetItemsList = TNotifyEvent([&](TObject*) {
        ++asked;
        combo->Items()->SetText(QStringLiteral("Один\nДва"));
    });
    Focus(combo);
    combo->Perform(CM_MOUSEWHEEL, WPARAM(uint32_t(-120) << 16), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(combo->Text(), QStringLiteral("Один"));
    combo->Perform(CM_MOUSEWHEEL, WPARAM(uint32_t(-120) << 16), 0);
    EXPECT_EQ(combo->Text(), QStringLiteral("Два"));
    combo->Perform(CM_MOUSEWHEEL, WPARAM(uint32_t(120) << 16), 0);
    EXPECT_EQ(combo->Text(), QStringLiteral("Один"));
    EXPECT_EQ(asked, 1);
}

}  // namespace

// A key-based box shows its item texts left-aligned even on a number field, so a right-to-left
// box mirrors them: the list then drops from the box's right edge.
TEST_F(ComboBoxTest, KeyBasedBoxMirrorsRightToLeftByTheAlignmentItShows)
{
    TCustomDBEditEh* edit = combo;
    combo->SetBiDiMode(bdRightToLeft);
    combo->SetDataSource(source);
    combo->SetDataField(QStringLiteral("Kind"));
    ASSERT_FALSE(combo->KeyBased());
    EXPECT_EQ(combo->Alignment(), taRightJustify);
    EXPECT_FALSE(edit->UseRightToLeftAlignment());   // the number keeps its right alignment

    BindKinds();
    ASSERT_TRUE(combo->KeyBased());
    EXPECT_EQ(combo->Alignment(), taLeftJustify);
    EXPECT_TRUE(edit->UseRightToLeftAlignment());

    combo->DropDownBox()->SetWidth(250);
    Focus(combo);
    combo->DropDown();
    ASSERT_TRUE(combo->ListVisible());
    const TPoint origin = combo->ClientToScreen(TPoint(0, 0));
    const int border = (combo->Width() - combo->ClientWidth()) / 2;
    EXPECT_EQ(List()->Left() + List()->Width(), origin.X - border + combo->Width());
    combo->CloseUp(false);

    // Shown right-aligned by choice, or left to right: nothing is mirrored.
    combo->SetAlignment(taRightJustify);
    EXPECT_FALSE(edit->UseRightToLeftAlignment());
    combo->SetAlignment(taLeftJustify);
    combo->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(edit->UseRightToLeftAlignment());
    combo->DropDown();
    EXPECT_EQ(List()->Left(), origin.X - border);
    combo->CloseUp(false);
}
