#include "XlsxWriter.h"

#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QTemporaryFile>
#include <zip.h>

namespace {

QByteArray Escape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        default:
            if (c.unicode() < 0x20 && c != u'\n' && c != u'\t' && c != u'\r')
                out += QStringLiteral("_x%1_").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out.toUtf8();
}

QByteArray ColumnName(int col)
{
    QByteArray name;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        name.prepend(char('A' + rem));
        col = (col - 1) / 26;
    }
    return name;
}

QByteArray Num(double v)
{
    return QByteArray::number(v, 'g', 17);
}

const char* const kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "<Override PartName=\"/xl/sharedStrings.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";

const char* const kRootRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

const char* const kRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

} // namespace

TXlsxWriter::TXlsxWriter(const QString& path) : FPath(path) {}

TXlsxWriter::~TXlsxWriter() = default;

int TXlsxWriter::StyleFor(int numFmtId)
{
    for (size_t i = 0; i < FXfFormats.size(); ++i)
        if (FXfFormats[i] == numFmtId)
            return int(i);
    FXfFormats.push_back(numFmtId);
    return int(FXfFormats.size() - 1);
}

int TXlsxWriter::BuiltinFormatStyle(int numFmtId)
{
    return StyleFor(numFmtId);
}

int TXlsxWriter::CustomFormatStyle(const QString& code)
{
    for (const auto& f : FCustomFormats)
        if (f.second == code)
            return StyleFor(f.first);
    const int id = 164 + int(FCustomFormats.size());
    FCustomFormats.append({id, code});
    return StyleFor(id);
}

double TXlsxWriter::DateSerial(TDateTime d) const
{
    if (FDate1904)
        return d - 1462;
    return d >= 2 && d < 61 ? d - 1 : d;
}

void TXlsxWriter::BeginSheet(const QString& name, bool hidden)
{
    if (FInSheet)
        EndSheet();
    Sheet s;
    s.Name = name;
    s.Hidden = hidden;
    s.Data = std::make_unique<QTemporaryFile>();
    if (!s.Data->open())
        throw Exception(QStringLiteral("Не удаётся создать временный файл для листа %1").arg(name));
    FSheets.push_back(std::move(s));
    FInSheet = true;
    FBuffer = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (!FDimension.isEmpty())
        FBuffer += "<dimension ref=\"" + Escape(FDimension) + "\"/>";
    FBuffer += "<sheetData>";
}

void TXlsxWriter::Flush()
{
    if (FSheets.empty() || FBuffer.isEmpty())
        return;
    if (FSheets.back().Data->write(FBuffer) != FBuffer.size())
        throw Exception(QStringLiteral("Не удаётся записать временный файл листа"));
    FBuffer.clear();
}

void TXlsxWriter::WriteRow(int row, const std::vector<TXlsxCell>& cells)
{
    if (!FInSheet)
        BeginSheet(QStringLiteral("Лист%1").arg(FSheets.size() + 1));
    const QByteArray rowNum = QByteArray::number(row);
    FBuffer += "<row r=\"" + rowNum + "\">";
    for (const TXlsxCell& c : cells) {
        FBuffer += "<c r=\"" + ColumnName(c.Col) + rowNum + "\"";
        if (c.Style != 0)
            FBuffer += " s=\"" + QByteArray::number(c.Style) + "\"";
        switch (c.CellKind) {
        case TXlsxCell::Number:
            FBuffer += "><v>" + Num(c.Num) + "</v></c>";
            break;
        case TXlsxCell::Text:
            if (FShared) {
                auto it = FStringIndex.constFind(c.Str);
                int idx;
                if (it == FStringIndex.cend()) {
                    idx = int(FStrings.size());
                    FStrings.append(c.Str);
                    FStringIndex.insert(c.Str, idx);
                } else {
                    idx = *it;
                }
                FBuffer += " t=\"s\"><v>" + QByteArray::number(idx) + "</v></c>";
            } else {
                FBuffer += " t=\"inlineStr\"><is><t xml:space=\"preserve\">" + Escape(c.Str) + "</t></is></c>";
            }
            break;
        case TXlsxCell::Boolean:
            FBuffer += " t=\"b\"><v>" + QByteArray(c.Num != 0 ? "1" : "0") + "</v></c>";
            break;
        case TXlsxCell::Blank:
            FBuffer += "/>";
            break;
        case TXlsxCell::Error:
            FBuffer += " t=\"e\"><v>" + Escape(c.Str) + "</v></c>";
            break;
        case TXlsxCell::FormulaNumber:
            FBuffer += "><f>" + Escape(c.Formula) + "</f><v>" + Num(c.Num) + "</v></c>";
            break;
        case TXlsxCell::FormulaText:
            FBuffer += " t=\"str\"><f>" + Escape(c.Formula) + "</f><v>" + Escape(c.Str) + "</v></c>";
            break;
        }
    }
    FBuffer += "</row>";
    if (FBuffer.size() > (1 << 20))
        Flush();
}

void TXlsxWriter::EndSheet()
{
    if (!FInSheet)
        return;
    FBuffer += "</sheetData></worksheet>";
    Flush();
    FSheets.back().Data->flush();
    FInSheet = false;
    FDimension.clear();
}

void TXlsxWriter::Close()
{
    if (FClosed)
        return;
    if (FSheets.empty())
        BeginSheet(QStringLiteral("Лист1"));
    EndSheet();
    FClosed = true;

    QList<QPair<QString, QByteArray>> parts;
    QByteArray types = kContentTypes;
    QByteArray book = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (FDate1904)
        book += "<workbookPr date1904=\"1\"/>";
    book += "<sheets>";
    QByteArray rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (size_t i = 0; i < FSheets.size(); ++i) {
        const QByteArray n = QByteArray::number(qulonglong(i + 1));
        book += "<sheet name=\"" + Escape(FSheets[i].Name) + "\" sheetId=\"" + n + "\"";
        if (FSheets[i].Hidden)
            book += " state=\"hidden\"";
        book += " r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRelType + "worksheet\" Target=\"worksheets/sheet" + n
                + ".xml\"/>";
        types += "<Override PartName=\"/xl/worksheets/sheet" + n
                 + ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    }
    book += "</sheets></workbook>";
    rels += "<Relationship Id=\"rId" + QByteArray::number(qulonglong(FSheets.size() + 1)) + "\" Type=\"" + kRelType
            + "styles\" Target=\"styles.xml\"/>";
    rels += "<Relationship Id=\"rId" + QByteArray::number(qulonglong(FSheets.size() + 2)) + "\" Type=\"" + kRelType
            + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    rels += "</Relationships>";
    types += "</Types>";

    QByteArray styles = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!FCustomFormats.isEmpty()) {
        styles += "<numFmts count=\"" + QByteArray::number(FCustomFormats.size()) + "\">";
        for (const auto& f : FCustomFormats)
            styles += "<numFmt numFmtId=\"" + QByteArray::number(f.first) + "\" formatCode=\"" + Escape(f.second)
                      + "\"/>";
        styles += "</numFmts>";
    }
    styles += "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
              "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
              "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
              "<borders count=\"1\"><border/></borders>"
              "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
              "<cellXfs count=\"" + QByteArray::number(qulonglong(FXfFormats.size())) + "\">";
    for (int id : FXfFormats)
        styles += "<xf numFmtId=\"" + QByteArray::number(id) + "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\""
                  + (id ? " applyNumberFormat=\"1\"" : "") + "/>";
    styles += "</cellXfs></styleSheet>";

    QByteArray sst = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                     "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\""
                     + QByteArray::number(FStrings.size()) + "\" uniqueCount=\"" + QByteArray::number(FStrings.size())
                     + "\">";
    for (const QString& s : FStrings)
        sst += "<si><t xml:space=\"preserve\">" + Escape(s) + "</t></si>";
    sst += "</sst>";
    FStrings.clear();
    FStringIndex.clear();

    parts.append({QStringLiteral("[Content_Types].xml"), types});
    parts.append({QStringLiteral("_rels/.rels"), kRootRels});
    parts.append({QStringLiteral("xl/workbook.xml"), book});
    parts.append({QStringLiteral("xl/_rels/workbook.xml.rels"), rels});
    parts.append({QStringLiteral("xl/styles.xml"), styles});
    parts.append({QStringLiteral("xl/sharedStrings.xml"), sst});
    // Sheets go in from their temporary files, not through memory.
    QList<QPair<QString, QByteArray>> sheetFiles;
    for (size_t i = 0; i < FSheets.size(); ++i)
        sheetFiles.append({QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                           QFile::encodeName(FSheets[i].Data->fileName())});

    int err = 0;
    QFile::remove(FPath);
    zip_t* zip = zip_open(QFile::encodeName(FPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!zip)
        throw Exception(QStringLiteral("Не удаётся создать файл %1").arg(FPath));
    auto fail = [&](const QString& what) {
        const QString why = QString::fromUtf8(zip_strerror(zip));
        zip_discard(zip);
        throw Exception(QStringLiteral("Не удаётся записать %1 в %2: %3").arg(what, FPath, why));
    };
    for (const auto& p : parts) {
        zip_source_t* src = zip_source_buffer(zip, p.second.constData(), zip_uint64_t(p.second.size()), 0);
        if (!src || zip_file_add(zip, p.first.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            fail(p.first);
        }
    }
    for (const auto& p : sheetFiles) {
        zip_source_t* src = zip_source_file(zip, p.second.constData(), 0, -1);
        if (!src || zip_file_add(zip, p.first.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            fail(p.first);
        }
    }
    // The buffers above must live until the archive is written.
    if (zip_close(zip) < 0)
        fail(QStringLiteral("архив"));
    FSheets.clear();
}

void TXlsxWriter::WritePackage(const QString& path, const QList<QPair<QString, QByteArray>>& parts)
{
    int err = 0;
    QFile::remove(path);
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!zip)
        throw Exception(QStringLiteral("Не удаётся создать файл %1").arg(path));
    for (const auto& p : parts) {
        zip_source_t* src = zip_source_buffer(zip, p.second.constData(), zip_uint64_t(p.second.size()), 0);
        if (!src || zip_file_add(zip, p.first.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(zip);
            throw Exception(QStringLiteral("Не удаётся записать %1 в %2").arg(p.first, path));
        }
    }
    if (zip_close(zip) < 0) {
        const QString why = QString::fromUtf8(zip_strerror(zip));
        zip_discard(zip);
        throw Exception(QStringLiteral("Не удаётся записать %1: %2").arg(path, why));
    }
}
