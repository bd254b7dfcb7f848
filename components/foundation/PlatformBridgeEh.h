// The thin layer between the component library and the platform: text drawing, messages,
// painting, regions and string comparison with the library's own types, plus the plain
// control base and the export's memory stream.
#pragma once

#include "platform/rtl/Variants.h"
#include "platform/vcl/Controls.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

#include <bitset>
#include <vector>

class TDataSet;
struct TPropInfo;

// ---- text ----
int WinDrawText(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format);
// The parameter record is copied, so the caller's stays as it was.
int WinDrawTextEx(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format, DRAWTEXTPARAMS DrawTextParams);
int WinDrawTextExNoParams(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format);
bool WinExtTextOut(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const QString& Text, int Count);
UINT WinGetOutlineTextMetrics(HDC DC, UINT Size, TOutlineTextMetric* Buffer);

// ---- messages ----
LRESULT WinSendMessage(HWND Wnd, UINT Msg, WPARAM WParam, void* LParam);
// LParam is the address of the text's characters (kept alive for the call).
LRESULT WinSendTextMessage(HWND Wnd, UINT Msg, WPARAM WParam, const QString& Text);
// Sends a 4096-character buffer whose first word holds its capacity; Text becomes the first
// N characters, N being the message's result. MaxLength is accepted and not used.
int WinSendGetTextMessage(HWND Wnd, UINT Msg, WPARAM WParam, QString& Text, int32_t MaxLength);
LRESULT WinGetEditSel(HWND Wnd, int* StartPos, int* EndPos);

// ---- painting and regions ----
bool WinInvalidateRect(HWND Wnd, const TRect* Rect, bool Erase);
bool WinValidateRect(HWND Wnd, const TRect* Rect);
int WinScrollWindowEx(HWND Wnd, int DX, int DY, const TRect* ScrollRect, const TRect* ClipRect, HRGN Update, UINT Flags);
bool WinLPtoDP(HDC DC, TRect& Points);
HRGN WinCreatePolygonRgn(const std::vector<TPoint>& Points, int Count, int FillMode);
HBITMAP WinLoadBitmap(HINSTANCE Instance, int Id);
HBITMAP WinLoadBitmap(HINSTANCE Instance, const QString& BitmapName);
void LoadBitmapFromResource(TBitmap* Bitmap, HINSTANCE Instance, const QString& ResName);

// ---- strings ----
// -1 less, 0 equal, 1 greater in the Russian collation; Count characters of both (0: all).
int WinCompareWideStr(const QString& S1, const QString& S2, int Count, bool IgnoreCase);
int WinCompareStr(const QString& S1, const QString& S2, int Count, bool IgnoreCase);
QString NlsUpperCase(const QString& S);
QString NlsLowerCase(const QString& S);
int NlsCompareStr(const QString& S1, const QString& S2);
int NlsCompareText(const QString& S1, const QString& S2);

// A set of byte-sized characters.
class TSysCharSet {
public:
    TSysCharSet() = default;
    TSysCharSet(std::initializer_list<char> chars)
    {
        for (char c : chars)
            FBits.set(uint8_t(c));
    }
    // Every character of a Latin-1 text.
    static TSysCharSet Of(const char* chars);
    TSysCharSet& Range(uint8_t from, uint8_t to);
    bool Contains(uint8_t c) const { return FBits.test(c); }

private:
    std::bitset<256> FBits;
};
bool CharInSetEh(QChar C, const TSysCharSet& CharSet);

QString PWideCharToString(const char16_t* Buffer);
char16_t* WideStrCopyEh(char16_t* Dest, const char16_t* Source);

// ---- values ----
QString VarToStrNullAsEmpty(const Variant& V);
// Keeps the low bound and the elements that still fit; new elements are Empty.
void VarArrayRedimEh(Variant& V, int HighBound);
// Object references travel in Variants at pointer width (never squeezed into 32 bits).
TObject* VariantToObject(const Variant& V);
Variant ObjectToVariant(TObject* Obj);

int CompareDataSetBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);
bool DataSetBookmarkValid(TDataSet* DataSet, const TBookmark& Bookmark);
// The dataset of a data source held in an object property; nullptr otherwise or on any error.
TDataSet* GetDataSetOfDataSourceProp(TPersistent* Instance, const TPropInfo* PropInfo);

int FontSizeForCanvas(TFont* Font, TCanvas* Canvas);
void GetCursorPosEh(TPoint& Pos);
void RecreateWndEh(TWinControl* Control);

// ---- rectangles, points and message records ----
TRect EmptyRectEh();
bool IsRectEmptyEh(const TRect& Rect);   // False only when Left < Right and Top < Bottom
// X from the low 16 bits, Y from the high 16 bits, both sign-extended.
TPoint SmallPointToPointEh(LPARAM P);
TPoint SmallPointToPointEh(TSmallPoint P);
// All four fields at their full (pointer) width.
void CopyMessageRec(const TMessage& Source, TMessage& Dest);
void CopyMessageRec2(const TMessage& Source, TMessage& Dest);
LPARAM SmallPointToLParam(TSmallPoint P);
TSmallPoint LParamToSmallPoint(LPARAM P);
WPARAM PointerToWParam(const void* P);
intptr_t ObjectToIntPtr(const TObject* Obj);

// ---- classes ----
// The library's own base of its painted controls.
class TCustomControlEh : public TCustomControl {
    DOV_PERSISTENT(TCustomControlEh, TCustomControl)
public:
    explicit TCustomControlEh(TComponent* AOwner) : TCustomControl(AOwner) {}
};

// A memory stream that grows in steps of twice HalfMemoryDelta (8192 bytes by default).
class TMemoryStreamEh : public TMemoryStream {
public:
    TMemoryStreamEh() = default;
    int GetHalfMemoryDelta() const { return FHalfMemoryDelta; }
    void SetHalfMemoryDelta(int v) { FHalfMemoryDelta = v; }

protected:
    void* Realloc(int64_t& NewCapacity) override;

private:
    int32_t FHalfMemoryDelta = 4096;
};
