// What the axis grid tests share: an axis grid on a form, over a small in-memory table or over
// an ADO query on an embedded SQLite catalog, with the same rows in both.
//
//   Code (ftInteger)  Name (ftString 20)  Sum (ftFloat)  Kind (ftString 5)
//   1                 "Альфа"             10.5           "A"
//   2                 "Бета"              20             "B"
//   3                 "Гамма"             (null)         "A"
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/axisgrid/DBAxisGridsEh_CellParams.h"
#include "components/axisgrid/DBAxisGridsEh_Collections.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"
#include "support/AppEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

// A bar with what a descendant must give it: cell parameters (here left as filled).
class TAxisBarProbeEh : public TAxisBarEh {
    DOV_PERSISTENT(TAxisBarProbeEh, TAxisBarEh)
public:
    explicit TAxisBarProbeEh(TCollection* Collection) : TAxisBarEh(Collection) {}
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
};

// Line parameters with what a descendant must give them: the classic colour scheme, all lines.
class TAxisLineParamsProbeEh : public TDBAxisGridLineParamsEh {
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override { return glcsClassicEh; }
};

// One source file of each test executable that uses these fixtures expands this once.
#define AXIS_GRID_FIXTURES_PUBLISHED \
    DOV_PUBLISHED(testsupport::TAxisBarProbeEh) {}

// The axis grid with what a descendant must give it (the selected bar) and counters of the
// rebuilds it makes, so tests see how often the layout was rebuilt.
class TAxisGridProbeEh : public TCustomDBAxisGridEh {
public:
    explicit TAxisGridProbeEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}

    int Selected = -1;
    int Layouts = 0;        // InternalLayout runs that rebuilt (not loading nor destroying)
    int LinkActiveCalls = 0;
    int CancelEditingCalls = 0;
    bool AlwaysShowEditor = false;
    bool ThrowInLayout = false;  // the next rebuild fails

    std::unique_ptr<TFont> Title = std::make_unique<TFont>();
    TFont* GetTitleFont() override { return Title.get(); }
    void SetTitleFont(TFont* Value) override { Title->Assign(Value); }

    TGridAxisBarsEh* CreateAxisBars() override
    {
        return Create<TGridAxisBarsEh>(this, TAxisBarProbeEh::StaticClassInfo());
    }

    QString GetAxisBarsPropertyName() override { return QStringLiteral("Columns"); }
    TGridLineColorsEh* CreateGridLineColors() override { return new TAxisLineParamsProbeEh(this); }

    int GetSelectedIndex() override { return Selected; }
    void SetSelectedIndex(int Value) override { Selected = Value; }
    bool IsAlwaysShowEditor() override { return AlwaysShowEditor; }
    void InternalLayout() override
    {
        if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
            ++Layouts;
        if (ThrowInLayout) {
            ThrowInLayout = false;
            throw Exception(QStringLiteral("rebuild failed"));
        }
        TCustomDBAxisGridEh::InternalLayout();
    }
    void LinkActive(bool Value) override
    {
        ++LinkActiveCalls;
        TCustomDBAxisGridEh::LinkActive(Value);
    }
    void CancelEditing() override
    {
        ++CancelEditingCalls;
        TCustomDBAxisGridEh::CancelEditing();
    }
};

// Lets the posted events run.
inline void PumpGrid()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Whether a deferred layout request waits in the queue of the grid's window.
inline bool DeferredLayoutQueued(TWinControl* Grid)
{
    TMsg msg{};
    return Grid->HandleAllocated() &&
           PeekMessage(msg, Grid->Handle(), WM_DEFERREDLAYOUT_EH, WM_DEFERREDLAYOUT_EH, PM_NOREMOVE);
}

// How many deferred layout requests wait for the grid (taken off the queue to count them,
// then posted again in the same order).
inline int DeferredLayoutsQueued(TWinControl* Grid)
{
    if (!Grid->HandleAllocated())
        return 0;
    std::vector<TMsg> taken;
    TMsg msg{};
    while (PeekMessage(msg, Grid->Handle(), WM_DEFERREDLAYOUT_EH, WM_DEFERREDLAYOUT_EH, PM_REMOVE))
        taken.push_back(msg);
    for (const TMsg& m : taken)
        PostMessage(Grid->Handle(), m.message, m.wParam, m.lParam);
    return int(taken.size());
}

// A form with an axis grid whose window exists (not yet bound). The form is not shown, so no
// painting runs; a test that needs it shows the form itself.
class AxisGridOnForm : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TAxisGridProbeEh* grid = nullptr;
    TDataSource* src = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 500, 300);
        grid = Create<TAxisGridProbeEh>(form.get());
        grid->SetName(QStringLiteral("Grid"));
        grid->SetParent(form.get());
        grid->SetBounds(5, 5, 480, 280);
        src = Create<TDataSource>(form.get());
        grid->Handle();
        PumpGrid();
    }
    void TearDown() override { form.reset(); }

    void Bind(TDataSet* ds)
    {
        src->SetDataSet(ds);
        grid->SetDataSource(src);
    }
};

// The rows above in a TMemTableEh owned by the form.
class AxisGridOverMemTable : public AxisGridOnForm {
public:
    TMemTableEh* table = nullptr;

    void SetUp() override
    {
        AxisGridOnForm::SetUp();
        table = Create<TMemTableEh>(form.get());
        table->SetName(QStringLiteral("Table"));
        table->FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
        table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        table->FieldDefs()->Add(QStringLiteral("Sum"), ftFloat);
        table->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
        table->CreateDataSet();
        AddRow(table, 1, QStringLiteral("Альфа"), Variant(10.5), QStringLiteral("A"));
        AddRow(table, 2, QStringLiteral("Бета"), Variant(20.0), QStringLiteral("B"));
        AddRow(table, 3, QStringLiteral("Гамма"), Variant::Null(), QStringLiteral("A"));
        table->First();
        Bind(table);
    }
    TDataSet* DataSet() { return table; }

    static void AddRow(TDataSet* ds, int code, const QString& name, const Variant& sum, const QString& kind)
    {
        ds->Append();
        ds->FieldByName(QStringLiteral("Code"))->SetAsInteger(code);
        ds->FieldByName(QStringLiteral("Name"))->SetAsString(name);
        ds->FieldByName(QStringLiteral("Sum"))->SetValue(sum);
        ds->FieldByName(QStringLiteral("Kind"))->SetAsString(kind);
        ds->Post();
    }
};

// The same rows in a table of an embedded SQLite catalog, read through an ADO query.
class AxisGridOverAdoQuery : public AxisGridOnForm {
public:
    QTemporaryDir dir;
    TADOConnection* conn = nullptr;
    TADOQuery* query = nullptr;

    void SetUp() override
    {
        AxisGridOnForm::SetUp();
        conn = Create<TADOConnection>(form.get());
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=axisgrid;Data Source=%1;Create Catalog=True")
                .arg(dir.path()));
        conn->Open();
        conn->Execute(QStringLiteral("CREATE TABLE rows_t(Code int PRIMARY KEY, Name varchar(20), Sum float, Kind varchar(5))"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (1, N'Альфа', 10.5, 'A')"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (2, N'Бета', 20, 'B')"));
        conn->Execute(QStringLiteral("INSERT INTO rows_t VALUES (3, N'Гамма', NULL, 'A')"));
        query = Create<TADOQuery>(form.get());
        query->SetName(QStringLiteral("Query"));
        query->SetConnection(conn);
        query->SQL()->Add(QStringLiteral("SELECT Code, Name, Sum, Kind FROM rows_t ORDER BY Code"));
        query->Open();
        Bind(query);
    }
    void TearDown() override
    {
        AxisGridOnForm::TearDown();
    }
    TDataSet* DataSet() { return query; }
};

}  // namespace testsupport
