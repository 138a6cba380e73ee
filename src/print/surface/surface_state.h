// The pen and font that the printer and the page canvas keep alike, and the text layout on top of
// them: text runs between tabs are handed to the surface's DrawRun, tabs and line ends only move
// the pen. Measurements come from the style's font file, never from a paint device.
#pragma once

#include "text_style.h"

#include <string>
#include <string_view>

// Lets a surface copy another one's complete font state, transparency included.
class StyledSurface {
public:
    virtual ~StyledSurface() = default;
    virtual const TextStyle& Style() const = 0;
    virtual void SetStyle(const TextStyle& style) = 0;
};

template <class Target>
class SurfaceState : public Target, public StyledSurface {
public:
    double CurrentX() const override { return x_; }
    void SetCurrentX(double x) override
    {
        x_ = CheckedCoordinate(x, "CurrentX");
        tabOrigin_ = x_; // every line starts by placing the pen at the margin
    }
    double CurrentY() const override { return y_; }
    void SetCurrentY(double y) override { y_ = CheckedCoordinate(y, "CurrentY"); }

    void PrintText(const std::string& bytes) override
    {
        std::string::size_type start = 0;
        while (start <= bytes.size()) {
            const auto tab = bytes.find('\t', start);
            const std::string_view run =
                std::string_view(bytes).substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            if (!run.empty()) {
                DrawRun(x_, y_, run);
                x_ += TextWidth(style_, run);
            }
            if (tab == std::string::npos)
                break;
            x_ = NextTabStop(style_, x_, tabOrigin_);
            start = tab + 1;
        }
    }

    void PrintLineEnd() override
    {
        x_ = 0;
        tabOrigin_ = 0;
        y_ += LineHeight(style_);
    }

    std::string FontName() const override { return style_.Name; }
    void SetFontName(const std::string& name) override { style_.Name = name; }
    double FontSize() const override { return style_.Size; }
    void SetFontSize(double points) override { style_.Size = CheckedFontSize(points); }
    CharacterSet FontCharset() const override { return style_.Charset; }
    void SetFontCharset(CharacterSet charset) override { style_.Charset = charset; }
    bool FontBold() const override { return style_.Bold; }
    void SetFontBold(bool on) override { style_.Bold = on; }
    bool FontItalic() const override { return style_.Italic; }
    void SetFontItalic(bool on) override { style_.Italic = on; }
    bool FontUnderline() const override { return style_.Underline; }
    void SetFontUnderline(bool on) override { style_.Underline = on; }
    void SetFontTransparent(bool on) override { style_.Transparent = on; }

    const TextStyle& Style() const override { return style_; }
    void SetStyle(const TextStyle& style) override { style_ = style; }

protected:
    // Draws one run of text (bytes without tabs) with its top-left corner at (x, y).
    virtual void DrawRun(double x, double y, std::string_view bytes) = 0;
    void MovePen(double x, double y)
    {
        x_ = x;
        tabOrigin_ = x;
        y_ = y;
    }

private:
    double x_ = 0;
    double y_ = 0;
    double tabOrigin_ = 0; // where the pen was last placed: tab stops count from there
    TextStyle style_;
};
