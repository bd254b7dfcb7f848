// .xlsx: the first worksheet streamed from the zip package with QXmlStreamReader, never
// unpacked whole, so large sheets load in bounded memory.
#include "NumberFormats.h"
#include "Workbook.h"

#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>
#include <deque>
#include <future>
#include <thread>
#include <zip.h>

int XlsxStretchBytes = 4 << 20;

namespace {

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw EExcelError(QStringLiteral("Не удалось прочитать книгу %1: %2").arg(path, why));
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
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const ZipArchive& FZip;
    QString FName;
    zip_file_t* FFile;
    QString FError;
    bool FEof = false;
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

std::vector<TStringRef> ReadSharedStrings(const ZipArchive& zip, const QString& part, TSheetCellsBuilder& cells)
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

// Raised by a stretch of sheet XML read on its own that holds a row without a number: its
// rows can only be counted from the sheet's start.
struct NeedsSequentialRead {};

struct SheetContext {
    const ZipArchive& Zip;
    const WorkbookInfo& Info;
    const std::vector<TStringRef>& Shared;
    const std::vector<bool>& DateStyles;
};

// The rows and cells of a worksheet (or of a stretch of it wrapped in its root element).
void ParseSheetXml(QXmlStreamReader& xml, const SheetContext& ctx, TSheetCellsBuilder& cells, bool stretch)
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
            if (stretch && r.isEmpty())
                throw NeedsSequentialRead{};
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

void ReadWorksheet(const SheetContext& ctx, TSheetCellsBuilder& cells)
{
    ZipEntryDevice dev(ctx.Zip, ctx.Info.FirstSheetPart);
    QXmlStreamReader xml(&dev);
    ParseSheetXml(xml, ctx, cells, false);
}

// A large sheet is cut at row ends into stretches that are parsed on several threads, each
// wrapped in the sheet's own root and sheetData tags so its namespaces still hold; the parts
// are appended in order. False when the sheet is too small to be worth it.
bool ReadWorksheetInParallel(const SheetContext& ctx, TSheetCellsBuilder& cells)
{
    const qsizetype kStretch = std::max(1024, XlsxStretchBytes);
    const ZipArchive& zip = ctx.Zip;
    const QString& part = ctx.Info.FirstSheetPart;
    const int threads = std::min(8, int(std::thread::hardware_concurrency()));
    zip_stat_t st;
    if (threads < 2 || zip_stat(zip.Handle(), part.toUtf8().constData(), ZIP_FL_NOCASE, &st) != 0
        || !(st.valid & ZIP_STAT_SIZE) || st.size < zip_uint64_t(4 * kStretch))
        return false;

    ZipEntryDevice dev(zip, part);
    QByteArray pending;
    bool eof = false;
    auto more = [&] {
        const QByteArray block = dev.read(1 << 20);
        if (!dev.Error().isEmpty())
            Fail(zip.Path(), QStringLiteral("часть %1 повреждена (%2)").arg(part, dev.Error()));
        if (block.isEmpty())
            eof = true;
        pending += block;
    };
    auto corrupt = [&] { Fail(zip.Path(), QStringLiteral("часть %1 повреждена: нет данных листа").arg(part)); };

    // The root start tag, then the sheetData start tag, both kept for the wrappers.
    qsizetype sheetDataAt = -1;
    while (!eof && (sheetDataAt = pending.indexOf("sheetData")) < 0)
        more();
    qsizetype tagEnd = sheetDataAt < 0 ? -1 : pending.indexOf('>', sheetDataAt);
    while (sheetDataAt >= 0 && tagEnd < 0 && !eof) {
        more();
        tagEnd = pending.indexOf('>', sheetDataAt);
    }
    if (sheetDataAt < 1 || tagEnd < 0)
        corrupt();
    if (pending[tagEnd - 1] == '/')
        return true;   // <sheetData/>: no cells
    qsizetype rootAt = 0;
    while ((rootAt = pending.indexOf('<', rootAt)) >= 0 && rootAt + 1 < pending.size()
           && (pending[rootAt + 1] == '?' || pending[rootAt + 1] == '!'))
        ++rootAt;
    const qsizetype rootEnd = rootAt < 0 ? -1 : pending.indexOf('>', rootAt);
    const qsizetype sheetDataOpen = pending.lastIndexOf('<', sheetDataAt);
    if (rootEnd < 0 || rootEnd >= sheetDataOpen)
        corrupt();
    QByteArray rootTag = pending.mid(rootAt, rootEnd - rootAt + 1);
    QByteArray rootName = rootTag.mid(1);
    for (qsizetype i = 0; i < rootName.size(); ++i)
        if (rootName[i] == ' ' || rootName[i] == '>' || rootName[i] == '\t' || rootName[i] == '\r'
            || rootName[i] == '\n' || rootName[i] == '/') {
            rootName.truncate(i);
            break;
        }
    const QByteArray prefix = pending.mid(sheetDataOpen + 1, sheetDataAt - sheetDataOpen - 1);
    const QByteArray header = rootTag + pending.mid(sheetDataOpen, tagEnd - sheetDataOpen + 1);
    const QByteArray footer = "</" + prefix + "sheetData></" + rootName + ">";
    const QByteArray rowEnd = "</" + prefix + "row>";
    const QByteArray dataEnd = "</" + prefix + "sheetData>";
    pending.remove(0, tagEnd + 1);

    std::deque<std::future<TSheetCellsBuilder>> running;
    bool needsSequential = false;
    auto collect = [&] {
        try {
            cells.Append(running.front().get());
        } catch (const NeedsSequentialRead&) {
            needsSequential = true;
        }
        running.pop_front();
    };
    auto launch = [&](QByteArray stretch) {
        if (int(running.size()) >= threads)
            collect();
        running.push_back(std::async(std::launch::async, [&ctx, data = header + stretch + footer] {
            TSheetCellsBuilder partCells;
            QXmlStreamReader xml(data);
            ParseSheetXml(xml, ctx, partCells, true);
            return partCells;
        }));
    };
    try {
        for (;;) {
            const qsizetype endAt = pending.indexOf(dataEnd);
            if (endAt >= 0) {
                launch(pending.left(endAt));
                break;
            }
            if (eof)
                corrupt();
            if (pending.size() >= kStretch) {
                const qsizetype cut = pending.lastIndexOf(rowEnd);
                if (cut >= 0) {
                    launch(pending.left(cut + rowEnd.size()));
                    pending.remove(0, cut + rowEnd.size());
                }
            }
            more();
        }
        while (!running.empty())
            collect();
    } catch (...) {
        for (auto& f : running)
            if (f.valid())
                f.wait();
        throw;
    }
    if (needsSequential)
        throw NeedsSequentialRead{};
    return true;
}

} // namespace

TSheetCells ReadXlsxFirstSheet(const QString& path)
{
    if (!QFile::exists(path))
        throw EExcelError(QStringLiteral("Файл %1 не найден").arg(path));
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
        try {
            if (!ReadWorksheetInParallel(ctx, cells))
                ReadWorksheet(ctx, cells);
        } catch (const NeedsSequentialRead&) {
            // Rows without numbers: read again from the start, on this thread.
            TSheetCellsBuilder again;
            shared = info.SharedStringsPart.isEmpty() || !zip.Has(info.SharedStringsPart)
                ? std::vector<TStringRef>()
                : ReadSharedStrings(zip, info.SharedStringsPart, again);
            ReadWorksheet(ctx, again);
            return again.Finish();
        }
        return cells.Finish();
    } catch (const EExcelError&) {
        throw;
    } catch (const Exception& e) {
        Fail(path, e.Message());
    }
}
