// Platform wrappers of the component library.
#include "PlatformBridgeEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/DataModule.h"

#include <QCollator>
#include <QLocale>
#include <cstdlib>
#include <cstring>

int WinDrawText(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format)
{
    return DrawText(DC, Text, Count, Rect, Format);
}

int WinDrawTextEx(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format, DRAWTEXTPARAMS DrawTextParams)
{
    return DrawTextEx(DC, Text, Count, Rect, Format, &DrawTextParams);
}

int WinDrawTextExNoParams(HDC DC, const QString& Text, int Count, TRect& Rect, UINT Format)
{
    return DrawTextEx(DC, Text, Count, Rect, Format, nullptr);
}

bool WinExtTextOut(HDC DC, int X, int Y, UINT Options, const TRect* Rect, const QString& Text, int Count)
{
    return ExtTextOut(DC, X, Y, Options, Rect, Text, Count, nullptr);
}

UINT WinGetOutlineTextMetrics(HDC DC, UINT Size, TOutlineTextMetric* Buffer)
{
    return GetOutlineTextMetrics(DC, Size, Buffer);
}

LRESULT WinSendMessage(HWND Wnd, UINT Msg, WPARAM WParam, void* LParam)
{
    return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(LParam));
}

LRESULT WinSendTextMessage(HWND Wnd, UINT Msg, WPARAM WParam, const QString& Text)
{
    return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(Text.utf16()));
}

int WinSendGetTextMessage(HWND Wnd, UINT Msg, WPARAM WParam, QString& Text, int32_t)
{
    constexpr int kCapacity = 4096;
    std::vector<char16_t> buffer(kCapacity + 1, 0);
    buffer[0] = char16_t(kCapacity);   // the capacity convention of line reads
    const LRESULT n = SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(buffer.data()));
    const int len = int(std::clamp<LRESULT>(n, 0, kCapacity));
    Text = QString::fromUtf16(buffer.data(), len);
    return int(n);
}

LRESULT WinGetEditSel(HWND Wnd, int* StartPos, int* EndPos)
{
    return SendMessage(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(StartPos), reinterpret_cast<LPARAM>(EndPos));
}

bool WinInvalidateRect(HWND Wnd, const TRect* Rect, bool Erase) { return InvalidateRect(Wnd, Rect, Erase); }
bool WinValidateRect(HWND Wnd, const TRect* Rect) { return ValidateRect(Wnd, Rect); }

int WinScrollWindowEx(HWND Wnd, int DX, int DY, const TRect* ScrollRect, const TRect* ClipRect, HRGN Update, UINT Flags)
{
    return ScrollWindowEx(Wnd, DX, DY, ScrollRect, ClipRect, Update, nullptr, Flags);
}

bool WinLPtoDP(HDC DC, TRect& Points)
{
    TPoint p[2] = {Points.TopLeft(), Points.BottomRight()};
    const bool ok = LPtoDP(DC, p, 2);
    Points = TRect(p[0], p[1]);
    return ok;
}

HRGN WinCreatePolygonRgn(const std::vector<TPoint>& Points, int Count, int FillMode)
{
    std::vector<TPoint> local(Points.begin(), Points.begin() + std::min<size_t>(Points.size(), size_t(std::max(0, Count))));
    return CreatePolygonRgn(local.data(), int(local.size()), FillMode);
}

HBITMAP WinLoadBitmap(HINSTANCE Instance, int Id) { return LoadBitmap(Instance, Id); }
HBITMAP WinLoadBitmap(HINSTANCE Instance, const QString& BitmapName) { return LoadBitmap(Instance, BitmapName); }

void LoadBitmapFromResource(TBitmap* Bitmap, HINSTANCE Instance, const QString& ResName)
{
    if (!Bitmap->LoadFromResourceName(Instance, ResName))
        throw EResNotFound(QStringLiteral("Resource %1 not found").arg(ResName));
}

// ---- strings ----

namespace {
const QCollator& Collator(bool ignoreCase)
{
    static const QCollator exact = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    static const QCollator folded = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return ignoreCase ? folded : exact;
}
}

int WinCompareWideStr(const QString& S1, const QString& S2, int Count, bool IgnoreCase)
{
    const QStringView a = Count > 0 ? QStringView(S1).left(Count) : QStringView(S1);
    const QStringView b = Count > 0 ? QStringView(S2).left(Count) : QStringView(S2);
    int r = Collator(IgnoreCase).compare(a, b);
    if (r == 0 && !IgnoreCase && a != b) {
        // The collation may call texts equal that differ in case only; those still differ.
        r = a.compare(b, Qt::CaseSensitive) < 0 ? 1 : -1;   // lower case first
    }
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int WinCompareStr(const QString& S1, const QString& S2, int Count, bool IgnoreCase)
{
    return WinCompareWideStr(S1, S2, Count, IgnoreCase);
}

QString NlsUpperCase(const QString& S) { return AnsiUpperCase(S); }
QString NlsLowerCase(const QString& S) { return AnsiLowerCase(S); }
int NlsCompareStr(const QString& S1, const QString& S2) { return WinCompareWideStr(S1, S2, 0, false); }
int NlsCompareText(const QString& S1, const QString& S2) { return WinCompareWideStr(S1, S2, 0, true); }

TSysCharSet TSysCharSet::Of(const char* chars)
{
    TSysCharSet s;
    for (const char* p = chars; *p; ++p)
        s.FBits.set(uint8_t(*p));
    return s;
}

TSysCharSet& TSysCharSet::Range(uint8_t from, uint8_t to)
{
    for (int c = from; c <= to; ++c)
        FBits.set(size_t(c));
    return *this;
}

bool CharInSetEh(QChar C, const TSysCharSet& CharSet) { return C.unicode() < 0x100 && CharSet.Contains(uint8_t(C.unicode())); }

QString PWideCharToString(const char16_t* Buffer) { return Buffer ? QString::fromUtf16(Buffer) : QString(); }

char16_t* WideStrCopyEh(char16_t* Dest, const char16_t* Source)
{
    char16_t* d = Dest;
    while ((*d++ = *Source++) != 0) {
    }
    return Dest;
}

// ---- values ----

QString VarToStrNullAsEmpty(const Variant& V) { return VarIsNull(V) ? QString() : VarToStr(V); }

void VarArrayRedimEh(Variant& V, int HighBound)
{
    const int low = V.ArrayLowBound();
    const int oldHigh = V.ArrayHighBound();
    TVarType elem = VarType(V) & varTypeMask;
    Variant next = VarArrayCreate(low, HighBound, elem);
    for (int i = low; i <= std::min(oldHigh, HighBound); ++i)
        next.SetElement(i, V.GetElement(i));
    V = next;
}

TObject* VariantToObject(const Variant& V) { return static_cast<TObject*>(V.AsObject()); }
Variant ObjectToVariant(TObject* Obj) { return Variant::FromObject(Obj); }

int CompareDataSetBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2)
{
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

bool DataSetBookmarkValid(TDataSet* DataSet, const TBookmark& Bookmark) { return DataSet->BookmarkValid(Bookmark); }

TDataSet* GetDataSetOfDataSourceProp(TPersistent* Instance, const TPropInfo* PropInfo)
{
    try {
        if (!Instance || !PropInfo || !PropInfo->GetObj)
            return nullptr;
        if (PropInfo->Kind != pkClass && PropInfo->Kind != pkComponent)
            return nullptr;
        auto* ds = dynamic_cast<TDataSource*>(PropInfo->GetObj(Instance));
        return ds ? ds->DataSet() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

int FontSizeForCanvas(TFont* Font, TCanvas*) { return Font->GetSize(); }

void GetCursorPosEh(TPoint& Pos)
{
    if (!GetCursorPos(Pos))
        Pos = TPoint(0, 0);
}

void RecreateWndEh(TWinControl* Control) { Control->RecreateWnd(); }

// ---- rectangles, points, message records ----

TRect EmptyRectEh() { return TRect(0, 0, 0, 0); }
bool IsRectEmptyEh(const TRect& Rect) { return !(Rect.Left < Rect.Right && Rect.Top < Rect.Bottom); }

TPoint SmallPointToPointEh(LPARAM P) { return TPoint(int16_t(LOWORD(uintptr_t(P))), int16_t(HIWORD(uintptr_t(P)))); }
TPoint SmallPointToPointEh(TSmallPoint P) { return TPoint(P.x, P.y); }

void CopyMessageRec(const TMessage& Source, TMessage& Dest) { Dest = Source; }
void CopyMessageRec2(const TMessage& Source, TMessage& Dest) { Dest = Source; }

LPARAM SmallPointToLParam(TSmallPoint P) { return MAKELPARAM(WORD(P.x), WORD(P.y)); }
TSmallPoint LParamToSmallPoint(LPARAM P) { return TSmallPoint{int16_t(LOWORD(uintptr_t(P))), int16_t(HIWORD(uintptr_t(P)))}; }
WPARAM PointerToWParam(const void* P) { return reinterpret_cast<WPARAM>(P); }
intptr_t ObjectToIntPtr(const TObject* Obj) { return reinterpret_cast<intptr_t>(Obj); }

// ---- classes ----

DOV_PUBLISHED(TCustomControlEh) {}

void* TMemoryStreamEh::Realloc(int64_t& NewCapacity)
{
    const int64_t step = 2 * int64_t(FHalfMemoryDelta);
    if (NewCapacity > 0 && NewCapacity != FSize && step > 0)
        NewCapacity = (NewCapacity + step - 1) / step * step;
    void* result = FMemory;
    if (NewCapacity != Capacity()) {
        if (NewCapacity == 0) {
            std::free(FMemory);
            result = nullptr;
        } else {
            result = std::realloc(FMemory, size_t(NewCapacity));
            if (!result)
                throw EStreamError(QStringLiteral("Out of memory while expanding memory stream"));
        }
    }
    return result;
}
