#include "graph/net.h"

#include "common/dialogs.h"
#include "common/lang.h"
#include "common/numeric.h"
#include "common/numtext.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Colours and text

QColor ColorFromRef(TColorRef ref)
{
    // A reference keeps red in the low byte; QColor(QRgb) would read it as blue.
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

std::uint32_t RgbFromRef(TColorRef ref)
{
    return 0xFF000000u | ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

QSize TFontTextMeasurer::Extent(const QFont &font, const QPaintDevice *device, const QString &text) const
{
    // QFontMetrics wants a mutable device pointer but only reads its resolution.
    QFontMetrics fm(font, const_cast<QPaintDevice *>(device));
    return QSize(fm.horizontalAdvance(text), fm.height());
}

QSize TFixedTextMeasurer::Extent(const QFont &, const QPaintDevice *, const QString &text) const
{
    return QSize(int(text.size()) * CharWidth, LineHeight);
}

const TTextMeasurer &DefaultTextMeasurer()
{
    static const TFontTextMeasurer measurer;
    return measurer;
}

int TextWidth(const TTextMeasurer &measurer, const QFont &font, const QPaintDevice *device, const QString &text)
{
    return measurer.Extent(font, device, text).width();
}

int TextHeight(const TTextMeasurer &measurer, const QFont &font, const QPaintDevice *device, const QString &text)
{
    return measurer.Extent(font, device, text).height();
}

int NetFontPixelHeight(int resolutionY)
{
    // MulDiv(8, resolution, 72): rounded to the nearest.
    long long n = 8LL * resolutionY;
    long long h = (n >= 0 ? n + 36 : n - 36) / 72;
    return int(std::clamp<long long>(h, 1, 100000));
}

QFont NetFont(int resolutionY)
{
    QFont font;
    // The face the graph was designed for first; then faces that carry Cyrillic
    // glyphs on our systems.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(NetFontPixelHeight(resolutionY));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// ---------------------------------------------------------------------------
// Ticks and labels

QString FormatLabel(int magnitudeClass, double value)
{
    const char *pattern;
    switch (magnitudeClass) {
    case -1: pattern = "0.0####"; break;
    case 0: pattern = "0.#####"; break;
    case 1: pattern = "0.####"; break;
    case 2: pattern = "#0.###"; break;
    case 3: pattern = "##0.##"; break;
    case 4: pattern = "###0.#"; break;
    case 5: pattern = "####0"; break;
    default: pattern = "#.####E-0 "; break;
    }
    return numtext::FormatFloat(QString::fromLatin1(pattern), value);
}

void LinearTicks(int &Count, double *Values, QString *Labels, int capacity, double Min, double Max)
{
    Count = 0;
    if (capacity < 2)
        return;
    const double span0 = Max - Min;
    double reference = Min;
    if (reference == 0)
        reference = Max;
    if (reference == 0)
        reference = 1;
    // An empty, reversed or non-finite range would never scale into
    // [100, 1000]: it gets its two ends only.
    if (!std::isfinite(Min) || !std::isfinite(Max) || !std::isfinite(span0) || !(span0 > 0) ||
        std::fabs(span0) < 1e-20 || std::fabs(span0 / reference) < 1e-5) {
        Values[0] = Min;
        Values[1] = Max;
        Labels[0] = numtext::FloatToStr(Min);
        Labels[1] = numtext::FloatToStr(Max);
        Count = 2;
        return;
    }

    double span = span0;
    double factor = 1;
    int magnitudeClass = 3;
    while (span < 100) {
        span *= 10;
        factor *= 0.1;
        --magnitudeClass;
    }
    while (span > 1000) {
        span *= 0.1;
        factor *= 10;
        ++magnitudeClass;
    }

    const int e = TruncToInt(span);
    int f;
    if (e >= 900)
        f = 100;
    else if (e >= 600)
        f = 75;
    else if (e >= 400)
        f = 50;
    else if (e >= 325)
        f = 40;
    else if (e >= 240)
        f = 25;
    else if (e >= 180)
        f = 20;
    else if (e >= 120)
        f = 15;
    else
        f = 10;

    // The ratio guard above keeps j far inside int32; 64 bits only make sure.
    long long j = (long long)TruncToInt((Min / factor) / f) * f;
    while (double(j) * factor < Min)
        j += f;

    Values[Count++] = Min;
    for (;; j += f) {
        const double v = double(j) * factor;
        if (!(v <= Max) || Count >= capacity - 1)
            break;
        Values[Count++] = v;
    }
    Values[Count++] = Max;
    for (int i = 0; i < Count; ++i)
        Labels[i] = FormatLabel(magnitudeClass, Values[i]);
}

void LogTicks(int &Count, double *Values, QString *Labels, int capacity, double LogMin, double LogMax)
{
    Count = 0;
    if (capacity < 1)
        return;
    double v = std::pow(10.0, LogMin);
    const double top = std::pow(10.0, LogMax);
    while (v < top && Count < capacity - 1) {
        Values[Count++] = v;
        const double step = std::pow(10.0, std::trunc(std::log10(v)));
        if (!(step > 0) || !std::isfinite(step))
            break;
        v += step;
    }
    Values[Count++] = top;
    for (int i = 0; i < Count; ++i)
        Labels[i] = FormatLabel(4, Values[i]);
}

// ---------------------------------------------------------------------------
// Clipping

namespace {

// One stage of the cascade: orders the ends along axis a, drops a segment
// outside [lo, hi] on it and moves the ends that stick out onto the bounds,
// b following along the segment.
bool ClipAxis(int lo, int hi, int &A1, int &B1, int &A2, int &B2)
{
    if (A1 > A2) {
        std::swap(A1, A2);
        std::swap(B1, B2);
    }
    if (A2 < lo || A1 > hi)
        return false;
    double slope = A1 != A2 ? (double(B2) - double(B1)) / (double(A2) - double(A1)) : 0.0;
    if (A1 < lo) {
        B1 = TruncToInt((double(lo) - double(A1)) * slope + B1);
        A1 = lo;
    }
    if (A2 > hi) {
        B2 = TruncToInt((double(hi) - double(A1)) * slope + B1);
        A2 = hi;
    }
    return true;
}

} // namespace

bool ClipLine(const TPlotRect &rect, int &X1, int &Y1, int &X2, int &Y2)
{
    return ClipAxis(rect.left, rect.right, X1, Y1, X2, Y2) && ClipAxis(rect.top, rect.bottom, Y1, X1, Y2, X2);
}

namespace {

// Device positions beyond this cannot take the integer clip: its products
// would leave int32. Such segments are first cut in double to a box a little
// larger than the plot, so the true segment's visible part is what remains.
constexpr double SafePixel = 1e9;
constexpr int GuardMargin = 16;

bool ClipToBox(double xmin, double ymin, double xmax, double ymax, double &x1, double &y1, double &x2, double &y2)
{
    // Halved, so that ends far apart on opposite sides cannot overflow the
    // differences; the ratios q / p are unchanged.
    const double dx = x2 / 2 - x1 / 2;
    const double dy = y2 / 2 - y1 / 2;
    double t0 = 0, t1 = 1;
    int e0 = -1, e1 = -1; // the edges that set t0 and t1
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 / 2 - xmin / 2, xmax / 2 - x1 / 2, y1 / 2 - ymin / 2, ymax / 2 - y1 / 2};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1)
                return false;
            if (r > t0) {
                t0 = r;
                e0 = i;
            }
        } else {
            if (r < t0)
                return false;
            if (r < t1) {
                t1 = r;
                e1 = i;
            }
        }
    }
    // The new ends lie on the edges that cut them, the other coordinate from
    // the slope: a parameter alone cannot place a point near the box when the
    // ends are ~1e308 apart.
    const double edge[4] = {xmin, xmax, ymin, ymax};
    auto place = [&](int e, double &nx, double &ny) {
        if (e < 0)
            return;
        if (e < 2) {
            nx = edge[e];
            ny = y1 + (nx - x1) * (dy / dx);
        } else {
            ny = edge[e];
            nx = x1 + (ny - y1) * (dx / dy);
        }
    };
    double nx1 = x1, ny1 = y1, nx2 = x2, ny2 = y2;
    place(e0, nx1, ny1);
    place(e1, nx2, ny2);
    if (!std::isfinite(nx1) || !std::isfinite(ny1) || !std::isfinite(nx2) || !std::isfinite(ny2))
        return false;
    x1 = std::clamp(nx1, xmin, xmax);
    y1 = std::clamp(ny1, ymin, ymax);
    x2 = std::clamp(nx2, xmin, xmax);
    y2 = std::clamp(ny2, ymin, ymax);
    return true;
}

QPen LinePen(TColorRef color)
{
    // Width 1, and the flat cap leaves the end pixel out as the device API does.
    QPen pen(ColorFromRef(color), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(true);
    return pen;
}

// One-pixel lines into a 32-bit bitmap, as the device API rasterises them:
// every pixel from the start up to the end, one per step along the longer
// axis, the end pixel itself left out. Qt's own line drops the end with the
// larger x instead, which opens a one-pixel gap where a rising segment meets
// the next one. Ties of the shorter axis go towards the start.
class TPixelLines {
public:
    TPixelLines() = default;
    // image must stay alive and unshared (its bits are written directly).
    explicit TPixelLines(QImage &image)
    {
        if (image.isNull() || image.depth() != 32)
            return;
        bits_ = reinterpret_cast<std::uint32_t *>(image.bits());
        stride_ = image.bytesPerLine() / 4;
        width_ = image.width();
        height_ = image.height();
    }
    bool Active() const { return bits_ != nullptr; }
    void SetColor(std::uint32_t rgb) { rgb_ = rgb; }

    void Line(int x1, int y1, int x2, int y2)
    {
        const std::int64_t dx = std::abs(std::int64_t(x2) - x1), dy = std::abs(std::int64_t(y2) - y1);
        if (dx == 0 && dy == 0)
            return;
        if (dx == 0) {
            Vertical(x1, y1, y2);
            return;
        }
        if (dy == 0) {
            Horizontal(y1, x1, x2);
            return;
        }
        const bool checked = !In(x1, y1) || !In(x2, y2);
        const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
        // One pixel per step along the longer axis; the shorter one follows
        // the error term.
        const bool alongX = dx >= dy;
        const std::int64_t major = alongX ? dx : dy, minor = alongX ? dy : dx;
        const int majorX = alongX ? sx : 0, majorY = alongX ? 0 : sy;
        const int minorX = alongX ? 0 : sx, minorY = alongX ? sy : 0;
        int x = x1, y = y1;
        std::int64_t err = 2 * minor - major;
        for (std::int64_t i = 0; i < major; ++i) {
            Plot(x, y, checked);
            if (err > 0) {
                x += minorX;
                y += minorY;
                err -= 2 * major;
            }
            err += 2 * minor;
            x += majorX;
            y += majorY;
        }
    }

private:
    bool In(int x, int y) const { return unsigned(x) < unsigned(width_) && unsigned(y) < unsigned(height_); }
    void Plot(int x, int y, bool checked)
    {
        if (!checked || In(x, y))
            bits_[qsizetype(y) * stride_ + x] = rgb_;
    }
    // Rows from a towards b, b left out.
    void Vertical(int x, int a, int b)
    {
        if (unsigned(x) >= unsigned(width_))
            return;
        // Drawn downward as [lo, hi]: from a down to b - 1, or up from b + 1 to a.
        int lo = a < b ? a : b + 1, hi = a < b ? b - 1 : a;
        lo = std::max(lo, 0);
        hi = std::min(hi, height_ - 1);
        std::uint32_t *px = bits_ + qsizetype(lo) * stride_ + x;
        for (int y = lo; y <= hi; ++y, px += stride_)
            *px = rgb_;
    }
    void Horizontal(int y, int a, int b)
    {
        if (unsigned(y) >= unsigned(height_))
            return;
        int lo = a < b ? a : b + 1, hi = a < b ? b - 1 : a;
        lo = std::max(lo, 0);
        hi = std::min(hi, width_ - 1);
        if (lo <= hi)
            std::fill(bits_ + qsizetype(y) * stride_ + lo, bits_ + qsizetype(y) * stride_ + hi + 1, rgb_);
    }

    std::uint32_t *bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t rgb_ = 0xFF000000u;
};

// The 1-pixel lines of one drawing call: into the bitmap's pixels, or through
// the caller's painter (a printer page, where one device pixel is far below
// what the eye sees and Qt's line is kept).
class TLiner {
public:
    TLiner(QPainter *painter, QImage *bitmap) : painter_(painter)
    {
        if (bitmap)
            pixels_ = TPixelLines(*bitmap);
    }
    // The painter's pen must be set to the same colour by the caller.
    void SetColor(TColorRef color) { pixels_.SetColor(RgbFromRef(color)); }
    // A line from (x1, y1) to (x2, y2) without its end pixel.
    void Line(int x1, int y1, int x2, int y2)
    {
        if (x1 == x2 && y1 == y2)
            return;
        if (pixels_.Active())
            pixels_.Line(x1, y1, x2, y2);
        else if (painter_)
            painter_->drawLine(x1, y1, x2, y2);
    }

private:
    QPainter *painter_;
    TPixelLines pixels_;
};

// A painter draws straight into the pixels only where nothing of its state
// would change them: a plain 32-bit image, no transform or clip, an opaque
// solid 1-pixel pen.
bool PixelLinesFit(const QPainter &p)
{
    const QPaintDevice *d = p.device();
    if (!d || d->devType() != QInternal::Image)
        return false;
    const QImage *image = static_cast<const QImage *>(d);
    const QImage::Format f = image->format();
    const QPen pen = p.pen();
    return (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied) &&
           p.worldTransform().isIdentity() && !p.hasClipping() && pen.style() == Qt::SolidLine &&
           pen.widthF() <= 1 && pen.brush().style() == Qt::SolidPattern && pen.color().alpha() == 255 &&
           p.compositionMode() == QPainter::CompositionMode_SourceOver && p.opacity() == 1.0;
}

void TextOut(QPainter &p, const QFont &font, int x, int y, const QString &text)
{
    if (text.isEmpty())
        return;
    // The device API places the top-left corner; QPainter the baseline.
    QFontMetrics fm(font, p.device());
    p.drawText(QPoint(x, y + fm.ascent()), text);
}

// Box from (x - r, y - r) to (x + r + 1, y + r + 1), right and bottom excluded.
void Marker(QPainter &p, int x, int y, int r, bool filled, const QBrush &brush)
{
    p.setBrush(filled ? brush : QBrush(Qt::NoBrush));
    if (r <= 0)
        p.drawPoint(x, y);
    else
        p.drawEllipse(QRect(x - r, y - r, 2 * r, 2 * r));
}

// The painter of one drawing call: a fresh one on the bitmap, or the caller's
// with its state saved and given back at the end.
class TSurface {
public:
    explicit TSurface(TNet &net)
    {
        if (net.Direct) {
            if (net.DC && net.DC->isActive()) {
                painter_ = net.DC;
                painter_->save();
            }
        } else if (!net.Bitmap.isNull()) {
            // Unshare the pixels before the painter takes them, so that lines
            // written straight into them land in the painter's buffer.
            net.Bitmap.bits();
            if (own_.begin(&net.Bitmap)) {
                painter_ = &own_;
                image_ = &net.Bitmap;
            }
        }
        if (painter_) {
            painter_->setRenderHint(QPainter::Antialiasing, false);
            painter_->setRenderHint(QPainter::TextAntialiasing, false);
            painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter_->setOpacity(1.0);
        }
    }
    ~TSurface()
    {
        if (painter_ == &own_)
            own_.end();
        else if (painter_)
            painter_->restore();
    }
    TSurface(const TSurface &) = delete;
    TSurface &operator=(const TSurface &) = delete;
    QPainter *get() const { return painter_; }
    // Bitmap mode: the bitmap the painter is on; direct mode: null.
    QImage *image() const { return image_; }

private:
    QPainter own_;
    QPainter *painter_ = nullptr;
    QImage *image_ = nullptr;
};

// Consecutive vertical pieces in one column merge into one line. The clip
// leaves every vertical piece running downward as the half-open [a, b), and a
// chain of touching half-open pieces covers exactly their hull.
struct TColumnRun {
    bool active = false;
    int x = 0, a = 0, b = 0;

    void Flush(TLiner &liner)
    {
        if (active)
            liner.Line(x, a, x, b);
        active = false;
    }
    // False when the piece does not join the run (the run must be flushed first).
    bool Join(int px, int pa, int pb)
    {
        if (!active) {
            active = true;
            x = px;
            a = pa;
            b = pb;
            return true;
        }
        if (px != x || pa > b || pb < a)
            return false;
        a = std::min(a, pa);
        b = std::max(b, pb);
        return true;
    }
};

} // namespace

// ---------------------------------------------------------------------------
// TNet

TNet::TNet(QPainter *dc, const QString &title, int width, int height, double xMin, double xMax,
           double yMin, double yMax, TColorRef textColor, TColorRef gridColor, TColorRef backColor,
           bool logX, bool direct, const TTextMeasurer *measurer)
    : Direct(direct), Title(title), GridColor(gridColor), TextColor(textColor), BackColor(backColor),
      LogX(logX), Measurer(measurer ? measurer : &DefaultTextMeasurer())
{
    if (Direct) {
        DC = dc;
    } else {
        if (dc && dc->device())
            ResolutionY = dc->device()->logicalDpiY();
        if (!MakeBitmap(width, height)) {
            Report(QStringLiteral("CreateBitmap FAILED !"));
            return;
        }
        Width = width;
        Height = height;
    }
    SetRange(xMin, xMax, yMin, yMax);
}

void TNet::Report(const QString &text)
{
    Messages.append(text);
}

QStringList TNet::TakeMessages()
{
    QStringList taken;
    taken.swap(Messages);
    return taken;
}

bool TNet::MakeBitmap(int width, int height)
{
    Bitmap = QImage();
    if (width < 0 || height < 0)
        return false;
    // An empty size holds no pixels but is no failure (the window may be minimised).
    if (width == 0 || height == 0)
        return true;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    const int dotsPerMeter = int(std::lround(ResolutionY / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::black);
    Bitmap = image;
    return true;
}

void TNet::Resize(QPainter *dc, int width, int height)
{
    if (!Direct) {
        if (dc && dc->device())
            ResolutionY = dc->device()->logicalDpiY();
        if (!MakeBitmap(width, height)) {
            Report(QStringLiteral("CreateCompatibleBitmap FAILED !"));
            return;
        }
    }
    Width = width;
    Height = height;
    Redraw();
}

void TNet::Redraw()
{
    if (Direct)
        return;
    if (LogX)
        DrawLogFrame(0, 0);
    else
        DrawLinearFrame(0, 0);
}

void TNet::PaintTo(QPainter *dc, int x, int y, int w, int h)
{
    if (!Direct) {
        if (!dc || !dc->isActive() || Bitmap.isNull())
            return;
        dc->save();
        dc->setRenderHint(QPainter::SmoothPixmapTransform, false);
        dc->setCompositionMode(QPainter::CompositionMode_Source);
        if (w == 0)
            dc->drawImage(QPoint(x, y), Bitmap);
        else
            dc->drawImage(QRect(x, y, w, h), Bitmap);
        dc->restore();
        return;
    }
    DC = dc;
    Width = w;
    Height = h;
    if (LogX)
        DrawLogFrame(x, y);
    else
        DrawLinearFrame(x, y);
}

bool TNet::UsableRange(double &lo, double &hi)
{
    if (lo == hi) {
        if (lo == 0) {
            lo = -0.1;
            hi = 0.1;
        } else {
            lo = lo * 0.9;
            hi = hi * 1.1;
        }
    }
    if (lo > hi)
        std::swap(lo, hi);
    // Ticks and pixel factors need finite ends and a span whose inverse
    // stays finite at any plot size.
    const double span = hi - lo;
    return std::isfinite(lo) && std::isfinite(hi) && std::isfinite(span) && span > 0 && std::isfinite(1e6 / span);
}

bool TNet::AcceptsRange(double xMin, double xMax, double yMin, double yMax)
{
    return UsableRange(xMin, xMax) && UsableRange(yMin, yMax);
}

void TNet::SetRange(double xMin, double xMax, double yMin, double yMax)
{
    if (UsableRange(xMin, xMax) && UsableRange(yMin, yMax)) {
        XMin = xMin;
        XMax = xMax;
        YMin = yMin;
        YMax = yMax;
    }
    Redraw();
}

bool TNet::PixelOf(double valueX, double valueY, double &px, double &py) const
{
    if (LogX && valueX >= 1 && XMin >= 1)
        px = (std::log10(std::fabs(valueX)) - std::log10(std::fabs(XMin))) * PixelsPerX + PlotRect.left;
    else
        px = PlotRect.left + (valueX - XMin) * PixelsPerX;
    py = PlotRect.bottom - (valueY - YMin) * PixelsPerY;
    return std::isfinite(px) && std::isfinite(py);
}

void TNet::ValueToPixel(int &X, int &Y, double valueX, double valueY) const
{
    double px, py;
    PixelOf(valueX, valueY, px, py);
    X = TruncToInt(px);
    Y = TruncToInt(py);
}

void TNet::PixelToValue(int X, int Y, double &valueX, double &valueY) const
{
    const double dx = double(X) - double(PlotRect.left);
    if (LogX && XMin >= 1)
        valueX = std::pow(10.0, dx / PixelsPerX + std::log10(XMin));
    else
        valueX = dx / PixelsPerX + XMin;
    valueY = (double(PlotRect.bottom) - double(Y)) / PixelsPerY + YMin;
}

bool TNet::Inside(int px, int py) const
{
    return PlotRect.left <= px && px <= PlotRect.right && PlotRect.top <= py && py <= PlotRect.bottom;
}

int TNet::DeviceResolutionY() const
{
    if (Direct && DC && DC->device())
        return DC->device()->logicalDpiY();
    return ResolutionY;
}

void TNet::DrawLinearFrame(int X, int Y)
{
    DrawFrame(X, Y, false);
}

void TNet::DrawLogFrame(int X, int Y)
{
    DrawFrame(X, Y, true);
}

void TNet::DrawFrame(int X, int Y, bool log)
{
    // Tick lists live on this call's own storage.
    std::array<double, LogTickCapacity> xValues{}, yValues{};
    std::array<QString, LogTickCapacity> xLabels, yLabels;
    int xCount = 0, yCount = 0;

    TSurface surface(*this);
    QPainter *p = surface.get();
    const QPaintDevice *device = p ? p->device() : (Bitmap.isNull() ? nullptr : &Bitmap);
    const QColor back = ColorFromRef(BackColor);

    if (log) {
        PlotRect = {X, Y, X + Width, Y + Height};
        if (XMin < 1 || XMax < 1) {
            Report(Lang("Недопустимые значения координат для логарифмической шкалы !",
                        "Wrong value for logarithmic scale"));
            if (p)
                p->fillRect(QRect(X, Y, Width, Height), back);
            return;
        }
        LogTicks(xCount, xValues.data(), xLabels.data(), LogTickCapacity, std::log10(XMin), std::log10(XMax));
        LinearTicks(yCount, yValues.data(), yLabels.data(), LogTickCapacity, YMin, YMax);
    } else {
        LinearTicks(xCount, xValues.data(), xLabels.data(), LinearTickCapacity, XMin, XMax);
        LinearTicks(yCount, yValues.data(), yLabels.data(), LinearTickCapacity, YMin, YMax);
    }

    const QFont font = NetFont(DeviceResolutionY());
    const QPen linePen = LinePen(GridColor);
    const QPen textPen(ColorFromRef(TextColor));

    PlotRect = {X, Y, X + Width, Y + Height};
    TLiner liner(p, surface.image());
    liner.SetColor(GridColor);
    if (p) {
        p->setFont(font);
        p->setPen(linePen);
        p->setBrush(Qt::NoBrush);
        p->setBackgroundMode(Qt::TransparentMode);
        p->fillRect(QRect(X, Y, Width, Height), back);
    }

    const TTextMeasurer &m = *Measurer;
    const int hw = TextWidth(m, font, device, QStringLiteral("W")) / 2;
    const int hh = TextHeight(m, font, device, QStringLiteral("W")) / 2;

    std::array<int, LogTickCapacity> wy{}, wx{};
    int wmax = 0;
    for (int i = 0; i < yCount; ++i) {
        wy[i] = TextWidth(m, font, device, yLabels[i]) + hw;
        wmax = std::max(wmax, wy[i]);
    }
    for (int j = 0; j < xCount; ++j)
        wx[j] = TextWidth(m, font, device, xLabels[j]);

    const int left = X + wmax + hw;
    const int right = X + Width - 2 * hw;
    const int top = Y + 4 * hh;
    const int bottom = Y + Height - 4 * hh;
    PlotRect = {left, top, right, bottom};
    if (log)
        PixelsPerX = double(right - left) / (std::log10(XMax) - std::log10(XMin));
    else
        PixelsPerX = double(right - left) / (XMax - XMin);
    PixelsPerY = double(bottom - top) / (YMax - YMin);

    if (!p)
        return;

    auto label = [&](int x, int y, const QString &text) {
        p->setPen(textPen);
        TextOut(*p, font, x, y, text);
        p->setPen(linePen);
    };

    label(left, top - 3 * hh, Title);

    const int yLast = yCount - 1;
    liner.Line(left, bottom, right, bottom);
    label(left - wy[0], bottom - hh, yLabels[0]);
    int lowestLabelTop = bottom - hh;

    liner.Line(left, top, right, top);
    label(left - wy[yLast], top - hh, yLabels[yLast]);
    const int upperLimit = top + hh;

    for (int i = 1; i < yLast; ++i) {
        const int y = TruncToInt(bottom - (yValues[i] - YMin) * PixelsPerY);
        liner.Line(left, y, right, y);
        if (y + hh <= lowestLabelTop && y - hh >= upperLimit) {
            label(left - wy[i], y - hh, yLabels[i]);
            lowestLabelTop = y - hh;
        }
    }

    const int xLast = xCount - 1;
    liner.Line(left, top, left, bottom);
    label(left, bottom + hh, xLabels[0]);
    int nextFreeX = left + wx[0] + 2 * hw;

    liner.Line(right, top, right, bottom);
    label(right - wx[xLast], bottom + hh, xLabels[xLast]);
    const int rightLimit = right - wx[xLast] - 2 * hw;

    for (int j = 1; j < xLast; ++j) {
        const double offset = log ? (std::log10(xValues[j]) - std::log10(XMin)) : (xValues[j] - XMin);
        const int x = TruncToInt(offset * PixelsPerX + left);
        liner.Line(x, top, x, bottom);
        const int xs = x - wx[j] / 2;
        if (xs >= nextFreeX && xs + wx[j] <= rightLimit) {
            label(xs, bottom + hh, xLabels[j]);
            nextFreeX = xs + wx[j] + 2 * hw;
        }
    }
}

void TNet::DrawLine(QPainter &painter, int X1, int Y1, int X2, int Y2) const
{
    if (!ClipLine(PlotRect, X1, Y1, X2, Y2) || (X1 == X2 && Y1 == Y2))
        return;
    if (PixelLinesFit(painter)) {
        TPixelLines pixels(*static_cast<QImage *>(painter.device()));
        pixels.SetColor(painter.pen().color().rgba());
        pixels.Line(X1, Y1, X2, Y2);
    } else {
        painter.drawLine(X1, Y1, X2, Y2);
    }
}

void TNet::DrawPolyline(int Count, const double *Xs, const double *Ys, TColorRef LineColor, bool ShowMarkers,
                        int MarkerRadius, TColorRef MarkerColor, bool Filled)
{
    if (Count <= 0 || !Xs || !Ys)
        return;
    TSurface surface(*this);
    QPainter *p = surface.get();
    if (!p)
        return;

    const QPen linePen = LinePen(LineColor);
    const QPen markerPen = LinePen(MarkerColor);
    const QBrush markerBrush(ColorFromRef(MarkerColor));
    p->setPen(linePen);
    p->setBrush(markerBrush);
    TLiner liner(p, surface.image());
    liner.SetColor(LineColor);

    const TPlotRect rect = PlotRect;
    const double gl = double(rect.left) - GuardMargin, gr = double(rect.right) + GuardMargin;
    const double gt = double(rect.top) - GuardMargin, gb = double(rect.bottom) + GuardMargin;
    TColumnRun run;

    auto segment = [&](double x1, double y1, double x2, double y2) {
        if (!(std::fabs(x1) <= SafePixel && std::fabs(y1) <= SafePixel && std::fabs(x2) <= SafePixel &&
              std::fabs(y2) <= SafePixel)) {
            if (!ClipToBox(gl, gt, gr, gb, x1, y1, x2, y2))
                return;
        }
        // Here every end is finite and within the safe range (a NaN fails the
        // range test and the box clip refuses it), so a plain conversion
        // truncates toward zero; this is the per-segment hot path.
        int ix1 = int(x1), iy1 = int(y1), ix2 = int(x2), iy2 = int(y2);
        if (MergeColumnRuns && ix1 == ix2) {
            // The clip of a vertical piece, short: ordered downward, cut to
            // the plot's rows, the end row left out.
            if (ix1 < rect.left || ix1 > rect.right)
                return;
            int a = std::min(iy1, iy2), b = std::max(iy1, iy2);
            if (b < rect.top || a > rect.bottom)
                return;
            a = std::max(a, rect.top);
            b = std::min(b, rect.bottom);
            if (a == b)
                return;
            if (!run.Join(ix1, a, b)) {
                run.Flush(liner);
                run.Join(ix1, a, b);
            }
            return;
        }
        if (!ClipLine(rect, ix1, iy1, ix2, iy2))
            return;
        liner.Line(ix1, iy1, ix2, iy2);
    };

    double prevX = 0, prevY = 0;
    bool prevOk = false;
    for (int i = 0; i < Count; ++i) {
        double fx, fy;
        const bool ok = PixelOf(Xs[i], Ys[i], fx, fy);
        // A point that has no finite position breaks the line.
        if (ok && prevOk)
            segment(prevX, prevY, fx, fy);
        prevX = fx;
        prevY = fy;
        prevOk = ok;
        if (ShowMarkers && ok) {
            const int px = TruncToInt(fx), py = TruncToInt(fy);
            if (Inside(px, py)) {
                // The marker covers its incoming segment; the next one is drawn over it.
                run.Flush(liner);
                p->setPen(markerPen);
                Marker(*p, px, py, MarkerRadius, Filled, markerBrush);
                p->setPen(linePen);
            }
        }
    }
    run.Flush(liner);
}

void TNet::DrawPoints(int Count, const double *Xs, const double *Ys, int Radius, TColorRef PenColor, bool Filled,
                      TColorRef FillColor)
{
    if (Count <= 0 || !Xs || !Ys)
        return;
    TSurface surface(*this);
    QPainter *p = surface.get();
    if (!p)
        return;
    const QBrush brush(ColorFromRef(FillColor));
    p->setPen(LinePen(PenColor));
    for (int i = 0; i < Count; ++i) {
        double fx, fy;
        if (!PixelOf(Xs[i], Ys[i], fx, fy))
            continue;
        const int px = TruncToInt(fx), py = TruncToInt(fy);
        if (Inside(px, py))
            Marker(*p, px, py, Radius, Filled, brush);
    }
}

void ShowNetMessages(TNet &net, QObject *owner)
{
    for (const QString &text : net.TakeMessages())
        ui::Message(owner, text, QString(), ui::MbOk);
}
