// Bounded random inputs with a fixed seed: the ini reader and the delimited-text parser
// must survive anything and keep their round-trip promises.
#include "platform/rtl/IniFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <random>

#include <gtest/gtest.h>

namespace {

// Bytes drawn mostly from the characters that steer the parsers.
QByteArray RandomBytes(std::mt19937& rng, int maxLen)
{
    static const char alphabet[] = "[]=;#\r\n \t\"',|abcXYZ019$\xD0\xD1\xC0\xFF\xEF\xBB\xBF\x80";
    std::uniform_int_distribution<int> len(0, maxLen), pick(0, int(sizeof(alphabet)) - 1), any(0, 255), coin(0, 9);
    QByteArray b;
    int n = len(rng);
    for (int i = 0; i < n; ++i)
        b.append(coin(rng) == 0 ? char(any(rng)) : alphabet[pick(rng)]);
    return b;
}

QString RandomItem(std::mt19937& rng)
{
    static const char16_t alphabet[] = u" \t,;|\"'abcЖж=\r\n\u00A0";
    std::uniform_int_distribution<int> len(0, 6), pick(0, int(std::size(alphabet)) - 2);
    QString s;
    int n = len(rng);
    for (int i = 0; i < n; ++i)
        s += QChar(alphabet[pick(rng)]);
    return s;
}

}  // namespace

TEST(Fuzz, IniReaderSurvivesRandomFiles)
{
    std::mt19937 rng(20261210);
    QTemporaryDir dir;
    const QString path = dir.filePath("fuzz.ini");
    for (int round = 0; round < 300; ++round) {
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(RandomBytes(rng, 300));
        }
        TIniFile ini(path);
        TStringList sections, keys, values;
        ini.ReadSections(&sections);
        for (int s = 0; s < sections.Count(); ++s) {
            ini.ReadSection(sections[s], &keys);
            ini.ReadSectionValues(sections[s], &values);
            ASSERT_EQ(keys.Count(), values.Count());
            for (int k = 0; k < keys.Count(); ++k) {
                EXPECT_TRUE(ini.ValueExists(sections[s], keys[k]));
                ini.ReadString(sections[s], keys[k], QString());
                ini.ReadInteger(sections[s], keys[k], 0);
                ini.ReadBool(sections[s], keys[k], false);
            }
        }
        // A write always reads back, whatever the file held.
        ini.WriteString("Fuzz", "Key", "value " + QString::number(round));
        ASSERT_EQ(ini.ReadString("fuzz", "key", QString()), "value " + QString::number(round)) << round;
        ini.DeleteKey("Fuzz", "Key");
        EXPECT_FALSE(ini.ValueExists("Fuzz", "Key"));
    }
}

TEST(Fuzz, DelimitedTextSurvivesRandomTextAndRoundTrips)
{
    std::mt19937 rng(7);
    const QChar delimiters[] = {u',', u';', u'|'};
    const QChar quotes[] = {u'"', u'\''};
    for (int round = 0; round < 2000; ++round) {
        TStringList l;
        l.SetDelimiter(delimiters[round % 3]);
        l.SetQuoteChar(quotes[(round / 3) % 2]);
        l.SetStrictDelimiter(round % 2 == 0);
        l.SetDelimitedText(QString::fromLatin1(RandomBytes(rng, 60)));
        l.SetCommaText(QString::fromUtf8(RandomBytes(rng, 60)));

        TStringList items, back;
        for (TStringList* x : {&items, &back}) {
            x->SetDelimiter(l.Delimiter());
            x->SetQuoteChar(l.QuoteChar());
            x->SetStrictDelimiter(l.StrictDelimiter());
        }
        std::uniform_int_distribution<int> count(0, 5);
        for (int n = count(rng); n > 0; --n)
            items.Add(RandomItem(rng));
        back.SetDelimitedText(items.DelimitedText());
        ASSERT_EQ(back.ToStringList(), items.ToStringList()) << items.DelimitedText().toStdString();
    }
}
