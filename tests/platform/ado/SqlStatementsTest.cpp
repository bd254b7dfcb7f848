// Every statement of the data module, run unchanged on small fixture catalogs: the branch
// statements on a branch folder (MainDataBase + buh), then the summary statements on the
// summary folder (maindatabase), in the order a reconciliation uses them.
#include "SqlFixture.h"

namespace {

// ---- fixture schemas (what the program relies on, plus the keys)

const char* kBuhSchema = R"(
CREATE TABLE tbSpravka(NSF varchar(30), Summ decimal(18, 3), DataDoc datetime, NumDoc varchar(50), numDocPart varchar(50),
  NumBuhSpr varchar(10), idPredpr int, mes smalldatetime, idSchetSubSchetDT int, PrizAUDT varchar(10), idSchetSubSchetKT int,
  PrizAUKT varchar(10), PrizRej int, Sv int)
CREATE TABLE tbSFProvNDS(IdDt int, AuDt varchar(10), IdKt int, AuKt varchar(10))
INSERT INTO tbSFProvNDS VALUES (18, NULL, 60, NULL)
INSERT INTO tbSFProvNDS VALUES (19, 'A', 60, NULL)
-- certificate of e-invoice 11: number with zeros and a trailing comma, part with a trailing point
INSERT INTO tbSpravka VALUES ('1-200000002-2024-0000000011', 12.500, '09.02.2024', '000123,', '7.', '15', 2, '01.02.2024', 18, NULL, 60, NULL, 1, 0)
INSERT INTO tbSpravka VALUES ('1-200000002-2024-0000000011', 7.500, '09.02.2024', '000123,', '7.', '15', 2, '01.02.2024', 19, 'a', 60, NULL, 1, 0)
-- a certificate without an e-invoice
INSERT INTO tbSpravka VALUES ('1-999999999-2024-0000000099', 7.500, '05.02.2024', '0077', '', '16', 3, '01.02.2024', 18, NULL, 60, NULL, 1, 0)
-- booked twice: same number, sum and enterprise as e-invoice 11, no e-invoice of its own
INSERT INTO tbSpravka VALUES ('1-888888888-2024-0000000077', 20.000, '09.02.2024', '123', '', '17', 2, '01.02.2024', 18, NULL, 60, NULL, 1, 0)
-- not a VAT entry, rejected, other month, on the organisation itself
INSERT INTO tbSpravka VALUES ('1-200000002-2024-0000000012', 1.000, '09.02.2024', '5', '', '18', 2, '01.02.2024', 20, NULL, 60, NULL, 1, 0)
INSERT INTO tbSpravka VALUES ('1-200000002-2024-0000000012', 1.000, '09.02.2024', '5', '', '18', 2, '01.02.2024', 18, NULL, 60, NULL, 0, 0)
INSERT INTO tbSpravka VALUES ('1-200000002-2024-0000000012', 1.000, '09.02.2024', '5', '', '18', 2, '01.03.2024', 18, NULL, 60, NULL, 1, 0)
INSERT INTO tbSpravka VALUES ('1-100000001-2024-0000000005', 3.000, '09.02.2024', '9', '', '19', 1, '01.02.2024', 18, NULL, 60, NULL, 1, 0)
-- an enterprise the branch does not know
INSERT INTO tbSpravka VALUES ('1-777777777-2024-0000000066', 2.000, '09.02.2024', '0066.', '', '20', 99, '01.02.2024', 18, NULL, 60, NULL, 1, 0)
)";

const char* kBranchSchema = R"(
CREATE TABLE tbPredpr(idPredpr int PRIMARY KEY, unn varchar(20), dopUNN smallint, globalcode varchar(50), namePredpr varchar(300))
CREATE TABLE tbNastrPredpr(idPredpr int)
CREATE TABLE invoices(idSender int, compilingYear smallint, number bigint, idProvider int, invoice varchar(25), documentType tinyint,
  dateTransaction datetime, sv bit, totalVat decimal(18, 3), totalCost decimal(18, 3), totalCostVat decimal(18, 3))
CREATE TABLE history(idSender int, compilingYear smallint, number bigint, invStatus smallint)
CREATE TABLE documents(idSender int, compilingYear smallint, number bigint, docNumber varchar(50), docDate datetime)
INSERT INTO tbPredpr VALUES (1, '100000001', 2, '5001', 'Филиал №2')
INSERT INTO tbPredpr VALUES (2, '200000002', NULL, '5002', 'ООО Поставщик')
INSERT INTO tbPredpr VALUES (3, '300000003', NULL, '5003*', 'ЗАО Звезда')
INSERT INTO tbNastrPredpr VALUES (1)
INSERT INTO invoices VALUES (1, 2024, 11, 2, NULL, 1, '10.02.2024', 1, 20.000, 100.000, 120.000)
INSERT INTO invoices VALUES (1, 2024, 12, 3, NULL, 1, '15.02.2024', 1, 40.000, 200.000, 240.000)
INSERT INTO invoices VALUES (1, 2024, 13, 2, NULL, 1, '20.03.2024', 1, 5.000, 25.000, 30.000)
INSERT INTO invoices VALUES (1, 2024, 14, 2, '200000002-2024-0000000011', 2, '20.01.2024', 1, 1.000, 5.000, 6.000)
INSERT INTO invoices VALUES (1, 2024, 15, 2, NULL, 1, '20.05.2024', 1, 9.000, 45.000, 54.000)
INSERT INTO history VALUES (1, 2024, 11, 5)
INSERT INTO history VALUES (1, 2024, 12, 3)
INSERT INTO history VALUES (1, 2024, 13, 5)
INSERT INTO history VALUES (1, 2024, 14, 5)
INSERT INTO history VALUES (1, 2024, 15, 5)
INSERT INTO documents VALUES (1, 2024, 11, '000123', '09.02.2024')
INSERT INTO documents VALUES (1, 2024, 12, '45', '14.02.2024')
)";

const char* kSummarySchema = R"(
CREATE TABLE tbPredpr(idPredpr bigint PRIMARY KEY, NamePredprShort varchar(150), idPlat bigint, UNN varchar(20), dopUNN smallint,
  namePredpr varchar(300))
CREATE TABLE tbNastrPredpr(idPredpr bigint)
CREATE TABLE tmpDararedInv(idRecord int IDENTITY(1,1) NOT NULL, idPredpr bigint, invoicefullname varchar(25), datetrans datetime,
  status tinyint, recipientname varchar(200), signerfio varchar(70), namepredpr varchar(300), docnumber varchar(50), docdate datetime,
  ndsexcel decimal(18, 3), ndsspr decimal(18, 3), ndsinvoice decimal(18, 3), totalcostinv decimal(18, 3), totalcostvatinv decimal(18, 3),
  filial smallint, svplace varchar(1), numbuhspr varchar(10), numdocpart varchar(50), hide bit NOT NULL DEFAULT (0))
CREATE TABLE tmpDararedProv(numbuhspr varchar(10), mes datetime, datadoc datetime, numdoc varchar(50), numdocpart varchar(50),
  summ decimal(18, 3), globalcode varchar(50), filial smallint, NSF varchar(30))
CREATE TABLE DararedSigners(idRecord int IDENTITY(1,1) NOT NULL, filial smallint NOT NULL, fio varchar(100) NOT NULL,
  CONSTRAINT UQ_DararedSigners UNIQUE (filial, fio))
CREATE TABLE DararedZeroExclude(idRecord int IDENTITY(1,1) NOT NULL, filial smallint NOT NULL, invoice varchar(25) NOT NULL)
INSERT INTO tbPredpr VALUES (1, 'Облпо', 1, '100000001', 1, 'Облпотребсоюз')
INSERT INTO tbPredpr VALUES (5001, 'Филиал 2', 5001, '100000001', 2, 'Филиал №2')
INSERT INTO tbPredpr VALUES (5002, 'Поставщик', 5002, '200000002', NULL, 'ООО Поставщик')
INSERT INTO tbPredpr VALUES (5003, 'Звезда', 5002, '300000003', 3, 'ЗАО Звезда')
INSERT INTO tbNastrPredpr VALUES (1)
)";

// ---- the statements, as the data module holds them

const QString kCleanNum = QStringLiteral(
    "substring(CASE WHEN RIGHT(spr.NumDoc,1) in ('.', ',')  THEN SUBSTRING(spr.NumDoc, 1, len(spr.NumDoc) - 1) ELSE spr.NumDoc END, "
    "patindex('%[^0]%', CASE WHEN RIGHT(spr.NumDoc,1) in ('.', ',') THEN SUBSTRING(spr.NumDoc, 1, len(spr.NumDoc) - 1) ELSE spr.NumDoc END), 50)");
const QString kCleanPart = QStringLiteral(
    "(CASE WHEN RIGHT(spr.numDocPart,1) in ('.', ',') THEN SUBSTRING(spr.numDocPart, 1, len(spr.numDocPart) - 1) ELSE spr.numDocPart END)");
const QString kVatJoin = QStringLiteral(
    "FROM buh.dbo.tbSpravka spr\n"
    "INNER JOIN buh.dbo.tbSFProvNDS prov ON spr.idSchetSubSchetDT=prov.IdDt AND ISNULL(spr.PrizAUDT,'')=ISNULL(prov.AuDt,'') AND\n"
    "spr.idSchetSubSchetKT=prov.IdKt AND ISNULL(spr.PrizAUKT,'')=ISNULL(prov.AuKt,'')\n"
    "LEFT JOIN tbPredpr pred ON spr.idPredpr=pred.idPredpr\n");
const QString kCertFilter = QStringLiteral(
    "WHERE (mes BETWEEN @FirstDate and @SecondDate) AND PrizRej=1 AND Sv=0 AND ((pred.unn<>@unn AND @delSelfProv=1) OR (@delSelfProv=0))\n");
const QString kBranchHead = QStringLiteral(
    "SET DATEFORMAT DMY\n"
    "DECLARE @FirstDate DATETIME\n"
    "DECLARE @SecondDate DATETIME\n"
    "DECLARE @dopUnn smallint\n"
    "DECLARE @unn varchar(20)\n"
    "DECLARE @delSelfProv bit\n"
    "SET @FirstDate=CAST(:FirstDate AS DATETIME)\n"
    "SET @SecondDate=CAST(:SecondDate AS DATETIME)\n"
    "SET @delSelfProv=:delSelfProv\n"
    "SELECT @unn=unn, @dopUnn=dopUNN FROM tbPredpr WHERE idPredpr=(SELECT idPredpr FROM tbNastrPredpr)\n");

QString invSelect(bool corrected)
{
    QString window = QStringLiteral("BETWEEN DATEADD(month, -1, @FirstDate) AND DATEADD(month, 1,@SecondDate)");
    QString s = QStringLiteral(
        "SELECT prov.UNN+'-'+CAST(inv.compilingYear AS VARCHAR)+'-'+RIGHT('0000000000'+CAST(inv.number AS VARCHAR),10) AS Fullname,\n"
        "  his.invStatus, substring(doc.docNumber, patindex('%[^0]%', doc.docNumber), 50) AS docNumber, doc.docDate, inv.totalVat,\n"
        "  inv.totalCost, inv.totalCostVat, inv.documentType, inv.idSender, prov.globalcode, inv.dateTransaction\n"
        "FROM invoices inv\n"
        "INNER JOIN history his ON his.idSender=inv.idSender AND his.compilingYear=inv.compilingYear AND his.number=inv.number\n"
        "LEFT JOIN documents doc ON doc.idSender=inv.idSender AND doc.compilingYear=inv.compilingYear AND doc.number=inv.number\n"
        "INNER JOIN tbPredpr prov ON prov.idPredpr=inv.idProvider\n");
    if (!corrected)
        return s + QStringLiteral("WHERE inv.sv=1 and documentType in (1, 4) AND ((inv.dateTransaction %1) OR (doc.docDate %1))\n").arg(window);
    return s + QStringLiteral(
                   "LEFT JOIN invoices invorg ON invorg.idSender=inv.idSender and CAST(Substring(inv.invoice, 11, 4) AS smallint)=invorg.compilingYear "
                   "and CAST(Substring(inv.invoice, 16, 10) AS bigint)=invorg.number\n"
                   "LEFT JOIN documents docorg ON docorg.idSender=invorg.idSender AND docorg.compilingYear=invorg.compilingYear AND docorg.number=invorg.number\n"
                   "WHERE inv.sv=1 and inv.documentType in (2, 3) AND ((inv.dateTransaction %1) OR (doc.docDate %1) OR (invorg.dateTransaction %1) OR (docorg.docDate %1))\n")
               .arg(window);
}

const QString kCrInvProv = QStringLiteral(
    "if object_id('tempdb..#inv_prov','U') is not NULL\n"
    "drop table tempdb..#inv_prov\n"
    "\n"
    "CREATE TABLE tempdb..#inv_prov(\n"
    "fullName VARCHAR(30),\ndocumentType tinyint,\ninvStatus smallint,\ndateTrans DATETIME,\ndocNumber VARCHAR(50),\ndocDate DATETIME,\n"
    "sprSum NUMERIC(18, 3),\ntotalVat DECIMAL(18, 3),\ntotalCost DECIMAL(18, 3),\ntotalCostVat DECIMAL(18, 3),\ndopUnn smallint,\n"
    "NumBuhSpr VARCHAR(10),\nidPredpr int,\nglobalcode bigint,\nNumDocPart VARCHAR(50),\nmes smalldatetime\n)");

QString insInvProvData()
{
    return kBranchHead
           + QStringLiteral(
               "INSERT INTO #inv_prov (fullName, documentType, invStatus, dateTrans, docNumber, docDate, sprSum, totalVat, totalCost,\n"
               "  totalCostVat, dopUnn, NumBuhSpr, idPredpr, globalcode, NumDocPart, mes)\n"
               "SELECT inv.Fullname, inv.documentType, inv.invStatus, inv.dateTransaction, ISNULL(inv.docNumber, spr.NumDoc),\n"
               "  ISNULL(inv.docDate, spr.DataDoc), spr.Summ, inv.totalVat, inv.totalCost, inv.totalCostVat, @dopUnn, spr.NumBuhSpr,\n"
               "  ISNULL(spr.idPredpr, inv.idSender),\n"
               "  CASE WHEN RIGHT(ISNULL(spr.globalcode, inv.globalcode), 1) = '*' THEN NULL ELSE ISNULL(spr.globalcode, inv.globalcode) END,\n"
               "  spr.NumDocPart, spr.mes\n"
               "FROM (\n")
           + invSelect(false) + QStringLiteral("UNION\n") + invSelect(true)
           + QStringLiteral(") inv\nFULL JOIN (\nSELECT spr.NSF, SUM(spr.Summ) AS Summ, spr.DataDoc, ") + kCleanNum + QStringLiteral(" AS NumDoc, ")
           + kCleanPart + QStringLiteral(" AS numDocPart,\n  spr.NumBuhSpr, spr.idPredpr, pred.globalcode, spr.mes\n") + kVatJoin + kCertFilter
           + QStringLiteral("GROUP BY spr.NSF, spr.DataDoc, ") + kCleanNum + QStringLiteral(", ") + kCleanPart
           + QStringLiteral(", spr.NumBuhSpr, spr.idPredpr, pred.globalcode, spr.mes\n"
                            ") spr ON inv.Fullname=Substring(spr.NSF,3,25)\n"
                            "WHERE ((inv.dateTransaction BETWEEN @FirstDate and @SecondDate) OR (inv.dateTransaction IS NULL) OR\n"
                            "  (inv.dateTransaction NOT BETWEEN @FirstDate and @SecondDate and spr.Summ IS NOT NULL))\n"
                            "-- Условие для предприятия\n"
                            "ORDER BY inv.Fullname");
}

QString invProvColumns(const QString& svplace)
{
    return QStringLiteral("SELECT main.fullName, main.documentType, main.invStatus, main.dateTrans, main.docNumber, main.docDate, main.sprSum,\n"
                          "  main.totalVat, main.totalCost, main.totalCostVat, main.dopUnn, main.NumBuhSpr, main.idPredpr, main.globalcode,\n  ")
           + svplace + QStringLiteral(" AS Svplace, main.NumDocPart, main.mes\nFROM #inv_prov main\n");
}

const QString kSelectInvProvData = invProvColumns(QStringLiteral("NULL")) + QStringLiteral("WHERE main.fullName is NULL\nUNION ALL\n")
                                   + invProvColumns(QStringLiteral("'С'")) + QStringLiteral("WHERE main.fullName is not NULL\nORDER BY main.fullName");

const QString kSelectDuplicateProv = QStringLiteral(
    "SELECT main.mes, main.NumBuhSpr, main.docNumber, main.docDate, main.sprSum, esf.numBuhSpr AS numBuhinv, esf.fullName, esf.totalVat,\n"
    "  pr.namePredpr, main.dopUNN\n"
    "FROM #inv_prov main\n"
    "INNER JOIN (SELECT docNumber, sprSum, idPredpr FROM #inv_prov GROUP BY docNumber, sprSum, idPredpr HAVING COUNT(*)>1) dup\n"
    "  ON main.docNumber=dup.docNumber AND main.sprSum=dup.sprSum AND main.idPredpr=dup.idPredpr\n"
    "LEFT JOIN #inv_prov esf ON main.docNumber=esf.docNumber AND main.sprSum=esf.sprSum AND main.idPredpr=esf.idPredpr AND esf.fullName is not NULL\n"
    "LEFT JOIN tbPredpr pr ON main.idPredpr=pr.idPredpr\n"
    "WHERE main.fullName is NULL AND esf.fullName IS NOT NULL\n"
    "ORDER BY main.docNumber, main.fullName");

QString selectSprProvObj()
{
    return kBranchHead + QStringLiteral("SELECT spr.Summ, spr.DataDoc, ") + kCleanNum + QStringLiteral(" AS NumDoc, ") + kCleanPart
           + QStringLiteral(" AS numDocPart, spr.mes,\n  spr.NumBuhSpr, pred.globalcode, @dopUnn as dopUNN, spr.NSF\n") + kVatJoin + kCertFilter
           + QStringLiteral("-- Условие для предприятия\n");   // the last line is the placeholder
}

QString createTemp(const char* name, const char* columns, const char* index = nullptr)
{
    QString s = QStringLiteral("if object_id('tempdb..%1','U') is not NULL\ndrop table tempdb..%1\n\nCREATE TABLE tempdb..%1(\n%2)")
                    .arg(QLatin1String(name), QString::fromUtf8(columns));
    if (index) s += u'\n' + QString::fromLatin1(index);
    return s;
}

const QString kCrExcelTemp = createTemp("#svexceltmp",
    "idPredpr bigint,\nnamePredpr varchar(200) COLLATE SQL_Latin1_General_CP1251_CI_AS,\ninvoicefullname varchar(25) PRIMARY KEY,\n"
    "datetrans datetime,\nstatus tinyint,\nrecipientname varchar(200),\ndopunn int,\nsignerfio varchar(70),\ndocnumber varchar(50),\n"
    "docdate datetime,\nndsexcel decimal(18, 3),\ntotalcostinv decimal(18, 3),\ntotalcostvatinv decimal(18, 3),\nsvplace varchar(1)\n",
    "create index EXCEL_TMP_IND_doc on tempdb..#svexceltmp (docnumber, ndsexcel, docdate)");
const QString kCrSvodInv = createTemp("#svod_inv",
    "idPredpr bigint, invoicefullname varchar(25), datetrans datetime, status tinyint, docnumber varchar(50), docdate datetime,\n"
    "ndsspr decimal(18, 3), ndsinvoice decimal(18, 3), totalcostinv decimal(18, 3), totalcostvatinv decimal(18, 3), filial smallint,\n"
    "svplace varchar(1), numbuhspr varchar(10), numdocpart varchar(50)",
    "create index SVODINV_TMP_IND_doc on tempdb..#svod_inv(docnumber, ndsspr, docdate)");
const QString kCrSvodDuples = createTemp("#svod_duples",
    "mes smalldatetime, numbuhdup VARCHAR(10), docnumberdup VARCHAR(30), docdatedup DATETIME, sumdup DECIMAL(18, 3), numbuhsv VARCHAR(10),\n"
    "invfullname VARCHAR(25), invtotalvat DECIMAL(18, 3), namepredpr VARCHAR(150), dopUNN smallint");
const QString kCrSprProv = createTemp("#svod_prov",
    "numbuhspr varchar(10), datadoc datetime, numdoc varchar(50), numdocpart varchar(50), summ decimal(18, 3), globalcode varchar(50),\n"
    "filial smallint, NSF varchar(30), mes datetime");

QString insertOf(const char* table, const char* columns)
{
    QStringList cols = QString::fromLatin1(columns).split(QStringLiteral(", "));
    QStringList params;
    for (const QString& c : cols) params << u':' + c;
    return QStringLiteral("INSERT INTO %1 (%2)\nVALUES (%3)").arg(QLatin1String(table), cols.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
}

const QString kInsExcelTempQ = insertOf("#svexceltmp",
    "idPredpr, namePredpr, invoicefullname, datetrans, status, recipientname, dopunn, signerfio, docnumber, docdate, ndsexcel, totalcostinv, totalcostvatinv, svplace");
const QString kInsSvodInvQ = insertOf("#svod_inv",
    "idPredpr, invoicefullname, datetrans, status, docnumber, docdate, ndsspr, ndsinvoice, totalcostinv, totalcostvatinv, filial, svplace, numbuhspr, numdocpart");
const QString kInsSvodDuplesQ = insertOf("#svod_duples",
    "mes, numbuhdup, docnumberdup, docdatedup, sumdup, numbuhsv, invfullname, invtotalvat, namepredpr, dopUNN");
const QString kInsSprProvQ = insertOf("#svod_prov", "numbuhspr, mes, datadoc, numdoc, numdocpart, summ, globalcode, filial, NSF");

QString counterparty(const char* a)
{
    return QStringLiteral("%1.UNN+CASE WHEN (%1.dopUNN IS NOT NULL) AND (%1.dopUNN>1) THEN ' '+CAST(%1.dopUNN AS VARCHAR) ELSE ''  END+' - '+%1.namePredpr")
        .arg(QLatin1String(a));
}

const QString kSelectSvodInv = QStringLiteral(
    "SET DATEFORMAT DMY\n"
    "DECLARE @FirstDate DATETIME, @SecondDate DATETIME, @isFilial bit\n"
    "DECLARE @duples TABLE (invoicefullname varchar(25))\n"
    "SET @FirstDate=CAST(:FirstDate AS DATETIME)\n"
    "SET @SecondDate=CAST(:SecondDate AS DATETIME)\n"
    "SET @isFilial=:isFilial\n"
    "INSERT INTO @duples(invoicefullname)\n"
    "SELECT invoicefullname FROM #svod_inv WHERE invoicefullname IS NOT NULL GROUP BY invoicefullname HAVING COUNT(invoicefullname)>1\n"
    "SELECT ISNULL(inv.idPredpr, exc.idPredpr) AS idPredpr, ISNULL(inv.invoicefullname, exc.invoicefullname) AS invoicefullname,\n"
    "  ISNULL(inv.datetrans, exc.datetrans) AS datetrans, ISNULL(inv.status, exc.status) AS status, exc.recipientname, exc.signerfio,\n"
    "  ISNULL(") + counterparty("pred") + QStringLiteral(", ISNULL(") + counterparty("excpred") + QStringLiteral(", exc.namePredpr)) AS namepredpr,\n"
    "  ISNULL(inv.docnumber, exc.docnumber) AS docnumber, ISNULL(inv.docdate , exc.docdate) AS docdate,\n"
    "  (CASE WHEN @isFilial=1 THEN exc.ndsexcel ELSE (CASE WHEN cze.idRecord IS NULL THEN exc.ndsexcel ELSE 0 END) END) AS ndsexcel,\n"
    "  inv.ndsspr, inv.ndsinvoice, ISNULL(inv.totalcostinv, exc.totalcostinv) AS totalcostinv,\n"
    "  ISNULL(inv.totalcostvatinv, exc.totalcostvatinv) AS totalcostvatinv, ISNULL(ISNULL(inv.filial,csig.filial), exc.dopunn) AS filial,\n"
    "  ISNULL(inv.svplace, exc.svplace) AS svplace, inv.numbuhspr, inv.numdocpart\n"
    "FROM #svod_inv inv\n"
    "FULL JOIN #svexceltmp exc ON (inv.invoicefullname=exc.invoicefullname)\n"
    "LEFT JOIN tbPredpr pred ON inv.idPredpr=pred.idPredpr\n"
    "LEFT JOIN tbPredpr excpred ON exc.idPredpr=excpred.idPredpr\n"
    "LEFT JOIN DararedSigners csig ON exc.signerfio=csig.fio\n"
    "LEFT JOIN (SELECT invoicefullname FROM @duples) dup ON dup.invoicefullname=ISNULL(inv.invoicefullname, exc.invoicefullname) AND inv.ndsspr IS NULL\n"
    "LEFT JOIN DararedZeroExclude cze ON exc.invoicefullname=cze.invoice AND ISNULL(ISNULL(inv.filial,csig.filial), exc.dopunn)=cze.filial\n"
    "WHERE dup.invoicefullname IS NULL\n"
    "-- Условие филиала\n"
    "-- Условие предприятия\n"
    "ORDER BY namepredpr, invoicefullname");

const QString kSelectSvodDuplesFilial = QStringLiteral("SELECT *\nFROM #svod_duples");
const QString kSelectSvodDuplesOblpo = QStringLiteral(
    "SELECT inv.idPredpr, inv.invoicefullname, inv.datetrans, inv.status, pred.namePredpr, inv.docnumber, inv.docdate, inv.ndsspr,\n"
    "  inv.ndsinvoice, inv.totalcostinv, inv.totalcostvatinv, inv.filial, inv.numbuhspr, inv.numdocpart\n"
    "FROM #svod_inv inv\n"
    "LEFT JOIN tbPredpr pred ON inv.idPredpr=pred.idPredpr\n"
    "INNER JOIN (SELECT invoicefullname, docnumber, docdate, ndsspr, ndsinvoice FROM #svod_inv\n"
    "  WHERE  ndsspr IS NOT NULL AND ndsinvoice IS NOT NULL\n"
    "  GROUP BY invoicefullname, docnumber, docdate, ndsspr, ndsinvoice HAVING COUNT(*)>1) dup\n"
    "  ON ISNULL(inv.invoicefullname,'')=ISNULL(dup.invoicefullname,'') AND ISNULL(inv.docnumber,'')=ISNULL(dup.docnumber,'')\n"
    "  AND ISNULL(inv.docdate,'')=ISNULL(dup.docdate,'') AND inv.ndsspr=dup.ndsspr AND inv.ndsinvoice=dup.ndsinvoice\n"
    "ORDER BY inv.invoicefullname");
const QString kSelectSvodDuplesInvoiceNumbers = QStringLiteral(
    "SELECT datetrans, invoicefullname, filial\n"
    "FROM #svod_inv\n"
    "WHERE invoicefullname IN (SELECT invoicefullname FROM #svod_inv WHERE invoicefullname IS NOT NULL\n"
    "  GROUP BY invoicefullname HAVING COUNT(invoicefullname)>1)\n"
    "ORDER BY datetrans, invoicefullname");

QString provDetail(const char* columns, const char* table)
{
    return QStringLiteral("SELECT %1\nFROM %2 prov\n"
                          "WHERE prov.numdoc=:numdoc AND prov.numdocpart=:numdocpart AND datadoc=:datadoc AND numbuhspr=:numbuhspr\n"
                          "AND globalcode=:globalcode AND filial=:filial AND Substring(ISNULL(NSF,''),3,25)=:invfullname")
        .arg(QLatin1String(columns), QLatin1String(table));
}
const QString kSelectSprProvQ = provDetail("numbuhspr, datadoc,  numdoc, numdocpart, summ, globalcode, filial, NSF, mes", "#svod_prov");
const QString kSelectTmpDararedProv = provDetail("numbuhspr, mes, datadoc, numdoc, numdocpart, summ, globalcode, filial, NSF", "tmpDararedProv");
const QString kExcSumQ = QStringLiteral("SELECT SUM(exc.ndsexcel) as excsum\nFROM #svexceltmp exc\nLEFT JOIN DararedSigners csig ON exc.signerfio=csig.fio\n-- Условие Филиал");
const QString kSprSumQ = QStringLiteral("SELECT SUM(summ) as sprsum\nFROM #svod_prov");

const QString kSelectTmpDararedInv = QStringLiteral("SELECT *\nFROM tmpDararedInv\n-- Условие предприятия");

QString insTmpDararedInvQ()
{
    const char* decl[][2] = {{"idPredpr", "[bigint]"}, {"invoicefullname", "[varchar] (25)"}, {"datetrans", "[datetime]"},
                             {"status", "[tinyint]"}, {"recipientname", "[varchar] (200)"}, {"signerfio", "[varchar] (70)"},
                             {"namepredpr", "[varchar] (300)"}, {"docnumber", "[varchar] (50)"}, {"docdate", "[datetime]"},
                             {"ndsexcel", "[decimal](18, 3)"}, {"ndsspr", "[decimal](18, 3)"}, {"ndsinvoice", "[decimal](18, 3)"},
                             {"totalcostinv", "[decimal](18, 3)"}, {"totalcostvatinv", "[decimal](18, 3)"}, {"filial", "[smallint]"},
                             {"svplace", "[varchar] (1)"}, {"numbuhspr", "[varchar] (10)"}, {"numdocpart", "[varchar] (50)"}};
    QString s;
    QStringList names;
    for (auto& d : decl) {
        s += QStringLiteral("DECLARE @%1 %2\n").arg(QLatin1String(d[0]), QLatin1String(d[1]));
        names << QLatin1String(d[0]);
    }
    for (const QString& n : names) s += QStringLiteral("SET @%1=:%1\n").arg(n);
    auto cmp = [](const char* c, const char* empty) {
        return QStringLiteral("ISNULL(%1,%2)=ISNULL(@%1,%2)").arg(QLatin1String(c), QLatin1String(empty));
    };
    QStringList conds = {cmp("idPredpr", "0"), cmp("invoicefullname", "''"), cmp("recipientname", "''"), cmp("signerfio", "''"),
                         cmp("docnumber", "''"), cmp("docdate", "''"), cmp("ndsexcel", "0"), cmp("ndsspr", "0"), cmp("ndsinvoice", "0"),
                         cmp("totalcostinv", "0"), cmp("totalcostvatinv", "0"), cmp("filial", "0"), cmp("numbuhspr", "''"),
                         cmp("numdocpart", "''")};
    s += QStringLiteral("IF NOT EXISTS (SELECT idRecord FROM tmpDararedInv WHERE ") + conds.join(QStringLiteral(" AND\n  ")) + QStringLiteral(")\n");
    QStringList cols, vars;
    for (const QString& n : names) { cols << u'[' + n + u']'; vars << u'@' + n; }
    s += QStringLiteral("INSERT INTO [tmpDararedInv] (") + cols.join(QStringLiteral(", ")) + QStringLiteral(")\nVALUES (") + vars.join(QStringLiteral(", ")) + u')';
    return s;
}

const QString kInsTmpDararedProvQ = QStringLiteral(
    "INSERT INTO [tmpDararedProv]([numbuhspr], [mes], [datadoc], [numdoc], [numdocpart], [summ], [globalcode], [filial], [NSF])\n"
    "VALUES (:numbuhspr, :mes, :datadoc, :numdoc, :numdocpart, :summ, :globalcode, :filial, :NSF)");
const QString kRewriteInsTmpDararedProv = QStringLiteral(
    "DELETE FROM tmpDararedProv\n"
    "INSERT INTO [tmpDararedProv]([numbuhspr], [mes], [datadoc], [numdoc], [numdocpart], [summ], [globalcode], [filial], [NSF])\n"
    "SELECT numbuhspr, mes, datadoc,  numdoc, numdocpart, summ, globalcode, filial, NSF\n"
    "FROM #svod_prov");
const QString kDelTmpDararedInvQ = QStringLiteral("DELETE FROM tmpDararedInv\nWHERE hide=0");

// ---- helpers

// The caller's placeholder step: line `fromEnd` lines before the end of the text is replaced.
QString WithLine(const QString& sql, int fromEnd, const QString& line)
{
    QStringList lines = sql.split(u'\n');
    lines[lines.size() - fromEnd] = line;
    return lines.join(u'\n');
}

struct Stmt {
    const char* name;
    QString sql;
    TSqlParams params;
    QStringList rows;      // expected rendered rows of a row set; empty with rowSet=false
    bool rowSet = true;
    bool anyOrder = false;   // the statement orders by a column that ties
};

void RunAll(TSqlSession& s, const std::vector<Stmt>& stmts)
{
    for (const Stmt& st : stmts) {
        SCOPED_TRACE(st.name);
        try {
            if (st.rowSet && st.anyOrder) {
                QStringList got = Query(s, st.sql, st.params), want = st.rows;
                got.sort();
                want.sort();
                EXPECT_EQ(got, want);
            } else if (st.rowSet) EXPECT_EQ(Query(s, st.sql, st.params), st.rows);
            else s.Execute(st.sql, st.params);
        } catch (const Exception& e) {
            ADD_FAILURE() << e.Message().toStdString();
        }
    }
}

class DataModuleStatements : public ::testing::Test {
protected:
    QTemporaryDir branchDir, summaryDir;
    void SetUp() override
    {
        TSqlSession::Connect(ConnStr(branchDir.path(), QStringLiteral("buh"), true))->Execute(QString::fromUtf8(kBuhSchema));
        TSqlSession::Connect(ConnStr(branchDir.path(), QStringLiteral("MainDataBase"), true))->Execute(QString::fromUtf8(kBranchSchema));
        TSqlSession::Connect(ConnStr(summaryDir.path(), QStringLiteral("maindatabase"), true))->Execute(QString::fromUtf8(kSummarySchema));
    }
    const TSqlParams period = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"delSelfProv", false}};
};

TEST_F(DataModuleStatements, BranchStatements)
{
    auto obj = TSqlSession::Connect(ConnStr(branchDir.path(), QStringLiteral("MainDataBase")));
    const QString selectAll = QStringLiteral(
        "SELECT fullName, invStatus, dateTrans, docNumber, docDate, sprSum, totalVat, dopUnn, NumBuhSpr, idPredpr, globalcode, NumDocPart, mes "
        "FROM #inv_prov ORDER BY fullName, NumBuhSpr");
    const QString noEnterprise = QStringLiteral("-- Условие для предприятия");
    RunAll(*obj, {
        {"CrInvProv", kCrInvProv, {}, {}, false},
        {"InsInvProvData", WithLine(insInvProvData(), 2, noEnterprise), period, {}, false},
        {"#inv_prov after InsInvProvData", selectAll, {}, {
            // certificates without an e-invoice: their own cleaned number and date; a code ending in '*' counts as none
            "NULL|NULL|NULL|77|2024-02-05|7.500|NULL|2|16|3|NULL||2024-02-01",
            "NULL|NULL|NULL|123|2024-02-09|20.000|NULL|2|17|2|5002||2024-02-01",
            "NULL|NULL|NULL|9|2024-02-09|3.000|NULL|2|19|1|5001||2024-02-01",
            "NULL|NULL|NULL|66|2024-02-09|2.000|NULL|2|20|99|NULL||2024-02-01",
            // e-invoice 11 with both of its VAT entries summed (account mark 'a' matches 'A')
            "200000002-2024-0000000011|5|2024-02-10|123|2024-02-09|20.000|20.000|2|15|2|5002|7|2024-02-01",
            // e-invoice 12 without a certificate; 13 (March) and the additional 14 (January) lie outside the period
            // without a certificate, so they are dropped; 15 lies outside the widened window
            "300000003-2024-0000000012|3|2024-02-15|45|2024-02-14|NULL|40.000|2|NULL|1|NULL|NULL|NULL",
        }},
        {"SelectInvProvData", kSelectInvProvData, {}, {
            "NULL|NULL|NULL|NULL|9|2024-02-09|3.000|NULL|NULL|NULL|2|19|1|5001|NULL||2024-02-01",
            "NULL|NULL|NULL|NULL|66|2024-02-09|2.000|NULL|NULL|NULL|2|20|99|NULL|NULL||2024-02-01",
            "NULL|NULL|NULL|NULL|123|2024-02-09|20.000|NULL|NULL|NULL|2|17|2|5002|NULL||2024-02-01",
            "NULL|NULL|NULL|NULL|77|2024-02-05|7.500|NULL|NULL|NULL|2|16|3|NULL|NULL||2024-02-01",
            "200000002-2024-0000000011|1|5|2024-02-10|123|2024-02-09|20.000|20.000|100.000|120.000|2|15|2|5002|С|7|2024-02-01",
            "300000003-2024-0000000012|1|3|2024-02-15|45|2024-02-14|NULL|40.000|200.000|240.000|2|NULL|1|NULL|С|NULL|NULL",
        }, true, true},
        {"SelectDuplicateProv", kSelectDuplicateProv, {}, {
            "2024-02-01|17|123|2024-02-09|20.000|15|200000002-2024-0000000011|20.000|ООО Поставщик|2",
        }},
        {"SelectSprProvObj", WithLine(selectSprProvObj(), 1, noEnterprise), period, {
            "12.500|2024-02-09|123|7|2024-02-01|15|5002|2|1-200000002-2024-0000000011",
            "7.500|2024-02-09|123|7|2024-02-01|15|5002|2|1-200000002-2024-0000000011",
            "7.500|2024-02-05|77||2024-02-01|16|5003*|2|1-999999999-2024-0000000099",
            "20.000|2024-02-09|123||2024-02-01|17|5002|2|1-888888888-2024-0000000077",
            "3.000|2024-02-09|9||2024-02-01|19|5001|2|1-100000001-2024-0000000005",
            "2.000|2024-02-09|66||2024-02-01|20|NULL|2|1-777777777-2024-0000000066",
        }},
    });
    // exclude-own-entries drops the organisation's own enterprise; a chosen enterprise narrows to its code
    TSqlParams self = period;
    self[2].Value = true;
    EXPECT_EQ(Query(*obj, WithLine(selectSprProvObj(), 1, noEnterprise), self).size(), 4);   // own and unknown enterprises dropped
    EXPECT_EQ(Query(*obj, WithLine(selectSprProvObj(), 1, QStringLiteral("AND ISNULL(pred.globalcode, '')='5001'")), self).size(), 0);
    EXPECT_EQ(Query(*obj, WithLine(selectSprProvObj(), 1, QStringLiteral("AND ISNULL(pred.globalcode, '')='5002'")), self).size(), 3);
    obj->Execute(kCrInvProv);
    obj->Execute(WithLine(insInvProvData(), 2, QStringLiteral("AND ISNULL(ISNULL(spr.globalcode, inv.globalcode),'')='5002'")), period);
    EXPECT_EQ(Query(*obj, QStringLiteral("SELECT fullName, docNumber, sprSum FROM #inv_prov ORDER BY fullName")),
              (QStringList{"NULL|123|20.000", "200000002-2024-0000000011|123|20.000"}));
    // a code ending in '*' never matches a chosen enterprise
    obj->Execute(kCrInvProv);
    obj->Execute(WithLine(insInvProvData(), 2, QStringLiteral("AND ISNULL(ISNULL(spr.globalcode, inv.globalcode),'')='5003'")), period);
    EXPECT_EQ(Query(*obj, QStringLiteral("SELECT COUNT(*) FROM #inv_prov")), QStringList{"0"});
    // the statement's column sizes are enforced: the known-fault fix of docNumber matters
    EXPECT_EQ(obj->Open(selectAll)->Columns()[3].Size, 50);
}

TEST_F(DataModuleStatements, SummaryStatements)
{
    auto svod = TSqlSession::Connect(ConnStr(summaryDir.path(), QStringLiteral("maindatabase")));
    auto d = [](int y, int m, int day) { return Variant::FromDate(double(sqlimpl::DaysFromCivil(y, m, day))); };
    auto cur = [](int64_t units1000) { return Currency::FromRaw(units1000 * 10); };
    // one workbook row per invoice; the signer decides the branch of a row the branches do not know
    auto excel = [&](int64_t pred, const char* inv, const char* signer, Variant nds, int dopunn) {
        return TSqlParams{{"idPredpr", (long long)pred}, {"namePredpr", "Из книги"}, {"invoicefullname", inv}, {"datetrans", d(2024, 2, 10)},
                          {"status", 5}, {"recipientname", "Облпо"}, {"dopunn", dopunn}, {"signerfio", signer}, {"docnumber", "123"},
                          {"docdate", d(2024, 2, 9)}, {"ndsexcel", nds}, {"totalcostinv", cur(100000)}, {"totalcostvatinv", cur(120000)},
                          {"svplace", "К"}};
    };
    auto svodInv = [&](Variant pred, const char* inv, Variant ndsspr, Variant ndsinv, int filial, const char* numbuh) {
        return TSqlParams{{"idPredpr", pred}, {"invoicefullname", inv}, {"datetrans", d(2024, 2, 10)}, {"status", 5}, {"docnumber", "123"},
                          {"docdate", d(2024, 2, 9)}, {"ndsspr", ndsspr}, {"ndsinvoice", ndsinv}, {"totalcostinv", cur(100000)},
                          {"totalcostvatinv", cur(120000)}, {"filial", filial}, {"svplace", "С"}, {"numbuhspr", numbuh}, {"numdocpart", "7"}};
    };
    const char* inv11 = "200000002-2024-0000000011";
    const char* inv12 = "300000003-2024-0000000012";
    const char* inv20 = "200000002-2024-0000000020";
    const TSqlParams prov = {{"numbuhspr", "15"}, {"mes", d(2024, 2, 1)}, {"datadoc", d(2024, 2, 9)}, {"numdoc", "123"}, {"numdocpart", "7"},
                             {"summ", cur(20000)}, {"globalcode", "5002"}, {"filial", 2}, {"NSF", "1-200000002-2024-0000000011"}};
    const TSqlParams detail = {{"numdoc", "123"}, {"numdocpart", "7"}, {"datadoc", d(2024, 2, 9)}, {"numbuhspr", "15"},
                               {"globalcode", "5002"}, {"filial", 2}, {"invfullname", inv11}};
    const TSqlParams compare = {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", false}};
    RunAll(*svod, {
        {"InsertDararedSingersQ", QStringLiteral("INSERT INTO DararedSigners(filial, fio)\nVALUES (:filial, :fio)"), {{"filial", 3}, {"fio", "Петров П.П."}}, {}, false},
        {"InsertDararedSingersQ 2", QStringLiteral("INSERT INTO DararedSigners(filial, fio)\nVALUES (:filial, :fio)"), {{"filial", 2}, {"fio", "Сидоров"}}, {}, false},
        {"InsertZeroExcludeQ", QStringLiteral("INSERT INTO DararedZeroExclude(filial, invoice)\nVALUES (:filial, :invoice)"), {{"filial", 3}, {"invoice", inv20}}, {}, false},
        {"CrExcelTemp", kCrExcelTemp, {}, {}, false},
        {"InsExcelTempQ 11", kInsExcelTempQ, excel(5002, inv11, "Иванов", cur(20000), 2), {}, false},
        {"InsExcelTempQ 20", kInsExcelTempQ, excel(5002, inv20, "ПЕТРОВ П.П.", cur(5500), 0), {}, false},
        {"InsExcelTempQ 30", kInsExcelTempQ, excel(9999, "999999999-2024-0000000030", "", Variant::Null(), 4), {}, false},
        {"CrSvodInv", kCrSvodInv, {}, {}, false},
        {"InsSvodInvQ 11", kInsSvodInvQ, svodInv(5002LL, inv11, cur(20000), cur(20000), 2, "15"), {}, false},
        {"InsSvodInvQ 11 other branch", kInsSvodInvQ, svodInv(5002LL, inv11, cur(20000), cur(20000), 3, "44"), {}, false},
        {"InsSvodInvQ 12", kInsSvodInvQ, svodInv(5003LL, inv12, Variant::Null(), cur(40000), 2, ""), {}, false},
        {"InsSvodInvQ 12 other branch", kInsSvodInvQ, svodInv(5003LL, inv12, cur(40000), cur(40000), 3, "9"), {}, false},
        {"CrSvodDuples", kCrSvodDuples, {}, {}, false},
        {"InsSvodDuplesQ", kInsSvodDuplesQ, {{"mes", d(2024, 2, 1)}, {"numbuhdup", "17"}, {"docnumberdup", "123"}, {"docdatedup", d(2024, 2, 9)},
                                             {"sumdup", cur(20000)}, {"numbuhsv", "15"}, {"invfullname", inv11}, {"invtotalvat", cur(20000)},
                                             {"namepredpr", "ООО Поставщик"}, {"dopUNN", 2}}, {}, false},
        {"CrSprProv", kCrSprProv, {}, {}, false},
        {"InsSprProvQ", kInsSprProvQ, prov, {}, false},
        {"SelectSvodInv", WithLine(WithLine(kSelectSvodInv, 3, QStringLiteral("-- Условие филиал")), 2, QStringLiteral("-- Условие предприятия")), compare, {
            // e-invoice 20: branch from the signer list, zeroed by the exclusion list; 30: unknown enterprise, workbook name
            "5002|200000002-2024-0000000011|2024-02-10|5|Облпо|Иванов|200000002 - ООО Поставщик|123|2024-02-09|20.000|20.000|20.000|100.000|120.000|2|С|15|7",
            "5002|200000002-2024-0000000011|2024-02-10|5|Облпо|Иванов|200000002 - ООО Поставщик|123|2024-02-09|20.000|20.000|20.000|100.000|120.000|3|С|44|7",
            "5002|200000002-2024-0000000020|2024-02-10|5|Облпо|ПЕТРОВ П.П.|200000002 - ООО Поставщик|123|2024-02-09|0.000|NULL|NULL|100.000|120.000|3|К|NULL|NULL",
            // e-invoice 12 reported by two branches: only the one with a certificate sum stays
            "5003|300000003-2024-0000000012|2024-02-10|5|NULL|NULL|300000003 3 - ЗАО Звезда|123|2024-02-09|NULL|40.000|40.000|100.000|120.000|3|С|9|7",
            "9999|999999999-2024-0000000030|2024-02-10|5|Облпо||Из книги|123|2024-02-09|NULL|NULL|NULL|100.000|120.000|4|К|NULL|NULL",
        }},
        {"SelectSvodInv in branch mode for an enterprise",
         WithLine(WithLine(kSelectSvodInv, 3, QStringLiteral("AND ISNULL(ISNULL(inv.filial,csig.filial), exc.dopunn)=3")), 2,
                  QStringLiteral("AND ISNULL(inv.idPredpr, exc.idPredpr)='5002'")),
         {{"FirstDate", "01.02.2024"}, {"SecondDate", "29.02.2024"}, {"isFilial", true}}, {
            "5002|200000002-2024-0000000011|2024-02-10|5|Облпо|Иванов|200000002 - ООО Поставщик|123|2024-02-09|20.000|20.000|20.000|100.000|120.000|3|С|44|7",
            "5002|200000002-2024-0000000020|2024-02-10|5|Облпо|ПЕТРОВ П.П.|200000002 - ООО Поставщик|123|2024-02-09|5.500|NULL|NULL|100.000|120.000|3|К|NULL|NULL",
        }},
        {"SelectSvodDuplesFilial", kSelectSvodDuplesFilial, {}, {
            "2024-02-01|17|123|2024-02-09|20.000|15|200000002-2024-0000000011|20.000|ООО Поставщик|2",
        }},
        {"SelectSvodDuplesOblpo", kSelectSvodDuplesOblpo, {}, {
            "5002|200000002-2024-0000000011|2024-02-10|5|ООО Поставщик|123|2024-02-09|20.000|20.000|100.000|120.000|2|15|7",
            "5002|200000002-2024-0000000011|2024-02-10|5|ООО Поставщик|123|2024-02-09|20.000|20.000|100.000|120.000|3|44|7",
        }},
        {"SelectSvodDuplesInvoiceNumbers", kSelectSvodDuplesInvoiceNumbers, {}, {
            "2024-02-10|200000002-2024-0000000011|2", "2024-02-10|200000002-2024-0000000011|3",
            "2024-02-10|300000003-2024-0000000012|2", "2024-02-10|300000003-2024-0000000012|3",
        }, true, true},
        {"SelectSprProvQ", kSelectSprProvQ, detail, {"15|2024-02-09|123|7|20.000|5002|2|1-200000002-2024-0000000011|2024-02-01"}},
        {"ExcSumQ", kExcSumQ, {}, {"25.500"}},
        {"ExcSumQ in branch mode", WithLine(kExcSumQ, 1, QStringLiteral("WHERE ISNULL(csig.filial,exc.dopunn)=3")), {}, {"5.500"}},
        {"SprSumQ", kSprSumQ, {}, {"20.000"}},
    });

    // saved reconciliation: saving the same result twice keeps one copy of each row
    auto rows = svod->Open(WithLine(WithLine(kSelectSvodInv, 3, QStringLiteral("-- Условие филиал")), 2, QStringLiteral("-- Условие предприятия")), compare);
    std::vector<std::vector<Variant>> result = rows->FetchAll();
    std::vector<TSqlColumn> cols = rows->Columns();
    EXPECT_EQ(cols[0].Type, TSqlDataType::BigInt);
    EXPECT_EQ(cols[2].Type, TSqlDataType::DateTime);
    EXPECT_EQ(cols[9].Type, TSqlDataType::Decimal);
    EXPECT_EQ(cols[9].Scale, 3);
    EXPECT_EQ(cols[14].Type, TSqlDataType::SmallInt);
    auto ins = svod->Prepare(insTmpDararedInvQ());
    for (int pass = 0; pass < 2; ++pass) {
        svod->Execute(kDelTmpDararedInvQ);
        for (const auto& r : result) {
            TSqlParams p;
            for (size_t i = 0; i < cols.size(); ++i) p.push_back({cols[i].Name, r[i]});
            ins->Execute(p);
        }
    }
    // without the delete, an equal row (in the 14 compared columns, NULLs included) is not added again
    for (const auto& r : result) {
        TSqlParams p;
        for (size_t i = 0; i < cols.size(); ++i) p.push_back({cols[i].Name, r[i]});
        ins->Execute(p);
    }
    EXPECT_EQ(Query(*svod, QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv")), QStringList{"5"});
    svod->Execute(kRewriteInsTmpDararedProv);
    RunAll(*svod, {
        {"SelectTmpDararedInv", WithLine(kSelectTmpDararedInv, 1, QStringLiteral("WHERE ISNULL(idPredpr,0)=5003")), {}, {
            "9|5003|300000003-2024-0000000012|2024-02-10|5|NULL|NULL|300000003 3 - ЗАО Звезда|123|2024-02-09|NULL|40.000|40.000|100.000|120.000|3|С|9|7|0",
        }},
        {"SelectTmpDararedInv count", QStringLiteral("SELECT COUNT(*) FROM tmpDararedInv"), {}, {"5"}},
        {"SelectTmpDararedProv", kSelectTmpDararedProv, detail, {"15|2024-02-01|2024-02-09|123|7|20.000|5002|2|1-200000002-2024-0000000011"}},
        {"InsTmpDararedProvQ", kInsTmpDararedProvQ, prov, {}, false},
        {"checked row", QStringLiteral("UPDATE tmpDararedInv SET hide=1 WHERE idRecord=9"), {}, {}, false},
        {"DelTmpDararedInvQ", kDelTmpDararedInvQ, {}, {}, false},
        {"after delete", QStringLiteral("SELECT idRecord, hide FROM tmpDararedInv"), {}, {"9|1"}},
        {"SelectDararedSingersQ", QStringLiteral("SELECT *\nFROM DararedSigners\nORDER BY filial, fio"), {}, {"2|2|Сидоров", "1|3|Петров П.П."}},
        {"UpdateDararedSingersQ", QStringLiteral("UPDATE DararedSigners\nSET filial=:filial, fio=:fio\nWHERE idRecord=:idRecord"),
         {{"filial", 3}, {"fio", "Сидоров"}, {"idRecord", 2}}, {}, false},
        {"InsertDararedSingersQ same name, other branch", QStringLiteral("INSERT INTO DararedSigners(filial, fio)\nVALUES (:filial, :fio)"),
         {{"filial", 4}, {"fio", "СИДОРОВ"}}, {}, false},
        {"SelectSignersByFilialQ", QStringLiteral("SELECT fio\nFROM DararedSigners\nWHERE filial=:filial"), {{"filial", 3}}, {"Петров П.П.", "Сидоров"}},
        {"CheckDararedSignersDuplesQ", QStringLiteral("SELECT fio \nFROM DararedSigners\nGROUP BY fio\nHAVING COUNT(fio)>1"), {{"filial", 0}}, {"Сидоров"}},
        {"DeleteDararedSingersQ", QStringLiteral("DELETE FROM DararedSigners\nWHERE idRecord=:idRecord"), {{"idRecord", 3}}, {}, false},
        {"SelectZeroExcludeQ", QStringLiteral("SELECT *\nFROM DararedZeroExclude\nORDER BY filial, invoice"), {}, {"1|3|200000002-2024-0000000020"}},
        {"UpdateZeroExcludeQ", QStringLiteral("UPDATE DararedZeroExclude\nSET filial=:filial, invoice=:invoice\nWHERE idRecord=:idRecord"),
         {{"filial", 2}, {"invoice", inv12}, {"idRecord", 1}}, {}, false},
        {"DeleteZeroExcludeQ", QStringLiteral("DELETE FROM DararedZeroExclude\nWHERE idRecord=:idRecord"), {{"idRecord", 1}}, {}, false},
        {"SelectZeroExcludeQ empty", QStringLiteral("SELECT *\nFROM DararedZeroExclude\nORDER BY filial, invoice"), {}, {}},
        {"SelectPlatPredpr", QStringLiteral("SELECT idPredpr, NamePredprShort\nFROM tbPredpr\nWHERE idPredpr=idPlat\nORDER BY NamePredprShort"), {},
         {"1|Облпо", "5002|Поставщик", "5001|Филиал 2"}},
        {"SelectOblDopUnn", QStringLiteral("SELECT dopUNN \nFROM tbPredpr \nWHERE UNN=(SELECT UNN FROM tbPredpr WHERE idPredpr=(SELECT idPredpr FROM tbNastrPredpr)) "
                                           "AND idPredpr<>(SELECT idPredpr FROM tbNastrPredpr)\nORDER BY dopUNN"), {}, {"2"}},
    });
    // a repeated e-invoice number fails its insert into the workbook table
    try {
        svod->Execute(kInsExcelTempQ, excel(5002, inv11, "", cur(1), 2));
        ADD_FAILURE() << "accepted";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key")));
    }
    // the same signer twice under one branch
    try {
        svod->Execute(QStringLiteral("INSERT INTO DararedSigners(filial, fio)\nVALUES (:filial, :fio)"), {{"filial", 3}, {"fio", "петров п.п."}});
        ADD_FAILURE() << "accepted";
    } catch (const ESqlError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("duplicate key")));
    }
    // with empty temporary tables the totals are NULL
    svod->Execute(kCrSprProv);
    EXPECT_EQ(Query(*svod, kSprSumQ), QStringList{"NULL"});
}

} // namespace
