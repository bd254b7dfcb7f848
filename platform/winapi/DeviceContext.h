// Inside of a device context; only for the platform's own sources (pulls in QPainter).
#pragma once

#include "WinGdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
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
    COLORREF BrushColor = 0xFFFFFF;
    int BrushStyle = BS_SOLID;
    TPoint PenPos;
    TPoint Origin;          // device position of logical (0, 0)
    bool HasClip = false;
    QRegion Clip;           // device coordinates
    UINT TextAlign = 0;
    DWORD Layout = 0;
};

struct HDC__ {
    QPainter* Painter = nullptr;
    std::unique_ptr<QPainter> OwnPainter;
    QImage* Image = nullptr;
    DCState S;
    std::vector<DCState> Saved;
    std::optional<QFontMetrics> Metrics;   // of S.Font
    bool FontApplied = false;
    std::function<void(const QString&)> Recorder;

    void Record(const QString& line) { if (Recorder) Recorder(line); }

    const QFontMetrics& FM()
    {
        if (!Metrics)
            Metrics.emplace(S.Font, Painter ? Painter->device() : nullptr);
        return *Metrics;
    }
    int DeviceWidth() const;
    // Logical to device.
    int DX(int x) const;
    int DY(int y) const { return y + S.Origin.Y; }
    // Pen lines in a mirrored context map the point, not the pixel: logical x lands on device
    // width - x, one pixel right of where a filled pixel at x goes. Painting code that mixes lines
    // and fills on a mirrored canvas moves its line points one pixel right to make up for it.
    int LineDX(int x) const { return (S.Layout & LAYOUT_RTL) ? DX(x) + 1 : DX(x); }
    QRect DevRect(const TRect& r) const;      // normalised; empty for an empty rectangle
    void ApplyClip();
    void ApplyFont();
    void FillDev(const QRect& r, COLORREF c);
    void PixelLine(int x1, int y1, int x2, int y2);   // logical, end point excluded, pen colour
};

QColor ToQColor(COLORREF c);
COLORREF FromQColor(const QColor& c);
