// An axis grid on a shown form over a small table of goods, held either by an in-memory table
// or by an ADO query on a SQLite catalog; one grid row shows the current record, one column per
// bar, and the in-place editor is driven by real key and mouse events.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/axisgrid/DBAxisGridsEh_CellParams.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/ado/query/QueryFixture.h"
#include "support/AppEnvironment.h"
#include "support/DialogScript.h"
#include "support/EditorFixtures.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

// A bar whose cell parameters no application event changes (the data grid's column fires its
// events here).
class TInplaceTestBar : public TAxisBarEh {
    DOV_PERSISTENT(TInplaceTestBar, TAxisBarEh)
public:
    explicit TInplaceTestBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) override
    {
        if (OnCellParams)
            OnCellParams(EditMode, Params);
    }
    // Two lines of the test font fit from 30 pixels on; no canvas needed.
    bool CurLineWordWrap(int RowHeight) override { return WordWrap() && RowHeight >= 30; }
    std::function<void(bool, TAxisColCellParamsEh*)> OnCellParams;
};

// The data grid's part the editor needs: the selected bar is the current column, and the
// editor may change data when the grid's data checks allow it.
class TInplaceTestGrid : public TCustomDBAxisGridEh {
public:
    explicit TInplaceTestGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}
    TFont* GetTitleFont() override { return &FTitle; }
    TGridAxisBarsEh* CreateAxisBars() override
    {
        return Create<TGridAxisBarsEh>(this, TInplaceTestBar::StaticClassInfo());
    }
    void SetTitleFont(TFont* Value) override { FTitle.Assign(Value); }
    int GetSelectedIndex() override { return Col() - FixedColCount(); }
    void SetSelectedIndex(int Value) override { SetCol(Value + FixedColCount()); }
    bool CanEditModify() override { return CanEditModifyData(); }
    QString GetEditText(int, int) override
    {
        TAxisBarEh* bar = SelectedIndex() >= 0 && SelectedIndex() < AxisBars()->Count()
                              ? AxisBars()->Items(SelectedIndex())
                              : nullptr;
        return bar ? bar->GetInplaceEditText() : QString();
    }
    QString GetEditMask(int, int) override { return QString(); }
    // As the data grid does: a changed value of the edited field reloads the editor.
    void RecordChanged(TField* Field) override
    {
        TCustomDBAxisGridEh::RecordChanged(Field);
        if (Field && Field == SelectedField() && EditorMode() && InplaceEditor() && InplaceEditor()->Visible() &&
            !InplaceEditor()->Modified)
            InvalidateEditor();
    }
    void EditButtonClick() override
    {
        ++GridButtonClicks;
        TCustomDBAxisGridEh::EditButtonClick();
    }
    void SetFlatForTest(bool Value) { SetFlat(Value); }

    TAxisBarEh* AddBar(const QString& FieldName)
    {
        TAxisBarEh* bar = AxisBars()->Add();
        bar->SetFieldName(FieldName);
        return bar;
    }

    int GridButtonClicks = 0;

private:
    TFont FTitle;
};

enum class TDataKind { MemTable, Query };

inline std::string DataKindName(const ::testing::TestParamInfo<TDataKind>& Info)
{
    return Info.param == TDataKind::MemTable ? "MemTable" : "Query";
}

// Goods: Id integer, Name text(20), Qty integer, Price float, Kind text(10), Made date,
// KindId integer (a key into Kinds: Code integer, Title text). Three goods, three kinds.
class InplaceData : public QueryTest {
protected:
    // An error box nobody expected fails the test instead of waiting.
    testsupport::TDialogScript dialogs;
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TDataSet* goods = nullptr;
    TDataSet* kinds = nullptr;
    TDataSource* source = nullptr;
    TInplaceTestGrid* grid = nullptr;

    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        form.reset();
    }

    void MakeData(TDataKind Kind)
    {
        if (Kind == TDataKind::MemTable) {
            auto* t = Create<TMemTableEh>(&owner);
            t->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
            t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
            t->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
            t->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 10);
            t->FieldDefs()->Add(QStringLiteral("Made"), ftDate);
            t->FieldDefs()->Add(QStringLiteral("KindId"), ftInteger);
            t->CreateDataSet();
            t->AppendRecord({Variant(1), Variant(QStringLiteral("Гвозди")), Variant(5), Variant(2.5),
                             Variant(QStringLiteral("Metal")), Variant::Null(), Variant(1)});
            t->AppendRecord({Variant(2), Variant(QStringLiteral("Доска")), Variant(3), Variant(10.0),
                             Variant(QStringLiteral("Wood")), Variant::Null(), Variant(2)});
            t->AppendRecord({Variant(3), Variant(QStringLiteral("Клей")), Variant::Null(), Variant(1.0),
                             Variant::Null(), Variant::Null(), Variant::Null()});
            t->First();
            goods = t;
            auto* k = Create<TMemTableEh>(&owner);
            k->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
            k->FieldDefs()->Add(QStringLiteral("Title"), ftString, 20);
            k->CreateDataSet();
            k->AppendRecord({Variant(1), Variant(QStringLiteral("Металл"))});
            k->AppendRecord({Variant(2), Variant(QStringLiteral("Дерево"))});
            k->AppendRecord({Variant(3), Variant(QStringLiteral("Мебель"))});
            k->First();
            kinds = k;
        } else {
            conn->Execute(QStringLiteral("CREATE TABLE goods(Id int PRIMARY KEY, Name varchar(20) NULL, Qty int NULL, "
                                         "Price float NULL, Kind varchar(10) NULL, Made datetime NULL, KindId int NULL)"));
            conn->Execute(QStringLiteral("INSERT INTO goods VALUES (1, 'Гвозди', 5, 2.5, 'Metal', NULL, 1)"));
            conn->Execute(QStringLiteral("INSERT INTO goods VALUES (2, 'Доска', 3, 10, 'Wood', NULL, 2)"));
            conn->Execute(QStringLiteral("INSERT INTO goods VALUES (3, 'Клей', NULL, 1, NULL, NULL, NULL)"));
            conn->Execute(QStringLiteral("CREATE TABLE kinds(Code int PRIMARY KEY, Title varchar(20) NULL)"));
            conn->Execute(QStringLiteral("INSERT INTO kinds VALUES (1, 'Металл')"));
            conn->Execute(QStringLiteral("INSERT INTO kinds VALUES (2, 'Дерево')"));
            conn->Execute(QStringLiteral("INSERT INTO kinds VALUES (3, 'Мебель')"));
            TADOQuery* q = Q(QStringLiteral("qGoods"),
                             {QStringLiteral("SELECT Id, Name, Qty, Price, Kind, Made, KindId FROM goods ORDER BY Id")});
            q->SetCursorType(ctStatic);
            q->SetLockType(ltOptimistic);
            q->Open();
            goods = q;
            TADOQuery* k = Q(QStringLiteral("qKinds"), {QStringLiteral("SELECT Code, Title FROM kinds ORDER BY Code")});
            k->SetCursorType(ctStatic);
            k->Open();
            kinds = k;
        }
    }

    // The grid on the shown form with the given bars; the editor is not shown yet.
    void MakeGrid(const QStringList& FieldNames)
    {
        form->SetBounds(0, 0, 700, 200);
        grid = Create<TInplaceTestGrid>(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(10, 10, 600, 60);
        source = Create<TDataSource>(&owner);
        source->SetDataSet(goods);
        grid->SetDataSourceProp(source);
        grid->SetFixedColCount(0);
        grid->SetFixedRowCount(0);
        for (const QString& f : FieldNames)
            grid->AddBar(f);
        // A bar added in code may leave the layout lock of its construction behind; the
        // editor is never shown under a held lock.
        while (grid->LayoutLock() > 0)
            grid->EndLayout();
        grid->SetRowCount(1);
        grid->SetColCount(grid->AxisBars()->Count());
        grid->SetDefaultColWidth(140);
        grid->SetDefaultRowHeight(22);
        TGridOptionsEh o = grid->Options();
        o.Include(goEditingEh);
        grid->SetOptions(o);
        testsupport::ShowActive(form.get());
        grid->SetFocus();
        testsupport::Pump();
    }

    // Shows the editor on a bar's cell and gives it the focus.
    TDBAxisGridInplaceEdit* EditBar(int Index)
    {
        grid->SetEditorMode(false);
        grid->SetSelectedIndexProp(Index);
        grid->SetEditorMode(true);
        testsupport::Pump();
        auto* e = dynamic_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor());
        if (e)
            e->SetFocus();
        testsupport::Pump();
        return e;
    }

    TAxisBarEh* Bar(int Index) { return grid->AxisBars()->Items(Index); }

    // Characters typed into the editor as key presses.
    static void Type(TWinControl* Editor, const QString& Text)
    {
        for (QChar c : Text)
            testsupport::Key(Editor, c.isLetter() ? int(c.toUpper().unicode()) : int(c.unicode()), Qt::NoModifier,
                             QString(c));
    }
    static void Press(TWinControl* Editor, int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                      const QString& Text = QString())
    {
        testsupport::Key(Editor, Key, Mods, Text);
    }
    static void Paste(TWinControl* Editor, const QString& Text)
    {
        QGuiApplication::clipboard()->setText(Text);
        testsupport::Key(Editor, Qt::Key_V, Qt::ControlModifier, QString(QChar(22)));
    }
    // A left click on a child control, in its own coordinates.
    static void Click(TWinControl* Control, int X, int Y)
    {
        QWidget* w = Control->Widget();
        const QPointF p(X, Y);
        QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
        testsupport::Pump();
    }
};

class InplaceTest : public InplaceData, public ::testing::WithParamInterface<TDataKind> {
protected:
    void SetUp() override
    {
        InplaceData::SetUp();
        MakeData(GetParam());
    }
};
