// The image control's face on a real X server: plain, focused, read-only and right to left,
// as the screen shows it.
#include "support/ScreenPictures.h"
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QBuffer>
#include <QWidget>

using namespace testsupport;
using namespace vcltest;

namespace {

// The box of red pixels.
QRect RedBox(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                r |= QRect(x, y, 1, 1);
        }
    return r;
}

TEST(ImageOnXServer, PlainFocusedReadOnlyAndRightToLeftFaces)
{
    if (!testsupport::XvfbEnvironment::Available())
        GTEST_SKIP() << "no display server";
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBounds(40, 520, 520, 200);
    auto* table = Create<TMemTableEh>(form.get());
    table->FieldDefs()->Add(QStringLiteral("Photo"), ftBlob);
    table->CreateDataSet();
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    red.save(&buf, "PNG");
    table->AppendRecord({VarArrayFromBytes(png)});
    auto* source = Create<TDataSource>(form.get());
    source->SetDataSet(table);

    const char* names[] = {"Plain", "Focused", "ReadOnly", "RightToLeft"};
    std::vector<TDBImageEh*> images;
    for (int i = 0; i < 4; ++i) {
        auto* img = Create<TDBImageEh>(form.get());
        img->SetName(QString::fromLatin1(names[i]));
        img->SetParent(form.get());
        img->SetBounds(10 + i * 125, 20, 110, 90);
        img->SetColor(clWindow);
        img->SetDataSource(source);
        img->SetDataField(QStringLiteral("Photo"));
        images.push_back(img);
    }
    images[2]->SetReadOnly(true);
    images[3]->SetBiDiMode(bdRightToLeft);
    images[3]->EditButton()->SetVisible(true);
    form->Show();
    WaitEvents(300);
    form->Widget()->activateWindow();
    images[1]->SetFocus();
    WaitEvents(300);
    ASSERT_EQ(form->ActiveControl(), images[1]);

    std::vector<QImage> shots;
    for (TDBImageEh* img : images) {
        shots.push_back(ScreenShot(img->Widget(), QStringLiteral("image-") + img->Name()));
    }
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const QImage& s = shots[size_t(i)];
        ASSERT_EQ(s.size(), QSize(110, 90));
        // Sunken client edge, then the picture centred in the client area at its own size.
        EXPECT_EQ(Rgb(s, 0, 45), PixelOf(clBtnShadow));
        const TRect client = images[size_t(i)]->ClientRect();
        const QRect box = RedBox(s);
        EXPECT_EQ(box.size(), QSize(40, 20));
        EXPECT_NEAR(box.center().x(), 2 + client.Width() / 2, 1);
        EXPECT_NEAR(box.center().y(), 2 + client.Height() / 2, 1);
    }
    // Only the focused one is framed in the window-frame colour; the others show the window colour there.
    EXPECT_EQ(Rgb(shots[1], 2 + 10, 2), PixelOf(clWindowFrame));
    for (int i : {0, 2, 3})
        EXPECT_EQ(Rgb(shots[size_t(i)], 2 + 10, 2), PixelOf(clWindow)) << names[i];
    // The right-to-left one shows its button at the top right corner, the others none.
    const TRect btn = images[3]->EditButtonControl()->BoundsRect();
    EXPECT_GT(btn.Width(), 0);
    EXPECT_EQ(btn.Right, images[3]->ClientRect().Right - 2);
    EXPECT_EQ(btn.Top, 2);
    EXPECT_EQ(Rgb(shots[3], 2 + btn.Left + 3, 2 + btn.Top + 3), PixelOf(clBtnFace));
    EXPECT_EQ(Rgb(shots[0], 2 + btn.Left + 3, 2 + btn.Top + 3), PixelOf(clWindow));

    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WaitEvents(200);
}

}  // namespace
