// The zero-exclusion list's record dialog.
#include "uAddUpdZeroExclude.h"

#include "uAddUpdDararedSigner.h"

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
    P.Prop("ClientHeight", [](TfrmAddUpdZeroExclude* f) { return f->ClientHeight(); },
           [](TfrmAddUpdZeroExclude* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TfrmAddUpdZeroExclude* f) { return f->ClientWidth(); },
           [](TfrmAddUpdZeroExclude* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("FilialLabel", &TfrmAddUpdZeroExclude::FilialLabel);
    P.Field("InvoiceLabel", &TfrmAddUpdZeroExclude::InvoiceLabel);
    P.Field("FilialEdit", &TfrmAddUpdZeroExclude::FilialEdit);
    P.Field("InvoiceEdit", &TfrmAddUpdZeroExclude::InvoiceEdit);
    P.Field("SaveBtn", &TfrmAddUpdZeroExclude::SaveBtn);
    P.Field("CancelBtn", &TfrmAddUpdZeroExclude::CancelBtn);
    P.Method("SaveBtnClick", &TfrmAddUpdZeroExclude::SaveBtnClick);
}

TfrmAddUpdZeroExclude::TfrmAddUpdZeroExclude(TComponent* AOwner) : TForm(AOwner) { AddUpdZeroExcludeUnitStartUp(); }

TfrmAddUpdZeroExclude::TfrmAddUpdZeroExclude(TComponent* AOwner, const QString& invoice, int filial, int idRecord)
    : TForm(AOwner), FIsUpdate(true), FidRecord(idRecord), FInvoice(invoice), FFilial(filial)
{
    AddUpdZeroExcludeUnitStartUp();
}

void TfrmAddUpdZeroExclude::AfterConstruction()
{
    TForm::AfterConstruction();
    if (FIsUpdate) {
        SetText(QStringLiteral("Обновление записи"));
        FilialEdit->SetText(QString::number(FFilial));
        InvoiceEdit->SetText(FInvoice);
    } else
        SetText(QStringLiteral("Добавление записи"));
}

void TfrmAddUpdZeroExclude::SaveBtnClick(TObject*)
{
    const QString filial = FilialEdit->Text().trimmed();
    const QString invoice = InvoiceEdit->Text().trimmed();
    if (filial.isEmpty())
        listdialogs::Refuse(QStringLiteral("Филиал не введён"));
    else if (invoice.size() != InvoiceLength)
        listdialogs::Refuse(QStringLiteral("Номер ЭСЧФ введён неправильно"));
    else
        listdialogs::SaveRecord(this, filial, [&](int16_t number) {
            if (FIsUpdate)
                CompDM->UpdateZeroExclude(FidRecord, number, invoice);
            else
                CompDM->InsertZeroExclude(number, invoice);
        });
}
