// Inside of a metafile: a paint device that keeps what is painted on it as a list of painter
// operations in the reference device's pixels, and plays them back through any painter with a
// transform. Only for the platform's own sources.
#pragma once

#include "Devices.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <deque>
#include <memory>
#include <vector>

// The painter state an operation was painted with.
struct TRecordedState {
    QPen Pen;
    QBrush Brush;
    QFont Font;
    QTransform Transform;
    bool Clipped = false;
    QRegion Clip;                      // device coordinates of the recording
    QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
    qreal Opacity = 1;
    Qt::LayoutDirection Direction = Qt::LeftToRight;
};

struct TRecordedOp {
    enum Kind { Rects, Lines, Points, Polygon, Polyline, Ellipse, Path, Image, Text } K = Rects;
    int State = 0;                     // index into the page's states
    std::vector<QRectF> R;
    std::vector<QLineF> L;
    std::vector<QPointF> P;
    QPainterPath Shape;
    QImage Img;
    QRectF Source;
    QString Str;
    Qt::FillRule Fill = Qt::OddEvenFill;
};

// What a metafile holds: the operations, the states they refer to, and the page they were
// recorded for.
struct HENHMETAFILE__ {
    // Deques: a long page grows without copying what it holds.
    std::deque<TRecordedState> States;
    std::deque<TRecordedOp> Ops;
    TDeviceCaps Caps;                  // of the reference device
    TSize Frame;                       // the page, in reference pixels

    // Plays every operation on the painter, mapped by the transform (recording pixels to the
    // painter's device) and kept inside the clip (device coordinates; none when empty).
    void Play(QPainter& painter, const QTransform& toDevice, const QRegion* clip) const;
};

// The device a metafile context paints on.
class TRecordingDevice : public QPaintDevice {
public:
    TRecordingDevice(HENHMETAFILE page);
    ~TRecordingDevice() override;
    QPaintEngine* paintEngine() const override;
    HENHMETAFILE Page() const { return FPage; }
    // Hands the page over; a page never handed over goes with the device.
    HENHMETAFILE TakePage() { FTaken = true; return FPage; }

protected:
    int metric(PaintDeviceMetric m) const override;

private:
    HENHMETAFILE FPage;
    bool FTaken = false;
    std::unique_ptr<QPaintEngine> FEngine;
};
