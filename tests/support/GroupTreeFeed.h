// Row events of an in-memory table passed on to a group data tree the way a data grid passes
// them, for suites and benchmarks that drive a grouping of their own.
#pragma once

#include "components/gridtools/core/DBGridEhGrouping.h"
#include "components/memtable/MemTableEh.h"

namespace testsupport {

class TTreeFeedEh : public TComponent, public IMTEventReceiverEh {
public:
    explicit TTreeFeedEh(TComponent* AOwner) : TComponent(AOwner) {}
    // Nothing is passed on while this is nullptr.
    TGridDataGroupsEh* Groups = nullptr;

    void MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int) override
    {
        if (!Groups)
            return;
        TGridGroupDataTreeEh* tree = Groups->GroupDataTree();
        switch (Event) {
        case mtRowInsertedEh: tree->RecordInserted(RowNum); break;
        case mtRowChangedEh: tree->RecordChanged(RowNum); break;
        case mtRowDeletedEh: tree->RecordDeleted(RowNum); break;
        default:
            // The grouping's own level rebuild sends this inside its tree update.
            if (tree->UpdateCount() == 0)
                tree->RebuildDataTreeEx(Groups->IntMemTable());
            break;
        }
    }
};

}  // namespace testsupport
