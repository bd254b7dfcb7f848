// Recording a long print job in the preview: pages per second and the memory a recorded page
// takes, against the picture of one page at the printer's resolution (what a preview holding
// every page as a picture would need per page). Pages are grid-like: 60 rows of 8 cells of
// text with their lines, at 600 pixels per inch.
#include "components/output/PrViewEh.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <malloc.h>

#include <cstdio>

namespace {

constexpr int kPages = 400, kRows = 60, kCols = 8;

size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void DrawPage(TCanvas* c, int page, int width)
{
    const int rowH = 100, colW = width / kCols;
    c->Font()->SetSize(9);
    for (int r = 0; r < kRows; ++r) {
        const int y = 200 + r * rowH;
        c->MoveTo(0, y);
        c->LineTo(width, y);
        for (int k = 0; k < kCols; ++k)
            c->TextOut(k * colW + 20, y + 20, QStringLiteral("Стр %1 ряд %2 кол %3").arg(page).arg(r).arg(k));
    }
    for (int k = 0; k <= kCols; ++k) {
        c->MoveTo(k * colW, 200);
        c->LineTo(k * colW, 200 + kRows * rowH);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        TPrinterPreview rec(nullptr);
        rec.PrivatePrinter()->SetPrinterIndex(rec.Printers()->IndexOf(TPrinter::PdfPrinterName()));
        const int width = rec.PageWidth();
        const size_t before = HeapInUse();
        QElapsedTimer t;
        t.start();
        rec.BeginDoc();
        for (int p = 1; p <= kPages; ++p) {
            if (p > 1)
                rec.NewPage();
            DrawPage(rec.Canvas(), p, width);
        }
        rec.EndDoc();
        const double secs = t.nsecsElapsed() / 1e9;
        const size_t used = HeapInUse() - before;
        const double perPage = double(used) / kPages;
        const double picture = double(rec.FullPageWidth()) * rec.FullPageHeight() * 4;
        std::printf("recorded %d pages in %.3f s: %.0f pages/s\n", kPages, secs, kPages / secs);
        std::printf("heap per recorded page: %.0f bytes; one page's picture at %d dpi: %.0f bytes (%.0f times more)\n",
                    perPage, rec.PixelsPerInchX(), picture, picture / perPage);

        // Showing a page: the recording played onto a screen-sized picture.
        QElapsedTimer s;
        s.start();
        int shown = 0;
        for (int i = 0; i < 20; ++i, ++shown) {
            QImage img(700, 990, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::white);
            HDC dc = CreateDCForImage(&img);
            PlayEnhMetaFile(dc, rec.Pages(i * 17 % kPages)->Handle(), TRect(0, 0, 700, 990));
            DeleteDC(dc);
        }
        std::printf("one page shown at 700 x 990: %.2f ms\n", s.nsecsElapsed() / 1e6 / shown);
    }
    return 0;
}
