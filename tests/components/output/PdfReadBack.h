// Printing to the PDF printer and reading the file back with poppler's tools, which nobody
// here wrote: page count, title and the text of each page.
#pragma once

#include "platform/vcl/Printers.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <memory>

namespace pdfreadback {

// True when pdfinfo and pdftotext are on the machine; suites skip their read-back without them.
inline bool HaveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline QString Run(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A fresh printer object on the PDF printer, writing the file.
inline std::unique_ptr<TPrinter> PdfPrinter(const QString& file)
{
    auto p = std::make_unique<TPrinter>();
    p->SetPrinterIndex(p->Printers()->IndexOf(TPrinter::PdfPrinterName()));
    p->SetOutputFileName(file);
    return p;
}

inline QString Info(const QString& file) { return Run(QStringLiteral("pdfinfo"), {file}); }

// The page count pdfinfo reports; -1 when it reports none.
inline int PageCount(const QString& file)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(Info(file));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString Title(const QString& file)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Title:\\s+([^\\n]*)")).match(Info(file));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The text of each page, in order.
inline QStringList PagesText(const QString& file)
{
    QStringList pages = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")})
                            .split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

}  // namespace pdfreadback
