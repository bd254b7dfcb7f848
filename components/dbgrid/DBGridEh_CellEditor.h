// The data grid's in-place cell editor.
#pragma once

#include "components/axisgrid/DBAxisGridsEh_Inplace.h"

#include <memory>

class TCanvas;
class TCustomDBGridEh;

class TDBGridInplaceEdit : public TDBAxisGridInplaceEdit {
public:
    explicit TDBGridInplaceEdit(TComponent* AOwner);
    ~TDBGridInplaceEdit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    // A required field left empty while the record is edited: a red dotted line under the text.
    virtual void PaintRequiredUnderline(TCanvas* Canvas);
    // Whether the underline is due now (the column's event may overrule it).
    bool RequiredUnderlineDue();

protected:
    void PaintWindow(HDC DC) override;

private:
    TCustomDBGridEh* DataGrid() const;
    std::unique_ptr<TCanvas> FUnderlineCanvas;
};
