#include "support/AppEnvironment.h"

#include "components/foundation/PropFilerEh.h"
#include "platform/vcl/ExtCtrls.h"

#include <QCoreApplication>
#include <memory>

namespace {

TStoragePropertyInterceptor* MakeOther(TPersistent* t)
{
    return new TStoragePropertyInterceptor(t);
}

TEST(StorageInterceptors, FormsAreRegisteredAndALaterRegistrationReplaces)
{
    EXPECT_EQ(StoragePropertyInterceptorFor(&TCustomForm::StaticClassInfo()), &TFormStoragePropertyInterceptor::CreateFor);
    // A descendant is an entry of its own.
    EXPECT_EQ(StoragePropertyInterceptorFor(&TForm::StaticClassInfo()), nullptr);
    const int before = StoragePropertyInterceptorCount();
    RegisterStoragePropertyInterceptor(&TPanel::StaticClassInfo(), &TStoragePropertyInterceptor::CreateFor);
    RegisterStoragePropertyInterceptor(&TPanel::StaticClassInfo(), &MakeOther);
    EXPECT_EQ(StoragePropertyInterceptorCount(), before + 1);
    EXPECT_EQ(StoragePropertyInterceptorFor(&TPanel::StaticClassInfo()), &MakeOther);
    // Unregistering needs both to match.
    UnregisterStoragePropertyInterceptor(&TPanel::StaticClassInfo(), &TStoragePropertyInterceptor::CreateFor);
    EXPECT_EQ(StoragePropertyInterceptorCount(), before + 1);
    UnregisterStoragePropertyInterceptor(&TPanel::StaticClassInfo(), &MakeOther);
    EXPECT_EQ(StoragePropertyInterceptorCount(), before);
}

struct FormFixture : ::testing::Test {
    std::unique_ptr<TForm> Form;
    int SavedPpi = 96;
    void SetUp() override
    {
        SavedPpi = Screen->PixelsPerInch;
        Form = CreateUnique<TForm>(nullptr);
        Form->SetBounds(10, 20, 300, 200);
    }
    void TearDown() override { Screen->PixelsPerInch = SavedPpi; }
};

TEST_F(FormFixture, TakesThePlacementAndReadsItBack)
{
    std::unique_ptr<TStoragePropertyInterceptor> i(TFormStoragePropertyInterceptor::CreateFor(Form.get()));
    auto* fi = static_cast<TFormStoragePropertyInterceptor*>(i.get());
    EXPECT_TRUE(fi->NeedIntercept());
    EXPECT_EQ(fi->Left(), 10);
    EXPECT_EQ(fi->Top(), 20);
    EXPECT_EQ(fi->Width(), 300);
    EXPECT_EQ(fi->Height(), 200);
    EXPECT_EQ(fi->WindowState(), wsNormal);
    TPanel notAForm(nullptr);
    TFormStoragePropertyInterceptor other(&notAForm);
    EXPECT_EQ(other.Width(), 0);
    other.Readed();   // nothing to apply to
}

TEST_F(FormFixture, ValuesStoredAt96AreScaledTo120)
{
    TFormStoragePropertyInterceptor i(Form.get());
    i.SetPixelsPerInch(96);
    i.SetLeft(40);
    i.SetTop(8);
    i.SetWidth(400);
    i.SetHeight(301);
    Screen->PixelsPerInch = 120;
    i.Readed();
    EXPECT_EQ(Form->Left(), 50);
    EXPECT_EQ(Form->Top(), 10);
    EXPECT_EQ(Form->Width(), 500);
    EXPECT_EQ(Form->Height(), 376);   // 376.25 to the nearest

    // A damaged store without a resolution keeps the pixels as they are.
    TFormStoragePropertyInterceptor broken(Form.get());
    broken.SetPixelsPerInch(0);
    broken.SetWidth(333);
    broken.Readed();
    EXPECT_EQ(Form->Width(), 333);
}

TEST_F(FormFixture, MaximizedFormKeepsItsStateWithTheStoredRectangleBehind)
{
    auto* edit = Create<TPanel>(Form.get());
    edit->SetParent(Form.get());
    TFormStoragePropertyInterceptor i(Form.get());
    i.SetLeft(5);
    i.SetTop(6);
    i.SetWidth(250);
    i.SetHeight(150);
    i.SetWindowState(wsMaximized);
    i.SetActiveControl(edit);
    i.Readed();
    EXPECT_EQ(Form->WindowState(), wsMaximized);
    // Hidden, the form takes no active control and restores the rest.
    EXPECT_EQ(Form->ActiveControl(), nullptr);
    Form->Show();
    i.Readed();
    EXPECT_EQ(Form->ActiveControl(), edit);
    Form->SetWindowState(wsNormal);
    EXPECT_EQ(Form->Width(), 250);
    EXPECT_EQ(Form->Left(), 5);
}

TEST_F(FormFixture, StoredValuesArriveByNameAndAMaximizedFormReportsWhereItRestoresTo)
{
    TFormStoragePropertyInterceptor i(Form.get());
    SetOrdProp(&i, "Left", 44);
    SetOrdProp(&i, "Width", 280);
    SetEnumProp(&i, "WindowState", "wsNormal");
    i.Readed();
    EXPECT_EQ(Form->Left(), 44);
    EXPECT_EQ(Form->Width(), 280);

    Form->Show();
    Form->SetWindowState(wsMaximized);
    QCoreApplication::processEvents();
    const TRect normal = GetFormNormalPlacement(Form.get());
    EXPECT_EQ(normal.Width(), 280);
    EXPECT_EQ(normal.Height(), 200);
    TFormStoragePropertyInterceptor fromMaximized(Form.get());
    EXPECT_EQ(GetOrdProp(&fromMaximized, "Width"), 280);
    EXPECT_EQ(fromMaximized.WindowState(), wsMaximized);
}

TEST_F(FormFixture, CentredFormStaysWhereAStoredPositionPutsIt)
{
    struct Case {
        TPosition initial;
        bool positionStored;
        TPosition after;
    } cases[] = {{poScreenCenter, true, poDesigned},
                 {poDesktopCenter, true, poDesigned},
                 {poScreenCenter, false, poScreenCenter},
                 {poDefaultPosOnly, true, poDefaultPosOnly}};
    for (const Case& c : cases) {
        Form->Position = c.initial;
        TFormStoragePropertyInterceptor i(Form.get());
        if (c.positionStored)
            i.SetTop(30);
        i.Readed();
        EXPECT_EQ(Form->Position, c.after) << int(c.initial) << c.positionStored;
    }
}

}  // namespace
