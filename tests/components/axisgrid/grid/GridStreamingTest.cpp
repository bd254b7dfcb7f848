// The grid's bars in its component stream: written only when the application made them.
#include "support/AxisGridFixtures.h"

#include "platform/rtl/Filer.h"

using namespace testsupport;

namespace {

class GridStreaming : public AxisGridOverMemTable {};

TEST_F(GridStreaming, DefaultBarsAreNotWritten)
{
    ASSERT_EQ(grid->AxisBars()->State(), csDefault);
    EXPECT_FALSE(ComponentToText(grid).contains(QStringLiteral("Columns")));
}

TEST_F(GridStreaming, CustomizedBarsAreWrittenInOrder)
{
    grid->BeginLayout();
    grid->AxisBars()->Clear();
    grid->AxisBars()->Add()->SetFieldName(QStringLiteral("Name"));
    grid->AxisBars()->Add()->SetFieldName(QStringLiteral("Code"));
    grid->EndLayout();
    const QString text = ComponentToText(grid);
    const qsizetype columns = text.indexOf(QStringLiteral("Columns = <"));
    const qsizetype name = text.indexOf(QStringLiteral("FieldName = 'Name'"));
    const qsizetype code = text.indexOf(QStringLiteral("FieldName = 'Code'"));
    ASSERT_GE(columns, 0) << text.toStdString();
    EXPECT_GT(name, columns);
    EXPECT_GT(code, name);
}

}  // namespace
