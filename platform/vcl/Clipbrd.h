// The clipboard: standard and named formats over the system clipboard's MIME types. Between
// Open and the last Close every write goes to one new content that replaces the clipboard's
// at the last Close, so formats put together arrive together.
#pragma once

#include "Graphics.h"

#include <QByteArray>
#include <memory>

class QMimeData;

DOV_DECLARE_EXCEPTION(EClipboardException, Exception);

enum : UINT { CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13 };

// A format registered by name: the same name (case-insensitive) gives the same number, from 0xC000.
UINT RegisterClipboardFormat(const QString& Name);
QString GetClipboardFormatName(UINT Format);
// The MIME type a format travels as ("text/csv", "text/rtf", or one of our own for other names).
QString ClipboardFormatMimeType(UINT Format);

class TClipboard : public TPersistent {
    DOV_PERSISTENT(TClipboard, TPersistent)
public:
    TClipboard();
    ~TClipboard() override;

    // Nestable; raises EClipboardException when there is no clipboard to open.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(UINT Format) const;
    // The formats present, in the order of CF_TEXT, CF_BITMAP, CF_UNICODETEXT, then named ones.
    std::vector<UINT> Formats() const;

    // Text: CF_UNICODETEXT, with CF_TEXT (CP1251) offered alongside as the platform does.
    QString AsText() const;
    void SetAsText(const QString& Value);
    // Raw bytes of a format (8-bit text as CP1251 bytes); empty when absent.
    QByteArray AsBuffer(UINT Format) const;
    void SetBuffer(UINT Format, const void* Buffer, int Size);
    void SetBuffer(UINT Format, const QByteArray& Data) { SetBuffer(Format, Data.constData(), int(Data.size())); }

    // Pictures: a bitmap or picture goes on as CF_BITMAP; AssignTo fills one from it.
    void Assign(TPersistent* Source) override;
    void AssignTo(TPersistent* Dest) const;

private:
    void Adding();
    const QMimeData* Current() const;
    int FOpenCount = 0;
    bool FEmptied = false;
    std::unique_ptr<QMimeData> FPending;
};

// The application's clipboard.
TClipboard* Clipboard();
