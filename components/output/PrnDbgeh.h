// Printing a data grid: the print component with its page settings, and the arithmetic of the
// page layout (margins, scales, column widths, bands, row blocks, header and footer macros).
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"

#include <memory>
#include <vector>

class TCustomDBGridEh;
class TDBGridEh;
class TVirtualPrinter;

DOV_DECLARE_EXCEPTION(EPrintLayoutEh, Exception);

enum TPrintDBGridEhOption {
    pghFitGridToPageWidth, pghColored, pghRowAutoStretch, pghFitingByColWidths, pghOptimalColWidths
};
DOV_ENUM_INFO(TPrintDBGridEhOption, pghFitGridToPageWidth, pghColored, pghRowAutoStretch, pghFitingByColWidths,
              pghOptimalColWidths)
using TPrintDBGridEhOptions = TSet<TPrintDBGridEhOption>;

enum TMeasureUnits { MM, Inches };
DOV_ENUM_INFO(TMeasureUnits, MM, Inches)

enum TPageColontitleLineType { pcltNon, pcltSingleLine, pcltDoubleLine };
DOV_ENUM_INFO(TPageColontitleLineType, pcltNon, pcltSingleLine, pcltDoubleLine)

// The four page margins in the print component's unit.
class TPageParams : public TPersistent {
    DOV_PERSISTENT(TPageParams, TPersistent)
public:
    TPageParams() = default;
    Currency TopMargin() const { return FTopMargin; }
    void SetTopMargin(Currency v) { FTopMargin = v; }
    Currency BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(Currency v) { FBottomMargin = v; }
    Currency LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(Currency v) { FLeftMargin = v; }
    Currency RightMargin() const { return FRightMargin; }
    void SetRightMargin(Currency v) { FRightMargin = v; }
    void Assign(TPersistent* Source) override;

private:
    static constexpr Currency Default = Currency::FromInt(2);
    bool IsTopStored() const { return FTopMargin != Default; }
    bool IsBottomStored() const { return FBottomMargin != Default; }
    bool IsLeftStored() const { return FLeftMargin != Default; }
    bool IsRightStored() const { return FRightMargin != Default; }
    Currency FTopMargin = Default;
    Currency FBottomMargin = Default;
    Currency FLeftMargin = Default;
    Currency FRightMargin = Default;
};

// A page header or footer: three texts, a font and an optional rule.
class TPageColontitle : public TPersistent {
    DOV_PERSISTENT(TPageColontitle, TPersistent)
public:
    TPageColontitle();
    ~TPageColontitle() override;
    TStrings* LeftText() const { return FLeftText.get(); }
    void SetLeftText(TStrings* v) { FLeftText->Assign(v); }
    TStrings* CenterText() const { return FCenterText.get(); }
    void SetCenterText(TStrings* v) { FCenterText->Assign(v); }
    TStrings* RightText() const { return FRightText.get(); }
    void SetRightText(TStrings* v) { FRightText->Assign(v); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    TPageColontitleLineType LineType() const { return FLineType; }
    void SetLineType(TPageColontitleLineType v) { FLineType = v; }
    void Assign(TPersistent* Source) override;

private:
    bool IsLeftStored() const { return FLeftText->Count() > 0; }
    bool IsCenterStored() const { return FCenterText->Count() > 0; }
    bool IsRightStored() const { return FRightText->Count() > 0; }
    std::unique_ptr<TStringList> FLeftText;
    std::unique_ptr<TStringList> FCenterText;
    std::unique_ptr<TStringList> FRightText;
    std::unique_ptr<TFont> FFont;
    TPageColontitleLineType FLineType = pcltNon;
};

// The six header and footer macros and their values for one moment of a print.
struct TPrintMacrosEh {
    int Page = 1;
    int Pages = 1;
    TDateTime When = 0;
    // Replaces every macro whatever its letter case; one preceded by a second "&" stays as
    // written. Values are never searched again, so a value may hold a macro name.
    QString Apply(const QString& Text) const;
    static bool UsesPages(const QString& Text);
};

class TPrintDBGridEh : public TComponent {
    DOV_PERSISTENT(TPrintDBGridEh, TComponent)
public:
    explicit TPrintDBGridEh(TComponent* AOwner);
    ~TPrintDBGridEh() override;

    TDBGridEh* DBGridEh() const { return FDBGridEh; }
    void SetDBGridEh(TDBGridEh* Value);
    TPrintDBGridEhOptions Options() const { return FOptions; }
    void SetOptions(TPrintDBGridEhOptions v) { FOptions = v; }
    TPageParams* Page() const { return FPage.get(); }
    void SetPage(TPageParams* v) { FPage->Assign(v); }
    TPageColontitle* PageHeader() const { return FPageHeader.get(); }
    void SetPageHeader(TPageColontitle* v) { FPageHeader->Assign(v); }
    TPageColontitle* PageFooter() const { return FPageFooter.get(); }
    void SetPageFooter(TPageColontitle* v) { FPageFooter->Assign(v); }
    QString PrintFontName() const { return FPrintFontName; }
    void SetPrintFontName(const QString& v) { FPrintFontName = v; }
    TStrings* Title() const { return FTitle.get(); }
    void SetTitle(TStrings* v) { FTitle->Assign(v); }
    TMeasureUnits Units() const { return FUnits; }
    void SetUnits(TMeasureUnits v);

    // Name-value pairs replaced in the print title while printing.
    void SetSubstitutes(const QStringList& ASubstitutes);
    QString Substituted(const QString& Text) const;

    void Print();
    // Lays the grid out into the shared print preview, which then shows it.
    void Preview();
    void PrintTo(TVirtualPrinter* VPrinter);

    TNotifyEvent OnBeforePrint;
    TNotifyEvent OnAfterPrint;
    TNotifyEvent OnPrinterSetupDialog;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool IsTitleStored() const { return FTitle->Count() > 0; }
    TDBGridEh* FDBGridEh = nullptr;
    TPrintDBGridEhOptions FOptions;
    std::unique_ptr<TPageParams> FPage;
    std::unique_ptr<TPageColontitle> FPageHeader;
    std::unique_ptr<TPageColontitle> FPageFooter;
    std::unique_ptr<TStringList> FTitle;
    QString FPrintFontName;
    TMeasureUnits FUnits = MM;
    QStringList FSubstitutesNames;
    QStringList FSubstitutesValues;
};

// ---- layout arithmetic (device pixels unless said otherwise) ----
namespace prnlayout {

// Screen-to-printer scale: the larger resolution over the smaller, so a low-resolution printer
// is drawn smaller rather than enlarged.
double Scale(int PrinterPpi, int ScreenPpi);
// Pixels between the edges of the printable area and the margins.
struct TPageRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// Margins in the unit (MM counts centimetres) at the printer's resolution, less the
// unprintable offsets. Raises EPrintLayoutEh when the margins leave no room on the paper.
TPageRect PageRect(const TPageParams* Page, TMeasureUnits Units, int PpiX, int PpiY, int PageWidth,
                   int PageHeight, int FullPageWidth, int FullPageHeight);
int LineWidth(int PpiX, int PpiY);
// Column widths shrunk proportionally into Available; the last column takes the remainder.
void FitWidths(std::vector<int>& Widths, int Available);
// For each horizontal band the index of its last column.
std::vector<int> Bands(const std::vector<int>& Widths, int Left, int Right, int LineWidth);
// Rows taken into one page block from Heights[First..]: at least one, while they fit Room.
int BlockRows(const std::vector<int>& Heights, int First, int Room);
// Header or footer height for its tallest text height.
int ColontitleHeight(int TextHeight, TPageColontitleLineType Line, int PpiY);

}  // namespace prnlayout
