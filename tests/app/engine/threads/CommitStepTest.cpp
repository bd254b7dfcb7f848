// The commit step of the copying steps: what was written is committed, also after a failed
// row, and a commit that fails takes nothing back and is the job's error.
#include "app/engine/JobErrors.h"

#include <gtest/gtest.h>
#include <stdexcept>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A connection whose rows are visible while its transaction is open and whose commit can fail
// the way a server's does: the transaction stays open.
struct TFakeConnection {
    int Committed = 0;      // rows the store holds for good
    int Pending = 0;        // rows written in the open transaction
    bool Open = false;
    int Begins = 0;
    bool CommitFails = false;

    bool InTransaction() const { return Open; }
    void BeginTrans()
    {
        if (Open) throw Exception(QStringLiteral("a transaction is already open"));
        Open = true;
        ++Begins;
    }
    void CommitTrans()
    {
        if (CommitFails) throw Exception(QStringLiteral("disk I/O error"));
        Committed += Pending;
        Pending = 0;
        Open = false;
    }
    void RollbackTrans()
    {
        Pending = 0;
        Open = false;
    }
    int Visible() const { return Committed + Pending; }
};

QString ErrorOf(const std::function<void()>& f, const char** cls = nullptr)
{
    try {
        f();
    } catch (const ECommitError& e) {
        if (cls) *cls = "commit";
        return e.Message();
    } catch (const EConvertError& e) {
        if (cls) *cls = "convert";
        return e.Message();
    }
    return QString();
}

}  // namespace

TEST(CommitStep, RowsWrittenBeforeAFailedRowAreCommittedAndTheRowErrorGoesOn)
{
    TFakeConnection c;
    const char* cls = nullptr;
    const QString error = ErrorOf(
        [&] {
            CommitWhatWasWritten(c, [&] {
                c.Pending += 3;
                throw EConvertError(QStringLiteral("bad row"));
            });
        },
        &cls);
    EXPECT_EQ(error, QStringLiteral("bad row"));
    EXPECT_STREQ(cls, "convert");   // the row's own class, so the job reports it as such
    EXPECT_EQ(c.Committed, 3);
    EXPECT_FALSE(c.Open);
}

TEST(CommitStep, AFailedCommitKeepsWhatWasCopiedAndIsTheError)
{
    struct Case {
        const char* name;
        bool rowFails;
        const char* want;
    };
    const Case cases[] = {
        {"after every row went in", false, "Скопированные записи не зафиксированы, с текстом: disk I/O error"},
        {"after a failed row", true, "Скопированные записи не зафиксированы, с текстом: disk I/O error\r\nbad row"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TFakeConnection c;
        c.CommitFails = true;
        const char* cls = nullptr;
        const QString error = ErrorOf(
            [&] {
                CommitWhatWasWritten(c, [&] {
                    c.Pending += 3;
                    if (k.rowFails) throw EConvertError(QStringLiteral("bad row"));
                });
            },
            &cls);
        EXPECT_STREQ(cls, "commit");
        EXPECT_EQ(error, QString::fromUtf8(k.want));
        // nothing was taken back: the rows are still there, in the transaction left open
        EXPECT_EQ(c.Visible(), 3);
        EXPECT_TRUE(c.Open);

        // the next step carries that transaction on and commits both steps' rows
        c.CommitFails = false;
        CommitWhatWasWritten(c, [&] { c.Pending += 2; });
        EXPECT_EQ(c.Committed, 5);
        EXPECT_EQ(c.Begins, 1);
        EXPECT_FALSE(c.Open);
    }
}

TEST(CommitStep, ErrorTextOfAnythingThrown)
{
    const auto textOf = [](const std::function<void()>& f) {
        try {
            f();
        } catch (...) {
            return CurrentErrorText();
        }
        return QStringLiteral("nothing");
    };
    EXPECT_EQ(textOf([] { throw Exception(QStringLiteral("Ошибка")); }), QStringLiteral("Ошибка"));
    EXPECT_EQ(textOf([] { throw std::out_of_range("index 7 out of range"); }), QStringLiteral("index 7 out of range"));
    EXPECT_EQ(textOf([] { throw 42; }), QStringLiteral("неизвестная ошибка"));
    EXPECT_EQ(CurrentErrorText(), QString());
}
