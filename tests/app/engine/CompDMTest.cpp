// The data module created from its form resource on the demo catalogs: configuration,
// connections, the operations with their error classes and messages, and the lookups.
#include "app/engine/DemoData.h"
#include "support/ErrorCapture.h"
#include "app/engine/uCompDM.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class DataModule : public ::testing::Test {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;

    void SetUp() override
    {
        demo::TDemoOptions o;
        o.Size = 3;
        model = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(model, dir.path());
        TCompDM::ConfigPath = dir.filePath(QStringLiteral("Config.ini"));
    }
    void TearDown() override { TCompDM::ConfigPath.clear(); }
    void Create() { dm = CreateUnique<TCompDM>(nullptr); }
    void WriteConfig(const QByteArray& text)
    {
        QFile f(TCompDM::ConfigPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
};

}  // namespace

TEST_F(DataModule, ComesUpConfiguredWithTheSummaryConnectionOpen)
{
    Create();
    EXPECT_EQ(dm->CreateError, QString());
    EXPECT_FALSE(dm->IsFilial);
    ASSERT_TRUE(dm->ObjectsDict.has_value());
    ASSERT_EQ(dm->ObjectsDict->Count(), 2);
    EXPECT_EQ(dm->ObjectsDict->Items()[0].first, model.Branches[0].Name);
    EXPECT_TRUE(dm->SvodMDBConnection->Connected());
    EXPECT_FALSE(dm->ObjMDBConnection->Connected());
    EXPECT_EQ(dm->SelectSvodInv->SQL()->Strings(dm->SelectSvodInv->SQL()->Count() - 1), QStringLiteral("ORDER BY namepredpr, invoicefullname"));
    // every query is there under its name, on its connection
    EXPECT_EQ(dm->CrInvProv->Connection(), dm->ObjMDBConnection);
    EXPECT_EQ(dm->SelectPlatPredprDS->DataSet(), dm->SelectPlatPredpr);
    EXPECT_NE(dm->FindComponent(QStringLiteral("SelectSvodInvndsexcel")), nullptr);
    // parameters and fields as the resource declares them
    TParameter* first = dm->InsInvProvData->Parameters()->ParamByName(QStringLiteral("FirstDate"));
    EXPECT_EQ(first->DataType(), ftString);
    EXPECT_EQ(first->Size(), 10);
    EXPECT_TRUE(first->Attributes().Contains(paNullable));
    EXPECT_FALSE(dm->InsertDararedSingersQ->Parameters()->ParamByName(QStringLiteral("fio"))->Attributes().Contains(paNullable));
    EXPECT_EQ(dm->InsInvProvData->CommandTimeout(), 1500);
    EXPECT_EQ(dm->InsInvProvData->CursorType(), ctStatic);
    auto* label = dynamic_cast<TField*>(dm->FindComponent(QStringLiteral("SelectSvodDuplesFilialnumbuhdup")));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->DisplayLabel(), QStringLiteral("Справка|№ бух. спр."));
    EXPECT_EQ(label->DisplayWidth(), 11);
    auto* bcd = dynamic_cast<TBCDField*>(dm->FindComponent(QStringLiteral("SelectSvodInvndsexcel")));
    ASSERT_NE(bcd, nullptr);
    EXPECT_EQ(bcd->Precision(), 18);
    EXPECT_EQ(bcd->Size(), 3);
    dm->SelectOblDopUnn->Open();
    EXPECT_EQ(dm->SelectOblDopUnn->RecordCount(), 2);
    dm->ConnectToObject(dm->ObjectsDict->Items()[1].second);
    EXPECT_TRUE(dm->ObjMDBConnection->Connected());
}

TEST_F(DataModule, WithoutConfigIniNothingIsConfiguredAndUseFails)
{
    QFile::remove(TCompDM::ConfigPath);
    Create();
    EXPECT_FALSE(dm->ObjectsDict.has_value());
    EXPECT_FALSE(dm->IsFilial);
    EXPECT_EQ(dm->Filial, QString());
    EXPECT_FALSE(dm->SvodMDBConnection->Connected());
    EXPECT_EQ(dm->SvodMDBConnection->ConnectionString(), QString());
    EXPECT_THROW(dm->SelectOblDopUnn->Open(), Exception);
}

TEST_F(DataModule, ARepeatedBranchNameIsReportedAndLeavesTheSummaryClosed)
{
    const QString svod = QDir(dir.path()).absoluteFilePath(demo::SummaryFolderName());
    WriteConfig("[svodconnection]\nip=" + svod.toUtf8() + "\nfilial=2\n[objectsconnection]\nA=x\nB=y\nA=z\n");
    QString shown;
    TCompDM::HandleCreateError = [&](const Exception& e) { shown = e.Message(); };
    Create();
    TCompDM::HandleCreateError = nullptr;
    EXPECT_TRUE(dm->CreateError.contains(QStringLiteral("Duplicates not allowed"))) << dm->CreateError.toStdString();
    EXPECT_EQ(shown, dm->CreateError);
    EXPECT_FALSE(dm->SvodMDBConnection->Connected());
    EXPECT_TRUE(dm->IsFilial);
    ASSERT_TRUE(dm->ObjectsDict.has_value());
    EXPECT_EQ(dm->ObjectsDict->Count(), 2);
}

TEST_F(DataModule, AnUnreachableBranchGivesTheConnectError)
{
    Create();
    const QString missing = dir.filePath(QStringLiteral("no such folder"));
    QString direct;
    try {
        TSqlSession::Connect(ObjConnectionString(missing));
    } catch (const Exception& e) {
        direct = e.Message();
    }
    ASSERT_FALSE(direct.isEmpty());
    EXPECT_EQ(ErrorOf<EConnectException>([&] { dm->ConnectToObject(missing); }), direct);
    // a folder without the branch catalog
    QDir(dir.path()).mkdir(QStringLiteral("empty"));
    EXPECT_TRUE(ErrorOf<EConnectException>([&] { dm->ConnectToObject(dir.filePath(QStringLiteral("empty"))); })
                    .contains(QStringLiteral("MainDataBase")));
}

TEST_F(DataModule, SignerAndZeroExclusionListsWithTheirErrors)
{
    Create();
    const demo::TDemoSigner& g = model.Signers[0];
    // the unique key, in any letter case
    EXPECT_EQ(ErrorOf<EInsDararedSigner>([&] { dm->InsertDararedSigner(int16_t(g.Filial), g.WorkbookSpelling); }),
              QStringLiteral("Запись с заданными значениями уже существует."));
    EXPECT_EQ(ErrorOf<EUpdDararedSigner>([&] { dm->UpdateDararedSigner(2, int16_t(g.Filial), g.Fio); }),
              QStringLiteral("Запись с заданными значениями уже существует."));
    QString fios = QStringLiteral("x");
    EXPECT_FALSE(dm->CheckDararedSignersDuplicates(fios));
    EXPECT_EQ(fios, QString());
    dm->InsertDararedSigner(9, g.Fio);   // the same name under another branch is allowed, and reported
    dm->InsertDararedSigner(9, QStringLiteral("О'Нил А.Б."));
    EXPECT_TRUE(dm->CheckDararedSignersDuplicates(fios));
    EXPECT_EQ(fios, u' ' + g.Fio);
    EXPECT_EQ(dm->GetSignersByFilial(Variant(9)), QStringLiteral("'") + g.Fio + QStringLiteral("','О''Нил А.Б.'"));
    EXPECT_EQ(dm->GetSignersByFilial(Variant(77)), QString());
    EXPECT_TRUE(dm->SelectSignersByFilialQ->Active());
    EXPECT_TRUE(dm->SelectSignersByFilialQ->IsEmpty());
    dm->UpdateDararedSigner(1, 5, QStringLiteral("Новикова"));
    dm->DeleteDararedSigner(2);
    dm->InsertZeroExclude(2, QStringLiteral("200000001-2024-0000000001"));
    dm->UpdateZeroExclude(3, 3, QStringLiteral("200000001-2024-0000000002"));
    dm->DeleteZeroExclude(1);
    dm->SelectZeroExcludeQ->Open();
    EXPECT_EQ(dm->SelectZeroExcludeQ->RecordCount(), int(model.ZeroExcludes.size()));
}

// With the summary server unreachable every writing operation raises its own class and prefix.
TEST_F(DataModule, EveryWritingOperationWrapsTheFailure)
{
    Create();
    dm->SvodMDBConnection->Close();
    dm->SvodMDBConnection->SetConnectionString(SvodConnectionString(dir.filePath(QStringLiteral("gone"))));
    // what the statement itself raises
    auto cause = [](TADOQuery* q) { return ErrorOf<Exception>([q] { q->ExecSQL(); }); };
    const Variant n = Variant::Null();
    const Currency c;
    struct Case { QString message; QString want; TADOQuery* q; };
    const Case cases[] = {
        {ErrorOf<EInsExcelTempException>([&] { dm->InsertExcelTemp(1, "", "", "", "", "", "", 0, 5, c, c, c, n, n); }),
         QStringLiteral("Ошибка при вставке информации из файла камерального контроля с текстом: "), dm->InsExcelTempQ},
        {ErrorOf<EInsSvodDuplesException>([&] { dm->InsertSvodDuples("", "", "", "", "", 0, 0, c, c, 2); }),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_duples с текстом: "), dm->InsSvodDuplesQ},
        {ErrorOf<EInsSvodInvException>([&] { dm->InsertSvodInv(n, n, n, n, n, n, n, n, n, n, n, n, n, n); }),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_inv с текстом: "), dm->InsSvodInvQ},
        {ErrorOf<EInsSprProvException>([&] { dm->InsertSprProv("", "", "", "", 0, 0, c, n, 2); }),
         QStringLiteral("Ошибка вставки записи во временную таблицу #svod_prov с текстом: "), dm->InsSprProvQ},
        {ErrorOf<EInsTmpDararedInvException>([&] { dm->InsertTmpDararedInv(n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n); }),
         QStringLiteral("Ошибка вставки записи в таблицу tmpDararedInv с текстом: "), dm->InsTmpDararedInvQ},
        {ErrorOf<EInsTmpDararedProvException>([&] { dm->InsertTpmDararedProv(n, n, n, n, n, n, n, n, n); }),
         QStringLiteral("Ошибка вставки записи в таблицу tmpDararedProv с текстом: "), dm->InsTmpDararedProvQ},
        {ErrorOf<EInsDararedSigner>([&] { dm->InsertDararedSigner(2, "x"); }), QStringLiteral("Ошибка добавления записи с тестом: "), dm->InsertDararedSingersQ},
        {ErrorOf<EUpdDararedSigner>([&] { dm->UpdateDararedSigner(1, 2, "x"); }), QStringLiteral("Ошибка обновления записи с тестом: "), dm->UpdateDararedSingersQ},
        {ErrorOf<EDelDararedSigner>([&] { dm->DeleteDararedSigner(1); }), QStringLiteral("Ошибка удаления записи с тестом: "), dm->DeleteDararedSingersQ},
        {ErrorOf<EInsZeroExclude>([&] { dm->InsertZeroExclude(2, "x"); }), QStringLiteral("Ошибка добавления записи с тестом: "), dm->InsertZeroExcludeQ},
        {ErrorOf<EUpdZeroExclude>([&] { dm->UpdateZeroExclude(1, 2, "x"); }), QStringLiteral("Ошибка обновления записи с тестом: "), dm->UpdateZeroExcludeQ},
        {ErrorOf<EDelZeroExclude>([&] { dm->DeleteZeroExclude(1); }), QStringLiteral("Ошибка удаления записи с тестом: "), dm->DeleteZeroExcludeQ},
    };
    for (const Case& k : cases) {
        const QString why = cause(k.q);
        EXPECT_TRUE(why.contains(QStringLiteral("does not exist"))) << why.toStdString();
        EXPECT_EQ(k.message.toStdString(), (k.want + why).toStdString());
    }
    // reading operations let the error through unchanged
    QString fios;
    const QString opened = ErrorOf<Exception>([&] { dm->CheckDararedSignersDuplesQ->Open(); });
    EXPECT_EQ(ErrorOf<Exception>([&] { dm->CheckDararedSignersDuplicates(fios); }), opened);
}

TEST_F(DataModule, InsertsReachTheTemporaryTablesAndTheDetailFindsThem)
{
    Create();
    dm->CrSprProv->ExecSQL();
    const TDateTime feb9 = EncodeDate(2024, 2, 9), feb1 = EncodeDate(2024, 2, 1);
    dm->InsertSprProv("15", "123", "", "1-200000001-2024-0000000001", feb1, feb9, Currency::FromInt(20), Variant("5001"), 2);
    dm->InsertSprProv("15", "123", "", "1-200000001-2024-0000000001", feb1, feb9, Currency::FromInt(5), Variant::Null(), 2);
    dm->SprSumQ->Open();
    EXPECT_EQ(dm->SprSumQ->FieldByName(QStringLiteral("sprsum"))->AsString(), QStringLiteral("25"));
    // an empty part number is found; the entry without a code is not
    dm->SelectSprProv(dm->SelectSprProvQ, "123", "", "15", "5001", "200000001-2024-0000000001", feb9, 2);
    EXPECT_EQ(dm->SelectSprProvQ->RecordCount(), 1);
    EXPECT_EQ(dm->SelectSprProvQ->FieldByName(QStringLiteral("summ"))->AsString(), QStringLiteral("20"));
    // a repeated e-invoice number in the workbook table
    dm->CrExcelTemp->ExecSQL();
    auto excel = [&] {
        dm->InsertExcelTemp(5001, "Из книги", "200000001-2024-0000000001", "123", "К", "Облпо", "", feb9, 5, Currency::FromInt(20),
                            Currency::FromInt(100), Currency::FromInt(120), Variant::FromDate(feb9), Variant(2));
    };
    excel();
    EXPECT_TRUE(ErrorOf<EInsExcelTempException>(excel).startsWith(
        QStringLiteral("Ошибка при вставке информации из файла камерального контроля с текстом: ")));
}

// A document number is carried whole, up to the 50 characters the branch table holds: through
// the branch's lists of rows and of duplicates into the summary tables and out again.
TEST_F(DataModule, DocumentNumbersOfFiftyCharactersAreCarriedWhole)
{
    Create();
    const QString number = QStringLiteral("ТТН-2024/") + QString(41, u'7');
    ASSERT_EQ(number.size(), 50);
    dm->ConnectToObject(dm->ObjectsDict->Items()[0].second);
    dm->CrInvProv->ExecSQL();
    // an e-invoice and a certificate without one, booked under the same number, sum and enterprise
    dm->ObjMDBConnection->Session().Execute(
        QStringLiteral("INSERT INTO #inv_prov (fullName, docNumber, sprSum, totalVat, idPredpr, dopUnn, NumBuhSpr) VALUES "
                       "('200000001-2024-0000000001', '%1', 20, 20, 7, 2, '11'), (NULL, '%1', 20, NULL, 7, 2, '12')")
            .arg(number));
    dm->SelectInvProvData->Open();
    ASSERT_EQ(dm->SelectInvProvData->RecordCount(), 2);
    for (dm->SelectInvProvData->First(); !dm->SelectInvProvData->Eof(); dm->SelectInvProvData->Next())
        EXPECT_EQ(dm->SelectInvProvData->FieldByName(QStringLiteral("docNumber"))->AsString(), number);
    dm->SelectDuplicateProv->Open();
    ASSERT_EQ(dm->SelectDuplicateProv->RecordCount(), 1);
    TField* dupNumber = dm->SelectDuplicateProv->FieldByName(QStringLiteral("docNumber"));
    EXPECT_EQ(dupNumber->AsString(), number);

    dm->CrSvodDuples->ExecSQL();
    dm->InsertSvodDuples("12", dupNumber->AsString(), "11", "200000001-2024-0000000001", "Поставщик", EncodeDate(2024, 2, 1),
                         EncodeDate(2024, 2, 9), Currency::FromInt(20), Currency::FromInt(20), 2);
    dm->SelectSvodDuplesFilial->Open();
    ASSERT_EQ(dm->SelectSvodDuplesFilial->RecordCount(), 1);
    EXPECT_EQ(dm->SelectSvodDuplesFilial->FieldByName(QStringLiteral("docnumberdup"))->AsString(), number);
}

TEST_F(DataModule, AnUnreachableSummaryServerIsReportedAndStartUpGoesOn)
{
    WriteConfig("[svodconnection]\nip=" + dir.filePath(QStringLiteral("gone")).toUtf8() + "\nfilial=3\n[objectsconnection]\nФилиал №3=srv\n");
    Create();
    EXPECT_TRUE(dm->CreateError.contains(QStringLiteral("does not exist"))) << dm->CreateError.toStdString();
    EXPECT_FALSE(dm->SvodMDBConnection->Connected());
    EXPECT_TRUE(dm->IsFilial);
    EXPECT_EQ(dm->Filial, QStringLiteral("3"));
    ASSERT_TRUE(dm->ObjectsDict.has_value());
    EXPECT_EQ((*dm->ObjectsDict)[QStringLiteral("Филиал №3")], QStringLiteral("srv"));
}
