#include "text_style.h"

#include "common/errors.h"
#include "print/surface/drawing_target.h"
#include "platform/code_pages.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPointF>

#include <cmath>
#include <optional>

namespace {

// A device that only reports a resolution of 1440 dots per inch, for measuring text in twips
// without a printer at hand.
class TwipsDevice final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 1440;
        case PdmWidth:
        case PdmHeight:
            return 1440 * 100;
        case PdmWidthMM:
        case PdmHeightMM:
            return 2540;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }
};

const QPaintDevice& Twips()
{
    static const TwipsDevice device;
    return device;
}

// Text is measured run by run with a font that rarely changes, so the last metrics are kept.
const QFontMetricsF& Metrics(const TextStyle& style)
{
    struct Cached {
        TextStyle style;
        QFontMetricsF metrics;
    };
    static std::optional<Cached> cached;
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        // Fonts must not outlive the application object.
        qAddPostRoutine([] { cached.reset(); });
        cleanupRegistered = true;
    }
    if (!cached || !(cached->style == style))
        cached.emplace(Cached{style, QFontMetricsF(MakeFont(style), &Twips())});
    return cached->metrics;
}

} // namespace

QString DecodeText(const std::string& bytes, int charset)
{
    const CodePage& page = charset == OemCharset ? OemCodePage() : AnsiCodePage();
    return QString::fromStdString(page.ToUtf8(bytes));
}

QFont MakeFont(const TextStyle& style)
{
    // A family that is not installed is left to the font configuration's substitution.
    QFont font(FromAnsi(style.Name));
    font.setPointSizeF(style.Size);
    font.setBold(style.Bold);
    font.setItalic(style.Italic);
    font.setUnderline(style.Underline);
    return font;
}

double TextWidth(const TextStyle& style, const QString& text) { return Metrics(style).horizontalAdvance(text); }

double LineHeight(const TextStyle& style) { return Metrics(style).lineSpacing(); }

double NextTabStop(const TextStyle& style, double x, double origin)
{
    const double step = TabStopCharacters * Metrics(style).averageCharWidth();
    if (step <= 0)
        return x;
    return origin + (std::floor((x - origin) / step + 1e-9) + 1) * step;
}

void DrawTextRun(QPainter& painter, const TextStyle& style, const QPointF& topLeft, const QString& text)
{
    const QFont font = MakeFont(style);
    // Measured on the painter's own device: it resolves the point size the way drawing does.
    const QFontMetricsF metrics(font, painter.device());
    if (!style.Transparent)
        painter.fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.lineSpacing())), Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

double CheckedCoordinate(double value, const char* property)
{
    if (!std::isfinite(value) || std::fabs(value) > 1e9)
        throw OrvalinError(std::string("Invalid property value: ") + property);
    return value;
}

double CheckedFontSize(double points)
{
    // The largest size the original printer font accepted.
    if (!std::isfinite(points) || points <= 0 || points > 2160)
        throw OrvalinError("Invalid property value: FontSize");
    return points;
}

bool PictureArgumentsDrawable(const QImage& picture, double x, double y, double width, double height,
                              double sourceX, double sourceY, double sourceWidth, double sourceHeight)
{
    if (picture.isNull())
        throw OrvalinError("Invalid picture");
    for (double value : {x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight})
        CheckedCoordinate(value, "PaintPicture");
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0)
        throw OrvalinError("Invalid procedure call: PaintPicture with a negative size");
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return false;
    return true;
}
