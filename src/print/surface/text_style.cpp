#include "text_style.h"

#include "common/errors.h"
#include "pdf/byte_metrics.h"
#include "platform/code_pages.h"
#include "print/drawing_target.h"

#include <cmath>

const ByteMetrics& MetricsOf(const TextStyle& style)
{
    // Text is measured run by run in a style that rarely changes: the last answer is kept.
    static TextStyle lastStyle;
    static const CodePage* lastPage = nullptr;
    static const ByteMetrics* last = nullptr;
    const CodePage& page = style.Charset == CharacterSet::Oem ? OemCodePage() : AnsiCodePage();
    if (last != nullptr && lastPage == &page && lastStyle.Name == style.Name && lastStyle.Size == style.Size
        && lastStyle.Bold == style.Bold && lastStyle.Italic == style.Italic)
        return *last;
    // A family that is not installed is left to the font configuration's substitution.
    last = &MetricsFor(AnsiCodePage().ToUtf8(style.Name), style.Bold, style.Italic, style.Size, page);
    lastStyle = style;
    lastPage = &page;
    return *last;
}

double TextWidth(const TextStyle& style, std::string_view bytes) { return MetricsOf(style).Width(bytes); }

double LineHeight(const TextStyle& style) { return MetricsOf(style).LineSpacing(); }

double NextTabStop(const TextStyle& style, double x, double origin)
{
    const double step = TabStopCharacters * MetricsOf(style).AverageCharWidth();
    if (step <= 0)
        return x;
    return origin + (std::floor((x - origin) / step + 1e-9) + 1) * step;
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
