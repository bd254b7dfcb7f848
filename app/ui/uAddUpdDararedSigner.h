// The record dialog of the signers list: a branch number and a full name, added as a new entry
// or written over an existing one.
#pragma once

#include "platform/vcl/Forms.h"

#include <functional>

class TLabel;
class TEdit;
class TBitBtn;

class TfrmAddUpdDararedSigner : public TForm {
    DOV_PERSISTENT(TfrmAddUpdDararedSigner, TForm)
public:
    // Adds a new entry.
    explicit TfrmAddUpdDararedSigner(TComponent* AOwner);
    // Changes the entry idRecord, starting from its branch and name.
    TfrmAddUpdDararedSigner(TComponent* AOwner, const QString& fio, int filial, int idRecord);
    void AfterConstruction() override;

    TLabel *FilialLabel = nullptr, *FIOLabel = nullptr;
    TEdit *FilialEdit = nullptr, *FIOEdit = nullptr;
    TBitBtn *SaveBtn = nullptr, *CancelBtn = nullptr;

    void SaveBtnClick(TObject* Sender);

    bool IsUpdate() const { return FIsUpdate; }
    int idRecord() const { return FidRecord; }

private:
    bool FIsUpdate = false;
    int FidRecord = 0;
    QString FFio;
    int FFilial = 0;
};

// What the record dialogs of both lists share.
namespace listdialogs {

// A warning box; false, so a check can return it.
bool Refuse(const QString& Text);
// Runs Save with the branch number of BranchText (already trimmed); on success closes Form with
// the OK result. The data module's refusal is shown as it is, any other error (a branch text
// that is not a number) as "Произошла ошибка с текстом: ..."; the dialog stays open.
void SaveRecord(TCustomForm* Form, const QString& BranchText, const std::function<void(int16_t Filial)>& Save);

}  // namespace listdialogs
