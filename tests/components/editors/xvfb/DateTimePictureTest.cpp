// The date edit's face on a real X server: plain, focused, read-only and right to left. What
// reaches the screen is what the control painted; the text, the drop-down button and the
// selection sit where a user expects them.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

// Columns of the image holding a pixel of the colour.
std::pair<int, int> ColumnsOf(const QImage& img, uint32_t rgb)
{
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (Rgb(img, x, y) == rgb) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

struct Face {
    const char* Name;
    bool Focused;
    bool ReadOnly;
    bool RightToLeft;
};

TEST(DateTimeEditPicture, FacesAsPainted)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    const Face faces[] = {
        {"plain", false, false, false},
        {"focused", true, false, false},
        {"read-only", false, true, false},
        {"right-to-left", false, false, true},
    };
    for (const Face& f : faces) {
        auto form = CreateUnique<TForm>(nullptr);
        form->SetBounds(60, 560, 300, 120);
        auto* edit = Create<TDBDateTimeEditEh>(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(20, 20, 160, 22);
        auto* other = Create<TDBEditEh>(form.get());
        other->SetParent(form.get());
        other->SetBounds(20, 70, 160, 22);
        edit->SetValue(Variant::FromDate(EncodeDate(2024, 3, 15)));
        edit->SetReadOnly(f.ReadOnly);
        if (f.RightToLeft)
            edit->SetBiDiMode(bdRightToLeft);
        form->Show();
        WaitEvents(300);
        form->Widget()->activateWindow();
        (f.Focused ? static_cast<TWinControl*>(edit) : other)->SetFocus();
        WaitEvents(200);
        ASSERT_EQ(edit->Focused(), f.Focused) << f.Name;

        QWidget* w = edit->Widget();
        const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shot = ScreenShot(w, QStringLiteral("datetime-edit-") + QLatin1String(f.Name));
        ASSERT_EQ(shot.size(), own.size()) << f.Name;
        // The caret may blink between the two pictures.
        int differing = 0;
        for (int y = 0; y < own.height(); ++y)
            for (int x = 0; x < own.width(); ++x)
                differing += own.pixel(x, y) != shot.pixel(x, y);
        EXPECT_LE(differing, own.height()) << f.Name;

        // The drop-down button in the face colour at the right end (the left end right to left).
        const auto face = ColumnsOf(shot, PixelOf(clBtnFace));
        ASSERT_GE(face.first, 0) << f.Name;
        if (f.RightToLeft)
            EXPECT_LT(face.second, shot.width() / 3) << f.Name;
        else
            EXPECT_GT(face.first, shot.width() * 2 / 3) << f.Name;

        // The text: selected when focused; ink beside the button otherwise.
        const auto sel = ColumnsOf(shot, PixelOf(clHighlight));
        EXPECT_EQ(sel.first >= 0, f.Focused) << f.Name;
        const QRect textArea = f.RightToLeft ? QRect(face.second + 4, 2, shot.width() - face.second - 7, shot.height() - 4)
                                             : QRect(2, 2, face.first - 3, shot.height() - 4);
        const QRect ink = InkBox(shot.copy(textArea), QColor(QRgb(PixelOf(f.Focused ? clHighlight : clWindow))));
        ASSERT_TRUE(ink.isValid()) << f.Name;
        if (f.RightToLeft)
            EXPECT_GT(ink.left(), textArea.width() / 4) << f.Name;   // right-aligned text
        else
            EXPECT_LT(ink.left(), 8) << f.Name;
        EXPECT_EQ(edit->EditText(), QStringLiteral("15.03.2024")) << f.Name;

        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        WaitEvents(100);
    }
}

} // namespace
