#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/ExtCtrls.h"

using namespace vcltest;

namespace {

QStringList Cells(const QString& text)
{
    TStringList cells;
    ParseSpecRowCellsText(text, &cells);
    QStringList out;
    for (int i = 0; i < cells.Count(); ++i)
        out << cells.Strings(i);
    return out;
}

TEST(SpecRowCells, Parsing)
{
    struct Case {
        const char16_t* text;
        QStringList cells;
    } cases[] = {
        {u"\"a;b\";c", {"a;b", "c"}},
        {u"  x ;y", {"x ", "y"}},
        {u"a;;b", {"a", "", "b"}},
        {u"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {u"a\r\nb", {"a", "b"}},           // a control character ends a cell
        {u"\"open", {"open"}},              // an unclosed quote runs to the end
        {u"", {}},
        {u"a;", {"a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cells(QString::fromUtf16(c.text)), c.cells) << QString::fromUtf16(c.text).toStdString();
}

TEST(SpecRow, CellsValueAndNotices)
{
    TSpecRowEh row(nullptr);
    int changes = 0;
    row.OnChanged = [&](TObject*) { ++changes; };
    row.SetCellsText("\"(все)\";-");
    EXPECT_EQ(row.GetCellText(0), QStringLiteral("(все)"));
    EXPECT_EQ(row.GetCellText(1), QStringLiteral("-"));
    EXPECT_EQ(row.GetCellText(2), QString());
    EXPECT_EQ(row.GetCellText(-1), QString());
    EXPECT_EQ(changes, 1);

    EXPECT_TRUE(row.Value().IsNull());
    row.SetValue(Variant::Null());   // unchanged: no notice
    EXPECT_EQ(changes, 1);
    row.SetValue(VarArrayOf({Variant(1), Variant::FromString("a")}));
    EXPECT_EQ(changes, 2);
    // An invisible row never matches.
    EXPECT_FALSE(row.LocateKey(VarArrayOf({Variant(1), Variant::FromString("a")})));
    row.SetVisible(true);
    EXPECT_TRUE(row.LocateKey(VarArrayOf({Variant(1), Variant::FromString("a")})));
    EXPECT_FALSE(row.LocateKey(VarArrayOf({Variant(1), Variant::FromString("b")})));

    row.BeginUpdate();
    row.SetVisible(false);
    row.SetShowIfNotInKeyList(false);
    row.BeginUpdate();
    row.EndUpdate();   // still nested: nothing yet
    EXPECT_EQ(changes, 3);
    row.EndUpdate();
    EXPECT_EQ(changes, 4);
}

TEST(SpecRow, FontAndColorFollowTheOwnerUntilSet)
{
    auto panel = CreateUnique<TPanel>(nullptr);
    panel->SetColor(clYellow);
    panel->Font()->SetSize(14);
    TSpecRowEh row(panel.get());
    EXPECT_EQ(row.Color(), clYellow);
    EXPECT_EQ(row.Font()->GetSize(), 14);
    panel->Font()->SetSize(9);
    EXPECT_EQ(row.Font()->GetSize(), 9);   // followed silently
    EXPECT_FALSE(row.FontAssigned());

    row.Font()->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(row.FontAssigned());
    panel->Font()->SetSize(20);
    EXPECT_EQ(row.Font()->GetSize(), 9);
    row.SetColor(clRed);
    panel->SetColor(clBlue);
    EXPECT_EQ(row.Color(), clRed);

    // Assign takes the effective colour, the font only when set, and the rest.
    TSpecRowEh copy(nullptr);
    row.SetCellsText("a;b");
    row.SetValue(5);
    row.SetVisible(true);
    row.SetShortCut(0x4000 | 'Q');
    int changes = 0;
    copy.OnChanged = [&](TObject*) { ++changes; };
    copy.Assign(&row);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.CellsText(), QStringLiteral("a;b"));
    EXPECT_EQ(copy.Color(), clRed);
    EXPECT_TRUE(copy.Font()->GetStyle().Contains(fsBold));
    EXPECT_EQ(copy.ShortCut(), TShortCut(0x4000 | 'Q'));
    EXPECT_TRUE(copy.LocateKey(5));
}

TEST(PicturePlacement, Rectangles)
{
    const TRect area(0, 0, 200, 200);
    struct Case {
        TImagePlacementEh p;
        TRect r;
    } cases[] = {
        {ipFitEh, TRect(0, 50, 200, 150)},
        {ipFillEh, TRect(-100, 0, 300, 200)},
        {ipReduceFitEh, TRect(50, 75, 150, 125)},
        {ipBottomRightEh, TRect(100, 150, 200, 200)},
        {ipTopLeftEh, TRect(0, 0, 100, 50)},
        {ipCenterRightEh, TRect(100, 75, 200, 125)},
        {ipStretchEh, TRect(0, 0, 200, 200)},
        {ipTileEh, TRect(0, 0, 100, 50)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImagePlacementRect(area, 100, 50, c.p), c.r) << int(c.p);
    // Larger than the area: reduce-fit fits it.
    EXPECT_EQ(ImagePlacementRect(TRect(0, 0, 50, 50), 100, 50, ipReduceFitEh), TRect(0, 12, 50, 37));
    // No picture size, an empty area: no division by zero, the area itself.
    EXPECT_EQ(ImagePlacementRect(TRect(5, 5, 25, 15), 0, 0, ipFitEh), TRect(5, 5, 25, 15));
    EXPECT_EQ(ImagePlacementRect(TRect(5, 5, 5, 5), 10, 10, ipFillEh), TRect(5, 5, 5, 5));
}

TEST(PicturePlacement, TilesCoverTheArea)
{
    TBitmap tile(3, 2);
    tile.Canvas()->Brush()->SetColor(clRed);
    tile.Canvas()->FillRect(TRect(0, 0, 3, 2));
    TPictureEh pic;
    pic.SetGraphic(&tile);
    TBitmap target(20, 20);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 20, 20));
    pic.PaintTo(target.Canvas(), TRect(2, 2, 10, 7), ipTileEh, TPoint(), TRect());
    const QImage img = target.Image();
    EXPECT_EQ(Rgb(img, 2, 2), 0xFF0000u);
    EXPECT_EQ(Rgb(img, 10, 7), 0xFF0000u);   // the last tiles stick out; the caller clips
    EXPECT_EQ(Rgb(img, 11, 8), 0xFFFFFFu);
    EXPECT_EQ(Rgb(img, 1, 1), 0xFFFFFFu);

    TBitmap fit(20, 20);
    fit.Canvas()->Brush()->SetColor(clWhite);
    fit.Canvas()->FillRect(TRect(0, 0, 20, 20));
    pic.PaintTo(fit.Canvas(), TRect(0, 0, 12, 12), ipFitEh, TPoint(), TRect());
    EXPECT_EQ(InkBox(fit.Image()), QRect(0, 2, 12, 8));
}

}  // namespace
