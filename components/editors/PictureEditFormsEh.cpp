#include "PictureEditFormsEh.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

TEditPictureProcEh EditPictureHook = ShowPictureEditorDialog;
TPictureEditorDialogClass PictureEditorDialogClass = &TPictureEditorDialog::StaticClassInfo();

DOV_PUBLISHED(TCustomPictureEditorDialog) {}
DOV_PUBLISHED(TPictureEditorDialog) {}

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
    }
    return dialog->Edit(Picture, peoAllEh);
}

// ---------------------------------------------------------------- the dialog

TPictureEditorDialog::TPictureEditorDialog(TComponent* AOwner) : TCustomPictureEditorDialog(AOwner) {}

TPictureEditorDialog::~TPictureEditorDialog() = default;

namespace {
TButton* NewButton(TComponent* Owner, TWinControl* Parent, const char* Name, const QString& Caption, int Left,
                   int Top, int Height, TAnchors Anchors)
{
    auto* b = Create<TButton>(Owner);
    b->SetName(QString::fromLatin1(Name));
    b->SetParent(Parent);
    b->SetCaption(Caption);
    b->SetBounds(Left, Top, 75, Height);
    b->SetAnchors(Anchors);
    return b;
}
}

void TPictureEditorDialog::AfterConstruction()
{
    SetText(QStringLiteral("Picture Editor"));
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    Position = poScreenCenter;
    SetColor(clBtnFace);
    SetBounds(0, 0, 392, 321);
    SetClientWidth(392);
    SetClientHeight(321);

    OpenDialog = Create<TOpenPictureDialog>(this);
    OpenDialog->SetName(QStringLiteral("OpenDialog"));
    SaveDialog = Create<TSavePictureDialog>(this);
    SaveDialog->SetName(QStringLiteral("SaveDialog"));
    SaveDialog->SetFilter(QStringLiteral("All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|"
                                         "Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"));
    SaveDialog->SetOptions(SaveDialog->Options() | TOpenOptions{ofOverwritePrompt, ofEnableSizing});

    const TAnchors topRight{akTop, akRight}, bottomLeft{akLeft, akBottom};
    OKButton = NewButton(this, this, "OKButton", QStringLiteral("OK"), 308, 12, 25, topRight);
    OKButton->Default = true;
    OKButton->ModalResult = mrOk;
    CancelButton = NewButton(this, this, "CancelButton", QStringLiteral("Cancel"), 308, 41, 25, topRight);
    CancelButton->Cancel = true;
    CancelButton->ModalResult = mrCancel;

    GroupBox1 = Create<TGroupBox>(this);
    GroupBox1->SetName(QStringLiteral("GroupBox1"));
    GroupBox1->SetParent(this);
    GroupBox1->SetBounds(10, 7, 289, 306);
    GroupBox1->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});

    ImageShape = Create<TShape>(this);
    ImageShape->SetName(QStringLiteral("ImageShape"));
    ImageShape->SetParent(GroupBox1);
    ImageShape->SetBounds(8, 8, 274, 254);
    ImageShape->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});

    Load = NewButton(this, GroupBox1, "Load", QStringLiteral("&Load..."), 10, 270, 23, bottomLeft);
    Save = NewButton(this, GroupBox1, "Save", QStringLiteral("&Save..."), 90, 270, 23, bottomLeft);
    Clear = NewButton(this, GroupBox1, "Clear", QStringLiteral("&Clear"), 170, 270, 23, bottomLeft);
    bCut = NewButton(this, this, "bCut", QStringLiteral("Cut"), 308, 86, 23, topRight);
    bCopy = NewButton(this, this, "bCopy", QStringLiteral("Copy"), 308, 113, 23, topRight);
    bPaste = NewButton(this, this, "bPaste", QStringLiteral("Paste"), 308, 140, 23, topRight);
    bZoomIn = NewButton(this, this, "bZoomIn", QStringLiteral("Zoom In"), 308, 182, 23, topRight);
    bZoomOut = NewButton(this, this, "bZoomOut", QStringLiteral("Zoom Out"), 308, 209, 23, topRight);
    bReset = NewButton(this, this, "bReset", QStringLiteral("Reset"), 308, 236, 23, topRight);

    Load->OnClick = TNotifyEvent(this, &TPictureEditorDialog::LoadClick);
    Save->OnClick = TNotifyEvent(this, &TPictureEditorDialog::SaveClick);
    Clear->OnClick = TNotifyEvent(this, &TPictureEditorDialog::ClearClick);
    bCut->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bCutClick);
    bCopy->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bCopyClick);
    bPaste->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bPasteClick);
    bZoomIn->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bZoomInClick);
    bZoomOut->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bZoomOutClick);
    bReset->OnClick = TNotifyEvent(this, &TPictureEditorDialog::bResetClick);
    OnCreate = TNotifyEvent(this, &TPictureEditorDialog::FormCreate);
    OnDestroy = TNotifyEvent(this, &TPictureEditorDialog::FormDestroy);
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
