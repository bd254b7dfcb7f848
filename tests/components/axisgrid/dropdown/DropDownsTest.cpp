// The drop-downs of the axis grid's in-place editor driven through window events: pick lists
// (with and without keys), the calendar of a date-time field, the calculator, drop-down forms
// with their write-back and close notice, and the list of recently used texts; each closed
// with and without taking its value, on an in-memory table and on an ADO query.
#include "support/AppEnvironment.h"
#include "support/AxisGridFixtures.h"
#include "support/DialogScript.h"

#include "components/editors/DBCtrlsEh.h"

#include "components/axisgrid/DBAxisGridsEh_DropDowns.h"
#include "components/editors/CalculatorEh.h"
#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using testsupport::PumpGrid;

// A drop-down form that gives back what the test put in Returned (by name); Enter or Accept()
// closes it with OK. It keeps what it was given.
class TValuesFormEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TValuesFormEh, TCustomDropDownFormEh)
public:
    explicit TValuesFormEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}
    std::vector<std::pair<QString, Variant>> Given;
    std::vector<std::pair<QString, Variant>> Returned;
    bool GivenReadOnly = false;
    int Opened = 0;

    void InitForm(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        TCustomDropDownFormEh::InitForm(Host, DynParams);
        ++Opened;
        GivenReadOnly = GetReadOnly();
        Given.clear();
        for (int i = 0; DynParams && i < DynParams->Count(); ++i)
            Given.emplace_back(DynParams->GetItem(i)->Name(), DynParams->GetItem(i)->Value());
    }
    void ReturnParams(TWinControl* Host, TDynVarsEh* DynParams) override
    {
        DynParams->Clear();
        for (const auto& [name, value] : Returned)
            DynParams->CreateDynVar(name, value);
        TCustomDropDownFormEh::ReturnParams(Host, DynParams);
    }
    void Accept()
    {
        SetModalResult(mrOk);
        Close();
    }
    void Cancel()
    {
        SetModalResult(mrCancel);
        Close();
    }
};

}  // namespace

DOV_PUBLISHED(TValuesFormEh) {}
AXIS_GRID_FIXTURES_PUBLISHED

namespace {

void MouseClick(TWinControl* W, TPoint P)
{
    W->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(WORD(P.X), WORD(P.Y)));
    W->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(P.X), WORD(P.Y)));
    W->Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(P.X), WORD(P.Y)));
}

void SendKey(TWinControl* W, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString())
{
    QKeyEvent press(QEvent::KeyPress, QtKey, Mods, Text);
    QApplication::sendEvent(W->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, QtKey, Mods, Text);
    QApplication::sendEvent(W->Widget(), &release);
}

bool IsNumberVariantForTest(const Variant& V)
{
    return V.VarType() == varDouble || V.VarType() == varInteger || V.VarType() == varCurrency;
}

// Rows with a date-time and a note, in an in-memory table or (parameter True) in a table of an
// embedded SQLite catalog read through an ADO query:
//   Code  Name     Sum    Kind  Stamp               Note
//   1     Альфа    10.5   A     11.12.2026 14:30    (null)
//   2     Бета     20     B     (null)              (null)
//   3     Гамма    (null) A     (null)              (null)
class DropDownGrid : public testsupport::AxisGridOnForm, public ::testing::WithParamInterface<bool> {
public:
    testsupport::TDialogScript dialogs;   // an error box nobody expects fails the test
    QTemporaryDir dir;
    TDataSet* table = nullptr;
    TAxisBarEh* name = nullptr;
    TAxisBarEh* sum = nullptr;
    TAxisBarEh* kind = nullptr;
    TAxisBarEh* stamp = nullptr;
    TAxisBarEh* note = nullptr;

    void SetUp() override
    {
        AxisGridOnForm::SetUp();
        form->SetBounds(0, 0, 700, 300);
        grid->SetBounds(5, 5, 680, 280);
        form->Show();
        if (GetParam())
            OpenQuery();
        else
            OpenTable();
        table->First();
        table->Edit();
        Field(QStringLiteral("Stamp"))->SetValue(Variant::FromDate(EncodeDate(2026, 12, 11) + EncodeTime(14, 30, 0, 0)));
        table->Post();
        table->First();
        Bind(table);
        name = AddBar(QStringLiteral("Name"));
        sum = AddBar(QStringLiteral("Sum"));
        kind = AddBar(QStringLiteral("Kind"));
        stamp = AddBar(QStringLiteral("Stamp"));
        note = AddBar(QStringLiteral("Note"));
        TGridOptionsEh o = grid->Options();
        o.Include(goEditingEh);
        grid->SetOptions(o);
    }

    void OpenTable()
    {
        auto* mt = Create<TMemTableEh>(form.get());
        mt->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        mt->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        mt->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        mt->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
        mt->FieldDefs()->Add(QStringLiteral("Stamp"), ftDateTime);
        mt->FieldDefs()->Add(QStringLiteral("Note"), ftString, 40);
        mt->CreateDataSet();
        table = mt;
        const struct {
            int code;
            const char16_t* name;
            Variant sum;
            const char16_t* kind;
        } rows[] = {{1, u"Альфа", Variant(10.5), u"A"}, {2, u"Бета", Variant(20.0), u"B"},
                    {3, u"Гамма", Variant::Null(), u"A"}};
        for (const auto& r : rows) {
            table->Append();
            Field(QStringLiteral("Code"))->SetAsInteger(r.code);
            Field(QStringLiteral("Name"))->SetAsString(QString::fromUtf16(r.name));
            Field(QStringLiteral("Sum"))->SetValue(r.sum);
            Field(QStringLiteral("Kind"))->SetAsString(QString::fromUtf16(r.kind));
            table->Post();
        }
    }

    void OpenQuery()
    {
        auto* conn = Create<TADOConnection>(form.get());
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=dropdowns;Data Source=%1;Create Catalog=True")
                .arg(dir.path()));
        conn->Open();
        conn->Execute(QStringLiteral("CREATE TABLE dd_t(Code int PRIMARY KEY, Name varchar(20), Sum float, "
                                     "Kind varchar(5), Stamp datetime, Note varchar(40))"));
        conn->Execute(QStringLiteral("INSERT INTO dd_t(Code, Name, Sum, Kind) VALUES (1, N'Альфа', 10.5, 'A')"));
        conn->Execute(QStringLiteral("INSERT INTO dd_t(Code, Name, Sum, Kind) VALUES (2, N'Бета', 20, 'B')"));
        conn->Execute(QStringLiteral("INSERT INTO dd_t(Code, Name, Sum, Kind) VALUES (3, N'Гамма', NULL, 'A')"));
        auto* query = Create<TADOQuery>(form.get());
        query->SetConnection(conn);
        query->SQL()->Add(QStringLiteral("SELECT Code, Name, Sum, Kind, Stamp, Note FROM dd_t ORDER BY Code"));
        query->Open();
        table = query;
    }

    TAxisBarEh* AddBar(const QString& field)
    {
        TAxisBarEh* bar = grid->AxisBars()->Add();
        bar->SetFieldName(field);
        return bar;
    }

    TField* Field(const QString& n) { return table->FieldByName(n); }

    // The editor shown on the bar's cell of the current record, with the focus.
    TDBAxisGridInplaceEdit* EditorOn(TAxisBarEh* bar)
    {
        grid->SetSelectedIndex(bar->Index());
        grid->SetFocus();
        grid->SetEditorMode(true);
        grid->ShowEditor();
        PumpGrid();
        auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor());
        if (editor)
            editor->UpdateContents();
        return editor;
    }

    TEditButtonControlEh* MainButton(TDBAxisGridInplaceEdit* editor)
    {
        return editor->ButtonsBox()->ButtonsCount() > 0 ? editor->ButtonsBox()->BtnCtlLine(0).EditButtonControl
                                                        : nullptr;
    }

    void Press(TWinControl* W, TPoint P)
    {
        W->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(P.X), WORD(P.Y)));
    }
    void Release(TWinControl* W, TPoint P) { W->Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(P.X), WORD(P.Y))); }
};

// ============================================================================================
// Pick lists
// ============================================================================================

TEST_P(DropDownGrid, PickListOffersOnlyItemsThatHaveAKeyAndIsAsHighAsItsRows)
{
    kind->PickList()->SetText(QStringLiteral("Аванс\nБезнал\nВзаимозачёт\nГарантия\nДолг\nЕщё\nЖ\nЗ\nИ\nК"));
    kind->KeyList()->SetText(QStringLiteral("A\nB\nC\nD"));
    TDBAxisGridInplaceEdit* editor = EditorOn(kind);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditStyle(), esPickList);
    editor->DropDown();
    TPopupListboxEh* list = editor->PickList();
    ASSERT_TRUE(list && list->Visible());
    EXPECT_TRUE(editor->ListVisible());
    EXPECT_EQ(list->Items()->Count(), 4);
    EXPECT_EQ(list->Height(), 4 * list->ItemHeight() + list->GetBorderSize());
    EXPECT_GE(list->Width(), editor->Width());
    // The text "A" is the key of the first item, which is the one shown and chosen.
    TEditButtonControlEh* button = MainButton(editor);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->AlwaysDown());
    editor->CloseUp(false);
    EXPECT_FALSE(list->Visible());
    EXPECT_FALSE(button->AlwaysDown());
    EXPECT_FALSE(editor->DroppedDown());
}

// A click on an item takes it when the release lies inside the list; a release outside or the
// keyboard's Escape leaves the cell as it was.
TEST_P(DropDownGrid, PickListClosesWithAndWithoutTakingTheItem)
{
    struct Case {
        const char* how;
        bool accepted;
    } cases[] = {{"click on the item", true}, {"release outside", false}, {"escape", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        table->First();
        name->PickList()->SetText(QStringLiteral("Альфа\nБета\nГамма\nДельта"));
        TDBAxisGridInplaceEdit* editor = EditorOn(name);
        ASSERT_NE(editor, nullptr);
        editor->DropDown();
        TPopupListboxEh* list = editor->PickList();
        ASSERT_TRUE(list && list->Visible());
        EXPECT_EQ(list->ItemIndex(), 0);   // "Альфа", the cell's text
        const TPoint onDelta(10, list->ItemHeight() * 3 + list->ItemHeight() / 2);
        if (std::string(c.how) == "click on the item") {
            MouseClick(list, onDelta);
        } else if (std::string(c.how) == "release outside") {
            list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(WORD(onDelta.X), WORD(onDelta.Y)));
            Press(list, onDelta);
            list->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(WORD(onDelta.X), WORD(-30)));
            Release(list, TPoint(onDelta.X, -30));
            if (list->Visible())
                SendKey(editor, Qt::Key_Escape);
        } else {
            list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(WORD(onDelta.X), WORD(onDelta.Y)));
            SendKey(editor, Qt::Key_Escape);
        }
        PumpGrid();
        EXPECT_FALSE(list->Visible());
        EXPECT_FALSE(editor->ListVisible());
        if (c.accepted) {
            EXPECT_EQ(editor->Text(), QStringLiteral("Дельта"));
            EXPECT_EQ(grid->EditText(), QStringLiteral("Дельта"));
            EXPECT_EQ(Field(QStringLiteral("Name"))->AsString(), QStringLiteral("Дельта"));
        } else {
            EXPECT_EQ(editor->Text(), QStringLiteral("Альфа"));
            EXPECT_EQ(Field(QStringLiteral("Name"))->AsString(), QStringLiteral("Альфа"));
        }
        if (table->State() != dsBrowse)
            table->Cancel();
        grid->HideEditor();
    }
}

TEST_P(DropDownGrid, KeyAndPickListWritesTheKeyOfTheChosenItem)
{
    kind->PickList()->SetText(QStringLiteral("Аванс\nБезнал\nВзаимозачёт"));
    kind->KeyList()->SetText(QStringLiteral("A\nB\nC"));
    TDBAxisGridInplaceEdit* editor = EditorOn(kind);
    ASSERT_NE(editor, nullptr);
    editor->DropDown();
    TPopupListboxEh* list = editor->PickList();
    ASSERT_TRUE(list && list->Visible());
    MouseClick(list, TPoint(10, list->ItemHeight() * 2 + 2));
    EXPECT_EQ(editor->Text(), QStringLiteral("Взаимозачёт"));
    EXPECT_EQ(Field(QStringLiteral("Kind"))->AsString(), QStringLiteral("C"));
}

// The size the user gives the list with its grip opens it next time: rows are the whole items
// that fit in its client height.
TEST_P(DropDownGrid, PickListResizedByItsGripKeepsTheNewRowsAndWidth)
{
    name->PickList()->SetText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"));
    TDBAxisGridInplaceEdit* editor = EditorOn(name);
    ASSERT_NE(editor, nullptr);
    editor->DropDown();
    TPopupListboxEh* list = editor->PickList();
    ASSERT_TRUE(list && list->Visible());
    EXPECT_EQ(list->Height(), 7 * list->ItemHeight() + list->GetBorderSize());
    EXPECT_FALSE(list->SizeGripResized());
    // What the grip does: the window is made larger.
    list->SetBounds(list->Left(), list->Top(), list->Width() + 40, list->Height() + list->ItemHeight() * 3 + 5);
    ASSERT_TRUE(list->SizeGripResized());
    const int expectedRows = list->ClientHeight() / list->ItemHeight();
    const int expectedWidth = list->Width();
    editor->CloseUp(false);
    EXPECT_EQ(int(name->DropDownRows()), expectedRows);
    EXPECT_EQ(name->DropDownWidth(), expectedWidth);
    editor->DropDown();
    EXPECT_EQ(list->Width(), expectedWidth);
    EXPECT_FALSE(list->SizeGripResized());
    editor->CloseUp(false);
}

// ============================================================================================
// The calendar
// ============================================================================================

// The day is chosen with a click in the calendar; the time of day the field holds stays.
TEST_P(DropDownGrid, CalendarTakesTheClickedDayAndKeepsTheTimeOfDay)
{
    struct Case {
        int row;
        TDateTime expected;
    } cases[] = {
        {1, EncodeDate(2026, 12, 20) + EncodeTime(14, 30, 0, 0)},
        {2, EncodeDate(2026, 12, 20)},   // a field without value: midnight
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        table->First();
        table->MoveBy(c.row - 1);
        TDBAxisGridInplaceEdit* editor = EditorOn(stamp);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(IsCalendarEditStyle(editor->EditStyle()));
        editor->DropDown();
        TPopupMonthCalendarEh* cal = editor->PopupMonthCalendar();
        ASSERT_TRUE(cal && cal->Visible());
        if (c.row == 1)
            EXPECT_EQ(cal->Date(), EncodeDate(2026, 12, 11));
        else
            cal->SetDate(EncodeDate(2026, 12, 1));
        const TRect day = cal->DayRect(EncodeDate(2026, 12, 20));
        ASSERT_FALSE(IsRectEmpty(day));
        MouseClick(cal, TPoint((day.Left + day.Right) / 2, (day.Top + day.Bottom) / 2));
        PumpGrid();
        EXPECT_FALSE(cal->Visible());
        EXPECT_FALSE(editor->ListVisible());
        TField* f = Field(QStringLiteral("Stamp"));
        ASSERT_FALSE(f->IsNull());
        EXPECT_DOUBLE_EQ(f->AsDateTime(), c.expected);
        if (table->State() != dsBrowse)
            table->Post();
        grid->HideEditor();
    }
}

TEST_P(DropDownGrid, CalendarClosedWithEscapeChangesNothing)
{
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(stamp);
    ASSERT_NE(editor, nullptr);
    editor->DropDown();
    TPopupMonthCalendarEh* cal = editor->PopupMonthCalendar();
    ASSERT_TRUE(cal && cal->Visible());
    cal->SetDate(EncodeDate(2027, 1, 5));
    SendKey(editor, Qt::Key_Escape);
    PumpGrid();
    EXPECT_FALSE(cal->Visible());
    EXPECT_DOUBLE_EQ(Field(QStringLiteral("Stamp"))->AsDateTime(), EncodeDate(2026, 12, 11) + EncodeTime(14, 30, 0, 0));
}

// ============================================================================================
// The calculator
// ============================================================================================

TEST_P(DropDownGrid, CalculatorWritesANumberAndNothingElse)
{
    sum->SetButtonStyle(cbsDropDown);
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(sum);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(IsDropDownEditStyle(editor->EditStyle()));
    editor->DropDown();
    auto* calc = dynamic_cast<TPopupCalculatorEh*>(editor->ActiveList());
    ASSERT_TRUE(calc && calc->Visible());
    EXPECT_DOUBLE_EQ(calc->GetValue().AsDouble(), 10.5);
    calc->SetValue(Variant(12.25));
    editor->CloseUp(true);
    EXPECT_FALSE(calc->Visible());
    EXPECT_DOUBLE_EQ(Field(QStringLiteral("Sum"))->AsFloat(), 12.25);

    // A division by zero leaves no number: the cell keeps what it had.
    editor->DropDown();
    ASSERT_TRUE(calc->Visible());
    SendKey(calc, Qt::Key_Slash, Qt::NoModifier, QStringLiteral("/"));
    SendKey(calc, Qt::Key_0, Qt::NoModifier, QStringLiteral("0"));
    SendKey(calc, Qt::Key_Equal, Qt::NoModifier, QStringLiteral("="));
    ASSERT_FALSE(IsNumberVariantForTest(calc->GetValue()));
    editor->CloseUp(true);
    EXPECT_DOUBLE_EQ(Field(QStringLiteral("Sum"))->AsFloat(), 12.25);

    // Closed without taking the value.
    editor->DropDown();
    calc->SetValue(Variant(99.0));
    editor->CloseUp(false);
    EXPECT_DOUBLE_EQ(Field(QStringLiteral("Sum"))->AsFloat(), 12.25);
}

// The caret leaves the cell while the calculator takes the keys and comes back however the
// calculator closes; a pick list keeps it. Opening and closing again must not pile hidings up.
TEST_P(DropDownGrid, CaretIsHiddenWhileTheCalculatorIsOpen)
{
    sum->SetButtonStyle(cbsDropDown);
    kind->PickList()->SetText(QStringLiteral("A\nB"));
    struct Case {
        const char* what;
        bool calculator;
        bool escapeInList;
    } cases[] = {{"calculator, Alt+Down again", true, false},
                 {"calculator, Escape in it", true, true},
                 {"pick list, Alt+Down again", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table->First();
        TDBAxisGridInplaceEdit* editor = EditorOn(c.calculator ? sum : kind);
        ASSERT_NE(editor, nullptr);
        for (int round = 0; round < 2; ++round) {
            editor->SetSelStart(0);
            editor->SetSelLength(2);
            SendKey(editor, Qt::Key_Down, Qt::AltModifier);
            PumpGrid();
            ASSERT_TRUE(editor->ListVisible());
            EXPECT_EQ(editor->CaretHideCount(), c.calculator ? 1 : 0);
            if (c.calculator) {
                EXPECT_EQ(editor->SelLength(), 0);
            }
            if (c.escapeInList) {
                SendKey(editor->ActiveList(), Qt::Key_Escape);
            } else {
                SendKey(editor, Qt::Key_Down, Qt::AltModifier);
            }
            PumpGrid();
            EXPECT_FALSE(editor->ListVisible());
            EXPECT_EQ(editor->CaretHideCount(), 0);
        }
        if (table->State() != dsBrowse)
            table->Cancel();
        grid->HideEditor();
    }
}

// Refreshing the editor keeps its open list open, and a closing request made meanwhile does
// not close it; the lock is left as it was found.
TEST_P(DropDownGrid, RefreshingTheEditorKeepsAnOpenListOpen)
{
    name->PickList()->SetText(QStringLiteral("Альфа\nБета\nДельта"));
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(name);
    ASSERT_NE(editor, nullptr);
    SendKey(editor, Qt::Key_Down, Qt::AltModifier);
    TPopupListboxEh* list = editor->PickList();
    ASSERT_TRUE(list && list->Visible());

    grid->InvalidateEditor();
    EXPECT_TRUE(list->Visible());
    EXPECT_TRUE(editor->ListVisible());
    EXPECT_FALSE(editor->LockCloseList());

    editor->SetLockCloseList(true);
    editor->CloseUp(false);
    EXPECT_TRUE(list->Visible());
    grid->InvalidateEditor();
    EXPECT_TRUE(editor->LockCloseList());
    editor->SetLockCloseList(false);

    // Closing afterwards still works and takes the item.
    MouseClick(list, TPoint(10, list->ItemHeight() + 2));
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(Field(QStringLiteral("Name"))->AsString(), QStringLiteral("Бета"));
}

// ============================================================================================
// Drop-down forms
// ============================================================================================

class DropDownFormGrid : public DropDownGrid {
public:
    TValuesFormEh* ddForm = nullptr;
    void SetUp() override
    {
        DropDownGrid::SetUp();
        ddForm = Create<TValuesFormEh>(form.get());
        ddForm->SetBounds(0, 0, 200, 120);
        note->DropDownFormParams()->SetDropDownForm(ddForm);
    }
    TDBAxisGridInplaceEdit* OpenForm()
    {
        table->First();
        TDBAxisGridInplaceEdit* editor = EditorOn(note);
        if (!editor)
            return nullptr;
        bool handled = false;
        editor->ShowDropDownForm(nullptr, MainButton(editor), handled);
        EXPECT_TRUE(handled);
        return editor;
    }
};

// The form gets the bar's field under its name; what it returns under that name is written,
// not the first value it returns; a value it does not return leaves the field alone.
TEST_P(DropDownFormGrid, WriteBackTakesTheValueNamedAfterTheField)
{
    struct Case {
        TDropDownPassParamsEh pass;
        std::vector<std::pair<QString, Variant>> returned;
        QString expected;
    } cases[] = {
        {pspFieldValueEh, {{"Note", Variant(QStringLiteral("оплачено"))}}, QStringLiteral("оплачено")},
        {pspRecordValuesEh,
         {{"Code", Variant(77)}, {"Name", Variant(QStringLiteral("X"))}, {"Note", Variant(QStringLiteral("сверено"))}},
         QStringLiteral("сверено")},
        {pspRecordValuesEh, {{"Code", Variant(77)}}, QStringLiteral("было")},   // nothing under the field's name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.pass));
        table->First();
        table->Edit();
        Field(QStringLiteral("Note"))->SetAsString(QStringLiteral("было"));
        table->Post();
        note->DropDownFormParams()->SetPassParams(c.pass);
        ddForm->Returned = c.returned;
        TDBAxisGridInplaceEdit* editor = OpenForm();
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(ddForm->Opened > 0, true);
        ASSERT_FALSE(ddForm->Given.empty());
        if (c.pass == pspFieldValueEh) {
            EXPECT_EQ(ddForm->Given.size(), 1u);
            EXPECT_EQ(ddForm->Given[0].first, QStringLiteral("Note"));
        }
        EXPECT_TRUE(MainButton(editor)->AlwaysDown());
        EXPECT_EQ(editor->FixedDownButton(), 0);
        ddForm->Accept();
        PumpGrid();
        EXPECT_FALSE(MainButton(editor)->AlwaysDown());
        EXPECT_EQ(table->State(), dsBrowse);   // the edit it began, it posted
        EXPECT_EQ(Field(QStringLiteral("Note"))->AsString(), c.expected);
        EXPECT_EQ(Field(QStringLiteral("Code"))->AsInteger(), 1);   // other values are not written
        grid->HideEditor();
    }
}

TEST_P(DropDownFormGrid, AssignBackFieldsSkipNamesTheFormDidNotReturn)
{
    note->DropDownFormParams()->SetPassParams(pspRecordValuesEh);
    note->DropDownFormParams()->SetAssignBackFieldNames(QStringLiteral("Name;Note"));
    ddForm->Returned = {{"Note", Variant(QStringLiteral("новое"))}};
    TDBAxisGridInplaceEdit* editor = OpenForm();
    ASSERT_NE(editor, nullptr);
    ddForm->Accept();
    PumpGrid();
    EXPECT_EQ(Field(QStringLiteral("Note"))->AsString(), QStringLiteral("новое"));
    EXPECT_EQ(Field(QStringLiteral("Name"))->AsString(), QStringLiteral("Альфа"));   // not nulled
}

TEST_P(DropDownFormGrid, ReadOnlyFieldAndCancelledFormWriteNothing)
{
    struct Case {
        bool readOnly;
        bool accept;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readOnly);
        Field(QStringLiteral("Note"))->SetReadOnly(c.readOnly);
        ddForm->Returned = {{"Note", Variant(QStringLiteral("нельзя"))}};
        TDBAxisGridInplaceEdit* editor = OpenForm();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(ddForm->GivenReadOnly, c.readOnly);
        if (c.accept)
            ddForm->Accept();
        else
            ddForm->Cancel();
        PumpGrid();
        EXPECT_EQ(Field(QStringLiteral("Note"))->AsString(), QString());
        EXPECT_EQ(table->State(), dsBrowse);
        grid->HideEditor();
    }
}

// The press that closes the form reaches the button while the close notice still waits: it
// must not open the form again. Once the notice is handled the button opens it as usual.
TEST_P(DropDownFormGrid, ThePressThatClosedTheFormDoesNotReopenIt)
{
    TDBAxisGridInplaceEdit* editor = OpenForm();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(ddForm->Opened, 1);
    ddForm->Cancel();
    TMsg msg{};
    ASSERT_TRUE(PeekMessage(msg, editor->Handle(), WM_AXISGRIDFORMCLOSED_EH, WM_AXISGRIDFORMCLOSED_EH, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(editor->Handle()));
    EXPECT_EQ(msg.lParam, LPARAM(note));
    bool handled = false;
    editor->ShowDropDownForm(nullptr, MainButton(editor), handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(ddForm->Opened, 1);
    PumpGrid();
    handled = false;
    editor->ShowDropDownForm(nullptr, MainButton(editor), handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(ddForm->Opened, 2);
    ddForm->Cancel();
    PumpGrid();
}

// The close notice is a message of its own, apart from the other private messages the
// library posts or sends.
TEST(DropDownNotice, HasANumberNoOtherPrivateMessageUses)
{
    const UINT others[] = {WM_USER, WM_SIZEGRIPNOTIFY_EH, TPopupMonthCalendarEh::WM_CLOSEUP_ON_FOCUS_LOST,
                           CM_EDITIMAGECHANGEDEH, WM_DEFERREDLAYOUT_EH};
    for (UINT m : others)
        EXPECT_NE(WM_AXISGRIDFORMCLOSED_EH, m);
}

TEST_P(DropDownFormGrid, OpenEventMayReplaceTheFormAndCloseEventHearsTheOutcome)
{
    auto* other = Create<TValuesFormEh>(form.get());
    other->SetBounds(0, 0, 150, 100);
    std::vector<bool> closes;
    note->OnOpenDropDownForm = [&](TCustomDBAxisGridEh* g, TAxisBarEh* bar, TEditButtonEh* button, TCustomForm*& f,
                                   TDynVarsEh*) {
        EXPECT_EQ(g, grid);
        EXPECT_EQ(bar, note);
        EXPECT_EQ(button, nullptr);
        f = other;
    };
    note->OnCloseDropDownForm = [&](TCustomDBAxisGridEh*, TAxisBarEh*, TEditButtonEh*, bool accept, TCustomForm* f,
                                    TDynVarsEh*) {
        EXPECT_EQ(f, other);
        closes.push_back(accept);
    };
    other->Returned = {{"Note", Variant(QStringLiteral("из другой формы"))}};
    TDBAxisGridInplaceEdit* editor = OpenForm();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(ddForm->Opened, 0);
    EXPECT_EQ(other->Opened, 1);
    other->Accept();
    PumpGrid();
    EXPECT_EQ(closes, std::vector<bool>{true});
    EXPECT_EQ(Field(QStringLiteral("Note"))->AsString(), QStringLiteral("из другой формы"));
}

TEST_P(DropDownFormGrid, UnregisteredFormClassIsAnErrorAndAFormWithoutTheInterfaceIsNotShown)
{
    note->DropDownFormParams()->SetDropDownForm(nullptr);
    note->DropDownFormParams()->SetDropDownFormClassName(QStringLiteral("TNoSuchFormEh"));
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(note);
    ASSERT_NE(editor, nullptr);
    bool handled = false;
    try {
        editor->ShowDropDownForm(nullptr, MainButton(editor), handled);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
    }
    EXPECT_FALSE(handled);

    auto* plain = Create<TForm>(form.get());
    note->DropDownFormParams()->SetDropDownFormClassName(QString());
    note->DropDownFormParams()->SetDropDownForm(plain);
    editor->ShowDropDownForm(nullptr, MainButton(editor), handled);
    EXPECT_FALSE(handled);
    EXPECT_FALSE(plain->Visible());
    EXPECT_FALSE(MainButton(editor)->AlwaysDown());
}

// ============================================================================================
// The list of recently used texts
// ============================================================================================

class MRUGrid : public DropDownGrid {
public:
    void SetUp() override
    {
        DropDownGrid::SetUp();
        note->MRUList()->SetActive(true);
        note->MRUList()->Items()->SetText(QStringLiteral("Альфа банк\nАльфа-Ком\nБета"));
    }
    TDBAxisGridInplaceEdit* editor = nullptr;
    // The note cell's editor showing "Аль" with its MRU list open.
    TMRUListboxEh* OpenOnAl()
    {
        table->First();
        editor = EditorOn(note);
        if (!editor)
            return nullptr;
        editor->SetText(QStringLiteral("Аль"));
        editor->ShowMRUList();
        return dynamic_cast<TMRUListboxEh*>(editor->GetMRUListControl());
    }
};

TEST_P(MRUGrid, ShowsTheTextsThatBeginWithTheEditorsTextAndTakesAClickedOne)
{
    TMRUListboxEh* box = OpenOnAl();
    ASSERT_TRUE(box && box->Visible());
    EXPECT_TRUE(note->MRUList()->DroppedDown());
    EXPECT_EQ(box->Items()->Count(), 2);
    EXPECT_EQ(box->ItemIndex(), -1);
    MouseClick(box, TPoint(10, box->ItemHeight() + box->ItemHeight() / 2));
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(note->MRUList()->DroppedDown());
    EXPECT_EQ(editor->Text(), QStringLiteral("Альфа-Ком"));
    EXPECT_EQ(grid->EditText(), QStringLiteral("Альфа-Ком"));
}

TEST_P(MRUGrid, ClosesWithoutTakingAndWhenNothingMatches)
{
    TMRUListboxEh* box = OpenOnAl();
    ASSERT_TRUE(box && box->Visible());
    box->SetItemIndex(0);
    editor->CloseMRUList(false);
    EXPECT_FALSE(box->Visible());
    EXPECT_EQ(editor->Text(), QStringLiteral("Аль"));

    editor->ShowMRUList();
    ASSERT_TRUE(box->Visible());
    editor->SetText(QStringLiteral("Я"));
    editor->ShowMRUList();   // refiltered to nothing: closed
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(note->MRUList()->DroppedDown());
}

TEST_P(MRUGrid, OpeningAListClosesTheMRUList)
{
    note->PickList()->SetText(QStringLiteral("Альфа\nБета"));
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(note);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditStyle(), esPickList);
    editor->SetText(QStringLiteral("Аль"));
    editor->ShowMRUList();
    auto* box = editor->GetMRUListControl();
    ASSERT_TRUE(box->Visible());
    editor->DropDown();
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(note->MRUList()->DroppedDown());
    EXPECT_TRUE(editor->ListVisible());
    editor->CloseUp(false);
}

// ============================================================================================
// The data list
// ============================================================================================

// A stand-in for the lookup list grid of the lookup controls: rows of 16 pixels, one per
// record of its list source; a release picks the row under it and closes through the editor.
class TFakeDataListEh : public TCustomControl, public ILookupListGridEh, public IAxisBarDataListEh {
public:
    explicit TFakeDataListEh(TComponent* AOwner) : TCustomControl(AOwner) {}
    static inline TFakeDataListEh* Last = nullptr;

    TSpecRowEh* Spec = nullptr;
    int Rows = 0;
    QString KeyFieldName, ListFieldName_;
    TDataSource* Source = nullptr;
    Variant Key;
    QString Selected;
    QString Highlight = QStringLiteral("<none>");
    int FitWidth = 60;
    bool GripResized = false;
    TDataListMouseCloseUpEventEh CloseUpEvent;

    // ILookupListGridEh
    TCustomControl* ListControl() override { return this; }
    TDBLookupGridEhOptions LookupOptions() const override { return {}; }
    void SetLookupOptions(TDBLookupGridEhOptions) override {}
    TGridAxisBarsEh* ListColumns() override { return nullptr; }
    TAxisBarDefValuesEh* ListColumnDefValues() override { return nullptr; }
    bool SortLocal() const override { return false; }
    void SetSortLocal(bool) override {}
    void SetListFieldName(const QString& Value) override { ListFieldName_ = Value; }
    void SetSpecRow(TSpecRowEh* Value) override { Spec = Value; }

    // IAxisBarDataListEh
    TSpecRowEh* SpecRow() override { return Spec; }
    int RowCount() override { return Rows; }
    void SetRowCount(int Value) override
    {
        Rows = Value;
        SetHeight(Value * 16);
    }
    void SetShowTitles(bool) override {}
    void SetKeyField(const QString& Value) override { KeyFieldName = Value; }
    int ListFieldIndex() override { return 0; }
    void SetListFieldIndex(int) override {}
    QString ListFieldName(int Index) override { return Index == 0 ? ListFieldName_ : QString(); }
    void SetAutoFitColWidths(bool) override {}
    void SetUseMultiTitle(bool) override {}
    void SetListSource(TDataSource* Value) override { Source = Value; }
    int GetColumnsWidthToFit() override { return FitWidth; }
    void SetSortMarkerStyle(int) override {}
    void SetSizeGripAlwaysShow(bool) override {}
    bool SizeGripResized() override { return GripResized; }
    void SetSizeGripResized(bool Value) override { GripResized = Value; }
    void SetCtl3D(bool) override {}
    void SetParentCtl3D(bool) override {}
    Variant KeyValue() override { return Key; }
    void SetKeyValue(const Variant& Value) override { Key = Value; }
    bool LocateKey() override { return !Key.IsNull() && !Selected.isEmpty(); }
    QString SelectedItem() override { return Selected; }
    void ResetHighlightSubstr(const QString& Text) override { Highlight = Text; }
    TRect DataRect() override { return ClientRect(); }
    void SetOnMouseCloseUp(const TDataListMouseCloseUpEventEh& Value) override { CloseUpEvent = Value; }
    void SetOnColumnMoved(const TDataListColumnMovedEventEh&) override {}
    void SetOnDrawMemoText(bool) override {}

protected:
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        TCustomControl::MouseUp(Button, Shift, X, Y);
        const bool inside = PtInRect(ClientRect(), TPoint(X, Y));
        if (inside && Source && Source->DataSet()) {
            TDataSet* ds = Source->DataSet();
            ds->First();
            ds->MoveBy(Y / 16);
            Key = ds->FieldByName(KeyFieldName)->Value();
            Selected = ds->FieldByName(ListFieldName_)->AsString();
        }
        if (CloseUpEvent)
            CloseUpEvent(this, inside);
    }
};

ILookupListGridEh* MakeFakeDataList()
{
    TFakeDataListEh::Last = Create<TFakeDataListEh>(nullptr);
    return TFakeDataListEh::Last;
}

// The kinds of payment as the list source of the Kind bar: Code is what the cell holds.
class DataListGrid : public DropDownGrid {
public:
    TMemTableEh* kinds = nullptr;
    TDataSource* kindsSource = nullptr;

    void SetUp() override
    {
        SetAxisBarDataListFactoryEh(&MakeFakeDataList);
        DropDownGrid::SetUp();
        kinds = Create<TMemTableEh>(form.get());
        kinds->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
        kinds->CreateDataSet();
        for (const char* k : {"A", "B", "C"}) {
            kinds->Append();
            kinds->FieldByName(QStringLiteral("Kind"))->SetAsString(QString::fromLatin1(k));
            kinds->Post();
        }
        kindsSource = Create<TDataSource>(form.get());
        kindsSource->SetDataSet(kinds);
        kind->DropDownBox()->SetListSource(kindsSource);
        kind->DropDownBox()->SetListFieldNames(QStringLiteral("Kind"));
    }
    void TearDown() override
    {
        DropDownGrid::TearDown();
        SetAxisBarDataListFactoryEh(nullptr);
    }
    TFakeDataListEh* List(TDBAxisGridInplaceEdit* editor) { return dynamic_cast<TFakeDataListEh*>(editor->DataList()); }
};

// As many rows as the list has records, up to the bar's rows; as wide as its columns, never
// narrower than the cell.
TEST_P(DataListGrid, OpensWithTheRowsItNeedsAndAtLeastTheCellsWidth)
{
    struct Case {
        unsigned rows;
        int width;
        int fit;
        int expectedRows;
    } cases[] = {{7, -1, 60, 3}, {2, -1, 300, 2}, {7, 0, 60, 3}, {7, 300, 60, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        kind->SetDropDownRows(c.rows);
        kind->SetDropDownWidth(c.width);
        TDBAxisGridInplaceEdit* editor = EditorOn(kind);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(IsLookupEditStyle(editor->EditStyle()));
        TFakeDataListEh* list = List(editor);
        ASSERT_NE(list, nullptr);
        list->FitWidth = c.fit;
        editor->DropDown();
        ASSERT_TRUE(list->Visible());
        EXPECT_EQ(list->RowCount(), c.expectedRows);
        EXPECT_EQ(list->KeyFieldName, QStringLiteral("Kind"));
        EXPECT_EQ(editor->LookupSource()->DataSet(), kinds);
        const int expectedWidth = c.width == -1 ? std::max(c.fit, editor->Width())
                                  : c.width < 1 ? editor->Width()
                                                : std::max(c.width, editor->Width());
        if (c.width == -1 && c.fit > editor->Width())
            EXPECT_EQ(list->ClientWidth(), c.fit);
        else
            EXPECT_EQ(list->Width(), expectedWidth);
        editor->CloseUp(false);
        EXPECT_FALSE(list->Visible());
        EXPECT_EQ(list->Source, nullptr);
        EXPECT_EQ(editor->LookupSource()->DataSet(), nullptr);
        grid->HideEditor();
    }
}

TEST_P(DataListGrid, AReleaseOnARowTakesItAndOneOutsideTakesNothing)
{
    table->First();
    TDBAxisGridInplaceEdit* editor = EditorOn(kind);
    ASSERT_NE(editor, nullptr);
    TFakeDataListEh* list = List(editor);
    ASSERT_NE(list, nullptr);
    editor->DropDown();
    ASSERT_TRUE(list->Visible());
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 200));
    list->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 200));   // below the rows: outside
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(Field(QStringLiteral("Kind"))->AsString(), QStringLiteral("A"));
    EXPECT_EQ(editor->Text(), QStringLiteral("A"));

    editor->DropDown();
    ASSERT_TRUE(list->Visible());
    MouseClick(list, TPoint(5, 2 * 16 + 3));
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(editor->Text(), QStringLiteral("C"));
    EXPECT_EQ(Field(QStringLiteral("Kind"))->AsString(), QStringLiteral("C"));
}

// A filter the typed text put on the list source is gone when the list closes, whichever way.
TEST_P(DataListGrid, AutoFilterHighlightsTheTextAndIsRemovedWhenTheListCloses)
{
    kind->DropDownBox()->SetListSourceAutoFilter(true);
    kind->DropDownBox()->SetListSourceAutoFilterType(lsftContainsEh);
    for (bool accept : {false, true}) {
        SCOPED_TRACE(accept);
        TDBAxisGridInplaceEdit* editor = EditorOn(kind);
        ASSERT_NE(editor, nullptr);
        TFakeDataListEh* list = List(editor);
        ASSERT_NE(list, nullptr);
        editor->DropDown();
        editor->ApplyListAutoFilter(QStringLiteral("B"));
        EXPECT_EQ(list->Highlight, QStringLiteral("B"));
        EXPECT_TRUE(kinds->Filtered());
        EXPECT_FALSE(kinds->Filter().isEmpty());
        editor->CloseUp(accept);
        EXPECT_TRUE(kinds->Filter().isEmpty());
        EXPECT_EQ(list->Highlight, QString());
        grid->HideEditor();
    }
}

const auto kRegimes = ::testing::Values(false, true);
auto RegimeName = [](const ::testing::TestParamInfo<bool>& info) {
    return std::string(info.param ? "AdoQuery" : "MemTable");
};
INSTANTIATE_TEST_SUITE_P(Regimes, DropDownGrid, kRegimes, RegimeName);
INSTANTIATE_TEST_SUITE_P(Regimes, DropDownFormGrid, kRegimes, RegimeName);
INSTANTIATE_TEST_SUITE_P(Regimes, MRUGrid, kRegimes, RegimeName);
INSTANTIATE_TEST_SUITE_P(Regimes, DataListGrid, kRegimes, RegimeName);

}  // namespace
