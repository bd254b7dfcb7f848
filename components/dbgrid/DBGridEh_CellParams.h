// The data grid's cell parameters: what a data cell is about to show, as the grid's and the
// column's cell events see and change it. One object per grid, refilled for every cell.
#pragma once

#include "components/axisgrid/DBAxisGridsEh_CellParams.h"

class TColCellParamsEh : public TAxisColCellParamsEh {
public:
    TColCellParamsEh() = default;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value; }
    TColor Background() const { return FBackground; }
    void SetBackground(TColor Value) { FBackground = Value; }
    bool BlankCell() const { return FBlankCell; }
    void SetBlankCell(bool Value) { FBlankCell = Value; }
    TCheckBoxState CheckboxState() const { return FCheckboxState; }
    void SetCheckboxState(TCheckBoxState Value) { FCheckboxState = Value; }
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    TFont* Font() const { return FFont; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TGridDrawState State() const { return FState; }
    QString Text() const { return FText; }
    void SetText(const QString& Value) { FText = Value; }
    bool TextEditing() const { return FTextEditing; }
    void SetTextEditing(bool Value) { FTextEditing = Value; }
    bool SuppressActiveCellColor() const { return FSuppressActiveCellColor; }
    void SetSuppressActiveCellColor(bool Value) { FSuppressActiveCellColor = Value; }
};
