// The data grid at the keyboard: record keys (Tab over editable columns, Enter as Tab, Esc,
// Home/End, appending by Down, Ctrl+Delete), check-box columns by Space and Delete, and the
// incremental search that typing starts.
#include "DBGridEh.h"

#include "platform/rtl/Guards.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

namespace {

constexpr UINT_PTR InplaceSearchTimerId = 2;

bool NoModifiers(TShiftState Shift)
{
    return !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !Shift.Contains(ssShift);
}

bool CtrlOnly(TShiftState Shift)
{
    return Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !Shift.Contains(ssShift);
}

bool DataSetEditing(TDataSet* DataSet)
{
    const TDataSetState s = DataSet->State();
    return s == dsEdit || s == dsInsert || s == dsSetKey;
}

}  // namespace

// ---------------------------------------------------------------- keys of record rows

void TCustomDBGridEh::ShortcutKeyDown(Word& Key, TShiftState Shift)
{
    const TDBGridEhOptions opts = OptionsEh();
    if (Key == 'F' && CtrlOnly(Shift)) {
        if (opts.Contains(dghIncSearch)) {
            if (!FInplaceSearching)
                StartInplaceSearch(QString(), -1, ltdAllEh);
            Key = 0;
        }
        return;
    }
    if (!FInplaceSearching)
        return;
    if ((Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2) && NoModifiers(Shift)) {
        StopInplaceSearch();
        Key = 0;
    } else if (Key == VK_BACK && NoModifiers(Shift)) {
        int cut = 1;
        if (FInplaceSearchText.size() >= 2 && FInplaceSearchText.back().isLowSurrogate())
            cut = 2;
        FInplaceSearchText.chop(std::min<int>(cut, FInplaceSearchText.size()));
        InvalidateRow(Row());
        if (FInplaceSearchTimeOut >= 0) {
            SetTimer(Handle(), InplaceSearchTimerId, UINT(FInplaceSearchTimeOut));
            FInplaceSearchTimerActive = true;
        }
        Key = 0;
    } else if (Key == VK_RETURN && CtrlOnly(Shift)) {
        StartInplaceSearch(QString(), FInplaceSearchTimeOut, ltdDownEh);
        Key = 0;
    } else if (Key == VK_RETURN && Shift.Contains(ssCtrl) && Shift.Contains(ssShift)) {
        StartInplaceSearch(QString(), FInplaceSearchTimeOut, ltdUpEh);
        Key = 0;
    } else if (Key == 'V' && CtrlOnly(Shift)) {
        StartInplaceSearch(Clipboard()->AsText(), FInplaceSearchTimeOut, ltdAllEh);
        Key = 0;
    }
}

bool TCustomDBGridEh::KeyStepsCurrentColumn()
{
    const int sel = SelectedIndex();
    if (sel < 0 || sel >= Columns()->Count() || Options().Contains(dgRowSelect))
        return false;
    const TAxisBarEhType type = Columns()->Items(sel)->GetBarType();
    return type == ctCheckboxes || type == ctKeyImageList;
}

bool TCustomDBGridEh::InsertingUntouchedAtEnd()
{
    return InsertingUntouched() && FDataLink->DataSet()->Eof();
}

void TCustomDBGridEh::DownKeyDown(TShiftState Shift)
{
    TDataSet* ds = FDataLink->DataSet();
    if (InsertingUntouched()) {
        // A new record nobody typed into: at the end it stays, elsewhere it goes.
        if (!ds->Eof())
            ds->Cancel();
        return;
    }
    if (Shift.Contains(ssShift) && RecordsSelectable())
        ExtendRowSelectionBy(1, true);
    else
        MoveBy(1);
    if (ds->Eof() && ds->CanModify() && !ReadOnly() && Options().Contains(dgEditing) &&
        AllowedOperations().Contains(alopAppendEh) && ds->State() == dsBrowse)
        DataAppend();
}

void TCustomDBGridEh::UpKeyDown(TShiftState Shift)
{
    if (InsertingUntouchedAtEnd()) {
        FDataLink->DataSet()->Cancel();
        return;
    }
    if (Shift.Contains(ssShift) && RecordsSelectable())
        ExtendRowSelectionBy(-1, true);
    else
        MoveBy(-1);
}

void TCustomDBGridEh::TabKeyDown(bool Back)
{
    const int count = Columns()->Count();
    const int cur = SelectedIndex();
    auto editable = [this](int i) { return Columns()->Items(i)->IsEditable(); };
    int next = -1;
    if (Back) {
        for (int i = cur - 1; i >= 0 && next < 0; --i)
            if (editable(i))
                next = i;
    } else {
        for (int i = cur + 1; i < count && next < 0; ++i)
            if (editable(i))
                next = i;
    }
    if (next >= 0) {
        SetSelectedIndex(next);
    } else if (Back) {
        TDataSet* ds = FDataLink->DataSet();
        if (ds->Bof() && !InsertingUntouchedAtEnd())
            return;
        UpKeyDown(TShiftState{});
        if (GroupingRowsShown() && FCurGroupDataNode && FCurGroupDataNode->NodeType() == dntDataSetRecordEh)
            if (TColumnEh* last = Columns()->GetLastTabColumn())
                SetSelectedIndex(last->Index());
    } else {
        TDataSet* ds = FDataLink->DataSet();
        const bool atEnd = ds->Eof() || (ds->RecNo() > 0 && ds->RecNo() == ds->RecordCount());
        if (atEnd && !(ds->CanModify() && !ReadOnly() && Options().Contains(dgEditing) &&
                       AllowedOperations().Contains(alopAppendEh)) && !InsertingUntouched())
            return;
        DownKeyDown(TShiftState{});
        if (TColumnEh* first = Columns()->GetFirstTabColumn())
            SetSelectedIndex(first->Index());
    }
    if (EditorMode())
        InvalidateEditor();
}

void TCustomDBGridEh::RecordKeyDown(Word& Key, TShiftState Shift)
{
    TDataSet* ds = FDataLink->DataSet();
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    const bool alt = Shift.Contains(ssAlt);
    const bool singleColumn = Options().Contains(dgRowSelect) || VisibleAxisBars()->Count() <= 1;
    if (Key == VK_RETURN && OptionsEh().Contains(dghEnterAsTab) && !ctrl && !alt)
        Key = VK_TAB;

    // Home and End go to the first and last record.
    auto toFirstOrLast = [&] {
        if (!shift)
            ClearSelectionOnClick();
        if (Key == VK_HOME)
            ds->First();
        else
            ds->Last();
        Key = 0;
    };
    if (ctrl && !alt) {
        switch (Key) {
        case VK_HOME:
        case VK_END:
            toFirstOrLast();
            return;
        case VK_DELETE: {
            Key = 0;
            if (ReadOnly() || ds->IsEmpty() || !ds->CanModify() || !AllowedOperations().Contains(alopDeleteEh))
                return;
            if (!ConfirmDelete())
                return;
            if (SelectedRows()->Count() > 0)
                SelectedRows()->Delete();
            else
                ds->Delete();
            return;
        }
        default: return;
        }
    }
    switch (Key) {
    case VK_TAB:
        if (!alt) {
            TabKeyDown(shift);
            Key = 0;
        }
        return;
    case VK_ESCAPE:
        if (NoModifiers(Shift)) {
            FDataLink->Reset();
            ResetSelection();
            if (!Options().Contains(dgAlwaysShowEditor))
                HideEditor();
            if (Tracking())
                CancelTracking();
            Key = 0;
        }
        return;
    case VK_UP:
        if (!alt) {
            UpKeyDown(Shift);
            Key = 0;
        }
        return;
    case VK_DOWN:
        if (!alt) {
            DownKeyDown(Shift);
            Key = 0;
        }
        return;
    case VK_HOME:
    case VK_END:
        if (singleColumn && !alt)
            toFirstOrLast();
        return;
    case VK_INSERT:
        if (NoModifiers(Shift) && ds->CanModify() && !ReadOnly() && Options().Contains(dgEditing)) {
            ClearSelectionOnClick();
            if (AllowedOperations().Contains(alopInsertEh))
                DataInsert();
            else if (AllowedOperations().Contains(alopAppendEh))
                DataAppend();
            Key = 0;
        }
        return;
    case VK_DELETE:
        // A check-box or key image value is cleared, as far as the field allows it.
        if (!shift && !alt && KeyStepsCurrentColumn()) {
            TColumnEh* column = Columns()->Items(SelectedIndex());
            TField* field = column->Field();
            if (field && !field->Required() && column->CanModify(true)) {
                column->UpdateDataValues(QString(), Variant::Null(), false);
                Key = 0;
            }
        }
        return;
    default: return;
    }
}

// ---------------------------------------------------------------- characters

void TCustomDBGridEh::KeyPress(QChar& Key)
{
    if (OptionsEh().Contains(dghEnterAsTab) && Key == QChar(13))
        Key = QChar(9);
    if (!Options().Contains(dgAlwaysShowEditor) && Key == QChar(13) && FDataLink->Active())
        FDataLink->UpdateData();
    TCustomDBAxisGridEh::KeyPress(Key);
    if (Key.isNull())
        return;
    const bool prefer = OptionsEh().Contains(dghPreferIncSearch) && !Options().Contains(dgAlwaysShowEditor) &&
                        !InplaceEditorVisible();
    if ((FInplaceSearching || prefer) && Key.unicode() >= 32 && FDataLink->Active() &&
        !DataSetEditing(FDataLink->DataSet())) {
        const QString typed = FCompleteKeyPress.isNull() ? QString(Key) : QString(FCompleteKeyPress);
        StartInplaceSearch(typed, FInplaceSearching ? FInplaceSearchTimeOut : DBGridEhInplaceSearchTimeInterval,
                           ltdAllEh);
        Key = QChar(0);
    }
}

void TCustomDBGridEh::WMChar(TMessage& M)
{
    QChar ch(char16_t(M.WParam));
    const int sel = SelectedIndex();
    TColumnEh* column = sel >= 0 && sel < Columns()->Count() ? Columns()->Items(sel) : nullptr;
    if (column && ch == QChar('.') && column->Field() && dynamic_cast<TNumericField*>(column->Field()) &&
        FormatSettings.DecimalSeparator != QChar('.')) {
        ch = FormatSettings.DecimalSeparator;
        M.WParam = WPARAM(ch.unicode());
    }
    FCompleteKeyPress = ch;
    auto clear = Finally([this] { FCompleteKeyPress = QChar(); });

    if (ch == QChar(' ') && KeyStepsCurrentColumn() && FDataLink->Active()) {
        TCustomControlEh::WMChar(M);
        if (M.Result == 0 && column->CanModify(true))
            column->SetNextFieldValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return;
    }
    if (!FDataLink->Active()) {
        TCustomDBAxisGridEh::WMChar(M);
        return;
    }
    const bool typingEdits = column && Options().Contains(dgEditing) && !ReadOnly() && column->IsEditable();
    const bool searchWanted =
        FInplaceSearching || (OptionsEh().Contains(dghIncSearch) && !typingEdits) ||
        (OptionsEh().Contains(dghPreferIncSearch) && !Options().Contains(dgAlwaysShowEditor) && !InplaceEditorVisible());
    if (searchWanted && (ch.unicode() >= 32 || ch == QChar(8)) && !DataSetEditing(FDataLink->DataSet())) {
        if (!FInplaceSearching && ch == QChar(8))
            return;
        // The key-press path: the application's OnKeyPress, then the search.
        QChar key = ch;
        KeyPress(key);
        if (!key.isNull() && ch.unicode() >= 32 && !FInplaceSearching && !DataSetEditing(FDataLink->DataSet())) {
            StartInplaceSearch(QString(ch), DBGridEhInplaceSearchTimeInterval, ltdAllEh);
        }
        return;
    }
    TCustomDBAxisGridEh::WMChar(M);
}

// ---------------------------------------------------------------- incremental search

TColumnEh* TCustomDBGridEh::InplaceSearchColumn()
{
    if (Options().Contains(dgRowSelect))
        return FirstVisibleColumn();
    const int sel = SelectedIndex();
    return sel >= 0 && sel < Columns()->Count() ? Columns()->Items(sel) : nullptr;
}

void TCustomDBGridEh::StartInplaceSearch(const QString& Text, int TimeOut, TLocateTextDirectionEh Direction)
{
    if (!FDataLink->Active())
        return;
    QString candidate = FInplaceSearchText + Text;
    bool found = false;
    if (!candidate.isEmpty()) {
        if (TColumnEh* column = InplaceSearchColumn()) {
            FInplaceSearchingInProcess = true;
            auto done = Finally([this] { FInplaceSearchingInProcess = false; });
            QString foundText;
            // Ctrl+Enter and Ctrl+Shift+Enter look past the current record.
            const bool skipCurrent = Text.isEmpty() && Direction != ltdAllEh;
            found = LocateInplaceText(column, candidate, Direction, skipCurrent, foundText);
            if (found)
                candidate = foundText.left(candidate.size());
        }
    }
    HideEditor();
    FInplaceSearching = true;
    if (found)
        FInplaceSearchText = candidate;
    Invalidate();
    FInplaceSearchTimeOut = TimeOut;
    if (FInplaceSearchTimerActive)
        KillTimer(Handle(), InplaceSearchTimerId);
    FInplaceSearchTimerActive = TimeOut >= 0;
    if (FInplaceSearchTimerActive)
        SetTimer(Handle(), InplaceSearchTimerId, UINT(TimeOut));
}

void TCustomDBGridEh::StopInplaceSearch()
{
    if (!FInplaceSearching)
        return;
    if (FInplaceSearchTimerActive && HandleAllocated())
        KillTimer(Handle(), InplaceSearchTimerId);
    FInplaceSearchTimerActive = false;
    FInplaceSearching = false;
    FInplaceSearchText.clear();
    Invalidate();
    if (Options().Contains(dgAlwaysShowEditor) && IsAlwaysShowEditor())
        ShowEditor();
}

void TCustomDBGridEh::WMTimer(TMessage& M)
{
    if (M.WParam == InplaceSearchTimerId) {
        StopInplaceSearch();
        return;
    }
    TCustomDBAxisGridEh::WMTimer(M);
}

bool TCustomDBGridEh::LocateInplaceText(TColumnEh* Column, const QString& Text, TLocateTextDirectionEh Direction,
                                        bool SkipCurrent, QString& FoundText)
{
    TDataSet* ds = FDataLink->DataSet();
    auto matches = [&](const QString& Value) { return Value.startsWith(Text, Qt::CaseInsensitive); };
    if (HasIntMemTable()) {
        // Rows are read in place; only a hit moves the cursor.
        const int count = FIntMemTable->InstantReadRowCount();
        const int cur = std::max(0, FIntMemTable->GetInstantReadCurRow());
        auto textAt = [&](int ViewRow) {
            FIntMemTable->InstantReadEnter(ViewRow);
            auto leave = Finally([&] { FIntMemTable->InstantReadLeave(); });
            return Column->DisplayText();
        };
        const int step = Direction == ltdUpEh ? -1 : 1;
        int r = SkipCurrent ? cur + step : cur;
        for (int n = 0; n < count; ++n, r += step) {
            if (r >= count) {
                if (Direction != ltdAllEh)
                    return false;
                r = 0;
            }
            if (r < 0)
                return false;
            const QString value = textAt(r);
            if (matches(value)) {
                FoundText = value;
                if (r != cur)
                    ds->MoveBy(r - cur);
                return true;
            }
        }
        return false;
    }
    // Without in-place reading the cursor walks; the start is kept for a search that fails.
    const TBookmark start = ds->GetBookmark();
    ds->DisableControls();
    auto enable = Finally([&] { ds->EnableControls(); });
    auto check = [&] {
        const QString value = Column->DisplayText();
        if (!matches(value))
            return false;
        FoundText = value;
        return true;
    };
    bool found = false;
    if (Direction == ltdUpEh) {
        // Prior on the first record sets Bof and stays there.
        bool more = true;
        if (SkipCurrent) {
            ds->Prior();
            more = !ds->Bof();
        }
        while (more && !(found = check())) {
            ds->Prior();
            more = !ds->Bof();
        }
    } else {
        bool more = true;
        if (SkipCurrent) {
            ds->Next();
            more = !ds->Eof();
        }
        while (more && !(found = check())) {
            ds->Next();
            more = !ds->Eof();
        }
        if (!found && Direction == ltdAllEh) {
            ds->First();
            while (!ds->Eof() && ds->CompareBookmarks(ds->GetBookmark(), start) != 0 && !(found = check()))
                ds->Next();
        }
    }
    if (!found)
        ds->GotoBookmark(start);
    return found;
}
