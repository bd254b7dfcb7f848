// The window as it opens: read from its form resource over the data module, the branch
// selector filled from the organisation's branch numbers, branch mode, the period and the
// one setting kept in "Config.ini".
#include "MainWindowFixture.h"

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <QRegularExpression>

using namespace mainwintest;

namespace {

QString IniValue(const QString& path)
{
    TIniFile ini(path);
    return ini.ReadString(QStringLiteral("Settings"), QStringLiteral("SelfProv"), QStringLiteral("<absent>"));
}

QString WithSelfProv(QString ini, const QString& value)
{
    ini.replace(QRegularExpression(QStringLiteral("SelfProv=[^\n]*")), QStringLiteral("SelfProv=") + value);
    return ini;
}

}  // namespace

TEST_F(MainWindow, OpensOnTheLiveResultWithTheBranchesAndTodayAsThePeriod)
{
    const TDateTime before = Now();
    Start();
    EXPECT_EQ(w->Caption(), QStringLiteral("Сверка камерального контроля V1.3.1"));
    EXPECT_EQ(w->ClientWidth(), 1087);
    EXPECT_EQ(w->ClientHeight(), 669);

    QStringList branches;
    for (const auto& b : model.Branches)
        branches << QString::number(b.Number);
    QStringList items;
    for (int i = 0; i < w->FilialRG->Items()->Count(); ++i)
        items << w->FilialRG->Items()->Strings(i);
    EXPECT_EQ(items, branches);
    EXPECT_TRUE(w->FilialRG->Enabled());
    EXPECT_TRUE(w->SaveStateMMBtn->Enabled());
    EXPECT_TRUE(w->DuplicatesOblpoTabSheet->TabVisible);

    EXPECT_TRUE(dm->SelectPlatPredpr->Active());
    EXPECT_EQ(w->PredprDBLCBEh->ListSource(), dm->SelectPlatPredprDS);
    EXPECT_EQ(w->MainPageControl->ActivePage(), w->InvTabSheet);
    EXPECT_EQ(w->InvDBGridEh->DataSource(), dm->CompareMemTableEhDS);
    EXPECT_EQ(w->SubInvDBGridEh->DataSource(), dm->SelectSprProvDS);
    EXPECT_FALSE(w->UpdateBtn->Enabled());
    EXPECT_FALSE(w->FiltersPanel->Visible());
    EXPECT_EQ(w->StateMMBtn->ImageIndex, 5);
    EXPECT_EQ(w->ExportMMBtn->ImageIndex, 8);
    EXPECT_EQ(w->SettingsMMBtn->ImageIndex, 10);

    EXPECT_GE(w->FirstDTP->DateTime(), before);
    EXPECT_LE(w->FirstDTP->DateTime(), Now());
    EXPECT_EQ(w->SecondDTP->DateTime(), w->FirstDTP->DateTime());
    EXPECT_TRUE(user.Calls.empty());
}

TEST_F(MainWindow, BranchModeHidesTheOrganisationDuplicatesAndNamesTheBranch)
{
    Start(QStringLiteral("5"));
    ASSERT_TRUE(dm->IsFilial);
    EXPECT_TRUE(w->Caption().endsWith(QStringLiteral(" - 5"))) << w->Caption().toStdString();
    EXPECT_FALSE(w->DuplicatesOblpoTabSheet->TabVisible);
    EXPECT_FALSE(w->FilialRG->Enabled());
    EXPECT_FALSE(w->SaveStateMMBtn->Enabled());
    EXPECT_TRUE(w->LoadStateMMBtn->Enabled());
}

// "SelfProv" as the file holds it, the check box after start-up, the box changed by the
// user, and what the file holds after closing.
struct SelfProvCase {
    const char* stored;
    bool checkedAtStart;
    bool userSets;
    const char* storedAfterClose;
};

class SelfProvSetting : public MainWindow, public ::testing::WithParamInterface<SelfProvCase> {};

TEST_P(SelfProvSetting, IsReadAtStartAndWrittenAtClose)
{
    const SelfProvCase c = GetParam();
    Start(QString(), [&](QString ini) { return WithSelfProv(ini, QString::fromUtf8(c.stored)); });
    EXPECT_EQ(w->SelfProvCB->Checked(), c.checkedAtStart);
    w->SelfProvCB->SetChecked(c.userSets);
    TCloseAction action = caFree;
    w->FormClose(w.get(), action);
    EXPECT_EQ(action, caFree);
    EXPECT_EQ(IniValue(IniPath()), QString::fromUtf8(c.storedAfterClose));
}

INSTANTIATE_TEST_SUITE_P(Values, SelfProvSetting,
                         ::testing::Values(SelfProvCase{"-1", true, true, "-1"}, SelfProvCase{"0", false, true, "-1"},
                                           SelfProvCase{"1", true, false, "0"}, SelfProvCase{"true", true, true, "-1"}));

TEST_F(MainWindow, AbsentSelfProvMeansUncheckedAndIsWrittenAtClose)
{
    Start(QString(), [](QString ini) {
        ini.remove(QRegularExpression(QStringLiteral("SelfProv=[^\n]*\n?")));
        return ini;
    });
    EXPECT_FALSE(w->SelfProvCB->Checked());
    w->SelfProvCB->SetChecked(true);
    TCloseAction action = caFree;
    w->FormClose(w.get(), action);
    EXPECT_EQ(IniValue(IniPath()), QStringLiteral("-1"));
}

TEST_F(MainWindow, NonBooleanSelfProvIsReportedAndTheWindowOpensUnchecked)
{
    user.Then(IDOK);
    Start(QString(), [](QString ini) { return WithSelfProv(ini, QStringLiteral("maybe")); });
    ASSERT_EQ(user.Calls.size(), 1u);
    EXPECT_TRUE(user.Calls[0].Text.contains(QStringLiteral("maybe"))) << user.Calls[0].Text.toStdString();
    EXPECT_FALSE(w->SelfProvCB->Checked());
    // everything before the setting was done
    EXPECT_GT(w->FilialRG->Items()->Count(), 0);
    EXPECT_EQ(w->StateMMBtn->ImageIndex, 5);
}

TEST_F(MainWindow, WithoutConfigIniNothingIsReadOrWritten)
{
    TfrmComparer::ConfigPath = dir.filePath(QStringLiteral("absent/Config.ini"));
    Start();
    EXPECT_FALSE(w->SelfProvCB->Checked());
    w->SelfProvCB->SetChecked(true);
    TCloseAction action = caFree;
    w->FormClose(w.get(), action);
    EXPECT_FALSE(QFile::exists(TfrmComparer::ConfigPath));
}
