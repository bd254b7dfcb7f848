// Inside of a device context; only for the platform's own sources (pulls in QPainter).
#pragma once

#include "Devices.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct HBITMAP__ {
    QImage Image;
};

struct HRGN__ {
    QRegion R;
};

struct DCState {
    QFont Font;
    int Escapement = 0;     // tenths of a degree, counter-clockwise
    COLORREF TextColor = 0;
    COLORREF BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    COLORREF PenColor = 0;
    int PenWidth = 1;
    int PenStyle = PS_SOLID;
    Qt::PenCapStyle PenEndCap = Qt::SquareCap;
    Qt::PenJoinStyle PenJoin = Qt::MiterJoin;
    COLORREF BrushColor = 0xFFFFFF;
    int BrushStyle = BS_SOLID;
    TPoint PenPos;
    // Mapping: device = (logical - WinOrg) * VpExt / WinExt + Origin (the viewport origin).
    int MapMode = MM_TEXT;
    TPoint Origin;
    TPoint WinOrg;
    TSize WinExt{1, 1};
    TSize VpExt{1, 1};
    bool Scaled = false;    // extents that are not 1:1
    bool HasClip = false;
    QRegion Clip;           // device coordinates
    UINT TextAlign = 0;
    DWORD Layout = 0;
};

class TRecordingDevice;

struct HDC__ {
    HDC__();
    ~HDC__();
    QPainter* Painter = nullptr;
    std::unique_ptr<QPainter> OwnPainter;
    QImage* Image = nullptr;
    TDeviceCaps Caps;                       // sizes 0: those of the painter's device
    QPaintDevice* MetricsDevice = nullptr;  // fonts are measured for it (nullptr: the painter's)
    std::unique_ptr<TRecordingDevice> Recording;   // a metafile context's page
    DCState S;
    std::vector<DCState> Saved;
    std::optional<QFontMetrics> Metrics;   // of S.Font
    bool FontApplied = false;
    std::function<void(const QString&)> Recorder;

    void Record(const QString& line) { if (Recorder) Recorder(line); }

    const QFontMetrics& FM()
    {
        if (!Metrics)
            Metrics.emplace(S.Font, MetricsDevice ? MetricsDevice : Painter ? Painter->device() : nullptr);
        return *Metrics;
    }
    QSize DeviceSize() const;
    int DeviceWidth() const { return DeviceSize().width(); }
    int DeviceHeight() const { return DeviceSize().height(); }
    // Logical to device, before mirroring.
    int MapX(int x) const
    {
        return S.Scaled ? MulDivRound(x - S.WinOrg.X, S.VpExt.cx, S.WinExt.cx) + S.Origin.X : x - S.WinOrg.X + S.Origin.X;
    }
    int MapY(int y) const
    {
        return S.Scaled ? MulDivRound(y - S.WinOrg.Y, S.VpExt.cy, S.WinExt.cy) + S.Origin.Y : y - S.WinOrg.Y + S.Origin.Y;
    }
    // Device pixels per logical unit (negative when an axis runs the other way).
    double ScaleX() const { return double(S.VpExt.cx) / S.WinExt.cx; }
    double ScaleY() const { return double(S.VpExt.cy) / S.WinExt.cy; }
    static int MulDivRound(int a, int b, int c) { return int(std::lround(double(a) * b / c)); }
    // Logical to device.
    int DX(int x) const;
    int DY(int y) const { return MapY(y); }
    // A logical length (pen widths) in device pixels, at least 1.
    int DevLength(int n) const;
    // Sets the painter up so that (0, 0) is logical (x, y) with logical units along the device
    // axes (text, which stays upright whatever the mapping); painter state is saved.
    void BeginLogicalFrame(int x, int y);
    // Pen lines in a mirrored context map the point, not the pixel: logical x lands on device
    // width - x, one pixel right of where a filled pixel at x goes. Painting code that mixes lines
    // and fills on a mirrored canvas moves its line points one pixel right to make up for it.
    int LineDX(int x) const { return (S.Layout & LAYOUT_RTL) ? DX(x) + 1 : DX(x); }
    QRect DevRect(const TRect& r) const;      // normalised; empty for an empty rectangle
    void ApplyClip();
    void UpdateScaled();
    void ApplyFont();
    void FillDev(const QRect& r, COLORREF c);
    void PixelLine(int x1, int y1, int x2, int y2);   // logical, end point excluded, pen colour
};

QColor ToQColor(COLORREF c);
COLORREF FromQColor(const QColor& c);
