// The data-aware check box on a real X server: its face on the screen as it paints itself,
// plain, checked, focused, read-only and right to left.
#include "support/XvfbEnvironment.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/VclImageCompare.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

using namespace vcltest;

namespace {

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

uint32_t Sys(TColor c) { return ToRgb(ColorToRGB(c)); }

QImage Shot(TWinControl* c)
{
    QWidget* w = c->Widget();
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, g.x(), g.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Pixels of the screen that differ from what the control paints for itself.
int OffFromOwnPainting(TWinControl* c, const QImage& shot)
{
    const QImage own = c->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (own.size() != shot.size())
        return -1;
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y), b = shot.pixelColor(x, y);
            differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                   std::abs(a.blue() - b.blue())}) > 8;
        }
    return differing;
}

QRect Q(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// Bounding box of the pixels where two images of one size differ.
QRect DiffBox(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

class CheckBoxOnXServer : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form;
    TMemTableEh* t = nullptr;
    TDataSource* src = nullptr;

    void SetUp() override
    {
        if (!testsupport::XvfbEnvironment::Available())
            GTEST_SKIP() << "no display server";
        form = CreateUnique<TForm>(nullptr);
        // Clear of the other picture tests of this server.
        form->SetBounds(420, 60, 300, 260);
        t = Create<TMemTableEh>(form.get());
        t->FieldDefs()->Add(QStringLiteral("Paid"), ftBoolean);
        t->CreateDataSet();
        t->AppendRecord({Variant(true)});
        src = Create<TDataSource>(form.get());
        src->SetDataSet(t);
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Wait(100);
    }

    TDBCheckBoxEh* Box(int Top, TCheckBoxState State, const QString& Caption = QStringLiteral("Оплачен"))
    {
        auto* b = Create<TDBCheckBoxEh>(form.get());
        b->SetParent(form.get());
        b->SetBounds(10, Top, 140, 21);
        b->SetCaption(Caption);
        b->SetState(State);
        return b;
    }
    void ShowAndSettle()
    {
        form->Show();
        Wait(300);
        for (int i = 0; i < 30 && !form->Widget()->isActiveWindow(); ++i) {
            form->Widget()->activateWindow();
            Wait(100);
        }
    }
    TRect Glyph(TDBCheckBoxEh* b, TAlignment Side)
    {
        TRect g;
        GetAlignedCheckBoxRect(b->ClientRect(), Side, tlCenter, g);
        return g;
    }
    // Where the caption's text lies, measured as the box measures it.
    TSize TextSize(TDBCheckBoxEh* b)
    {
        TBitmap bmp(1, 1);
        bmp.Canvas()->Font()->Assign(b->Font());
        TRect r(0, 0, 0, 0);
        DrawText(bmp.Canvas()->Handle(), b->Caption(), -1, r, DT_SINGLELINE | DT_CALCRECT);
        return TSize{r.Width(), r.Height()};
    }
    void Save(const QImage& img, const char* name)
    {
        if (const QByteArray dir = qgetenv("DOV_PICTURE_DIR"); !dir.isEmpty())
            img.save(QString::fromLocal8Bit(dir) + QStringLiteral("/") + QString::fromUtf8(name));
    }
};

TEST_F(CheckBoxOnXServer, FacesLookAsPaintedWithTheGlyphAndCaptionInTheirPlaces)
{
    TDBCheckBoxEh* plain = Box(10, cbUnchecked);
    TDBCheckBoxEh* checked = Box(40, cbChecked);
    TDBCheckBoxEh* rtl = Box(70, cbChecked);
    rtl->SetBiDiMode(bdRightToLeft);
    TDBCheckBoxEh* grayed = Box(100, cbGrayed);
    TDBCheckBoxEh* disabled = Box(130, cbChecked);
    disabled->SetEnabled(false);
    ShowAndSettle();

    const uint32_t back = Sys(plain->Color());
    const QColor backColor = QColor::fromRgb(back);
    for (TDBCheckBoxEh* b : {plain, checked, rtl, grayed, disabled}) {
        const QImage shot = Shot(b);
        ASSERT_EQ(shot.size(), QSize(140, 21));
        EXPECT_LE(OffFromOwnPainting(b, shot), 4);
    }
    const QImage pPlain = Shot(plain), pChecked = Shot(checked), pRtl = Shot(rtl), pGrayed = Shot(grayed),
                 pDisabled = Shot(disabled);
    Save(pPlain, "checkbox-plain.png");
    Save(pChecked, "checkbox-checked.png");
    Save(pRtl, "checkbox-rtl.png");
    Save(pDisabled, "checkbox-disabled.png");

    // Left to right: the glyph at the left, vertically centred; the caption 5 pixels after it.
    const TRect g = Glyph(plain, taLeftJustify);
    EXPECT_EQ(g.Left, 0);
    EXPECT_EQ(g.Top, (21 - g.Height()) / 2);
    EXPECT_TRUE(InkBox(pPlain.copy(Q(g)), backColor).isValid());
    const QRect caption = InkBox(pPlain.copy(g.Right, 0, 140 - g.Right, 21), backColor);
    ASSERT_TRUE(caption.isValid());
    EXPECT_NEAR(g.Right + caption.left(), g.Right + 5, 1);
    EXPECT_GT(caption.width(), 20);

    // The three states differ only inside the glyph; the caption is the same.
    EXPECT_TRUE(Q(g).contains(DiffBox(pPlain, pChecked)));
    EXPECT_TRUE(Q(g).contains(DiffBox(pPlain, pGrayed)));
    EXPECT_TRUE(Q(g).contains(DiffBox(pChecked, pGrayed)));
    EXPECT_TRUE(DiffBox(pPlain, pChecked).isValid());

    // Right to left: the glyph at the right edge, the caption ending 5 pixels before it, and
    // the glyph drawn the same as on the left.
    const TRect gr = Glyph(rtl, taRightJustify);
    EXPECT_EQ(gr.Right, 140);
    EXPECT_EQ(pRtl.copy(Q(gr)), pChecked.copy(Q(g)));
    const QRect rtlCaption = InkBox(pRtl.copy(0, 0, gr.Left, 21), backColor);
    ASSERT_TRUE(rtlCaption.isValid());
    EXPECT_NEAR(rtlCaption.right() + 1, gr.Left - 5, 1);
    EXPECT_EQ(rtlCaption.width(), caption.width());

    // Disabled: the caption in the grey-text colour over its highlight shadow.
    bool grayInk = false, shadowInk = false;
    for (int y = 0; y < 21; ++y)
        for (int x = g.Right; x < 140; ++x) {
            grayInk = grayInk || Rgb(pDisabled, x, y) == Sys(clGrayText);
            shadowInk = shadowInk || Rgb(pDisabled, x, y) == Sys(clBtnHighlight);
        }
    EXPECT_TRUE(grayInk);
    EXPECT_TRUE(shadowInk);
    EXPECT_NE(pDisabled.copy(Q(g)), pChecked.copy(Q(g)));
}

TEST_F(CheckBoxOnXServer, FocusedFaceFramesTheCaptionOnly)
{
    TDBCheckBoxEh* focused = Box(10, cbChecked);
    TDBCheckBoxEh* plain = Box(40, cbChecked);
    ShowAndSettle();
    focused->SetFocus();
    Wait(200);
    ASSERT_TRUE(focused->Focused());
    const QImage pFocused = Shot(focused), pPlain = Shot(plain);
    Save(pFocused, "checkbox-focused.png");
    EXPECT_LE(OffFromOwnPainting(focused, pFocused), 4);

    // The focus frame surrounds the text, one pixel out (two at the bottom).
    const TRect g = Glyph(focused, taLeftJustify);
    const TSize text = TextSize(focused);
    const int top = 21 / 2 - text.cy / 2;
    const QRect frame(g.Right + 5 - 1, top - 1, text.cx + 2, text.cy + 3);
    // The glyph takes its active look; beside it only the frame differs.
    const int from = g.Right;
    QRect diff = DiffBox(pFocused.copy(from, 0, 140 - from, 21), pPlain.copy(from, 0, 140 - from, 21));
    ASSERT_TRUE(diff.isValid());
    diff.translate(from, 0);
    EXPECT_TRUE(frame.contains(diff)) << diff.x() << "," << diff.y() << " " << diff.width() << "x" << diff.height();
    EXPECT_GE(diff.width(), text.cx);
    EXPECT_GE(diff.height(), text.cy);
}

TEST_F(CheckBoxOnXServer, ReadOnlyFaceDoesNotChangeUnderTheMouse)
{
    TDBCheckBoxEh* ro = Box(10, cbUnchecked);
    ro->SetDataSource(src);
    ro->SetDataField(QStringLiteral("Paid"));
    ro->SetReadOnly(true);
    ShowAndSettle();
    ASSERT_EQ(ro->State(), cbChecked);
    const QImage before = Shot(ro);
    Save(before, "checkbox-readonly.png");
    EXPECT_LE(OffFromOwnPainting(ro, before), 4);

    QWidget* w = ro->Widget();
    const QPointF p(6, 10);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    Wait(200);
    EXPECT_EQ(ro->State(), cbChecked);
    EXPECT_EQ(t->State(), dsBrowse);
    // With the focus and the mouse gone again the face is as before the click.
    auto* other = Create<TCustomControl>(form.get());
    other->SetParent(form.get());
    other->SetTabStop(true);
    other->SetBounds(10, 200, 50, 20);
    other->SetFocus();
    ro->Perform(CM_MOUSELEAVE, 0, 0);
    Wait(200);
    EXPECT_FALSE(ro->Focused());
    EXPECT_EQ(Shot(ro), before);
}

}  // namespace
