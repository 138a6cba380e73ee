// A printer and a logo-page canvas that draw nothing and count the pages a job would fill, so that
// the real print job can tell how many pages a spool file gives without touching paper.
#pragma once

#include "print/printer.h"

#include <string>

// The pen, the font and the output seen on one drawing target. Text advances the pen by a fixed
// width a byte and a line end by one line of the font: enough for the layout decisions the job
// takes from the pen.
template <class Base>
class CountingSurface : public Base {
public:
    double CurrentX() const override { return x_; }
    void SetCurrentX(double x) override { x_ = x; }
    double CurrentY() const override { return y_; }
    void SetCurrentY(double y) override { y_ = y; }

    void PrintText(const std::string& bytes) override
    {
        if (bytes.empty())
            return;
        x_ += static_cast<double>(bytes.size()) * fontSize_ * 12; // 0.6 em a byte
        Drawn();
    }
    void PrintLineEnd() override
    {
        x_ = 0;
        y_ += fontSize_ * 20; // a point is 20 twips
    }

    std::string FontName() const override { return fontName_; }
    void SetFontName(const std::string& name) override { fontName_ = name; }
    double FontSize() const override { return fontSize_; }
    void SetFontSize(double points) override;
    CharacterSet FontCharset() const override { return charset_; }
    void SetFontCharset(CharacterSet charset) override { charset_ = charset; }
    bool FontBold() const override { return bold_; }
    void SetFontBold(bool on) override { bold_ = on; }
    bool FontItalic() const override { return italic_; }
    void SetFontItalic(bool on) override { italic_ = on; }
    bool FontUnderline() const override { return underline_; }
    void SetFontUnderline(bool on) override { underline_ = on; }
    void SetFontTransparent(bool) override {}

    void PaintPicture(const QImage&, double, double, double, double, double, double, double, double) override
    {
        Drawn();
    }

protected:
    // Something visible landed on the current page.
    virtual void Drawn() {}
    void MovePen(double x, double y)
    {
        x_ = x;
        y_ = y;
    }

private:
    double x_ = 0;
    double y_ = 0;
    std::string fontName_;
    double fontSize_ = 10;
    CharacterSet charset_ = CharacterSet::Ansi;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
};

// Counts the pages that receive output: a page begins with its first text or picture, so a page
// break before any output, or one at the very end, adds no page.
class CountingPrinter final : public CountingSurface<Printer> {
public:
    // The page's portrait size in twips.
    CountingPrinter(std::string deviceName, double portraitWidth, double portraitHeight);

    int Pages() const { return pages_; }
    // The logo page's canvas was laid over the current page.
    void CanvasDrawn() { Drawn(); }

    void NewPage() override;
    std::string DeviceName() const override { return deviceName_; }
    PageOrientation Orientation() const override { return orientation_; }
    void SetOrientation(PageOrientation orientation) override;
    void SetPrintQuality(PrintQuality) override {}
    double PageWidth() const override;
    double PageHeight() const override;
    void EndDoc() override;
    void KillDoc() override { EndDoc(); }

private:
    void Drawn() override;

    std::string deviceName_;
    double portraitWidth_;
    double portraitHeight_;
    PageOrientation orientation_ = PageOrientation::Portrait;
    int pages_ = 0;
    bool pageOpen_ = false; // the current page has output
};

class CountingCanvas final : public CountingSurface<Canvas> {
public:
    double Width() const override { return width_; }
    double Height() const override { return height_; }
    void SetSize(double width, double height) override;
    void Cls() override { MovePen(0, 0); }
    void NewPage() override {}
    // The logo page is a page of its own even when the job writes nothing on it.
    void DrawOnto(Printer& printer) override;
    void Show() override {}

private:
    double width_ = 0;
    double height_ = 0;
};

// The one printer of a counting job: every name selects it.
class CountingPrinters final : public PrintersCollection {
public:
    explicit CountingPrinters(CountingPrinter& printer) : printer_(printer) {}

    std::vector<std::string> DeviceNames() const override { return {printer_.DeviceName()}; }
    std::string DefaultDeviceName() const override { return printer_.DeviceName(); }
    Printer& Current() override { return printer_; }
    bool Select(const std::string&) override { return true; }

private:
    CountingPrinter& printer_;
};
