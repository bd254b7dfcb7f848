// The reconciliation engine's data module: its exceptions, its configuration ("Config.ini"
// beside the executable) and the connection strings. The module class itself takes these
// over once the dataset classes exist; until then TCompConfig is usable on its own.
#pragma once

#include "platform/ado/ADODB.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/SysUtils.h"

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// Makes the module's form resource (":/forms/TCompDM.form") reachable from the program;
// the resources of a static library are linked only when something asks for them.
void RegisterCompDMResource();

// ---------------------------------------------------------------- exceptions

// Base of every error the module's insert, update and delete operations raise; the list
// dialogs catch this class and show the message unchanged.
DOV_DECLARE_EXCEPTION(EDBOperationException, Exception);

// Each operation's class; Caught builds it from the message of the error it replaces.
#define COMPDM_OPERATION_EXCEPTION(Name)                         \
    class Name : public EDBOperationException {                  \
    public:                                                      \
        using EDBOperationException::EDBOperationException;      \
        static Name Caught(const QString& message);              \
    }

COMPDM_OPERATION_EXCEPTION(EConnectException);
COMPDM_OPERATION_EXCEPTION(EInsExcelTempException);
COMPDM_OPERATION_EXCEPTION(EInsSvodDuplesException);
COMPDM_OPERATION_EXCEPTION(EInsSvodInvException);
COMPDM_OPERATION_EXCEPTION(EInsSprProvException);
COMPDM_OPERATION_EXCEPTION(EInsTmpDararedInvException);
COMPDM_OPERATION_EXCEPTION(EInsTmpDararedProvException);
COMPDM_OPERATION_EXCEPTION(EDelTmpDararedInvException);
COMPDM_OPERATION_EXCEPTION(EInsDararedSigner);
COMPDM_OPERATION_EXCEPTION(EUpdDararedSigner);
COMPDM_OPERATION_EXCEPTION(EDelDararedSigner);
COMPDM_OPERATION_EXCEPTION(EInsZeroExclude);
COMPDM_OPERATION_EXCEPTION(EUpdZeroExclude);
COMPDM_OPERATION_EXCEPTION(EDelZeroExclude);

#undef COMPDM_OPERATION_EXCEPTION

// A configured branch number that cannot be put into a statement.
DOV_DECLARE_EXCEPTION(EFilialConfigError, Exception);

// ---------------------------------------------------------------- configuration

// Branch name to database server, in the order of "Config.ini"; names compared exactly.
class TObjectsDict {
public:
    using Item = std::pair<QString, QString>;
    // EListError when the name is already present.
    void Add(const QString& name, const QString& server);
    bool ContainsKey(const QString& name) const;
    bool TryGetValue(const QString& name, QString& server) const;
    QString operator[](const QString& name) const;   // EListError when absent
    int Count() const { return int(FItems.size()); }
    const std::vector<Item>& Items() const { return FItems; }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<Item> FItems;
};

QString SvodConnectionString(const QString& server);   // catalog "maindatabase"
QString ObjConnectionString(const QString& server);    // catalog "MainDataBase"

// "Config.ini" in the folder of the executable.
QString DefaultConfigPath();

// What the data module reads from "Config.ini" when it is created.
class TCompConfig {
public:
    // Reads the file when it exists. Without it nothing is configured: ObjectsDict stays
    // unassigned, Filial "" and IsFilial false. A repeated branch name raises the
    // dictionary's error; what was read before it stays.
    // Returns whether the file exists.
    bool Load(const QString& iniPath);

    bool Configured() const { return FConfigured; }
    const QString& SvodServer() const { return FSvodServer; }
    QString SvodConnection() const { return SvodConnectionString(FSvodServer); }

    // The branch number exactly as read; non-empty puts the program in branch mode.
    QString Filial;
    bool IsFilial = false;
    // Unassigned (empty optional) unless "Config.ini" exists.
    std::optional<TObjectsDict> ObjectsDict;

    // The branch number as it goes into a statement: only a plain integer is accepted,
    // anything else raises EFilialConfigError, so nothing is sent.
    int FilialNumber() const;

private:
    bool FConfigured = false;
    QString FSvodServer;
};

// Checks a branch number text for use in SQL (digits, optionally blanks around, within
// smallint); raises EFilialConfigError naming the text otherwise.
int FilialSqlNumber(const QString& filial);

// The placeholder lines that carry the configured branch, built from a checked number.
QString SelectSvodInvFilialLine(const QString& filial);   // line Count-3 of SelectSvodInv in branch mode
QString ExcSumFilialLine(const QString& filial);          // last line of ExcSumQ in branch mode

// Normalises a number written as text for the currency conversion under the current
// locale: "" gives "0", blanks go, and "." or "," become the locale's decimal separator.
QString UpdateDecimalSeparator(const QString& s);

// ---------------------------------------------------------------- the data module

class TDataSetDriverEh;
class TMemTableEh;
class TImageList;

// The engine's data module: the two connections, the SQL catalogue as queries with their
// fields and data sources, the configuration, and the single-statement operations.
class TCompDM : public TDataModule {
    DOV_PERSISTENT(TCompDM, TDataModule)
public:
    // Reads the form resource; DataModuleCreate runs at its end.
    explicit TCompDM(TComponent* AOwner);

    // Where DataModuleCreate looks for "Config.ini"; empty: beside the executable.
    static QString ConfigPath;
    // Receives an error that leaves DataModuleCreate (the program shows it in an error
    // box); start-up goes on with what was configured.
    static std::function<void(const Exception&)> HandleCreateError;
    QString CreateError;   // the message of that error, "" when there was none

    // Configuration.
    bool IsFilial = false;
    QString Filial;
    std::optional<TObjectsDict> ObjectsDict;

    void DataModuleCreate(TObject* Sender);
    // Re-points the branch connection; any error becomes EConnectException.
    void ConnectToObject(const QString& server);
    QString UpdateDecimalSeparator(const QString& s) const { return ::UpdateDecimalSeparator(s); }

    // Writing operations: any error of the runtime's exception class becomes the
    // operation's own class.
    void InsertExcelTemp(int64_t idPredpr, const QString& namePredpr, const QString& invoicefullname, const QString& docnumber,
                         const QString& svplace, const QString& recipientname, const QString& signerfio, TDateTime datetrans,
                         int16_t status, Currency ndsexcel, Currency totalcostinv, Currency totalcostvatinv, const Variant& docdate,
                         const Variant& dopunn);
    void InsertSvodDuples(const QString& numbuhdup, const QString& docnumberdup, const QString& numbuhsv, const QString& invfullname,
                          const QString& namepredpr, TDateTime mes, TDateTime docdatedup, Currency sumdup, Currency invtotalvat,
                          int16_t dopUNN);
    void InsertSvodInv(const Variant& idPredpr, const Variant& invoicefullname, const Variant& datetrans, const Variant& status,
                       const Variant& ndsspr, const Variant& ndsinvoice, const Variant& totalcostinv, const Variant& totalcostvatinv,
                       const Variant& svplace, const Variant& numbuhspr, const Variant& numdocpart, const Variant& docnumber,
                       const Variant& docdate, const Variant& filial);
    void InsertSprProv(const QString& numbuhspr, const QString& numdoc, const QString& numdocpart, const QString& NSF, TDateTime mes,
                       TDateTime datadoc, Currency summ, const Variant& globalcode, int16_t filial);
    void InsertTmpDararedInv(const Variant& idPredpr, const Variant& invoicefullname, const Variant& datetrans, const Variant& status,
                             const Variant& recipientname, const Variant& signerfio, const Variant& namepredpr,
                             const Variant& docnumber, const Variant& docdate, const Variant& ndsexcel, const Variant& ndsspr,
                             const Variant& ndsinvoice, const Variant& totalcostinv, const Variant& totalcostvatinv,
                             const Variant& filial, const Variant& svplace, const Variant& numbuhspr, const Variant& numdocpart);
    void InsertTpmDararedProv(const Variant& numbuhspr, const Variant& mes, const Variant& numdoc, const Variant& numdocpart,
                              const Variant& NSF, const Variant& datadoc, const Variant& summ, const Variant& globalcode,
                              const Variant& filial);
    void InsertDararedSigner(int16_t filial, const QString& fio);
    void UpdateDararedSigner(int32_t idRecord, int16_t filial, const QString& fio);
    void DeleteDararedSigner(int32_t idRecord);
    void InsertZeroExclude(int16_t filial, const QString& invoice);
    void UpdateZeroExclude(int32_t idRecord, int16_t filial, const QString& invoice);
    void DeleteZeroExclude(int32_t idRecord);

    // Reading operations: errors pass to the caller.
    bool CheckDararedSignersDuplicates(QString& fios);
    QString GetSignersByFilial(const Variant& filial);
    void SelectSprProv(TADOQuery* Query, const QString& numdoc, const QString& numdocpart, const QString& numbuhspr,
                       const QString& globalcode, const QString& invfullname, TDateTime datadoc, int16_t filial);

    // Components of the form resource.
    TADOConnection* SvodMDBConnection = nullptr;
    TADOConnection* ObjMDBConnection = nullptr;
    TADOQuery *CrInvProv = nullptr, *InsInvProvData = nullptr, *SelectInvProvData = nullptr, *SelectDuplicateProv = nullptr,
              *SelectSprProvObj = nullptr;
    TADOQuery *CrExcelTemp = nullptr, *InsExcelTempQ = nullptr, *CrSvodInv = nullptr, *CrSvodDuples = nullptr, *CrSprProv = nullptr,
              *InsSvodInvQ = nullptr, *InsSvodDuplesQ = nullptr, *InsSprProvQ = nullptr, *SelectSvodInv = nullptr,
              *SelectSvodDuplesFilial = nullptr, *SelectSvodDuplesOblpo = nullptr, *SelectSvodDuplesInvoiceNumbers = nullptr,
              *SelectSprProvQ = nullptr, *ExcSumQ = nullptr, *SprSumQ = nullptr;
    TADOQuery *SelectTmpDararedInv = nullptr, *SelectTmpDararedProv = nullptr, *InsTmpDararedInvQ = nullptr,
              *InsTmpDararedProvQ = nullptr, *RewriteInsTmpDararedProv = nullptr, *DelTmpDararedInvQ = nullptr,
              *SelectDararedSingersQ = nullptr, *InsertDararedSingersQ = nullptr, *UpdateDararedSingersQ = nullptr,
              *DeleteDararedSingersQ = nullptr, *SelectSignersByFilialQ = nullptr, *CheckDararedSignersDuplesQ = nullptr,
              *SelectZeroExcludeQ = nullptr, *InsertZeroExcludeQ = nullptr, *UpdateZeroExcludeQ = nullptr,
              *DeleteZeroExcludeQ = nullptr, *SelectPlatPredpr = nullptr, *SelectOblDopUnn = nullptr;
    TDataSource *SelectSvodDuplesDS = nullptr, *SelectSvodDuplesOblpoDS = nullptr, *SelectSvodDuplesInvoiceNumbersDS = nullptr,
                *SelectSprProvDS = nullptr, *SelectTmpDararedProvDS = nullptr, *SelectDararedSingersDS = nullptr,
                *SelectZeroExcludeDS = nullptr, *SelectPlatPredprDS = nullptr;
    TDataSetDriverEh *SelectSvodInvDSDEh = nullptr, *SelectTmpDararedInvDSDEh = nullptr;
    // The result tables and their calculated fields (uCompDM_ResultTables.cpp).
    TMemTableEh *CompareMemTableEh = nullptr, *TmpDararedInvMemTableEh = nullptr;
    TDataSource *CompareMemTableEhDS = nullptr, *TmpDararedInvMemTableEhDS = nullptr;
    static QString GetStatusText(int16_t code);
    // The icons of the main window's menus and buttons (16 and 24 pixels), filled from the
    // program's image resources once the module is read.
    TImageList *ImageList_16 = nullptr, *ImageList_24 = nullptr;
    void CompareMemTableEhCalcFields(TDataSet* DataSet);
    void TmpDararedInvMemTableEhCalcFields(TDataSet* DataSet);

protected:
    void DoCreate() override;
};

extern TCompDM* CompDM;
