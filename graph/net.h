#pragma once
// TNet: the titled x-y graph of the scale designer. It draws a frame (title,
// grid, ticks, labels), converts between values and device pixels and draws
// clipped polylines and point markers, either into an off-screen bitmap that
// the window copies on every paint, or straight through the caller's painter
// (a printer page).
//
// The drawing keeps the rules of the device-context API the program was
// written against: colours are 0x00BBGGRR references, a text position is the
// top-left corner of the text, a line leaves out its end pixel, no
// antialiasing. Failures are not shown from inside a paint: they queue in
// Messages and the window shows them afterwards (ShowNetMessages).
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>

class QObject;
class QPainter;
class QPaintDevice;

// 0x00BBGGRR, as the drawing API takes colours.
using TColorRef = std::uint32_t;

constexpr TColorRef RGBRef(int r, int g, int b)
{
    return TColorRef(r & 0xFF) | (TColorRef(g & 0xFF) << 8) | (TColorRef(b & 0xFF) << 16);
}
QColor ColorFromRef(TColorRef ref);
// The QRgb (0xAARRGGBB, opaque) that a colour reference paints into the bitmap.
std::uint32_t RgbFromRef(TColorRef ref);

// All four edges inclusive: left/top are the first pixel column/row, right/bottom the last.
struct TPlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Measures one line of text as the frame lays out its labels. The frame asks
// through this seam so that a test can fix the metrics and check geometry to
// the pixel.
class TTextMeasurer {
public:
    virtual ~TTextMeasurer() = default;
    // Width and height in device pixels of text on one line.
    virtual QSize Extent(const QFont &font, const QPaintDevice *device, const QString &text) const = 0;
};

// The font's own metrics on the device.
class TFontTextMeasurer : public TTextMeasurer {
public:
    QSize Extent(const QFont &font, const QPaintDevice *device, const QString &text) const override;
};

// Every character CharWidth wide, every line LineHeight high.
class TFixedTextMeasurer : public TTextMeasurer {
public:
    TFixedTextMeasurer(int charWidth, int lineHeight) : CharWidth(charWidth), LineHeight(lineHeight) {}
    QSize Extent(const QFont &font, const QPaintDevice *device, const QString &text) const override;
    int CharWidth;
    int LineHeight;
};

const TTextMeasurer &DefaultTextMeasurer();

int TextWidth(const TTextMeasurer &measurer, const QFont &font, const QPaintDevice *device, const QString &text);
int TextHeight(const TTextMeasurer &measurer, const QFont &font, const QPaintDevice *device, const QString &text);

// The frame's font: 8 points at the device's vertical resolution. The face
// asked for is "MS Sans Serif"; where it is missing a sans face with Cyrillic
// glyphs stands in. Text is Unicode, so both frames share one font.
QFont NetFont(int resolutionY);
// Pixel height of the frame font: round(8 * resolutionY / 72).
int NetFontPixelHeight(int resolutionY);

// Tick lists. The linear frame keeps 22 entries per axis, the logarithmic one 122.
constexpr int LinearTickCapacity = 22;
constexpr int LogTickCapacity = 122;

// The label of a tick value in the format of its magnitude class.
QString FormatLabel(int magnitudeClass, double value);

// Tick list of a linear axis Min..Max: first Min, then the multiples of the
// step inside the range, then Max. Count never exceeds capacity. A range that
// is empty, reversed or not finite gives the two ends only.
void LinearTicks(int &Count, double *Values, QString *Labels, int capacity, double Min, double Max);
// Tick list of a logarithmic axis between 10^LogMin and 10^LogMax: 1, 2, ..., 9,
// 10, 20, ... from the first value on, then the top.
void LogTicks(int &Count, double *Values, QString *Labels, int capacity, double LogMin, double LogMax);

// The clip of one segment against an inclusive rectangle, in integer device
// pixels: first against left and right, then against top and bottom. On true
// the clipped end points are in X1..Y2 (ordered top to bottom, or left to right
// when horizontal); false: nothing of the segment is drawn.
bool ClipLine(const TPlotRect &rect, int &X1, int &Y1, int &X2, int &Y2);

class TNet {
public:
    // Bitmap mode (Direct false): DC, when given, supplies the resolution the
    // bitmap's font is sized for (the screen's otherwise); the bitmap of
    // Width x Height is created and the first frame drawn. Direct mode: DC is
    // the painter the graph draws on; nothing is drawn until PaintTo, which
    // also brings the size. The measurer (not owned) defaults to the font's.
    TNet(QPainter *DC, const QString &Title, int Width, int Height,
         double XMin, double XMax, double YMin, double YMax,
         TColorRef TextColor, TColorRef GridColor, TColorRef BackColor,
         bool LogX, bool Direct, const TTextMeasurer *measurer = nullptr);
    TNet(const TNet &) = delete;
    TNet &operator=(const TNet &) = delete;
    ~TNet() = default;

    // Bitmap mode: a new bitmap of the new size and a fresh frame (everything
    // drawn before is gone); DC, when given, updates the resolution. Direct
    // mode: stores the size only.
    void Resize(QPainter *DC, int Width, int Height);
    // Bitmap mode: the frame again from (0, 0). Direct mode: nothing.
    void Redraw();
    // Bitmap mode: copies the bitmap to (X, Y), at natural size when W is 0,
    // else stretched to W x H. Direct mode: DC becomes the target and the frame
    // is drawn at (X, Y) with size W x H.
    void PaintTo(QPainter *DC, int X, int Y, int W, int H);
    // Stores the ranges made valid (equal bounds widened, reversed ones
    // swapped), then Redraw. A range that is not finite, or whose span is not
    // a usable finite number, is refused: the previous range stays.
    void SetRange(double XMin, double XMax, double YMin, double YMax);
    // One pair made valid as SetRange does it; false when SetRange would refuse it.
    static bool UsableRange(double &Min, double &Max);
    // Whether SetRange would take this range.
    static bool AcceptsRange(double XMin, double XMax, double YMin, double YMax);

    // Device pixel of a value pair, truncated toward zero (saturating).
    void ValueToPixel(int &X, int &Y, double ValueX, double ValueY) const;
    void PixelToValue(int X, int Y, double &ValueX, double &ValueY) const;

    // Frames at (X, Y) of the current surface, sized Width x Height.
    void DrawLinearFrame(int X, int Y);
    void DrawLogFrame(int X, int Y);

    // The visible part of the segment, with the painter's current pen.
    void DrawLine(QPainter &painter, int X1, int Y1, int X2, int Y2) const;
    void DrawPolyline(int Count, const double *Xs, const double *Ys, TColorRef LineColor,
                      bool ShowMarkers, int MarkerRadius, TColorRef MarkerColor, bool Filled);
    void DrawPoints(int Count, const double *Xs, const double *Ys, int Radius,
                    TColorRef PenColor, bool Filled, TColorRef FillColor);

    // The failure messages queued since the last call, oldest first.
    QStringList TakeMessages();

    // Direct mode: the caller's painter (last given to PaintTo); bitmap mode: null.
    QPainter *DC = nullptr;
    // Bitmap mode: the off-screen bitmap (null when it could not be made or is empty).
    QImage Bitmap;
    bool Direct;
    QString Title;
    int Width = 0;
    int Height = 0;
    double XMin = 0;
    double XMax = 100;
    double YMin = 0;
    double YMax = 100;
    TColorRef GridColor;
    TColorRef TextColor;
    TColorRef BackColor;
    TPlotRect PlotRect;
    bool LogX;
    double PixelsPerX = 1.0;
    double PixelsPerY = 1.0;

    // Vertical resolution (dots per inch) the bitmap's font is sized for.
    int ResolutionY = 96;
    const TTextMeasurer *Measurer;
    // Dense curves: consecutive segments that stay in one pixel column are
    // drawn as one vertical line (the same pixels, far fewer calls).
    bool MergeColumnRuns = true;
    QStringList Messages;

private:
    void Report(const QString &text);
    bool MakeBitmap(int width, int height);
    void DrawFrame(int X, int Y, bool log);
    // Unrounded device position of a value pair; false when it is not finite.
    bool PixelOf(double valueX, double valueY, double &px, double &py) const;
    bool Inside(int px, int py) const;
    int DeviceResolutionY() const;
};

// Shows each queued message of the graph in a plain box (no icon, OK) with
// the application title as caption. Windows call this after painting.
void ShowNetMessages(TNet &net, QObject *owner);
