// The data grid at the keyboard on a real X server: incremental search and its pause, Tab over
// editable columns, appending by Down, the cell editor opened, posted and dropped by keys, and
// an untouched new record left behind when the focus goes.
#include "support/XvfbEnvironment.h"

#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/winapi/WinUser.h"

#include "support/ScreenPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

using namespace testsupport;

namespace {

class GridKeys : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form;
    TDBGridEh* grid = nullptr;
    TMemTableEh* table = nullptr;
    TEdit* other = nullptr;

    void SetUp() override
    {
        if (!XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        form = CreateUnique<TForm>(nullptr);
        form->SetBounds(60, 320, 520, 260);
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
        table->CreateDataSet();
        const QStringList names{QStringLiteral("Петров"), QStringLiteral("Иванов"), QStringLiteral("Иваненко"),
                                QStringLiteral("Ёлкин")};
        for (int i = 0; i < names.size(); ++i)
            table->AppendRecord({Variant(i + 1), Variant(names[i]), Variant(10.0 * (i + 1)), Variant(QStringLiteral("A"))});
        table->First();
        auto* src = Create<TDataSource>(form.get());
        src->SetDataSet(table);
        grid = Create<TDBGridEh>(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(5, 5, 500, 200);
        grid->SetDataSource(src);
        other = Create<TEdit>(form.get());
        other->SetParent(form.get());
        other->SetBounds(5, 215, 200, 24);
        ShowAndFocus(form.get(), grid);
        grid->SetFocus();
        WaitEvents(50);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        WaitEvents(50);
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }
    // A key as the keyboard sends it, with its character when it has one.
    static void Key(Qt::Key K, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString())
    {
        QKeyEvent down(QEvent::KeyPress, K, Mods, Text);
        QApplication::sendEvent(Focus(), &down);
        QKeyEvent up(QEvent::KeyRelease, K, Mods, Text);
        QApplication::sendEvent(Focus(), &up);
        WaitEvents(10);
    }
    static void Type(const QString& Text)
    {
        for (QChar c : Text)
            Key(Qt::Key_unknown, Qt::NoModifier, QString(c));
    }
    QString CurrentName() { return table->FieldByName(QStringLiteral("Name"))->AsString(); }
    void SelectColumn(const QString& FieldName)
    {
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            if (grid->Columns()->Items(i)->FieldName() == FieldName)
                grid->SetSelectedIndex(i);
    }
    QString SelectedField() { return grid->Columns()->Items(grid->SelectedIndex())->FieldName(); }
};

TEST_F(GridKeys, TypingSearchesTakesTheFoundSpellingAndDropsWhatMatchesNothing)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghPreferIncSearch});
    SelectColumn(QStringLiteral("Name"));
    struct Step {
        QString typed;
        QString name;
        QString searchText;
    };
    const Step steps[] = {
        {QStringLiteral("и"), QStringLiteral("Иванов"), QStringLiteral("И")},
        {QStringLiteral("ВАНЕ"), QStringLiteral("Иваненко"), QStringLiteral("Иване")},
        {QStringLiteral("x"), QStringLiteral("Иваненко"), QStringLiteral("Иване")},
    };
    for (const Step& s : steps) {
        Type(s.typed);
        EXPECT_EQ(CurrentName(), s.name) << s.typed.toStdString();
        EXPECT_EQ(grid->InplaceSearchText(), s.searchText) << s.typed.toStdString();
        EXPECT_FALSE(grid->InplaceEditorVisible()) << "typing during a search opened the editor";
    }
    // Backspace shortens the search; Esc ends it and leaves the record.
    Key(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(grid->InplaceSearchText(), QStringLiteral("Иван"));
    Key(Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_FALSE(grid->InplaceSearching());
    EXPECT_EQ(CurrentName(), QStringLiteral("Иваненко"));

    // Lower-case ё finds the capital and the search takes its spelling.
    Type(QStringLiteral("ё"));
    EXPECT_EQ(CurrentName(), QStringLiteral("Ёлкин"));
    EXPECT_EQ(grid->InplaceSearchText(), QStringLiteral("Ё"));
}

TEST_F(GridKeys, EachTypedCharacterRestartsThePauseThatEndsTheSearch)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghPreferIncSearch});
    SelectColumn(QStringLiteral("Name"));
    Type(QStringLiteral("и"));
    ASSERT_TRUE(grid->InplaceSearching());
    EXPECT_EQ(grid->InplaceSearchTimeOut(), 1500);
    WaitEvents(1000);
    Type(QStringLiteral("в"));
    WaitEvents(1000);
    EXPECT_TRUE(grid->InplaceSearching()) << "the second character did not restart the pause";
    WaitEvents(900);
    EXPECT_FALSE(grid->InplaceSearching());
    EXPECT_TRUE(grid->InplaceSearchText().isEmpty());
}

TEST_F(GridKeys, CtrlFSearchesWithoutPauseUntilEnterAndCtrlEnterFindsTheNext)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghIncSearch});
    SelectColumn(QStringLiteral("Name"));
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(grid->InplaceSearching());
    EXPECT_FALSE(grid->InplaceSearchTimerActive());
    Type(QStringLiteral("ив"));
    EXPECT_EQ(CurrentName(), QStringLiteral("Иванов"));
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(CurrentName(), QStringLiteral("Иваненко"));
    Key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(CurrentName(), QStringLiteral("Иванов"));
    WaitEvents(1700);
    EXPECT_TRUE(grid->InplaceSearching()) << "a search started by Ctrl+F has no pause";
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_FALSE(grid->InplaceSearching());
}

TEST_F(GridKeys, AMoveTheSearchDidNotMakeEndsIt)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghPreferIncSearch});
    SelectColumn(QStringLiteral("Name"));
    Type(QStringLiteral("и"));
    ASSERT_TRUE(grid->InplaceSearching());
    Key(Qt::Key_Down);
    EXPECT_FALSE(grid->InplaceSearching());
    EXPECT_EQ(CurrentName(), QStringLiteral("Иваненко"));
}

TEST_F(GridKeys, TabSkipsReadOnlyAndHiddenColumnsAndWrapsToTheNextRecord)
{
    grid->SetOptions(grid->Options() | TDBGridOptions{dgTabs});
    grid->Columns()->Items(2)->SetReadOnly(true);  // Sum
    SelectColumn(QStringLiteral("Code"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(SelectedField(), QStringLiteral("Name"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(SelectedField(), QStringLiteral("Kind"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(SelectedField(), QStringLiteral("Code"));
    EXPECT_EQ(table->RecNo(), 2);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_EQ(SelectedField(), QStringLiteral("Code"));

    grid->Columns()->Items(3)->SetVisible(false);  // Kind
    SelectColumn(QStringLiteral("Name"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(SelectedField(), QStringLiteral("Code"));
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(GridKeys, EnterAsTabMovesLikeTab)
{
    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghEnterAsTab});
    SelectColumn(QStringLiteral("Kind"));
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(SelectedField(), QStringLiteral("Code"));
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(GridKeys, DownAtTheEndAppendsOnceAndUpDropsTheUntouchedRecord)
{
    table->Last();
    WaitEvents(20);
    Key(Qt::Key_Down);
    ASSERT_EQ(table->State(), dsInsert) << "Down on the last record appends";
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), dsInsert) << "Down on the untouched new record keeps it";
    Key(Qt::Key_Up);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_EQ(CurrentName(), QStringLiteral("Ёлкин"));

    // Without the append operation Down stops at the end.
    grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh});
    Key(Qt::Key_Down);
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(GridKeys, TheEditorOpensByF2PostsByEnterAndEscDropsTheText)
{
    SelectColumn(QStringLiteral("Name"));
    Key(Qt::Key_F2);
    ASSERT_TRUE(grid->InplaceEditorVisible());
    grid->InplaceEditor()->SetText(QStringLiteral("Сидоров"));
    grid->DataLink()->Edit();
    grid->DataLink()->Modified();
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(CurrentName(), QStringLiteral("Сидоров"));

    Key(Qt::Key_Down);
    Key(Qt::Key_F2);
    ASSERT_TRUE(grid->InplaceEditorVisible());
    grid->DataLink()->Edit();
    grid->InplaceEditor()->SetText(QStringLiteral("zzz"));
    grid->DataLink()->Modified();
    Key(Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_FALSE(grid->InplaceEditorVisible());
    table->Cancel();
    EXPECT_EQ(CurrentName(), QStringLiteral("Иванов"));
}

TEST_F(GridKeys, LeavingTheGridDropsAnUntouchedInsertOnlyWithCancelOnExit)
{
    for (bool cancelOnExit : {true, false}) {
        if (cancelOnExit)
            grid->SetOptions(grid->Options() | TDBGridOptions{dgCancelOnExit});
        else
            grid->SetOptions(grid->Options() - TDBGridOptions{dgCancelOnExit});
        ShowAndFocus(form.get(), grid);
        Key(Qt::Key_Insert);
        ASSERT_EQ(table->State(), dsInsert);
        other->SetFocus();
        WaitEvents(50);
        EXPECT_EQ(table->State(), cancelOnExit ? dsBrowse : dsInsert) << cancelOnExit;
        table->Cancel();
    }
}

TEST_F(GridKeys, AValueTheFieldRefusesOnExitKeepsTheFocusInTheGrid)
{
    TField* name = table->FieldByName(QStringLiteral("Name"));
    name->OnValidate = TFieldNotifyEvent([](TField* F) {
        if (F->AsString() == QStringLiteral("плохо"))
            throw Exception(QStringLiteral("Недопустимое имя"));
    });
    SelectColumn(QStringLiteral("Name"));
    Key(Qt::Key_F2);
    grid->InplaceEditor()->SetText(QString());
    Type(QStringLiteral("плохо"));
    other->SetFocus();
    WaitEvents(50);
    EXPECT_NE(Focus(), other->Widget()) << "the focus left a grid with a refused value";
    EXPECT_EQ(table->State(), dsEdit);
    table->Cancel();
}

}  // namespace
