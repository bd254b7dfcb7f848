#include "StreamHelpers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <random>

namespace {

// A stream holding one TAllKinds child of a TTestRoot, with Body writing its properties.
QByteArray OneChild(const std::function<void(TWriter&)>& body)
{
    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteSignature();
    w.WriteStr(QStringLiteral("TTestRoot"));
    w.WriteStr(QStringLiteral("dm"));
    w.WriteListEnd();
    w.WriteStr(QStringLiteral("TAllKinds"));
    w.WriteStr(QStringLiteral("q"));
    body(w);
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
    return StreamBytes(ms);
}

QByteArray Raw(std::initializer_list<uint8_t> bytes)
{
    QByteArray b;
    for (uint8_t x : bytes)
        b.append(char(x));
    return b;
}

TEST(BadInput, EachFaultRaisesAReadErrorAndLeavesNothingBehind)
{
    RegisterTestClasses();
    auto prop = [](const char* name, const QByteArray& raw) {
        return OneChild([=](TWriter& w) {
            w.WriteStr(QString::fromLatin1(name));
            w.Write(raw.constData(), raw.size());
        });
    };
    QByteArray deep;
    {
        TMemoryStream ms;
        TWriter w(&ms);
        w.WriteSignature();
        w.WriteStr(QStringLiteral("TTestRoot"));
        w.WriteStr(QStringLiteral("dm"));
        w.WriteListEnd();
        for (int i = 0; i < 100; ++i) {
            w.WriteStr(QStringLiteral("TPanelLike"));
            w.WriteStr(QStringLiteral("p%1").arg(i));
            w.WriteListEnd();
        }
        for (int i = 0; i < 102; ++i)
            w.WriteListEnd();
        deep = StreamBytes(ms);
    }
    QByteArray wrongSig = ComponentToBinary(std::unique_ptr<TTestRoot>(BuildTree()).get());
    wrongSig[3] = '1';
    struct Case { const char* what; QByteArray data; const char* tail; };
    const Case cases[] = {
        {"wrong signature", wrongSig, "Invalid stream format"},
        {"unknown value tag", prop("Int32", Raw({0x7F})), "q.Int32: Invalid property value"},
        {"string past the end", prop("Text", Raw({vaLString, 0xF0, 0xFF, 0xFF, 0x7F, 'a'})), "q.Text: Stream read error"},
        {"negative length", prop("Text", Raw({vaUTF8String, 0xFF, 0xFF, 0xFF, 0xFF})), "q.Text: Stream read error"},
        {"wide string past the end", prop("Text", Raw({vaWString, 0x00, 0x00, 0x00, 0x40})), "q.Text: Stream read error"},
        {"string for an integer", prop("Int32", Raw({vaString, 1, 'x'})), "q.Int32: Invalid property value"},
        {"int64 for an integer", prop("Int32", Raw({vaInt64, 0, 0, 0, 0, 1, 0, 0, 0})), "q.Int32: Invalid property value"},
        {"integer for an enum", prop("Shade", Raw({vaInt8, 1})), "q.Shade: Invalid property value"},
        {"unknown enum name", prop("Shade", Raw({vaIdent, 6, 's', 'h', 'P', 'i', 'n', 'k'})), "q.Shade: Invalid property value"},
        {"identifier for a boolean", prop("Flag", Raw({vaIdent, 3, 'y', 'e', 's'})), "q.Flag: Invalid property value"},
        {"unknown set member", prop("Shades", Raw({vaSet, 2, 'x', 'y', 0})), "q.Shades: Invalid property value"},
        {"number for a reference", prop("Link", Raw({vaInt8, 1})), "q.Link: Invalid property value"},
        {"list for a collection", prop("Columns", Raw({vaList, 0})), "q.Columns: Invalid property value"},
        {"string for a float", prop("Ext", Raw({vaString, 1, '1'})), "q.Ext: Invalid property value"},
        {"nesting too deep", deep, "Invalid stream format"},
        {"truncated header", QByteArray("TPF0\x09TTestRo", 12), "Stream read error"},
    };
    for (const Case& c : cases) {
        auto keepHolder = CreateUnique<TTestRoot>(nullptr);
        TTestRoot& keep = *keepHolder;
        try {
            ReadComponentRes(c.data, &keep);
            ADD_FAILURE() << c.what;
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().endsWith(QString::fromLatin1(c.tail))) << c.what << ": " << e.Message().toStdString();
        }
        EXPECT_EQ(keep.ComponentCount(), 0) << c.what;
        // And with the root made by the reader: nothing leaks (checked by the sanitizer build).
        EXPECT_THROW(delete ReadComponentRes(c.data, nullptr), EReadError) << c.what;
    }
}

TEST(BadInput, EveryTruncationFailsCleanly)
{
    std::unique_ptr<TTestRoot> tree(BuildTree());
    const QByteArray bin = ComponentToBinary(tree.get());
    for (qsizetype n = 0; n < bin.size(); ++n) {
        auto keepHolder = CreateUnique<TTestRoot>(nullptr);
        TTestRoot& keep = *keepHolder;
        EXPECT_THROW(ReadComponentRes(bin.left(n), &keep), EReadError) << n;
        ASSERT_EQ(keep.ComponentCount(), 0) << n;
        TMemoryStream in, out;
        in.WriteBytes(bin.left(n));
        in.SetPosition(0);
        EXPECT_THROW(ObjectBinaryToText(&in, &out), EReadError) << n;
    }
}

// Random damage to a good stream, for a bounded time: reading and converting either work
// or raise one of the runtime's exceptions; never a crash, a hang or another exception.
TEST(BadInput, FuzzedStreamsNeverCrash)
{
    std::unique_ptr<TTestRoot> tree(BuildTree());
    const QByteArray good = ComponentToBinary(tree.get());
    const QByteArray goodText = BinaryToText(good);
    std::mt19937 rng(20240611);
    const uint8_t interesting[] = {0x00, 0x01, 0x07, 0x0E, 0x12, 0x14, 0x7F, 0x80, 0xF1, 0xF7, 0xFF};
    QElapsedTimer timer;
    timer.start();
    int runs = 0, accepted = 0;
    while (runs < 200000 && timer.elapsed() < 3000) {
        ++runs;
        const bool text = runs % 5 == 0;
        QByteArray data = text ? goodText : good;
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits && !data.isEmpty(); ++e) {
            const qsizetype at = qsizetype(rng() % uint32_t(data.size()));
            switch (rng() % 5) {
            case 0: data[at] = char(data[at] ^ (1 << (rng() % 8))); break;
            case 1: data[at] = char(interesting[rng() % std::size(interesting)]); break;
            case 2: data.truncate(at); break;
            case 3: data.insert(at, data.mid(qsizetype(rng() % uint32_t(data.size())), qsizetype(rng() % 16))); break;
            case 4: data.remove(at, qsizetype(rng() % 8)); break;
            }
        }
        try {
            auto keepHolder = CreateUnique<TTestRoot>(nullptr);
            TTestRoot& keep = *keepHolder;
            TComponent* read = ReadComponentRes(data, runs % 2 ? &keep : nullptr);
            if (read != &keep)
                delete read;
            ++accepted;
        } catch (const Exception&) {
        }
        if (!text) {
            try {
                TMemoryStream in, out;
                in.WriteBytes(data);
                in.SetPosition(0);
                ObjectBinaryToText(&in, &out);
            } catch (const Exception&) {
            }
        }
    }
    EXPECT_GT(runs, 100);
    RecordProperty("runs", runs);
    RecordProperty("accepted", accepted);
}

}   // namespace
