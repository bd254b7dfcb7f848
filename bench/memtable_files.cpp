// Saving and loading a table of 1,000,000 rows (texts, integers, money, dates, a Boolean) to
// a file in both forms, against the floor: the same values written with plain buffered output
// (length-prefixed texts through a FILE buffer). Each step runs in a child process of its own
// and reports its time and the peak memory it added over what the process held before it.
#include "components/memtable/MemTableEh.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr int kRows = 1000000;

long MaxRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Row {
    int id;
    QString name, doc;
    int64_t amount;
    double date;
    bool hide;
};

Row Make(int i, std::mt19937& rng)
{
    return {i, QStringLiteral("Предприятие %1").arg(rng() % 700),
            QStringLiteral("200000002-2024-%1").arg(rng() % 1000000, 10, 10, QLatin1Char('0')),
            int64_t(rng() % 100000000), 45292.0 + rng() % 365, rng() % 2 == 0};
}

void Fill(TMemTableEh* t)
{
    TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
    ds->BuildDataFieldForDef("id", ftInteger, 0, 0);
    ds->BuildDataFieldForDef("name", ftWideString, 100, 0);
    ds->BuildDataFieldForDef("doc", ftWideString, 30, 0);
    ds->BuildDataFieldForDef("amount", ftCurrency, 0, 0);
    ds->BuildDataFieldForDef("date", ftDateTime, 0, 0);
    ds->BuildDataFieldForDef("hide", ftBoolean, 0, 0);
    TRecordsListEh* list = t->RecordsStore()->RecordsList();
    std::mt19937 rng(1);
    for (int i = 0; i < kRows; ++i) {
        const Row r = Make(i, rng);
        TMemoryRecordEh* rec = list->NewRecord();
        rec->Data() = {Variant(r.id), Variant(r.name), Variant(r.doc), Variant(Currency::FromRaw(r.amount)),
                       Variant::FromDate(r.date), Variant(r.hide)};
        list->FetchRecord(rec);
    }
}

std::vector<Row> MakeRows()
{
    std::vector<Row> rows;
    rows.reserve(kRows);
    std::mt19937 rng(1);
    for (int i = 0; i < kRows; ++i)
        rows.push_back(Make(i, rng));
    return rows;
}

void WritePlain(const std::vector<Row>& rows, const QString& path)
{
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    auto text = [f](const QString& s) {
        const QByteArray b = s.toUtf8();
        const uint32_t n = uint32_t(b.size());
        std::fwrite(&n, 4, 1, f);
        std::fwrite(b.constData(), 1, n, f);
    };
    for (const Row& r : rows) {
        std::fwrite(&r.id, 4, 1, f);
        text(r.name);
        text(r.doc);
        std::fwrite(&r.amount, 8, 1, f);
        std::fwrite(&r.date, 8, 1, f);
        std::fwrite(&r.hide, 1, 1, f);
    }
    std::fclose(f);
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// Runs step in a child process: prepare, then the timed part.
void InChild(const char* title, const std::function<void()>& prepare, const std::function<QString()>& step)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        prepare();
        const long before = MaxRssKb();
        const size_t heap = HeapInUse();
        const auto t0 = std::chrono::steady_clock::now();
        const QString file = step();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%-22s %7.0f ms  peak +%7.1f MB  kept +%7.1f MB  file %6.1f MB\n", title, ms,
                    (MaxRssKb() - before) / 1024.0, (double(HeapInUse()) - double(heap)) / 1048576.0,
                    QFileInfo(file).size() / 1048576.0);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    const QString bin = dir.filePath("t.bin"), txt = dir.filePath("t.txt"), plain = dir.filePath("t.plain");
    std::printf("%d rows\n", kRows);
    std::vector<Row> rows;
    InChild("plain buffered write", [&] { rows = MakeRows(); }, [&] {
        WritePlain(rows, plain);
        return plain;
    });
    std::unique_ptr<TComponent> owner;
    TMemTableEh* t = nullptr;
    auto build = [&] {
        owner = CreateUnique<TComponent>(nullptr);
        t = Create<TMemTableEh>(owner.get());
        Fill(t);
    };
    InChild("SaveToFile binary", build, [&] {
        t->SaveToFile(bin, dfmBinaryEh);
        return bin;
    });
    InChild("SaveToFile text", build, [&] {
        t->SaveToFile(txt, dfmTextEh);
        return txt;
    });
    auto empty = [&] {
        owner = CreateUnique<TComponent>(nullptr);
        t = Create<TMemTableEh>(owner.get());
    };
    InChild("LoadFromFile binary", empty, [&] {
        t->LoadFromFile(bin);
        if (t->RecordsStore()->RecordsList()->Count() != kRows)
            std::printf("wrong row count\n");
        return bin;
    });
    InChild("LoadFromFile text", empty, [&] {
        t->LoadFromFile(txt);
        return txt;
    });
    return 0;
}
