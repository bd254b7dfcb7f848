// Demo and test databases for the embedded engine: a summary folder and one folder per
// branch, filled from a seed and a size, with a matching "Config.ini" and a manifest of
// what was generated, so that tests can work out the expected results without the SQL.
//
//   TDemoOptions o; o.Seed = 7; o.Size = 10;
//   TDemoModel m = BuildDemoModel(o);          // deterministic for the same options
//   WriteDemoDatabases(m, "/tmp/demo");        // svod/, filial2/, ..., Config.ini, manifest.json
//
// Amounts are kept in thousandths (the money columns are decimal(18, 3)).
#pragma once

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace demo {

struct TDemoOptions {
    uint32_t Seed = 1;
    // Ordinary e-invoices per branch, on top of the fixed set of special cases every
    // branch gets. 10 makes the small test fixture, a few hundred the demo set.
    int Size = 10;
    int Branches = 2;
    int Suppliers = 6;
    // The reconciled month; the data spreads over the month before and after it too.
    QDate PeriodStart = QDate(2024, 2, 1);
    // Written to Config.ini ("svodconnection"/"filial"); empty: not branch mode.
    QString Filial;
    bool SelfProv = false;
};

// An enterprise of the summary database (tbPredpr); Id is the global enterprise code.
struct TDemoEnterprise {
    int64_t Id = 0;
    QString ShortName;
    int64_t IdPlat = 0;
    QString Unn;
    int DopUnn = 0;      // 0: NULL
    QString Name;
};

// An enterprise as a branch database knows it (its own tbPredpr with local ids).
struct TDemoLocalEnterprise {
    int LocalId = 0;
    QString Unn;
    int DopUnn = 0;      // 0: NULL
    QString GlobalCode;  // as stored: the global id as text, possibly ending in "*", or empty for NULL
    QString Name;
    int64_t GlobalId = 0;   // the summary enterprise it stands for
};

struct TDemoBranch {
    int Number = 0;          // dopUNN of the branch
    QString Name;            // key in "objectsconnection"
    QString Folder;          // sub-folder name under the output root
    int64_t GlobalId = 0;    // its own enterprise in the summary database
    std::vector<TDemoLocalEnterprise> Enterprises;   // local id 1 is the branch itself
    const TDemoLocalEnterprise* Local(int localId) const;
};

// One e-invoice received by a branch (invoices + history + documents).
struct TDemoInvoice {
    int Branch = 0;              // branch number
    int Sender = 0;              // local enterprise id (idSender and idProvider)
    int Year = 0;
    int64_t Number = 0;
    QString FullName;            // supplier UNN-year-ten-digit number
    int DocumentType = 1;        // 1 initial, 2 corrected, 3 additional, 4 additional without reference
    QString Original;            // full number referred to by types 2 and 3
    int Status = 0;              // history.invStatus; codes above 9 are unknown ones
    bool Sv = true;
    QDate DateTransaction;
    bool HasDocument = false;    // a row in documents
    QString DocNumber;           // as stored, possibly with leading zeros
    QDate DocDate;
    int64_t Vat = 0, Cost = 0, CostVat = 0;   // thousandths
    QString Kind;                // "ordinary" or the special case it stands for
};

// One ledger entry of an accounting certificate (buh.dbo.tbSpravka).
struct TDemoEntry {
    int Branch = 0;
    QString Nsf;                 // "1-" + e-invoice number
    int64_t Summ = 0;            // thousandths
    QDate DataDoc;
    QString NumDoc;              // as stored: leading zeros, trailing "." or "," possible
    QString NumDocPart;
    QString NumBuhSpr;
    int IdPredpr = 0;            // local enterprise id; 0: NULL
    QDate Mes;                   // first day of the month booked
    int Dt = 0;
    QString AuDt;                // empty: NULL
    int Kt = 0;
    QString AuKt;
    int PrizRej = 1;
    int Sv = 0;
    QString Kind;
};

// An account pair of buh.dbo.tbSFProvNDS (the VAT entries).
struct TDemoAccountPair {
    int Dt = 0;
    QString AuDt;   // empty: NULL
    int Kt = 0;
    QString AuKt;
};

struct TDemoSigner {
    int Filial = 0;
    QString Fio;
    QString WorkbookSpelling;    // the same name in other letter case, as a workbook may carry it
};

struct TDemoZeroExclude {
    int Filial = 0;
    QString Invoice;
};

// One row of the tax authority's desk-audit workbook for the period.
struct TDemoWorkbookRow {
    QString Invoice;             // column 15
    QString SupplierUnn;         // column 2
    int SupplierBranch = 0;      // column 3 as four digits; 0: empty
    QString SupplierName;        // column 4
    int DopUnn = 0;              // column 10: the organisation's branch; 0: empty
    QString Recipient;           // column 11
    QString Signer;              // column 14, as the workbook spells it
    QDate DateTransaction;       // column 20
    QString DocNumber;           // column 38
    QDate DocDate;               // column 39; invalid: empty
    int64_t Cost = 0, Vat = 0, CostVat = 0;   // columns 41, 43, 44 (thousandths)
    QString Kind;                // "branch invoice" or "unknown to the branches"
};

struct TDemoModel {
    TDemoOptions Options;
    QDate FirstDate, SecondDate;
    QString OrgUnn;
    int64_t OrgId = 0;
    std::vector<TDemoEnterprise> Enterprises;
    std::vector<TDemoBranch> Branches;
    std::vector<TDemoAccountPair> AccountPairs;   // the same in every branch
    std::vector<TDemoInvoice> Invoices;
    std::vector<TDemoEntry> Entries;
    std::vector<TDemoSigner> Signers;
    std::vector<TDemoZeroExclude> ZeroExcludes;
    std::vector<TDemoWorkbookRow> Workbook;

    const TDemoBranch* Branch(int number) const;
    const TDemoEnterprise* Enterprise(int64_t id) const;
};

TDemoModel BuildDemoModel(const TDemoOptions& options);

// Schema of each catalog as T-SQL (one statement per line group, no batch separators).
QString SummarySchemaSql();     // catalog "maindatabase"
QString BranchSchemaSql();      // catalog "MainDataBase" of a branch
QString BuhSchemaSql();         // catalog "buh" of a branch
// The same as deployment scripts for a real server: database, USE, GO separators.
QString DeploymentScript(const QString& catalog);

// The desk-audit workbook of the model (.xlsx): captions in row 1, one row per e-invoice.
// The captions of the tax authority's desk-audit workbook, one per column.
constexpr int kDeskAuditColumns = 44;
extern const char* const kDeskAuditCaptions[kDeskAuditColumns];

void WriteDemoWorkbook(const TDemoModel& model, const QString& path);

// Creates root/<summary>, root/<branch folders>, root/Config.ini, root/desk_audit.xlsx and
// root/manifest.json.
// Existing catalogs under root are replaced. Raises Exception on any failure.
void WriteDemoDatabases(const TDemoModel& model, const QString& root);

QString SummaryFolderName();   // "svod"
QString ConfigIniText(const TDemoModel& model, const QString& root);
QJsonObject ManifestJson(const TDemoModel& model);

// "Provider=SQLOLEDB.1;...;Initial Catalog=<catalog>;Data Source=<folder>"
QString DemoConnectionString(const QString& folder, const QString& catalog, bool create = false);

}  // namespace demo
