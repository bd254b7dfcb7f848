// .xlsx: the first worksheet streamed from the zip package block by block, never unpacked
// whole, so large sheets load in bounded memory. The sheet and its string table go through a
// small byte scanner; the small parts (workbook, relationships, styles) through QXmlStreamReader.
#include "NumberFormats.h"
#include "Workbook.h"

#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <climits>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <cstring>
#include <string>
#include <string_view>
#include <zip.h>

int XlsxStretchBytes = 1 << 20;
int64_t XlsxMaxPartBytes = int64_t(2) << 30;

namespace {

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw EExcelError(QStringLiteral("Не удалось прочитать книгу %1: %2").arg(path, why));
}

// A part that inflates past the bound is not a workbook but a zip bomb: refused before it
// fills memory, whatever its header claims.
QString TooLargeText(const QString& part)
{
    return QStringLiteral("часть %1 распаковывается больше чем в %2 МБ — это не книга Excel")
        .arg(part)
        .arg(XlsxMaxPartBytes >> 20);
}

class ZipArchive {
public:
    explicit ZipArchive(const QString& path) : FPath(path)
    {
        int err = 0;
        FZip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
        if (!FZip) {
            zip_error_t ze;
            zip_error_init_with_code(&ze, err);
            const QString why = QString::fromUtf8(zip_error_strerror(&ze));
            zip_error_fini(&ze);
            Fail(path, QStringLiteral("файл повреждён или не является архивом книги (%1)").arg(why));
        }
    }
    ~ZipArchive() { zip_discard(FZip); }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    zip_t* Handle() const { return FZip; }
    const QString& Path() const { return FPath; }

    // Part names are compared without case, as the package format wants.
    bool Has(const QString& name) const
    {
        return zip_name_locate(FZip, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
    }
    zip_file_t* OpenEntry(const QString& name) const
    {
        const zip_int64_t idx = zip_name_locate(FZip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (idx < 0)
            Fail(FPath, QStringLiteral("в архиве нет части %1 — это не книга Excel").arg(name));
        zip_stat_t st;
        if (zip_stat_index(FZip, zip_uint64_t(idx), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
            && st.size > zip_uint64_t(XlsxMaxPartBytes))
            Fail(FPath, TooLargeText(name));
        zip_file_t* f = zip_fopen_index(FZip, zip_uint64_t(idx), 0);
        if (!f)
            Fail(FPath, QStringLiteral("часть %1 не читается (%2)")
                            .arg(name, QString::fromUtf8(zip_strerror(FZip))));
        return f;
    }

private:
    QString FPath;
    zip_t* FZip = nullptr;
};

// One zip entry as a sequential device, so the XML reader pulls it in blocks.
class ZipEntryDevice : public QIODevice {
public:
    ZipEntryDevice(const ZipArchive& zip, const QString& name)
        : FZip(zip), FName(name), FFile(zip.OpenEntry(name))
    {
        open(QIODevice::ReadOnly);
    }
    ~ZipEntryDevice() override
    {
        if (FFile)
            zip_fclose(FFile);
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return FEof && QIODevice::atEnd(); }
    const QString& Error() const { return FError; }
    const QString& Name() const { return FName; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (FEof)
            return -1;
        if (maxSize <= 0)
            return 0;
        const zip_int64_t n = zip_fread(FFile, data, zip_uint64_t(maxSize));
        if (n < 0) {
            // Not thrown from here: the XML reader sits between us and the caller.
            FError = QString::fromUtf8(zip_file_strerror(FFile));
            FEof = true;
            return -1;
        }
        if (n == 0) {
            FEof = true;
            return -1;
        }
        FTotal += n;
        if (FTotal > XlsxMaxPartBytes) {
            FError = TooLargeText(FName);
            FEof = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const ZipArchive& FZip;
    QString FName;
    zip_file_t* FFile;
    QString FError;
    bool FEof = false;
    int64_t FTotal = 0;
};

void CheckXml(const QXmlStreamReader& xml, const ZipArchive& zip, const QString& part)
{
    if (auto* dev = dynamic_cast<const ZipEntryDevice*>(xml.device()); dev && !dev->Error().isEmpty())
        Fail(zip.Path(), QStringLiteral("часть %1 повреждена (%2)").arg(part, dev->Error()));
    if (xml.hasError())
        Fail(zip.Path(), QStringLiteral("часть %1 повреждена: %2 (строка %3)")
                             .arg(part, xml.errorString()).arg(xml.lineNumber()));
}

// "xl/" + "worksheets/sheet1.xml", with "/abs" and ".." resolved.
QString ResolvePart(const QString& baseDir, const QString& target)
{
    QStringList parts;
    const QString joined = target.startsWith(u'/') ? target.mid(1) : baseDir + target;
    for (const QString& p : joined.split(u'/', Qt::SkipEmptyParts)) {
        if (p == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (p != u".") {
            parts.append(p);
        }
    }
    return parts.join(u'/');
}

QString DirOf(const QString& part)
{
    const int slash = part.lastIndexOf(u'/');
    return slash >= 0 ? part.left(slash + 1) : QString();
}

QString RelsOf(const QString& part)
{
    const int slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

struct Relationship {
    QString Type;     // the last segment of the type URI ("worksheet", "sharedStrings", ...)
    QString Target;   // resolved part name
};

QHash<QString, Relationship> ReadRels(const ZipArchive& zip, const QString& relsPart, const QString& baseDir)
{
    QHash<QString, Relationship> rels;
    if (!zip.Has(relsPart))
        return rels;
    ZipEntryDevice dev(zip, relsPart);
    QXmlStreamReader xml(&dev);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Relationship")
            continue;
        const auto a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) == u"External")
            continue;
        const QString type = a.value(QLatin1String("Type")).toString();
        rels.insert(a.value(QLatin1String("Id")).toString(),
                    {type.mid(type.lastIndexOf(u'/') + 1), ResolvePart(baseDir, a.value(QLatin1String("Target")).toString())});
    }
    CheckXml(xml, zip, relsPart);
    return rels;
}

// Decodes the _xHHHH_ escapes the format uses for characters XML cannot hold.
QString Unescape(QString s)
{
    int at = s.indexOf(QLatin1String("_x"));
    if (at < 0)
        return s;
    QString out;
    out.reserve(s.size());
    int from = 0;
    while (at >= 0) {
        bool ok = false;
        const uint code = at + 7 <= s.size() && s[at + 6] == u'_' ? s.mid(at + 2, 4).toUInt(&ok, 16) : 0;
        if (ok) {
            out += QStringView(s).mid(from, at - from);
            out += QChar(char16_t(code));
            from = at + 7;
        } else {
            out += QStringView(s).mid(from, at + 2 - from);
            from = at + 2;
        }
        at = s.indexOf(QLatin1String("_x"), from);
    }
    out += QStringView(s).mid(from);
    return out;
}

// The text of a string item (<si> or <is>): plain <t>, or the <t> of every rich run;
// phonetic hints (<rPh>) are not part of the value.
QString ReadStringItem(QXmlStreamReader& xml)
{
    QString text;
    const QString end = xml.name().toString();
    int skipDepth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh" || xml.name() == u"phoneticPr")
                ++skipDepth;
            else if (xml.name() == u"t" && skipDepth == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh" || xml.name() == u"phoneticPr")
                --skipDepth;
            else if (xml.name() == end)
                break;
        }
    }
    return Unescape(text);
}

std::vector<TStringRef> ReadSharedStringsXml(const ZipArchive& zip, const QString& part, TSheetCellsBuilder& cells)
{
    std::vector<TStringRef> table;
    ZipEntryDevice dev(zip, part);
    QXmlStreamReader xml(&dev);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            table.push_back(cells.AddString(ReadStringItem(xml)));
    }
    CheckXml(xml, zip, part);
    return table;
}

// For each cell style (index of <cellXfs>), whether its number format shows a date or time.
std::vector<bool> ReadDateStyles(const ZipArchive& zip, const QString& part)
{
    QHash<int, QString> customFormats;
    std::vector<int> xfFormats;
    ZipEntryDevice dev(zip, part);
    QXmlStreamReader xml(&dev);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"numFmt") {
                const auto a = xml.attributes();
                customFormats.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                xfFormats.push_back(xml.attributes().value(QLatin1String("numFmtId")).toInt());
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    CheckXml(xml, zip, part);
    std::vector<bool> isDate(xfFormats.size());
    for (size_t i = 0; i < xfFormats.size(); ++i) {
        const auto custom = customFormats.constFind(xfFormats[i]);
        isDate[i] = custom != customFormats.cend() ? IsDateFormatCode(*custom) : IsBuiltinDateFormat(xfFormats[i]);
    }
    return isDate;
}

// "BC12" -> column 55, row 12. False when it is no cell reference.
bool ParseCellRef(QStringView ref, int& row, int& col)
{
    int i = 0, c = 0, r = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        const char16_t ch = ref[i].toUpper().unicode();
        if (ch < u'A' || ch > u'Z' || c > TSheetCellsBuilder::MaxCols)
            return false;
        c = c * 26 + (ch - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size())
        return false;
    for (; i < ref.size(); ++i) {
        if (!ref[i].isDigit() || r > TSheetCellsBuilder::MaxRows)
            return false;
        r = r * 10 + ref[i].digitValue();
    }
    row = r;
    col = c;
    return true;
}

struct WorkbookInfo {
    QString FirstSheetPart;
    QString SharedStringsPart;
    QString StylesPart;
    bool Date1904 = false;
};

WorkbookInfo ReadWorkbook(const ZipArchive& zip)
{
    // The package's root relationships name the workbook part.
    QString workbookPart;
    for (const auto& rel : ReadRels(zip, QStringLiteral("_rels/.rels"), QString()))
        if (rel.Type == u"officeDocument")
            workbookPart = rel.Target;
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");

    WorkbookInfo info;
    QString firstSheetId;
    {
        ZipEntryDevice dev(zip, workbookPart);
        QXmlStreamReader xml(&dev);
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"workbookPr") {
                const auto v = xml.attributes().value(QLatin1String("date1904"));
                info.Date1904 = v == u"1" || v == u"true";
            } else if (xml.name() == u"sheet" && firstSheetId.isEmpty()) {
                // The first sheet in tab order, whatever its state (visible or hidden).
                for (const auto& a : xml.attributes())
                    if (a.name() == u"id")
                        firstSheetId = a.value().toString();
            }
        }
        CheckXml(xml, zip, workbookPart);
    }
    if (firstSheetId.isEmpty())
        Fail(zip.Path(), QStringLiteral("в книге нет ни одного листа"));

    const auto rels = ReadRels(zip, RelsOf(workbookPart), DirOf(workbookPart));
    for (const auto& rel : rels) {
        if (rel.Type == u"sharedStrings")
            info.SharedStringsPart = rel.Target;
        else if (rel.Type == u"styles")
            info.StylesPart = rel.Target;
    }
    const auto sheet = rels.constFind(firstSheetId);
    if (sheet == rels.cend() || !zip.Has(sheet->Target))
        Fail(zip.Path(), QStringLiteral("первый лист книги не найден в архиве"));
    if (sheet->Type != u"worksheet")
        Fail(zip.Path(), QStringLiteral("первый лист книги — не лист с ячейками (%1)").arg(sheet->Type));
    info.FirstSheetPart = sheet->Target;
    return info;
}

struct SheetContext {
    const ZipArchive& Zip;
    const WorkbookInfo& Info;
    const std::vector<TStringRef>& Shared;
    const std::vector<bool>& DateStyles;
};

// The rows and cells of a worksheet by the general XML reader, for sheets the scanner leaves
// to it (another encoding than UTF-8, a DTD subset).
void ParseSheetXml(QXmlStreamReader& xml, const SheetContext& ctx, TSheetCellsBuilder& cells)
{
    const QString& part = ctx.Info.FirstSheetPart;
    const std::vector<TStringRef>& shared = ctx.Shared;
    const std::vector<bool>& dateStyles = ctx.DateStyles;
    int row = 0, col = 0;
    auto bad = [&](const QString& what) {
        Fail(ctx.Zip.Path(), QStringLiteral("часть %1, строка XML %2: %3").arg(part).arg(xml.lineNumber()).arg(what));
    };
    const QLatin1String attrR("r"), attrT("t"), attrS("s");
    QString value;   // reused: the hot loop allocates as little as it can

    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"row") {
            const auto r = xml.attributes().value(attrR);
            bool ok = true;
            row = r.isEmpty() ? row + 1 : r.toInt(&ok);
            if (!ok || row < 1)
                bad(QStringLiteral("неверный номер строки"));
            col = 0;
            continue;
        }
        if (name != u"c")
            continue;

        // Attributes of interest: r (reference), t (type), s (style).
        QStringView ref, type;
        int style = 0;
        const QXmlStreamAttributes attrs = xml.attributes();
        for (const QXmlStreamAttribute& at : attrs) {
            const QStringView n = at.name();
            if (n == attrR)
                ref = at.value();
            else if (n == attrT)
                type = at.value();
            else if (n == attrS)
                style = at.value().toInt();
        }
        if (ref.isEmpty()) {
            ++col;
            if (row == 0)
                row = 1;
        } else if (!ParseCellRef(ref, row, col)) {
            bad(QStringLiteral("неверная ссылка на ячейку \"%1\"").arg(ref));
        }

        // Children: <v> (value or cached formula result), <is> (inline string), <f>.
        bool hasValue = false, hasInline = false;
        QString inlineText;
        value.clear();
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (xml.name() == u"v") {
                    hasValue = true;
                    // Text comes in one piece unless entities or CDATA split it.
                    while (xml.readNext() == QXmlStreamReader::Characters || xml.tokenType() == QXmlStreamReader::EntityReference)
                        value += xml.text();
                } else if (xml.name() == u"is") {
                    inlineText = ReadStringItem(xml);
                    hasInline = true;
                } else {
                    xml.skipCurrentElement();
                }
            } else if (token == QXmlStreamReader::EndElement) {
                break;   // </c>
            }
        }
        if (xml.hasError())
            break;

        if (hasInline) {
            cells.SetText(row, col, inlineText);
            continue;
        }
        const QStringView v = QStringView(value).trimmed();
        if (!hasValue || (v.isEmpty() && type != u"str" && type != u"inlineStr")) {
            cells.SetBlank(row, col);   // styled but empty: still part of the used range
            continue;
        }
        if (type == u"s") {
            bool ok = false;
            const uint idx = v.toUInt(&ok);
            if (!ok || idx >= shared.size())
                bad(QStringLiteral("ссылка на несуществующую общую строку %1").arg(value));
            cells.SetStringRef(row, col, shared[idx]);
        } else if (type == u"str" || type == u"inlineStr") {
            cells.SetText(row, col, Unescape(value));
        } else if (type == u"b") {
            cells.SetBoolean(row, col, v == u"1" || v == u"true");
        } else if (type == u"e") {
            cells.SetError(row, col, SheetErrorCode(v.toString()));
        } else if (type == u"d") {
            TDateTime d;
            if (!IsoTextToDateTime(v.toString(), d))
                bad(QStringLiteral("неверная дата \"%1\"").arg(value));
            cells.SetDate(row, col, d);
        } else {
            bool ok = false;
            const double num = v.toDouble(&ok);
            if (!ok)
                bad(QStringLiteral("неверное число \"%1\"").arg(value));
            TDateTime d;
            if (style > 0 && size_t(style) < dateStyles.size() && dateStyles[size_t(style)]
                && SerialToDateTime(num, ctx.Info.Date1904, d))
                cells.SetDate(row, col, d);
            else
                cells.SetNumber(row, col, num);
        }
    }
    CheckXml(xml, ctx.Zip, part);
}

void ReadWorksheetXml(const SheetContext& ctx, TSheetCellsBuilder& cells)
{
    ZipEntryDevice dev(ctx.Zip, ctx.Info.FirstSheetPart);
    QXmlStreamReader xml(&dev);
    ParseSheetXml(xml, ctx, cells);
}

// Signals a sheet in an encoding other than UTF-8 (or with a DTD subset): read by the general
// XML reader instead of the byte scanner.
struct NeedsGeneralReader {};

// A small XML scanner over the UTF-8 bytes of one zip entry, read in blocks; made for the
// sheet's rows and cells, where a general reader spends most of the load time. It checks
// what makes a document well formed for our purposes (tags nest and match, quoted attributes,
// known entities) and hands start tags, end tags and the text the handler asks for.
class XmlScanner {
public:
    struct Attr {
        std::string_view Name;    // qualified
        std::string_view Value;   // raw: entities not decoded
    };

    XmlScanner(const ZipArchive& zip, const QString& part)
        : FZip(zip), FPart(part), FFile(zip.OpenEntry(part)), FBlock(size_t(std::max(1024, XlsxStretchBytes)))
    {
        // A large part is inflated on a thread of its own while this one scans the block before.
        zip_stat_t st;
        if (zip_stat(zip.Handle(), part.toUtf8().constData(), ZIP_FL_NOCASE, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
            && st.size >= 4 * FBlock)
            FInflater = std::thread([this] { Inflate(); });
    }
    ~XmlScanner()
    {
        if (FInflater.joinable()) {
            {
                std::lock_guard lock(FMutex);
                FStop = true;
            }
            FChanged.notify_all();
            FInflater.join();
        }
        zip_fclose(FFile);
    }
    XmlScanner(const XmlScanner&) = delete;
    XmlScanner& operator=(const XmlScanner&) = delete;

    int Line() const { return int(FLinesBefore + std::count(FBuf.data(), FPos, '\n') + 1); }
    [[noreturn]] void Error(const QString& what) const
    {
        Fail(FZip.Path(), QStringLiteral("часть %1 повреждена: %2 (строка %3)").arg(FPart, what).arg(Line()));
    }

    static std::string_view Local(std::string_view name)
    {
        const size_t colon = name.rfind(':');
        return colon == std::string_view::npos ? name : name.substr(colon + 1);
    }

    // Decodes the five named entities and character references of [b, e) onto out (UTF-8).
    void Decode(const char* b, const char* e, std::string& out) const
    {
        while (b < e) {
            const char* amp = static_cast<const char*>(memchr(b, '&', size_t(e - b)));
            if (!amp) {
                out.append(b, size_t(e - b));
                return;
            }
            out.append(b, size_t(amp - b));
            const char* semi = static_cast<const char*>(memchr(amp, ';', size_t(e - amp)));
            if (!semi)
                Error(QStringLiteral("ссылка на символ без «;»"));
            const std::string_view ent(amp + 1, size_t(semi - amp - 1));
            if (ent == "amp") out += '&';
            else if (ent == "lt") out += '<';
            else if (ent == "gt") out += '>';
            else if (ent == "quot") out += '"';
            else if (ent == "apos") out += '\'';
            else if (ent.size() > 1 && ent[0] == '#') {
                const bool hex = ent[1] == 'x';
                uint32_t code = 0;
                const char* d = ent.data() + (hex ? 2 : 1);
                const char* de = ent.data() + ent.size();
                auto [ptr, ec] = std::from_chars(d, de, code, hex ? 16 : 10);
                if (d == de || ec != std::errc() || ptr != de || code == 0 || code > 0x10FFFF
                    || (code >= 0xD800 && code < 0xE000))
                    Error(QStringLiteral("неверная ссылка на символ &%1;").arg(QString::fromUtf8(ent.data(), qsizetype(ent.size()))));
                AppendUtf8(out, code);
            } else {
                Error(QStringLiteral("неизвестная сущность &%1;").arg(QString::fromUtf8(ent.data(), qsizetype(ent.size()))));
            }
            b = semi + 1;
        }
    }

    // Handler: void Start(std::string_view local, const std::vector<Attr>&); void End(std::string_view local);
    // std::string* Capture() — where text goes now, or null to skip it.
    template <class H>
    void Run(H& h)
    {
        Fill();
        if (FEnd - FPos >= 2 && ((uchar(FPos[0]) == 0xFF && uchar(FPos[1]) == 0xFE) || (uchar(FPos[0]) == 0xFE && uchar(FPos[1]) == 0xFF)))
            throw NeedsGeneralReader{};
        if (FEnd - FPos >= 3 && uchar(FPos[0]) == 0xEF && uchar(FPos[1]) == 0xBB && uchar(FPos[2]) == 0xBF)
            FPos += 3;
        size_t depth = 0;
        bool seenRoot = false;
        for (;;) {
            if (FPos == FEnd && !Fill())
                break;
            if (*FPos != '<') {
                const char* lt = static_cast<const char*>(memchr(FPos, '<', size_t(FEnd - FPos)));
                const char* stop = lt ? lt : FEnd;
                if (!lt && !FEof) {
                    // The block may end inside an entity: leave it for the next block.
                    for (const char* q = stop; q > FPos && stop - q < 16; --q)
                        if (q[-1] == ';' || q[-1] == '>')
                            break;
                        else if (q[-1] == '&') {
                            stop = q - 1;
                            break;
                        }
                    if (stop == FPos) {
                        More();
                        continue;
                    }
                }
                if (depth == 0) {
                    for (const char* q = FPos; q < stop; ++q)
                        if (!IsSpace(*q))
                            Error(QStringLiteral("текст вне корневого элемента"));
                } else if (std::string* out = h.Capture()) {
                    Decode(FPos, stop, *out);
                } else if (memchr(FPos, '&', size_t(stop - FPos))) {
                    FScratch.clear();
                    Decode(FPos, stop, FScratch);   // checked even when not kept
                }
                FPos = stop;
                continue;
            }
            if (FEnd - FPos < 2) {
                More();
                continue;
            }
            const char c1 = FPos[1];
            if (c1 == '?') {
                const char* e = Find("?>", 2);
                if (FEnd - FPos >= 5 && std::string_view(FPos, 5) == "<?xml") {
                    const std::string_view decl(FPos, size_t(e - FPos));
                    const size_t enc = decl.find("encoding");
                    if (enc != std::string_view::npos) {
                        QByteArray v = QByteArray(decl.data() + enc, qsizetype(decl.size() - enc)).toLower();
                        if (!v.contains("utf-8") && !v.contains("utf8"))
                            throw NeedsGeneralReader{};
                    }
                }
                FPos = e + 2;
            } else if (c1 == '!') {
                if (Starts("<!--")) {
                    FPos = Find("-->", 4) + 3;
                } else if (Starts("<![CDATA[")) {
                    if (depth == 0)
                        Error(QStringLiteral("CDATA вне корневого элемента"));
                    const char* e = Find("]]>", 9);
                    if (std::string* out = h.Capture())
                        out->append(FPos + 9, size_t(e - FPos - 9));
                    FPos = e + 3;
                } else {
                    const char* e = Find(">", 2);
                    if (memchr(FPos, '[', size_t(e - FPos)))
                        throw NeedsGeneralReader{};   // an internal DTD subset
                    FPos = e + 1;
                }
            } else if (c1 == '/') {
                const char* e = Find(">", 2);
                const char* n = FPos + 2;
                const char* ne = n;
                while (ne < e && !IsSpace(*ne))
                    ++ne;
                for (const char* q = ne; q < e; ++q)
                    if (!IsSpace(*q))
                        Error(QStringLiteral("лишнее в закрывающем теге"));
                const std::string_view name(n, size_t(ne - n));
                if (depth == 0)
                    Error(QStringLiteral("закрывающий тег </%1> без открывающего").arg(QString::fromUtf8(n, ne - n)));
                if (FStack[depth - 1] != name)
                    Error(QStringLiteral("ожидался </%1>, а не </%2>")
                              .arg(QString::fromStdString(FStack[depth - 1]), QString::fromUtf8(n, ne - n)));
                --depth;
                h.End(Local(name));
                FPos = e + 1;
            } else {
                const char* e = ParseStartTag();
                if (!e) {
                    More();
                    continue;
                }
                if (depth == 0 && seenRoot)
                    Error(QStringLiteral("второй корневой элемент"));
                seenRoot = true;
                const bool empty = e[-1] == '/';
                const std::string_view name = FName;
                h.Start(Local(name), FAttrs);
                if (empty) {
                    h.End(Local(name));
                } else {
                    if (FStack.size() <= depth)
                        FStack.resize(depth + 1);
                    FStack[depth++].assign(name);
                }
                FPos = e + 1;
            }
        }
        if (depth > 0)
            Error(QStringLiteral("документ оборван: не закрыт <%1>").arg(QString::fromStdString(FStack[depth - 1])));
        if (!seenRoot)
            Error(QStringLiteral("документ пуст"));
    }

private:
    static bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

    static void AppendUtf8(std::string& out, uint32_t c)
    {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }

    bool Starts(std::string_view s)
    {
        while (size_t(FEnd - FPos) < s.size())
            More();
        return std::string_view(FPos, s.size()) == s;
    }

    // The position of pat at or after FPos + from, reading more blocks as needed.
    const char* Find(std::string_view pat, size_t from)
    {
        for (;;) {
            const std::string_view have(FPos, size_t(FEnd - FPos));
            const size_t at = have.find(pat, from);
            if (at != std::string_view::npos)
                return FPos + at;
            More();
        }
    }

    // The start tag at FPos into FName and FAttrs; the position of its '>', or null when the
    // block ends inside it.
    const char* ParseStartTag()
    {
        const char* q = FPos + 1;
        const char* n = q;
        while (q < FEnd && !IsSpace(*q) && *q != '>' && *q != '/')
            ++q;
        if (q == FEnd)
            return nullptr;
        if (q == n || *n == '<' || *n == '=')
            Error(QStringLiteral("неверное имя элемента"));
        FName = std::string_view(n, size_t(q - n));
        FAttrs.clear();
        for (;;) {
            while (q < FEnd && IsSpace(*q))
                ++q;
            if (q == FEnd)
                return nullptr;
            if (*q == '>')
                return q;
            if (*q == '/') {
                if (q + 1 == FEnd)
                    return nullptr;
                if (q[1] != '>')
                    Error(QStringLiteral("ожидался конец тега <%1>").arg(QString::fromUtf8(n, FName.size())));
                return q + 1;
            }
            const char* an = q;
            while (q < FEnd && !IsSpace(*q) && *q != '=' && *q != '>' && *q != '/')
                ++q;
            const char* ane = q;
            while (q < FEnd && IsSpace(*q))
                ++q;
            if (q == FEnd)
                return nullptr;
            if (*q != '=' || ane == an)
                Error(QStringLiteral("неверный атрибут в теге <%1>").arg(QString::fromUtf8(n, FName.size())));
            ++q;
            while (q < FEnd && IsSpace(*q))
                ++q;
            if (q == FEnd)
                return nullptr;
            if (*q != '"' && *q != '\'')
                Error(QStringLiteral("значение атрибута без кавычек в теге <%1>").arg(QString::fromUtf8(n, FName.size())));
            const char* v = q + 1;
            const char* ve = static_cast<const char*>(memchr(v, *q, size_t(FEnd - v)));
            if (!ve)
                return nullptr;
            if (memchr(v, '<', size_t(ve - v)))
                Error(QStringLiteral("знак < в значении атрибута"));
            FAttrs.push_back({std::string_view(an, size_t(ane - an)), std::string_view(v, size_t(ve - v))});
            q = ve + 1;
        }
    }

    void More()
    {
        if (!Fill())
            Error(QStringLiteral("документ оборван"));
    }

    // Keeps the unread bytes and reads the next block after them; false at the entry's end.
    bool Fill()
    {
        if (FEof)
            return false;
        const size_t keep = size_t(FEnd - FPos);
        if (FPos) {
            FLinesBefore += std::count(static_cast<const char*>(FBuf.data()), FPos, '\n');
            memmove(FBuf.data(), FPos, keep);
        }
        if (FBuf.size() < keep + FBlock)
            FBuf.resize(keep + FBlock);
        zip_int64_t n;
        if (FInflater.joinable()) {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [this] { return !FReady.empty(); });
            std::vector<char> block = std::move(FReady.front());
            FReady.pop_front();
            n = zip_int64_t(block.size());
            if (FReadFailed && FReady.empty() && n == 0)
                n = -1;
            memcpy(FBuf.data() + keep, block.data(), block.size());
            FSpare.push_back(std::move(block));
            lock.unlock();
            FChanged.notify_all();
        } else {
            n = zip_fread(FFile, FBuf.data() + keep, FBlock);
            if (n < 0)
                FReadError = QString::fromUtf8(zip_file_strerror(FFile));
        }
        if (n < 0)
            Fail(FZip.Path(), QStringLiteral("часть %1 повреждена (%2)").arg(FPart, FReadError));
        FInflated += n;
        if (FInflated > XlsxMaxPartBytes)
            Fail(FZip.Path(), TooLargeText(FPart));
        FPos = FBuf.data();
        FEnd = FPos + keep + n;
        if (n == 0)
            FEof = true;
        return n > 0;
    }

    // The inflating thread: blocks of the part in order, an empty one at its end or on failure.
    void Inflate()
    {
        for (;;) {
            std::vector<char> block;
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [this] { return FStop || FReady.size() < 3; });
                if (FStop)
                    return;
                if (!FSpare.empty()) {
                    block = std::move(FSpare.back());
                    FSpare.pop_back();
                }
            }
            block.resize(FBlock);
            const zip_int64_t n = zip_fread(FFile, block.data(), FBlock);
            block.resize(size_t(std::max<zip_int64_t>(n, 0)));
            std::lock_guard lock(FMutex);
            if (n < 0) {
                FReadError = QString::fromUtf8(zip_file_strerror(FFile));
                FReadFailed = true;
            }
            FReady.push_back(std::move(block));
            FChanged.notify_all();
            if (n <= 0)
                return;
        }
    }

    const ZipArchive& FZip;
    QString FPart;
    int64_t FInflated = 0;
    zip_file_t* FFile;
    size_t FBlock;
    std::thread FInflater;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::vector<char>> FReady;
    std::vector<std::vector<char>> FSpare;
    bool FStop = false;
    bool FReadFailed = false;
    QString FReadError;
    std::vector<char> FBuf;
    const char* FPos = nullptr;
    const char* FEnd = nullptr;
    bool FEof = false;
    qint64 FLinesBefore = 0;
    std::vector<std::string> FStack;   // qualified names of the open elements
    std::string_view FName;
    std::vector<Attr> FAttrs;
    std::string FScratch;
};

// UTF-8 to UTF-16 into a reused buffer; false on a malformed sequence.
bool Utf8ToUtf16(std::string_view s, std::u16string& out)
{
    out.resize(s.size());
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const uchar*>(s.data());
    const auto* e = p + s.size();
    while (p < e) {
        uint32_t c = *p++;
        if (c >= 0x80) {
            int more;
            uint32_t min;
            if ((c & 0xE0) == 0xC0) { c &= 0x1F; more = 1; min = 0x80; }
            else if ((c & 0xF0) == 0xE0) { c &= 0x0F; more = 2; min = 0x800; }
            else if ((c & 0xF8) == 0xF0) { c &= 0x07; more = 3; min = 0x10000; }
            else return false;
            if (e - p < more)
                return false;
            for (int i = 0; i < more; ++i) {
                if ((p[i] & 0xC0) != 0x80)
                    return false;
                c = (c << 6) | (p[i] & 0x3F);
            }
            p += more;
            if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
                return false;
            if (c >= 0x10000) {
                c -= 0x10000;
                *o++ = char16_t(0xD800 + (c >> 10));
                c = 0xDC00 + (c & 0x3FF);
            }
        }
        *o++ = char16_t(c);
    }
    out.resize(size_t(o - out.data()));
    return true;
}

// The text of a string item as a view over buf, with _xHHHH_ escapes decoded.
QStringView ItemText(const XmlScanner& sc, std::string_view utf8, std::u16string& buf, QString& escaped)
{
    if (!Utf8ToUtf16(utf8, buf))
        sc.Error(QStringLiteral("неверная последовательность UTF-8"));
    const QStringView v(buf.data(), qsizetype(buf.size()));
    if (utf8.find("_x") == std::string_view::npos)
        return v;
    escaped = Unescape(v.toString());
    return escaped;
}

// <si> items of the string table, or the <t> of an inline string: plain <t>, or the <t> of
// every rich run; phonetic hints (<rPh>) are not part of the value.
struct StringItemState {
    int ItemDepth = 0;   // depth of the <si>/<is>; 0 outside one
    int TDepth = 0;      // depth of the <t> being kept
    int SkipDepth = 0;   // inside rPh / phoneticPr
    std::string Text;

    void Begin(int depth)
    {
        ItemDepth = depth;
        TDepth = SkipDepth = 0;
        Text.clear();
    }
    void Start(std::string_view local, int depth)
    {
        if (local == "rPh" || local == "phoneticPr")
            ++SkipDepth;
        else if (local == "t" && SkipDepth == 0 && TDepth == 0)
            TDepth = depth;
    }
    // True when the item itself ends.
    bool End(std::string_view local, int depth)
    {
        if (depth == ItemDepth) {
            ItemDepth = 0;
            return true;
        }
        if (depth == TDepth)
            TDepth = 0;
        else if (local == "rPh" || local == "phoneticPr")
            --SkipDepth;
        return false;
    }
    std::string* Capture() { return TDepth ? &Text : nullptr; }
};

struct SharedStringsHandler {
    SharedStringsHandler(XmlScanner& sc, TSheetCellsBuilder& cells, std::vector<TStringRef>& table)
        : Sc(sc), Cells(cells), Table(table)
    {
    }
    XmlScanner& Sc;
    TSheetCellsBuilder& Cells;
    std::vector<TStringRef>& Table;
    int Depth = 0;
    StringItemState Item;
    std::u16string Buf;
    QString Escaped;

    void Start(std::string_view local, const std::vector<XmlScanner::Attr>&)
    {
        ++Depth;
        if (Item.ItemDepth)
            Item.Start(local, Depth);
        else if (local == "si")
            Item.Begin(Depth);
    }
    void End(std::string_view local)
    {
        if (Item.ItemDepth && Item.End(local, Depth))
            Table.push_back(Cells.AddString(ItemText(Sc, Item.Text, Buf, Escaped)));
        --Depth;
    }
    std::string* Capture() { return Item.Capture(); }
};

std::vector<TStringRef> ReadSharedStrings(const ZipArchive& zip, const QString& part, TSheetCellsBuilder& cells)
{
    std::vector<TStringRef> table;
    try {
        XmlScanner sc(zip, part);
        SharedStringsHandler h(sc, cells, table);
        sc.Run(h);
    } catch (const NeedsGeneralReader&) {
        table.clear();
        table = ReadSharedStringsXml(zip, part, cells);
    }
    return table;
}

std::string_view TrimSpaces(std::string_view s)
{
    auto sp = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    while (!s.empty() && sp(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && sp(s.back()))
        s.remove_suffix(1);
    return s;
}

bool ParseUInt(std::string_view s, uint32_t& v)
{
    s = TrimSpaces(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

bool ParseDouble(std::string_view s, double& v)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

// "BC12" -> column 55, row 12. False when it is no cell reference.
bool ParseCellRef(std::string_view ref, int& row, int& col)
{
    size_t i = 0;
    int c = 0, r = 0;
    while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
        if (c > TSheetCellsBuilder::MaxCols)
            return false;
        c = c * 26 + ((ref[i] & ~0x20) - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size())
        return false;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || r > TSheetCellsBuilder::MaxRows)
            return false;
        r = r * 10 + (ref[i] - '0');
    }
    row = r;
    col = c;
    return true;
}

// The rows and cells of a worksheet.
struct SheetHandler {
    enum class Type { Number, Shared, Str, InlineStr, Bool, Error, Date };

    SheetHandler(XmlScanner& sc, const SheetContext& ctx, TSheetCellsBuilder& cells) : Sc(sc), Ctx(ctx), Cells(cells) {}
    XmlScanner& Sc;
    const SheetContext& Ctx;
    TSheetCellsBuilder& Cells;
    int Depth = 0;
    int Row = 0, Col = 0;
    int CellDepth = 0;   // depth of the open <c>; 0 outside one
    int ValueDepth = 0;  // depth of the open <v> of the cell
    Type CellType = Type::Number;
    int Style = 0;
    bool HasValue = false, HasInline = false;
    std::string Value;
    std::string Decoded;   // an attribute value with entities
    StringItemState Inline;
    std::u16string Buf;
    QString Escaped;

    [[noreturn]] void Bad(const QString& what)
    {
        Fail(Ctx.Zip.Path(), QStringLiteral("часть %1, строка XML %2: %3").arg(Ctx.Info.FirstSheetPart).arg(Sc.Line()).arg(what));
    }
    std::string_view AttrValue(std::string_view raw)
    {
        if (raw.find('&') == std::string_view::npos)
            return raw;
        Decoded.clear();
        Sc.Decode(raw.data(), raw.data() + raw.size(), Decoded);
        return Decoded;
    }
    static QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

    void Start(std::string_view local, const std::vector<XmlScanner::Attr>& attrs)
    {
        ++Depth;
        if (CellDepth) {
            if (Inline.ItemDepth)
                Inline.Start(local, Depth);
            else if (Depth == CellDepth + 1 && local == "v") {
                HasValue = true;
                ValueDepth = Depth;
            } else if (Depth == CellDepth + 1 && local == "is") {
                HasInline = true;
                Inline.Begin(Depth);
            }
            return;
        }
        if (local == "row") {
            std::string_view r;
            for (const auto& a : attrs)
                if (XmlScanner::Local(a.Name) == "r" && !a.Name.starts_with("xmlns"))
                    r = AttrValue(a.Value);
            if (r.empty()) {
                ++Row;
            } else {
                uint32_t n = 0;
                if (!ParseUInt(r, n) || n < 1 || n > uint32_t(INT_MAX))
                    Bad(QStringLiteral("неверный номер строки"));
                Row = int(n);
            }
            Col = 0;
            return;
        }
        if (local != "c")
            return;
        // Attributes of interest: r (reference), t (type), s (style).
        std::string_view ref;
        CellType = Type::Number;
        Style = 0;
        for (const auto& a : attrs) {
            const std::string_view n = XmlScanner::Local(a.Name);
            if (n.size() != 1 || a.Name.starts_with("xmlns"))
                continue;
            if (n == "r") {
                ref = AttrValue(a.Value);
                if (!ref.empty() && !ParseCellRef(ref, Row, Col))
                    Bad(QStringLiteral("неверная ссылка на ячейку \"%1\"").arg(Q(ref)));
            } else if (n == "t") {
                const std::string_view t = AttrValue(a.Value);
                CellType = t == "s" ? Type::Shared : t == "str" ? Type::Str : t == "inlineStr" ? Type::InlineStr
                         : t == "b" ? Type::Bool : t == "e" ? Type::Error : t == "d" ? Type::Date : Type::Number;
            } else if (n == "s") {
                uint32_t s = 0;
                Style = ParseUInt(AttrValue(a.Value), s) && s <= uint32_t(INT_MAX) ? int(s) : 0;
            }
        }
        if (ref.empty()) {
            ++Col;
            if (Row == 0)
                Row = 1;
        }
        CellDepth = Depth;
        ValueDepth = 0;
        HasValue = HasInline = false;
        Value.clear();
    }

    void End(std::string_view local)
    {
        if (CellDepth) {
            if (Depth == CellDepth) {
                CellDepth = 0;
                EndCell();
            } else if (Inline.ItemDepth) {
                Inline.End(local, Depth);
            } else if (Depth == ValueDepth) {
                ValueDepth = 0;
            }
        }
        --Depth;
    }

    std::string* Capture()
    {
        if (ValueDepth)
            return &Value;
        return Inline.ItemDepth ? Inline.Capture() : nullptr;
    }

    void EndCell()
    {
        if (HasInline) {
            Cells.SetText(Row, Col, ItemText(Sc, Inline.Text, Buf, Escaped));
            return;
        }
        const std::string_view v = TrimSpaces(Value);
        if (!HasValue || (v.empty() && CellType != Type::Str && CellType != Type::InlineStr)) {
            Cells.SetBlank(Row, Col);   // styled but empty: still part of the used range
            return;
        }
        switch (CellType) {
        case Type::Shared: {
            uint32_t idx = 0;
            if (!ParseUInt(v, idx) || idx >= Ctx.Shared.size())
                Bad(QStringLiteral("ссылка на несуществующую общую строку %1").arg(Q(Value)));
            Cells.SetStringRef(Row, Col, Ctx.Shared[idx]);
            break;
        }
        case Type::Str:
        case Type::InlineStr:
            Cells.SetText(Row, Col, ItemText(Sc, Value, Buf, Escaped));
            break;
        case Type::Bool:
            Cells.SetBoolean(Row, Col, v == "1" || v == "true");
            break;
        case Type::Error:
            Cells.SetError(Row, Col, SheetErrorCode(Q(v)));
            break;
        case Type::Date: {
            TDateTime d;
            if (!IsoTextToDateTime(Q(v), d))
                Bad(QStringLiteral("неверная дата \"%1\"").arg(Q(Value)));
            Cells.SetDate(Row, Col, d);
            break;
        }
        case Type::Number: {
            double num = 0;
            if (!ParseDouble(v, num))
                Bad(QStringLiteral("неверное число \"%1\"").arg(Q(Value)));
            TDateTime d;
            const auto& dateStyles = Ctx.DateStyles;
            if (Style > 0 && size_t(Style) < dateStyles.size() && dateStyles[size_t(Style)]
                && SerialToDateTime(num, Ctx.Info.Date1904, d))
                Cells.SetDate(Row, Col, d);
            else
                Cells.SetNumber(Row, Col, num);
            break;
        }
        }
    }
};

void ReadWorksheet(const SheetContext& ctx, TSheetCellsBuilder& cells)
{
    try {
        XmlScanner sc(ctx.Zip, ctx.Info.FirstSheetPart);
        SheetHandler h(sc, ctx, cells);
        sc.Run(h);
    } catch (const NeedsGeneralReader&) {
        ReadWorksheetXml(ctx, cells);   // raised before any cell was recorded
    }
}

} // namespace

TSheetCells ReadXlsxFirstSheet(const QString& path)
{
    CheckWorkbookFile(path);
    try {
        ZipArchive zip(path);
        const WorkbookInfo info = ReadWorkbook(zip);
        TSheetCellsBuilder cells;
        std::vector<TStringRef> shared;
        if (!info.SharedStringsPart.isEmpty() && zip.Has(info.SharedStringsPart))
            shared = ReadSharedStrings(zip, info.SharedStringsPart, cells);
        std::vector<bool> dateStyles;
        if (!info.StylesPart.isEmpty() && zip.Has(info.StylesPart))
            dateStyles = ReadDateStyles(zip, info.StylesPart);
        const SheetContext ctx{zip, info, shared, dateStyles};
        ReadWorksheet(ctx, cells);
        return cells.Finish();
    } catch (const EExcelError&) {
        throw;
    } catch (const Exception& e) {
        Fail(path, e.Message());
    }
}
