// The clipboard over QClipboard's MIME data.
#include "Clipbrd.h"

#include "platform/rtl/Guards.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <map>
#include <mutex>

namespace {

const QString kText8 = QStringLiteral("application/x-dovrelin-cp1251-text");

struct TFormatRegistry {
    std::mutex Lock;
    std::vector<QString> Names;   // index i is format 0xC000 + i
};

TFormatRegistry& Registry()
{
    static TFormatRegistry r;
    return r;
}

QClipboard* System()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EClipboardException(QStringLiteral("Cannot open clipboard"));
    return QGuiApplication::clipboard();
}

}  // namespace

UINT RegisterClipboardFormat(const QString& Name)
{
    if (Name.isEmpty())
        return 0;
    TFormatRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    for (size_t i = 0; i < r.Names.size(); ++i)
        if (r.Names[i].compare(Name, Qt::CaseInsensitive) == 0)
            return UINT(0xC000 + i);
    r.Names.push_back(Name);
    return UINT(0xC000 + r.Names.size() - 1);
}

QString GetClipboardFormatName(UINT Format)
{
    TFormatRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    return Format >= 0xC000 && Format - 0xC000 < r.Names.size() ? r.Names[Format - 0xC000] : QString();
}

QString ClipboardFormatMimeType(UINT Format)
{
    switch (Format) {
    case CF_TEXT: return kText8;
    case CF_UNICODETEXT: return QStringLiteral("text/plain");
    case CF_BITMAP: return QStringLiteral("application/x-qt-image");
    default: break;
    }
    const QString name = GetClipboardFormatName(Format);
    if (name.isEmpty())
        return QString();
    if (name.compare(u"Csv", Qt::CaseInsensitive) == 0)
        return QStringLiteral("text/csv");
    if (name.compare(u"Rich Text Format", Qt::CaseInsensitive) == 0)
        return QStringLiteral("text/rtf");
    return QStringLiteral("application/x-qt-windows-mime;value=\"") + name + u'"';
}

DOV_PUBLISHED(TClipboard) {}

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Open()
{
    System();
    if (FOpenCount++ == 0)
        FEmptied = false;
}

void TClipboard::Close()
{
    if (FOpenCount == 0)
        return;
    if (--FOpenCount > 0)
        return;
    if (FEmptied && FPending)
        System()->setMimeData(FPending.release());
    FPending.reset();
    FEmptied = false;
}

void TClipboard::Adding()
{
    if (FOpenCount != 0 && !FEmptied) {
        FPending = std::make_unique<QMimeData>();
        FEmptied = true;
    }
}

void TClipboard::Clear()
{
    Open();
    auto close = Finally([this] { Close(); });
    Adding();
}

const QMimeData* TClipboard::Current() const
{
    if (FEmptied && FPending)
        return FPending.get();
    return System()->mimeData();
}

bool TClipboard::HasFormat(UINT Format) const
{
    const QMimeData* d = Current();
    if (!d)
        return false;
    switch (Format) {
    case CF_TEXT: case CF_UNICODETEXT: return d->hasText() || d->hasFormat(kText8);
    case CF_BITMAP: return d->hasImage();
    default: break;
    }
    const QString mime = ClipboardFormatMimeType(Format);
    return !mime.isEmpty() && d->hasFormat(mime);
}

std::vector<UINT> TClipboard::Formats() const
{
    std::vector<UINT> result;
    for (UINT f : {UINT(CF_TEXT), UINT(CF_BITMAP), UINT(CF_UNICODETEXT)})
        if (HasFormat(f))
            result.push_back(f);
    size_t named;
    {
        std::lock_guard guard(Registry().Lock);
        named = Registry().Names.size();
    }
    for (size_t i = 0; i < named; ++i)
        if (HasFormat(UINT(0xC000 + i)))
            result.push_back(UINT(0xC000 + i));
    return result;
}

QString TClipboard::AsText() const
{
    const QMimeData* d = Current();
    if (!d)
        return QString();
    if (d->hasText())
        return d->text();
    if (d->hasFormat(kText8)) {
        QByteArray b = d->data(kText8);
        const qsizetype zero = b.indexOf('\0');
        return CP1251ToUnicode(zero >= 0 ? b.left(zero) : b);
    }
    return QString();
}

void TClipboard::SetAsText(const QString& Value)
{
    Open();
    auto close = Finally([this] { Close(); });
    Adding();
    FPending->setText(Value);
}

QByteArray TClipboard::AsBuffer(UINT Format) const
{
    const QMimeData* d = Current();
    if (!d)
        return QByteArray();
    if (Format == CF_TEXT && !d->hasFormat(kText8) && d->hasText())
        return UnicodeToCP1251(d->text()) + '\0';
    if (Format == CF_UNICODETEXT) {
        const QString t = AsText();
        return QByteArray(reinterpret_cast<const char*>(t.utf16()), (t.size() + 1) * 2);
    }
    const QString mime = ClipboardFormatMimeType(Format);
    return mime.isEmpty() ? QByteArray() : d->data(mime);
}

void TClipboard::SetBuffer(UINT Format, const void* Buffer, int Size)
{
    const QString mime = ClipboardFormatMimeType(Format);
    if (mime.isEmpty() || Format == CF_BITMAP)
        throw EClipboardException(QStringLiteral("Unsupported clipboard format"));
    if (Size < 0 || (Size > 0 && !Buffer))
        throw EClipboardException(QStringLiteral("Bad clipboard buffer"));
    Open();
    auto close = Finally([this] { Close(); });
    Adding();
    QByteArray data(static_cast<const char*>(Buffer), Size);
    if (Format == CF_UNICODETEXT) {
        // UTF-16 up to its terminating zero, or to the end of the block
        const auto* chars = reinterpret_cast<const char16_t*>(data.constData());
        qsizetype n = 0;
        while (n < data.size() / 2 && chars[n] != 0)
            ++n;
        FPending->setText(QString::fromUtf16(chars, n));
        return;
    }
    FPending->setData(mime, data);
    if (Format == CF_TEXT && !FPending->hasText()) {
        const qsizetype zero = data.indexOf('\0');
        FPending->setText(CP1251ToUnicode(zero >= 0 ? data.left(zero) : data));
    }
}

void TClipboard::Assign(TPersistent* Source)
{
    TGraphic* g = nullptr;
    if (auto* p = dynamic_cast<TPicture*>(Source))
        g = p->Graphic();
    else
        g = dynamic_cast<TGraphic*>(Source);
    if (!g) {
        TPersistent::Assign(Source);
        return;
    }
    Open();
    auto close = Finally([this] { Close(); });
    Adding();
    FPending->setImageData(g->ToImage());
}

void TClipboard::AssignTo(TPersistent* Dest) const
{
    const QMimeData* d = Current();
    if (!d || !d->hasImage())
        throw EClipboardException(QStringLiteral("Clipboard does not contain a picture"));
    TBitmap b;
    b.SetImage(qvariant_cast<QImage>(d->imageData()));
    Dest->Assign(&b);
}

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
