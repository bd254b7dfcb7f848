// The record dialog of the signers list: a branch number and a full name, added as a new entry
// or written over an existing one.
#pragma once

#include "platform/vcl/Forms.h"

#include <functional>

class TLabel;
class TEdit;
class TBitBtn;

// What the record dialogs of both lists share: the branch, the two buttons, and whether the
// dialog adds an entry or changes the entry idRecord.
class TListRecordDialog : public TForm {
    DOV_PERSISTENT(TListRecordDialog, TForm)
public:
    void AfterConstruction() override;

    TLabel* FilialLabel = nullptr;
    TEdit* FilialEdit = nullptr;
    TBitBtn *SaveBtn = nullptr, *CancelBtn = nullptr;

    bool IsUpdate() const { return FIsUpdate; }
    int idRecord() const { return FidRecord; }

protected:
    explicit TListRecordDialog(TComponent* AOwner);
    TListRecordDialog(TComponent* AOwner, int filial, int idRecord);

    // Refuses an empty branch, then Refusal when it is not empty; otherwise saves through Update
    // or Insert with the branch number and closes with the OK result. The data module's refusal
    // is shown as it is, any other error (a branch that is no number) as "Произошла ошибка с
    // текстом: ..."; the dialog stays open.
    void SaveEntry(const QString& Refusal, const std::function<void(int16_t Filial)>& Update,
                   const std::function<void(int16_t Filial)>& Insert);

    bool FIsUpdate = false;
    int FidRecord = 0;
    int FFilial = 0;
};

class TfrmAddUpdDararedSigner : public TListRecordDialog {
    DOV_PERSISTENT(TfrmAddUpdDararedSigner, TListRecordDialog)
public:
    // Adds a new entry.
    explicit TfrmAddUpdDararedSigner(TComponent* AOwner);
    // Changes the entry idRecord, starting from its branch and name.
    TfrmAddUpdDararedSigner(TComponent* AOwner, const QString& fio, int filial, int idRecord);
    void AfterConstruction() override;

    TLabel* FIOLabel = nullptr;
    TEdit* FIOEdit = nullptr;

    void SaveBtnClick(TObject* Sender);

private:
    QString FFio;
};
