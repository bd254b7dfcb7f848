// The zero-exclusion list's record dialog.
#include "uAddUpdZeroExclude.h"

#include "app/engine/uCompDM.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Mask.h"

static void InitAddUpdZeroExcludeResource() { Q_INIT_RESOURCE(uAddUpdZeroExclude); }

// The form resource and the classes it names, once.
static void AddUpdZeroExcludeUnitStartUp()
{
    static const bool done = [] {
        InitAddUpdZeroExcludeResource();
        RegisterClasses<TLabel, TEdit, TBitBtn>();
        return true;
    }();
    (void)done;
}

namespace {
constexpr int InvoiceLength = 25;
}

DOV_PUBLISHED(TfrmAddUpdZeroExclude)
{
    P.Field("InvoiceLabel", &TfrmAddUpdZeroExclude::InvoiceLabel);
    P.Field("InvoiceEdit", &TfrmAddUpdZeroExclude::InvoiceEdit);
    P.Method("SaveBtnClick", &TfrmAddUpdZeroExclude::SaveBtnClick);
}

TfrmAddUpdZeroExclude::TfrmAddUpdZeroExclude(TComponent* AOwner) : TListRecordDialog(AOwner)
{
    AddUpdZeroExcludeUnitStartUp();
}

TfrmAddUpdZeroExclude::TfrmAddUpdZeroExclude(TComponent* AOwner, const QString& invoice, int filial, int idRecord)
    : TListRecordDialog(AOwner, filial, idRecord), FInvoice(invoice)
{
    AddUpdZeroExcludeUnitStartUp();
}

void TfrmAddUpdZeroExclude::AfterConstruction()
{
    TListRecordDialog::AfterConstruction();
    if (FIsUpdate)
        InvoiceEdit->SetText(FInvoice);
}

void TfrmAddUpdZeroExclude::SaveBtnClick(TObject*)
{
    const QString invoice = InvoiceEdit->Text().trimmed();
    SaveEntry(invoice.size() != InvoiceLength ? QStringLiteral("Номер ЭСЧФ введён неправильно") : QString(),
              [&](int16_t number) { CompDM->UpdateZeroExclude(FidRecord, number, invoice); },
              [&](int16_t number) { CompDM->InsertZeroExclude(number, invoice); });
}
