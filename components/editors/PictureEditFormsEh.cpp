#include "PictureEditFormsEh.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

static void InitPictureEditFormsResource() { Q_INIT_RESOURCE(PictureEditFormsEh); }

TEditPictureProcEh EditPictureHook = ShowPictureEditorDialog;
TPictureEditorDialogClass PictureEditorDialogClass = &TPictureEditorDialog::StaticClassInfo();

DOV_PUBLISHED(TCustomPictureEditorDialog) {}
DOV_PUBLISHED(TPictureEditorDialog)
{
    P.Prop("ClientHeight", [](TPictureEditorDialog* f) { return f->ClientHeight(); },
           [](TPictureEditorDialog* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TPictureEditorDialog* f) { return f->ClientWidth(); },
           [](TPictureEditorDialog* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("OpenDialog", &TPictureEditorDialog::OpenDialog);
    P.Field("SaveDialog", &TPictureEditorDialog::SaveDialog);
    P.Field("OKButton", &TPictureEditorDialog::OKButton);
    P.Field("CancelButton", &TPictureEditorDialog::CancelButton);
    P.Field("GroupBox1", &TPictureEditorDialog::GroupBox1);
    P.Field("Load", &TPictureEditorDialog::Load);
    P.Field("Save", &TPictureEditorDialog::Save);
    P.Field("Clear", &TPictureEditorDialog::Clear);
    P.Field("bCut", &TPictureEditorDialog::bCut);
    P.Field("bCopy", &TPictureEditorDialog::bCopy);
    P.Field("bPaste", &TPictureEditorDialog::bPaste);
    P.Field("bZoomIn", &TPictureEditorDialog::bZoomIn);
    P.Field("bZoomOut", &TPictureEditorDialog::bZoomOut);
    P.Field("bReset", &TPictureEditorDialog::bReset);
    P.Field("ImageShape", &TPictureEditorDialog::ImageShape);
    P.Method("FormCreate", &TPictureEditorDialog::FormCreate);
    P.Method("FormDestroy", &TPictureEditorDialog::FormDestroy);
    P.Method("LoadClick", &TPictureEditorDialog::LoadClick);
    P.Method("SaveClick", &TPictureEditorDialog::SaveClick);
    P.Method("ClearClick", &TPictureEditorDialog::ClearClick);
    P.Method("bCutClick", &TPictureEditorDialog::bCutClick);
    P.Method("bCopyClick", &TPictureEditorDialog::bCopyClick);
    P.Method("bPasteClick", &TPictureEditorDialog::bPasteClick);
    P.Method("bZoomInClick", &TPictureEditorDialog::bZoomInClick);
    P.Method("bZoomOutClick", &TPictureEditorDialog::bZoomOutClick);
    P.Method("bResetClick", &TPictureEditorDialog::bResetClick);
}

void PictureEditFormsUnitStartUp()
{
    static const bool done = [] {
        InitPictureEditFormsResource();
        RegisterClasses<TButton, TGroupBox, TShape, TOpenPictureDialog, TSavePictureDialog, TPictureEditorDialog>();
        return true;
    }();
    (void)done;
}

namespace {
TCustomPictureEditorDialog*& SharedDialog()
{
    static TCustomPictureEditorDialog* dialog = nullptr;
    return dialog;
}

// Forgets the shared dialog when its owner frees it.
class TSharedDialogWatch : public TComponent {
public:
    explicit TSharedDialogWatch(TComponent* AOwner) : TComponent(AOwner) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == SharedDialog())
            SharedDialog() = nullptr;
    }
};
}

bool ShowPictureEditorDialog(TPicture* Picture)
{
    TCustomPictureEditorDialog*& dialog = SharedDialog();
    if (!dialog) {
        TPictureEditorDialogClass cls = PictureEditorDialogClass;
        if (!cls || !cls->CreateComponent || !cls->InheritsFrom(&TCustomPictureEditorDialog::StaticClassInfo()))
            cls = &TPictureEditorDialog::StaticClassInfo();
        dialog = static_cast<TCustomPictureEditorDialog*>(cls->CreateComponent(Application));
        auto* watch = Create<TSharedDialogWatch>(Application);
        dialog->FreeNotification(watch);
        FreeWhenApplicationGoesEh([] { delete SharedDialog(); });
    }
    return dialog->Edit(Picture, peoAllEh);
}

// ---------------------------------------------------------------- the dialog

TPictureEditorDialog::TPictureEditorDialog(TComponent* AOwner) : TCustomPictureEditorDialog(AOwner) {}

TPictureEditorDialog::~TPictureEditorDialog() = default;

void TPictureEditorDialog::AfterConstruction()
{
    PictureEditFormsUnitStartUp();
    TCustomPictureEditorDialog::AfterConstruction();
}

void TPictureEditorDialog::FormCreate(TObject*)
{
    Save->SetEnabled(false);
    Image = Create<TDBImageEh>(this);
    Image->SetParent(ImageShape->Parent());
    Image->SetBoundsRect(ImageShape->BoundsRect());
    Image->SetAnchors(ImageShape->Anchors());
    Image->SetColor(TColor(12639424));
}

void TPictureEditorDialog::FormDestroy(TObject*)
{
    delete Image;
    Image = nullptr;
}

void TPictureEditorDialog::UpdatePictureButtons()
{
    const bool has = Image->Picture()->HasImage();
    Save->SetEnabled(has && (FAllowed & peoSaveEh));
    Clear->SetEnabled(has && (FAllowed & peoClearEh));
}

bool TPictureEditorDialog::Edit(TPicture* Picture, uint8_t AllowsOperations)
{
    FAllowed = AllowsOperations;
    Image->Picture()->Assign(Picture);
    Image->ResetZoom();
    Image->ResetPos();
    bCut->SetEnabled(AllowsOperations & peoCutEh);
    bCopy->SetEnabled(AllowsOperations & peoCopyEh);
    bPaste->SetEnabled(AllowsOperations & peoPasteEh);
    Load->SetEnabled(AllowsOperations & peoLoadEh);
    Save->SetEnabled(AllowsOperations & peoSaveEh);
    Clear->SetEnabled(AllowsOperations & peoClearEh);
    bZoomIn->SetEnabled(AllowsOperations & peoZoomEh);
    bZoomOut->SetEnabled(AllowsOperations & peoZoomEh);
    bReset->SetEnabled(AllowsOperations & (peoZoomEh | peoResetEh));
    SetModalResult(mrNone);
    if (ShowModal() != mrOk)
        return false;
    Picture->Assign(Image->Picture());
    return true;
}

void TPictureEditorDialog::LoadClick(TObject*)
{
    if (!OpenDialog->Execute())
        return;
    Image->Picture()->LoadFromFile(OpenDialog->FileName());
    Image->ResetZoom();
    Image->ResetPos();
    UpdatePictureButtons();
}

void TPictureEditorDialog::SaveClick(TObject*)
{
    TPicture* pic = Image->Picture();
    if (!pic->HasImage())
        return;
    const TGraphicClass cls = &pic->Graphic()->ClassInfo();
    SaveDialog->SetDefaultExt(GraphicExtension(cls));
    SaveDialog->SetFilter(GraphicFilter(cls));
    if (SaveDialog->Execute())
        pic->SaveToFile(SaveDialog->FileName());
}

void TPictureEditorDialog::ClearClick(TObject*)
{
    Image->Picture()->Assign(nullptr);
    Save->SetEnabled(false);
    Clear->SetEnabled(false);
}

void TPictureEditorDialog::bCutClick(TObject*)
{
    Image->CutToClipboard();
    UpdatePictureButtons();
}

void TPictureEditorDialog::bCopyClick(TObject*) { Image->CopyToClipboard(); }

void TPictureEditorDialog::bPasteClick(TObject*)
{
    Image->PasteFromClipboard();
    UpdatePictureButtons();
}

void TPictureEditorDialog::bZoomInClick(TObject*) { Image->TemporaryZoomTo(Image->Zoom() + 10); }
void TPictureEditorDialog::bZoomOutClick(TObject*) { Image->TemporaryZoomTo(Image->Zoom() - 10); }

void TPictureEditorDialog::bResetClick(TObject*)
{
    Image->ResetZoom();
    Image->ResetPos();
}
