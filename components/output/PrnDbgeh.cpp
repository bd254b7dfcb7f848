#include "PrnDbgeh.h"

#include "components/dbgrid/DBGridEh.h"

#include <cmath>

DOV_PUBLISHED(TPageParams)
{
    P.Prop("BottomMargin", &TPageParams::BottomMargin, &TPageParams::SetBottomMargin)
        .NoDefault()
        .Stored(&TPageParams::IsBottomStored);
    P.Prop("LeftMargin", &TPageParams::LeftMargin, &TPageParams::SetLeftMargin)
        .NoDefault()
        .Stored(&TPageParams::IsLeftStored);
    P.Prop("RightMargin", &TPageParams::RightMargin, &TPageParams::SetRightMargin)
        .NoDefault()
        .Stored(&TPageParams::IsRightStored);
    P.Prop("TopMargin", &TPageParams::TopMargin, &TPageParams::SetTopMargin).NoDefault().Stored(&TPageParams::IsTopStored);
}

void TPageParams::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TPageParams*>(Source);
    if (!src) {
        inherited::Assign(Source);
        return;
    }
    FTopMargin = src->FTopMargin;
    FBottomMargin = src->FBottomMargin;
    FLeftMargin = src->FLeftMargin;
    FRightMargin = src->FRightMargin;
}

DOV_PUBLISHED(TPageColontitle)
{
    P.Prop("CenterText", &TPageColontitle::CenterText, &TPageColontitle::SetCenterText)
        .Stored(&TPageColontitle::IsCenterStored);
    P.Prop("Font", &TPageColontitle::Font, &TPageColontitle::SetFont);
    P.Prop("LeftText", &TPageColontitle::LeftText, &TPageColontitle::SetLeftText).Stored(&TPageColontitle::IsLeftStored);
    P.Prop("LineType", &TPageColontitle::LineType, &TPageColontitle::SetLineType).Default(pcltNon);
    P.Prop("RightText", &TPageColontitle::RightText, &TPageColontitle::SetRightText)
        .Stored(&TPageColontitle::IsRightStored);
}

TPageColontitle::TPageColontitle()
    : FLeftText(std::make_unique<TStringList>()),
      FCenterText(std::make_unique<TStringList>()),
      FRightText(std::make_unique<TStringList>()),
      FFont(std::make_unique<TFont>())
{
}

TPageColontitle::~TPageColontitle() = default;

void TPageColontitle::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TPageColontitle*>(Source);
    if (!src) {
        inherited::Assign(Source);
        return;
    }
    FLeftText->Assign(src->FLeftText.get());
    FCenterText->Assign(src->FCenterText.get());
    FRightText->Assign(src->FRightText.get());
    FFont->Assign(src->FFont.get());
    FLineType = src->FLineType;
}

// ---- macros ----

namespace {
const QString PageMacro = QStringLiteral("&[Page]");
const QString PagesMacro = QStringLiteral("&[Pages]");
}  // namespace

QString TPrintMacrosEh::Apply(const QString& Text) const
{
    const QString names[] = {PageMacro,
                             QStringLiteral("&[ShortDate]"),
                             QStringLiteral("&[Date]"),
                             QStringLiteral("&[LongDate]"),
                             QStringLiteral("&[Time]"),
                             PagesMacro};
    const QString shortDate = FormatDateTime(FormatSettings.ShortDateFormat, When);
    const QString values[] = {QString::number(Page),
                              shortDate,
                              shortDate,
                              FormatDateTime(FormatSettings.LongDateFormat, When),
                              FormatDateTime(FormatSettings.LongTimeFormat, When),
                              QString::number(Pages)};
    // One pass from left to right: inserted values are never searched again.
    QString out;
    out.reserve(Text.size());
    qsizetype i = 0;
    while (i < Text.size()) {
        bool replaced = false;
        if (Text[i] == u'&' && !(i > 0 && Text[i - 1] == u'&')) {
            for (int k = 0; k < 6; ++k) {
                if (QStringView(Text).mid(i, names[k].size()).compare(names[k], Qt::CaseInsensitive) == 0) {
                    out += values[k];
                    i += names[k].size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += Text[i++];
    }
    return out;
}

bool TPrintMacrosEh::UsesPages(const QString& Text) { return Text.contains(PagesMacro, Qt::CaseInsensitive); }

// ---- the component ----

DOV_PUBLISHED(TPrintDBGridEh)
{
    P.Prop("DBGridEh", &TPrintDBGridEh::DBGridEh, &TPrintDBGridEh::SetDBGridEh);
    P.Prop("Options", &TPrintDBGridEh::Options, &TPrintDBGridEh::SetOptions).NoDefault();
    P.Prop("Page", &TPrintDBGridEh::Page, &TPrintDBGridEh::SetPage);
    P.Prop("PageFooter", &TPrintDBGridEh::PageFooter, &TPrintDBGridEh::SetPageFooter);
    P.Prop("PageHeader", &TPrintDBGridEh::PageHeader, &TPrintDBGridEh::SetPageHeader);
    P.Prop("PrintFontName", &TPrintDBGridEh::PrintFontName, &TPrintDBGridEh::SetPrintFontName);
    P.Prop("Title", &TPrintDBGridEh::Title, &TPrintDBGridEh::SetTitle).Stored(&TPrintDBGridEh::IsTitleStored);
    P.Prop("Units", &TPrintDBGridEh::Units, &TPrintDBGridEh::SetUnits).NoDefault();
    P.Event("OnAfterPrint", &TPrintDBGridEh::OnAfterPrint);
    P.Event("OnBeforePrint", &TPrintDBGridEh::OnBeforePrint);
    P.Event("OnPrinterSetupDialog", &TPrintDBGridEh::OnPrinterSetupDialog);
}

TPrintDBGridEh::TPrintDBGridEh(TComponent* AOwner)
    : TComponent(AOwner),
      FPage(std::make_unique<TPageParams>()),
      FPageHeader(std::make_unique<TPageColontitle>()),
      FPageFooter(std::make_unique<TPageColontitle>()),
      FTitle(std::make_unique<TStringList>())
{
}

TPrintDBGridEh::~TPrintDBGridEh() = default;

void TPrintDBGridEh::SetDBGridEh(TDBGridEh* Value)
{
    FDBGridEh = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TPrintDBGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDBGridEh)
        FDBGridEh = nullptr;
}

void TPrintDBGridEh::SetUnits(TMeasureUnits v)
{
    if (v == FUnits)
        return;
    FUnits = v;
    if (ComponentState().Contains(csLoading))
        return;
    const double factor = v == Inches ? 0.3937 : 2.54;
    auto convert = [factor](Currency c) { return Currency::FromDouble(c.ToDouble() * factor); };
    FPage->SetTopMargin(convert(FPage->TopMargin()));
    FPage->SetBottomMargin(convert(FPage->BottomMargin()));
    FPage->SetLeftMargin(convert(FPage->LeftMargin()));
    FPage->SetRightMargin(convert(FPage->RightMargin()));
}

void TPrintDBGridEh::SetSubstitutes(const QStringList& ASubstitutes)
{
    if (ASubstitutes.size() % 2 != 0)
        throw EPrintLayoutEh(QStringLiteral("Подстановки задаются парами: имя и значение"));
    FSubstitutesNames.clear();
    FSubstitutesValues.clear();
    for (qsizetype i = 0; i < ASubstitutes.size(); i += 2) {
        FSubstitutesNames << ASubstitutes[i];
        FSubstitutesValues << ASubstitutes[i + 1];
    }
}

QString TPrintDBGridEh::Substituted(const QString& Text) const
{
    QString s = Text;
    for (qsizetype k = 0; k < FSubstitutesNames.size(); ++k) {
        const QString& name = FSubstitutesNames[k];
        if (name.isEmpty())
            continue;
        // The search goes on after the inserted value, so a value holding its own name ends.
        qsizetype at = s.indexOf(name, 0, Qt::CaseInsensitive);
        while (at >= 0) {
            s.replace(at, name.size(), FSubstitutesValues[k]);
            at = s.indexOf(name, at + FSubstitutesValues[k].size(), Qt::CaseInsensitive);
        }
    }
    return s;
}

// ---- layout arithmetic ----

namespace prnlayout {

namespace {
int Nearest(double v) { return int(std::nearbyint(v)); }
}  // namespace

double Scale(int PrinterPpi, int ScreenPpi)
{
    if (PrinterPpi <= 0 || ScreenPpi <= 0)
        return 1;
    return double(PrinterPpi) / ScreenPpi;
}

TPageRect PageRect(const TPageParams* Page, TMeasureUnits Units, int PpiX, int PpiY, int PageWidth, int PageHeight,
                   int FullPageWidth, int FullPageHeight)
{
    const double d = Units == Inches ? 1 : 2.54;
    const int offX = (FullPageWidth - PageWidth) / 2;
    const int offY = (FullPageHeight - PageHeight) / 2;
    TPageRect r;
    r.Left = Nearest(PpiX * Page->LeftMargin().ToDouble() / d) - offX;
    r.Top = Nearest(PpiY * Page->TopMargin().ToDouble() / d) - offY;
    r.Right = PageWidth + offX - Nearest(PpiX * Page->RightMargin().ToDouble() / d);
    r.Bottom = PageHeight + offY - Nearest(PpiY * Page->BottomMargin().ToDouble() / d);
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, PageWidth);
    r.Bottom = std::min(r.Bottom, PageHeight);
    if (r.Right - r.Left < 1 || r.Bottom - r.Top < 1)
        throw EPrintLayoutEh(QStringLiteral("Поля страницы не оставляют места для печати"));
    return r;
}

int LineWidth(int PpiX, int PpiY) { return std::max(1, (PpiX + PpiY) / 200); }

void FitWidths(std::vector<int>& Widths, int Available)
{
    long long sum = 0;
    for (int w : Widths)
        sum += w;
    if (Widths.empty() || Available <= 0 || sum <= Available)
        return;
    long long newSum = 0;
    for (int& w : Widths) {
        w = int((long long)w * Available / sum);
        newSum += w;
    }
    if (newSum > Available)
        Widths.back() -= int(newSum - Available);
}

std::vector<int> Bands(const std::vector<int>& Widths, int Left, int Right, int LineWidth)
{
    std::vector<int> ends;
    int x = Left + LineWidth;
    for (size_t i = 0; i < Widths.size(); ++i) {
        const int w = std::min(Widths[i], Right - Left);
        x += w;
        if (x > Right && i > 0) {
            ends.push_back(int(i) - 1);
            x = Left + LineWidth + w;
        }
    }
    if (!Widths.empty())
        ends.push_back(int(Widths.size()) - 1);
    return ends;
}

int BlockRows(const std::vector<int>& Heights, int First, int Room)
{
    int n = 0;
    int used = 0;
    for (size_t i = First; i < Heights.size(); ++i) {
        if (n > 0 && used + Heights[i] > Room)
            break;
        used += Heights[i];
        ++n;
    }
    return n;
}

int ColontitleHeight(int TextHeight, TPageColontitleLineType Line, int PpiY)
{
    int h = TextHeight;
    if (h != 0)
        h += PpiY / 20;
    if (Line != pcltNon)
        h += PpiY / 20;
    if (Line == pcltDoubleLine)
        h += PpiY / 30;
    return h;
}

}  // namespace prnlayout
