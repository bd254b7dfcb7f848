// The zero-exclusion list: per branch, the e-invoices whose workbook VAT the comparison shows
// as zero. Entries are added, changed and deleted through the record dialog; read-only in
// branch mode.
#pragma once

#include "platform/vcl/Forms.h"

class TToolBar;
class TToolButton;
class TDBGridEh;
class TPopupMenu;
class TMenuItem;

class TfrmZeroExcludeSettings : public TForm {
    DOV_PERSISTENT(TfrmZeroExcludeSettings, TForm)
public:
    explicit TfrmZeroExcludeSettings(TComponent* AOwner);

    TToolBar* ZeroExcludeToolBar = nullptr;
    TToolButton *AddToolBtn = nullptr, *EditToolBtn = nullptr, *DeleteToolBtn = nullptr;
    TDBGridEh* ZeroExcludeDBGridEh = nullptr;
    TPopupMenu* ZeroExcludePM = nullptr;
    TMenuItem *AddPMBtn = nullptr, *EditPMBtn = nullptr, *DeletePMBtn = nullptr;

    void FormCreate(TObject* Sender);
    void AddToolBtnClick(TObject* Sender);
    void EditToolBtnClick(TObject* Sender);
    void DeleteToolBtnClick(TObject* Sender);
    void AddPMBtnClick(TObject* Sender);
    void EditPMBtnClick(TObject* Sender);
    void DeletePMBtnClick(TObject* Sender);
    // Reopens the list; outside branch mode "change" and "delete" follow whether it has rows.
    void RefreshZeroExcludes();
};
