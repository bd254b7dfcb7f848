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

class TCustomDBGridEh;
class TColumnEh;
class TField;

// Paints a data cell instead of the default painting (Processed) or changes its parameters first.
using TDBGridEhAdvDrawColumnDataEvent =
    Delegate<void(TCustomDBGridEh* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                  const TRect& ARect, TColCellParamsEh* Params, bool& Processed)>;
// Whether the "value required" marker is drawn under a cell with this text.
using TOnColumnCheckDrawRequiredStateEventEh = Delegate<void(TObject* Sender, const QString& Text, bool& DrawState)>;
// The value a column compares or groups its rows by, made from the cell's value.
using TDBGridEhColumnGroupGetKeyValueEvent =
    Delegate<void(TCustomDBGridEh* Sender, TColumnEh* Column, Variant& KeyValue)>;
class TGroupDataTreeNodeEh;
// The column's text of a group key.
using TDBGridEhColumnGroupGetKeyValueAsTextEvent =
    Delegate<void(TCustomDBGridEh* Sender, TColumnEh* Column, TGroupDataTreeNodeEh* GroupDataTreeNode,
                  const Variant& KeyValue, QString& KeyValueAsText)>;
// Application painting of a data cell over what the grid drew.
using TDrawColumnEhCellEvent =
    Delegate<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)>;
using TDrawDataCellEvent = Delegate<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
// Colours, alignment and text of a footer cell before it is painted.
using TGetFooterParamsEventEh =
    Delegate<void(TObject* Sender, int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                  TAlignment& Alignment, TGridDrawState State, QString& Text)>;
// Application painting of a footer cell over what the grid drew.
using TDrawFooterCellEventEh =
    Delegate<void(TObject* Sender, int DataCol, int Row, TColumnEh* Column, const TRect& Rect,
                  TGridDrawState State)>;
