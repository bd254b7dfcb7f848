// The main window as the screen shows it, at fixed sizes, against pictures kept in stored/.
// Only what a font renderer may change is forgiven: pixels whose colour turns up again
// within two pixels in the other picture (glyph edges, hinting, antialiasing), and a small
// number of others. A control moved, resized, recoloured or left out fails.
//
// To make the pictures anew (after a deliberate change of the window), under the private
// X server of the test run:
//   DOV_UPDATE_PICTURES=1 xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/test_app_ui_pictures_xvfb
// and look at every picture in tests/app/ui/pictures_xvfb/stored/ before committing it.
// With DOV_PICTURE_DIR set, each shot and, on a failure, a map of the differing pixels
// (red) are written there too.
#include "support/ProgramOnXServer.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdlib>

using namespace journey;

namespace {

QString StoredDir() { return QStringLiteral(DOV_TEST_DATA "/../app/ui/pictures_xvfb/stored"); }

constexpr int kChannelTolerance = 40;
constexpr int kShiftRadius = 2;

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= kChannelTolerance && std::abs(qGreen(a) - qGreen(b)) <= kChannelTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= kChannelTolerance;
}

// Whether the colour c turns up in img within the shift radius of (x, y).
bool FoundAround(const QImage& img, int x, int y, QRgb c)
{
    for (int dy = -kShiftRadius; dy <= kShiftRadius; ++dy)
        for (int dx = -kShiftRadius; dx <= kShiftRadius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < img.width() && py < img.height() && Near(img.pixel(px, py), c))
                return true;
        }
    return false;
}

// Pixels that differ beyond what a font renderer explains; their map goes to *Map.
int UnexplainedPixels(const QImage& a, const QImage& b, QImage* Map)
{
    *Map = a.copy();
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
            if (Near(pa, pb) || (FoundAround(b, x, y, pa) && FoundAround(a, x, y, pb)))
                continue;
            ++count;
            Map->setPixel(x, y, qRgb(255, 0, 0));
        }
    return count;
}

// The comparison itself: strokes a pixel or two aside are a font renderer's doing; a panel
// moved or recoloured is not.
TEST(PictureComparison, ForgivesShiftedStrokesButNotMovedOrRecolouredControls)
{
    auto picture = [](int StrokeX, int PanelX, QRgb Panel) {
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(qRgb(212, 208, 200));
        for (int y = 10; y < 30; ++y)
            img.setPixel(StrokeX, y, qRgb(0, 0, 0));
        for (int y = 50; y < 90; ++y)
            for (int x = PanelX; x < PanelX + 40; ++x)
                img.setPixel(x, y, Panel);
        return img;
    };
    const QRgb cream = qRgb(255, 251, 240), navy = qRgb(10, 36, 106);
    const QImage stored = picture(20, 100, cream);
    QImage map;
    struct Case {
        const char* what;
        QImage shot;
        bool forgiven;
    } cases[] = {
        {"the same", picture(20, 100, cream), true},
        {"a stroke one pixel aside", picture(21, 100, cream), true},
        {"a stroke two pixels aside", picture(22, 100, cream), true},
        {"a stroke four pixels aside", picture(24, 100, cream), false},
        {"the panel moved", picture(20, 110, cream), false},
        {"the panel recoloured", picture(20, 100, navy), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnexplainedPixels(stored, c.shot, &map) == 0, c.forgiven) << c.what;
}

class WindowPictures : public ProgramOnXServer {
protected:
    // The window's client area on the screen against the stored picture NAME.png.
    void ExpectLooksAsStored(const QString& Name)
    {
        w->Repaint();
        testsupport::WaitEvents(200);
        const QImage shot = testsupport::ScreenShot(w->Widget(), Name);
        const QString path = StoredDir() + u'/' + Name + QStringLiteral(".png");
        if (!qgetenv("DOV_UPDATE_PICTURES").isEmpty()) {
            QDir().mkpath(StoredDir());
            ASSERT_TRUE(shot.save(path)) << path.toStdString();
            return;
        }
        QImage stored(path);
        ASSERT_FALSE(stored.isNull()) << "no stored picture " << path.toStdString();
        stored = stored.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.size(), stored.size()) << Name.toStdString();
        QImage map;
        const int off = UnexplainedPixels(stored, shot, &map);
        // a few hundred pixels: what a changed hinting may leave beyond the shift radius
        const int allowed = shot.width() * shot.height() / 2000;
        if (off > allowed)
            testsupport::SavePicture(map, Name + QStringLiteral("-diff.png"));
        EXPECT_LE(off, allowed) << Name.toStdString() << ": " << off << " pixels differ";
    }

    // The period of the generated data, so the date pickers show the same days every run.
    void SetPeriod()
    {
        w->FirstDTP->SetDate(EncodeDate(model.FirstDate.year(), model.FirstDate.month(), model.FirstDate.day()));
        w->SecondDTP->SetDate(EncodeDate(model.SecondDate.year(), model.SecondDate.month(), model.SecondDate.day()));
    }
    void LoadAndReconcile()
    {
        user.ThenFiles({dir.filePath(QStringLiteral("desk_audit.xlsx"))});
        Click(w->LoadExcelFileBtn);
        ASSERT_TRUE(WaitForJob());
        Click(w->UpdateBtn);
        ASSERT_TRUE(WaitForJob());
        ASSERT_TRUE(dm->CompareMemTableEh->Active());
        // the keyboard's frame stays out of the picture
        w->InvDBGridEh->SetFocus();
        testsupport::WaitEvents(100);
    }
};

TEST_F(WindowPictures, AfterStartUp)
{
    StartProgram();
    SetPeriod();
    ExpectLooksAsStored(QStringLiteral("start-up-1087x669"));
}

TEST_F(WindowPictures, AfterAReconciliation)
{
    StartProgram();
    SetPeriod();
    ASSERT_NO_FATAL_FAILURE(LoadAndReconcile());
    ExpectLooksAsStored(QStringLiteral("reconciled-1087x669"));
}

TEST_F(WindowPictures, AfterAReconciliationInALargerWindowWithTheFilters)
{
    StartProgram(4, 1240, 900);
    SetPeriod();
    ASSERT_NO_FATAL_FAILURE(LoadAndReconcile());
    Click(w->ShowFiltersBtn);
    ExpectLooksAsStored(QStringLiteral("reconciled-filters-1240x900"));
}

}  // namespace
