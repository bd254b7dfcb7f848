// Common dialogs and message dialogs over the dialog hook and Qt's own dialogs.
#include "Dialogs.h"

#include "Forms.h"
#include "Printers.h"
#include "platform/rtl/Guards.h"

#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

bool HaveWindowSystem() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

HWND MainWindow()
{
    TCustomForm* f = Application->MainForm();
    return f && f->HandleAllocated() ? f->Handle() : nullptr;
}

QWidget* WidgetOf(HWND w) { return w && IsWindow(w) ? w->Widget() : nullptr; }

}  // namespace

// ---------------------------------------------------------------- message dialogs

QString MsgDlgCaption(TMsgDlgType DlgType)
{
    switch (DlgType) {
    case mtWarning: return QStringLiteral("Предупреждение");
    case mtError: return QStringLiteral("Ошибка");
    case mtInformation: return QStringLiteral("Информация");
    case mtConfirmation: return QStringLiteral("Подтверждение");
    case mtCustom: break;
    }
    return Application->Title;
}

QString MsgDlgButtonCaption(TMsgDlgBtn Button)
{
    static const char16_t* const captions[] = {u"&Да", u"&Нет", u"OK", u"Отмена", u"&Прервать", u"&Повтор",
                                               u"&Пропустить", u"&Все", u"Н&ет для всех", u"Д&а для всех",
                                               u"&Справка", u"&Закрыть"};
    return QString::fromUtf16(captions[Button]);
}

int MsgDlgButtonResult(TMsgDlgBtn Button)
{
    static const int results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                  mrYesToAll, mrNone, mrClose};
    return results[Button];
}

int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int /*HelpCtx*/)
{
    static const UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
    if (Buttons.Empty())
        Buttons = TMsgDlgButtons{mbOK};
    TDialogCall call;
    call.Text = Msg;
    call.Caption = MsgDlgCaption(DlgType);
    call.Icon = icons[DlgType];
    for (int b = mbYes; b <= mbClose; ++b)
        if (Buttons.Contains(TMsgDlgBtn(b))) {
            call.Buttons.push_back(MsgDlgButtonResult(TMsgDlgBtn(b)));
            call.ButtonCaptions << MsgDlgButtonCaption(TMsgDlgBtn(b));
        }
    auto indexOf = [&](int result) {
        auto it = std::find(call.Buttons.begin(), call.Buttons.end(), result);
        return it == call.Buttons.end() ? -1 : int(it - call.Buttons.begin());
    };
    call.DefaultButton = std::max(indexOf(mrOk) >= 0 ? indexOf(mrOk) : indexOf(mrYes), 0);
    const int escape = Buttons.Contains(mbCancel) ? mrCancel
                       : Buttons.Contains(mbNo)   ? mrNo
                       : Buttons.Contains(mbOK)   ? mrOk
                                                  : mrCancel;
    return ShowMessageBoxCall(MainWindow(), call, escape);
}

// ---------------------------------------------------------------- TCommonDialog

DOV_PUBLISHED(TCommonDialog)
{
    P.Event("OnShow", &TCommonDialog::OnShow);
    P.Event("OnClose", &TCommonDialog::OnClose);
}

HWND TCommonDialog::ParentWindow() const
{
    for (TComponent* c = Owner(); c; c = c->Owner())
        if (auto* f = dynamic_cast<TCustomForm*>(c))
            if (f->HandleAllocated())
                return f->Handle();
    return MainWindow();
}

bool TCommonDialog::Run(TDialogCall& Call, const std::function<bool(TDialogCall&)>& Real)
{
    if (OnShow)
        OnShow(this);
    auto closed = Finally([&] {
        if (OnClose)
            OnClose(this);
    });
    if (auto answer = CallDialogHook(Call))
        return *answer == IDOK;
    return HaveWindowSystem() && Real(Call);
}

// ---------------------------------------------------------------- file dialogs

std::vector<TFilterItem> ParseDialogFilter(const QString& Filter)
{
    std::vector<TFilterItem> items;
    const QStringList parts = Filter.split(u'|');
    for (int i = 0; i < parts.size(); i += 2) {
        TFilterItem item;
        item.Name = parts[i].trimmed();
        if (i + 1 < parts.size())
            for (const QString& m : parts[i + 1].split(u';'))
                if (!m.trimmed().isEmpty())
                    item.Masks << m.trimmed();
        if (item.Name.isEmpty() && item.Masks.isEmpty())
            continue;
        if (item.Masks.isEmpty())
            item.Masks << QStringLiteral("*");
        items.push_back(item);
    }
    return items;
}

DOV_PUBLISHED(TOpenDialog)
{
    P.Prop("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    P.Prop("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    P.Prop("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    P.Prop("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
    P.Prop("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    P.Prop("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
        .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
    P.Prop("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}
DOV_PUBLISHED(TSaveDialog) {}
DOV_PUBLISHED(TOpenPictureDialog) {}
DOV_PUBLISHED(TSavePictureDialog) {}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

QString TOpenDialog::WithDefaultExt(const QString& Name) const
{
    QString ext = FDefaultExt;
    if (ext.startsWith(u'.'))
        ext.remove(0, 1);
    const QString suffix = QFileInfo(Name).suffix();
    if (ext.isEmpty())
        return Name;
    if (Kind() == TDialogKind::OpenFile) {
        // An open dialog keeps a name that exists as typed.
        if (!suffix.isEmpty() || QFileInfo::exists(Name))
            return Name;
        return Name + u'.' + ext;
    }
    // A save dialog keeps an extension of the chosen filter or the default one; anything else
    // after the last dot (the dates of "Report 01.02.2024") is part of the name.
    QStringList known{QStringLiteral("*.") + ext};
    const auto items = ParseDialogFilter(FFilter);
    if (FFilterIndex >= 1 && FFilterIndex <= int(items.size()))
        known << items[size_t(FFilterIndex - 1)].Masks;
    if (!suffix.isEmpty())
        for (const QString& mask : known)
            if (mask == u"*" || mask == u"*.*" || mask.compare(QStringLiteral("*.") + suffix, Qt::CaseInsensitive) == 0)
                return Name;
    return Name + u'.' + ext;
}

bool TOpenDialog::Execute()
{
    TDialogCall call;
    call.Kind = Kind();
    call.Caption = FTitle;
    call.Filter = FFilter;
    call.FilterIndex = FFilterIndex;
    call.InitialDir = FInitialDir;
    call.FileName = FFileName;
    call.DefaultExt = FDefaultExt;
    call.MultiSelect = FOptions.Contains(ofAllowMultiSelect);
    call.ReadOnly = FOptions.Contains(ofReadOnly);
    if (!Run(call, [this](TDialogCall& c) { return RealDialog(c); }))
        return false;
    QStringList chosen = call.Files;
    if (chosen.isEmpty() && !call.FileName.isEmpty())
        chosen << call.FileName;
    if (chosen.isEmpty())
        return false;
    if (!call.MultiSelect)
        chosen = chosen.mid(0, 1);
    const QDir base(FInitialDir);
    FFiles->Clear();
    for (const QString& f : chosen)
        FFiles->Add(WithDefaultExt(QDir::cleanPath(base.absoluteFilePath(f))));
    FFileName = FFiles->Strings(0);
    FFilterIndex = call.FilterIndex;
    if (call.ReadOnly)
        FOptions.Include(ofReadOnly);
    else
        FOptions.Exclude(ofReadOnly);
    return true;
}

bool TOpenDialog::RealDialog(TDialogCall& Call)
{
    const bool save = Call.Kind == TDialogKind::SaveFile;
    QString caption = Call.Caption;
    if (caption.isEmpty())
        caption = save ? QStringLiteral("Сохранить как") : QStringLiteral("Открыть");
    QFileDialog dlg(WidgetOf(ParentWindow()), caption, Call.InitialDir);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    QStringList filters;
    for (const TFilterItem& item : ParseDialogFilter(Call.Filter)) {
        const QString masks = QLatin1Char('(') + item.Masks.join(u' ') + QLatin1Char(')');
        // Qt reads the masks from the last parenthesised group, so they always end the text.
        filters << (item.Name.endsWith(masks) ? item.Name : item.Name + u' ' + masks);
    }
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (Call.FilterIndex >= 1 && Call.FilterIndex <= filters.size())
            dlg.selectNameFilter(filters[Call.FilterIndex - 1]);
    }
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!FOptions.Contains(ofOverwritePrompt))
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dlg.setFileMode(Call.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (!Call.FileName.isEmpty())
        dlg.selectFile(Call.FileName);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    Call.Files = dlg.selectedFiles();
    const int f = int(filters.indexOf(dlg.selectedNameFilter()));
    if (f >= 0)
        Call.FilterIndex = f + 1;
    return !Call.Files.isEmpty();
}

QString GraphicFilterText()
{
    return QStringLiteral("All (*.bmp;*.png;*.jpg;*.jpeg;*.gif)|*.bmp;*.png;*.jpg;*.jpeg;*.gif|"
                          "Bitmaps (*.bmp)|*.bmp|PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|GIF (*.gif)|*.gif");
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FFilter = GraphicFilterText(); }
TSavePictureDialog::TSavePictureDialog(TComponent* AOwner) : TSaveDialog(AOwner) { FFilter = GraphicFilterText(); }

// ---------------------------------------------------------------- TFontDialog

DOV_PUBLISHED(TFontDialog)
{
    P.Prop("Font", &TFontDialog::Font);
    P.Prop("Options", &TFontDialog::Options, &TFontDialog::SetOptions).Default(TFontDialogOptions{fdEffects});
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}
TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute()
{
    TDialogCall call;
    call.Kind = TDialogKind::Font;
    call.FontName = FFont->GetName();
    call.FontSize = FFont->GetSize();
    const TFontStyles style = FFont->GetStyle();
    call.Bold = style.Contains(fsBold);
    call.Italic = style.Contains(fsItalic);
    call.Underline = style.Contains(fsUnderline);
    call.StrikeOut = style.Contains(fsStrikeOut);
    call.FontColor = ColorToRGB(FFont->GetColor());
    const bool ok = Run(call, [this](TDialogCall& c) {
        QFont f(c.FontName);
        if (c.FontSize > 0)
            f.setPointSize(c.FontSize);
        f.setBold(c.Bold);
        f.setItalic(c.Italic);
        f.setUnderline(c.Underline);
        f.setStrikeOut(c.StrikeOut);
        bool accepted = false;
        const QFont chosen = QFontDialog::getFont(&accepted, f, WidgetOf(ParentWindow()), QString(),
                                                  QFontDialog::DontUseNativeDialog);
        if (!accepted)
            return false;
        c.FontName = chosen.family();
        c.FontSize = chosen.pointSize();
        c.Bold = chosen.bold();
        c.Italic = chosen.italic();
        c.Underline = chosen.underline();
        c.StrikeOut = chosen.strikeOut();
        return true;
    });
    if (!ok)
        return false;
    TFontStyles chosen;
    if (call.Bold) chosen.Include(fsBold);
    if (call.Italic) chosen.Include(fsItalic);
    if (call.Underline) chosen.Include(fsUnderline);
    if (call.StrikeOut) chosen.Include(fsStrikeOut);
    if (!call.FontName.isEmpty())
        FFont->SetName(call.FontName);
    if (call.FontSize > 0)
        FFont->SetSize(call.FontSize);
    FFont->SetStyle(chosen);
    FFont->SetColor(TColor(call.FontColor & 0xFFFFFF));
    return true;
}

// ---------------------------------------------------------------- print dialogs

DOV_PUBLISHED(TPrintDialog)
{
    P.Prop("Collate", &TPrintDialog::Collate).Default(false);
    P.Prop("Copies", &TPrintDialog::Copies).Default(1);
    P.Prop("FromPage", &TPrintDialog::FromPage).Default(0);
    P.Prop("MinPage", &TPrintDialog::MinPage).Default(0);
    P.Prop("MaxPage", &TPrintDialog::MaxPage).Default(0);
    P.Prop("Options", &TPrintDialog::Options).Default(TPrintDialogOptions{});
    P.Prop("PrintRange", &TPrintDialog::PrintRange).Default(prAllPages);
    P.Prop("ToPage", &TPrintDialog::ToPage).Default(0);
}
DOV_PUBLISHED(TPrinterSetupDialog) {}

namespace {

// A Qt printer standing for the current printer while a Qt dialog edits it.
std::unique_ptr<QPrinter> QtPrinterFor(TPrinter* p)
{
    auto q = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (p->IsPdfPrinter()) {
        q->setOutputFormat(QPrinter::PdfFormat);
        q->setOutputFileName(p->OutputFileName());
    } else {
        q->setPrinterName(p->Printers()->Strings(p->PrinterIndex()));
    }
    q->setCopyCount(p->Copies());
    q->setPageOrientation(p->Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    return q;
}

int PrinterIndexOf(TPrinter* p, const QPrinter& q)
{
    const QString name = q.outputFormat() == QPrinter::PdfFormat ? TPrinter::PdfPrinterName() : q.printerName();
    const int i = p->Printers()->IndexOf(name);
    return i >= 0 ? i : p->PrinterIndex();
}

void ApplyPrinterChoice(const TDialogCall& call)
{
    TPrinter* p = Printer();
    if (call.PrinterIndex >= 0 && call.PrinterIndex < p->Printers()->Count())
        p->SetPrinterIndex(call.PrinterIndex);
    p->SetOrientation(call.Orientation == 1 ? poLandscape : poPortrait);
}

}  // namespace

bool TPrintDialog::Execute()
{
    TPrinter* p = Printer();
    TDialogCall call;
    call.Kind = TDialogKind::Print;
    call.PrinterIndex = p->PrinterIndex();
    call.Orientation = p->Orientation() == poLandscape ? 1 : 0;
    call.Copies = Copies;
    call.Collate = Collate;
    call.MinPage = MinPage;
    call.MaxPage = MaxPage;
    call.FromPage = FromPage;
    call.ToPage = ToPage;
    call.PageNumsEnabled = Options.Contains(poPageNums);
    call.PageNums = PrintRange == prPageNums;
    const bool ok = Run(call, [&](TDialogCall& c) {
        auto q = QtPrinterFor(p);
        QPrintDialog dlg(q.get(), WidgetOf(ParentWindow()));
        QAbstractPrintDialog::PrintDialogOptions o = QAbstractPrintDialog::PrintCollateCopies;
        if (c.PageNumsEnabled)
            o |= QAbstractPrintDialog::PrintPageRange;
        if (Options.Contains(poSelection))
            o |= QAbstractPrintDialog::PrintSelection;
        if (!Options.Contains(poDisablePrintToFile))
            o |= QAbstractPrintDialog::PrintToFile;
        dlg.setOptions(o);
        if (c.MaxPage > 0)
            dlg.setMinMax(c.MinPage, c.MaxPage);
        if (c.PageNums) {
            dlg.setPrintRange(QAbstractPrintDialog::PageRange);
            q->setFromTo(c.FromPage, c.ToPage);
        }
        if (dlg.exec() != QDialog::Accepted)
            return false;
        c.PrinterIndex = PrinterIndexOf(p, *q);
        c.Copies = q->copyCount();
        c.Collate = q->collateCopies();
        c.Orientation = q->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
        c.PageNums = dlg.printRange() == QAbstractPrintDialog::PageRange;
        c.FromPage = q->fromPage();
        c.ToPage = q->toPage();
        return true;
    });
    if (!ok)
        return false;
    ApplyPrinterChoice(call);
    Copies = std::max(1, call.Copies);
    p->SetCopies(Copies);
    Collate = call.Collate;
    PrintRange = call.PageNums && call.PageNumsEnabled ? prPageNums : prAllPages;
    if (PrintRange == prPageNums) {
        // An answer outside the document or backwards is brought into it, as the dialog's own
        // checks would before letting it close.
        int from = call.FromPage, to = call.ToPage;
        if (from > to)
            std::swap(from, to);
        if (MaxPage >= MinPage && MaxPage > 0) {
            from = std::clamp(from, MinPage, MaxPage);
            to = std::clamp(to, MinPage, MaxPage);
        }
        FromPage = from;
        ToPage = to;
    }
    return true;
}

bool TPrinterSetupDialog::Execute()
{
    TPrinter* p = Printer();
    TDialogCall call;
    call.Kind = TDialogKind::PrinterSetup;
    call.PrinterIndex = p->PrinterIndex();
    call.Copies = p->Copies();
    call.Orientation = p->Orientation() == poLandscape ? 1 : 0;
    const bool ok = Run(call, [&](TDialogCall& c) {
        auto q = QtPrinterFor(p);
        QPageSetupDialog dlg(q.get(), WidgetOf(ParentWindow()));
        if (dlg.exec() != QDialog::Accepted)
            return false;
        c.PrinterIndex = PrinterIndexOf(p, *q);
        c.Orientation = q->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
        return true;
    });
    if (!ok)
        return false;
    ApplyPrinterChoice(call);
    if (call.Copies >= 1)
        p->SetCopies(call.Copies);
    return true;
}
