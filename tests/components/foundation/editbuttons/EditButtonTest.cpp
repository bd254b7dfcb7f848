#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "components/foundation/ToolCtrlsEh_DropDowns.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"

#include <QCoreApplication>

using namespace vcltest;

namespace {

struct ButtonFixture : ::testing::Test {
    TForm* Form = nullptr;
    TEditButtonControlEh* Button = nullptr;
    QStringList Downs;   // "top" / "bottom" per OnDown
    int Clicks = 0;
    std::function<void(bool&)> DownHook;

    void SetUp() override
    {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(10, 10, 200, 100);
        Form->SetColor(clYellow);
        Button = Create<TEditButtonControlEh>(Form);
        Button->SetParent(Form);
        Button->SetBounds(5, 5, 17, 17);
        Button->OnDown = [this](TObject*, bool top, bool& autoRepeat, bool&) {
            Downs << (top ? "top" : "bottom");
            if (DownHook)
                DownHook(autoRepeat);
        };
        Button->OnClick = [this](TObject*) { ++Clicks; };
        Form->Show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { delete Form; }
    void Press(int y) { Button->MouseDown(mbLeft, TShiftState{ssLeft}, 8, y); }
    void Release(int y) { Button->MouseUp(mbLeft, TShiftState(), 8, y); }
    void Tick() { Button->Perform(WM_TIMER, 1, 0); }
    QImage Render()
    {
        TBitmap bmp(Button->Width(), Button->Height());
        Button->PaintTo(bmp.Canvas(), 0, 0);
        return bmp.Image().copy();
    }
};

TEST_F(ButtonFixture, SpinHalvesAndTheMiddleRows)
{
    Button->SetStyle(ebsUpDownEh);
    // Height 17: rows 0..7 the upper half, 8 and 9 neither, 10..16 the lower half.
    struct Case {
        int y, part;
        const char* down;
    } cases[] = {{0, 1, "top"}, {7, 1, "top"}, {8, 0, nullptr}, {9, 0, nullptr}, {10, 2, "bottom"}, {16, 2, "bottom"}};
    for (const Case& c : cases) {
        Downs.clear();
        Press(c.y);
        EXPECT_EQ(Button->ButtonNum(), c.part) << c.y;
        EXPECT_EQ(Downs, c.down ? QStringList{c.down} : QStringList()) << c.y;
        EXPECT_EQ(Button->RepeatTimerActive(), c.part != 0) << c.y;
        Release(c.y);
        EXPECT_FALSE(Button->RepeatTimerActive());
    }
    // Any other style: the whole button, no repetition.
    Button->SetStyle(ebsEllipsisEh);
    Downs.clear();
    Press(8);
    EXPECT_EQ(Button->ButtonNum(), 1);
    EXPECT_EQ(Downs, QStringList{"top"});
    EXPECT_FALSE(Button->RepeatTimerActive());
    Release(8);
    EXPECT_EQ(Clicks, 7);   // every release on the button clicks, the middle rows too
}

TEST_F(ButtonFixture, HeldSpinRepeatsAfter400ThenEvery100)
{
    Button->SetStyle(ebsAltUpDownEh);
    Press(12);
    EXPECT_EQ(Downs, QStringList{"bottom"});
    ASSERT_TRUE(Button->RepeatTimerActive());
    EXPECT_EQ(Button->RepeatTimerInterval(), 400);
    EXPECT_TRUE(TimerActive(Button->Handle(), 1));
    Tick();
    EXPECT_EQ(Downs.size(), 2);
    EXPECT_EQ(Button->RepeatTimerInterval(), 100);
    Tick();
    Tick();
    EXPECT_EQ(Downs, (QStringList{"bottom", "bottom", "bottom", "bottom"}));
    EXPECT_EQ(Button->RepeatTimerInterval(), 100);
    Release(12);
    EXPECT_FALSE(Button->RepeatTimerActive());
    EXPECT_FALSE(TimerActive(Button->Handle(), 1));
    EXPECT_EQ(Clicks, 1);
    // A stray tick after the release does nothing.
    Tick();
    EXPECT_EQ(Downs.size(), 4);
}

TEST_F(ButtonFixture, HandlerSwitchesRepetitionOff)
{
    Button->SetStyle(ebsUpDownEh);
    DownHook = [](bool& autoRepeat) { autoRepeat = false; };
    Press(2);
    EXPECT_FALSE(Button->RepeatTimerActive());
    Release(2);

    int calls = 0;
    DownHook = [&](bool& autoRepeat) { autoRepeat = ++calls < 3; };
    Press(2);
    Tick();
    EXPECT_TRUE(Button->RepeatTimerActive());
    Tick();   // the third call clears it
    EXPECT_FALSE(Button->RepeatTimerActive());
    EXPECT_EQ(calls, 3);
    Release(2);
}

TEST_F(ButtonFixture, SlidingIntoTheOtherHalfStopsAndClicksNothing)
{
    Button->SetStyle(ebsUpDownEh);
    Button->SetMouseCapture(true);
    Press(3);
    Button->MouseMove(TShiftState{ssLeft}, 8, 14);
    EXPECT_EQ(Button->PushState(), bsUpEh);
    Tick();   // the repetition stops with the button up
    EXPECT_EQ(Downs.size(), 1);
    Release(14);
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(Button->ButtonNum(), 0);
    EXPECT_FALSE(Button->RepeatTimerActive());
    Button->SetMouseCapture(false);
    // Moving within the pressed half keeps it down and clicks on release.
    Press(3);
    Button->MouseMove(TShiftState{ssLeft}, 9, 5);
    EXPECT_EQ(Button->PushState(), bsDownEh);
    Release(5);
    EXPECT_EQ(Clicks, 1);
    // Released outside the button: no click.
    Button->SetStyle(ebsDropDownEh);
    Press(3);
    Button->MouseUp(mbLeft, TShiftState(), 40, 3);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(ButtonFixture, StatesFromPushStateEnablingAndMouse)
{
    EXPECT_EQ(Button->GetState(), ebstNormalEh);
    Button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(Button->GetState(), ebstHotEh);
    Press(3);
    EXPECT_EQ(Button->GetState(), ebstPressedEh);
    Release(3);
    Button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Button->GetState(), ebstNormalEh);
    Button->SetAlwaysDown(true);
    EXPECT_TRUE(Button->Down());
    EXPECT_EQ(Button->ButtonNum(), 1);
    EXPECT_EQ(Button->GetState(), ebstPressedEh);
    Press(3);
    Release(3);
    EXPECT_TRUE(Button->Down());   // cannot be raised
    Button->SetAlwaysDown(false);
    EXPECT_FALSE(Button->Down());
    EXPECT_EQ(Button->GroupIndex(), 0);
    Button->SetEnabled(false);
    EXPECT_EQ(Button->GetState(), ebstDisabledEh);
}

// Ink of the face's sign: pixels darker than the button face.
QRect SignBox(const QImage& img)
{
    return InkBox(img.copy(2, 2, img.width() - 4, img.height() - 4), QColor(ToRgb(ColorToRGB(clBtnFace))), 60)
        .translated(2, 2);
}

TEST_F(ButtonFixture, FacesByStyleAndState)
{
    Button->SetBounds(5, 5, 17, 20);
    const QImage normal = Render();
    const QRect arrow = SignBox(normal);
    ASSERT_TRUE(arrow.isValid());
    EXPECT_EQ(Rgb(normal, arrow.center().x(), arrow.top()), 0u);   // a black arrow
    EXPECT_NEAR(arrow.center().x(), 8, 1);

    Press(5);
    const QImage pressed = Render();
    EXPECT_NE(MaxDiff(normal, pressed), 0);
    Release(5);
    EXPECT_EQ(MaxDiff(Render(), normal), 0);

    Button->SetEnabled(false);
    const QImage disabled = Render();
    EXPECT_NE(Rgb(disabled, arrow.center().x(), arrow.top()), 0u);   // greyed
    Button->SetEnabled(true);

    // Each style has a face of its own.
    std::vector<QImage> faces;
    for (TEditButtonStyleEh s : {ebsDropDownEh, ebsEllipsisEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh})
    {
        Button->SetStyle(s);
        faces.push_back(Render());
    }
    for (size_t i = 0; i < faces.size(); ++i)
        for (size_t j = i + 1; j < faces.size(); ++j)
            EXPECT_NE(MaxDiff(faces[i], faces[j]), 0) << i << " " << j;

    // A pressed lower half of a spin button: only the lower half changes.
    Button->SetStyle(ebsUpDownEh);
    const QImage spin = Render();
    Press(16);
    const QImage lower = Render();
    EXPECT_EQ(MaxDiff(spin.copy(0, 0, 17, 9), lower.copy(0, 0, 17, 9)), 0);
    EXPECT_NE(MaxDiff(spin.copy(0, 11, 17, 9), lower.copy(0, 11, 17, 9)), 0);
    Release(16);
}

QImage Solid(QColor c)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

TEST_F(ButtonFixture, GlyphImagesPerState)
{
    TImageList normalList(nullptr), pressedList(nullptr);
    normalList.SetWidth(8);
    normalList.SetHeight(8);
    pressedList.SetWidth(8);
    pressedList.SetHeight(8);
    normalList.AddImage(Solid(Qt::red));
    normalList.AddImage(Solid(Qt::green));
    pressedList.AddImage(Solid(Qt::blue));
    TEditButtonEh desc(Form);
    desc.Images()->SetNormalImages(&normalList);
    desc.Images()->SetPressedImages(&pressedList);
    desc.Images()->SetHotIndex(1);
    EXPECT_EQ(desc.Images()->GetStateImages(ebstHotEh), &normalList);   // no hot list: the normal one
    EXPECT_EQ(desc.Images()->GetStateImages(ebstControlHotEh), nullptr);
    EXPECT_EQ(desc.Images()->GetStateIndex(ebstControlHotEh), -1);

    Button->SetStyle(ebsGlyphEh);
    Button->SetEditButtonImages(desc.Images());
    EXPECT_EQ(Rgb(Render(), 8, 8), 0xFF0000u);
    Button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(Rgb(Render(), 8, 8), 0x00FF00u);   // the normal list at the hot index
    Press(8);
    const QImage down = Render();
    EXPECT_EQ(Rgb(down, 8, 8), 0x0000FFu);
    // Moved by one pixel while pressed: the image spans 5..12 instead of 4..11.
    EXPECT_EQ(Rgb(down, 12, 12), 0x0000FFu);
    EXPECT_NE(Rgb(down, 4, 8), 0x0000FFu);
    Release(8);
    Button->Perform(CM_MOUSELEAVE, 0, 0);
    Button->SetEnabled(false);
    EXPECT_NE(Rgb(Render(), 8, 8), 0xFF0000u);   // drawn disabled
    // A negative index draws no image.
    Button->SetEnabled(true);
    desc.Images()->SetNormalIndex(-1);
    EXPECT_NE(Rgb(Render(), 8, 8), 0xFF0000u);
}

TEST_F(ButtonFixture, GlyphButtonWithoutImagesFramesInTheParentsColour)
{
    TBitmap glyph(6, 6);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(TRect(0, 0, 6, 6));
    glyph.Canvas()->SetPixels(0, 5, clWhite);   // the transparent colour
    Button->SetStyle(ebsGlyphEh);
    Button->SetGlyph(&glyph);
    QImage img = Render();
    EXPECT_EQ(Rgb(img, 8, 8), 0xFF0000u);
    EXPECT_EQ(Rgb(img, 0, 8), 0xFFFF00u);   // the form is yellow
    Button->SetActive(true);
    img = Render();
    EXPECT_NE(Rgb(img, 0, 8), 0xFFFF00u);
}

TEST(EditButton, DescriptionDefaultsClampingAndNotices)
{
    TEditButtonsEh buttons(nullptr, TEditButtonEh::StaticClassInfo());
    QList<TObject*> changed;
    buttons.OnChanged = [&](TObject* item) { changed << item; };
    TEditButtonEh* b = buttons.Add();
    EXPECT_TRUE(b->Enabled());
    EXPECT_FALSE(b->GetVisible());
    EXPECT_EQ(b->NumGlyphs(), 1);
    EXPECT_EQ(b->Style(), ebsDropDownEh);
    changed.clear();
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->NumGlyphs(), 1);
    EXPECT_TRUE(changed.isEmpty());   // unchanged
    b->SetNumGlyphs(5);
    EXPECT_EQ(b->NumGlyphs(), 4);
    b->SetStyle(ebsPlusEh);
    b->Images()->SetHotIndex(3);
    EXPECT_EQ(changed, (QList<TObject*>{b, b, b}));

    // A handler on the button takes the notices instead of the collection.
    int own = 0;
    b->OnChanged = [&](TObject*) { ++own; };
    b->SetHint("h");
    EXPECT_EQ(own, 1);
    EXPECT_EQ(changed.size(), 3);

    TImageList list(nullptr);
    TComponent* ref = nullptr;
    buttons.OnRefComponentChanged = [&](TObject*, TComponent* c) { ref = c; };
    b->Images()->SetNormalImages(&list);
    EXPECT_EQ(ref, &list);

    TDropDownEditButtonEh dd(static_cast<TWinControl*>(nullptr));
    EXPECT_EQ(dd.ShortCut(), TShortCut(32808));
    EXPECT_FALSE(dd.GetVisible());
    TVisibleEditButtonEh vis(static_cast<TWinControl*>(nullptr));
    EXPECT_EQ(vis.ShortCut(), TShortCut(32808));
    EXPECT_TRUE(vis.GetVisible());
}

TEST(EditButton, AssignKeepsTheTargetsDefaultAction)
{
    TEditButtonEh a(static_cast<TWinControl*>(nullptr)), b(static_cast<TWinControl*>(nullptr));
    int clicks = 0;
    a.SetStyle(ebsEllipsisEh);
    a.SetHint("pick");
    a.SetWidth(21);
    a.SetVisible(true);
    a.SetNumGlyphs(2);
    a.SetShortCut(0x4000 | 'E');
    a.SetDefaultAction(true);
    a.SetOnClick([&](TObject*, bool& handled) { ++clicks; handled = true; });
    a.Images()->SetPressedIndex(4);
    b.SetParentDefinedDefaultAction(false);
    b.Assign(&a);
    EXPECT_EQ(b.Style(), ebsEllipsisEh);
    EXPECT_EQ(b.Hint(), QStringLiteral("pick"));
    EXPECT_EQ(b.Width(), 21);
    EXPECT_TRUE(b.GetVisible());
    EXPECT_EQ(b.NumGlyphs(), 2);
    EXPECT_EQ(b.ShortCut(), TShortCut(0x4000 | 'E'));
    EXPECT_EQ(b.Images()->PressedIndex(), 4);
    EXPECT_FALSE(b.DefaultAction());
    EXPECT_FALSE(b.IsDefaultActionStored());
    // The drop-down form settings stay the target's own too.
    a.DropDownFormParams()->SetDropDownFormClassName("TSomeFormEh");
    a.DropDownFormParams()->SetAlign(daRight);
    b.Assign(&a);
    EXPECT_EQ(b.DropDownFormParams()->DropDownFormClassName(), QString());
    EXPECT_EQ(b.DropDownFormParams()->Align(), daCenter);
    b.SetDropDownFormParams(a.DropDownFormParams());
    EXPECT_EQ(b.DropDownFormParams()->DropDownFormClassName(), QStringLiteral("TSomeFormEh"));
    bool handled = false;
    b.Click(&b, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(clicks, 1);
}

TEST(EditButton, ControlMadeForTheEditControl)
{
    auto form = CreateUnique<TForm>(nullptr);
    TEditButtonEh b(form.get());
    TEditButtonControlEh* c = b.CreateEditButtonControl();
    EXPECT_EQ(c->Owner(), form.get());
    EXPECT_EQ(c->Parent(), form.get());
    EXPECT_EQ(c->Width(), 10);
    EXPECT_EQ(c->Height(), 17);
    EXPECT_TRUE(c->Visible());
    EXPECT_TRUE(c->ControlStyle.Contains(csReplicatable));
}

}  // namespace

namespace {

TEST(EditButton, ActionRunsAimedAtTheEditControlAndLendsItsState)
{
    auto edit = CreateUnique<TCustomControl>(nullptr);
    auto action = CreateUnique<TAction>(nullptr);
    TComponent* target = nullptr;
    int runs = 0;
    action->OnExecute = [&](TObject* Sender) {
        ++runs;
        target = static_cast<TBasicAction*>(Sender)->ActionComponent;
    };
    action->SetHint("from the action");
    action->SetShortCut(TShortCut(0x4000 | 'F'));
    TEditButtonEh b(edit.get());
    b.SetAction(action.get());
    EXPECT_EQ(b.Action(), action.get());
    EXPECT_EQ(b.Hint(), QStringLiteral("from the action"));
    EXPECT_EQ(b.ShortCut(), TShortCut(0x4000 | 'F'));
    EXPECT_TRUE(b.GetVisible());
    // Linked values are the action's business, not stored with the button.
    EXPECT_FALSE(b.IsHintStored());
    EXPECT_FALSE(b.IsEnabledStored());

    bool handled = false;
    b.Click(&b, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(target, edit.get());

    // A hint of its own is stored with the button; any change of the action brings the
    // action's state back.
    action->SetEnabled(false);
    EXPECT_FALSE(b.Enabled());
    b.SetHint("own hint");
    EXPECT_TRUE(b.IsHintStored());
    action->SetHint("changed");
    EXPECT_EQ(b.Hint(), QStringLiteral("changed"));
    EXPECT_FALSE(b.IsHintStored());
    action->SetEnabled(true);
    EXPECT_TRUE(b.Enabled());

    // OnClick, when set, is all a click does.
    b.SetOnClick([](TObject*, bool& h) { h = true; });
    b.Click(&b, handled);
    EXPECT_EQ(runs, 1);
    b.SetAction(nullptr);
    EXPECT_EQ(b.Action(), nullptr);
    EXPECT_TRUE(b.IsHintStored());
}

TEST(EditButton, ActionOfAButtonInACollectionAimsAtTheCollectionsOwner)
{
    auto owner = CreateUnique<TCustomControl>(nullptr);
    auto action = CreateUnique<TAction>(nullptr);
    TComponent* target = nullptr;
    action->OnExecute = [&](TObject* Sender) { target = static_cast<TBasicAction*>(Sender)->ActionComponent; };
    TEditButtonsEh buttons(owner.get(), TEditButtonEh::StaticClassInfo());
    TEditButtonEh* b = buttons.Add();
    b->SetAction(action.get());
    bool handled = false;
    b->Click(b, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(target, owner.get());
    // Freeing the action leaves the button without one.
    action.reset();
    EXPECT_EQ(b->Action(), nullptr);
}

}  // namespace
