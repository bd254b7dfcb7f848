// The caption label a control owns: where it goes, what it says and when it shows, seen
// through a small owner that does what an edit does for its label.
#include "components/editors/DBCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "support/AppEnvironment.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TLabelOwner : public TCustomControl, public IControlLabelOwnerEh {
public:
    using TCustomControl::TCustomControl;
    TControlLabelEh* Label = nullptr;
    std::unique_ptr<TControlLabelLocationEh> Location;
    QString FieldCaption;
    int BaseLine = 15;
    int LocationChanges = 0;

    void AfterConstruction() override
    {
        TCustomControl::AfterConstruction();
        Location = CreateUnique<TControlLabelLocationEh>(this);
        Label = Create<TControlLabelEh>(this);
        Label->FreeNotification(this);
        Label->SetFocusControl(this);
        Label->UpdateCaption();
    }

    QString GetControlLabelCaption() override { return FieldCaption.isEmpty() ? Name() : FieldCaption; }
    int GetControlTextBaseLine() override { return BaseLine; }
    void AdjustLabelBounds() override
    {
        if (!Label || !Location)
            return;
        TPoint p;
        Location->CalcLabelPosForControl(Label->Width(), Label->Height(), p);
        Label->SetBounds(p.X, p.Y, Label->Width(), Label->Height());
    }
    void LabelLocationChanged() override
    {
        ++LocationChanges;
        if (!ComponentState().Contains(csLoading))
            AdjustLabelBounds();
    }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override
    {
        TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
        AdjustLabelBounds();
    }
    void SetParent(TWinControl* AParent) override
    {
        TCustomControl::SetParent(AParent);
        if (Label) {
            Label->UpdateParent();
            Label->UpdateVisibility();
            Label->UpdateCaption();
        }
    }

protected:
    void CMVisibleChanged(TMessage& M) override
    {
        TCustomControl::CMVisibleChanged(M);
        if (Label)
            Label->UpdateVisibility();
    }
    void CMEnabledChanged(TMessage& M) override
    {
        TCustomControl::CMEnabledChanged(M);
        if (Label)
            Label->Invalidate();
    }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TCustomControl::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Label)
            Label = nullptr;
    }
};

class ControlLabelTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm> form = CreateUnique<TForm>(nullptr);
    TLabelOwner* edit = nullptr;
    TControlLabelEh* label = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 500, 300);
        edit = Create<TLabelOwner>(form.get());
        edit->SetName(QStringLiteral("InvoiceEdit"));
        edit->SetParent(form.get());
        edit->SetBounds(100, 100, 120, 24);
        label = edit->Label;
    }

    // A label of fixed size, on.
    void FixedLabel(int W, int H)
    {
        label->SetAutoSize(false);
        label->SetVisible(true);
        label->SetBounds(label->Left(), label->Top(), W, H);
        edit->AdjustLabelBounds();
    }

    QImage Render(TControlLabelEh* L)
    {
        TBitmap bmp(L->Width(), L->Height());
        TMessage m{WM_PAINT, WPARAM(bmp.Canvas()->Handle()), 0, 0};
        L->Dispatch(m);
        return bmp.ToImage();
    }
};

TEST_F(ControlLabelTest, CreatedHiddenUnparentedAndCaptionedByItsOwner)
{
    EXPECT_EQ(label->Name(), QStringLiteral("SubLabel"));
    EXPECT_EQ(label->Owner(), edit);
    EXPECT_FALSE(label->Visible());
    EXPECT_FALSE(label->TControl::Visible());
    EXPECT_EQ(label->Parent(), nullptr);
    EXPECT_EQ(label->Caption(), QStringLiteral("InvoiceEdit"));
    EXPECT_FALSE(label->IsCaptionStored());
}

TEST_F(ControlLabelTest, EveryPositionPlacesTheLabelByItsBoundAndOffset)
{
    FixedLabel(40, 15);
    // The owner is at (100, 100), 120 x 24; spacing 3, offset 2; text base line 15.
    struct Case {
        TLabelPositionEh Position;
        TPoint Near;
        TPoint Far;
    };
    const Case cases[] = {
        {lpAboveLeftEh, {102, 82}, {102, 97}},
        {lpAboveCenterEh, {142, 82}, {142, 97}},
        {lpAboveRightEh, {182, 82}, {182, 97}},
        {lpBelowLeftEh, {102, 127}, {102, 142}},
        {lpBelowCenterEh, {142, 127}, {142, 142}},
        {lpBelowRightEh, {182, 127}, {182, 142}},
        {lpLeftTopEh, {57, 102}, {97, 102}},
        {lpLeftTextBaselineEh, {57, 102}, {97, 102}},
        {lpLeftCenterEh, {57, 106}, {97, 106}},
        {lpLeftBottomEh, {57, 111}, {97, 111}},
        {lpRightTopEh, {223, 102}, {263, 102}},
        {lpRightTextBaselineEh, {223, 102}, {263, 102}},
        {lpRightCenterEh, {223, 106}, {263, 106}},
        {lpRightBottomEh, {223, 111}, {263, 111}},
    };
    edit->Location->SetOffset(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(DovEnumInfo(c.Position).NameOf(c.Position).toStdString());
        edit->Location->SetPosition(c.Position);
        edit->Location->SetLabelSpacingBound(sbNearBoundEh);
        EXPECT_EQ(label->Left(), c.Near.X);
        EXPECT_EQ(label->Top(), c.Near.Y);
        edit->Location->SetLabelSpacingBound(sbFarBoundEh);
        EXPECT_EQ(label->Left(), c.Far.X);
        EXPECT_EQ(label->Top(), c.Far.Y);
    }
}

TEST_F(ControlLabelTest, CentredPositionsHalveTowardZero)
{
    FixedLabel(41, 15);
    edit->SetBounds(100, 100, 120, 24);
    edit->Location->SetPosition(lpAboveCenterEh);
    EXPECT_EQ(label->Left(), 100 + 79 / 2);
    // A label wider than its control: the negative half truncates toward zero too.
    FixedLabel(131, 15);
    EXPECT_EQ(label->Left(), 100 + (-11) / 2);
    EXPECT_EQ(label->Left(), 95);
}

TEST_F(ControlLabelTest, BaseLinePositionSitsTheLabelOnTheTextAndKeepsItsSpacing)
{
    FixedLabel(40, 13);
    edit->BaseLine = 17;
    edit->Location->SetPosition(lpLeftTextBaselineEh);
    EXPECT_EQ(label->Top() + label->Height(), edit->Top() + 17);
    EXPECT_EQ(edit->Left() - (label->Left() + label->Width()), 3);
    edit->Location->SetPosition(lpRightTextBaselineEh);
    EXPECT_EQ(label->Top() + label->Height(), edit->Top() + 17);
    EXPECT_EQ(label->Left() - (edit->Left() + edit->Width()), 3);
}

TEST_F(ControlLabelTest, FollowsItsOwnerWhenItMoves)
{
    FixedLabel(40, 15);
    edit->Location->SetPosition(lpLeftCenterEh);
    edit->SetBounds(250, 40, 120, 30);
    EXPECT_EQ(label->Left(), 250 - 40 - 3);
    EXPECT_EQ(label->Top(), 40 + (30 - 15) / 2);
}

TEST_F(ControlLabelTest, AutoSizedLabelIsPlacedAgainWhenItsTextGrows)
{
    label->SetVisible(true);
    edit->Location->SetPosition(lpAboveRightEh);
    edit->AdjustLabelBounds();
    EXPECT_EQ(label->Left() + label->Width(), edit->Left() + edit->Width());
    const int before = label->Width();
    label->SetCaption(QStringLiteral("Сумма НДС по счёт-фактуре"));
    EXPECT_GT(label->Width(), before);
    EXPECT_EQ(label->Left() + label->Width(), edit->Left() + edit->Width());
    EXPECT_EQ(label->Top() + label->Height() + 3, edit->Top());
}

TEST_F(ControlLabelTest, EmptyCaptionGivesBackTheOwnersCaption)
{
    edit->FieldCaption = QStringLiteral("Номер счёта");
    label->UpdateCaption();
    EXPECT_EQ(label->Caption(), QStringLiteral("Номер счёта"));

    label->SetCaption(QStringLiteral("&Счёт"));
    EXPECT_TRUE(label->IsCaptionStored());
    edit->FieldCaption = QStringLiteral("Другое поле");
    label->UpdateCaption();
    EXPECT_EQ(label->Caption(), QStringLiteral("&Счёт"));

    label->SetCaption(QString());
    EXPECT_FALSE(label->IsCaptionStored());
    EXPECT_EQ(label->Caption(), QStringLiteral("Другое поле"));

    // No field: the owner's component name.
    edit->FieldCaption.clear();
    label->SetCaption(QString());
    EXPECT_EQ(label->Caption(), QStringLiteral("InvoiceEdit"));
}

TEST_F(ControlLabelTest, OwnVisibilityDecidesParentAndTheOwnersVisibilityDecidesShowing)
{
    edit->Location->SetPosition(lpBelowLeftEh);
    label->SetVisible(true);
    EXPECT_EQ(label->Parent(), form.get());
    EXPECT_TRUE(label->TControl::Visible());
    EXPECT_EQ(label->Left(), edit->Left());
    EXPECT_EQ(label->Top(), edit->Top() + edit->Height() + 3);

    edit->Hide();
    EXPECT_TRUE(label->Visible());
    EXPECT_FALSE(label->TControl::Visible());
    edit->Show();
    EXPECT_TRUE(label->TControl::Visible());

    label->SetVisible(false);
    EXPECT_EQ(label->Parent(), nullptr);
    EXPECT_FALSE(label->TControl::Visible());
    // Hidden by its own switch, it stays hidden when the owner shows again.
    edit->Hide();
    edit->Show();
    EXPECT_FALSE(label->TControl::Visible());
}

TEST_F(ControlLabelTest, MovesWithItsOwnerToAnotherParent)
{
    label->SetVisible(true);
    auto* panel = Create<TCustomControl>(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 400, 250);
    edit->SetParent(panel);
    EXPECT_EQ(label->Parent(), panel);
    edit->SetParent(nullptr);
    EXPECT_EQ(label->Parent(), nullptr);
}

TEST_F(ControlLabelTest, LooksDisabledWhileItsOwnerIsDisabled)
{
    label->SetCaption(QStringLiteral("Сумма"));
    label->SetVisible(true);
    const QImage enabled = Render(label);
    edit->SetEnabled(false);
    const QImage followed = Render(label);
    EXPECT_NE(followed, enabled);
    EXPECT_TRUE(label->Enabled());

    // The same as a label disabled on its own.
    edit->SetEnabled(true);
    label->SetEnabled(false);
    EXPECT_EQ(Render(label), followed);
}

TEST_F(ControlLabelTest, FreeingTheLabelClearsTheOwnersReference)
{
    delete label;
    EXPECT_EQ(edit->Label, nullptr);
}

TEST_F(ControlLabelTest, LocationTellsItsControlOnlyOfRealChanges)
{
    TControlLabelLocationEh* loc = edit->Location.get();
    EXPECT_EQ(loc->Spacing(), 3);
    EXPECT_EQ(loc->Offset(), 0);
    EXPECT_EQ(loc->Position(), lpAboveLeftEh);
    EXPECT_EQ(loc->LabelSpacingBound(), sbNearBoundEh);
    EXPECT_EQ(loc->GetOwner(), edit);

    edit->LocationChanges = 0;
    loc->SetSpacing(3);
    loc->SetOffset(0);
    loc->SetPosition(lpAboveLeftEh);
    loc->SetLabelSpacingBound(sbNearBoundEh);
    EXPECT_EQ(edit->LocationChanges, 0);
    loc->SetSpacing(5);
    loc->SetOffset(-1);
    loc->SetPosition(lpRightCenterEh);
    loc->SetLabelSpacingBound(sbFarBoundEh);
    EXPECT_EQ(edit->LocationChanges, 4);
}

TEST_F(ControlLabelTest, LocationIsAssignedFromAnotherLocation)
{
    FixedLabel(40, 15);
    TControlLabelLocationEh other(nullptr);
    other.SetSpacing(7);
    other.SetOffset(4);
    other.SetPosition(lpBelowRightEh);
    other.SetLabelSpacingBound(sbFarBoundEh);
    edit->LocationChanges = 0;
    edit->Location->Assign(&other);
    EXPECT_EQ(edit->Location->Spacing(), 7);
    EXPECT_EQ(edit->Location->Offset(), 4);
    EXPECT_EQ(edit->Location->Position(), lpBelowRightEh);
    EXPECT_EQ(edit->Location->LabelSpacingBound(), sbFarBoundEh);
    EXPECT_EQ(edit->LocationChanges, 1);
    EXPECT_EQ(label->Top(), 100 + 24 + 7 + 15);

    TFont font;
    EXPECT_THROW(edit->Location->Assign(&font), EConvertError);
}

}  // namespace
