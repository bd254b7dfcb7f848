-- Creates the catalog "buh" with the tables the program reads and writes.
-- Text columns take the database's case-insensitive Cyrillic collation.
IF DB_ID('buh') IS NULL
  CREATE DATABASE [buh] COLLATE Cyrillic_General_CI_AS
GO
USE [buh]
GO
CREATE TABLE tbSpravka (idSpravka int IDENTITY(1,1) NOT NULL PRIMARY KEY, NSF varchar(30), Summ decimal(18, 3),
  DataDoc datetime, NumDoc varchar(50), numDocPart varchar(50), NumBuhSpr varchar(10), idPredpr int, mes smalldatetime,
  idSchetSubSchetDT int, PrizAUDT varchar(10), idSchetSubSchetKT int, PrizAUKT varchar(10), PrizRej tinyint, Sv tinyint)
GO
CREATE TABLE tbSFProvNDS (IdDt int NOT NULL, AuDt varchar(10), IdKt int NOT NULL, AuKt varchar(10))
GO
-- The account pairs that are VAT entries are the accounting's own data: fill tbSFProvNDS.
