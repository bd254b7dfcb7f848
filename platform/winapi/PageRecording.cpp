// Metafile pages: a paint engine that records painter operations with the state they were
// painted in, and their playback through another painter under a transform. Text stays text
// on playback, so a page printed to PDF keeps its words.
#include "PageRecording.h"

#include <QPaintEngine>
#include <QTextItem>
#include <climits>

namespace {

bool SameState(const TRecordedState& a, const TRecordedState& b)
{
    return a.Pen == b.Pen && a.Brush == b.Brush && a.Font == b.Font && a.Transform == b.Transform
        && a.Clipped == b.Clipped && a.Clip == b.Clip && a.Mode == b.Mode && a.Opacity == b.Opacity
        && a.Direction == b.Direction;
}

class TRecordingEngine : public QPaintEngine {
public:
    explicit TRecordingEngine(HENHMETAFILE page) : QPaintEngine(QPaintEngine::AllFeatures), FPage(page) {}

    bool begin(QPaintDevice*) override
    {
        FCur = TRecordedState();
        FDirty = true;
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& st) override
    {
        const QPaintEngine::DirtyFlags f = st.state();
        if (f & DirtyPen)
            FCur.Pen = st.pen();
        if (f & DirtyBrush)
            FCur.Brush = st.brush();
        if (f & DirtyFont)
            FCur.Font = st.font();
        if (f & DirtyTransform)
            FCur.Transform = st.transform();
        if (f & DirtyCompositionMode)
            FCur.Mode = st.compositionMode();
        if (f & DirtyOpacity)
            FCur.Opacity = st.opacity();
        if (f & DirtyClipRegion)
            Clip(st.transform().map(st.clipRegion()), st.clipOperation());
        if (f & DirtyClipPath)
            Clip(QRegion(st.transform().map(st.clipPath()).toFillPolygon().toPolygon()), st.clipOperation());
        if (f & DirtyClipEnabled)
            FCur.Clipped = st.isClipEnabled() && FCur.Clipped;
        FDirty = true;
    }

    void drawRects(const QRectF* rects, int n) override
    {
        TRecordedOp& op = Add(TRecordedOp::Rects);
        op.R.assign(rects, rects + n);
    }
    void drawLines(const QLineF* lines, int n) override
    {
        TRecordedOp& op = Add(TRecordedOp::Lines);
        op.L.assign(lines, lines + n);
    }
    void drawPoints(const QPointF* points, int n) override
    {
        TRecordedOp& op = Add(TRecordedOp::Points);
        op.P.assign(points, points + n);
    }
    void drawPolygon(const QPointF* points, int n, PolygonDrawMode mode) override
    {
        TRecordedOp& op = Add(mode == PolylineMode ? TRecordedOp::Polyline : TRecordedOp::Polygon);
        op.P.assign(points, points + n);
        op.Fill = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    }
    void drawEllipse(const QRectF& r) override { Add(TRecordedOp::Ellipse).R = {r}; }
    void drawPath(const QPainterPath& path) override { Add(TRecordedOp::Path).Shape = path; }
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }
    void drawImage(const QRectF& r, const QImage& img, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        TRecordedOp& op = Add(TRecordedOp::Image);
        op.R = {r};
        op.Img = img;
        op.Source = sr;
    }
    void drawTextItem(const QPointF& p, const QTextItem& ti) override
    {
        const Qt::LayoutDirection dir = (ti.renderFlags() & QTextItem::RightToLeft) ? Qt::RightToLeft : Qt::LeftToRight;
        if (!(ti.font() == FCur.Font) || dir != FCur.Direction) {
            FCur.Font = ti.font();
            FCur.Direction = dir;
            FDirty = true;
        }
        TRecordedOp& op = Add(TRecordedOp::Text);
        op.P = {p};
        op.Str = ti.text();
    }

private:
    void Clip(const QRegion& r, Qt::ClipOperation op)
    {
        if (op == Qt::NoClip) {
            FCur.Clipped = false;
            FCur.Clip = QRegion();
        } else if (op == Qt::IntersectClip && FCur.Clipped) {
            FCur.Clip = FCur.Clip.intersected(r);
        } else {
            FCur.Clip = r;
            FCur.Clipped = true;
        }
    }
    TRecordedOp& Add(TRecordedOp::Kind k)
    {
        // A canvas selects its pen, brush and font again for every call; a state equal to the
        // last one is not kept twice.
        if (FDirty) {
            if (FPage->States.empty() || !SameState(FPage->States.back(), FCur))
                FPage->States.push_back(FCur);
            FDirty = false;
        }
        FPage->Ops.emplace_back();
        TRecordedOp& op = FPage->Ops.back();
        op.K = k;
        op.State = int(FPage->States.size()) - 1;
        return op;
    }

    HENHMETAFILE FPage;
    TRecordedState FCur;
    bool FDirty = true;
};

} // namespace

TRecordingDevice::TRecordingDevice(HENHMETAFILE page) : FPage(page), FEngine(std::make_unique<TRecordingEngine>(page)) {}
TRecordingDevice::~TRecordingDevice()
{
    if (!FTaken)
        delete FPage;
}
QPaintEngine* TRecordingDevice::paintEngine() const { return FEngine.get(); }

int TRecordingDevice::metric(PaintDeviceMetric m) const
{
    const TDeviceCaps& c = FPage->Caps;
    switch (m) {
    case PdmWidth: return FPage->Frame.cx;
    case PdmHeight: return FPage->Frame.cy;
    case PdmWidthMM: return int(FPage->Frame.cx * 25.4 / std::max(1, c.PixelsPerInchX));
    case PdmHeightMM: return int(FPage->Frame.cy * 25.4 / std::max(1, c.PixelsPerInchY));
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX: case PdmPhysicalDpiX: return c.PixelsPerInchX;
    case PdmDpiY: case PdmPhysicalDpiY: return c.PixelsPerInchY;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
    default: return QPaintDevice::metric(m);
    }
}

void HENHMETAFILE__::Play(QPainter& p, const QTransform& toDevice, const QRegion* clip) const
{
    p.save();
    int cur = -1;
    for (const TRecordedOp& op : Ops) {
        if (op.State != cur) {
            const TRecordedState& s = States[size_t(op.State)];
            p.setPen(s.Pen);
            p.setBrush(s.Brush);
            p.setFont(s.Font);
            p.setCompositionMode(s.Mode);
            p.setOpacity(s.Opacity);
            p.setLayoutDirection(s.Direction);
            // The clip is set in device coordinates, then the page's own transform follows.
            p.setTransform(QTransform());
            bool has = false;
            QRegion dev;
            if (s.Clipped) {
                dev = toDevice.map(s.Clip);
                has = true;
            }
            if (clip) {
                dev = has ? dev.intersected(*clip) : *clip;
                has = true;
            }
            if (has)
                p.setClipRegion(dev);
            else
                p.setClipping(false);
            p.setTransform(s.Transform * toDevice);
            cur = op.State;
        }
        switch (op.K) {
        case TRecordedOp::Rects: p.drawRects(op.R.data(), int(op.R.size())); break;
        case TRecordedOp::Lines: p.drawLines(op.L.data(), int(op.L.size())); break;
        case TRecordedOp::Points: p.drawPoints(op.P.data(), int(op.P.size())); break;
        case TRecordedOp::Polygon: p.drawPolygon(op.P.data(), int(op.P.size()), op.Fill); break;
        case TRecordedOp::Polyline: p.drawPolyline(op.P.data(), int(op.P.size())); break;
        case TRecordedOp::Ellipse: p.drawEllipse(op.R.front()); break;
        case TRecordedOp::Path: p.drawPath(op.Shape); break;
        case TRecordedOp::Image: p.drawImage(op.R.front(), op.Img, op.Source); break;
        case TRecordedOp::Text: p.drawText(op.P.front(), op.Str); break;
        }
    }
    p.restore();
}
