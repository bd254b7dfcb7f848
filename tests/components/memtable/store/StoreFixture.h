// A small store shared by the record-store tests: Code (integer), Name (text), Amount (money).
#pragma once

#include "components/memtable/MemTableDataEh.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

struct StoreFixture : ::testing::Test {
    std::unique_ptr<TMemTableDataEh> data = CreateUnique<TMemTableDataEh>(nullptr);
    TMTDataStructEh* ds() { return data->DataStruct(); }
    TRecordsListEh* list() { return data->RecordsList(); }

    void SetUp() override
    {
        auto* code = ds()->CreateField<TMTNumericDataFieldEh>();
        code->SetFieldName("Code");
        auto* name = ds()->CreateField<TMTStringDataFieldEh>();
        name->SetFieldName("Name");
        name->SetSize(40);
        auto* amount = ds()->CreateField<TMTNumericDataFieldEh>();
        amount->SetNumericDataType(fdtCurrencyEh);
        amount->SetFieldName("Amount");
    }

    TMemoryRecordEh* Add(const Variant& code, const Variant& name, const Variant& amount = Variant::Null())
    {
        TMemoryRecordEh* r = list()->NewRecord();
        r->SetDataValue(0, dvvValueEh, code);
        r->SetDataValue(1, dvvValueEh, name);
        r->SetDataValue(2, dvvValueEh, amount);
        r->Post();
        return r;
    }

    QString Names()
    {
        QStringList s;
        for (TMemoryRecordEh* r : list()->Records())
            s << VarToStr(r->GetDataValue(1, dvvValueEh));
        return s.join(u',');
    }
};

