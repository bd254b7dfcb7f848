// The rich-text editor form: a drop-down (or modal) form with a tool bar, a ruler with indent
// markers, a rich edit and OK/Cancel, which takes the document in and gives it back through
// its named values. Its layout comes from its form resource; one shared instance serves the
// whole program.
#pragma once

#include "components/foundation/DropDownFormEh.h"
#include "platform/vcl/ComCtrls.h"

class TBevel;
class TButton;
class TComboBox;
class TEdit;
class TImageList;
class TLabel;
class TMainMenu;
class TMenuItem;
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

    // The form resource's components. The main menu is not the form's menu: its items share
    // the tool bar's handlers and shortcuts for whoever attaches it.
    TMainMenu* MainMenu = nullptr;
    TMenuItem* FileNewItem = nullptr;
    TMenuItem* FileOpenItem = nullptr;
    TMenuItem* FileSaveItem = nullptr;
    TMenuItem* FileSaveAsItem = nullptr;
    TMenuItem* FilePrintItem = nullptr;
    TMenuItem* FileExitItem = nullptr;
    TMenuItem* EditUndoItem = nullptr;
    TMenuItem* EditCutItem = nullptr;
    TMenuItem* EditCopyItem = nullptr;
    TMenuItem* EditPasteItem = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TSaveDialog* SaveDialog = nullptr;
    TPrintDialog* PrintDialog = nullptr;
    TPanel* Ruler = nullptr;
    TFontDialog* FontDialog1 = nullptr;
    TLabel* FirstInd = nullptr;
    TLabel* LeftInd = nullptr;
    TBevel* RulerLine = nullptr;
    TLabel* RightInd = nullptr;
    TMenuItem* N5 = nullptr;
    TMenuItem* miEditFont = nullptr;
    TRichEdit* Editor = nullptr;
    TStatusBar* StatusBar = nullptr;
    TToolBar* StandardToolBar = nullptr;
    TToolButton* OpenButton = nullptr;
    TToolButton* SaveButton = nullptr;
    TToolButton* PrintButton = nullptr;
    TToolButton* ToolButton5 = nullptr;
    TToolButton* UndoButton = nullptr;
    TToolButton* CutButton = nullptr;
    TToolButton* CopyButton = nullptr;
    TToolButton* PasteButton = nullptr;
    TToolButton* ToolButton10 = nullptr;
    TComboBox* FontName = nullptr;
    TEdit* FontSizeOld = nullptr;
    TToolButton* ToolButton11 = nullptr;
    TUpDown* UpDown1 = nullptr;
    TToolButton* BoldButton = nullptr;
    TToolButton* ItalicButton = nullptr;
    TToolButton* UnderlineButton = nullptr;
    TToolButton* ToolButton16 = nullptr;
    TToolButton* LeftAlign = nullptr;
    TToolButton* CenterAlign = nullptr;
    TToolButton* RightAlign = nullptr;
    TToolButton* ToolButton20 = nullptr;
    TToolButton* BulletsButton = nullptr;
    TImageList* ToolbarImages = nullptr;
    TBevel* Bevel1 = nullptr;
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TToolButton* tbSelectFont = nullptr;
    TComboBox* FontSize = nullptr;

    // Named values: the first value's text is the document (RTF or plain by its prefix).
    void SetDynParams(TDynVarsEh* DynParams) override;
    void GetDynParams(TDynVarsEh*& DynParams) override;
    TDropDownPassParamsEh PassParams() const { return FPassParams; }

    // ---- handlers ----
    void FormCreate(TObject* Sender);
    void CustomDropDownFormEhInitForm(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
    void CustomDropDownFormEhReturnParams(TCustomDropDownFormEh* Sender, TDynVarsEh* DynParams);
    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void FormPaint(TObject* Sender);
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
