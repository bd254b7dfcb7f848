// A stored column collection: each column writes its properties in the column's own order
// (not its base bar's first), and a stored text reads back and writes the same text.
#include "ColumnsFixtures.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"

using namespace testsupport;

namespace {

QString AsText(TDBGridColumnsEh* columns)
{
    TBytesStream saved;
    columns->SaveToStream(&saved);
    TBytesStream in(saved.Bytes());
    TBytesStream out;
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(out.Bytes());
}

void LoadText(TDBGridColumnsEh* columns, const QString& text)
{
    TBytesStream in(text.toUtf8());
    TBytesStream binary;
    ObjectTextToBinary(&in, &binary);
    binary.SetPosition(0);
    columns->LoadFromStream(&binary);
}

// The property names of the item that holds "FieldName = 'Sum'", as they stand in the text.
QStringList PropertiesOfSum(const QString& text)
{
    QStringList item, names;
    bool inItem = false, isSum = false;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("item")) {
            inItem = true;
            isSum = false;
            item.clear();
        } else if (inItem && line.startsWith(QLatin1String("end"))) {
            inItem = false;
            if (isSum)
                names = item;
        } else if (inItem && line.contains(QLatin1String(" = "))) {
            item << line.section(QLatin1String(" = "), 0, 0);
            isSum = isSum || line == QLatin1String("FieldName = 'Sum'");
        }
    }
    return names;
}

}  // namespace

TEST_F(ColumnsOverMemTable, AColumnStreamsInItsOwnOrderAndReadsBackToTheSameText)
{
    TColumnEh* sum = Col("Sum");
    ASSERT_NE(sum, nullptr);
    sum->SetInRowLinePos(1);
    sum->SetWidth(90);
    sum->Title()->SetOrientation(tohVertical);
    sum->Title()->SetTitleButton(true);
    sum->Title()->SetCaption(QStringLiteral("Сумма"));
    sum->SetMaxWidth(200);
    sum->Footer()->SetValueType(fvtSum);
    sum->SetAutoFitColWidth(false);
    sum->SetAlignment(taCenter);
    sum->SetVisible(false);

    const QString text = AsText(grid->Cols());
    QStringList top;
    for (const QString& name : PropertiesOfSum(text)) {
        const QString head = name.section(u'.', 0, 0);
        if (top.isEmpty() || top.last() != head)
            top << head;
    }
    // The bar's own properties (Alignment, FieldName, Title, Visible) and the column's
    // (AutoFitColWidth, Footer, MaxWidth, Width) interleave; the row panel values come last.
    const QStringList expected = {"Alignment", "AutoFitColWidth", "FieldName", "Footer", "MaxWidth",
                                  "Title", "Visible", "Width", "InRowLinePos"};
    EXPECT_EQ(top, expected) << qPrintable(text);

    QStringList title;
    for (const QString& name : PropertiesOfSum(text))
        if (name.startsWith(QLatin1String("Title.")))
            title << name;
    const QStringList expectedTitle = {"Title.Caption", "Title.TitleButton", "Title.Orientation"};
    EXPECT_EQ(title, expectedTitle);

    // Read into a grid whose columns were never touched, then written again.
    grid->Cols()->Clear();
    grid->Cols()->AddAllColumns(true);
    LoadText(grid->Cols(), text);
    TColumnEh* back = Col("Sum");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 90);
    EXPECT_EQ(back->Title()->Orientation(), tohVertical);
    EXPECT_EQ(back->InRowLinePos(), 1);
    EXPECT_EQ(AsText(grid->Cols()), text);
}
