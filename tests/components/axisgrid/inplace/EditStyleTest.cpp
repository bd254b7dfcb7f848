// Which edit style a cell gets from its bar's button style, field and lists, and what the shown
// editor makes of it.
#include "InplaceFixture.h"

#include <QRegularExpression>
#include <functional>

namespace {

struct TStyleCase {
    const char* Name;
    int BarIndex;   // 0 Name, 1 Made, 2 Kind, 3 KindId
    TCellButtonStyleEh ButtonStyle;
    std::function<void(TAxisBarEh*, TDataSet* Kinds, TDataSource* KindsSource)> Setup;
    TEditStyle Expected;
};

void PickList(TAxisBarEh* Bar, TDataSet*, TDataSource*)
{
    Bar->PickList()->Add(QStringLiteral("Metal"));
    Bar->PickList()->Add(QStringLiteral("Wood"));
}
void ReadOnlyBar(TAxisBarEh* Bar, TDataSet*, TDataSource*) { Bar->SetReadOnly(true); }
void Nothing(TAxisBarEh*, TDataSet*, TDataSource*) {}
void Lookup(TAxisBarEh* Bar, TDataSet* Kinds, TDataSource*)
{
    Bar->LookupParams()->SetKeyFieldNames(QStringLiteral("KindId"));
    Bar->LookupParams()->SetLookupDataSet(Kinds);
    Bar->LookupParams()->SetLookupKeyFieldNames(QStringLiteral("Code"));
    Bar->LookupParams()->SetLookupDisplayFieldName(QStringLiteral("Title"));
}
void ListSource(TAxisBarEh* Bar, TDataSet*, TDataSource* KindsSource)
{
    Bar->DropDownBox()->SetListSource(KindsSource);
    Bar->DropDownBox()->SetListFieldNames(QStringLiteral("Title"));
}

const TStyleCase kCases[] = {
    {"plain text, auto", 0, cbsAuto, Nothing, esSimple},
    {"pick list, auto", 2, cbsAuto, PickList, esPickList},
    {"read-only pick list, auto", 2, cbsAuto, [](TAxisBarEh* b, TDataSet* k, TDataSource* s) { PickList(b, k, s); ReadOnlyBar(b, k, s); }, esSimple},
    {"date, auto", 1, cbsAuto, Nothing, esDateCalendar},
    {"read-only date, auto", 1, cbsAuto, ReadOnlyBar, esSimple},
    {"read-only date, alt drop-down", 1, cbsAltDropDown, ReadOnlyBar, esAltCalendar},
    {"ellipsis", 0, cbsEllipsis, Nothing, esEllipsis},
    {"none, even with a pick list", 2, cbsNone, PickList, esSimple},
    {"up-down", 0, cbsUpDown, Nothing, esUpDown},
    {"alt up-down", 0, cbsAltUpDown, Nothing, esAltUpDown},
    {"drop-down on text", 0, cbsDropDown, Nothing, esDropDown},
    {"drop-down on a pick list", 2, cbsDropDown, PickList, esPickList},
    {"alt drop-down on a pick list", 2, cbsAltDropDown, PickList, esAltPickList},
    {"alt drop-down on text", 0, cbsAltDropDown, Nothing, esAltDropDown},
    {"lookup, auto", 3, cbsAuto, Lookup, esLookupDataList},
    {"lookup, alt drop-down", 3, cbsAltDropDown, Lookup, esAltLookupDataList},
    {"list source, auto", 0, cbsAuto, ListSource, esDataList},
    {"list source, alt drop-down", 0, cbsAltDropDown, ListSource, esAltDataList},
};

class EditStyleTest : public InplaceData, public ::testing::WithParamInterface<TStyleCase> {
protected:
    void SetUp() override
    {
        InplaceData::SetUp();
        MakeData(TDataKind::MemTable);
        MakeGrid({QStringLiteral("Name"), QStringLiteral("Made"), QStringLiteral("Kind"), QStringLiteral("KindId")});
        kindsSource = Create<TDataSource>(&owner);
        kindsSource->SetDataSet(kinds);
    }
    TDataSource* kindsSource = nullptr;
};

}  // namespace

TEST_P(EditStyleTest, BarGivesStyleAndTheShownEditorUsesIt)
{
    const TStyleCase& c = GetParam();
    TAxisBarEh* bar = Bar(c.BarIndex);
    c.Setup(bar, kinds, kindsSource);
    bar->SetButtonStyle(c.ButtonStyle);
    EXPECT_EQ(GetAxisBarEditStyle(bar), c.Expected);
    TDBAxisGridInplaceEdit* e = EditBar(c.BarIndex);
    ASSERT_NE(e, nullptr);
    if (bar->ReadOnly())
        return;   // a read-only cell shows no editor of its own
    EXPECT_EQ(e->EditStyle(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Bars, EditStyleTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TStyleCase>& i) {
                             QString n = QString::fromLatin1(i.param.Name);
                             n.replace(QRegularExpression(QStringLiteral("[^A-Za-z]+")), QStringLiteral("_"));
                             return n.toStdString();
                         });

TEST(EditStyleGroups, ListStylesRouteKeysAndAltStylesActLikeTheirPlainOnes)
{
    const std::pair<TEditStyle, TEditStyle> pairs[] = {{esPickList, esAltPickList},
                                                       {esLookupDataList, esAltLookupDataList},
                                                       {esDateCalendar, esAltCalendar},
                                                       {esDataList, esAltDataList}};
    for (auto [plain, alt] : pairs) {
        EXPECT_TRUE(IsListEditStyle(plain));
        EXPECT_EQ(IsListEditStyle(alt), IsListEditStyle(plain));
        EXPECT_EQ(IsLookupEditStyle(alt), IsLookupEditStyle(plain));
    }
    EXPECT_FALSE(IsListEditStyle(esUpDown));
    EXPECT_FALSE(IsListEditStyle(esDropDown));
    EXPECT_TRUE(IsUpDownEditStyle(esAltUpDown));
    EXPECT_TRUE(IsDropDownEditStyle(esAltDropDown));
    EXPECT_EQ(GetAxisBarEditStyle(nullptr), esSimple);
}

namespace {
class EditorLayoutTest : public InplaceTest {};
}

// The buttons sit at the right edge, as wide as they are, and the text stops before them.
TEST_P(EditorLayoutTest, ButtonsTakeTheRightEdgeAndTheTextRectangleStopsBeforeThem)
{
    MakeGrid({QStringLiteral("Name"), QStringLiteral("Kind")});
    Bar(1)->PickList()->Add(QStringLiteral("Metal"));
    auto* extra = static_cast<TEditButtonEh*>(Bar(1)->EditButtons()->Add());
    extra->SetVisible(true);
    extra->SetStyle(ebsEllipsisEh);
    TDBAxisGridInplaceEdit* e = EditBar(1);
    ASSERT_NE(e, nullptr);
    TEditButtonsBoxEh* box = e->ButtonsBox();
    ASSERT_TRUE(box->Visible());
    EXPECT_EQ(box->ButtonsCount(), 2);
    EXPECT_EQ(box->Left() + box->Width(), e->Width());
    EXPECT_EQ(box->Height(), e->Height());
    TRect r;
    e->GetEditTextRect(r);
    EXPECT_EQ(r.Left, 3);
    EXPECT_EQ(r.Right, e->Width() - 2 - box->Width());
    // The default action belongs to the main button only.
    EXPECT_TRUE(Bar(1)->EditButton()->DefaultAction());
    EXPECT_FALSE(extra->DefaultAction());

    // A cell without buttons hides the box and gives the text the whole width.
    TDBAxisGridInplaceEdit* plain = EditBar(0);
    EXPECT_FALSE(plain->ButtonsBox()->Visible());
    plain->GetEditTextRect(r);
    EXPECT_EQ(r.Right, plain->Width() - 2);
    EXPECT_EQ(plain->EditStyle(), esSimple);
}

// An extra button takes the default action when the main one has a click handler.
TEST_P(EditorLayoutTest, DefaultActionGoesToTheFirstExtraButtonWithoutHandlers)
{
    MakeGrid({QStringLiteral("Kind")});
    Bar(0)->PickList()->Add(QStringLiteral("Metal"));
    Bar(0)->OnEditButtonClick = TButtonClickEventEh([](TObject*, bool&) {});
    auto* withHandler = static_cast<TEditButtonEh*>(Bar(0)->EditButtons()->Add());
    withHandler->SetVisible(true);
    withHandler->SetOnClick(TButtonClickEventEh([](TObject*, bool&) {}));
    auto* free = static_cast<TEditButtonEh*>(Bar(0)->EditButtons()->Add());
    free->SetVisible(true);
    auto* second = static_cast<TEditButtonEh*>(Bar(0)->EditButtons()->Add());
    second->SetVisible(true);
    TDBAxisGridInplaceEdit* e = EditBar(0);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(Bar(0)->EditButton()->DefaultAction());
    EXPECT_FALSE(withHandler->DefaultAction());
    EXPECT_TRUE(free->DefaultAction());
    EXPECT_FALSE(second->DefaultAction());
}

INSTANTIATE_TEST_SUITE_P(Data, EditorLayoutTest, ::testing::Values(TDataKind::MemTable, TDataKind::Query), DataKindName);
