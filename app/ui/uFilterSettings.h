// The signers list: which persons sign each branch's e-invoices. Entries are added, changed
// and deleted through the record dialog, or filled from the saved reconciliation; read-only in
// branch mode.
#pragma once

#include "platform/vcl/Forms.h"

#include <functional>

class TToolBar;
class TToolButton;
class TDBGridEh;
class TPopupMenu;
class TMenuItem;
class TDataSet;

class TfrmFilterSettings : public TForm {
    DOV_PERSISTENT(TfrmFilterSettings, TForm)
public:
    explicit TfrmFilterSettings(TComponent* AOwner);

    TToolBar* FilterSettingsToolBar = nullptr;
    TToolButton *AddToolBtn = nullptr, *EditToolBtn = nullptr, *DeleteToolBtn = nullptr, *ToolButton1 = nullptr,
                *FillSprToolBtn = nullptr;
    TDBGridEh* FilterSettingsDBGridEh = nullptr;
    TPopupMenu* FilterSettingPM = nullptr;
    TMenuItem *AddPMBtn = nullptr, *EditPMBtn = nullptr, *DeletePMBtn = nullptr;

    void FormCreate(TObject* Sender);
    void AddToolBtnClick(TObject* Sender);
    void EditToolBtnClick(TObject* Sender);
    void DeleteToolBtnClick(TObject* Sender);
    void FillSprToolBtnClick(TObject* Sender);
    void AddPMBtnClick(TObject* Sender);
    void EditPMBtnClick(TObject* Sender);
    void DeletePMBtnClick(TObject* Sender);
    // Reopens the list; outside branch mode "change" and "delete" follow whether it has rows.
    void RefreshSigners();
};

// What the signers and the zero-exclusion list dialogs share.
namespace listdialogs {

// Enables the given commands (nullptr entries skipped).
void EnableCommands(std::initializer_list<TControl*> Buttons, std::initializer_list<TMenuItem*> Items, bool Enabled);
// Asks before deleting; on Yes runs Delete and then Refresh. The data module's refusal is
// shown in a warning box; other errors pass on.
void ConfirmAndDelete(const std::function<void()>& Delete, const std::function<void()>& Refresh);

}  // namespace listdialogs
