-- Creates the catalog "MainDataBase" with the tables the program reads and writes.
-- Text columns take the database's case-insensitive Cyrillic collation.
IF DB_ID('MainDataBase') IS NULL
  CREATE DATABASE [MainDataBase] COLLATE Cyrillic_General_CI_AS
GO
USE [MainDataBase]
GO
CREATE TABLE tbPredpr (idPredpr int NOT NULL PRIMARY KEY, unn varchar(20), dopUNN smallint, globalcode varchar(50),
  namePredpr varchar(300))
GO
CREATE TABLE tbNastrPredpr (idPredpr int NOT NULL)
GO
CREATE TABLE invoices (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL, idProvider int,
  invoice varchar(25), documentType tinyint, dateTransaction datetime, sv bit, totalVat decimal(18, 3),
  totalCost decimal(18, 3), totalCostVat decimal(18, 3),
  CONSTRAINT PK_invoices PRIMARY KEY (idSender, compilingYear, number))
GO
CREATE TABLE history (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL, invStatus smallint,
  CONSTRAINT PK_history PRIMARY KEY (idSender, compilingYear, number))
GO
CREATE TABLE documents (idSender int NOT NULL, compilingYear smallint NOT NULL, number bigint NOT NULL,
  docNumber varchar(50), docDate datetime,
  CONSTRAINT PK_documents PRIMARY KEY (idSender, compilingYear, number))
GO
