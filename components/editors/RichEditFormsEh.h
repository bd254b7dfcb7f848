// The rich-text editor form: a drop-down (or modal) form with a toolbar, a ruler with indent
// markers, a rich edit and OK/Cancel, which takes the document in and gives it back through
// its named values. One shared instance serves the whole program.
#pragma once

#include "components/foundation/DropDownFormEh.h"
#include "platform/vcl/ComCtrls.h"

class TButton;
class TComboBox;
class TSpeedButton;
class TLabel;
class TOpenDialog;
class TSaveDialog;
class TPrintDialog;
class TFontDialog;

class TRichEditWinEh : public TCustomDropDownFormEh {
    DOV_PERSISTENT(TRichEditWinEh, TCustomDropDownFormEh)
public:
    explicit TRichEditWinEh(TComponent* AOwner);
    void AfterConstruction() override;

    // The shared instance, made on first use (owned by the application).
    static TRichEditWinEh* GetGlobalRef();

    TOpenDialog* OpenDialog = nullptr;
    TSaveDialog* SaveDialog = nullptr;
    TPrintDialog* PrintDialog = nullptr;
    TPanel* Ruler = nullptr;
    TFontDialog* FontDialog1 = nullptr;
    TLabel* FirstInd = nullptr;
    TLabel* LeftInd = nullptr;
    TPanel* RulerLine = nullptr;
    TLabel* RightInd = nullptr;
    TRichEdit* Editor = nullptr;
    TStatusBar* StatusBar = nullptr;
    TPanel* StandardToolBar = nullptr;
    TSpeedButton* OpenButton = nullptr;
    TSpeedButton* SaveButton = nullptr;
    TSpeedButton* PrintButton = nullptr;
    TSpeedButton* UndoButton = nullptr;
    TSpeedButton* CutButton = nullptr;
    TSpeedButton* CopyButton = nullptr;
    TSpeedButton* PasteButton = nullptr;
    TComboBox* FontName = nullptr;
    TSpeedButton* BoldButton = nullptr;
    TSpeedButton* ItalicButton = nullptr;
    TSpeedButton* UnderlineButton = nullptr;
    TSpeedButton* LeftAlign = nullptr;
    TSpeedButton* CenterAlign = nullptr;
    TSpeedButton* RightAlign = nullptr;
    TSpeedButton* BulletsButton = nullptr;
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    TSpeedButton* tbSelectFont = nullptr;
    TComboBox* FontSize = nullptr;

    // Named values: the first value's text is the document (RTF or plain by its prefix).
    void SetDynParams(TDynVarsEh* DynParams) override;
    void GetDynParams(TDynVarsEh*& DynParams) override;
    void InitForm(TWinControl* Host, TDynVarsEh* DynParams) override;
    void ReturnParams(TWinControl* Host, TDynVarsEh* DynParams) override;
    TDropDownPassParamsEh PassParams() const { return FPassParams; }

    // ---- handlers ----
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void SelectionChange(TObject* Sender);
    void RichEditChange(TObject* Sender);
    void BoldButtonClick(TObject* Sender);
    void ItalicButtonClick(TObject* Sender);
    void UnderlineButtonClick(TObject* Sender);
    void AlignButtonClick(TObject* Sender);
    void BulletsButtonClick(TObject* Sender);
    void FontNameChange(TObject* Sender);
    void FontSizeChange(TObject* Sender);
    void RulerItemMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void RulerItemMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void FirstIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void LeftIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void RightIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void RulerResize(TObject* Sender);
    void FileOpen(TObject* Sender);
    void FileSave(TObject* Sender);
    void FileSaveAs(TObject* Sender);
    void FilePrint(TObject* Sender);
    void FileExit(TObject* Sender);
    void EditUndo(TObject* Sender);
    void EditCut(TObject* Sender);
    void EditCopy(TObject* Sender);
    void EditPaste(TObject* Sender);
    void SelectFont(TObject* Sender);
    void EditorKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void OKButtonClick(TObject* Sender);
    void CancelButtonClick(TObject* Sender);

    // The marker offsets and the status texts, for the ruler's and the status bar's users.
    QString CursorPositionText() const;
    QString ModifiedText() const;

protected:
    bool KeepsGlobalRef() const override { return true; }
    void SetEditRect();
    void UpdateCursorPos();
    // The name the file is saved under: ".rtf" unless it already ends in ".RTF" (any case).
    static QString RtfFileName(const QString& Name);

    QString FFileName;
    bool FUpdating = false;
    int FDragOfs = 0;
    bool FDragging = false;
    TDropDownPassParamsEh FPassParams = pspFieldValueEh;
    TDynVarsEh* FParams = nullptr;
};

// Puts the editor form class into the class registry and makes it the rich edit's editor.
void RegisterRichEditFormsEh();
