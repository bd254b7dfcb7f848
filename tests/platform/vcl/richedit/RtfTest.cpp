// The RTF reader and writer: every attribute the rich edit keeps survives a round trip, files
// as word processors write them read right, and damaged streams give what could be read.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichEditRtf.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

struct RichFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = CreateUnique<TForm>(nullptr);
    TRichEdit* Edit = nullptr;
    void SetUp() override
    {
        Form->SetBounds(0, 0, 400, 300);
        Edit = Make();
    }
    TRichEdit* Make()
    {
        auto* e = Create<TRichEdit>(Form.get());
        e->SetParent(Form.get());
        e->SetBounds(0, 0, 380, 280);
        return e;
    }
    void Select(TRichEdit* e, int start, int length)
    {
        e->SetSelStart(start);
        e->SetSelLength(length);
    }
};

QByteArray Rtf(TRichEdit* e) { return RichEditRtf::WriteRtf(e->Document()); }

QString PlainOf(const QByteArray& rtf)
{
    QTextDocument d;
    RichEditRtf::ReadRtf(rtf, &d);
    return d.toPlainText();
}

}  // namespace

TEST_F(RichFixture, EveryAttributeSurvivesARoundTrip)
{
    Edit->SetText(U("Счёт-фактура № 15 от 01.03.2026\r\nИтого к оплате\r\nالمجموع\r\nПункт"));
    // Characters: face, size, styles, colour and character set on different runs.
    Select(Edit, 0, 12);
    Edit->SelAttributes()->SetName("DejaVu Serif");
    Edit->SelAttributes()->SetSize(14);
    Edit->SelAttributes()->SetStyle(TFontStyles{fsBold, fsUnderline});
    Edit->SelAttributes()->SetCharset(204);
    Select(Edit, 13, 4);
    Edit->SelAttributes()->SetStyle(TFontStyles{fsItalic});
    Edit->SelAttributes()->SetColor(clRed);
    Edit->SelAttributes()->SetSize(9);
    // Paragraphs: alignment, indents, right to left, bullets.
    Select(Edit, 33, 0);
    Edit->Paragraph()->SetAlignment(taCenter);
    Edit->Paragraph()->SetFirstIndent(18);
    Edit->Paragraph()->SetLeftIndent(-9);
    Edit->Paragraph()->SetRightIndent(36);
    Select(Edit, 48, 0);
    PARAFORMAT rtl;
    rtl.dwMask = PFM_RTLPARA | PFM_ALIGNMENT;
    rtl.wEffects = PFE_RTLPARA;
    rtl.wAlignment = PFA_RIGHT;
    Edit->Perform(EM_SETPARAFORMAT, 0, LPARAM(&rtl));
    Select(Edit, 56, 0);
    Edit->Paragraph()->SetNumbering(nsBullet);

    const QByteArray rtf = Rtf(Edit);
    TRichEdit* back = Make();
    ASSERT_TRUE(RichEditRtf::ReadRtf(rtf, back->Document()).Ok) << rtf.constData();
    EXPECT_EQ(back->Text().toStdString(), Edit->Text().toStdString()) << rtf.constData();
    EXPECT_EQ(Rtf(back), rtf);   // a second trip changes nothing

    Select(back, 2, 1);
    EXPECT_EQ(back->SelAttributes()->Name(), "DejaVu Serif");
    EXPECT_EQ(back->SelAttributes()->Size(), 14);
    EXPECT_EQ(back->SelAttributes()->Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(back->SelAttributes()->Charset(), 204);
    EXPECT_EQ(back->SelAttributes()->Color(), clWindowText);
    Select(back, 14, 1);
    EXPECT_EQ(back->SelAttributes()->Style(), TFontStyles{fsItalic});
    EXPECT_EQ(ColorToRGB(back->SelAttributes()->Color()), ColorToRGB(clRed));
    EXPECT_EQ(back->SelAttributes()->Size(), 9);
    Select(back, 20, 1);
    EXPECT_EQ(back->SelAttributes()->Style(), TFontStyles());
    Select(back, 35, 0);
    EXPECT_EQ(back->Paragraph()->Alignment(), taCenter);
    EXPECT_EQ(back->Paragraph()->FirstIndent(), 18);
    EXPECT_EQ(back->Paragraph()->LeftIndent(), -9);
    EXPECT_EQ(back->Paragraph()->RightIndent(), 36);
    EXPECT_EQ(back->Paragraph()->Numbering(), nsNone);
    Select(back, 50, 0);
    PARAFORMAT got;
    back->Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
    EXPECT_EQ(got.wEffects & PFE_RTLPARA, PFE_RTLPARA);
    EXPECT_EQ(back->Paragraph()->Alignment(), taRightJustify);
    Select(back, 57, 0);
    EXPECT_EQ(back->Paragraph()->Numbering(), nsBullet);
    EXPECT_EQ(back->Paragraph()->Alignment(), taLeftJustify);
}

TEST_F(RichFixture, WordProcessorFilesReadWithTheirCharacterSets)
{
    // As a word processor writes it: 8-bit escapes in the font's character set, a Unicode
    // character with its 8-bit stand-in, destinations a reader skips.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}"
        "{\\f1\\fnil\\fcharset0 Calibri;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}{\\info{\\author x}}\\viewkind4\\uc1 \r\n"
        "\\pard\\qc\\f0\\fs20\\'d1\\'f7\\'b8\\'f2 \\b\\'f4\\'e0\\'ea\\'f2\\'f3\\'f0\\'e0\\b0\\par\r\n"
        "\\pard\\li720\\cf1\\f1 caf\\'e9 \\u8364?\\tab x\\par\r\n}\r\n";
    TRichEdit* e = Edit;
    ASSERT_TRUE(RichEditRtf::ReadRtf(rtf, e->Document()).Ok);
    EXPECT_EQ(e->Text(), U("Счёт фактура\r\ncafé €\tx\r\n"));
    Select(e, 6, 1);
    EXPECT_EQ(e->SelAttributes()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(e->SelAttributes()->Name(), "Arial");
    EXPECT_EQ(e->SelAttributes()->Size(), 10);
    EXPECT_EQ(e->Paragraph()->Alignment(), taCenter);
    Select(e, 14, 1);
    EXPECT_EQ(ColorToRGB(e->SelAttributes()->Color()), ColorToRGB(clRed));
    EXPECT_EQ(e->SelAttributes()->Charset(), 0);
    EXPECT_EQ(e->Paragraph()->FirstIndent() + e->Paragraph()->LeftIndent(), 36);
    // Written back, the text reads the same to a reader that knows only 8-bit characters.
    const QByteArray out = Rtf(e);
    EXPECT_TRUE(out.contains("\\u1057\\'d1")) << out.constData();
    EXPECT_EQ(PlainOf(out), e->Document()->toPlainText());
}

TEST(RtfReader, DamagedStreamsGiveWhatCouldBeRead)
{
    struct Case {
        const char* Name;
        QByteArray Data;
        bool Ok;
        QString Text;   // the document's plain text afterwards
    };
    const QByteArray deep = "{\\rtf1 a" + QByteArray(100000, '{') + "b" + QByteArray(100000, '}') + "c}";
    const QByteArray deepOpen = "{\\rtf1 a" + QByteArray(100000, '{') + "b";
    QByteArray manyFonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 50000; ++i)
        manyFonts += "{\\f" + QByteArray::number(i) + " F" + QByteArray::number(i) + ";}";
    manyFonts += "}\\f49999 x}";
    QByteArray manyColors = "{\\rtf1{\\colortbl;";
    for (int i = 0; i < 50000; ++i)
        manyColors += "\\red1\\green2\\blue3;";
    manyColors += "}\\cf49999 y}";
    const Case cases[] = {
        {"truncated", "{\\rtf1 abc{\\b def", false, "abcdef"},
        {"truncated in a word", "{\\rtf1 abc\\fs", false, "abc"},
        {"truncated escape", "{\\rtf1 ab\\'", false, "ab"},
        {"deep nesting", deep, true, "abc"},
        {"deep nesting never closed", deepOpen, false, "ab"},
        {"many fonts", manyFonts, true, "x"},
        {"many colours", manyColors, true, "y"},
        {"huge font index", "{\\rtf1{\\fonttbl{\\f2147483647\\fcharset204 A;}}\\f99999999999999 z}", true, "z"},
        {"huge colour index", "{\\rtf1{\\colortbl;\\red999999999;}\\cf2147483647 q\\cf1 r}", true, "qr"},
        {"huge size", "{\\rtf1\\fs99999999999999999999 big\\fs-5 small}", true, "bigsmall"},
        {"bad escapes", "{\\rtf1 a\\'zzb\\'4x\\'c}", true, "azzb4xc"},
        {"binary past the end", "{\\rtf1 a\\bin999999999 xyz}", false, "a"},
        {"negative unicode", "{\\rtf1\\uc3 \\u-3913?????b}", true, U("\uF0B7??b")},
        {"control bytes", QByteArray("{\\rtf1 a\0b\x01}", 12), true, QString::fromLatin1("a\0b\x01", 4)},
        {"overlong word", "{\\rtf1 " + QByteArray(100000, '\\').replace(1, 99998, QByteArray(99998, 'q')) + "x}", true, ""},
    };
    for (const Case& c : cases) {
        QTextDocument d;
        const RichEditRtf::TRtfReadResult r = RichEditRtf::ReadRtf(c.Data, &d);
        EXPECT_EQ(r.Ok, c.Ok) << c.Name;
        EXPECT_EQ(r.Error.isEmpty(), c.Ok) << c.Name;
        EXPECT_EQ(d.toPlainText(), c.Text) << c.Name;
    }
    // Not RTF at all: nothing changes.
    QTextDocument d;
    d.setPlainText("kept");
    EXPECT_FALSE(RichEditRtf::ReadRtf("plain {\\rtf1 x}", &d).Ok);
    EXPECT_EQ(d.toPlainText(), "kept");
}

// Random damage to sample streams: the reader never fails hard, what it reads is never more
// than its input, and what the writer makes of it reads back to the same text.
// DOV_FUZZ_ROUNDS raises the number of rounds (run so under the sanitizer build).
TEST(RtfFuzz, MutatedSamplesReadSafely)
{
    const QByteArray samples[] = {
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}{\\f1\\fnil\\fcharset0 Calibri;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}\\uc1\\pard\\qc\\f0\\fs20\\'d1\\'f7\\'b8\\'f2 \\b\\'f4\\'e0\\b0\\par"
        "\\pard\\li720\\ri360\\fi-360\\cf1\\f1 caf\\'e9 \\u8364?\\tab x{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\par}",
        "{\\rtf1{\\*\\generator g;}{\\info{\\title t}}\\rtlpar\\qr \\u1575\\'c7\\u1604\\'e1{\\b\\i\\ul deep{\\cf0 x}}\\line y\\bin3 abc}",
    };
    const int rounds = qEnvironmentVariableIntValue("DOV_FUZZ_ROUNDS") > 0 ? qEnvironmentVariableIntValue("DOV_FUZZ_ROUNDS") : 300;
    QRandomGenerator rng(20261211);
    const char alphabet[] = "{}\\'*;0123456789-abfiquclrpn \r\n\x80\xff";
    for (int round = 0; round < rounds; ++round) {
        QByteArray d = samples[round % 2];
        const int edits = 1 + int(rng.bounded(8));
        for (int k = 0; k < edits && !d.isEmpty(); ++k) {
            const int at = int(rng.bounded(int(d.size())));
            switch (rng.bounded(5)) {
            case 0: d[at] = alphabet[rng.bounded(int(sizeof alphabet - 1))]; break;
            case 1: d.insert(at, alphabet[rng.bounded(int(sizeof alphabet - 1))]); break;
            case 2: d.remove(at, 1 + int(rng.bounded(8))); break;
            case 3: d.truncate(at); break;
            case 4: d.insert(at, d.mid(int(rng.bounded(int(d.size()))), 1 + int(rng.bounded(40)))); break;
            }
        }
        QTextDocument doc;
        RichEditRtf::ReadRtf(d, &doc);
        ASSERT_LE(doc.characterCount(), d.size() + 1) << d.toStdString();
        const QByteArray again = RichEditRtf::WriteRtf(&doc);
        QTextDocument back;
        ASSERT_TRUE(RichEditRtf::ReadRtf(again, &back).Ok) << again.toStdString();
        ASSERT_EQ(back.toPlainText(), doc.toPlainText()) << d.toStdString();
    }
}
