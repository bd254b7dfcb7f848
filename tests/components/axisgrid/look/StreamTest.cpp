// Own appearance settings go through a saved bar collection; followed ones come back followed.
#include "LookFixture.h"

#include "platform/rtl/Streams.h"

namespace {

class LookStreamTest : public LookData {};

TEST_F(LookStreamTest, OwnSettingsSurviveSavingAndLoadingAndDefaultsStayFollowed)
{
    TLookGrid* grid = MakeGrid(nullptr);
    TLookBar* own = grid->AddBar(QStringLiteral("Name"));
    grid->AddBar(QStringLiteral("Id"));
    own->SetColor(clYellow);
    own->SetEndEllipsis(true);
    own->SetLayout(tlCenter);
    own->SetWordWrap(false);
    own->Font()->SetSize(15);
    own->Title()->SetCaption(QStringLiteral("Фамилия"));
    own->Title()->SetColor(clAqua);
    own->SetButtonStyle(cbsEllipsis);
    own->EditButtons()->Add()->SetWidth(20);
    own->DropDownBox()->SetListFieldNames(QStringLiteral("Name;Id"));
    own->DropDownBox()->SetListSourceAutoFilter(true);
    own->SetDropDownRows(11);
    own->SetDropDownWidth(250);

    TMemoryStream stream;
    grid->AxisBars()->SaveToStream(&stream);
    stream.SetPosition(0);

    TLookGrid* copy = MakeGrid(nullptr);
    copy->AxisBars()->LoadFromStream(&stream);
    ASSERT_EQ(copy->AxisBars()->Count(), 2);
    TAxisBarEh* a = copy->AxisBars()->Items(0);
    TAxisBarEh* b = copy->AxisBars()->Items(1);
    EXPECT_EQ(a->Color(), clYellow);
    EXPECT_TRUE(a->EndEllipsis());
    EXPECT_EQ(a->Layout(), tlCenter);
    EXPECT_TRUE(a->AssignedValues().Contains(cvWordWrap));
    EXPECT_FALSE(a->WordWrap());
    EXPECT_EQ(a->Font()->GetSize(), 15);
    EXPECT_EQ(a->Title()->Caption(), QStringLiteral("Фамилия"));
    EXPECT_EQ(a->Title()->Color(), clAqua);
    EXPECT_EQ(a->ButtonStyle(), cbsEllipsis);
    ASSERT_EQ(a->EditButtons()->Count(), 1);
    EXPECT_EQ(a->EditButtons()->Items(0)->Width(), 20);
    EXPECT_EQ(a->DropDownBox()->ListFieldNames(), QStringLiteral("Name;Id"));
    EXPECT_TRUE(a->DropDownBox()->ListSourceAutoFilter());
    EXPECT_EQ(a->DropDownRows(), 11u);
    EXPECT_EQ(a->DropDownWidth(), 250);

    // Flagged settings that followed the grid follow the new grid.
    for (TAxisBarEhValue v : {cvColor, cvFont, cvTitleCaption, cvTitleColor, cvTitleFont})
        EXPECT_FALSE(b->AssignedValues().Contains(v)) << GetEnumName(v).toStdString();
    EXPECT_EQ(b->ButtonStyle(), cbsAuto);
    copy->SetColor(clMoneyGreen);
    copy->Font()->SetSize(17);
    EXPECT_EQ(b->Color(), clMoneyGreen);
    EXPECT_EQ(b->Font()->GetSize(), 17);
    EXPECT_EQ(b->Title()->Caption(), QStringLiteral("Id"));
    EXPECT_EQ(a->Color(), clYellow);
    EXPECT_EQ(a->Font()->GetSize(), 15);
}

}
