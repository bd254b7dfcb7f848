// The picture editor: a modal dialog that shows a picture in an image control and lets the
// user load, save, clear, cut, copy, paste and zoom it (PictureEditFormsEh.cpp).
#pragma once

#include "DBCtrlsEh.h"
#include "platform/vcl/Forms.h"

class TButton;
class TGroupBox;
class TShape;
class TOpenPictureDialog;
class TSavePictureDialog;

// Lets the user edit a picture; true when the user accepted the edit (the picture then holds
// it). Set by this unit to ShowPictureEditorDialog.
using TEditPictureProcEh = bool (*)(TPicture* Picture);
extern TEditPictureProcEh EditPictureHook;
bool ShowPictureEditorDialog(TPicture* Picture);

// Bits of the operations the editor offers.
enum : uint8_t {
    peoCutEh = 1 << 0, peoCopyEh = 1 << 1, peoPasteEh = 1 << 2, peoLoadEh = 1 << 3, peoSaveEh = 1 << 4,
    peoClearEh = 1 << 5, peoZoomEh = 1 << 6, peoResetEh = 1 << 7, peoAllEh = 0xFF
};

class TCustomPictureEditorDialog : public TForm {
    DOV_PERSISTENT(TCustomPictureEditorDialog, TForm)
public:
    explicit TCustomPictureEditorDialog(TComponent* AOwner) : TForm(AOwner) {}
    virtual bool Edit(TPicture* Picture, uint8_t AllowsOperations) { return false; }
};

class TPictureEditorDialog : public TCustomPictureEditorDialog {
    DOV_PERSISTENT(TPictureEditorDialog, TCustomPictureEditorDialog)
public:
    explicit TPictureEditorDialog(TComponent* AOwner);
    ~TPictureEditorDialog() override;
    void AfterConstruction() override;

    bool Edit(TPicture* Picture, uint8_t AllowsOperations) override;

    TOpenPictureDialog* OpenDialog = nullptr;
    TSavePictureDialog* SaveDialog = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TButton* Load = nullptr;
    TButton* Save = nullptr;
    TButton* Clear = nullptr;
    TButton* bCut = nullptr;
    TButton* bCopy = nullptr;
    TButton* bPaste = nullptr;
    TButton* bZoomIn = nullptr;
    TButton* bZoomOut = nullptr;
    TButton* bReset = nullptr;
    TShape* ImageShape = nullptr;
    TDBImageEh* Image = nullptr;

    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void LoadClick(TObject* Sender);
    void SaveClick(TObject* Sender);
    void ClearClick(TObject* Sender);
    void bCutClick(TObject* Sender);
    void bCopyClick(TObject* Sender);
    void bPasteClick(TObject* Sender);
    void bZoomInClick(TObject* Sender);
    void bZoomOutClick(TObject* Sender);
    void bResetClick(TObject* Sender);

private:
    // Save and Clear follow the picture, within what the caller allows.
    void UpdatePictureButtons();
    uint8_t FAllowed = peoAllEh;
};

// The dialog class the editor hook creates (TPictureEditorDialog unless replaced).
using TPictureEditorDialogClass = const TClassInfo*;
extern TPictureEditorDialogClass PictureEditorDialogClass;

// The unit's start-up: the form resource and the classes it names registered; once.
void PictureEditFormsUnitStartUp();
