// The data grid under a change of screen density: fonts of its own, own column widths and the
// heights given in pixels follow M/D; what follows the grid's font is left to follow it.
#include "support/DBGridFixtures.h"

using namespace testsupport;

namespace {

class GridScaling : public DBGridOverMemTable {};

TEST_F(GridScaling, OwnFontsWidthsAndPixelHeightsFollowTheDensity)
{
    grid->SetParentFont(false);
    grid->Font()->SetSize(8);
    grid->FooterParams()->Font()->SetSize(10);
    grid->SetRowHeight(20);
    grid->TitleParams()->SetRowHeight(18);
    TDBGridColumnsEh* cols = grid->Columns();
    cols->BeginUpdate();
    cols->Clear();
    TColumnEh* code = cols->Add();
    TColumnEh* name = cols->Add();
    TColumnEh* sum = cols->Add();
    TColumnEh* kind = cols->Add();
    code->SetFieldName(QStringLiteral("Code"));
    name->SetFieldName(QStringLiteral("Name"));
    sum->SetFieldName(QStringLiteral("Sum"));
    kind->SetFieldName(QStringLiteral("Kind"));
    for (TColumnEh* c : {code, name, sum})
        c->SetWidth(33);
    name->SetMaxWidth(40);
    code->Footer()->Font()->SetSize(6);
    auto* second = static_cast<TColumnFooterEh*>(sum->Footers()->Add());
    second->Font()->SetSize(7);
    auto* plainFooter = static_cast<TColumnFooterEh*>(sum->Footers()->Add());
    cols->EndUpdate();
    TGridDataGroupsEh* groups = grid->DataGrouping();
    groups->SetParentFont(false);
    groups->Font()->SetSize(9);
    const int kindWidth = kind->Width();

    grid->ScaleBy(3, 2);

    struct {
        const char* what;
        int size;
        int expected;
    } fonts[] = {{"grid", grid->Font()->GetSize(), 12},
                 {"footer's own", grid->FooterFont()->GetSize(), 15},
                 {"column footer's own", code->Footer()->Font()->GetSize(), 9},
                 {"second footer row's own", second->Font()->GetSize(), 11},
                 {"footer following the grid", plainFooter->Font()->GetSize(), 15},
                 {"grouping's own", groups->Font()->GetSize(), 14}};
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.what);
        EXPECT_EQ(f.size, f.expected);
    }
    // 33 each is 49.5 each: running sums give 50, 49, 50, never 150 for a 99 that became 149
    EXPECT_EQ(code->Width(), 50);
    EXPECT_EQ(name->Width(), 49);
    EXPECT_EQ(sum->Width(), 50);
    EXPECT_EQ(name->MaxWidth(), 60);
    EXPECT_FALSE(kind->AssignedValues().Contains(cvWidth));
    EXPECT_GT(kind->Width(), kindWidth);   // its default width follows the larger font
    EXPECT_EQ(grid->RowHeight(), 30);
    EXPECT_EQ(grid->TitleParams()->RowHeight(), 27);
    EXPECT_EQ(grid->FooterParams()->RowHeight(), 0);
    grid->Repaint();

    grid->ScaleBy(4, 4);   // no change of density
    EXPECT_EQ(code->Width(), 50);
    EXPECT_EQ(grid->FooterFont()->GetSize(), 15);
}

}  // namespace
