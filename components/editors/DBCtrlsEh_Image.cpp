#include "DBCtrlsEh.h"

#include "PictureEditFormsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/Themes.h"

#include <climits>

TDBImagePopupMenuProcEh DBImageEhPopupMenuHook = FillDBImagePopupMenu;
TDBImageEditButtonActionProcEh DBImageEhDefaultActionHook = DefaultDBImageEditButtonAction;

DOV_PUBLISHED(TCustomDBImageEh) {}

DOV_PUBLISHED(TDBImageEh)
{
    P.Prop("AutoDisplay", &TCustomDBImageEh::AutoDisplay, &TCustomDBImageEh::SetAutoDisplay).Default(true);
    P.Prop("BorderStyle", &TCustomDBImageEh::BorderStyle, &TCustomDBImageEh::SetBorderStyle).Default(bsSingle);
    P.Prop("ControlLabel", &TCustomDBImageEh::ControlLabel);
    P.Prop("ControlLabelLocation", &TCustomDBImageEh::ControlLabelLocation);
    P.Prop("DataField", &TCustomDBImageEh::DataField, &TCustomDBImageEh::SetDataField);
    P.Prop("DataSource", &TCustomDBImageEh::DataSource, &TCustomDBImageEh::SetDataSource);
    P.Prop("DynProps", &TCustomDBImageEh::DynProps);
    P.Prop("EditButton", &TCustomDBImageEh::EditButton);
    P.Prop("Picture", &TCustomDBImageEh::Picture)
        .Stored(&TCustomDBImageEh::IsPictureStored);
    P.Prop("PicturePlacement", &TCustomDBImageEh::PicturePlacement, &TCustomDBImageEh::SetPicturePlacement)
        .Default(ipReduceFitEh);
    P.Prop("ReadOnly", &TCustomDBImageEh::ReadOnly, &TCustomDBImageEh::SetReadOnly).Default(false);
    P.Prop("SelectionDrawStyle", &TCustomDBImageEh::SelectionDrawStyle, &TCustomDBImageEh::SetSelectionDrawStyle)
        .Default(sdsDefaultEh);
}

// ---------------------------------------------------------------- creation

TCustomDBImageEh::TCustomDBImageEh(TComponent* AOwner) : TCustomControlEh(AOwner)
{
    ControlStyle = ControlStyle | TControlStyle{csCaptureMouse, csOpaque, csReplicatable, csNeedsBorderPaint};
    FWidth = 100;
    FHeight = 100;
    FTabStop = true;
    FParentColor = false;
    DoubleBuffered = true;
}

void TCustomDBImageEh::AfterConstruction()
{
    TCustomControlEh::AfterConstruction();
    FPicture = new TPictureEh;
    FPicture->OnChange = TNotifyEvent(this, &TCustomDBImageEh::PictureChanged);
    FDataLink = new TFieldDataLinkEh;
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBImageEh::DataChange);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBImageEh::UpdateData);
    FDynProps = new TDynVarsEh(this);
    FEditButton = CreateEditButton();
    FEditButton->OnChanged = TNotifyEvent(this, &TCustomDBImageEh::EditButtonChanged);
    FEditButton->OnRefComponentChanged =
        TRefComponentNotifyEventEh(this, &TCustomDBImageEh::EditButtonRefComponentChanged);
    FEditButtonControl = CreateEditButtonControl();
    FEditButtonControl->SetParent(this);
    EditButtonControlLineRec.EditButton = FEditButton;
    EditButtonControlLineRec.EditButtonControl = FEditButtonControl;
    UpdateEditButtonControl();
    FControlLabel = Create<TControlLabelEh>(this);
    FControlLabel->FreeNotification(this);
    FControlLabel->SetFocusControl(this);
    FControlLabelLocation = new TControlLabelLocationEh(this);
}

TCustomDBImageEh::~TCustomDBImageEh()
{
    delete FControlLabelLocation;
    delete FEditButton;
    delete FDynProps;
    delete FDataLink;
    delete FPicture;
}

TEditButtonEh* TCustomDBImageEh::CreateEditButton() { return new TEditButtonEh(this); }

TEditButtonControlEh* TCustomDBImageEh::CreateEditButtonControl()
{
    auto* c = Create<TEditButtonControlEh>(this);
    c->ControlStyle = c->ControlStyle | TControlStyle{csReplicatable};
    c->SetBounds(0, 0, 10, 17);
    c->SetVisible(true);
    return c;
}

void TCustomDBImageEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControlEh::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FControlLabel)
        FControlLabel = nullptr;
    if (FDataLink && AComponent == DataSource())
        SetDataSource(nullptr);
    if (FEditButton && !ComponentState().Contains(csDestroying)) {
        TEditButtonImagesEh* images = FEditButton->Images();
        if (images->NormalImages() == AComponent)
            images->SetNormalImages(nullptr);
        if (images->HotImages() == AComponent)
            images->SetHotImages(nullptr);
        if (images->PressedImages() == AComponent)
            images->SetPressedImages(nullptr);
        if (images->DisabledImages() == AComponent)
            images->SetDisabledImages(nullptr);
    }
}

// ---------------------------------------------------------------- data

TDataSource* TCustomDBImageEh::DataSource() const { return FDataLink->DataSource(); }

void TCustomDBImageEh::SetDataSource(TDataSource* Value)
{
    if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
        FDataLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

QString TCustomDBImageEh::DataField() const { return FDataLink->FieldName(); }
void TCustomDBImageEh::SetDataField(const QString& Value) { FDataLink->SetFieldName(Value); }
TField* TCustomDBImageEh::Field() const { return FDataLink->Field(); }

bool TCustomDBImageEh::CanModify() const { return !FReadOnly && FDataLink->CanModify(); }

bool TCustomDBImageEh::IsDataActive() { return Enabled() && FDataLink->Active(); }

bool TCustomDBImageEh::IsPictureStored() const { return FDataLink->DataIndepended(); }

void TCustomDBImageEh::DataChange(TObject*)
{
    FPicture->Assign(nullptr);
    FPictureLoaded = false;
    if (FAutoDisplay)
        LoadPicture();
    if (FControlLabel)
        FControlLabel->UpdateCaption();
}

void TCustomDBImageEh::PictureChanged(TObject*)
{
    if (FPictureLoaded)
        FDataLink->Modified();
    FPictureLoaded = true;
    Invalidate();
}

void TCustomDBImageEh::UpdateData(TObject*)
{
    if (FDataLink->DataIndepended())
        return;
    TField* f = Field();
    if (!f)
        return;
    if (FPicture->HasImage())
        f->Assign(FPicture->Graphic());
    else
        f->Clear();
}

void TCustomDBImageEh::LoadPicture()
{
    if (FPictureLoaded)
        return;
    TField* f = Field();
    if (f && !dynamic_cast<TBlobField*>(f))
        return;
    AssignBlobFieldToPicture(f, FPicture);
    ResetZoom();
    ResetPos();
}

// ---------------------------------------------------------------- properties

void TCustomDBImageEh::SetAutoDisplay(bool Value)
{
    if (FAutoDisplay == Value)
        return;
    FAutoDisplay = Value;
    if (Value)
        LoadPicture();
}

void TCustomDBImageEh::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomDBImageEh::SetPicturePlacement(TImagePlacementEh Value)
{
    if (FPicturePlacement == Value)
        return;
    FPicturePlacement = Value;
    Invalidate();
}

void TCustomDBImageEh::SetSelectionDrawStyle(TSelectionDrawStyleEh Value)
{
    if (FSelectionDrawStyle == Value)
        return;
    FSelectionDrawStyle = Value;
    Invalidate();
}

void TCustomDBImageEh::SetZoom(int Value)
{
    if (FZoom == Value)
        return;
    FZoom = std::max(0, Value);
    Invalidate();
}

void TCustomDBImageEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
void TCustomDBImageEh::SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }

// ---------------------------------------------------------------- zoom and pan

void TCustomDBImageEh::TemporaryZoomTo(int ZoomPercent)
{
    SetZoom(ZoomPercent);
    FZoomIsTemporary = true;
}

void TCustomDBImageEh::TemporaryMoveImageTo(TPoint Pos)
{
    FImagePos = Pos;
    Invalidate();
}

void TCustomDBImageEh::ResetZoom() { SetZoom(100); }

void TCustomDBImageEh::ResetPos()
{
    FImagePos = TPoint(0, 0);
    Invalidate();
}

TRect TCustomDBImageEh::ScaleRect(const TRect& ARect, int ScalePercent)
{
    // 64-bit products: a large zoom of a large rectangle must not wrap.
    const auto scale = [ScalePercent](int v) {
        return int(std::clamp<int64_t>(int64_t(ScalePercent) * v / 100, INT_MIN, INT_MAX));
    };
    return TRect(ARect.Left, ARect.Top, scale(ARect.Right), scale(ARect.Bottom));
}

TSelectionDrawStyleEh TCustomDBImageEh::ActualSelectionDrawStyle()
{
    switch (FSelectionDrawStyle) {
    case sdsDefaultEh: return sdsFramedEh;
    case sdsThemedEh: return StyleServicesEnabled() ? sdsThemedEh : sdsFramedEh;
    default: return FSelectionDrawStyle;
    }
}

// ---------------------------------------------------------------- painting

QString TCustomDBImageEh::PlaceholderText() const
{
    if (TField* f = Field())
        return f->DisplayLabel();
    return Name();
}

void TCustomDBImageEh::Paint()
{
    TCanvas* c = Canvas();
    const TRect client = ClientRect();
    const TSelectionDrawStyleEh style = ActualSelectionDrawStyle();
    const bool paintCopy = ControlState.Contains(csPaintCopy);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    if (Focused() && (style == sdsThemedEh || style == sdsClassicEh))
        c->Brush()->SetColor(clHighlight);
    c->FillRect(client);

    if (FPictureLoaded || paintCopy) {
        TPictureEh pic;
        if (paintCopy && dynamic_cast<TBlobField*>(Field()))
            AssignBlobFieldToPicture(Field(), &pic);
        else
            pic.Assign(FPicture);
        TRect r = client;
        TImagePlacementEh placement = FPicturePlacement;
        if (FZoom != 100) {
            r = ScaleRect(pic.GetDestRect(r, placement), FZoom);
            placement = ipFitEh;
        }
        OffsetRect(r, FImagePos.X, FImagePos.Y);
        pic.PaintTo(c, r, placement, TPoint(0, 0), client);
    } else {
        c->Font()->Assign(Font());
        c->Brush()->SetStyle(bsClear);
        TRect r = client;
        QString text = QStringLiteral("(") + PlaceholderText() + QStringLiteral(")");
        c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine, tfNoPrefix});
    }

    if (style == sdsFramedEh && !paintCopy && !ComponentState().Contains(csDesigning)) {
        TCustomForm* form = GetParentForm();
        if (form && form->ActiveControl() == this) {
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(clWindowFrame);
            c->FrameRect(client);
        }
    }
}

// ---------------------------------------------------------------- window

void TCustomDBImageEh::CreateParams(TCreateParams& Params)
{
    TCustomControlEh::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (FBorderStyle == bsSingle) {
        Params.Style &= ~WS_BORDER;
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
}

void TCustomDBImageEh::CreateWnd()
{
    TCustomControlEh::CreateWnd();
    UpdateEditButtonControl();
    UpdateEditButtonState();
}

void TCustomDBImageEh::WMSize(TMessage& M)
{
    TCustomControlEh::WMSize(M);
    UpdateEditButtonControl();
}

void TCustomDBImageEh::WMNCCalcSize(TMessage& M)
{
    if (FBorderStyle == bsSingle)
        InflateRect(*reinterpret_cast<TRect*>(M.LParam), -2, -2);
}

void TCustomDBImageEh::WMNCPaint(TMessage& M)
{
    if (FBorderStyle != bsSingle)
        return;
    TRect r(0, 0, Width(), Height());
    DrawEdge(reinterpret_cast<HDC>(M.LParam), r, EDGE_SUNKEN, BF_RECT);
}

void TCustomDBImageEh::CMTextChanged(TMessage& M)
{
    TCustomControlEh::CMTextChanged(M);
    if (!FPictureLoaded)
        Invalidate();
}

void TCustomDBImageEh::CMVisibleChanged(TMessage& M)
{
    TCustomControlEh::CMVisibleChanged(M);
    if (FControlLabel)
        FControlLabel->UpdateVisibility();
}

void TCustomDBImageEh::CMWantSpecialKey(TMessage& M)
{
    // Enter and Esc stay here while they have work to do (a picture to load, a change to drop);
    // otherwise they go on to the form's default and cancel buttons.
    if (M.WParam == VK_RETURN)
        M.Result = !FPictureLoaded;
    else if (M.WParam == VK_ESCAPE)
        M.Result = FDataLink->IsModified();
    else
        TCustomControlEh::CMWantSpecialKey(M);
}

void TCustomDBImageEh::CMBiDiModeChanged(TMessage& M)
{
    TCustomControlEh::CMBiDiModeChanged(M);
    if (FControlLabel)
        FControlLabel->SetBiDiMode(BiDiMode());
}

void TCustomDBImageEh::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case CM_GETDATALINK: Message.Result = LRESULT(FDataLink); return;
    default: break;
    }
    TCustomControlEh::WndProc(Message);
}

// ---------------------------------------------------------------- label

QString TCustomDBImageEh::GetControlLabelCaption()
{
    if (TField* f = Field())
        return f->DisplayName();
    return Name();
}

int TCustomDBImageEh::GetControlTextBaseLine()
{
    // New-style 3-D controls: the font's height and the client edge; needs no window.
    return MeasureCanvasEh(Font())->TextHeight(QStringLiteral("Wg")) + 2 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TCustomDBImageEh::AdjustLabelBounds()
{
    if (!FControlLabel || !FControlLabelLocation)
        return;
    TPoint pos;
    FControlLabelLocation->CalcLabelPosForControl(FControlLabel->Width(), FControlLabel->Height(), pos);
    FControlLabel->SetBounds(pos.X, pos.Y, FControlLabel->Width(), FControlLabel->Height());
}

void TCustomDBImageEh::LabelLocationChanged()
{
    if (!ComponentState().Contains(csLoading))
        AdjustLabelBounds();
}

void TCustomDBImageEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomControlEh::SetBounds(ALeft, ATop, AWidth, AHeight);
    AdjustLabelBounds();
}

void TCustomDBImageEh::SetParent(TWinControl* AParent)
{
    TCustomControlEh::SetParent(AParent);
    if (FControlLabel) {
        FControlLabel->SetParent(AParent);
        FControlLabel->UpdateVisibility();
        FControlLabel->UpdateCaption();
    }
}

// ---------------------------------------------------------------- keyboard and mouse

void TCustomDBImageEh::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControlEh::KeyDown(Key, Shift);
    if (Key == VK_INSERT && Shift.Contains(ssShift))
        PasteFromClipboard();
    else if (Key == VK_INSERT && Shift.Contains(ssCtrl))
        CopyToClipboard();
    else if (Key == VK_DELETE && Shift.Contains(ssShift))
        CutToClipboard();
}

void TCustomDBImageEh::KeyPress(QChar& Key)
{
    TCustomControlEh::KeyPress(Key);
    switch (Key.unicode()) {
    case 3: CopyToClipboard(); break;
    case 22: PasteFromClipboard(); break;
    case 24: CutToClipboard(); break;
    case 13: LoadPicture(); break;
    case 27: FDataLink->Reset(); break;
    default: break;
    }
}

void TCustomDBImageEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && TabStop() && CanFocus() && !Focused())
        SetFocus();
    FMouseDownPos = TPoint(X, Y);
    FImageMouseDownPos = FImagePos;
    TCustomControlEh::MouseDown(Button, Shift, X, Y);
}

void TCustomDBImageEh::MouseMove(TShiftState Shift, int X, int Y)
{
    if (MouseCapture())
        TemporaryMoveImageTo(TPoint(X + FImageMouseDownPos.X - FMouseDownPos.X,
                                    Y + FImageMouseDownPos.Y - FMouseDownPos.Y));
    TCustomControlEh::MouseMove(Shift, X, Y);
}

bool TCustomDBImageEh::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControlEh::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (!FZoomAllowed)
        return false;
    TemporaryZoomTo(WheelDelta < 1 ? FZoom - 10 : FZoom + 10);
    return true;
}

void TCustomDBImageEh::DblClick()
{
    LoadPicture();
    TCustomControlEh::DblClick();
}

void TCustomDBImageEh::DoEnter()
{
    Invalidate();
    TCustomControlEh::DoEnter();
}

void TCustomDBImageEh::DoExit()
{
    TDataSet* ds = FDataLink->DataSet();
    if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        // A record that cannot be written keeps the user here.
        auto back = OnFailure([this] { SetFocus(); });
        FDataLink->UpdateRecord();
    }
    Invalidate();
    TCustomControlEh::DoExit();
}

// ---------------------------------------------------------------- clipboard

void TCustomDBImageEh::CopyToClipboard()
{
    if (FPicture->HasImage())
        Clipboard()->Assign(FPicture);
}

void TCustomDBImageEh::CutToClipboard()
{
    if (FPicture->HasImage() && CanModify() && FDataLink->Edit()) {
        CopyToClipboard();
        FPicture->Assign(nullptr);
    }
}

void TCustomDBImageEh::PasteFromClipboard()
{
    if (Clipboard()->HasFormat(CF_BITMAP) && CanModify() && FDataLink->Edit())
        FPicture->Bitmap()->Assign(Clipboard());
}

// ---------------------------------------------------------------- popup menu

TPopupMenu* TCustomDBImageEh::GetPopupMenu()
{
    if (TPopupMenu* m = TCustomControlEh::GetPopupMenu())
        return m;
    if (ComponentState().Contains(csDestroying))
        return nullptr;
    return GetSystemPopupMenu();
}

TPopupMenu* TCustomDBImageEh::GetSystemPopupMenu()
{
    if (!FSystemPopupMenu)
        FSystemPopupMenu = Create<TPopupMenu>(this);
    FormPopupMenu(FSystemPopupMenu);
    return FSystemPopupMenu;
}

void TCustomDBImageEh::FormPopupMenu(TPopupMenu* Menu)
{
    TMenuItem* root = Menu->Items();
    while (root->Count() > 0)
        delete root->Items(root->Count() - 1);
    if (DBImageEhPopupMenuHook)
        DBImageEhPopupMenuHook(this, Menu);
}

void TCustomDBImageEh::AddMenuItem(TPopupMenu* Menu, const QString& Caption,
                                   void (TCustomDBImageEh::*Handler)(TObject*))
{
    auto* item = Create<TMenuItem>(Menu);
    item->Caption = Caption;
    if (Handler)
        item->OnClick = TNotifyEvent(this, Handler);
    Menu->Items()->Add(item);
}

void FillDBImagePopupMenu(TCustomDBImageEh* Image, TPopupMenu* Menu)
{
    const bool canModify = Image->CanModify();
    if (canModify)
        Image->AddMenuItem(Menu, QStringLiteral("Cut"), &TCustomDBImageEh::MenuItemCut);
    Image->AddMenuItem(Menu, QStringLiteral("Copy"), &TCustomDBImageEh::MenuItemCopy);
    if (canModify && Clipboard()->HasFormat(CF_BITMAP))
        Image->AddMenuItem(Menu, QStringLiteral("Paste"), &TCustomDBImageEh::MenuItemPaste);
    if (canModify)
        Image->AddMenuItem(Menu, QStringLiteral("Delete"), &TCustomDBImageEh::MenuItemDelete);
    Image->AddMenuItem(Menu, QStringLiteral("-"), nullptr);
    if (canModify)
        Image->AddMenuItem(Menu, QStringLiteral("Load..."), &TCustomDBImageEh::MenuItemLoad);
    if (Image->Picture()->HasImage())
        Image->AddMenuItem(Menu, QStringLiteral("Save..."), &TCustomDBImageEh::MenuItemSave);
    Image->AddMenuItem(Menu, QStringLiteral("-"), nullptr);
    Image->AddMenuItem(Menu, QStringLiteral("Default Pos (Enter)"), &TCustomDBImageEh::MenuItemDefaultZoom);
}

void TCustomDBImageEh::MenuItemCopy(TObject*) { CopyToClipboard(); }
void TCustomDBImageEh::MenuItemCut(TObject*) { CutToClipboard(); }
void TCustomDBImageEh::MenuItemPaste(TObject*) { PasteFromClipboard(); }

void TCustomDBImageEh::MenuItemDelete(TObject*)
{
    // The field follows when the record is written (the link was told of the change).
    if (CanModify() && FDataLink->Edit())
        FPicture->Assign(nullptr);
}

void TCustomDBImageEh::MenuItemDefaultZoom(TObject*)
{
    ResetZoom();
    ResetPos();
}

void TCustomDBImageEh::MenuItemLoad(TObject*)
{
    std::unique_ptr<TOpenPictureDialog> dlg(Create<TOpenPictureDialog>(nullptr));
    dlg->SetTitle(QStringLiteral("Load Picture"));
    if (!dlg->Execute() || !CanModify() || !FDataLink->Edit())
        return;
    FPicture->LoadFromFile(dlg->FileName());
    UpdateData(this);
}

void TCustomDBImageEh::MenuItemSave(TObject*)
{
    if (!FPicture->HasImage())
        return;
    std::unique_ptr<TSavePictureDialog> dlg(Create<TSavePictureDialog>(nullptr));
    dlg->SetTitle(QStringLiteral("Save Picture As"));
    const TGraphicClass cls = &FPicture->Graphic()->ClassInfo();
    dlg->SetDefaultExt(GraphicExtension(cls));
    dlg->SetFilter(GraphicFilter(cls));
    if (dlg->Execute())
        FPicture->SaveToFile(dlg->FileName());
}

// ---------------------------------------------------------------- edit button

void TCustomDBImageEh::UpdateEditButtonControl()
{
    if (!FEditButtonControl)
        return;
    int rowHeight = INT_MAX;
    LayoutEditButtonLine(EditButtonControlLineRec, 0, false, rowHeight, 16);
    FEditButtonControl->OnDown = TButtonDownEventEh(this, &TCustomDBImageEh::EditButtonDown);
    FEditButtonControl->OnClick = TNotifyEvent(this, &TCustomDBImageEh::EditButtonClick);
    FEditButtonControl->OnMouseMove = TMouseMoveEvent(this, &TCustomDBImageEh::EditButtonMouseMove);
    FEditButtonControl->OnMouseUp = TMouseEvent(this, &TCustomDBImageEh::EditButtonMouseUp);
    FEditButtonControl->SetTag(0);
    if (rowHeight != INT_MAX) {
        const TRect client = ClientRect();
        const int w = FEditButtonControl->Width();
        FEditButtonControl->SetBounds(client.Right - w - 2, client.Top + 2, w, rowHeight);
    }
}

void TCustomDBImageEh::UpdateEditButtonState()
{
    if (!FEditButtonControl)
        return;
    FEditButtonControl->SetEnabled(Enabled() ? FEditButton->Enabled() : IsDataActive());
    FEditButton->SetParentDefinedDefaultAction(!FEditButton->OnClick() && !FEditButton->OnDown() &&
                                               !FEditButton->DropDownFormParams()->DropDownForm() &&
                                               FEditButton->DropDownFormParams()->DropDownFormClassName().isEmpty());
}

void TCustomDBImageEh::EditButtonChanged(TObject*)
{
    if (!HandleAllocated())
        return;
    UpdateEditButtonControl();
    UpdateEditButtonState();
    Invalidate();
}

void TCustomDBImageEh::EditButtonRefComponentChanged(TObject*, TComponent* RefComponent)
{
    Invalidate();
    if (!RefComponent)
        return;
    TEditButtonImagesEh* images = FEditButton->Images();
    for (TCustomImageList* list :
         {images->NormalImages(), images->HotImages(), images->PressedImages(), images->DisabledImages()})
        if (list && static_cast<TComponent*>(list) == RefComponent)
            RefComponent->FreeNotification(this);
}

void TCustomDBImageEh::SetDropDownState(bool Value)
{
    FDroppedDown = Value;
    if (FEditButtonControl)
        FEditButtonControl->SetAlwaysDown(Value);
}

void TCustomDBImageEh::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    if (CanFocus() && !Focused())
        SetFocus();
    Handled = false;
    if (Sender != FEditButtonControl || !FEditButtonControl->Enabled())
        return;
    if (OnButtonDown)
        OnButtonDown(this, TopButton, AutoRepeat, Handled);
    if (!Handled)
        ShowImageDropDownForm(Handled);
    if (!Handled && FEditButton->DefaultAction() && DBImageEhDefaultActionHook)
        DBImageEhDefaultActionHook(this, FEditButton, FEditButtonControl, Handled, true);
}

void TCustomDBImageEh::EditButtonClick(TObject* Sender)
{
    if (Sender != FEditButtonControl)
        return;
    bool handled = false;
    FEditButton->Click(this, handled);
    if (!handled && OnButtonClick)
        OnButtonClick(this, handled);
    if (!handled && FDroppedDown && !FNoClickCloseUp)
        CloseUp(false);
    if (!handled && FEditButton->DefaultAction() && DBImageEhDefaultActionHook)
        DBImageEhDefaultActionHook(this, FEditButton, FEditButtonControl, handled, false);
}

void TCustomDBImageEh::EditButtonMouseUp(TObject*, TMouseButton, TShiftState, int X, int Y)
{
    if (!FEditButtonControl)
        return;
    if (!PtInRect(FEditButtonControl->ClientRect(), TPoint(X, Y)))
        FNoClickCloseUp = false;
}

void TCustomDBImageEh::CloseUp(bool) { SetDropDownState(false); }

void TCustomDBImageEh::ShowImageDropDownForm(bool& Handled)
{
    ShowEditButtonDropDownForm(this, FDataLink, Field(), Handled,
                               TDropDownFormCallbackProcEh(this, &TCustomDBImageEh::CloseDropDownForm),
                               OnOpenDropDownForm, FEditButtonControl, FEditButton, Variant(Text()));
    if (Handled && FEditButtonControl->AlwaysDown())
        FDroppedDown = true;
}

void TCustomDBImageEh::CloseDropDownForm(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                         TDropDownFormSysParams* SysParams)
{
    SetDropDownState(false);
    CloseEditButtonDropDownForm(this, FDataLink, DropDownForm, OnCloseDropDownForm,
                                TSetVarValueProcEh(this, &TCustomDBImageEh::IgnoreFormValue), SysParams, DynParams,
                                Accept, !CanModify());
}

// ---------------------------------------------------------------- default action

void DefaultDBImageEditButtonAction(TControl* EditControl, TEditButtonEh* EditButton,
                                    TEditButtonControlEh* EditButtonControl, bool& Handled, bool FromDown)
{
    auto* image = dynamic_cast<TCustomDBImageEh*>(EditControl);
    if (!image || !EditButton)
        return;
    const TEditButtonStyleEh style = EditButton->Style();
    if ((style == ebsDropDownEh || style == ebsAltUpDownEh) && FromDown) {
        TPopupMenu* menu = EditButton->DropdownMenu();
        if (!menu && !EditButton->Action())
            menu = image->GetPopupMenu();
        if (!menu || !EditButtonControl)
            return;
        TPoint p = EditButtonControl->ClientToScreen(
            TPoint(menu->Alignment == paRight ? EditButtonControl->Width() : 0, EditButtonControl->Height()));
        menu->PopupComponent = image;
        menu->Popup(p.X, p.Y);
        LeftClickPending(EditButtonControl);
        EditButtonControl->Perform(WM_LBUTTONUP, 0, 0);
        Handled = true;
    } else if (style == ebsEllipsisEh && !FromDown) {
        if (!EditPictureHook)
            return;
        TPicture edited;
        edited.Assign(image->Picture()->Graphic());
        if (EditPictureHook(&edited) && image->CanModify() && image->DataLink()->Edit()) {
            image->Picture()->Assign(&edited);
            image->UpdateData(image);
        }
    }
}
