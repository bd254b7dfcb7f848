// A dataset over an in-memory array of records, implementing the record-buffer protocol,
// so the framework can be tested without the in-memory table.
#pragma once

#include "platform/db/DB.h"

#include <vector>

class TArrayDataSet : public TDataSet {
    DOV_PERSISTENT(TArrayDataSet, TDataSet)
public:
    explicit TArrayDataSet(TComponent* AOwner = nullptr);
    ~TArrayDataSet() override;

    // Records are kept as rows of values in field-definition order.
    void AddRow(const std::vector<Variant>& Values);
    int RowCount() const { return int(FRows.size()); }
    const std::vector<Variant>& Row(int i) const { return FRows[i].Values; }
    // Changes behind the dataset's back, as another user's would be.
    std::vector<Variant>& SourceRow(int i) { return FRows[i].Values; }
    void RemoveSourceRow(int i) { FRows.erase(FRows.begin() + i); }
    void SetReadOnly(bool v) { FReadOnly = v; }

    bool CanModify() const override { return !FReadOnly; }
    int RecNo() const override;
    int RecordCount() const override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    bool GetFieldData(TField* Field, Variant& Value) override;
    void SetFieldData(TField* Field, const Variant& Value) override;
    void SetFiltered(bool Value) override;

    int GetRecordCalls = 0;   // how often the framework asked for a record
    int AllocatedBuffers = 0;
    bool InsertSawEof = false; // what InternalInsert saw: an append or an insert

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return FOpen; }
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = int(FRows.size()); }
    void InternalInitFieldDefs() override {}
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InternalInsert() override { InsertSawEof = Eof(); }
    void InternalPost() override;
    void InternalDelete() override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;

private:
    struct Stored {
        int Id;
        std::vector<Variant> Values;
    };
    struct RecBuf {
        int Id = -1;
        TBookmarkFlag Flag = bfCurrent;
        std::vector<Variant> Values;
    };
    std::vector<Stored> FRows;
    int FNextId = 1;
    int FCursor = -1;
    bool FOpen = false;
    bool FReadOnly = false;

    static RecBuf* Buf(TRecordBuffer b) { return reinterpret_cast<RecBuf*>(b); }
    int IndexOfId(int id) const;
    bool Accept(int index);
    void Fill(RecBuf* b, int index);
};
