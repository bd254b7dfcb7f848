// Speed buttons and bitmap buttons worked through real mouse events on their form, and their
// faces probed by pixels.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Forms.h"
#include "platform/rtl/Filer.h"
#include "support/DialogScript.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A left click at a point of the form's client area.
void ClickAt(TForm& form, QPoint p)
{
    Mouse(form.Widget(), QEvent::MouseButtonPress, p, Qt::LeftButton);
    Mouse(form.Widget(), QEvent::MouseButtonRelease, p, Qt::NoButton);
}

QPoint Center(TControl* c) { return QPoint(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2); }

struct TButtonForm {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    std::vector<TSpeedButton*> Buttons;
    int Clicks = 0;
    explicit TButtonForm(int count, int group)
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 200, 60);
        for (int i = 0; i < count; ++i) {
            auto* b = Create<TSpeedButton>(Form.get());
            b->SetParent(Form.get());
            b->SetBounds(10 + i * 30, 10, 23, 22);
            b->SetGroupIndex(group);
            b->OnClick = TNotifyEvent([this](TObject*) { ++Clicks; });
            Buttons.push_back(b);
        }
        Form->Show();
    }
    QImage Shot() { return Form->Widget()->grab().toImage(); }
};

}  // namespace

TEST(SpeedButton, GroupKeepsOneButtonDown)
{
    TButtonForm f(3, 1);
    ClickAt(*f.Form, Center(f.Buttons[0]));
    EXPECT_TRUE(f.Buttons[0]->Down());
    ClickAt(*f.Form, Center(f.Buttons[1]));
    EXPECT_FALSE(f.Buttons[0]->Down());
    EXPECT_TRUE(f.Buttons[1]->Down());
    EXPECT_EQ(f.Buttons[1]->State(), bsExclusive);
    // Without AllowAllUp the down button cannot be clicked up.
    ClickAt(*f.Form, Center(f.Buttons[1]));
    EXPECT_TRUE(f.Buttons[1]->Down());
    f.Buttons[1]->SetAllowAllUp(true);
    ClickAt(*f.Form, Center(f.Buttons[1]));
    EXPECT_FALSE(f.Buttons[1]->Down());
    EXPECT_EQ(f.Clicks, 4);
}

TEST(SpeedButton, ReleaseOutsideIsNoClick)
{
    TButtonForm f(1, 0);
    TSpeedButton* b = f.Buttons[0];
    Mouse(f.Form->Widget(), QEvent::MouseButtonPress, Center(b), Qt::LeftButton);
    EXPECT_EQ(b->State(), bsDown);
    Mouse(f.Form->Widget(), QEvent::MouseMove, QPoint(150, 40), Qt::LeftButton);
    EXPECT_EQ(b->State(), bsUp);
    Mouse(f.Form->Widget(), QEvent::MouseMove, Center(b), Qt::LeftButton);
    EXPECT_EQ(b->State(), bsDown);
    Mouse(f.Form->Widget(), QEvent::MouseMove, QPoint(150, 40), Qt::LeftButton);
    Mouse(f.Form->Widget(), QEvent::MouseButtonRelease, QPoint(150, 40), Qt::NoButton);
    EXPECT_EQ(f.Clicks, 0);
    EXPECT_EQ(b->State(), bsUp);
    // A button outside a group never stays down.
    b->SetDown(true);
    EXPECT_FALSE(b->Down());
}

TEST(SpeedButton, GlyphFollowsStateAndSeesThroughItsCorner)
{
    TButtonForm f(1, 1);
    TSpeedButton* b = f.Buttons[0];
    // Two 8x8 images: up red, disabled blue; lime is the transparent colour (bottom-left pixel).
    TBitmap glyph(16, 8);
    glyph.Canvas()->Brush()->SetColor(clLime);
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 8));
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(TRect(2, 2, 6, 6));
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect(TRect(10, 2, 14, 6));
    b->SetGlyph(&glyph);
    b->SetNumGlyphs(2);
    // the glyph is centred: its image starts at ((23 - 8) / 2, (22 - 8) / 2) inside the button
    const int gx = 10 + 7, gy = 10 + 7;
    QImage up = f.Shot();
    EXPECT_EQ(vcltest::Rgb(up, gx + 3, gy + 3), 0xFF0000u);
    EXPECT_NE(vcltest::Rgb(up, gx, gy), 0x00FF00u);   // no lime: the face shows through
    b->SetDown(true);
    QImage down = f.Shot();
    // pressed: the same image one pixel right and down
    EXPECT_EQ(vcltest::Rgb(down, gx + 2 + 1, gy + 2 + 1), 0xFF0000u);
    EXPECT_NE(vcltest::Rgb(down, gx + 2, gy + 2), 0xFF0000u);
    b->SetEnabled(false);
    QImage disabled = f.Shot();
    EXPECT_EQ(vcltest::Rgb(disabled, gx + 3, gy + 3), 0x0000FFu);
}

TEST(SpeedButton, FlatButtonShowsItsEdgeOnlyUnderTheMouse)
{
    TButtonForm f(1, 0);
    TSpeedButton* b = f.Buttons[0];
    b->SetFlat(true);
    const QImage idle = f.Shot();
    b->Perform(CM_MOUSEENTER, 0, 0);
    const QImage hot = f.Shot();
    b->Perform(CM_MOUSELEAVE, 0, 0);
    const QImage left = f.Shot();
    // top-left corner of the button: highlight edge only while hot
    EXPECT_NE(vcltest::Rgb(hot, 10, 10), vcltest::Rgb(idle, 10, 10));
    EXPECT_EQ(vcltest::Rgb(left, 10, 10), vcltest::Rgb(idle, 10, 10));
}

namespace {
class TRecordingBitBtn : public TBitBtn {
public:
    using TBitBtn::TBitBtn;
    std::vector<UINT> States;

protected:
    void DrawItem(const DRAWITEMSTRUCT& ds) override
    {
        States.push_back(ds.itemState);
        TBitBtn::DrawItem(ds);
    }
};
}  // namespace

TEST(BitBtn, KindsBringCaptionResultAndRole)
{
    struct Case {
        TBitBtnKind Kind;
        QString Caption;
        int Result;
        bool Default, Cancel;
    };
    const Case cases[] = {
        {bkOK, QStringLiteral("OK"), mrOk, true, false},
        {bkCancel, QStringLiteral("Отмена"), mrCancel, false, true},
        {bkYes, QStringLiteral("&Да"), mrYes, true, false},
        {bkNo, QStringLiteral("&Нет"), mrNo, false, true},
        {bkClose, QStringLiteral("&Закрыть"), mrNone, false, false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TBitBtn> b(Create<TBitBtn>(nullptr));
        b->SetKind(c.Kind);
        EXPECT_EQ(b->Caption(), c.Caption);
        EXPECT_EQ(b->ModalResult, c.Result);
        EXPECT_EQ(b->Default, c.Default);
        EXPECT_EQ(b->Cancel, c.Cancel);
    }
}

TEST(BitBtn, OwnerDrawSeesThePressAndTheClickEndsTheModalForm)
{
    auto form = CreateUnique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 80);
    auto* b = Create<TRecordingBitBtn>(form.get());
    b->SetParent(form.get());
    b->SetBounds(10, 10, 90, 30);
    b->SetKind(bkOK);
    testsupport::TDialogScript user;
    user.Then([&](TDialogCall&) {
        QWidget* w = b->Widget();
        Mouse(w, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton);
        b->Widget()->grab();
        Mouse(w, QEvent::MouseButtonRelease, QPoint(20, 10), Qt::NoButton);
        return mrNone;
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    ASSERT_FALSE(b->States.empty());
    EXPECT_TRUE(std::any_of(b->States.begin(), b->States.end(), [](UINT s) { return s & ODS_SELECTED; }));
    EXPECT_TRUE(std::all_of(b->States.begin(), b->States.end(), [](UINT s) { return s & ODS_DEFAULT; }));
}

TEST(SpeedButtonStreaming, GlyphTravelsThroughTheFormResource)
{
    RegisterClasses<TSpeedButton>();
    auto form = CreateUnique<TForm>(nullptr);
    auto* source = Create<TSpeedButton>(form.get());
    source->SetName(QStringLiteral("Tick"));
    source->SetParent(form.get());
    source->Glyph()->SetSize(3, 2);
    source->Glyph()->Canvas()->Brush()->SetColor(clRed);
    source->Glyph()->Canvas()->FillRect(TRect(0, 0, 3, 2));
    source->Glyph()->Canvas()->SetPixels(1, 0, clBlue);
    const QString text = ComponentToText(form.get());
    // The class name, then the bitmap file ("BM").
    EXPECT_TRUE(text.contains(QStringLiteral("Glyph.Data = {\n      07544269746D6170424D"))) << text.toStdString();

    auto copyForm = CreateUnique<TForm>(nullptr);
    ReadComponentRes(text.toUtf8(), copyForm.get());
    auto* copy = dynamic_cast<TSpeedButton*>(copyForm->FindComponent(QStringLiteral("Tick")));
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Glyph()->Width(), 3);
    ASSERT_EQ(copy->Glyph()->Height(), 2);
    EXPECT_EQ(copy->Glyph()->Image().pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(copy->Glyph()->Image().pixel(0, 1) & 0xFFFFFF, 0xFF0000u);

    // Bitmap bytes without the class name read as well.
    const int at = text.indexOf(QStringLiteral("07544269746D6170"));
    QString bare = text;
    bare.remove(at, 16);
    auto bareForm = CreateUnique<TForm>(nullptr);
    ReadComponentRes(bare.toUtf8(), bareForm.get());
    auto* bareCopy = dynamic_cast<TSpeedButton*>(bareForm->FindComponent(QStringLiteral("Tick")));
    ASSERT_NE(bareCopy, nullptr);
    EXPECT_EQ(bareCopy->Glyph()->Width(), 3);
    EXPECT_EQ(bareCopy->Glyph()->Image().pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
}
