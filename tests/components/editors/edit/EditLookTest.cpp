// The data-aware edit's layout and look: where its text is drawn, the required-field
// underline, the image and its index, the height an image list asks for, the MRU list that
// drops down while typing, and the tool tip of a text too long for the edit.
#include "support/AppEnvironment.h"
#include "support/EditorFixtures.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/GridsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <memory>

using namespace testsupport;

namespace {

// An edit whose value is a number, as the number edits have.
class TNumberValueEdit : public TDBEditEh {
public:
    using TDBEditEh::TDBEditEh;
    double Number = 0;

protected:
    Variant InternalGetValue() override { return Variant(Number); }
};

class EditLookTest : public EditorOnForm<TDBEditEh> {
public:
    void SetUp() override { ShowEditors(); }

    QImage Render(TDBEditEh* e)
    {
        TBitmap b(e->Width(), e->Height());
        b.Canvas()->Brush()->SetColor(clWhite);
        b.Canvas()->FillRect(TRect(0, 0, e->Width(), e->Height()));
        e->PaintEditWindow(b.Canvas()->Handle());
        return b.ToImage();
    }
    // Leftmost and rightmost columns with dark ink.
    static std::pair<int, int> InkSpan(const QImage& img)
    {
        int first = -1, last = -1;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (qGray(img.pixel(x, y)) < 128) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return {first, last};
    }
    static int RedInRow(const QImage& img, int y)
    {
        int n = 0;
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
        return n;
    }
};

TEST_F(EditLookTest, RightAlignedEditDrawsItsTextRightUntilFocused)
{
    edit->SetText(QStringLiteral("1234"));
    edit->SetAlignment(taRightJustify);
    Pump();
    auto [first, last] = InkSpan(Render(edit));
    EXPECT_GT(first, 150);
    EXPECT_GT(last, 185);
    edit->SetFocus();
    Pump();
    auto [ffirst, flast] = InkSpan(Render(edit));
    EXPECT_LT(ffirst, 20);   // the window draws it left-aligned while editing
}

TEST_F(EditLookTest, PasswordCharacterHidesTheTextWhenDrawnByTheEdit)
{
    edit->SetAlignment(taRightJustify);
    edit->SetText(QStringLiteral("секрет"));
    const QImage plain = Render(edit);
    edit->SetPasswordChar(QLatin1Char('*'));
    const QImage hidden = Render(edit);
    EXPECT_NE(plain, hidden);
    edit->SetText(QStringLiteral("другое"));
    EXPECT_EQ(Render(edit), hidden);   // six stars either way
}

TEST_F(EditLookTest, EmptyRequiredFieldIsUnderlinedInRed)
{
    auto* t = Create<TMemTableEh>(form.get());
    t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    t->CreateDataSet();
    t->FieldByName(QStringLiteral("Name"))->SetRequired(true);
    auto* src = Create<TDataSource>(form.get());
    src->SetDataSet(t);
    edit->SetDataSource(src);
    edit->SetDataField(QStringLiteral("Name"));
    edit->SetHighlightRequired(true);
    const int bottom = edit->ClientHeight() - 1;
    EXPECT_EQ(RedInRow(Render(edit), bottom), 0);   // browsing: no line
    t->Append();
    EXPECT_GT(RedInRow(Render(edit), bottom), 20);
    bool suppress = true;
    edit->OnCheckDrawRequiredState = [&](TObject*, bool& draw) {
        if (suppress)
            draw = false;
    };
    EXPECT_EQ(RedInRow(Render(edit), bottom), 0);
    suppress = false;
    edit->SetText(QStringLiteral("Рога"));
    EXPECT_EQ(RedInRow(Render(edit), bottom), 0);   // filled in
}

TEST_F(EditLookTest, NumericValueChoosesTheImageRoundingHalvesToEven)
{
    auto* images = Create<TCustomImageList>(form.get());
    images->SetSize(16, 16);
    auto* e = Create<TNumberValueEdit>(form.get());
    e->SetParent(form.get());
    e->SetImages(images);
    struct Case {
        double value;
        int index;
    };
    for (const Case c : {Case{2.5, 2}, Case{3.5, 4}, Case{1.4, 1}, Case{-0.6, -1}}) {
        e->Number = c.value;
        e->SetText(QString::number(c.value));   // every text change picks the image again
        EXPECT_EQ(e->EditImage()->ImageIndex(), c.index) << c.value;
    }
    e->SetOnGetImageIndex([](TObject*, int& index) { index = 7; });
    EXPECT_EQ(e->EditImage()->ImageIndex(), 7);
}

TEST_F(EditLookTest, TallImageListMakesAnAutoSizedEditTaller)
{
    const int plain = edit->Height();
    auto* images = Create<TCustomImageList>(form.get());
    images->SetSize(16, 40);
    edit->SetImages(images);
    Pump();
    EXPECT_GT(edit->Height(), plain);
    EXPECT_EQ(edit->ImageWidth(), 16 + 4);
    EXPECT_EQ(edit->GetEditRect().Left, 20);   // the text starts after the image
    edit->EditImage()->SetUseImageHeight(false);
    Pump();
    EXPECT_EQ(edit->Height(), plain);
}

TEST_F(EditLookTest, MruListDropsDownFilteredWhileTypingAndEnterTakesTheItem)
{
    edit->MRUList()->SetActive(true);
    edit->MRUList()->Items()->Add(QStringLiteral("Москва"));
    edit->MRUList()->Items()->Add(QStringLiteral("Мурманск"));
    edit->MRUList()->Items()->Add(QStringLiteral("Омск"));
    edit->SetFocus();
    Pump();
    edit->HandleKeyPress(0, QChar(u'м'), {});
    ASSERT_TRUE(edit->MRUList()->DroppedDown());
    auto* list = static_cast<TMRUListboxEh*>(edit->MRUListControl());
    EXPECT_EQ(list->Items()->Count(), 2);   // case-insensitive prefix
    edit->HandleKeyPress(0, QChar(u'у'), {});
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(list->Items()->Strings(0), QStringLiteral("Мурманск"));
    edit->HandleKeyPress(VK_DOWN, QChar(), {});
    EXPECT_EQ(list->ItemIndex(), 0);
    edit->HandleKeyPress(VK_RETURN, QChar(13), {});
    EXPECT_FALSE(edit->MRUList()->DroppedDown());
    EXPECT_EQ(edit->Text(), QStringLiteral("Мурманск"));

    // Deleting everything closes it; Backspace on the empty text opens it again.
    edit->SelectAll();
    edit->HandleKeyPress(0, QChar(u'о'), {});
    EXPECT_TRUE(edit->MRUList()->DroppedDown());
    edit->HandleKeyPress(VK_BACK, QChar(8), {});
    EXPECT_FALSE(edit->MRUList()->DroppedDown());
    edit->HandleKeyPress(VK_BACK, QChar(8), {});
    EXPECT_TRUE(edit->MRUList()->DroppedDown());
    EXPECT_EQ(list->Items()->Count(), 3);
    edit->HandleKeyPress(VK_ESCAPE, QChar(27), {});
    EXPECT_FALSE(edit->MRUList()->DroppedDown());
}

TEST_F(EditLookTest, WrittenTextsJoinTheMruList)
{
    edit->MRUList()->SetActive(true);
    edit->SetFocus();
    Pump();
    edit->HandleKeyPress(0, QChar(u'К'), {});
    edit->HandleKeyPress(0, QChar(u'и'), {});
    edit->HandleKeyPress(0, QChar(u'в'), {});
    other->SetFocus();
    Pump();
    EXPECT_EQ(edit->MRUList()->Items()->Count(), 1);
    EXPECT_EQ(edit->MRUList()->Items()->Strings(0), QStringLiteral("Кив"));
}

TEST_F(EditLookTest, ToolTipShowsTheWholeTextOnlyWhenItDoesNotFit)
{
    edit->SetTooltips(true);
    EXPECT_FALSE(edit->ShowHint());   // the own flag stays off, the platform's goes on
    EXPECT_TRUE(edit->TControl::ShowHint());
    THintInfo info;
    info.HintControl = edit;
    edit->SetText(QStringLiteral("коротко"));
    EXPECT_TRUE(edit->TextFitsCheck());
    EXPECT_NE(edit->Perform(CM_HINTSHOW, 0, LPARAM(&info)), 0);   // nothing to show
    const QString longText = QString(60, QLatin1Char('W'));
    edit->SetText(longText);
    EXPECT_FALSE(edit->TextFitsCheck());
    EXPECT_EQ(edit->Perform(CM_HINTSHOW, 0, LPARAM(&info)), 0);
    EXPECT_EQ(info.HintStr, longText);
    EXPECT_EQ(info.HintWindowClass, &TToolTipsWindow::StaticClassInfo());
    EXPECT_EQ(info.HintPos, edit->ClientToScreen(TPoint(0, edit->Height())));
}

}  // namespace
