// The data module's result tables: status texts of an e-invoice and the calculated fields of
// the reconciliation result and of a loaded saved reconciliation.
#include "uCompDM.h"

#include "components/memtable/MemTableEh.h"

QString TCompDM::GetStatusText(int16_t code)
{
    switch (code) {
    case 0: return QStringLiteral("Нет данных");
    case 1: return QStringLiteral("В разработке");
    case 2: return QStringLiteral("В разработке. Ошибка");
    case 3: return QStringLiteral("Выставлен");
    case 4: return QStringLiteral("На согласовании");
    case 5: return QStringLiteral("Выставлен.Подписан получателем");
    case 6: return QStringLiteral("Аннулирован");
    case 7: return QStringLiteral("Выставлен.Аннулирован поставщиком");
    case 8: return QStringLiteral("Не найдено");
    case 9: return QStringLiteral("Ошибка");
    default: return QStringLiteral("Неизвестный статус");
    }
}

namespace {
// Each handler works on its own table's fields whatever dataset it is called with.
void CalcResultFields(TDataSet* table)
{
    table->FieldByName(QStringLiteral("StatusText"))
        ->SetAsString(TCompDM::GetStatusText(int16_t(table->FieldByName(QStringLiteral("status"))->AsInteger())));
    const Currency excel = table->FieldByName(QStringLiteral("ndsexcel"))->AsCurrency();
    const Currency spr = table->FieldByName(QStringLiteral("ndsspr"))->AsCurrency();
    table->FieldByName(QStringLiteral("ndsdiff"))->SetAsCurrency(excel - spr);
}
}

void TCompDM::CompareMemTableEhCalcFields(TDataSet*)
{
    CalcResultFields(CompareMemTableEh);
}

void TCompDM::TmpDararedInvMemTableEhCalcFields(TDataSet*)
{
    CalcResultFields(TmpDararedInvMemTableEh);
}
