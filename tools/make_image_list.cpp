// Puts PNG files as the images of an image list into a text form resource: the list's object
// block is replaced by one holding the images, in the order given ("-" leaves a cell empty).
//   make_image_list FORM LIST WIDTH HEIGHT IMAGE.png|- ...
// The rich-text editor's tool bar pictures (Adwaita icon theme, see README.md):
//   A=/usr/share/icons/Adwaita/16x16; make_image_list components/resources/TRichEditWinEh.form
//   ToolbarImages 16 16 - $A/actions/document-open-symbolic.symbolic.png
//   $A/actions/document-save-symbolic.symbolic.png $A/actions/document-print-symbolic.symbolic.png
//   $A/actions/edit-undo-symbolic.symbolic.png $A/actions/edit-cut-symbolic.symbolic.png
//   $A/actions/edit-copy-symbolic.symbolic.png $A/actions/edit-paste-symbolic.symbolic.png
//   $A/actions/format-text-bold-symbolic.symbolic.png $A/actions/format-text-italic-symbolic.symbolic.png
//   $A/actions/format-text-underline-symbolic.symbolic.png
//   $A/actions/format-justify-left-symbolic.symbolic.png
//   $A/actions/format-justify-center-symbolic.symbolic.png
//   $A/actions/format-justify-right-symbolic.symbolic.png
//   $A/actions/view-list-bullet-symbolic.symbolic.png $A/actions/font-select-symbolic.symbolic.png
#include "platform/rtl/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ImgList.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <cstdio>

namespace {

int Fail(const QString& Message)
{
    std::fprintf(stderr, "%s\n", qPrintable(Message));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6)
        return Fail(QStringLiteral("usage: make_image_list FORM LIST WIDTH HEIGHT IMAGE.png|- ..."));
    const QString formFile = args[1], listName = args[2];
    const int w = args[3].toInt(), h = args[4].toInt();
    if (w <= 0 || h <= 0)
        return Fail(QStringLiteral("WIDTH and HEIGHT must be positive"));

    TImageList list(nullptr);
    list.SetName(listName);
    list.SetSize(w, h);
    for (qsizetype i = 5; i < args.size(); ++i) {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        if (args[i] != QLatin1String("-") && !img.load(args[i]))
            return Fail(QStringLiteral("cannot read %1").arg(args[i]));
        if (img.width() != w || img.height() != h)
            return Fail(QStringLiteral("%1 is not %2 x %3").arg(args[i]).arg(w).arg(h));
        list.AddImage(img);
    }

    QFile f(formFile);
    if (!f.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read %1").arg(formFile));
    QString form = QString::fromUtf8(f.readAll());
    f.close();
    const QRegularExpression block(QStringLiteral("^( *)object %1: TImageList\\n(?:.*\\n)*?\\1end\\n")
                                       .arg(QRegularExpression::escape(listName)),
                                   QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = block.match(form);
    if (!m.hasMatch())
        return Fail(QStringLiteral("no image list %1 in %2").arg(listName, formFile));

    QStringList lines = ComponentToText(&list).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line.prepend(m.captured(1));
    form.replace(m.capturedStart(), m.capturedLength(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(form.toUtf8()) < 0)
        return Fail(QStringLiteral("cannot write %1").arg(formFile));
    return 0;
}
