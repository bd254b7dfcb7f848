// Our own reader and writer of rich text format for the rich edit: fonts and their character
// sets, sizes, bold, italic, underline, colours, paragraph alignment, indents, right-to-left
// paragraphs and bullets. The reader never trusts its input: nesting, tables and numbers are
// bounded, and a damaged stream gives the text that could be read plus an error.
#pragma once

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace RichEditRtf {

// Groups deeper than this share the state of the deepest one kept.
constexpr int MaxGroupDepth = 256;
// Font and colour table entries beyond these are ignored.
constexpr int MaxTableEntries = 1024;

// Block format property holding a paragraph's bullet flag; char format property holding the
// character set of the run's font.
constexpr int BulletProperty = 0x100000 + 1;
constexpr int CharsetProperty = 0x100000 + 2;

struct TRtfReadResult {
    bool Ok = true;
    QString Error;      // "" when Ok
};

// True when the bytes start as an RTF stream does ("{\rtf", spaces before it allowed).
bool IsRtf(const QByteArray& Data);

// Inserts the document at the cursor (replacing its selection). A stream that is not RTF
// inserts nothing; a damaged one inserts what could be read; both report an error.
TRtfReadResult ReadRtf(const QByteArray& Data, QTextCursor& At);
// Replaces the document's content.
TRtfReadResult ReadRtf(const QByteArray& Data, QTextDocument* Doc);

// The document, or the characters [From, To) of it (To = -1: to the end), as RTF.
QByteArray WriteRtf(const QTextDocument* Doc, int From = 0, int To = -1);

}  // namespace RichEditRtf
