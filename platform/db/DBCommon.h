// The filter-expression compiler: turns filter and aggregate texts into the compiled byte
// form that record evaluators (the in-memory table's among them) walk without re-parsing.
//
// Compiled form (all numbers little-endian):
//   Header, 10 bytes, five 16-bit words:
//     w0 total size of the block in bytes
//     w1 number of nodes
//     w2 start of the node area (always 10)
//     w3 size of the literal pool in bytes
//     w4 start of the literal pool, counted from byte 0 of the block
//   Nodes follow the header. A node reference is an offset from byte 10; the root is at 0.
//   Every node is written before its operands (pre-order), so no operand is ever at offset 0
//   and 0 can mean "none" in the list and function words.
//   Node: class (32 bit), operator (32 bit), then 16-bit operand words:
//     ncUnary     [operand]
//     ncBinary    [left, right]
//     ncCompare   [case-insensitive flag, partial length, left, right]
//     ncField     [field number (1-based, the field's FieldNo; 0 for fields not stored in the
//                  record, such as calculated and lookup fields), name offset]
//     ncConst     [constant type code, size in bytes, value offset]
//     ncFunc      [name offset, first list element or 0]
//     ncListElem  [value node, next element or 0]
//   Literal offsets are counted from the pool start (w4).
//   Names (fields, functions) are zero-terminated UTF-8, so names in any script survive.
//   Constants, by type code:
//     ecString (1)    8-bit text + terminating zero (size = length + 1); only for ASCII text
//     ecWideText      16-bit byte count, then UTF-16 text (size = 2 + count); any other text
//     ecBoolean (4)   16-bit, non-zero is true
//     ecInteger (6)   32-bit signed;   ecLargeint (18) 64-bit signed
//     ecFloat (7)     64-bit IEEE double
//     ecBCD (8)       the 34-byte TBcd record (precision, sign/places, 32 packed digit bytes)
//     ecDate (2)      32-bit day number counted from 0001-01-01 as day 1 (TDateTime + 693594)
//     ecTime (10)     32-bit milliseconds since midnight
//     ecDateTime (11) 64-bit double: milliseconds since day 0 of the day numbering above
// What is produced:
//   = <> and LIKE between two texts give compare nodes (the case flag comes from the filter
//   options; a trailing "*" on a text literal in = or <> asks for a partial compare over the
//   literal's length unless partial compare is switched off); every other comparison,
//   AND, OR, + - * / and IN give binary nodes; NOT, IS NULL (coISBLANK), IS NOT NULL
//   (coNOTBLANK), UPPER and LOWER give unary nodes; a negative number is folded into its
//   constant, the negation of anything else becomes 0 - x; IN lists and function arguments
//   are chains of list elements; the other functions and the aggregates are function nodes.
//   A text literal compared with a number, date or Boolean operand is converted to that
//   operand's type (dates in the regional short date format); a number compared with a
//   Boolean is a Boolean (0 False). Numbers take "." and, outside IN lists and function
//   arguments, the regional decimal separator too ("12,5").
#pragma once

#include "DBTypes.h"

#include "platform/rtl/VarOrder.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

class TDataSet;

// Locate's test of one key against one field value, for every dataset: a text field compares
// texts (a Null as the empty text) under the collation the options name, by the key's length
// with loPartialKey; other fields match a Null or Empty key with a Null value, else by the
// shared equality.
bool IsLocateTextType(TFieldType t);
bool LocateValueMatches(const Variant& Value, const Variant& Key, bool TextField, TLocateOptions Options);
// Element i of Locate's key values (the value itself for a single field).
Variant LocateKeyAt(const Variant& KeyValues, int i, int n);

enum TCANOperator {
    coNOTDEFINED, coISBLANK, coNOTBLANK, coEQ, coNE, coGT, coLT, coGE, coLE, coNOT, coAND, coOR,
    coTUPLE2, coFIELD2, coCONST2, coMINUS, coADD, coSUB, coMUL, coDIV, coMOD, coREM, coSUM,
    coCOUNT, coMIN, coMAX, coAVG, coCONT, coUDF2, coCONTINUE2, coLIKE, coIN, coLIST2, coUPPER,
    coLOWER, coFUNC2, coLISTELEM2, coASSIGN
};

enum TExprNodeClass {
    ncNull = 0, ncUnary = 1, ncBinary = 2, ncCompare = 3, ncField = 4, ncConst = 5, ncTuple = 6,
    ncContinue = 7, ncUdf = 8, ncList = 9, ncFunc = 10, ncListElem = 11
};

// Constant type codes of the compiled form.
enum TExprConstType : uint16_t {
    ecUnknown = 0, ecString = 1, ecDate = 2, ecBlob = 3, ecBoolean = 4, ecSmallint = 5,
    ecInteger = 6, ecFloat = 7, ecBCD = 8, ecBytes = 9, ecTime = 10, ecDateTime = 11, ecWord = 12,
    ecInteger2 = 13, ecLargeint = 18, ecLargeint2 = 19, ecTimeStamp = 24, ecFMTBcd = 25,
    ecWideString = 26, ecWideText = 4103
};

constexpr int ExprHeaderSize = 10;
constexpr int ExprMaxSize = 0xFFFF;
constexpr int ExprDateDelta = 693594;   // day number of TDateTime 0 in the compiled day numbering

// A compile error; Position is the 1-based character position in the text.
class EExprParserError : public EDatabaseError {
public:
    EExprParserError(const QString& msg, int position);
    int Position = 0;
};

// What the compiler needs to know about a field named in the text.
struct TExprFieldInfo {
    int FieldNo = 0;                 // written into field nodes
    TFieldType DataType = ftUnknown;
    QString FieldName;               // the field's own spelling, written into the pool
};
using TExprFieldResolver = std::function<bool(const QString& name, TExprFieldInfo& info)>;

class TExprParser {
public:
    // Field names are resolved against the dataset's fields (FindField, case-insensitive).
    TExprParser(TDataSet* DataSet, const QString& Text, TFilterOptions FilterOptions = {},
                TParserOptions ParserOptions = {poExtSyntax});
    TExprParser(TExprFieldResolver Resolver, const QString& Text, TFilterOptions FilterOptions = {},
                TParserOptions ParserOptions = {poExtSyntax});
    ~TExprParser();

    const QByteArray& FilterData() const { return FData; }
    int DataSize() const { return int(FData.size()); }
    const QString& Text() const { return FText; }
    // The field names the expression reads, in order of first use.
    const QStringList& FieldNames() const { return FFieldNames; }

private:
    void Compile(const TExprFieldResolver& resolver, const QString& text, TFilterOptions fo,
                 TParserOptions po);
    QString FText;
    QByteArray FData;
    QStringList FFieldNames;
};

// Walks the compiled form: the one filter and expression language of every dataset. A dataset
// (or a record store) says how a field reads and how aggregates run; comparisons use the shared
// ordering of values, texts under the collation the filter options name.
class TExprEvaluator {
public:
    virtual ~TExprEvaluator();

    void SetCompiled(const QByteArray& ExprData) { FExprData = ExprData; }
    const QByteArray& ExprData() const { return FExprData; }
    bool HasData() const { return !FExprData.isEmpty(); }
    // The value of the node at NodeOffset (the root at 0).
    Variant Evaluate(int NodeOffset = 0) { return EvalNode(NodeOffset); }
    // LIKE: % any run, _ any one character.
    static bool MatchLikePattern(const QString& Text, const QString& Pattern, bool CaseInsensitive);

protected:
    // The options in force; foCaseInsensitive folds case in comparisons.
    virtual TFilterOptions EvalOptions() const = 0;
    // A field's value by its number in the compiled form (1-based; 0 when not stored) and name.
    virtual Variant FieldValue(int FieldNo, const QString& Name) = 0;
    // SUM, MIN, MAX, AVG and COUNT over ArgNode's first element (0 for COUNT(*)); by default
    // there are no rows to aggregate over.
    virtual Variant Aggregate(const QString& Name, int ArgNode);

    Variant EvalNode(int Off);
    // The values an argument list node leaves, collected apart from an enclosing list's.
    std::vector<Variant> EvalArgs(int ListNode);
    Variant EvalFunction(const QString& Name, int ArgNode);
    Variant ReadConstant(int Type, int Size, int ValueOff) const;
    QString PoolName(int Off) const;
    uint16_t Word(int Pos) const;
    int32_t Int(int Pos) const;
    int NodeBase(int Off) const { return ExprHeaderSize + Off; }

    QByteArray FExprData;
    std::vector<Variant> FArgs;
};
