// Data cells on a real X server: a text cell with its drop-down button (opaque in the current
// row, blended in the others), a check-box cell and a picture cell, drawn by the axis grid's
// drawing services over an in-memory table.
#include "support/XvfbEnvironment.h"

#include "components/axisgrid/DBAxisGridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include "support/ScreenPictures.h"

using namespace testsupport;

namespace {

class TCellsLineParams : public TDBAxisGridLineParamsEh {
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override { return glcsClassicEh; }
};

class TCellsBar : public TAxisBarEh {
public:
    explicit TCellsBar(TCollection* Collection) : TAxisBarEh(Collection) {}
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
};

// Paints its data cells the way the data grid does, through the axis grid's services: column 1
// text with a drop-down button, column 2 a check box, column 3 the picture of the record the
// table stands on (row 1).
class TCellsGrid : public TCustomDBAxisGridEh {
public:
    explicit TCellsGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {}
    TGridLineColorsEh* CreateGridLineColors() override { return new TCellsLineParams(this); }
    TFont* GetTitleFont() override { return &FTitle; }
    void SetTitleFont(TFont* Value) override { FTitle.Assign(Value); }
    QStringList Names;
    std::vector<TCheckBoxState> Checks;
    TAxisBarEh* PictureBar = nullptr;
    TRect PictureRect;   // where the picture cell was painted last

protected:
    void DrawCellContent(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override
    {
        if (ACol < 1 || ARow < 1) {
            TCustomDBAxisGridEh::DrawCellContent(ACol, ARow, State, ARect);
            return;
        }
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clWindow);
        c->Brush()->SetStyle(bsSolid);
        c->Font()->Assign(Font());
        const int i = ARow - 1;
        if (ACol == 1) {
            const int bw = 16;
            TRect text = ARect;
            text.Right -= bw;
            WriteCellText(nullptr, c, true, 0, 0, false, false, tlCenter, taLeftJustify, Names[i], 2, 2, true, text);
            const TRect button(ARect.Right - bw, ARect.Top, ARect.Right, ARect.Bottom);
            PaintCellEditButton(nullptr, c, -1, nullptr, ARow == Row() ? 0 : 80, nullptr, clWindow, false, false,
                                false, false, ARect, button, ebsDropDownEh);
        } else if (ACol == 2) {
            c->FillRect(ARect);
            const TSize g = CheckBoxGlyphSize();
            const TRect box(ARect.Left + (ARect.Width() - g.cx) / 2, ARect.Top + (ARect.Height() - g.cy) / 2,
                            ARect.Left + (ARect.Width() - g.cx) / 2 + g.cx, ARect.Top + (ARect.Height() - g.cy) / 2 + g.cy);
            CanvasDrawTextRTL(c, box, Checks[size_t(i)], true, false, Flat(), false, bcsCheckboxEh, clWindow);
        } else if (ARow == 1 && PictureBar) {
            PictureRect = ARect;
            DrawGraphicFieldData(PictureBar, ARect, true, clWindow);
        } else {
            c->FillRect(ARect);
        }
    }

private:
    TFont FTitle;
};

TEST(DataCellsOnXServer, ButtonsCheckBoxesAndPicturesStandInTheirCells)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    // Clear of the other picture tests of this server.
    form->SetBounds(40, 420, 320, 140);

    auto* table = Create<TMemTableEh>(form.get());
    table->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
    table->CreateDataSet();
    TBitmap red(60, 20);
    red.Canvas()->Brush()->SetColor(clRed);
    red.Canvas()->FillRect(TRect(0, 0, 60, 20));
    table->Append();
    table->FieldByName(QStringLiteral("Photo"))->Assign(&red);
    table->Post();
    table->First();
    auto* src = Create<TDataSource>(form.get());
    src->SetDataSet(table);

    auto* grid = Create<TCellsGrid>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(10, 10, 260, 80);
    grid->Font()->SetName(QStringLiteral("DejaVu Sans"));
    grid->Font()->SetHeight(-11);
    grid->SetDataSourceProp(src);
    grid->SetDrawGraphicData(true);
    grid->Names = {QStringLiteral("Поставщик"), QStringLiteral("Филиал 2")};
    grid->Checks = {cbChecked, cbUnchecked};
    grid->PictureBar = grid->AxisBars()->Add();
    grid->PictureBar->SetFieldName(QStringLiteral("Photo"));
    grid->SetColCount(4);
    grid->SetRowCount(3);
    grid->SetDefaultRowHeight(20);
    for (int r = 0; r < 3; ++r)
        grid->SetRowHeights(r, 20);
    const int widths[] = {12, 120, 30, 40};
    for (int c = 0; c < 4; ++c)
        grid->SetColWidths(c, widths[c]);
    grid->SetCurrentCell(1, 1, false, false);
    form->Show();
    WaitEvents(400);

    const QImage shot = ShotAsPainted(grid->Widget(), QStringLiteral("axisgrid-data-cells"));
    // A cell without its grid lines.
    const auto cell = [&](int c, int r) {
        const TRect x = grid->CellRect(c, r);
        return QRect(x.Left, x.Top, x.Width() - 1, x.Height() - 1);
    };
    const auto darkest = [&](const QRect& r) {
        int d = 255;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                d = std::min(d, qGray(shot.pixel(x, y)));
        return d;
    };
    const auto count = [&](const QRect& r, auto test) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += test(shot.pixel(x, y));
        return n;
    };

    // The text stands left of the button.
    const QRect text1 = cell(1, 1).adjusted(0, 0, -16, 0);
    EXPECT_LT(darkest(text1), 100);
    // The button of the current row is opaque: its arrow is dark; in the other row it is
    // blended at alpha 51 over the white cell, so even its darkest pixel stays light.
    const QRect button1(cell(1, 1).right() - 15, cell(1, 1).top(), 16, cell(1, 1).height());
    const QRect button2(cell(1, 2).right() - 15, cell(1, 2).top(), 16, cell(1, 2).height());
    const int opaque = darkest(button1), blended = darkest(button2);
    EXPECT_LT(opaque, 80);
    EXPECT_GE(blended, 255 - (255 - opaque) * 51 / 255 - 3);

    // The check box: a mark inside the checked glyph, none inside the unchecked one.
    const TSize g = CheckBoxGlyphSize();
    const auto glyphInside = [&](int r) {
        const QRect c = cell(2, r);
        return QRect(c.left() + (c.width() - g.cx) / 2 + 3, c.top() + (c.height() - g.cy) / 2 + 3, g.cx - 6, g.cy - 6);
    };
    const auto isDark = [](QRgb p) { return qGray(p) < 110; };
    EXPECT_GT(count(glyphInside(1), isDark), 3);
    EXPECT_EQ(count(glyphInside(2), isDark), 0);

    // The picture: 60 x 20 shrinks to the cell's width, its height in proportion, centred
    // vertically (39 x 20 gives 39 x 13).
    const QRect pic(grid->PictureRect.Left, grid->PictureRect.Top, grid->PictureRect.Width(),
                    grid->PictureRect.Height());
    ASSERT_FALSE(pic.isEmpty());
    const int h = RoundEh(20.0 * pic.width() / 60);
    const auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    QRect redBox;
    for (int y = pic.top(); y <= pic.bottom(); ++y)
        for (int x = pic.left(); x <= pic.right(); ++x)
            if (isRed(shot.pixel(x, y)))
                redBox |= QRect(x, y, 1, 1);
    EXPECT_EQ(redBox.width(), pic.width());
    EXPECT_EQ(redBox.height(), h);
    EXPECT_EQ(redBox.top() - pic.top(), (pic.height() - h) / 2);
    EXPECT_EQ(count(cell(3, 2), isRed), 0);
}

}  // namespace
