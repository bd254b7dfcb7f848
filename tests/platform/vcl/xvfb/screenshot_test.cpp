// A small window on a real X server (Xvfb): the server's screenshot of it must match our
// painting. Skipped when no display server is present.
#include "support/XvfbEnvironment.h"

#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <memory>

namespace {

class TSample : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clWindow);
        Canvas()->FillRect(ClientRect());
        TRect combo(4, 4, 21, 21), check(24, 4, 41, 21), text(44, 4, 150, 21);
        DrawFrameControl(Canvas()->Handle(), combo, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
        DrawFrameControl(Canvas()->Handle(), check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
        QString caption = QStringLiteral("Сверка");
        Canvas()->TextRect(text, caption, {tfSingleLine, tfVerticalCenter});
    }
};

} // namespace

TEST(Screenshot, WindowOnTheServerLooksAsPainted)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto formHolder = CreateUnique<TForm>(nullptr);
    TForm& form = *formHolder;
    form.SetBorderStyle(bsNone);
    form.SetBounds(40, 40, 160, 30);
    auto* sample = Create<TSample>(&form);
    sample->SetParent(&form);
    sample->SetAlign(alClient);
    form.Show();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QWidget* w = form.Widget();
    const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), own.size());
    int worst = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y), b = shot.pixelColor(x, y);
            worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
        }
    EXPECT_LE(worst, 8);
    // The classic combo button: its raised edge's dark corner is on the server too.
    EXPECT_EQ(shot.pixel(4 + 16, 4 + 16) & 0xFFFFFF, 0x404040u);
    // And the whole window matches the stored picture of it.
    EXPECT_TRUE(vcltest::MatchesReference(shot, QStringLiteral("vcl/screenshot_form.png"), 8));
}
