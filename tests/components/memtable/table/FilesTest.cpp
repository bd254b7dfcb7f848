// Filling a table from datasets and tables, writing into datasets, and table files: round
// trips in both forms, and files that are damaged, foreign or from a newer layout.
#include "TableFixture.h"

#include "components/memtable/DataDriverEh.h"
#include "support/ArrayDataSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

struct FilesTest : TableFixture {
    TMemTableEh* other = Create<TMemTableEh>(&owner);
    QTemporaryDir dir;

    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// ---------------------------------------------------------------- from datasets

TEST_F(FilesTest, LoadFromDataSetFromTheCurrentRecordOrFromTheFirst)
{
    OpenWith(9);
    t->SetRecNo(5);
    EXPECT_EQ(other->LoadFromDataSet(t, 3, lmCopy, false), 3);
    EXPECT_EQ(Codes(other), "5,6,7");
    EXPECT_EQ(other->FieldByName("Name")->AsString(), "n5");   // on the first record
    EXPECT_FALSE(other->HasCachedChanges());

    t->SetRecNo(5);
    EXPECT_EQ(other->LoadFromDataSet(t, 0, lmCopy, false), 9);
    EXPECT_EQ(Codes(other), "1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(t->LoadFromDataSet(t, 0, lmCopy, false), 0);
    EXPECT_EQ(t->RecordCount(), 9);
}

TEST_F(FilesTest, LoadFromDataSetLeavesAClosedSourceClosed)
{
    const auto srcOwner = CreateUnique<TArrayDataSet>(nullptr);
    TArrayDataSet& src = *srcOwner;
    src.FieldDefs()->Add("Code", ftInteger);
    src.FieldDefs()->Add("Extra", ftString, 10);
    src.AddRow({Variant(1), Variant("a")});
    src.AddRow({Variant(2), Variant("b")});
    EXPECT_EQ(t->LoadFromDataSet(&src, -1, lmCopyStructureOnly, false), 0);
    EXPECT_FALSE(src.Active());
    EXPECT_EQ(t->RecordsStore()->DataStruct()->Count(), 2);
    EXPECT_EQ(t->RecordsStore()->RecordsList()->Count(), 0);
    EXPECT_EQ(t->LoadFromDataSet(&src, -1, lmAppend, false), 2);
    EXPECT_FALSE(src.Active());
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(Codes(t), "1,2");
}

TEST_F(FilesTest, AppendGivesAutoIncrementFieldsFreshValuesCopyKeepsThem)
{
    auto* id = t->RecordsStore()->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    id->SetNumericDataType(fdtAutoIncEh);
    id->SetFieldName("Id");
    t->Open();
    t->AppendRecord({Variant(1), Variant("a"), Variant::Null()});
    t->AppendRecord({Variant(2), Variant("b"), Variant::Null()});
    const QString ids = [&] {
        QStringList s;
        for (t->First(); !t->Eof(); t->Next())
            s << t->FieldByName("Id")->AsString();
        return s.join(u',');
    }();

    other->LoadFromDataSet(t, 0, lmCopy, false);
    other->LoadFromDataSet(t, 0, lmAppend, false);
    QStringList got;
    for (other->First(); !other->Eof(); other->Next())
        got << other->FieldByName("Id")->AsString();
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(QStringList(got.mid(0, 2)).join(u','), ids);
    EXPECT_NE(got[2], got[0]);
    EXPECT_NE(got[2], got[3]);
    EXPECT_FALSE(got.mid(0, 2).contains(got[2]));
}

TEST_F(FilesTest, UseCachedUpdatesLogsTheRecordsOnlyWhenTheTableKeepsThem)
{
    OpenWith(3);
    other->LoadFromDataSet(t, 0, lmCopyStructureOnly, false);
    other->Open();
    other->SetCachedUpdates(true);
    EXPECT_EQ(other->LoadFromDataSet(t, 0, lmAppend, true), 3);
    EXPECT_TRUE(other->HasCachedChanges());
    other->CancelUpdates();
    EXPECT_EQ(other->RecordCount(), 0);
    EXPECT_EQ(other->LoadFromDataSet(t, 0, lmAppend, false), 3);
    EXPECT_FALSE(other->HasCachedChanges());
}

// ---------------------------------------------------------------- from tables

TEST_F(FilesTest, LoadFromItselfIsRefusedAndKeepsTheRecords)
{
    OpenWith(4);
    for (TLoadMode m : {lmCopy, lmAppend, lmCopyStructureOnly})
        EXPECT_EQ(t->LoadFromMemTableEh(t, 0, m, {}), 0);
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(Codes(t), "1,2,3,4");
}

TEST_F(FilesTest, FilterHidesRecordsUnlessDisregarded)
{
    OpenWith(6);
    t->SetFilter("Code > 4");
    t->SetFiltered(true);
    t->FieldByName("Name")->SetDisplayLabel("Наименование");
    EXPECT_EQ(other->LoadFromMemTableEh(t, 0, lmCopy, {tloOpenOnLoad}), 2);
    EXPECT_EQ(Codes(other), "5,6");
    EXPECT_EQ(other->FieldByName("Name")->DisplayLabel(), "Наименование");
    EXPECT_EQ(other->LoadFromMemTableEh(t, 0, lmCopy, {tloDisregardFilterEh}), 6);
    EXPECT_TRUE(other->Active());   // it was open
    EXPECT_EQ(Codes(other), "1,2,3,4,5,6");
    EXPECT_FALSE(other->HasCachedChanges());
}

TEST_F(FilesTest, LoadFromTableRangesAndModes)
{
    OpenWith(6);
    t->SetRecNo(5);
    struct Case { int count; TMemTableLoadOptionsEh opts; const char* codes; } cases[] = {
        {3, {tloOpenOnLoad}, "5,6"},                        // cut at the end
        {2, {tloOpenOnLoad, tloDisregardFilterEh}, "5,6"},
        {1, {tloOpenOnLoad}, "5"},
        {-1, {tloOpenOnLoad}, "1,2,3,4,5,6"},
    };
    for (const Case& c : cases) {
        other->Close();
        other->LoadFromMemTableEh(t, c.count, lmCopy, c.opts);
        EXPECT_EQ(Codes(other), c.codes) << c.count;
    }
    other->Close();
    other->LoadFromMemTableEh(t, 0, lmCopyStructureOnly, {});
    EXPECT_FALSE(other->Active());
    EXPECT_EQ(other->RecordsStore()->RecordsList()->Count(), 0);
}

TEST_F(FilesTest, AppendFromTableMatchesFieldsByName)
{
    OpenWith(2);
    TMTDataStructEh* ds = other->RecordsStore()->DataStruct();
    auto* amount = ds->CreateField<TMTNumericDataFieldEh>();
    amount->SetNumericDataType(fdtCurrencyEh);
    amount->SetFieldName("Amount");
    auto* code = ds->CreateField<TMTNumericDataFieldEh>();
    code->SetFieldName("Code");
    other->Open();
    other->SetCachedUpdates(true);
    EXPECT_EQ(other->LoadFromMemTableEh(t, 0, lmAppend, {tloUseCachedUpdatesEh}), 2);
    EXPECT_TRUE(other->HasCachedChanges());
    other->First();
    EXPECT_EQ(other->FieldByName("Code")->AsInteger(), 1);
    EXPECT_EQ(other->FieldByName("Amount")->AsCurrency(), Currency::FromInt(10));
}

// ---------------------------------------------------------------- into datasets

TEST_F(FilesTest, SaveToDataSetCopiesCommonFieldsOnly)
{
    OpenWith(3);
    const auto destOwner = CreateUnique<TArrayDataSet>(nullptr);
    TArrayDataSet& dest = *destOwner;
    dest.FieldDefs()->Add("Name", ftString, 40);
    dest.FieldDefs()->Add("Other", ftInteger);
    t->SetRecNo(2);
    EXPECT_EQ(t->SaveToDataSet(&dest, 0), 3);
    ASSERT_EQ(dest.RowCount(), 3);
    EXPECT_EQ(VarToStr(dest.Row(1)[0]), "n2");
    EXPECT_TRUE(dest.Row(1)[1].IsNull());
    t->SetRecNo(3);
    EXPECT_EQ(t->SaveToDataSet(&dest, 5), 1);
    EXPECT_EQ(dest.RowCount(), 4);
    EXPECT_EQ(t->SaveToDataSet(t, 0), 0);
}

TEST_F(FilesTest, CopyStructureDropsTypesTheStoreCannotHold)
{
    const auto srcOwner = CreateUnique<TArrayDataSet>(nullptr);
    TArrayDataSet& src = *srcOwner;
    src.FieldDefs()->Add("Code", ftInteger);
    src.FieldDefs()->Add("Cur", ftCursor);
    src.FieldDefs()->Add("Nested", ftDataSet);
    src.FieldDefs()->Add("Big", ftLargeint);
    src.FieldDefs()->Add("Stream", ftStream);
    t->CopyStructure(&src);
    QStringList names;
    for (int i = 0; i < t->FieldDefs()->Count(); ++i)
        names << t->FieldDefs()->Items(i)->Name();
    EXPECT_EQ(names.join(u','), "Code,Big");
    t->CreateDataSet();
    EXPECT_EQ(t->FieldCount(), 2);
}

// ---------------------------------------------------------------- files

TEST_F(FilesTest, FilesRoundTripInBothFormsAndKeepTheOpenState)
{
    OpenWith(3);
    t->AppendRecord({Variant(4), Variant("ООО «Ромашка»"), Variant::Null()});
    for (TDfmStreamFormatEh format : {dfmBinaryEh, dfmTextEh}) {
        const QString path = Path(format == dfmTextEh ? "t.txt" : "t.bin");
        t->SaveToFile(path, format);
        const QByteArray bytes = ReadAll(path);
        EXPECT_EQ(bytes.startsWith("TPF0"), format == dfmBinaryEh);
        if (format == dfmTextEh) {
            EXPECT_TRUE(QString::fromUtf8(bytes).contains("object MemTableData: TMemTableDataEh"));
        }

        other->Close();
        other->LoadFromFile(path);
        EXPECT_FALSE(other->Active());
        other->Open();
        other->LoadFromFile(path);
        EXPECT_TRUE(other->Active());
        EXPECT_EQ(Codes(other), "1,2,3,4");
        other->Last();
        EXPECT_EQ(other->FieldByName("Name")->AsString(), "ООО «Ромашка»");
        EXPECT_TRUE(other->FieldByName("Amount")->IsNull());
    }
}

TEST_F(FilesTest, TextFileWithByteOrderMarkIsReadAsText)
{
    OpenWith(2);
    t->SaveToFile(Path("t.txt"), dfmTextEh);
    WriteAll(Path("bom.txt"), "\xEF\xBB\xBF" + ReadAll(Path("t.txt")));
    other->LoadFromFile(Path("bom.txt"));
    other->Open();
    EXPECT_EQ(Codes(other), "1,2");
}

TEST_F(FilesTest, BadFilesRaiseAndLeaveTheTableAsItWas)
{
    OpenWith(2);
    t->SaveToFile(Path("good.bin"), dfmBinaryEh);
    t->SaveToFile(Path("good.txt"), dfmTextEh);
    const QByteArray bin = ReadAll(Path("good.bin"));
    QString text = QString::fromUtf8(ReadAll(Path("good.txt")));
    ASSERT_TRUE(text.contains("Size = 40"));

    struct Case { const char* what; QByteArray bytes; const char* error; } cases[] = {
        {"empty", QByteArray(), "Invalid stream format."},
        {"other bytes", QByteArray("PK\x03\x04 a zip archive"), "Invalid stream format."},
        {"truncated binary", bin.left(bin.size() - 7), ""},
        {"truncated text", text.left(text.size() - 20).toUtf8(), ""},
        {"binary signature, text body", "TPF0" + text.toUtf8(), ""},
        {"property of a newer layout", QString(text).replace("Size = 40", "Size = 40\n      Collation = 'ru'").toUtf8(),
         "Collation"},
        {"field class of a newer layout",
         QString::fromUtf8(ReadAll(Path("good.txt"))).replace("TMTStringDataFieldEh", "TMTGeoDataFieldEh").toUtf8(),
         "TMTGeoDataFieldEh"},
        {"more values than fields",
         QString::fromUtf8(ReadAll(Path("good.txt"))).replace("'n1'", "'n1'\n          7").toUtf8(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(Path("bad"), c.bytes);
        const QString err = ErrorOf([&] { t->LoadFromFile(Path("bad")); });
        EXPECT_NE(err, "<no error>");
        EXPECT_TRUE(err.contains(QString::fromLatin1(c.error))) << err.toStdString();
        EXPECT_TRUE(t->Active());
        EXPECT_EQ(Codes(t), "1,2");
        EXPECT_EQ(t->RecordsStore()->DataStruct()->Count(), 3);
    }
    EXPECT_NE(ErrorOf([&] { t->LoadFromFile(Path("missing")); }), "<no error>");
    EXPECT_EQ(Codes(t), "1,2");
}

// DOV_FUZZ_ROUNDS raises the number of damaged files (run so under the sanitizer build).
TEST_F(FilesTest, RandomlyDamagedFilesLeaveTheTableOnFailure)
{
    OpenWith(30);
    t->SaveToFile(Path("good.bin"), dfmBinaryEh);
    t->SaveToFile(Path("good.txt"), dfmTextEh);
    other->LoadFromFile(Path("good.bin"));
    const QByteArray forms[] = {ReadAll(Path("good.bin")), ReadAll(Path("good.txt"))};
    const int rounds = qEnvironmentVariableIntValue("DOV_FUZZ_ROUNDS") > 0 ? qEnvironmentVariableIntValue("DOV_FUZZ_ROUNDS") : 200;
    std::mt19937 rng(11);
    for (int round = 0; round < rounds; ++round) {
        QByteArray bad = forms[round % 2];
        const auto at = [&] { return 4 + int(rng() % unsigned(bad.size() - 4)); };
        switch (rng() % 4) {
        case 0: case 1:   // bytes changed
            for (int k = 0; k < 1 + int(rng() % 3); ++k)
                bad[at()] = char(rng());
            break;
        case 2:           // cut short
            bad.truncate(at());
            break;
        default:          // bytes slipped in
            bad.insert(at(), QByteArray(1 + int(rng() % 4), char(rng())));
            break;
        }
        WriteAll(Path("bad"), bad);
        // Without checksums a damaged file may still read (a string whose length swallows the
        // values after it); what must never happen is a failed read leaving the table changed.
        const int before = other->RecordsStore()->RecordsList()->Count();
        const int fields = other->RecordsStore()->DataStruct()->Count();
        try {
            other->LoadFromFile(Path("bad"));
        } catch (const Exception&) {
            EXPECT_EQ(other->RecordsStore()->RecordsList()->Count(), before) << round;
            EXPECT_EQ(other->RecordsStore()->DataStruct()->Count(), fields) << round;
        }
    }
}

TEST_F(FilesTest, FailedSaveKeepsTheFileThatWasThere)
{
    OpenWith(2);
    t->SaveToFile(Path("t.bin"));
    const QByteArray before = ReadAll(Path("t.bin"));
    auto* any = other->RecordsStore()->DataStruct()->CreateField<TMTVariantDataFieldEh>();
    any->SetFieldName("Any");
    other->Open();
    other->AppendRecord({Variant(1)});
    other->AppendRecord({VarArrayOf({Variant(1), Variant(2)})});
    EXPECT_THROW(other->SaveToFile(Path("t.bin")), Exception);
    EXPECT_EQ(ReadAll(Path("t.bin")), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.bin"});
}

// ---------------------------------------------------------------- the store with the form

TEST_F(FilesTest, StoreTravelsWithTheFormOnlyWithoutADriver)
{
    OpenWith(2);
    t->SetName("Invoices");
    const QString form = ComponentToText(t);
    EXPECT_TRUE(form.contains("object MemTableData: TMemTableDataEh")) << form.toStdString();
    EXPECT_TRUE(form.contains("'n2'")) << form.toStdString();

    auto* copy = Create<TMemTableEh>(&owner);
    ReadComponentRes(form.toUtf8(), copy);
    EXPECT_TRUE(copy->Active());
    EXPECT_EQ(Codes(copy), "1,2");

    auto* drv = Create<TDataSetDriverEh>(&owner);
    t->Close();
    t->SetDataDriver(drv);
    EXPECT_FALSE(ComponentToText(t).contains("MemTableData"));
    t->SetOptions({mtoPersistentStructEh});
    const QString structOnly = ComponentToText(t);
    EXPECT_TRUE(structOnly.contains("object DataStruct")) << structOnly.toStdString();
    EXPECT_FALSE(structOnly.contains("'n2'"));
}

TEST_F(FilesTest, PrimaryIndexMarksTheDefaultKeyFields)
{
    t->IndexDefs()->Add("pk", "code", {ixPrimary});
    t->Open();
    EXPECT_TRUE(t->FieldByName("Code")->ProviderFlags().Contains(pfInKey));
    EXPECT_FALSE(t->FieldByName("Name")->ProviderFlags().Contains(pfInKey));
}
