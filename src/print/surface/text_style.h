// The font and text rules shared by the Qt printer and the page canvas, so that text measures and
// lands the same on both: fonts are resolved at 1440 dots per inch, where one device unit is a twip.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include <string>

class QPainter;
class QPointF;

struct TextStyle {
    std::string Name = "Courier New"; // ANSI text
    double Size = 10;                 // points
    int Charset = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Transparent = true;

    bool operator==(const TextStyle&) const = default;
};

// Tab stops are every this many average character widths of the current font, counted from where
// the pen was last placed (the left margin, for a spool line), as the text's own columns were.
inline constexpr int TabStopCharacters = 8;

// The bytes as characters: the OEM code page for the OEM charset, the ANSI code page otherwise.
QString DecodeText(const std::string& bytes, int charset);

QFont MakeFont(const TextStyle& style);

// Measurements in twips.
double TextWidth(const TextStyle& style, const QString& text);
double LineHeight(const TextStyle& style);
double NextTabStop(const TextStyle& style, double x, double origin);

// Draws one run of text (no tabs, no line ends) with its top-left corner at the point; the
// painter's device units must be twips or the painter scaled so that its logical units are.
void DrawTextRun(QPainter& painter, const TextStyle& style, const QPointF& topLeft, const QString& text);

// Validation of property values, throwing OrvalinError with the property's name.
double CheckedCoordinate(double value, const char* property);
// Checks the arguments of PaintPicture (a null picture, a non-finite value or a negative size
// throws OrvalinError); false when a zero size leaves nothing to draw.
bool PictureArgumentsDrawable(const QImage& picture, double x, double y, double width, double height,
                              double sourceX, double sourceY, double sourceWidth, double sourceHeight);
double CheckedFontSize(double points);
