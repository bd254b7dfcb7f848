// Small rules of the data grid's cell painters that need no grid: the indicator's record
// numbers, the transparency of in-cell buttons, the room of a title's sort marker and the text
// offsets of data cells.
#pragma once

#include "DBGridEh_Columns.h"

#include <QString>

// The indicator's text for a record: the number for record 1, for multiples of Step, for the
// last record and the current row; "-" half way between two numbers of an even step and "·"
// elsewhere (always "·" when Step is below 1). Empty for numbers below 1.
QString IndicatorRecNoTextEh(int RecNo, int Step, int LastRecNo, bool IsCurrent);

// Transparency in percent of the edit buttons painted in a data cell (0: opaque).
int DataCellButtonTransparencyEh(bool Designing, bool FilterEditing, bool Focused, bool InHighlightedCurrentRow,
                                 bool HotTrack);

// Where a title's text ends once its sort marker (and sort index) has room at the right, and
// which of the two still fit. NeededWidth is the width of a title image that replaces the
// caption (0 for a caption: the text then only must not become negative).
struct TTitleSortRoomEh {
    int TextRight = 0;
    bool DrawMarker = false;
    bool DrawIndex = false;
};
TTitleSortRoomEh TitleSortRoomEh(int TextLeft, int TextRight, int IndexWidth, int NeededWidth);

// The row colour by record number (from 1): a positive odd number takes the odd colour.
TColor OddEvenRowColorEh(int RecNo, TColor OddColor, TColor EvenColor);

// The vertical text offset of a data cell from its horizontal one: at most 2, then one pixel
// less for each of a flat grid, a 3-D frame and a text as tall as the row (never below 0).
int DataCellVertOffsetEh(int HorzOffset, bool Flat, bool Frame3D, bool TextFillsRow);

// What the title area painter decides for one column title and hands to DrawTitleCell.
struct TDBGirdDrawTitleStateEh {
    bool Down = false;
    bool MultyTitle = false;
    bool WordWrap = false;
    bool FilterButtonDown = false;
    bool Highlight = false;
    TTextOrientationEh Orientation = tohHorizontal;
    bool The3DRect = false;
    bool DrawByThemes = false;
    bool DrawByThemesOverLines = false;
    QString Caption;
    TColor BackColor = clBtnFace;
    bool DrawFilterButton = false;
    bool CellMultiSelected = false;
    TSortMarkerEh SortMarker = smNoneEh;
    bool DrawSortIndex = false;
    TFontCharset FontCharset = DEFAULT_CHARSET;
    TColor FontColor = clWindowText;
    int FontHeight = 0;
    QString FontName;
    TFontStyles FontStyle;
    bool VertBorderInFillStyle = false;
    bool HorzBorderInFillStyle = false;
    TTextLayout Layout = tlTop;
};
