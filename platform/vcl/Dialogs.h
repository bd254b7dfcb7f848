// Common dialogs and message dialogs. Every one of them asks the dialog hook (CommDlg.h) first
// and shows the real Qt dialog only when the hook does not answer.
#pragma once

#include "Controls.h"
#include "platform/winapi/CommDlg.h"

// ---------------------------------------------------------------- message dialogs

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
DOV_ENUM_INFO(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,
                  mbClose };
DOV_ENUM_INFO(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
              mbHelp, mbClose)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// A box with the type's icon and Russian caption and the buttons in the order of TMsgDlgBtn;
// returns the chosen button's modal result (mrYes, mrAll ...). The default button is OK, else
// Yes, else the first; Esc gives Cancel, else No, else OK.
int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// The caption and button texts the boxes show.
QString MsgDlgCaption(TMsgDlgType DlgType);
QString MsgDlgButtonCaption(TMsgDlgBtn Button);
int MsgDlgButtonResult(TMsgDlgBtn Button);

// ---------------------------------------------------------------- file dialogs

// One entry of a filter string "Name|*.a;*.b|Name2|*.c": the name and its masks.
struct TFilterItem {
    QString Name;
    QStringList Masks;
};
// Blanks around parts are dropped, and so are empty masks; a name without masks at the end
// gets "*". An empty filter gives no entries.
std::vector<TFilterItem> ParseDialogFilter(const QString& Filter);

enum TOpenOption {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
    ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
    ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
    ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
DOV_ENUM_INFO(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
              ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
              ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
              ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent,
              ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption>;

class TCommonDialog : public TComponent {
    DOV_PERSISTENT(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    // Shows the dialog modally; true when the user confirmed it.
    virtual bool Execute() = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    // The window the dialog belongs to (the owner's form, else the application's main form).
    HWND ParentWindow() const;
    // Runs the hook, else the real dialog; OnShow and OnClose around it.
    bool Run(TDialogCall& Call, const std::function<bool(TDialogCall&)>& Real);
};

class TOpenDialog : public TCommonDialog {
    DOV_PERSISTENT(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    bool Execute() override;

    QString FileName() const { return FFileName; }
    void SetFileName(const QString& v) { FFileName = v; }
    // The chosen files (full paths) of the last confirmed run; FileName is the first.
    TStrings* Files() const { return FFiles.get(); }
    QString Filter() const { return FFilter; }
    void SetFilter(const QString& v) { FFilter = v; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int v) { FFilterIndex = v; }
    QString DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString& v) { FDefaultExt = v; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString& v) { FInitialDir = v; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString& v) { FTitle = v; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions v) { FOptions = v; }

protected:
    virtual TDialogKind Kind() const { return TDialogKind::OpenFile; }
    // A chosen name without an extension takes the default one (save dialogs).
    QString WithDefaultExt(const QString& Name) const;
    bool RealDialog(TDialogCall& Call);

    QString FFileName, FFilter, FDefaultExt, FInitialDir, FTitle;
    int FFilterIndex = 1;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
    DOV_PERSISTENT(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
    TDialogKind Kind() const override { return TDialogKind::SaveFile; }
};

// The open and save dialogs with the picture formats the graphics layer reads as the default filter.
class TOpenPictureDialog : public TOpenDialog {
    DOV_PERSISTENT(TOpenPictureDialog, TOpenDialog)
public:
    explicit TOpenPictureDialog(TComponent* AOwner);
};
class TSavePictureDialog : public TSaveDialog {
    DOV_PERSISTENT(TSavePictureDialog, TSaveDialog)
public:
    explicit TSavePictureDialog(TComponent* AOwner);
};
QString GraphicFilterText();

// ---------------------------------------------------------------- font dialog

enum TFontDialogOption { fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
                         fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
                         fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton };
DOV_ENUM_INFO(TFontDialogOption, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist,
              fdNoFaceSel, fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
              fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton)
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
    DOV_PERSISTENT(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;
    bool Execute() override;
    // In: the font shown first; out: the chosen one (changed only on confirmation).
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    TFontDialogOptions Options() const { return FOptions; }
    void SetOptions(TFontDialogOptions v) { FOptions = v; }

private:
    std::unique_ptr<TFont> FFont;
    TFontDialogOptions FOptions{fdEffects};
};

// ---------------------------------------------------------------- print dialogs

enum TPrintRange { prAllPages, prSelection, prPageNums };
DOV_ENUM_INFO(TPrintRange, prAllPages, prSelection, prPageNums)
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
DOV_ENUM_INFO(TPrintDialogOption, poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile)
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Chooses the current printer (Printer()), its copies and the pages to print.
class TPrintDialog : public TCommonDialog {
    DOV_PERSISTENT(TPrintDialog, TCommonDialog)
public:
    explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
    int Copies = 1;
    bool Collate = false;
    int MinPage = 0, MaxPage = 0;
    int FromPage = 0, ToPage = 0;
    TPrintRange PrintRange = prAllPages;
    TPrintDialogOptions Options;
};

// Chooses the current printer and its orientation.
class TPrinterSetupDialog : public TCommonDialog {
    DOV_PERSISTENT(TPrinterSetupDialog, TCommonDialog)
public:
    explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
};
