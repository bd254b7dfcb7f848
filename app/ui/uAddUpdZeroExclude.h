// The record dialog of the zero-exclusion list: a branch number and an e-invoice number of
// exactly 25 characters.
#pragma once

#include "uAddUpdDararedSigner.h"

class TfrmAddUpdZeroExclude : public TListRecordDialog {
    DOV_PERSISTENT(TfrmAddUpdZeroExclude, TListRecordDialog)
public:
    // Adds a new entry.
    explicit TfrmAddUpdZeroExclude(TComponent* AOwner);
    // Changes the entry idRecord, starting from its branch and invoice number.
    TfrmAddUpdZeroExclude(TComponent* AOwner, const QString& invoice, int filial, int idRecord);
    void AfterConstruction() override;

    TLabel* InvoiceLabel = nullptr;
    TEdit* InvoiceEdit = nullptr;

    void SaveBtnClick(TObject* Sender);

private:
    QString FInvoice;
};
