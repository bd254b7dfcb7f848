// Scope guards: the step runs however the scope ends, its own error reaches the caller only
// when nothing else is failing, and the first error is the one reported.
#include "platform/rtl/Classes.h"
#include "platform/rtl/Guards.h"

#include <gtest/gtest.h>

namespace {

struct TCounter {
    int Updates = 0;
    bool FailEnd = false;
    void BeginUpdate() { ++Updates; }
    void EndUpdate()
    {
        --Updates;
        if (FailEnd)
            throw Exception(QStringLiteral("end failed"));
    }
};

QString ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(Guards, StepsRunOnEveryWayOut)
{
    QStringList ran;
    EXPECT_EQ(ErrorOf([&] {
        auto always = Finally([&] { ran << "finally"; });
        auto undo = OnFailure([&] { ran << "undo"; });
        throw Exception(QStringLiteral("work failed"));
    }), QStringLiteral("work failed"));
    EXPECT_EQ(ran, QStringList({"undo", "finally"}));   // in reverse order of declaration

    ran.clear();
    {
        auto always = Finally([&] { ran << "finally"; });
        auto undo = OnFailure([&] { ran << "undo"; });
        auto dismissed = Finally([&] { ran << "dismissed"; });
        dismissed.Dismiss();
    }
    EXPECT_EQ(ran, QStringList({"finally"}));
}

TEST(Guards, TheFirstErrorWinsAndACleanupErrorIsNotLost)
{
    TCounter c;
    c.FailEnd = true;
    // The work's error, not the bracket's, reaches the caller; the bracket is closed.
    EXPECT_EQ(ErrorOf([&] {
        TUpdateGuard update(&c);
        throw Exception(QStringLiteral("work failed"));
    }), QStringLiteral("work failed"));
    EXPECT_EQ(c.Updates, 0);
    // With nothing else failing the bracket's own error is reported.
    EXPECT_EQ(ErrorOf([&] { TUpdateGuard update(&c); }), QStringLiteral("end failed"));
    EXPECT_EQ(c.Updates, 0);
}

TEST(Guards, AStringListUpdateIsClosedWhenAFillFails)
{
    TStringList list;
    int changes = 0;
    list.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    list.Add(QStringLiteral("a"));
    changes = 0;
    EXPECT_FALSE(ErrorOf([&] { list.AddStrings(QStringList({"b", "a"})); }).isEmpty());
    EXPECT_EQ(list.UpdateCount(), 0);
    EXPECT_EQ(changes, 1);   // the change notice of the closed bracket
}

TEST(Guards, RestoreGuardPutsTheValueBack)
{
    QString path = QStringLiteral("outer");
    EXPECT_EQ(ErrorOf([&] {
        TRestoreGuard<QString> g(path, QStringLiteral("inner"));
        EXPECT_EQ(path, QStringLiteral("inner"));
        throw Exception(QStringLiteral("x"));
    }), QStringLiteral("x"));
    EXPECT_EQ(path, QStringLiteral("outer"));
}
