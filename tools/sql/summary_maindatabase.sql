-- Creates the catalog "maindatabase" with the tables the program reads and writes.
-- Text columns take the database's case-insensitive Cyrillic collation.
IF DB_ID('maindatabase') IS NULL
  CREATE DATABASE [maindatabase] COLLATE Cyrillic_General_CI_AS
GO
USE [maindatabase]
GO
CREATE TABLE tbPredpr (idPredpr bigint NOT NULL PRIMARY KEY, NamePredprShort varchar(150), idPlat bigint,
  UNN varchar(20), dopUNN smallint, namePredpr varchar(300))
GO
CREATE TABLE tbNastrPredpr (idPredpr bigint NOT NULL)
GO
CREATE TABLE tmpDararedInv (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, idPredpr bigint, invoicefullname varchar(25),
  datetrans datetime, status tinyint, recipientname varchar(200), signerfio varchar(70), namepredpr varchar(300),
  docnumber varchar(50), docdate datetime, ndsexcel decimal(18, 3), ndsspr decimal(18, 3), ndsinvoice decimal(18, 3),
  totalcostinv decimal(18, 3), totalcostvatinv decimal(18, 3), filial smallint, svplace varchar(1), numbuhspr varchar(10),
  numdocpart varchar(50), hide bit NOT NULL DEFAULT (0))
CREATE INDEX IX_tmpDararedInv_invoicefullname ON tmpDararedInv (invoicefullname)
GO
CREATE TABLE tmpDararedProv (numbuhspr varchar(10), mes datetime, datadoc datetime, numdoc varchar(50), numdocpart varchar(50),
  summ decimal(18, 3), globalcode varchar(50), filial smallint, NSF varchar(30))
GO
CREATE TABLE DararedSigners (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, filial smallint NOT NULL, fio varchar(100) NOT NULL,
  CONSTRAINT UQ_DararedSigners UNIQUE (filial, fio))
GO
CREATE TABLE DararedZeroExclude (idRecord int IDENTITY(1,1) NOT NULL PRIMARY KEY, filial smallint NOT NULL,
  invoice varchar(25) NOT NULL)
GO
