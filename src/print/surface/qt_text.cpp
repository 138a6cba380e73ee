#include "qt_text.h"

#include "common/errors.h"
#include "platform/code_pages.h"
#include "print/drawing_target.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPointF>

QString DecodeText(const std::string& bytes, CharacterSet charset)
{
    const CodePage& page = charset == CharacterSet::Oem ? OemCodePage() : AnsiCodePage();
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

bool PictureArgumentsDrawable(const QImage& picture, double x, double y, double width, double height, double sourceX,
                              double sourceY, double sourceWidth, double sourceHeight)
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
