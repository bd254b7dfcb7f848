// Writes what the X display shows to a PNG file, cut down to the windows on it (the part
// that differs from the empty screen's colour), for pictures of the running program:
//   grab_screen OUT.png [--wait SECONDS] [--full]
// For example, on a machine without a desktop:
//   xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'build/app/Dovrelin & sleep 8; build/tools/grab_screen dovrelin.png; kill $!'
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: grab_screen OUT.png [--wait SECONDS] [--full]\n", stderr);
    return 2;
}

// The smallest rectangle holding every pixel that differs from the top-left corner's colour.
QRect Used(const QImage& img)
{
    const QRgb empty = img.pixel(0, 0);
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != empty) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? img.rect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("grab_screen: DISPLAY is not set\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    QString out;
    double wait = 0;
    bool full = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--wait") && i + 1 < args.size()) {
            bool ok = false;
            wait = args[++i].toDouble(&ok);
            if (!ok)
                return Usage();
        } else if (args[i] == QLatin1String("--full")) {
            full = true;
        } else if (out.isEmpty() && !args[i].startsWith(u'-')) {
            out = args[i];
        } else {
            return Usage();
        }
    }
    if (out.isEmpty())
        return Usage();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait * 1000));
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fputs("grab_screen: no screen\n", stderr);
        return 1;
    }
    QImage img = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (!full)
        img = img.copy(Used(img));
    if (!img.save(out)) {
        std::fprintf(stderr, "grab_screen: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(out), img.width(), img.height());
    return 0;
}
