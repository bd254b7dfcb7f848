#include "platform/vcl/VclTestSupport.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/WinUser.h"
#include "support/StringsText.h"

namespace {

using testsupport::Texts;

TEST(MRUList, AddMovesKnownTextsToTheEnd)
{
    TMRUListEh mru(nullptr);
    for (const char* s : {"Alpha", "beta", "ALPHA", "gamma"})
        mru.Add(QString::fromLatin1(s));
    // Without regard to case "ALPHA" is "Alpha", which moved to the end and kept its spelling.
    EXPECT_EQ(Texts(mru.Items()), (QStringList{"beta", "Alpha", "gamma"}));
    mru.SetCaseSensitive(true);
    mru.Add("BETA");
    EXPECT_EQ(Texts(mru.Items()), (QStringList{"beta", "Alpha", "gamma", "BETA"}));
}

TEST(MRUList, EmptyAndBlankTextsChangeNothing)
{
    TMRUListEh mru(nullptr);
    mru.Add("x");
    for (const QString& s : {QString(), QStringLiteral("   "), QStringLiteral("\t \r\n")})
        mru.Add(s);
    EXPECT_EQ(Texts(mru.Items()), QStringList{"x"});
    // A text with blanks around it is kept as typed.
    mru.Add(" y ");
    EXPECT_EQ(mru.Items()->Strings(1), QStringLiteral(" y "));
}

TEST(MRUList, LimitDropsTheOldest)
{
    TMRUListEh mru(nullptr);
    for (int i = 1; i <= 101; ++i)
        mru.Add(QString::number(i));
    EXPECT_EQ(mru.Items()->Count(), 100);
    EXPECT_EQ(mru.Items()->Strings(0), QStringLiteral("2"));
    mru.SetLimit(5);
    EXPECT_EQ(Texts(mru.Items()), (QStringList{"97", "98", "99", "100", "101"}));
    // A negative limit keeps nothing instead of failing on an empty list.
    mru.SetLimit(-3);
    EXPECT_EQ(mru.Limit(), 0);
    EXPECT_EQ(mru.Items()->Count(), 0);
    mru.Add("z");
    EXPECT_EQ(mru.Items()->Count(), 0);
}

TEST(MRUList, HugeTextsAreKeptWhole)
{
    TMRUListEh mru(nullptr);
    const QString huge = QString(4 * 1024 * 1024, QChar(u'я')) + QStringLiteral("end");
    mru.Add(huge);
    mru.Add(QStringLiteral("я"));
    mru.Add(huge);   // known: moved, not doubled
    ASSERT_EQ(mru.Items()->Count(), 2);
    EXPECT_EQ(mru.Items()->Strings(1).size(), huge.size());
    TStringList out;
    EXPECT_TRUE(mru.FilterItemsTo(&out, QStringLiteral("ЯЯ")));
    ASSERT_EQ(out.Count(), 1);
    EXPECT_EQ(out.Strings(0), huge);
}

TEST(MRUList, FilterByHead)
{
    TMRUListEh mru(nullptr);
    for (const char* s : {"abc", "Abd", "b", "ab"})
        mru.Add(QString::fromLatin1(s));
    TStringList out;
    out.Add("stale");
    EXPECT_TRUE(mru.FilterItemsTo(&out, QString()));
    EXPECT_EQ(Texts(&out), (QStringList{"abc", "Abd", "b", "ab"}));
    mru.FilterItemsTo(&out, "ab");
    EXPECT_EQ(Texts(&out), (QStringList{"abc", "Abd", "ab"}));
    mru.FilterItemsTo(&out, "abcd");   // longer than every item
    EXPECT_EQ(out.Count(), 0);
    mru.SetCaseSensitive(true);
    mru.FilterItemsTo(&out, "ab");
    EXPECT_EQ(Texts(&out), (QStringList{"abc", "ab"}));

    // The event has the last word.
    mru.OnFilterItem = [](TObject*, bool& accept) { accept = !accept; };
    mru.FilterItemsTo(&out, "ab");
    EXPECT_EQ(Texts(&out), (QStringList{"Abd", "b"}));
}

TEST(MRUList, WaitingKeyPressStopsTheFilterEvery100Items)
{
    TMRUListEh mru(nullptr);
    mru.SetLimit(1000);
    for (int i = 0; i < 250; ++i)
        mru.Add(QString::number(i));
    TStringList out;
    auto* target = Create<TForm>(nullptr);
    ASSERT_TRUE(PostMessage(target->Handle(), WM_KEYDOWN, VK_DOWN, 0));
    EXPECT_FALSE(mru.FilterItemsTo(&out, QString()));
    EXPECT_EQ(out.Count(), 1);   // stopped after the first item
    mru.SetCancelIfKeyInQueue(false);
    EXPECT_TRUE(mru.FilterItemsTo(&out, QString()));
    EXPECT_EQ(out.Count(), 250);
    TMsg m;
    while (PeekMessage(m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
    }
    mru.SetCancelIfKeyInQueue(true);
    EXPECT_TRUE(mru.FilterItemsTo(&out, QString()));
    delete target;
}

TEST(MRUList, AssignAndEvents)
{
    TMRUListEh a(nullptr), b(nullptr);
    int activeChanged = 0;
    b.OnActiveChanged = [&](TObject*) { ++activeChanged; };
    a.SetActive(true);
    a.Add("one");
    a.SetLimit(10);
    a.SetRows(3);
    a.SetCaseSensitive(true);
    a.SetAutoAdd(false);
    a.SetWidth(77);
    b.Assign(&a);
    EXPECT_TRUE(b.Active());
    EXPECT_EQ(activeChanged, 1);
    EXPECT_EQ(Texts(b.Items()), QStringList{"one"});
    EXPECT_EQ(b.Limit(), 10);
    EXPECT_EQ(b.Rows(), 3);
    EXPECT_TRUE(b.CaseSensitive());
    EXPECT_TRUE(b.AutoAdd());   // not copied
    EXPECT_EQ(b.Width(), 0);

    QStringList log;
    b.OnSetDropDown = [&](TObject*) { log << "drop"; };
    b.OnSetCloseUp = [&](TObject*, bool accept) { log << (accept ? "accept" : "cancel"); };
    b.DropDown();
    b.CloseUp(false);
    EXPECT_EQ(log, (QStringList{"drop", "cancel"}));
}

}  // namespace
