// The edit's image, its empty-data hint text and the number-text helpers.
#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "support/AppEnvironment.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

namespace {

// An edit as far as its image and hint text see it.
class TRecordingEdit : public TCustomControl, public IEmptyDataInfoHostEh {
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> ImageNotices;
    TAlignment Align = taLeftJustify;
    bool Empty = true;
    // Off: the edit keeps its alignment even right to left, as an edit on a right-aligned
    // field does.
    bool MirrorsAlignment = true;
    std::unique_ptr<TBitmap> Surface = CreateUnique<TBitmap>();

    TWinControl* EmptyDataInfoControl() override { return this; }
    TAlignment EmptyDataInfoAlignment() override { return Align; }
    bool IsEmpty() override { return Empty; }
    TRect GetEditRect() override { return TRect(0, 0, 200, 20); }
    TPoint EditTextMargins() override { return TPoint(2, 1); }
    TCanvas* EmptyDataInfoCanvas() override { return Surface->Canvas(); }
    bool UseRightToLeftAlignment() const override
    {
        return MirrorsAlignment && TCustomControl::UseRightToLeftAlignment();
    }

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == CM_EDITIMAGECHANGEDEH)
            ImageNotices.push_back(M.WParam);
        TCustomControl::WndProc(M);
    }
};

class EditCompanionsTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TRecordingEdit* edit = nullptr;

    void SetUp() override
    {
        edit = Create<TRecordingEdit>(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 20);
        edit->Surface->SetSize(200, 20);
    }

    // Leftmost and rightmost columns holding a non-white pixel.
    std::pair<int, int> InkSpan()
    {
        const QImage img = edit->Surface->ToImage();
        int first = -1, last = -1;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (qGray(img.pixel(x, y)) < 230) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return {first, last};
    }
};

TEST_F(EditCompanionsTest, ImageSizeChangesAskTheEditForANewLayout)
{
    TEditImageEh image(edit);
    EXPECT_EQ(image.ImageIndex(), -1);
    EXPECT_TRUE(image.UseImageHeight());
    EXPECT_FALSE(image.Visible());
    EXPECT_EQ(image.Width(), 0);

    auto* images = Create<TCustomImageList>(form.get());
    image.SetImages(images);
    image.SetVisible(true);
    image.SetWidth(16);
    image.SetUseImageHeight(false);
    image.SetWidth(16);      // unchanged: no notice
    image.SetImageIndex(3);  // repaints only
    ASSERT_EQ(edit->ImageNotices.size(), 4u);
    for (WPARAM w : edit->ImageNotices)
        EXPECT_EQ(w, reinterpret_cast<WPARAM>(&image));

    TEditImageEh copy(edit);
    copy.Assign(&image);
    EXPECT_EQ(copy.Images(), images);
    EXPECT_EQ(copy.ImageIndex(), 3);
    EXPECT_TRUE(copy.Visible());
    EXPECT_EQ(copy.Width(), 16);
    EXPECT_TRUE(copy.UseImageHeight());   // not copied
}

TEST_F(EditCompanionsTest, HintShowsOnlyForAnEmptyUnfocusedEditWithText)
{
    TControlEmptyDataInfoEh info(edit);
    EXPECT_FALSE(info.Showing());   // no text
    info.SetText(QStringLiteral("Введите ИНН"));
    EXPECT_TRUE(info.Showing());
    edit->Empty = false;
    EXPECT_FALSE(info.Showing());
    edit->Empty = true;
    form->Show();
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    EXPECT_FALSE(info.Showing());
}

TEST_F(EditCompanionsTest, HintFontFollowsTheEditUntilSetItself)
{
    edit->Font()->SetName(QStringLiteral("DejaVu Sans"));
    edit->Font()->SetSize(12);
    TControlEmptyDataInfoEh info(edit);
    EXPECT_EQ(info.Font()->GetColor(), clSilver);
    EXPECT_TRUE(info.Font()->GetStyle().Contains(fsItalic));
    EXPECT_TRUE(info.ParentFont());
    EXPECT_FALSE(info.IsFontStored());

    edit->Font()->SetSize(14);
    info.RefreshDefaultFont();
    EXPECT_EQ(info.Font()->GetSize(), 14);
    EXPECT_TRUE(info.ParentFont());
    EXPECT_EQ(info.Font()->GetColor(), clSilver);   // size, name and charset only

    info.Font()->SetSize(9);
    EXPECT_FALSE(info.ParentFont());
    edit->Font()->SetSize(16);
    info.RefreshDefaultFont();
    EXPECT_EQ(info.Font()->GetSize(), 9);
    info.SetParentFont(true);
    EXPECT_EQ(info.Font()->GetSize(), 16);
}

TEST_F(EditCompanionsTest, HintAlignmentFollowsTheEditUntilStoredAndIsPaintedThere)
{
    TControlEmptyDataInfoEh info(edit);
    info.SetText(QStringLiteral("пусто"));
    edit->SetColor(clWhite);   // the hint's background
    edit->Align = taRightJustify;
    EXPECT_EQ(info.Alignment(), taRightJustify);
    EXPECT_FALSE(info.AlignmentIsStored());

    struct Case { TAlignment align; bool rtl; bool nearLeft; bool nearRight; bool mirrors = true; };
    const Case cases[] = {
        {taLeftJustify, false, true, false},
        {taRightJustify, false, false, true},
        {taCenter, false, false, false},
        {taLeftJustify, true, false, true},   // mirrored for right-to-left
        {taLeftJustify, true, true, false, false},   // unless the edit says it does not mirror
        {taRightJustify, true, false, true, false},
    };
    for (const Case& c : cases) {
        info.SetAlignment(c.align);
        edit->MirrorsAlignment = c.mirrors;
        edit->SetBiDiMode(c.rtl ? bdRightToLeft : bdLeftToRight);
        edit->Surface->Canvas()->Brush()->SetColor(clWhite);
        edit->Surface->Canvas()->FillRect(TRect(0, 0, 200, 20));
        info.PaintEmptyDataInfo();
        const auto [first, last] = InkSpan();
        ASSERT_GE(first, 0);
        EXPECT_EQ(first < 10, c.nearLeft) << int(c.align) << c.rtl << c.mirrors;
        EXPECT_EQ(last > 190, c.nearRight) << int(c.align) << c.rtl << c.mirrors;
    }
    EXPECT_TRUE(info.AlignmentIsStored());
    info.SetAlignmentIsStored(false);
    EXPECT_EQ(info.Alignment(), taRightJustify);
}

TEST_F(EditCompanionsTest, FocusingABoundFieldFocusesTheEdit)
{
    auto* t = Create<TMemTableEh>(form.get());
    t->FieldDefs()->Add(QStringLiteral("A"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("B"), ftInteger);
    t->CreateDataSet();
    auto* src = Create<TDataSource>(form.get());
    src->SetDataSet(t);
    auto* other = Create<TCustomControl>(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 40, 50, 20);
    TFieldDataLinkEh link;
    link.SetControl(edit);
    link.SetMultiFields(true);
    link.SetDataSource(src);
    link.SetFieldName(QStringLiteral("A;B"));
    form->Show();
    other->SetFocus();
    ASSERT_TRUE(other->Focused());
    t->FieldByName(QStringLiteral("B"))->FocusControl();
    EXPECT_TRUE(edit->Focused());
}

// ---------------------------------------------------------------- number texts

TEST(ValueTextTest, TextToFloatAcceptsOnlyNumberCharacters)
{
    struct Case { const char* text; bool ok; double value; };
    const Case cases[] = {
        {"12,5", true, 12.5},   {"-", true, 0},     {"+", true, 0},       {"1E3", true, 1000},
        {"1 000", false, 0},    {"12.5", false, 0}, {"", false, 0},       {"abc", false, 0},
        {"-,5", true, -0.5},    {"1e-2", true, 0.01},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(TryTextToFloatEh(QString::fromUtf8(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

TEST(ValueTextTest, TextToFloatRefusesTextLongerThanItConverts)
{
    double v = -1;
    // the last digit is past what the conversion reads: refused, not read as 0
    EXPECT_FALSE(TryTextToFloatEh(QString(MaxTextToFloatLengthEh, u'0') + u'1', v));
    EXPECT_TRUE(TryTextToFloatEh(QString(MaxTextToFloatLengthEh - 1, u'0') + u'1', v));
    EXPECT_DOUBLE_EQ(v, 1);
}

TEST(ValueTextTest, ThousandSeparatorsGroupTheIntegerPart)
{
    const TFormatSettings saved = FormatSettings;
    FormatSettings.DecimalSeparator = u'.';
    FormatSettings.ThousandSeparator = u' ';
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"-1234567.5", "-1 234 567.5"}, {"123", "123"},   {"1234", "1 234"},
        {"+123456", "+123 456"},        {"1234E10", "1 234E10"}, {"", ""}, {"0.12345", "0.12345"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InsertThousandSeparators(QString::fromUtf8(c.in), true), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(InsertThousandSeparators(QStringLiteral("-1234567.5"), false), QStringLiteral("-1234567.5"));
    FormatSettings.CurrencyDecimals = 3;
    EXPECT_EQ(DefaultNumberDisplayFormat(), QStringLiteral(",#.000"));
    FormatSettings = saved;
    EXPECT_EQ(DefaultNumberDisplayFormat(), QStringLiteral(",#.00"));
}

TEST(ValueTextTest, SafeVarToStrNeverRaises)
{
    EXPECT_EQ(SafeVarToStr(Variant::Null()), QString());
    EXPECT_EQ(SafeVarToStr(VarArrayOf({Variant(1)})), QString());
    EXPECT_EQ(SafeVarToStr(Variant(42)), QStringLiteral("42"));
    EXPECT_EQ(SafeVarToStr(Variant(QStringLiteral("текст"))), QStringLiteral("текст"));
}

}  // namespace
