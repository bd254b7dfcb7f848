// The grid's footer sum list.
#pragma once

#include "components/gridtools/core/DBSumLst.h"

class TCustomDBGridEh;

// The sum list every data grid owns and publishes as SumList. It starts inactive, recalculates
// only once its grid has finished loading, and leaves a designer's dataset unhooked.
class TDBGridEhSumList : public TDBSumListProducer {
    DOV_PERSISTENT(TDBGridEhSumList, TDBSumListProducer)
public:
    explicit TDBGridEhSumList(TComponent* AOwner = nullptr);

    TCustomDBGridEh* Grid() const;
    void RecalcAll() override;

protected:
    void RestoreDataSetEvents() override;
    void SetDataSetEvents() override;
};

// Registers the maker that gives footers their totals in the grid's sum list (done once when
// the grid unit starts; tests that replace the maker put it back through this).
void RegisterGridFooterSumMakerEh();

// The clipboard and delete operations the keyboard and the indicator menu offer.
enum TGridEditActionEh { geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh };
DOV_ENUM_INFO(TGridEditActionEh, geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh)
using TGridEditActionsEh = TSet<TGridEditActionEh>;
