// The axis grid: construction, the update and layout locks, the rebuild of the bars from the
// dataset, properties, timer and the window messages the grid handles itself.
#include "DBAxisGridsEh_Grid.h"

#include "DBAxisGridsEh_CellParams.h"
#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Draw.h"
#include "DBAxisGridsEh_Inplace.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"
#include "platform/winapi/WinUser.h"

DOV_PUBLISHED(TCustomDBAxisGridEh) {}

// ---------------------------------------------------------------- construction

TCustomDBAxisGridEh::TCustomDBAxisGridEh(TComponent* AOwner) : TCustomGridEh(AOwner)
{
    FAllowedOperations = TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
}

void TCustomDBAxisGridEh::AfterConstruction()
{
    TCustomGridEh::AfterConstruction();
    FAcquireFocus = true;
    FColumnDefValues = CreateAxisBarDefValues();
    FAxisBars = CreateAxisBars();
    FVisibleAxisBars = new TAxisBarsEhList();
    SetRowCount(2);
    SetColCount(2);
    FDataLink = CreateDataLink();
    SetColor(clWindow);
    SetParentColor(false);
    FUserChange = true;
    FDefaultDrawing = true;
    FInterlinear = 4;
    FColCellParamsEh = CreateColCellParams();
    FDummiFont = new TFont();
    FDynProps = Create<TDynVarsEh>(this);
    FBorder = Create<TControlBorderEh>(this);
}

TCustomDBAxisGridEh::~TCustomDBAxisGridEh()
{
    Destroying();
    // Detach first, so no notification of the link reaches bars that are being freed.
    SetDataSource(nullptr);
    FIntMemTable = nullptr;
    delete FColCellParamsEh;
    FColCellParamsEh = nullptr;
    delete FAxisBars;
    FAxisBars = nullptr;
    delete FColumnDefValues;
    FColumnDefValues = nullptr;
    delete FVisibleAxisBars;
    FVisibleAxisBars = nullptr;
    delete FDataLink;
    FDataLink = nullptr;
    delete FDynProps;
    FDynProps = nullptr;
    delete FBorder;
    FBorder = nullptr;
    delete FEditButtonsBox;
    FEditButtonsBox = nullptr;
    delete FHintFont;
    FHintFont = nullptr;
    delete FDummiFont;
    FDummiFont = nullptr;
}

bool TCustomDBAxisGridEh::BeingDestroyed() const { return ComponentState().Contains(csDestroying); }
bool TCustomDBAxisGridEh::IsLoading() const { return ComponentState().Contains(csLoading); }

// ---------------------------------------------------------------- update and layout locks

void TCustomDBAxisGridEh::BeginUpdate()
{
    if (FUpdateLock == 0)
        FLayoutChangedInUpdateLock = false;
    ++FUpdateLock;
}

void TCustomDBAxisGridEh::EndUpdate()
{
    if (FUpdateLock > 0)
        --FUpdateLock;
    if (FUpdateLock == 0 && FLayoutChangedInUpdateLock && !BeingDestroyed()) {
        LayoutChanged();
        FLayoutChangedInUpdateLock = false;
    }
}

void TCustomDBAxisGridEh::BeginLayout()
{
    BeginUpdate();
    if (FLayoutLock == 0 && FAxisBars)
        FAxisBars->BeginUpdate();
    ++FLayoutLock;
}

void TCustomDBAxisGridEh::EndLayout()
{
    if (FLayoutLock == 0)
        return;
    // A failed rebuild still leaves both counters and the bars' update balanced.
    auto release = Finally([this] {
        if (FLayoutLock == 1) {
            if (FAxisBars)
                FAxisBars->EndUpdate();
            FLayoutChangedInUpdateLock = false;
        }
        if (FLayoutLock > 0)
            --FLayoutLock;
        EndUpdate();
        UpdateBoundaries();
    });
    if (FLayoutLock == 1)
        InternalLayout();
}

bool TCustomDBAxisGridEh::TryBeginLayout()
{
    if (FUpdateLock != 0 || FLayoutLock != 0)
        return false;
    BeginLayout();
    return true;
}

void TCustomDBAxisGridEh::LayoutChanged()
{
    if (TryBeginLayout())
        EndLayout();
    else if (FUpdateLock > 0 && FLayoutLock == 0)
        FLayoutChangedInUpdateLock = true;
}

void TCustomDBAxisGridEh::EndLayoutNoNotify()
{
    if (FLayoutLock == 0)
        return;
    if (FLayoutLock == 1 && FAxisBars)
        FAxisBars->EndUpdate();
    --FLayoutLock;
    EndUpdate();
}

void TCustomDBAxisGridEh::PostDeferredLayout()
{
    if (!HandleAllocated())
        return;
    TMsg msg{};
    if (PeekMessage(msg, HandleIfAllocated(), WM_DEFERREDLAYOUT_EH, WM_DEFERREDLAYOUT_EH, PM_NOREMOVE))
        return;
    PostMessage(HandleIfAllocated(), WM_DEFERREDLAYOUT_EH, WPARAM(GetActiveDropDownListbox()), 0);
}

// Releases the one layout lock (with its update lock) that the caller took, and leaves the
// rebuild to the message queue.
void TCustomDBAxisGridEh::EndLayoutDeferred()
{
    PostDeferredLayout();
    EndLayoutNoNotify();
}

void TCustomDBAxisGridEh::WMDeferredLayout(TMessage&)
{
    // The message holds no lock of its own: while someone else holds one, ask again later.
    if (TryBeginLayout())
        EndLayout();
    else
        PostDeferredLayout();
}

// ---------------------------------------------------------------- rebuilding the bars

void TCustomDBAxisGridEh::InternalLayout()
{
    if (IsLoading() || BeingDestroyed())
        return;
    // The rebuild in progress satisfies a request still waiting in the queue.
    if (HandleAllocated()) {
        TMsg msg{};
        while (PeekMessage(msg, HandleIfAllocated(), WM_DEFERREDLAYOUT_EH, WM_DEFERREDLAYOUT_EH, PM_REMOVE)) {
        }
    }
    LockPaint();
    auto unlock = Finally([this] { UnlockPaint(); });

    // Automatic bars placed before a stored one: the collection is no longer a default one.
    bool seenAuto = false;
    for (int i = 0; i < FAxisBars->Count(); ++i) {
        TAxisBarEh* bar = FAxisBars->Items(i);
        if (!bar->Stored()) {
            seenAuto = true;
        } else if (seenAuto) {
            for (int j = FAxisBars->Count() - 1; j >= 0; --j)
                if (!FAxisBars->Items(j)->Stored())
                    delete FAxisBars->Items(j);
            break;
        }
    }

    FDataLink->ClearMapping();
    if (FDataLink->Active())
        DefineFieldMap();

    const bool bind = FDataLink->Active() || !FDataLink->DefaultFields();
    if (FAxisBars->State() == csCustomized) {
        for (int i = 0; i < FAxisBars->Count(); ++i) {
            TAxisBarEh* bar = FAxisBars->Items(i);
            if (bind)
                bar->BindField();
            else
                bar->SetField(nullptr);
        }
    } else {
        if (bind) {
            for (int i = FAxisBars->Count() - 1; i >= 0; --i) {
                TAxisBarEh* bar = FAxisBars->Items(i);
                TField* f = bar->Field();
                bool mapped = false;
                for (int k = 0; f && k < FDataLink->FieldCount() && !mapped; ++k)
                    mapped = FDataLink->GetFields(k) == f;
                if (!mapped)
                    delete bar;
            }
        } else {
            FAxisBars->Clear();
        }
        int positions = FDataLink->FieldCount();
        if (positions == 0 && FAxisBars->Count() == 0)
            positions = 1;
        for (int i = 0; i < positions; ++i) {
            TField* f = FDataLink->GetFields(i);
            TAxisBarEh* bar = nullptr;
            if (f) {
                for (int j = i; j < FAxisBars->Count() && !bar; ++j)
                    if (FAxisBars->Items(j)->Field() == f)
                        bar = FAxisBars->Items(j);
                if (!bar) {
                    bar = FAxisBars->AddDefaultBar();
                    bar->SetField(f);
                }
            } else {
                bar = FAxisBars->AddDefaultBar();
            }
            bar->SetIndex(i);
        }
    }
    FVisibleAxisBars->Clear();
}

void TCustomDBAxisGridEh::DefineFieldMap()
{
    if (FAxisBars->State() == csCustomized) {
        FDataLink->SetSparseMap(true);
        for (int i = 0; i < FAxisBars->Count(); ++i)
            FDataLink->AddMapping(FAxisBars->Items(i)->FieldName());
    } else {
        FDataLink->SetSparseMap(false);
        TDataSet* ds = FDataLink->DataSet();
        for (int i = 0; i < ds->Fields()->Count(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            if (f->Visible())
                FDataLink->AddMapping(f->FieldName());
        }
    }
}

void TCustomDBAxisGridEh::GetBarFieldList(std::vector<TField*>& List)
{
    if (TDataSet* ds = FDataLink->DataSet())
        for (int i = 0; i < ds->Fields()->Count(); ++i)
            List.push_back(ds->Fields()->Fields(i));
}

// ---------------------------------------------------------------- properties

void TCustomDBAxisGridEh::SetAllowedOperations(TDBGridEhAllowedOperations Value)
{
    if (FAllowedOperations == Value)
        return;
    FAllowedOperations = Value;
    if (!BeingDestroyed())
        FDataLink->LayoutChanged();
}

void TCustomDBAxisGridEh::SetAxisBars(TGridAxisBarsEh* Value) { FAxisBars->Assign(Value); }
void TCustomDBAxisGridEh::SetAxisBarDefValues(TAxisBarDefValuesEh* Value) { FColumnDefValues->Assign(Value); }
void TCustomDBAxisGridEh::SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
void TCustomDBAxisGridEh::SetBorder(TControlBorderEh* Value) { FBorder->Assign(Value); }

void TCustomDBAxisGridEh::SetReadOnly(bool Value)
{
    if (FReadOnly == Value)
        return;
    FReadOnly = Value;
    DataChanged();
    UpdateColWidths();
}

void TCustomDBAxisGridEh::SetDrawMemoText(bool Value)
{
    if (FDrawMemoText == Value)
        return;
    FDrawMemoText = Value;
    LayoutChanged();
}

void TCustomDBAxisGridEh::SetDrawGraphicData(bool Value)
{
    if (FDrawGraphicData == Value)
        return;
    FDrawGraphicData = Value;
    LayoutChanged();
}

// ---------------------------------------------------------------- timer 1

void TCustomDBAxisGridEh::StartTimer(int Interval)
{
    if (!FTimerActive) {
        SetTimer(Handle(), 1, UINT(Interval));
    } else if (Interval != FTimerInterval) {
        KillTimer(Handle(), 1);
        SetTimer(Handle(), 1, UINT(Interval));
        FTimerInterval = Interval;
    }
    FTimerActive = true;
}

void TCustomDBAxisGridEh::StopTimer()
{
    if (FTimerActive && HandleAllocated())
        KillTimer(HandleIfAllocated(), 1);
    FTimerActive = false;
    FTimerInterval = -1;
}

// ---------------------------------------------------------------- small operations

void TCustomDBAxisGridEh::Invalidate()
{
    if (BeingDestroyed())
        return;
    TCustomGridEh::Invalidate();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

bool TCustomDBAxisGridEh::IsMouseInRect(const TRect& ARect)
{
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    return PtInRect(ARect, p);
}

bool TCustomDBAxisGridEh::InplaceEditorVisible() { return InplaceEditor() && InplaceEditor()->Visible(); }

TDBAxisGridEhCenter* TCustomDBAxisGridEh::GetCenter() { return DBAxisGridEhDefaultCenter(); }

void TCustomDBAxisGridEh::SetFocus() { TCustomGridEh::SetFocus(); }

TSortMarkerStyleEh TCustomDBAxisGridEh::GetSortMarkerStyle() { return smstDefaultEh; }
TAlignment TCustomDBAxisGridEh::GetDefaultTitleAlignment() { return taLeftJustify; }
TColor TCustomDBAxisGridEh::GetDefaultTitleColor() { return FixedColor(); }

TColor TCustomDBAxisGridEh::GetGrayHighlightColor() { return GrayColor(clHighlight); }

QString TCustomDBAxisGridEh::GetAxisBarsPropertyName() { return QStringLiteral("<Define property Name>"); }
bool TCustomDBAxisGridEh::IsFixed3D() { return true; }

void TCustomDBAxisGridEh::GetThemeTitleFillRect(TRect& ARect, bool IncVert, bool IncHorz)
{
    if (IncHorz)
        ARect.Bottom += 2;
    if (IncVert)
        ARect.Right += 2;
}

bool TCustomDBAxisGridEh::IsCustomStyleActive() { return false; }
TAxisBarEh* TCustomDBAxisGridEh::GetTitleAxisBarAt(int, int) { return nullptr; }
TWinControl* TCustomDBAxisGridEh::GetActiveDropDownListbox() { return nullptr; }
void TCustomDBAxisGridEh::ResetBarLookupValues(TAxisBarEh*) {}
int TCustomDBAxisGridEh::GetCellTreeElmentsAreaWidth() { return 0; }
bool TCustomDBAxisGridEh::CellHave3DFrame(int ACol, int ARow, TGridDrawState, const TRect&)
{
    return ACol < FixedColCount() || ARow < FixedRowCount();
}
void TCustomDBAxisGridEh::GetAxisBarCurrentCell(TAxisBarEh*, int& ACol, int& ARow)
{
    ACol = Col();
    ARow = Row();
}
int TCustomDBAxisGridEh::GetEditorTextIndent(TAxisBarEh*) { return 3; }
void TCustomDBAxisGridEh::AxisBarRemoving(TAxisBarEh*) {}
void TCustomDBAxisGridEh::DataChanged() {}
void TCustomDBAxisGridEh::DataSetScrolled(int) {}
void TCustomDBAxisGridEh::UpdateColWidths() {}
void TCustomDBAxisGridEh::UpdateActiveRow() {}
void TCustomDBAxisGridEh::GetCellParams(TAxisBarEh*, TFont*, TColor&, TGridDrawState&) {}
void TCustomDBAxisGridEh::CancelEditing() {}

TAxisBarDefValuesEh* TCustomDBAxisGridEh::CreateAxisBarDefValues() { return Create<TAxisBarDefValuesEh>(this); }

TGridAxisBarsEh* TCustomDBAxisGridEh::CreateAxisBars()
{
    return Create<TGridAxisBarsEh>(this, TAxisBarEh::StaticClassInfo());
}

TAxisGridDataLinkEh* TCustomDBAxisGridEh::CreateDataLink() { return Create<TAxisGridDataLinkEh>(this); }
TAxisColCellParamsEh* TCustomDBAxisGridEh::GetSharedColCellParams() { return FColCellParamsEh; }
TAxisColCellParamsEh* TCustomDBAxisGridEh::CreateColCellParams() { return Create<TAxisColCellParamsEh>(); }

void TCustomDBAxisGridEh::SetSelectedIndex(int)
{
    throw Exception(QStringLiteral(" TCustomDBAxisGridEh.SetSelectedIndex must be realized in the inherited class."));
}
int TCustomDBAxisGridEh::GetSelectedIndex() { return -1; }

void TCustomDBAxisGridEh::SetTitleFont(TFont*)
{
    throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.SetTitleFont in the inherited class"));
}

TFont* TCustomDBAxisGridEh::GetTitleFont()
{
    throw Exception(QStringLiteral("Write TCustomDBAxisGridEh.GetTitleFont in the inherited class"));
}

void TCustomDBAxisGridEh::FlatChanged() { FInterlinear = Flat() ? 2 : 4; }

void TCustomDBAxisGridEh::CurrentCellMoved(TGridCoord OldCurrent)
{
    TCustomGridEh::CurrentCellMoved(OldCurrent);
    UpdateEditButtonsBox();
}

void TCustomDBAxisGridEh::ScrollPositionChanged(int64_t OldHorzPos, int64_t OldVertPos)
{
    TCustomGridEh::ScrollPositionChanged(OldHorzPos, OldVertPos);
    UpdateEditButtonsBox();
}

// ---------------------------------------------------------------- edit-buttons box

bool TCustomDBAxisGridEh::IsEditButtonsBoxVisible() { return FEditButtonsBox && FEditButtonsBox->Visible(); }

TEditButtonsBoxEh* TCustomDBAxisGridEh::GetEditButtonsBox()
{
    if (!FEditButtonsBox) {
        FEditButtonsBox = Create<TEditButtonsBoxEh>(this);
        FEditButtonsBox->SetBounds(0, 0, 0, 0);
        FEditButtonsBox->SetVisible(false);
        FEditButtonsBox->SetParent(this);
        FEditButtonsBox->SetOnCreateEditButtonControl(
            TCreateEditButtonControlEvent(this, &TCustomDBAxisGridEh::CreateEditButtonControl));
    }
    return FEditButtonsBox;
}

void TCustomDBAxisGridEh::CreateEditButtonControl(TEditButtonControlEh*& Control)
{
    Control = Create<TEditButtonControlEh>(this);
    Control->ControlStyle.Include(csReplicatable);
    Control->SetBounds(0, 0, 10, 17);
    Control->SetVisible(true);
}

void TCustomDBAxisGridEh::UpdateEditButtonsBox()
{
    const int sel = SelectedIndex();
    if (sel >= 0 && FAxisBars && sel < FAxisBars->Count()) {
        TAxisBarEh* bar = FAxisBars->Items(sel);
        if (bar->EditButtonsBoxNeeded()) {
            bar->SetupEditButtonsBox(GetEditButtonsBox(), bar->GetEditButtonsBoxRect(CellRect(Col(), Row())));
            return;
        }
    }
    HideEditButtonsBox();
}

void TCustomDBAxisGridEh::HideEditButtonsBox()
{
    if (FEditButtonsBox && FEditButtonsBox->Visible())
        FEditButtonsBox->SetVisible(false);
}

// ---------------------------------------------------------------- streaming

// Equal contents: both collections stream to the same bytes.
static bool SameBars(TGridAxisBarsEh* A, TGridAxisBarsEh* B)
{
    TMemoryStream sa, sb;
    A->SaveToStream(&sa);
    B->SaveToStream(&sb);
    return sa.Size() == sb.Size() && memcmp(sa.Memory(), sb.Memory(), size_t(sa.Size())) == 0;
}

void TCustomDBAxisGridEh::DefineProperties(TFiler* Filer)
{
    TCustomGridEh::DefineProperties(Filer);
    bool hasData;
    auto* ancestor = dynamic_cast<TCustomDBAxisGridEh*>(Filer->Ancestor());
    if (ancestor)
        hasData = ancestor->FAxisBars->State() != FAxisBars->State() || !SameBars(FAxisBars, ancestor->FAxisBars);
    else
        hasData = FAxisBars->State() == csCustomized;
    Filer->DefineProperty(GetAxisBarsPropertyName(), [this](TReader* R) { ReadAxisBars(R); },
                          [this](TWriter* W) { WriteAxisBars(W); }, hasData);
    Filer->DefineProperty(QStringLiteral("DesignInfoCollection"), [this](TReader* R) { ReadDesignInfo(R); },
                          TWriterProc(), false);
}

void TCustomDBAxisGridEh::ReadAxisBars(TReader* Reader)
{
    FAxisBars->Clear();
    Reader->ReadCollection(FAxisBars);
}

void TCustomDBAxisGridEh::WriteAxisBars(TWriter* Writer) { Writer->WriteCollection(FAxisBars); }

void TCustomDBAxisGridEh::ReadDesignInfo(TReader* Reader) { Reader->SkipValue(); }

void TCustomDBAxisGridEh::Loaded()
{
    TCustomGridEh::Loaded();
    LayoutChanged();
    EndLayoutDeferred();
}
