// The reconciliation worked out from the generated facts alone (the demo model), in plain
// C++: what each branch contributes, what the comparison shows, the duplicate lists and the
// totals. The tests hold the job's tables against this.
#pragma once

#include "app/engine/DemoData.h"

#include <QDate>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace runref {

using Money = std::optional<int64_t>;   // thousandths; empty: NULL

struct TOptions {
    bool SelfProv = false;
    int64_t IdPredpr = 0;        // chosen counterparty; 0: all
    QString Filial;              // branch mode when not empty
    std::vector<int> Branches;   // the branches configured, in order; empty: all of the model
    bool AllBranches = true;
};

// A row of a branch's "#inv_prov".
struct TInvProvRow {
    QString FullName;            // empty: a certificate without e-invoice
    Money SprSum, TotalVat;
    QString DocNumber;
    QDate DocDate;
    int LocalPredpr = 0;         // ISNULL(spr.idPredpr, inv.idSender)
    std::optional<int64_t> GlobalCode;
    int Filial = 0;
};

struct TResultRow {
    QString Invoice;             // empty: NULL
    Money NdsExcel, NdsSpr, NdsInvoice;
    std::optional<int> Filial;
    std::optional<int64_t> IdPredpr;
};

struct TDuple {                  // a ledger entry booked twice
    QString InvFullName;
    int Filial = 0;
};

struct TReference {
    std::vector<TInvProvRow> SvodInv;      // all branches' rows, in branch order
    std::vector<TResultRow> Result;
    std::vector<TDuple> Duples;
    std::vector<QString> OblpoInvoices;    // invoicefullname of each row of the organisation-wide duplicates
    std::vector<std::pair<QString, int>> InvoiceNumberDuples;
    int64_t ExcSum = 0;
    bool HasExcSum = false;
    int64_t SprSum = 0;
    int SprRows = 0;
    bool HasSprSum = false;
    std::vector<QString> ImportedInvoices;  // the workbook rows the import keeps
};

TReference Compute(const demo::TDemoModel& m, const TOptions& o);

}  // namespace runref
