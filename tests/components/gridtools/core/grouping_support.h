// What the grouping suites share: a data grid over an in-memory table of partners and amounts,
// and a grouping of our own bound to the grid (not the grid's), fed the table's row events.
//
//   Partner (ftString 20)  Kind (ftString 5)  Amount (ftFloat)
#pragma once

#include "components/dbgrid/DBGridEh.h"
#include "components/gridtools/core/DBGridEhGrouping.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "support/AppEnvironment.h"
#include "support/GroupTreeFeed.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace groupingtest {

using testsupport::TTreeFeedEh;

class GroupingFixture : public ::testing::Test {
public:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TDBGridEh* grid = nullptr;
    TDataSource* src = nullptr;
    TMemTableEh* table = nullptr;
    TTreeFeedEh* feed = nullptr;
    std::unique_ptr<TGridDataGroupsEh> groups;

    void SetUp() override
    {
        form->SetBounds(0, 0, 600, 400);
        grid = Create<TDBGridEh>(form.get());
        grid->SetParent(form.get());
        src = Create<TDataSource>(form.get());
        table = Create<TMemTableEh>(form.get());
        table->FieldDefs()->Add(QStringLiteral("Partner"), ftString, 20);
        table->FieldDefs()->Add(QStringLiteral("Kind"), ftString, 5);
        table->FieldDefs()->Add(QStringLiteral("Amount"), ftFloat);
        table->CreateDataSet();
        src->SetDataSet(table);
        grid->SetDataSource(src);
        feed = Create<TTreeFeedEh>(form.get());
        table->RegisterEventReceiver(feed);
    }
    void TearDown() override
    {
        feed->Groups = nullptr;
        groups.reset();
        form.reset();
    }

    void AddRow(const Variant& partner, const Variant& kind = Variant::Null(), const Variant& amount = Variant::Null())
    {
        table->Append();
        table->FieldByName(QStringLiteral("Partner"))->SetValue(partner);
        table->FieldByName(QStringLiteral("Kind"))->SetValue(kind);
        table->FieldByName(QStringLiteral("Amount"))->SetValue(amount);
        table->Post();
    }

    TAxisBarEh* Column(const char* field) { return grid->FindFieldColumn(QString::fromUtf8(field)); }

    // A grouping of the grid, active, with a level per field; the tree built over the table.
    template <class Groups = TGridDataGroupsEh>
    void Group(std::initializer_list<const char*> fields, bool expanded = true)
    {
        groups = CreateUnique<Groups>(grid);
        groups->SetDefaultStateExpanded(expanded);
        for (const char* f : fields)
            groups->GroupLevels()->Add()->SetColumn(Column(f));
        groups->SetActive(true);
        Rebuild();
        feed->Groups = groups.get();
    }
    TGridGroupDataTreeEh* Tree() { return groups->GroupDataTree(); }
    void Rebuild() { Tree()->RebuildDataTreeEx(grid->IntMemTable()); }
    TGridDataGroupLevelEh* Level(int i) { return groups->GroupLevels()->Items(i); }

    // The group node of that key path, nullptr when there is none.
    TGroupDataTreeNodeEh* GroupNode(std::initializer_list<const char*> path)
    {
        TGroupDataTreeNodeEh* node = Tree()->Root();
        for (const char* k : path) {
            TGroupDataTreeNodeEh* found = nullptr;
            for (int i = 0; i < node->Count(); ++i)
                if (node->GetDataItem(i)->NodeType() == dntDataGroupEh && node->GetDataItem(i)->DisplayValue() == QString::fromUtf8(k))
                    found = node->GetDataItem(i);
            if (!found)
                return nullptr;
            node = found;
        }
        return node;
    }

    // The flat list: "G:<key>" group rows, "R<row>" records, "F" footer rows.
    std::string Flat()
    {
        std::string s;
        for (TGroupDataTreeNodeEh* n : Tree()->FlatVisibleList()) {
            if (!s.empty())
                s += ' ';
            switch (n->NodeType()) {
            case dntDataGroupEh: s += "G:" + n->DisplayValue().toStdString(); break;
            case dntDataSetRecordEh: s += "R" + std::to_string(n->DataSetRecordViewNo()); break;
            case dntDataGroupFooterEh: s += "F"; break;
            }
        }
        return s;
    }

    // The whole tree, collapsed parts too: "{A: R1 R3} {B: R0}"; footers are left out.
    static std::string Shape(TGroupDataTreeNodeEh* node)
    {
        std::string s;
        for (int i = 0; i < node->Count(); ++i) {
            TGroupDataTreeNodeEh* c = node->GetDataItem(i);
            if (!s.empty())
                s += ' ';
            if (c->NodeType() == dntDataGroupEh)
                s += "{" + c->DisplayValue().toStdString() + ": " + Shape(c) + "}";
            else
                s += "R" + std::to_string(c->DataSetRecordViewNo());
        }
        return s;
    }
    std::string Shape() { return Shape(Tree()->Root()); }

    // The shape a fresh build gives for the table as it is now.
    std::string FreshShape()
    {
        auto fresh = CreateUnique<TGridDataGroupsEh>(grid);
        for (int i = 0; i < groups->GroupLevels()->Count(); ++i) {
            TGridDataGroupLevelEh* l = fresh->GroupLevels()->Add();
            l->SetColumn(Level(i)->Column());
            l->SetSortOrder(Level(i)->SortOrder());
        }
        fresh->GroupDataTree()->RebuildDataTreeEx(grid->IntMemTable());
        return Shape(fresh->GroupDataTree()->Root());
    }
};

}  // namespace groupingtest
