// The record dialog of the zero-exclusion list: a branch number and an e-invoice number of
// exactly 25 characters.
#pragma once

#include "platform/vcl/Forms.h"

class TLabel;
class TEdit;
class TBitBtn;

class TfrmAddUpdZeroExclude : public TForm {
    DOV_PERSISTENT(TfrmAddUpdZeroExclude, TForm)
public:
    // Adds a new entry.
    explicit TfrmAddUpdZeroExclude(TComponent* AOwner);
    // Changes the entry idRecord, starting from its branch and invoice number.
    TfrmAddUpdZeroExclude(TComponent* AOwner, const QString& invoice, int filial, int idRecord);
    void AfterConstruction() override;

    TLabel *FilialLabel = nullptr, *InvoiceLabel = nullptr;
    TEdit *FilialEdit = nullptr, *InvoiceEdit = nullptr;
    TBitBtn *SaveBtn = nullptr, *CancelBtn = nullptr;

    void SaveBtnClick(TObject* Sender);

    bool IsUpdate() const { return FIsUpdate; }
    int idRecord() const { return FidRecord; }

private:
    bool FIsUpdate = false;
    int FidRecord = 0;
    QString FInvoice;
    int FFilial = 0;
};
