// The data grid unit's start-up and close-down: the default center, the indicator and
// sort-marker images, the sort index font and the keys and constants of keyboard search.
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/winapi/WinUser.h"

#include <memory>

TShortCut DBGridEhFindDialogKey = 0;
TShortCut DBGridEhShowInSearchPanelKey = 0;
TShortCut DBGridEhSetValueFromPrevRecordKey = 0;
TShortCut DBGridEhSetValueFromPrevRecordKey2 = 0;
TShortCut DBGridEhSearchPanelKey = 0;
TShortCut DBGridEhEnterSearchPanelKey = 0;
int DBGridEhInplaceSearchTimeInterval = 1500;
TColor DBGridEhInplaceSearchColor = TColor(0x00FFFF);
TColor DBGridEhInplaceSearchTextColor = TColor(0);
int DBGridEhSearchPanelSearchTimeLimit = 500;

static void InitDBGridEhResource() { Q_INIT_RESOURCE(DBGridEh); }

namespace {

TDBGridEhCenter* gDefaultCenter = nullptr;
TImageList* gIndicators = nullptr;
TImageList* gSortMarkerImages = nullptr;
TFont* gSortMarkerFont = nullptr;
bool gImagesMade = false;

std::unique_ptr<TBitmap> LoadGridBitmap(const QString& Name)
{
    auto bmp = std::make_unique<TBitmap>();
    if (!bmp->LoadFromResourceName(HInstance, Name))
        throw EOutOfResources(QStringLiteral("Cannot load bitmap resource %1").arg(Name));
    return bmp;
}

void AddGridBitmap(TImageList* List, const QString& Name, TColor MaskColor)
{
    auto bmp = LoadGridBitmap(Name);
    List->AddMasked(bmp.get(), MaskColor);
}

// The white arrow again, on the found-text colour: its transparent (teal) background becomes
// that colour.
void AddArrowOnSearchColor(TImageList* List)
{
    auto bmp = LoadGridBitmap(QStringLiteral("DBGARROWEHW"));
    TCanvas* canvas = bmp->Canvas();
    for (int y = 0; y < bmp->Height(); ++y)
        for (int x = 0; x < bmp->Width(); ++x)
            if (ColorToRGB(canvas->Pixels(x, y)) == 0x808000)
                canvas->SetPixels(x, y, DBGridEhInplaceSearchColor);
    if (List->Count() > 6)
        List->Delete(6);
    List->AddMasked(bmp.get(), TColor(0x808000));
}

// The image lists need the application's windowing; they are made on first use.
void MakeImages()
{
    if (gImagesMade)
        return;
    gImagesMade = true;
    auto first = LoadGridBitmap(QStringLiteral("DBGARROWEH"));
    gIndicators = new TImageList(nullptr);
    gIndicators->SetSize(first->Width(), first->Height());
    for (const char* name : {"DBGARROWEH", "DBEDITEH", "DBINSERTEH", "DBMULTIDOTEH", "DBMULTIARROWEH"})
        AddGridBitmap(gIndicators, QString::fromLatin1(name), TColor(0xFFFFFF));
    AddGridBitmap(gIndicators, QStringLiteral("DBGARROWEHW"), TColor(0x808000));
    AddArrowOnSearchColor(gIndicators);

    auto down = LoadGridBitmap(QStringLiteral("DBSMDOWNEH"));
    gSortMarkerImages = new TImageList(nullptr);
    gSortMarkerImages->SetSize(down->Width(), down->Height());
    AddGridBitmap(gSortMarkerImages, QStringLiteral("DBSMDOWNEH"), TColor(0xFF00FF));
    AddGridBitmap(gSortMarkerImages, QStringLiteral("DBSMUPEH"), TColor(0xFF00FF));
    AddGridBitmap(gSortMarkerImages, QStringLiteral("DROPDOWNEH"), TColor(0xFFFFFF));
    AddGridBitmap(gSortMarkerImages, QStringLiteral("DBSMDOWNEH_1"), TColor(0xFF00FF));
    AddGridBitmap(gSortMarkerImages, QStringLiteral("DBSMUPEH_1"), TColor(0xFF00FF));

    gSortMarkerFont = new TFont();
    gSortMarkerFont->SetName(QStringLiteral("Arial"));
    gSortMarkerFont->SetHeight(-(down->Height() - 1));
    FreeWhenApplicationGoesEh([] { DBGridEhUnitCloseDown(); });
}

}  // namespace

TDBGridEhCenter* DBGridEhDefaultCenter()
{
    DBGridEhUnitStartUp();
    return gDefaultCenter;
}

TCustomImageList* DBGridEhIndicators()
{
    MakeImages();
    return gIndicators;
}

TCustomImageList* DBGridEhSortMarkerImages()
{
    MakeImages();
    return gSortMarkerImages;
}

TFont* DBGridEhSortMarkerFont()
{
    MakeImages();
    return gSortMarkerFont;
}

void DBGridEhUnitStartUp()
{
    static const bool done = [] {
        InitDBGridEhResource();
        RegisterColumnPropertyInterceptors();
        RegisterClasses<TRowDetailPanelControlEh>();
        gDefaultCenter = new TDBGridEhCenter();
        DBGridEhFindDialogKey = TShortCut(scCtrl | 'F');
        DBGridEhShowInSearchPanelKey = TShortCut(int(scCtrl) | VK_RETURN);
        DBGridEhSetValueFromPrevRecordKey = TShortCut(int(scCtrl) | int(scShift) | VK_RETURN);
        DBGridEhSetValueFromPrevRecordKey2 = TShortCut(scCtrl | 222);
        DBGridEhSearchPanelKey = TShortCut(scCtrl | 'F');
        DBGridEhEnterSearchPanelKey = TShortCut(scCtrl | 'T');
        return true;
    }();
    (void)done;
}

void DBGridEhUnitCloseDown()
{
    delete gIndicators;
    gIndicators = nullptr;
    delete gSortMarkerImages;
    gSortMarkerImages = nullptr;
    delete gSortMarkerFont;
    gSortMarkerFont = nullptr;
    delete gDefaultCenter;
    gDefaultCenter = nullptr;
}

namespace {
struct TDBGridEhUnit {
    TDBGridEhUnit() { DBGridEhUnitStartUp(); }
} gDBGridEhUnit;
}  // namespace
