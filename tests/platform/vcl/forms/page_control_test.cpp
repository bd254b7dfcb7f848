// Page controls as a form resource holds them: sheets read inside the control become its
// pages, the stored active page is the one shown, and the tab strip switches pages.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/rtl/Filer.h"

#include "support/WidgetInput.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace {

const char* const PagesForm = R"(object PagesForm: TForm
  Width = 400
  Height = 300
  object Pages: TPageControl
    Left = 0
    Top = 0
    Width = 300
    Height = 200
    ActivePage = Second
    object First: TTabSheet
      Caption = 'Первая'
    end
    object Second: TTabSheet
      Caption = 'Вторая'
      object Filler: TPanel
        Align = alClient
      end
    end
    object Hidden: TTabSheet
      Caption = 'Скрытая'
      TabVisible = False
    end
    object Last: TTabSheet
      Caption = 'Последняя'
    end
  end
end
)";

struct PagesFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TPageControl* Pages = nullptr;
    int Changes = 0;
    void Read(const QByteArray& text)
    {
        RegisterClasses<TPageControl, TTabSheet, TPanel>();
        ReadComponentRes(text, Form.get());
        Pages = dynamic_cast<TPageControl*>(Form->FindComponent("Pages"));
        ASSERT_NE(Pages, nullptr);
        Pages->OnChange = TNotifyEvent([this](TObject*) { ++Changes; });
    }
    void SetUp() override { Read(QByteArray(PagesForm)); }
    TTabSheet* Sheet(const char* name) { return dynamic_cast<TTabSheet*>(Form->FindComponent(name)); }
    void ClickAt(TPoint p) { testsupport::LeftClick(Pages->Widget(), QPoint(p.X, p.Y)); }
    static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
};

}  // namespace

TEST_F(PagesFixture, SheetsReadInsideBecomePagesAndTheStoredActivePageShows)
{
    ASSERT_EQ(Pages->PageCount(), 4);
    const char* names[] = {"First", "Second", "Hidden", "Last"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Pages->Pages(i), Sheet(names[i])) << names[i];
        EXPECT_EQ(Sheet(names[i])->PageControl(), Pages) << names[i];
        EXPECT_EQ(Sheet(names[i])->PageIndex(), i) << names[i];
    }
    EXPECT_EQ(Pages->ActivePage(), Sheet("Second"));
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    EXPECT_TRUE(Sheet("Second")->Visible());
    EXPECT_FALSE(Sheet("First")->Visible());
    EXPECT_FALSE(Sheet("Last")->Visible());
    EXPECT_EQ(Changes, 0);
}

TEST_F(PagesFixture, APageFillsTheAreaUnderTheTabs)
{
    TTabSheet* s = Sheet("Second");
    const int tabs = Pages->TabHeight();
    EXPECT_GT(tabs, 10);
    EXPECT_EQ(s->Left(), 4);
    EXPECT_EQ(s->Top(), tabs + 4);
    EXPECT_EQ(s->Width(), 300 - 8);
    EXPECT_EQ(s->Height(), 200 - tabs - 8);
    auto* filler = dynamic_cast<TPanel*>(Form->FindComponent("Filler"));
    EXPECT_EQ(filler->Width(), s->Width());
    EXPECT_EQ(filler->Height(), s->Height());
    // The sheets follow the control's size.
    Pages->SetBounds(0, 0, 360, 240);
    EXPECT_EQ(s->Width(), 360 - 8);
    EXPECT_EQ(s->Height(), 240 - tabs - 8);
}

TEST_F(PagesFixture, TheActivePageSurvivesARoundTrip)
{
    const QByteArray written = ComponentToBinary(Form.get());
    Form = CreateUnique<TForm>(nullptr);
    Read(written);
    ASSERT_EQ(Pages->PageCount(), 4);
    EXPECT_EQ(Pages->ActivePage(), Sheet("Second"));
    EXPECT_FALSE(Pages->Pages(2)->TabVisible);
}

TEST_F(PagesFixture, ChoosingATabShowsItsPageAndFiresOnChangeButCodeDoesNot)
{
    Form->Show();
    const TRect hiddenTab = Pages->TabRect(2);
    EXPECT_TRUE(IsRectEmpty(hiddenTab));
    // Tabs stand in a row; the hidden page takes no room.
    EXPECT_EQ(Pages->TabRect(0).Right, Pages->TabRect(1).Left);
    EXPECT_EQ(Pages->TabRect(1).Right, Pages->TabRect(3).Left);

    ClickAt(Centre(Pages->TabRect(3)));
    EXPECT_EQ(Pages->ActivePage(), Sheet("Last"));
    EXPECT_TRUE(Sheet("Last")->Visible());
    EXPECT_FALSE(Sheet("Second")->Visible());
    EXPECT_EQ(Changes, 1);

    ClickAt(Centre(Pages->TabRect(3)));   // the tab already chosen
    ClickAt(TPoint(Pages->TabRect(3).Right + 20, 5));   // beyond the last tab
    ClickAt(TPoint(50, 100));   // the page's own area
    EXPECT_EQ(Pages->ActivePage(), Sheet("Last"));
    EXPECT_EQ(Changes, 1);

    Pages->SetActivePageIndex(0);
    EXPECT_EQ(Pages->ActivePage(), Sheet("First"));
    EXPECT_EQ(Changes, 1);
    // A page without a tab can still be shown from code.
    Pages->SetActivePage(Sheet("Hidden"));
    EXPECT_TRUE(Sheet("Hidden")->Visible());
}

TEST_F(PagesFixture, AFreedPageLeavesThePagesAndTheNextBecomesActive)
{
    Pages->SetActivePageIndex(0);
    delete Sheet("First");
    ASSERT_EQ(Pages->PageCount(), 3);
    EXPECT_EQ(Pages->ActivePage(), Sheet("Second"));
    EXPECT_TRUE(Sheet("Second")->Visible());
    EXPECT_EQ(Sheet("Last")->PageIndex(), 2);
}

namespace {

const char* const LongTabsForm = R"(object LongTabsForm: TForm
  Width = 1000
  Height = 300
  Font.Height = -11
  Font.Name = 'Tahoma'
  object Pages: TPageControl
    Left = 0
    Top = 0
    Width = 990
    Height = 200
    ActivePage = Checks
    object Checks: TTabSheet
      Caption = 'Камеральный контроль'
    end
    object Branch: TTabSheet
      Caption = 'Дубликаты проводок филиал'
    end
    object Region: TTabSheet
      Caption = 'Дубликаты проводок облпо'
    end
    object Info: TTabSheet
      Caption = 'Информация'
    end
  end
end
)";

// Columns of the tab strip that hold caption ink (dark pixels) between two x positions.
std::pair<int, int> InkSpan(const QImage& img, int fromX, int toX, int rows)
{
    int first = -1, last = -1;
    for (int x = std::max(0, fromX); x < std::min(toX, img.width()); ++x)
        for (int y = 3; y < rows - 1; ++y) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() < 110 && c.green() < 110 && c.blue() < 110) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    return {first, last};
}

}  // namespace

TEST_F(PagesFixture, LongCaptionsFitTheirTabsWhole)
{
    Form = CreateUnique<TForm>(nullptr);
    Read(QByteArray(LongTabsForm));
    Form->Show();
    const QImage img = Pages->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int rows = Pages->TabHeight();
    for (int i = 0; i < Pages->PageCount(); ++i) {
        const TRect tab = Pages->TabRect(i);
        const QString caption = Pages->Pages(i)->Caption();
        // The caption as it stands alone, unclipped, with the tab's font.
        QImage alone(tab.Width() * 2, rows, QImage::Format_RGB32);
        alone.fill(Qt::white);
        {
            QPainter p(&alone);
            p.setFont(Pages->Font()->QtFont());
            p.setPen(Qt::black);
            p.drawText(QPoint(tab.Width() / 2, QFontMetrics(Pages->Font()->QtFont(), &alone).ascent() + 3), caption);
        }
        const auto [aloneFirst, aloneLast] = InkSpan(alone, 0, alone.width(), rows);
        const auto [first, last] = InkSpan(img, tab.Left + 1, tab.Right - 1, rows);
        ASSERT_GE(first, 0) << i;
        EXPECT_EQ(last - first, aloneLast - aloneFirst) << qPrintable(caption) << ": the caption is cut";
        EXPECT_GE(first - tab.Left, 3) << qPrintable(caption);
        EXPECT_GE(tab.Right - 1 - last, 3) << qPrintable(caption);
    }
}
