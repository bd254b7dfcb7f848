// The data grid: construction, options and data notifications; rows, heights and scrolling;
// the title tree; cell, title and fixed-cell painting; lines and right-to-left mapping.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
#include "DBGridEh_Columns.h"
#include "DBGridEh_Params.h"

// ============================================================================================
// TCustomDBGridEh
// ============================================================================================

class TCustomDBGridEh : public TCustomDBAxisGridEh {
    // ==== construction, options and data notifications ====
    // ==== end of construction, options and data notifications ====

    // ==== rows, heights, scrolling and title tree ====
    // ==== end of rows, heights, scrolling and title tree ====

    // ==== data cell, title, indicator and fixed-cell painting ====
    // ==== end of data cell, title, indicator and fixed-cell painting ====

    // ==== grid lines, right-to-left mapping and tree elements ====
    // ==== end of grid lines, right-to-left mapping and tree elements ====

    // ==== parameter objects ====
public:
    // The parameter objects are made with the grid (below) and freed with it; writing one
    // assigns into it. The line parameters and the background come from the base grid's
    // factories, overridden here.
    TDBGridTitleParamsEh* TitleParams() const { return FTitleParams.get(); }
    void SetTitleParams(TDBGridTitleParamsEh* Value) { FTitleParams->Assign(Value); }
    TDBGridIndicatorParamsEh* IndicatorParams() const { return FIndicatorParams.get(); }
    void SetIndicatorParams(TDBGridIndicatorParamsEh* Value) { FIndicatorParams->Assign(Value); }
    TDBGridFooterParamsEh* FooterParams() const { return FFooterParams.get(); }
    void SetFooterParams(TDBGridFooterParamsEh* Value) { FFooterParams->Assign(Value); }
    TGridTreeViewParamsEh* TreeViewParams() const { return FTreeViewParams.get(); }
    void SetTreeViewParams(TGridTreeViewParamsEh* Value) { FTreeViewParams->Assign(Value); }
    TGridEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
    void SetEmptyDataInfo(TGridEmptyDataInfoEh* Value) { FEmptyDataInfo->Assign(Value); }
    TDBGridLineParamsEh* GridLineParams() const;
    void SetGridLineParams(TDBGridLineParamsEh* Value);
    TDBGridBackgroundDataEh* BackgroundData() const;
    void SetBackgroundData(TDBGridBackgroundDataEh* Value);

    // Views of the parameter objects' settings.
    TFont* FooterFont() const;
    void SetFooterFont(TFont* Value);
    TColor FooterColor() const;
    void SetFooterColor(TColor Value);
    TCustomImageList* TitleImages() const;
    void SetTitleImages(TCustomImageList* Value);
    bool UseMultiTitle() const;
    void SetUseMultiTitle(bool Value);
    int VTitleMargin() const;
    void SetVTitleMargin(int Value);
    int TitleHeight() const;
    void SetTitleHeight(int Value);
    int TitleLines() const;
    void SetTitleLines(int Value);
    // The title font is TitleParams.Font; setting it relayouts when titles are shown.
    void SetTitleFont(TFont* Value) override;
    TFont* GetTitleFont() override;

    TGridLineColorsEh* CreateGridLineColors() override;
    TGridBackgroundDataEh* CreateBackgroundData() override;

private:
    std::unique_ptr<TDBGridTitleParamsEh> FTitleParams{new TDBGridTitleParamsEh(this)};
    std::unique_ptr<TDBGridIndicatorParamsEh> FIndicatorParams{new TDBGridIndicatorParamsEh(this)};
    std::unique_ptr<TDBGridFooterParamsEh> FFooterParams{new TDBGridFooterParamsEh(this)};
    std::unique_ptr<TGridEmptyDataInfoEh> FEmptyDataInfo{new TGridEmptyDataInfoEh(this)};
    std::unique_ptr<TGridTreeViewParamsEh> FTreeViewParams{new TGridTreeViewParamsEh(this)};
    // ==== end of parameter objects ====
};
