// The clipboard: named formats round trip, formats written in one open session arrive together,
// and 8-bit and UTF-16 text stand in for each other.
#include "platform/vcl/VclTestSupport.h"
#include "platform/vcl/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

TEST(Clipboard, NamedFormatsAreStableAndTravelAsTheirMimeTypes)
{
    const UINT dbif = RegisterClipboardFormat(QStringLiteral("VCLDBIF"));
    const UINT csv = RegisterClipboardFormat(QStringLiteral("Csv"));
    const UINT rtf = RegisterClipboardFormat(QStringLiteral("Rich Text Format"));
    EXPECT_GE(dbif, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("vcldbif")), dbif);
    EXPECT_NE(csv, dbif);
    EXPECT_EQ(GetClipboardFormatName(rtf), QStringLiteral("Rich Text Format"));
    EXPECT_EQ(ClipboardFormatMimeType(csv), QStringLiteral("text/csv"));
    EXPECT_EQ(ClipboardFormatMimeType(rtf), QStringLiteral("text/rtf"));
    EXPECT_EQ(RegisterClipboardFormat(QString()), 0u);
}

TEST(Clipboard, FormatsPutInOneSessionArriveTogetherAndRoundTrip)
{
    const UINT dbif = RegisterClipboardFormat(QStringLiteral("VCLDBIF"));
    const UINT csv = RegisterClipboardFormat(QStringLiteral("Csv"));
    TClipboard* cb = Clipboard();
    cb->SetAsText(QStringLiteral("old"));
    // a binary block with zeros inside
    const QByteArray block("\x01\x00\x02VCLDBIF\x00\xFF", 12);
    const QByteArray text8 = UnicodeToCP1251(QStringLiteral("Сумма\t1")) + '\0';
    cb->Open();
    cb->SetBuffer(CF_TEXT, text8);
    cb->SetBuffer(dbif, block);
    cb->SetBuffer(csv, QByteArray("a;b\r\n"));
    // nothing reaches the system clipboard before the last Close
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("old"));
    cb->Close();
    EXPECT_TRUE(cb->HasFormat(dbif));
    EXPECT_TRUE(cb->HasFormat(csv));
    EXPECT_TRUE(cb->HasFormat(CF_UNICODETEXT));
    EXPECT_FALSE(cb->HasFormat(CF_BITMAP));
    EXPECT_EQ(cb->AsBuffer(dbif), block);
    EXPECT_EQ(cb->AsBuffer(csv), QByteArray("a;b\r\n"));
    EXPECT_EQ(cb->AsBuffer(CF_TEXT), text8);
    EXPECT_EQ(cb->AsText(), QStringLiteral("Сумма\t1"));
    EXPECT_EQ(cb->Formats(), (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, dbif, csv}));
    // a new session replaces everything, the named formats too
    cb->SetAsText(QStringLiteral("только текст"));
    EXPECT_FALSE(cb->HasFormat(dbif));
    EXPECT_EQ(UnicodeToCP1251(QStringLiteral("только текст")) + '\0', cb->AsBuffer(CF_TEXT));
}

TEST(Clipboard, UnicodeTextBlockEndsAtItsZeroOrItsEnd)
{
    const QString s = QStringLiteral("НДС");
    QByteArray withZero(reinterpret_cast<const char*>(s.utf16()), (s.size() + 1) * 2);
    Clipboard()->SetBuffer(CF_UNICODETEXT, withZero + QByteArray("junk", 4));
    EXPECT_EQ(Clipboard()->AsText(), s);
    // without the final zero the last character stays
    Clipboard()->SetBuffer(CF_UNICODETEXT, QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2));
    EXPECT_EQ(Clipboard()->AsText(), s);
}

TEST(Clipboard, PicturesGoOnAsBitmapsAndComeBack)
{
    TBitmap b(4, 3);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 4, 3));
    Clipboard()->Assign(&b);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap back;
    Clipboard()->AssignTo(&back);
    EXPECT_EQ(back.Width(), 4);
    EXPECT_EQ(back.Canvas()->Pixels(1, 1), clRed);
    Clipboard()->SetAsText(QStringLiteral("x"));
    EXPECT_THROW(Clipboard()->AssignTo(&back), EClipboardException);
}

TEST(Clipboard, ErrorsLeaveTheClipboardClosed)
{
    Clipboard()->SetAsText(QStringLiteral("kept"));
    EXPECT_THROW(Clipboard()->SetBuffer(0x7777, "x", 1), EClipboardException);
    EXPECT_THROW(Clipboard()->SetBuffer(CF_TEXT, nullptr, 5), EClipboardException);
    // closed: the next write is a session of its own
    Clipboard()->SetAsText(QStringLiteral("next"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("next"));
}
