// Group footers: the values of every footer node, their texts, the application's hooks, and
// the footer items matched to the grid's columns.
#include "grouping_support.h"

#include "components/axisgrid/DBAxisGridsEh_Collections.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/SysUtils.h"

#include <functional>

using namespace groupingtest;

namespace {

QString Dec(const char* text)
{
    return QString::fromUtf8(text).replace(u'.', FormatSettings.DecimalSeparator);
}

class GroupFooters : public GroupingFixture {
public:
    // Index of the grid column of a field; footer item i belongs to grid column i.
    int Col(const char* field) { return Column(field)->Index(); }

    TGridDataGroupFooterEh* AddFooter(TGridDataGroupFootersEh* footers, const char* field, TGroupFooterValueTypeEh type)
    {
        TGridDataGroupFooterEh* f = footers->Add();
        f->SetVisible(true);
        f->ColumnItems()->Items(Col(field))->SetValueType(type);
        return f;
    }
    TGridDataGroupFooterColumnItemEh* Item(TGridDataGroupFooterEh* footer, const char* field)
    {
        return footer->ColumnItems()->Items(Col(field));
    }
    Variant Value(std::initializer_list<const char*> group, int footer, const char* field)
    {
        TGroupDataTreeNodeEh* node = group.size() ? GroupNode(group) : Tree()->Root();
        return node->GetFooterItem(footer)->FooterValue().at(size_t(Col(field)));
    }
    QString Text(std::initializer_list<const char*> group, int footer, const char* field)
    {
        TGroupDataTreeNodeEh* node = group.size() ? GroupNode(group) : Tree()->Root();
        TGroupDataTreeNodeEh* f = node->GetFooterItem(footer);
        TGridDataGroupFooterColumnItemEh* item = Item(f->DataGroupFooter(), field);
        return item->ConvertToDisplayText(item->AggrValue(f));
    }
};

TEST_F(GroupFooters, EachValueTypeOverAGroupWithNullsAndAnAllNullGroup)
{
    AddRow("A", "k", 10.5);
    AddRow("A", Variant::Null(), Variant::Null());
    AddRow("A", "m", 2.0);
    AddRow("B", Variant::Null(), Variant::Null());
    Group({"Partner"});
    struct Case {
        TGroupFooterValueTypeEh type;
        const char* textA;
        const char* textB;
    };
    const Case cases[] = {
        {gfvSumEh, "12.5", ""},          {gfvAvgEh, "6.25", ""},          {gfvCountEh, "2", "0"},
        {gfvMaxEh, "10.5", ""},          {gfvMinEh, "2", ""},             {gfvStaticTextEh, "StaticText", "StaticText"},
        {gfvCustomEh, "Custom", "Custom"},
    };
    TGridDataGroupFooterEh* footer = AddFooter(groups->Footers(), "Amount", gfvNonEh);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        Item(footer, "Amount")->SetValueType(c.type);
        EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec(c.textA));
        EXPECT_EQ(Text({"B"}, 0, "Amount"), Dec(c.textB));
    }
    // A count over a text column counts its non-empty values.
    Item(footer, "Kind")->SetValueType(gfvCountEh);
    EXPECT_EQ(Value({"A"}, 0, "Kind").AsInteger(), 2);
    EXPECT_TRUE(Value({"A"}, 0, "Partner").IsNull() || VarToStr(Value({"A"}, 0, "Partner")).isEmpty());
}

TEST_F(GroupFooters, TextsTakeFormatsAndFunctionNames)
{
    AddRow("A", "k", 1.0);
    AddRow("A", "k", Variant::Null());
    AddRow("A", "k", 2.0);
    Group({"Partner"});
    TGridDataGroupFooterEh* footer = AddFooter(groups->Footers(), "Amount", gfvAvgEh);
    TGridDataGroupFooterColumnItemEh* item = Item(footer, "Amount");
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 1.5);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("1.5"));
    // The column's format is not for averages; the item's own is.
    item->Column()->SetDisplayFormat(QStringLiteral("0.000"));
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("1.5"));
    item->SetValueType(gfvSumEh);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("3.000"));
    item->SetDisplayFormat(QStringLiteral("0.0"));
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("3.0"));

    // The function name from the grouping's default, unless the footer or item has its own.
    groups->FootersDefValues()->SetShowFunctionName(true);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), "Sum = " + Dec("3.0"));
    item->SetValueType(gfvAvgEh);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), "Avg = " + Dec("1.5"));
    item->SetShowFunctionName(false);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("1.5"));
    item->SetValueType(gfvStaticTextEh);
    item->SetShowFunctionNameStored(false);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), "StaticText");
}

TEST_F(GroupFooters, RootTotalsHiddenFootersAndTheFooterInTheGroupRow)
{
    AddRow("A", "x", 1.0);
    AddRow("B", "x", 2.0);
    AddRow("B", "y", 4.0);
    Group({"Partner", "Kind"});
    AddFooter(groups->Footers(), "Amount", gfvSumEh);
    TGridDataGroupFooterEh* hidden = AddFooter(groups->Footers(), "Amount", gfvCountEh);
    hidden->SetVisible(false);
    EXPECT_EQ(Value({}, 0, "Amount").AsDouble(), 7.0);
    EXPECT_EQ(Value({"B"}, 0, "Amount").AsDouble(), 6.0);
    EXPECT_EQ(Value({"B", "y"}, 0, "Amount").AsDouble(), 4.0);
    // Hidden: its node and values are there, its rows are not.
    EXPECT_EQ(Value({"B"}, 1, "Amount").AsInteger(), 2);
    EXPECT_EQ(Flat(), "G:A G:x R0 F F G:B G:x R1 F G:y R2 F F");

    Level(1)->SetFooterInGroupRow(true);
    EXPECT_EQ(Flat(), "G:A G:x R0 F G:B G:x R1 G:y R2 F");

    // An inner level with footers of its own.
    Level(1)->SetParentFooters(false);
    AddFooter(Level(1)->Footers(), "Amount", gfvMaxEh);
    AddFooter(Level(1)->Footers(), "Amount", gfvMinEh);
    EXPECT_EQ(GroupNode({"B", "x"})->FooterItemCount(), 2);
    EXPECT_EQ(Value({"B", "y"}, 1, "Amount").AsDouble(), 4.0);
    EXPECT_EQ(Tree()->Root()->FooterItemCount(), 2);
    EXPECT_EQ(Flat(), "G:A G:x R0 F F G:B G:x R1 F G:y R2 F F");
}

TEST_F(GroupFooters, ValuesFollowRowChanges)
{
    AddRow("A", "x", 1.0);
    AddRow("B", "x", 2.0);
    AddRow("B", "x", 4.0);
    Group({"Partner"});
    AddFooter(groups->Footers(), "Amount", gfvSumEh);
    table->SetRecNo(3);
    table->Edit();
    table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(10);
    table->Post();
    EXPECT_EQ(Value({"B"}, 0, "Amount").AsDouble(), 12.0);
    table->Edit();
    table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("A"));
    table->Post();
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 11.0);
    EXPECT_EQ(Value({"B"}, 0, "Amount").AsDouble(), 2.0);
    table->First();
    table->Delete();
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 10.0);
    EXPECT_EQ(Value({}, 0, "Amount").AsDouble(), 12.0);
}

// A grouping that counts the records the tree reads for their row heights: a full footer pass
// reads every record, a single row's change reads at most that row.
class TCountingGroupsEh : public TGridDataGroupsEh {
public:
    using TGridDataGroupsEh::TGridDataGroupsEh;
    int RowsRead = 0;
    int GridDataRowHeight() override
    {
        ++RowsRead;
        return 0;
    }
};

class IncrementalFooters : public GroupFooters {
public:
    // Sum and count, average, maximum, minimum and a static text: one footer each.
    void DefineFooters(TGridDataGroupsEh* g)
    {
        TGridDataGroupFootersEh* footers = g->Footers();
        TGridDataGroupFooterEh* first = AddFooter(footers, "Amount", gfvSumEh);
        first->ColumnItems()->Items(Col("Kind"))->SetValueType(gfvCountEh);
        first->ColumnItems()->Items(Col("Partner"))->SetValueType(gfvStaticTextEh);
        for (TGroupFooterValueTypeEh t : {gfvAvgEh, gfvMaxEh, gfvMinEh})
            AddFooter(footers, "Amount", t);
    }
    // Every footer value of every group and of the root, with the groups' paths.
    static std::string Footers(TGroupDataTreeNodeEh* node, const std::string& path)
    {
        std::string s;
        for (int i = 0; i < node->FooterItemCount(); ++i) {
            s += path + "#" + std::to_string(i) + ":";
            for (const Variant& v : node->GetFooterItem(i)->FooterValue())
                s += (v.IsNull() ? std::string("null") : VarToStr(v).toStdString()) + ",";
            s += " ";
        }
        for (int i = 0; i < node->Count(); ++i)
            if (node->GetDataItem(i)->NodeType() == dntDataGroupEh)
                s += Footers(node->GetDataItem(i), path + "/" + node->GetDataItem(i)->DisplayValue().toStdString());
        return s;
    }
    // The values a fresh grouping computes over the table as it is now.
    std::string FreshFooters()
    {
        auto fresh = CreateUnique<TGridDataGroupsEh>(grid);
        for (int i = 0; i < groups->GroupLevels()->Count(); ++i)
            fresh->GroupLevels()->Add()->SetColumn(Level(i)->Column());
        fresh->SetActive(true);
        fresh->GroupDataTree()->RebuildDataTreeEx(grid->IntMemTable());
        DefineFooters(fresh.get());
        return Footers(fresh->GroupDataTree()->Root(), "");
    }
    void Set(int recNo, const char* field, const Variant& value)
    {
        table->SetRecNo(recNo);
        table->Edit();
        table->FieldByName(QString::fromUtf8(field))->SetValue(value);
        table->Post();
    }
};

TEST_F(IncrementalFooters, EachSingleRowStepGivesWhatAFreshPassGivesWithoutReadingTheOtherRows)
{
    AddRow("A", "x", 1.5);
    AddRow("A", "x", 4.0);
    AddRow("A", "y", Variant::Null());
    AddRow("B", "x", 2.25);
    AddRow("B", "y", 8.0);
    AddRow("C", "x", 3.0);
    Group<TCountingGroupsEh>({"Partner", "Kind"});
    DefineFooters(groups.get());
    auto* counting = static_cast<TCountingGroupsEh*>(groups.get());
    ASSERT_TRUE(Tree()->FootersIncremental());

    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"the maximum of its group gets smaller", [&] { Set(2, "Amount", Variant(0.5)); }},
        {"the only value of a group becomes null", [&] { Set(4, "Amount", Variant::Null()); }},
        {"a null becomes a value", [&] { Set(3, "Amount", Variant(6.0)); }},
        {"the minimum of the table goes up", [&] { Set(2, "Amount", Variant(9.75)); }},
        {"a record moves to another group", [&] { Set(1, "Partner", Variant("B")); }},
        {"the only record of a group moves to a new one", [&] { Set(6, "Partner", Variant("D")); }},
        {"an inner key changes", [&] { Set(5, "Kind", Variant("x")); }},
        {"a record is added to a group", [&] { AddRow("A", "y", 2.5); }},
        {"a record starts a new group", [&] { AddRow("E", "z", Variant::Null()); }},
        {"a record is inserted among the others",
         [&] {
             table->SetRecNo(2);
             table->Insert();
             table->FieldByName(QStringLiteral("Partner"))->SetAsString(QStringLiteral("A"));
             table->FieldByName(QStringLiteral("Kind"))->SetAsString(QStringLiteral("x"));
             table->FieldByName(QStringLiteral("Amount"))->SetAsFloat(0.25);
             table->Post();
         }},
        {"the maximum of a group is deleted",
         [&] {
             ASSERT_TRUE(table->Locate(QStringLiteral("Amount"), Variant(9.75), TLocateOptions()));
             table->Delete();
         }},
        {"the last record of a group is deleted",
         [&] {
             ASSERT_TRUE(table->Locate(QStringLiteral("Partner"), Variant("E"), TLocateOptions()));
             table->Delete();
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        counting->RowsRead = 0;
        step.run();
        // A new record is read twice: as the insert row, and as the posted record that replaces it.
        EXPECT_LE(counting->RowsRead, 2);
        EXPECT_TRUE(Tree()->FootersIncremental());
        // Fresh groupings of the grid make the table report a change of everything: the tree
        // under test must not hear of it, or every step would start from a full pass.
        feed->Groups = nullptr;
        EXPECT_EQ(Footers(Tree()->Root(), ""), FreshFooters());
        EXPECT_EQ(Shape(), FreshShape());
        feed->Groups = groups.get();
    }
    // What the footers show at the end, in the figures a user sees.
    EXPECT_EQ(Text({"A"}, 0, "Amount"), Dec("8.75"));
    EXPECT_EQ(Text({"B"}, 2, "Amount"), "8");
    EXPECT_EQ(Text({"B", "x"}, 1, "Amount"), Dec("4.75"));
    EXPECT_EQ(GroupNode({"B", "y"}), nullptr);
}

TEST_F(IncrementalFooters, DefinitionsChangedWhileTheGroupingRestsAreRecomputedOnTheNextChange)
{
    AddRow("A", "x", 1.0);
    AddRow("A", "x", 2.0);
    Group({"Partner"});
    DefineFooters(groups.get());
    groups->SetActive(false);
    Item(groups->Footers()->Items(0), "Amount")->SetValueType(gfvMaxEh);
    EXPECT_FALSE(Tree()->FootersIncremental());
    // The tree was not rebuilt: the change must not build on the old definitions.
    groups->SetActive(true);
    Set(2, "Amount", Variant(0.5));
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 1.0);
}

// A grouping whose application hooks take over the Amount column.
class THookedGroupsEh : public TGridDataGroupsEh {
public:
    using TGridDataGroupsEh::TGridDataGroupsEh;
    int Asked = 0;
    bool FooterValueHooksAssigned() const override { return true; }
    bool DataGroupFooterAggregateValue(TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh* Item, Variant& AValue,
                                       TGroupDataTreeNodeEh* Node) override
    {
        ++Asked;
        if (Item->FieldName() != QStringLiteral("Amount"))
            return false;
        AValue = Variant((AValue.IsEmpty() ? 0 : AValue.AsInteger()) + 100 + Node->DataSetRecordViewNo());
        return true;
    }
    bool DataGroupFooterFinalizeValue(TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh* Item, Variant& AValue) override
    {
        if (Item->FieldName() != QStringLiteral("Amount"))
            return false;
        AValue = AValue + Variant(1);
        return true;
    }
    bool DataGroupFooterToDisplayText(TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh* Item, Variant& AValue,
                                      QString& DisplayValue) override
    {
        if (Item->FieldName() != QStringLiteral("Amount"))
            return false;
        DisplayValue = QStringLiteral("<%1>").arg(VarToStr(AValue));
        return true;
    }
};

TEST_F(GroupFooters, ApplicationHooksReplaceTheBuiltInSteps)
{
    AddRow("A", "x", 1.0);
    AddRow("A", "y", 2.0);
    groups = CreateUnique<THookedGroupsEh>(grid);
    auto* hooked = static_cast<THookedGroupsEh*>(groups.get());
    groups->GroupLevels()->Add()->SetColumn(Column("Partner"));
    groups->SetActive(true);
    Rebuild();
    TGridDataGroupFooterEh* footer = AddFooter(groups->Footers(), "Amount", gfvSumEh);
    Item(footer, "Kind")->SetValueType(gfvCountEh);
    hooked->Asked = 0;
    Tree()->RecalculateFootersValues();
    // Two records, two footers each (group and root), two typed items: the untyped one is never asked.
    EXPECT_EQ(hooked->Asked, 8);
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsInteger(), 100 + 101 + 1);
    EXPECT_EQ(Text({"A"}, 0, "Amount"), "<202>");
    EXPECT_EQ(Value({"A"}, 0, "Kind").AsInteger(), 2);

    // Values the application makes are never taken back row by row: a new record asks again.
    feed->Groups = groups.get();
    AddRow("A", "x", 2.5);
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsInteger(), 100 + 101 + 102 + 1);
    EXPECT_FALSE(Tree()->FootersIncremental());
}

TEST_F(GroupFooters, TheDataGridReportsTheApplicationsFooterHooks)
{
    grid->AxisBars()->AddAllBars(true);
    TDBGridEhDataGroupsEh* g = grid->DataGrouping();
    EXPECT_FALSE(g->FooterValueHooksAssigned());
    auto* amount = static_cast<TColumnEh*>(Column("Amount"));
    amount->OnDataGroupFooterFinalizeValue = [](TCustomDBGridEh*, TColumnEh*, TGridDataGroupFooterEh*,
                                                 TGridDataGroupFooterColumnItemEh*, Variant&, bool&) {};
    EXPECT_TRUE(g->FooterValueHooksAssigned());
    amount->OnDataGroupFooterFinalizeValue = nullptr;
    grid->OnDataGroupFooterAggregateValue = [](TCustomDBGridEh*, TColumnEh*, TGridDataGroupFooterEh*,
                                                TGridDataGroupFooterColumnItemEh*, Variant&, TGroupDataTreeNodeEh*, bool&) {};
    EXPECT_TRUE(g->FooterValueHooksAssigned());
}

TEST_F(GroupFooters, ItemsFollowTheGridColumns)
{
    grid->AxisBars()->AddAllBars(true);
    AddRow("A", "x", 1.0);
    AddRow("A", "y", 2.0);
    Group({"Partner"});
    TGridDataGroupFooterEh* footer = AddFooter(groups->Footers(), "Amount", gfvSumEh);
    TAxisBarEh* amount = Column("Amount");
    ASSERT_EQ(footer->ColumnItems()->Count(), grid->AxisBars()->Count());
    for (int i = 0; i < grid->AxisBars()->Count(); ++i)
        EXPECT_EQ(footer->ColumnItems()->Items(i)->Column(), grid->AxisBars()->Items(i));

    groups->ColumnsLoaded();
    amount->SetIndex(0);
    groups->ColumnsChanged();
    EXPECT_EQ(footer->ColumnItems()->Items(0)->Column(), amount);
    EXPECT_EQ(footer->ColumnItems()->Items(0)->ValueType(), gfvSumEh);
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 3.0);

    grid->AxisBars()->Delete(1);
    groups->ColumnsChanged();
    EXPECT_EQ(footer->ColumnItems()->Count(), grid->AxisBars()->Count());
    EXPECT_EQ(footer->ColumnItems()->ItemIndexByColumn(amount), 0);
    EXPECT_EQ(Value({"A"}, 0, "Amount").AsDouble(), 3.0);
}

}  // namespace

// A component that publishes a grid-less grouping, as a form resource sets it.
class TGroupingHolderEh : public TComponent {
    DOV_PERSISTENT(TGroupingHolderEh, TComponent)
public:
    explicit TGroupingHolderEh(TComponent* AOwner) : TComponent(AOwner) {}
    void AfterConstruction() override
    {
        TComponent::AfterConstruction();
        FGroups.reset(Create<TGridDataGroupsEh>(nullptr));
    }
    TGridDataGroupsEh* DataGrouping() const { return FGroups.get(); }

private:
    std::unique_ptr<TGridDataGroupsEh> FGroups;
};

DOV_PUBLISHED(TGroupingHolderEh)
{
    P.Prop("DataGrouping", &TGroupingHolderEh::DataGrouping);
}

namespace {

TEST(GroupingStreaming, SettingsAreReadFromAFormResourceAndWrittenBack)
{
    const QByteArray text =
        "object Holder: TGroupingHolderEh\n"
        "  DataGrouping.Active = True\n"
        "  DataGrouping.GroupLevels = <\n"
        "    item\n"
        "      SortOrder = soDescEh\n"
        "    end>\n"
        "  DataGrouping.Footers = <\n"
        "    item\n"
        "      ColumnItems = <\n"
        "        item\n"
        "          ValueType = gfvSumEh\n"
        "        end\n"
        "        item\n"
        "          DisplayFormat = '#,##0.00'\n"
        "          ValueType = gfvCountEh\n"
        "        end>\n"
        "      Visible = True\n"
        "    end>\n"
        "  DataGrouping.GroupRowDefValues.FooterInGroupRow = True\n"
        "  DataGrouping.GroupRowDefValues.BottomLine.Color = 255\n"
        "  DataGrouping.FootersDefValues.ShowFunctionName = True\n"
        "end\n";
    auto holder = CreateUnique<TGroupingHolderEh>(nullptr);
    ReadComponentRes(text, holder.get());
    TGridDataGroupsEh* g = holder->DataGrouping();
    EXPECT_TRUE(g->Active());
    ASSERT_EQ(g->GroupLevels()->Count(), 1);
    EXPECT_EQ(g->GroupLevels()->Items(0)->SortOrder(), soDescEh);
    ASSERT_EQ(g->Footers()->Count(), 1);
    TGridDataGroupFooterEh* footer = g->Footers()->Items(0);
    EXPECT_TRUE(footer->Visible());
    ASSERT_EQ(footer->ColumnItems()->Count(), 2);
    EXPECT_EQ(footer->ColumnItems()->Items(0)->ValueType(), gfvSumEh);
    EXPECT_EQ(footer->ColumnItems()->Items(1)->DisplayFormat(), QStringLiteral("#,##0.00"));
    EXPECT_TRUE(g->GroupRowDefValues()->FooterInGroupRow());
    EXPECT_TRUE(g->GroupLevels()->Items(0)->FooterInGroupRow());
    EXPECT_EQ(g->GroupRowDefValues()->BottomLine()->Color(), clRed);
    EXPECT_TRUE(footer->ColumnItems()->Items(0)->ShowFunctionName());

    const QString written = ComponentToText(holder.get());
    auto again = CreateUnique<TGroupingHolderEh>(nullptr);
    ReadComponentRes(written.toUtf8(), again.get());
    EXPECT_EQ(ComponentToText(again.get()), written);
    EXPECT_TRUE(again->DataGrouping()->Active());
    EXPECT_EQ(again->DataGrouping()->GroupLevels()->Items(0)->SortOrder(), soDescEh);
    EXPECT_TRUE(again->DataGrouping()->GroupRowDefValues()->FooterInGroupRow());
}

}  // namespace
