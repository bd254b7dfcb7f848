// The print preview: recording pages, the window's state, zoom and page navigation by real
// input, stopping a job from the window and printing the recorded pages.
#include "support/AppEnvironment.h"
#include "platform/winapi/WinUser.h"
#include "support/DialogScript.h"
#include "support/WidgetInput.h"

#include "components/output/PdfReadBack.h"
#include "components/output/PrvFrmEh.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace pdfreadback;
using testsupport::LeftClick;
using testsupport::PressKey;

namespace {

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Rec = PrinterPreview();
        Form = PreviewForm();
        ASSERT_NE(Form, nullptr);
        Box = Form->PreviewEh1;
        Form->SetWindowState(wsNormal);
        Form->SetBounds(0, 0, 900, 700);
        Box->SetViewMode(vmFullPage);
        Rec->PrivatePrinter()->SetPrinterIndex(Rec->Printers()->IndexOf(TPrinter::PdfPrinterName()));
        Rec->PrivatePrinter()->SetOrientation(poPortrait);
    }
    void TearDown() override { Form->Hide(); }

    // A job of n pages, each with its number written on it.
    void Record(int n, const QString& title = QStringLiteral("Табличная информация"))
    {
        Rec->SetTitle(title);
        Rec->BeginDoc();
        for (int i = 1; i <= n; ++i) {
            if (i > 1)
                Rec->NewPage();
            Rec->Canvas()->Font()->SetSize(14);
            Rec->Canvas()->TextOut(400, 400, QStringLiteral("Лист номер %1").arg(i));
        }
        Rec->EndDoc();
    }

    // Sends a real left click to a tool button through its bar.
    void ClickButton(TToolButton* b)
    {
        LeftClick(Form->tbrMain->Widget(), QPoint(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2));
    }

    void Wheel(int delta)
    {
        QWidget* w = Box->Widget();
        const QPointF at(20, 20);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }

    QString Status() { return Form->stbMain->SimpleText(); }

    TPrinterPreview* Rec = nullptr;
    TPreviewFormEh* Form = nullptr;
    TPreviewBox* Box = nullptr;
};

}  // namespace

TEST_F(PreviewFixture, OnePageJobShowsPageOneOfOneWithBothPageButtonsOff)
{
    Record(1);
    EXPECT_TRUE(Form->Visible());   // the end of the job opens the window
    EXPECT_EQ(Rec->PageCount(), 1);
    EXPECT_EQ(Status(), QStringLiteral("Страница 1 из 1"));
    EXPECT_FALSE(Form->tbtPrevPage->Enabled());
    EXPECT_FALSE(Form->tbtNextPage->Enabled());
    EXPECT_FALSE(Form->tbStop->Enabled());
    EXPECT_TRUE(Form->tbClose->Enabled());
    EXPECT_TRUE(Form->tbtPrint->Enabled());
    EXPECT_FALSE(Form->tbtPrinterSetupDialog->Enabled());   // nobody set the job up
    EXPECT_EQ(Form->Caption(), QStringLiteral("Предварительный просмотр - Табличная информация"));
    EXPECT_TRUE(Form->mniFull->Checked);
}

TEST_F(PreviewFixture, PagesAreRecordedForThePrinter)
{
    Record(3);
    ASSERT_EQ(Rec->PageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        TMetafile* page = Rec->Pages(i);
        ASSERT_FALSE(page->Empty());
        EXPECT_EQ(page->PixelsPerInchX(), 600);
        EXPECT_EQ(page->Width(), Rec->PageWidth());
    }
    // The canvas font kept its point size at the printer's resolution.
    Rec->BeginDoc();
    EXPECT_EQ(Rec->Canvas()->Font()->PixelsPerInch, 600);
    EXPECT_EQ(Rec->PageNumber(), 1);
    Rec->EndDoc();
    EXPECT_EQ(Rec->PageNumber(), -1);
    EXPECT_EQ(Rec->PageCount(), 1);   // a new job drops the last one's pages
}

TEST_F(PreviewFixture, PageIndexIsClampedToThePages)
{
    Record(4);
    struct Case { int set, want; } cases[] = {{0, 1}, {-5, 1}, {3, 3}, {9, 4}, {1, 1}};
    for (const Case& c : cases) {
        Box->SetPageIndex(c.set);
        EXPECT_EQ(Box->PageIndex(), c.want) << c.set;
    }
    Box->SetPageIndex(2);
    EXPECT_EQ(Status(), QStringLiteral("Страница 2 из 4"));
    EXPECT_TRUE(Form->tbtPrevPage->Enabled());
    EXPECT_TRUE(Form->tbtNextPage->Enabled());
}

TEST_F(PreviewFixture, PageButtonsAndTheWheelTurnPagesOfAWholePage)
{
    Record(3);
    Box->SetPageIndex(1);
    ClickButton(Form->tbtNextPage);
    EXPECT_EQ(Box->PageIndex(), 2);
    ClickButton(Form->tbtNextPage);
    EXPECT_EQ(Box->PageIndex(), 3);
    EXPECT_FALSE(Form->tbtNextPage->Enabled());
    ClickButton(Form->tbtPrevPage);
    EXPECT_EQ(Box->PageIndex(), 2);

    // The whole page fits: the wheel turns pages.
    Wheel(-120);
    EXPECT_EQ(Box->PageIndex(), 3);
    Wheel(120);
    Wheel(120);
    EXPECT_EQ(Box->PageIndex(), 1);

    // Zoomed in, the wheel scrolls by lines scaled with the zoom.
    Box->SetViewMode(vm200);
    EXPECT_EQ(Box->VertPosition(), 0);
    Wheel(-120);
    EXPECT_EQ(Box->PageIndex(), 1);
    EXPECT_EQ(Box->VertPosition(), TPreviewBox::Increment * 3 * 200 / 100);
}

TEST_F(PreviewFixture, HoldingNextPageRepeatsAndTheReleaseAddsNoStep)
{
    Record(10);
    Box->SetPageIndex(1);
    QWidget* bar = Form->tbrMain->Widget();
    TToolButton* b = Form->tbtNextPage;
    const QPointF at(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Box->PageIndex(), 1);   // nothing before 400 ms
    while (t.elapsed() < 1800 && Box->PageIndex() < 10)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const int held = Box->PageIndex();
    EXPECT_GE(held, 3);
    Box->SetPageIndex(5);
    QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    EXPECT_EQ(Box->PageIndex(), 5);
    // A short press then steps once.
    ClickButton(b);
    EXPECT_EQ(Box->PageIndex(), 6);
}

TEST_F(PreviewFixture, KeysScrollAZoomedPage)
{
    Record(2);
    Form->Show();
    Box->SetViewMode(vm200);
    ASSERT_GT(Box->VertRange(), Box->ClientHeight());
    ASSERT_GT(Box->HorzRange(), Box->ClientWidth());
    QWidget* w = Box->Widget();
    const int maxV = Box->VertRange() - Box->ClientHeight(), maxH = Box->HorzRange() - Box->ClientWidth();
    const int pageV = Box->ClientHeight() - TPreviewBox::Increment;
    struct Step { Qt::Key key; Qt::KeyboardModifiers mods; int h, v; } steps[] = {
        {Qt::Key_Down, Qt::NoModifier, 0, 8},
        {Qt::Key_PageDown, Qt::NoModifier, 0, std::min(maxV, 8 + pageV)},
        {Qt::Key_PageUp, Qt::NoModifier, 0, 8},
        {Qt::Key_Right, Qt::NoModifier, 8, 8},
        {Qt::Key_End, Qt::NoModifier, maxH, 8},
        {Qt::Key_Home, Qt::NoModifier, 0, 8},
        {Qt::Key_End, Qt::ControlModifier, maxH, maxV},
        {Qt::Key_Home, Qt::ControlModifier, 0, 0},
        {Qt::Key_PageDown, Qt::ControlModifier, 0, maxV},
        {Qt::Key_Up, Qt::ControlModifier, 0, std::max(0, maxV - pageV)},
    };
    for (const Step& s : steps) {
        PressKey(w, s.key, s.mods);
        EXPECT_EQ(Box->HorzPosition(), s.h) << s.key;
        EXPECT_EQ(Box->VertPosition(), s.v) << s.key;
        EXPECT_EQ(Box->DrawPanel()->Top(), 8 - s.v) << s.key;
    }
}

TEST_F(PreviewFixture, ZoomModesLayThePageOut)
{
    Record(1);
    Form->Show();
    const double ratio = Rec->PageRatio();
    // Whole page: fits the box, centred.
    TDrawPanel* page = Box->DrawPanel();
    EXPECT_LE(page->Height(), Box->ClientHeight() - 16);
    EXPECT_LE(page->Width(), Box->ClientWidth() - 16);
    EXPECT_NEAR(double(page->Height()) / page->Width(), ratio, 0.02);
    EXPECT_EQ(Box->ShadowPanel()->Left(), page->Left() + 4);
    EXPECT_EQ(Box->ShadowPanel()->Top(), page->Top() + 4);

    // 100 %: the page at its real size on a 96-dpi screen; 50 % is half of it.
    Box->SetViewMode(vm100);
    const int full = page->Width();
    EXPECT_NEAR(full, Rec->FullPageWidth() * 96 / 600, 1);
    Box->SetViewMode(vm50);
    EXPECT_NEAR(page->Width(), full / 2, 1);
    EXPECT_EQ(Box->ScalePercent(), 50);
    EXPECT_TRUE(Form->mni50->Checked);
    EXPECT_FALSE(Form->mniFull->Checked);

    // Page width: the page spans the box less a scroll bar and a border.
    Box->SetViewMode(vmPageWidth);
    EXPECT_EQ(page->Left(), 8);
    EXPECT_GT(page->Width(), Box->Width() - 60);
    EXPECT_GT(Box->ScalePercent(), 100);

    // The zoom menu's items choose the mode of their position.
    Form->ZoomItem(vm200)->Click();
    EXPECT_EQ(Box->ViewMode(), vm200);
    EXPECT_EQ(Box->ScalePercent(), 200);
}

TEST_F(PreviewFixture, AClickZoomsAroundThePointAndADragPans)
{
    Record(1);
    Form->Show();
    TDrawPanel* page = Box->DrawPanel();
    LeftClick(page->Widget(), QPoint(page->Width() / 2, page->Height() / 2));
    EXPECT_EQ(Box->ViewMode(), vm150);
    EXPECT_GT(Box->VertPosition(), 0);   // scrolled towards the clicked middle
    LeftClick(page->Widget(), QPoint(10, 10));
    EXPECT_EQ(Box->ViewMode(), vmFullPage);

    // A drag at 150 % pans and keeps the zoom.
    Box->SetViewMode(vm150);
    QWidget* w = page->Widget();
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
        const QPointF at(p);
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(200, 200), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(150, 120), Qt::LeftButton);
    EXPECT_EQ(page->Cursor(), crHandEh);
    send(QEvent::MouseButtonRelease, QPoint(150, 120), Qt::NoButton);
    EXPECT_EQ(Box->ViewMode(), vm150);
    EXPECT_EQ(Box->HorzPosition(), 50);
    EXPECT_EQ(Box->VertPosition(), 80);
    EXPECT_EQ(page->Cursor(), crMagnifierEh);
}

TEST_F(PreviewFixture, StopFromTheWindowEndsAJobStillRecording)
{
    Rec->SetTitle(QStringLiteral("Долгая печать"));
    Rec->BeginDoc();
    int pages = 1;
    // A layout as the grid print runs it: a page at a time, the window's messages in between.
    while (!Rec->Aborted() && pages < 1000) {
        Rec->Canvas()->TextOut(400, 400, QStringLiteral("Лист %1").arg(pages));
        Rec->NewPage();
        ++pages;
        QApplication::processEvents();
        EXPECT_TRUE(Form->Visible());
        EXPECT_TRUE(Form->tbStop->Enabled());
        EXPECT_FALSE(Form->tbClose->Enabled());
        EXPECT_FALSE(Form->tbtPrint->Enabled());
        if (pages == 3) {
            // The user looks at page 2 while page 3 is recorded, then stops.
            ClickButton(Form->tbtNextPage);
            EXPECT_EQ(Box->PageIndex(), 2);
            ClickButton(Form->tbStop);
        }
    }
    Rec->EndDoc();
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(Rec->Aborted());
    EXPECT_FALSE(Form->tbStop->Enabled());
    EXPECT_TRUE(Form->tbClose->Enabled());
    EXPECT_EQ(Status(), QStringLiteral("Страница 2 из 3"));
}

TEST_F(PreviewFixture, RecordedPagesPrintToThePdfPrinter)
{
    QTemporaryDir dir;
    const QString all = dir.filePath(QStringLiteral("все листы.pdf"));
    const QString some = dir.filePath(QStringLiteral("some.pdf"));
    Record(3);
    TPrinter* current = Printer();
    Rec->PrivatePrinter()->SetOutputFileName(all);
    Rec->Print();
    EXPECT_EQ(Printer(), current);
    Rec->PrivatePrinter()->SetOutputFileName(some);
    Rec->PrintPages(2, 7);
    EXPECT_EQ(Printer(), current);
    ASSERT_TRUE(QFile::exists(all));
    if (!HaveTools())
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(PageCount(all), 3);
    EXPECT_EQ(Title(all), QStringLiteral("Табличная информация"));
    const QStringList pages = PagesText(all);
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Лист номер %1").arg(i + 1))) << pages[i].toStdString();
    const QStringList two = PagesText(some);
    ASSERT_EQ(two.size(), 2);
    EXPECT_TRUE(two[0].contains(QStringLiteral("Лист номер 2")));
}

TEST_F(PreviewFixture, AFailedPrintGivesTheCurrentPrinterBack)
{
    Record(1);
    TPrinter* current = Printer();
    Rec->PrivatePrinter()->SetOutputFileName(QStringLiteral("/nonexistent-folder/x.pdf"));
    EXPECT_THROW(Rec->Print(), EPrinter);
    EXPECT_EQ(Printer(), current);
    EXPECT_FALSE(Rec->PrivatePrinter()->Printing());
}

TEST_F(PreviewFixture, ThePrintButtonAsksForThePagesAndPrintsThoseChosen)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("chosen.pdf"));
    Record(3);
    Rec->PrivatePrinter()->SetOutputFileName(file);
    testsupport::TDialogScript script;
    script.Then(IDCANCEL).Then([](TDialogCall& c) {
        c.PageNums = true;
        c.FromPage = 2;
        c.ToPage = 3;
        return IDOK;
    });
    ClickButton(Form->tbtPrint);
    EXPECT_FALSE(QFile::exists(file));   // cancelled: nothing printed
    ClickButton(Form->tbtPrint);
    ASSERT_EQ(script.Calls.size(), 2u);
    const TDialogCall& asked = script.Calls[0];
    EXPECT_EQ(asked.Kind, TDialogKind::Print);
    EXPECT_TRUE(asked.PageNumsEnabled);
    EXPECT_EQ(asked.MinPage, 1);
    EXPECT_EQ(asked.MaxPage, 3);
    EXPECT_EQ(asked.FromPage, 1);
    EXPECT_EQ(asked.ToPage, 3);
    // The dialog was offered the preview's own printer.
    EXPECT_EQ(asked.PrinterIndex, Rec->PrinterIndex());
    ASSERT_TRUE(QFile::exists(file));
    if (!HaveTools())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QStringList pages = PagesText(file);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Лист номер 2")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Лист номер 3")));
}

TEST_F(PreviewFixture, PrinterSetupGoesToWhoeverSetTheJobUp)
{
    struct TSetupOwner : TComponent {
        using TComponent::TComponent;
        void Setup(TObject*)
        {
            ++Calls;
            CurrentWasPreviews = ::Printer() == Recorder->PrivatePrinter();
        }
        TPrinterPreview* Recorder = nullptr;
        int Calls = 0;
        bool CurrentWasPreviews = false;
    };
    auto* owner = Create<TSetupOwner>(nullptr);
    owner->Recorder = Rec;
    Rec->OnPrinterSetupDialog = TNotifyEvent(owner, &TSetupOwner::Setup);
    Rec->PrinterSetupOwner = owner;
    Record(2);
    EXPECT_FALSE(Rec->OnPrinterSetupDialog);   // handed over to the box at the end of the job
    EXPECT_EQ(Box->PrinterSetupOwner(), owner);
    EXPECT_TRUE(Form->tbtPrinterSetupDialog->Enabled());
    TPrinter* current = Printer();
    ClickButton(Form->tbtPrinterSetupDialog);
    EXPECT_EQ(owner->Calls, 1);
    EXPECT_TRUE(owner->CurrentWasPreviews);
    EXPECT_EQ(Printer(), current);

    // The owner gone, the box forgets it and the button goes off.
    delete owner;
    EXPECT_EQ(Box->PrinterSetupOwner(), nullptr);
    Box->DoPrinterPreviewChanged();
    EXPECT_FALSE(Form->tbtPrinterSetupDialog->Enabled());
    Box->OnPrinterSetupDialog = nullptr;
}

TEST(PreviewCursors, TakeTheFirstFreeSlotsAndAMissingPictureIsRefused)
{
    ASSERT_NE(PrinterPreview(), nullptr);
    ASSERT_GT(crMagnifierEh, 0);
    ASSERT_GT(crHandEh, 0);
    EXPECT_NE(crMagnifierEh, crHandEh);
    EXPECT_TRUE(Screen->CursorResource(crMagnifierEh).contains(QStringLiteral("MAGNIFIEREH")));
    EXPECT_EQ(PreviewForm()->PreviewEh1->DrawPanel()->Cursor(), crMagnifierEh);
    const TCursor magnifier = crMagnifierEh, hand = crHandEh;
    EXPECT_THROW(LoadPreviewCursors({QStringLiteral("NOSUCHCURSOR")}), Exception);
    EXPECT_EQ(crMagnifierEh, magnifier);
    EXPECT_EQ(crHandEh, hand);
}

TEST_F(PreviewFixture, WithoutASetupHandlerThePlatformSetupTurnsThePreviewsOwnPrinter)
{
    Record(1);
    Form->Show();
    struct TListener : TObject {
        void Changed(TObject*) { ++Calls; }
        int Calls = 0;
    } listener;
    Box->OnPrinterSetupChanged = TNotifyEvent(&listener, &TListener::Changed);
    const int portraitHeight = Box->DrawPanel()->Height();
    TPrinter* current = Printer();
    const TPrinterOrientation currentOrientation = current->Orientation();
    testsupport::TDialogScript script;
    script.Then(IDCANCEL).Then([](TDialogCall& c) {
        c.Orientation = 1;
        return IDOK;
    });
    Box->PrinterSetupDialog();
    EXPECT_EQ(listener.Calls, 0);
    EXPECT_EQ(Rec->Orientation(), poPortrait);
    Box->PrinterSetupDialog();
    ASSERT_EQ(script.Calls.size(), 2u);
    EXPECT_EQ(script.Calls[0].Kind, TDialogKind::PrinterSetup);
    EXPECT_EQ(listener.Calls, 1);
    EXPECT_EQ(Rec->Orientation(), poLandscape);
    // The sheet lies on its side now; the application's printer was not touched.
    EXPECT_LT(Box->DrawPanel()->Height(), portraitHeight);
    EXPECT_GT(Box->DrawPanel()->Width(), Box->DrawPanel()->Height());
    EXPECT_EQ(Printer(), current);
    EXPECT_EQ(current->Orientation(), currentOrientation);
    Box->OnPrinterSetupChanged = nullptr;
}

TEST_F(PreviewFixture, ScrollBarsShowForAZoomedPageAndScrollIt)
{
    Record(1);
    Form->Show();
    auto bars = [&] {
        std::vector<TScrollBar*> found;
        for (int i = 0; i < Box->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TScrollBar*>(Box->Controls(i)))
                found.push_back(b);
        return found;
    };
    ASSERT_EQ(bars().size(), 2u);
    for (TScrollBar* b : bars())
        EXPECT_FALSE(b->Visible());   // the whole page fits
    Box->SetViewMode(vm200);
    TScrollBar* vert = nullptr;
    for (TScrollBar* b : bars()) {
        EXPECT_TRUE(b->Visible());
        if (b->Kind() == sbVertical)
            vert = b;
    }
    ASSERT_NE(vert, nullptr);
    EXPECT_EQ(vert->Max(), Box->VertRange() - Box->ClientHeight());
    vert->Scroll(scTrack, 120);   // dragging the thumb scrolls at once
    EXPECT_EQ(Box->VertPosition(), 120);
    PressKey(Box->Widget(), Qt::Key_Down);
    EXPECT_EQ(vert->Position(), 128);
}
