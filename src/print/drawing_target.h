// What the text interpreter and the logo page draw on: the printer or the page canvas.
// Units are twips (1/1440 inch) from the top-left corner of the drawable area, y downwards;
// font sizes are points. Every operation reports failure by throwing OrvalinError.
#pragma once

#include <string>

class QImage;

// The font character set, by the number a font's character set field holds: Oem shows each byte
// as the OEM code page's character, Ansi as the ANSI code page's.
enum class CharacterSet { Ansi = 0, Oem = 255 };

class DrawingTarget {
public:
    virtual ~DrawingTarget() = default;

    // The pen.
    virtual double CurrentX() const = 0;
    virtual void SetCurrentX(double x) = 0;
    virtual double CurrentY() const = 0;
    virtual void SetCurrentY(double y) = 0;

    // Text without a line end (bytes in the OEM code page when Charset is CharacterSet::Oem): drawn with
    // the current font, top of the text at the pen's y; x moves to the end of the text. A tab
    // (byte 9) moves x to the next tab stop (the Qt back-ends: every 8 average character widths
    // of the current font, counted from the x where the pen was last placed, so a line's columns
    // line up from the left margin as they did in the text).
    virtual void PrintText(const std::string& bytes) = 0;
    // A line end: x := 0, y := y + one text line of the current font.
    virtual void PrintLineEnd() = 0;
    // Ends the page; output goes on on a new page with the pen at (0, 0). Never asked of a canvas.
    virtual void NewPage() = 0;

    // The font.
    virtual std::string FontName() const = 0;
    virtual void SetFontName(const std::string& name) = 0;
    virtual double FontSize() const = 0;
    virtual void SetFontSize(double points) = 0;
    virtual CharacterSet FontCharset() const = 0;
    virtual void SetFontCharset(CharacterSet charset) = 0;
    virtual bool FontBold() const = 0;
    virtual void SetFontBold(bool on) = 0;
    virtual bool FontItalic() const = 0;
    virtual void SetFontItalic(bool on) = 0;
    virtual bool FontUnderline() const = 0;
    virtual void SetFontUnderline(bool on) = 0;
    virtual void SetFontTransparent(bool on) = 0;

    // Draws the source rectangle of a picture (in the picture's twips, 15 a pixel) into the
    // destination rectangle, scaling when the sizes differ; what falls outside is cut off.
    virtual void PaintPicture(const QImage& picture, double x, double y, double width, double height, double sourceX,
                              double sourceY, double sourceWidth, double sourceHeight) = 0;
};
