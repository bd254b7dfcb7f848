#include "platform/rtl/Classes.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

namespace {

QStringList Lines(const TStrings& s)
{
    return s.ToStringList();
}

struct Counted : TObject {
    static inline int Alive = 0;
    Counted() { ++Alive; }
    ~Counted() override { --Alive; }
};

}  // namespace

TEST(StringList, SortedAddFollowsDuplicates)
{
    struct Case {
        TDuplicates dup;
        int indexOfSecondAdd;
        QStringList lines;
    };
    const Case cases[] = {
        {dupIgnore, 1, {"a", "B", "c"}},
        {dupAccept, 1, {"a", "b", "B", "c"}},   // inserted before the equal line
    };
    for (const Case& c : cases) {
        TStringList l;
        l.SetSorted(true);
        l.SetDuplicates(c.dup);
        l.Add("c");
        l.Add("B");
        l.Add("a");
        EXPECT_EQ(l.Add("b"), c.indexOfSecondAdd);
        EXPECT_EQ(Lines(l), c.lines);
    }
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(dupError);
    l.Add("x");
    EXPECT_EQ(ErrorOf<EStringListError>([&] { l.Add("X"); }), "String list does not allow duplicates");
    EXPECT_EQ(l.Count(), 1);
}

TEST(StringList, FindUsesRussianCollationAndCase)
{
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(dupAccept);
    for (const char* s : {"ёж", "Яблоко", "арбуз", "Берёза", "берёза"})
        l.Add(QString::fromUtf8(s));
    int i = -1;
    EXPECT_TRUE(l.Find(QString::fromUtf8("БЕРЁЗА"), i));
    EXPECT_EQ(l.Strings(i).toLower(), QString::fromUtf8("берёза"));
    EXPECT_EQ(i, 1);   // the first of the two equal lines
    EXPECT_FALSE(l.Find(QString::fromUtf8("вишня"), i));
    EXPECT_EQ(i, 3);   // where it would go
    EXPECT_EQ(l.Strings(0), QString::fromUtf8("арбуз"));
    EXPECT_EQ(l.Strings(4), QString::fromUtf8("Яблоко"));

    l.SetCaseSensitive(true);   // re-sorted; now "БЕРЁЗА" matches nothing
    EXPECT_FALSE(l.Find(QString::fromUtf8("БЕРЁЗА"), i));
    EXPECT_EQ(l.IndexOf(QString::fromUtf8("берёза")) >= 0, true);
}

TEST(StringList, SortedListRefusesPositionalChanges)
{
    TStringList l;
    l.Add("b");
    l.SetSorted(true);
    EXPECT_EQ(ErrorOf<EStringListError>([&] { l.Insert(0, "a"); }), "Operation not allowed on sorted list");
    EXPECT_EQ(ErrorOf<EStringListError>([&] { l.SetStrings(0, "a"); }), "Operation not allowed on sorted list");
    EXPECT_EQ(ErrorOf<EStringListError>([&] { l.Strings(5); }), "List index out of bounds (5)");
    EXPECT_EQ(ErrorOf<EStringListError>([&] { l.Delete(-1); }), "List index out of bounds (-1)");
}

TEST(StringList, NamesAndValues)
{
    TStringList l;
    l.SetText("ip=10.0.0.1\r\nFilial=\r\nplain\r\nurl=a=b\r\n");
    EXPECT_EQ(l.Values("IP"), "10.0.0.1");   // names compared without case
    EXPECT_EQ(l.Values("filial"), "");
    EXPECT_EQ(l.IndexOfName("filial"), 1);
    EXPECT_EQ(l.Values("url"), "a=b");       // split at the first separator
    EXPECT_EQ(l.Names(2), "");
    EXPECT_EQ(l.ValueFromIndex(2), "");
    EXPECT_EQ(l.Values("missing"), "");

    l.SetValues("ip", "10.0.0.2");
    EXPECT_EQ(l.Strings(0), "ip=10.0.0.2");
    l.SetValues("new", "1");
    EXPECT_EQ(l.Strings(4), "new=1");
    l.SetValues("url", "");                   // an empty value deletes the line
    EXPECT_EQ(l.IndexOfName("url"), -1);

    l.SetNameValueSeparator(u':');
    l.Clear();
    l.Add("a:1");
    EXPECT_EQ(l.Values("a"), "1");
}

TEST(StringList, CommaTextWritesAndReadsBack)
{
    struct Case {
        QStringList items;
        QString text;
    };
    const Case cases[] = {
        {{"a", "b"}, "a,b"},
        {{"a b", "c"}, "\"a b\",c"},
        {{"x,y"}, "\"x,y\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"a", "", "b"}, "a,,b"},
        {{""}, "\"\""},
        {{"tab\there"}, "\"tab\there\""},
        {{QString::fromUtf8("ООО \"Ромашка\""), "1"}, QString::fromUtf8("\"ООО \"\"Ромашка\"\"\",1")},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TStringList l;
        l.AddStrings(c.items);
        EXPECT_EQ(l.CommaText(), c.text) << c.text.toStdString();
        TStringList back;
        back.SetCommaText(c.text);
        // A lone empty item reads back as one empty line; "" otherwise means no line.
        EXPECT_EQ(Lines(back), c.items) << c.text.toStdString();
    }
}

TEST(StringList, DelimitedTextParsing)
{
    struct Case {
        QChar delimiter;
        bool strict;
        QString text;
        QStringList items;
    };
    const Case cases[] = {
        {u',', false, "  a , b ,c  ", {"a", "b", "c"}},
        {u',', false, "a b,c", {"a", "b", "c"}},           // blanks split too unless strict
        {u',', false, "a,", {"a", ""}},
        {u',', false, ",", {"", ""}},
        {u',', false, "\"a,b\",c", {"a,b", "c"}},
        {u',', false, "\"ab\"cd", {"ab", "cd"}},
        {u',', false, "\"unterminated", {"unterminated"}},
        {u',', false, "\"a\"\"b\"", {"a\"b"}},
        {u';', true, "a b;c ;", {"a b", "c ", ""}},
        {u';', true, " x", {" x"}},
        {u';', true, "\"p;q\";r", {"p;q", "r"}},
        {u'|', false, "a|b c", {"a", "b", "c"}},
        {u',', false, QString("a,b") + QChar(u'\0') + QString(",c"), {"a", "b"}},   // NUL ends the text
    };
    for (const Case& c : cases) {
        TStringList l;
        l.SetDelimiter(c.delimiter);
        l.SetStrictDelimiter(c.strict);
        l.SetDelimitedText(c.text);
        EXPECT_EQ(Lines(l), c.items) << c.text.toStdString();
    }
}

TEST(StringList, StrictDelimitedTextRoundTrip)
{
    TStringList l;
    l.SetDelimiter(u';');
    l.SetQuoteChar(u'\'');
    l.SetStrictDelimiter(true);
    l.AddStrings(QStringList{" lead", "in;side", "it's", "plain", ""});
    EXPECT_EQ(l.DelimitedText(), " lead;'in;side';'it''s';plain;");
    TStringList back;
    back.SetDelimiter(u';');
    back.SetQuoteChar(u'\'');
    back.SetStrictDelimiter(true);
    back.SetDelimitedText(l.DelimitedText());
    EXPECT_EQ(Lines(back), Lines(l));
}

TEST(StringList, TextLineEnds)
{
    TStringList l;
    l.AddStrings(QStringList{"a", "", "b"});
    EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");

    struct Case {
        QString text;
        QStringList lines;
    };
    const Case cases[] = {
        {"a\nb\r\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"", {}},
        {"\r\n", {""}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        l.SetText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << c.text.toStdString();
    }
}

TEST(StringList, ObjectAndIntegerSlotsStayApart)
{
    Counted::Alive = 0;
    {
        TStringList l(true);   // owns its objects
        auto* obj = new Counted;
        l.AddObject("object", obj);
        l.AddInteger("integer", 300);       // above 255: still an integer, never an object
        l.AddInteger("pointer-sized", NativeInt(0x7FFF12345678LL));
        l.Add("empty");
        EXPECT_EQ(l.Objects(0), obj);
        EXPECT_EQ(l.Integers(0), 0);
        EXPECT_TRUE(l.HoldsObject(0));
        EXPECT_EQ(l.Objects(1), nullptr);
        EXPECT_EQ(l.Integers(1), 300);
        EXPECT_FALSE(l.HoldsObject(1));
        EXPECT_EQ(l.Integers(2), NativeInt(0x7FFF12345678LL));
        EXPECT_EQ(l.IndexOfObject(obj), 0);

        TStringList copy;
        copy.Assign(&l);
        EXPECT_EQ(copy.Objects(0), obj);
        EXPECT_EQ(copy.Integers(1), 300);

        l.Move(1, 3);   // slots travel with their lines
        EXPECT_EQ(l.Strings(3), "integer");
        EXPECT_EQ(l.Integers(3), 300);
        l.Delete(3);    // an integer slot is not freed
        EXPECT_EQ(Counted::Alive, 1);
    }
    EXPECT_EQ(Counted::Alive, 0);   // the owned object went with the list
}

TEST(StringList, ChangeEventsAreBracketedByUpdates)
{
    struct Listener {
        int changes = 0, changings = 0;
        void Change(TObject*) { ++changes; }
        void Changing(TObject*) { ++changings; }
    } lis;
    TStringList l;
    l.OnChange = TNotifyEvent(&lis, &Listener::Change);
    l.OnChanging = TNotifyEvent(&lis, &Listener::Changing);
    l.Add("a");
    EXPECT_EQ(lis.changes, 1);
    EXPECT_EQ(lis.changings, 1);
    l.BeginUpdate();
    l.Add("b");
    l.Add("c");
    l.Delete(0);
    EXPECT_EQ(lis.changes, 1);
    l.EndUpdate();
    EXPECT_EQ(lis.changes, 2);
    EXPECT_EQ(lis.changings, 2);
    l.SetCommaText("x,y,z");
    EXPECT_EQ(lis.changes, 3);
}

TEST(StringList, CustomSortMayReadTheListAndSurvivesInconsistentOrder)
{
    TStringList l;
    l.SetCommaText("10,9,100,1,55");
    l.CustomSort([](TStringList* list, int a, int b) {
        return list->Strings(a).toInt() - list->Strings(b).toInt();
    });
    EXPECT_EQ(l.CommaText(), "1,9,10,55,100");

    TStringList big;
    for (int i = 0; i < 2000; ++i)
        big.Add(QString::number(i));
    unsigned seed = 7;
    big.CustomSort([&](TStringList*, int, int) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % 3) - 1;   // not an ordering at all
    });
    EXPECT_EQ(big.Count(), 2000);
    big.SetSorted(true);
    for (int i = 0; i < 2000; ++i)
        EXPECT_GE(big.IndexOf(QString::number(i)), 0);
}

TEST(StringList, LoadDetectsEncoding)
{
    const QString text = QString::fromUtf8("Счёт-фактура\r\nИтого");
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"utf8", text.toUtf8()},
        {"utf8 bom", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"cp1251", UnicodeToCP1251(text)},
    };
    for (const Case& c : cases) {
        TBytesStream s(c.bytes);
        TStringList l;
        l.LoadFromStream(&s);
        EXPECT_EQ(l.Text(), text + "\r\n") << c.name;
    }
}

TEST(PointerList, IndexErrorsAndMoves)
{
    TList l;
    int a = 1, b = 2, c = 3;
    l.Add(&a);
    l.Add(&b);
    l.Add(&c);
    EXPECT_EQ(ErrorOf<EListError>([&] { l.Items(3); }), "List index out of bounds (3)");
    EXPECT_EQ(ErrorOf<EListError>([&] { l.Insert(5, &a); }), "List index out of bounds (5)");
    l.Move(0, 2);
    EXPECT_EQ(l.Items(2), &a);
    l.Exchange(0, 2);
    EXPECT_EQ(l.Items(0), &a);
    EXPECT_EQ(l.Extract(&b), &b);
    EXPECT_EQ(l.Extract(&b), nullptr);
    EXPECT_EQ(l.Remove(&c), 1);
    EXPECT_EQ(l.Count(), 1);
    l.Add(&c);
    l.Add(&b);
    l.Sort([](void* x, void* y) { return *static_cast<int*>(y) - *static_cast<int*>(x); });
    EXPECT_EQ(l.First(), &c);
    EXPECT_EQ(l.Last(), &a);
}

TEST(PointerList, ObjectListFreesOwnedObjectsButNotExtractedOnes)
{
    Counted::Alive = 0;
    Counted* kept = nullptr;
    {
        TObjectList l;
        l.Add(new Counted);
        l.Add(new Counted);
        kept = static_cast<Counted*>(l.Add(new Counted), l.Items(2));
        EXPECT_EQ(l.Extract(kept), kept);
        l.Delete(0);
        EXPECT_EQ(Counted::Alive, 2);
        l.SetItems(0, new Counted);   // the replaced object is freed
        EXPECT_EQ(Counted::Alive, 2);
    }
    EXPECT_EQ(Counted::Alive, 1);
    delete kept;
}
