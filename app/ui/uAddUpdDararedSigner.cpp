// The signers list's record dialog.
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

DOV_PUBLISHED(TfrmAddUpdDararedSigner)
{
    P.Prop("ClientHeight", [](TfrmAddUpdDararedSigner* f) { return f->ClientHeight(); },
           [](TfrmAddUpdDararedSigner* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TfrmAddUpdDararedSigner* f) { return f->ClientWidth(); },
           [](TfrmAddUpdDararedSigner* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Field("FilialLabel", &TfrmAddUpdDararedSigner::FilialLabel);
    P.Field("FIOLabel", &TfrmAddUpdDararedSigner::FIOLabel);
    P.Field("FilialEdit", &TfrmAddUpdDararedSigner::FilialEdit);
    P.Field("FIOEdit", &TfrmAddUpdDararedSigner::FIOEdit);
    P.Field("SaveBtn", &TfrmAddUpdDararedSigner::SaveBtn);
    P.Field("CancelBtn", &TfrmAddUpdDararedSigner::CancelBtn);
    P.Method("SaveBtnClick", &TfrmAddUpdDararedSigner::SaveBtnClick);
}

namespace listdialogs {

bool Refuse(const QString& Text)
{
    Application->MessageBox(Text, QStringLiteral("Внимание"), MB_OK | MB_ICONWARNING);
    return false;
}

void SaveRecord(TCustomForm* Form, const QString& BranchText, const std::function<void(int16_t Filial)>& Save)
{
    try {
        Save(int16_t(StrToInt(BranchText)));
        Form->SetModalResult(mrOk);
    } catch (const EDBOperationException& e) {
        Application->MessageBox(e.Message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR);
    } catch (const Exception& e) {
        Application->MessageBox(QStringLiteral("Произошла ошибка с текстом: ") + e.Message(), QStringLiteral("Ошибка"),
                                MB_OK | MB_ICONERROR);
    }
}

}  // namespace listdialogs

TfrmAddUpdDararedSigner::TfrmAddUpdDararedSigner(TComponent* AOwner) : TForm(AOwner)
{
    AddUpdDararedSignerUnitStartUp();
}

TfrmAddUpdDararedSigner::TfrmAddUpdDararedSigner(TComponent* AOwner, const QString& fio, int filial, int idRecord)
    : TForm(AOwner), FIsUpdate(true), FidRecord(idRecord), FFio(fio), FFilial(filial)
{
    AddUpdDararedSignerUnitStartUp();
}

void TfrmAddUpdDararedSigner::AfterConstruction()
{
    TForm::AfterConstruction();
    if (FIsUpdate) {
        SetText(QStringLiteral("Обновление записи"));
        FilialEdit->SetText(QString::number(FFilial));
        FIOEdit->SetText(FFio);
    } else
        SetText(QStringLiteral("Добавление записи"));
}

void TfrmAddUpdDararedSigner::SaveBtnClick(TObject*)
{
    const QString filial = FilialEdit->Text().trimmed();
    const QString fio = FIOEdit->Text().trimmed();
    if (filial.isEmpty())
        listdialogs::Refuse(QStringLiteral("Филиал не введён"));
    else if (fio.isEmpty())
        listdialogs::Refuse(QStringLiteral("ФИО не введено"));
    else
        listdialogs::SaveRecord(this, filial, [&](int16_t number) {
            if (FIsUpdate)
                CompDM->UpdateDararedSigner(FidRecord, number, fio);
            else
                CompDM->InsertDararedSigner(number, fio);
        });
}
