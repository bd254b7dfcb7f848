// The signers list's record dialog, and what both lists' record dialogs share.
#include "uAddUpdDararedSigner.h"

#include "app/engine/uCompDM.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Mask.h"

static void InitAddUpdDararedSignerResource() { Q_INIT_RESOURCE(uAddUpdDararedSigner); }

// The form resource and the classes it names, once.
static void AddUpdDararedSignerUnitStartUp()
{
    static const bool done = [] {
        InitAddUpdDararedSignerResource();
        RegisterClasses<TLabel, TEdit, TBitBtn>();
        return true;
    }();
    (void)done;
}

DOV_PUBLISHED(TListRecordDialog)
{
    P.Prop("ClientHeight", [](TListRecordDialog* f) { return f->ClientHeight(); },
           [](TListRecordDialog* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TListRecordDialog* f) { return f->ClientWidth(); },
           [](TListRecordDialog* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("FilialLabel", &TListRecordDialog::FilialLabel);
    P.Field("FilialEdit", &TListRecordDialog::FilialEdit);
    P.Field("SaveBtn", &TListRecordDialog::SaveBtn);
    P.Field("CancelBtn", &TListRecordDialog::CancelBtn);
}

DOV_PUBLISHED(TfrmAddUpdDararedSigner)
{
    P.Field("FIOLabel", &TfrmAddUpdDararedSigner::FIOLabel);
    P.Field("FIOEdit", &TfrmAddUpdDararedSigner::FIOEdit);
    P.Method("SaveBtnClick", &TfrmAddUpdDararedSigner::SaveBtnClick);
}

TListRecordDialog::TListRecordDialog(TComponent* AOwner) : TForm(AOwner) {}

TListRecordDialog::TListRecordDialog(TComponent* AOwner, int filial, int idRecord)
    : TForm(AOwner), FIsUpdate(true), FidRecord(idRecord), FFilial(filial)
{
}

void TListRecordDialog::AfterConstruction()
{
    TForm::AfterConstruction();
    if (FIsUpdate) {
        SetText(QStringLiteral("Обновление записи"));
        FilialEdit->SetText(QString::number(FFilial));
    } else
        SetText(QStringLiteral("Добавление записи"));
}

static void Refuse(const QString& Text)
{
    Application->MessageBox(Text, QStringLiteral("Внимание"), MB_OK | MB_ICONWARNING);
}

void TListRecordDialog::SaveEntry(const QString& Refusal, const std::function<void(int16_t Filial)>& Update,
                                  const std::function<void(int16_t Filial)>& Insert)
{
    const QString filial = FilialEdit->Text().trimmed();
    if (filial.isEmpty())
        return Refuse(QStringLiteral("Филиал не введён"));
    if (!Refusal.isEmpty())
        return Refuse(Refusal);
    try {
        const auto number = int16_t(StrToInt(filial));
        if (FIsUpdate)
            Update(number);
        else
            Insert(number);
        SetModalResult(mrOk);
    } catch (const EDBOperationException& e) {
        Application->MessageBox(e.Message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
    } catch (const Exception& e) {
        Application->MessageBox(QStringLiteral("Произошла ошибка с текстом: ") + e.Message(), QStringLiteral("Ошибка"),
                                MB_OK | MB_ICONERROR);
    }
}

TfrmAddUpdDararedSigner::TfrmAddUpdDararedSigner(TComponent* AOwner) : TListRecordDialog(AOwner)
{
    AddUpdDararedSignerUnitStartUp();
}

TfrmAddUpdDararedSigner::TfrmAddUpdDararedSigner(TComponent* AOwner, const QString& fio, int filial, int idRecord)
    : TListRecordDialog(AOwner, filial, idRecord), FFio(fio)
{
    AddUpdDararedSignerUnitStartUp();
}

void TfrmAddUpdDararedSigner::AfterConstruction()
{
    TListRecordDialog::AfterConstruction();
    if (FIsUpdate)
        FIOEdit->SetText(FFio);
}

void TfrmAddUpdDararedSigner::SaveBtnClick(TObject*)
{
    const QString fio = FIOEdit->Text().trimmed();
    SaveEntry(fio.isEmpty() ? QStringLiteral("ФИО не введено") : QString(),
              [&](int16_t number) { CompDM->UpdateDararedSigner(FidRecord, number, fio); },
              [&](int16_t number) { CompDM->InsertDararedSigner(number, fio); });
}
