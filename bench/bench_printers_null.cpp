#include "bench_printers.h"

#include <vector>

namespace {

template <class Base>
class NullSurface : public Base {
public:
    double CurrentX() const override { return x_; }
    void SetCurrentX(double x) override { x_ = x; }
    double CurrentY() const override { return y_; }
    void SetCurrentY(double y) override { y_ = y; }
    void PrintText(const std::string& bytes) override
    {
        x_ += static_cast<double>(bytes.size()) * size_ * 12;
        output_ = true;
    }
    void PrintLineEnd() override
    {
        x_ = 0;
        y_ += size_ * 23;
    }
    void NewPage() override
    {
        ++pages_;
        x_ = y_ = 0;
    }
    std::string FontName() const override { return name_; }
    void SetFontName(const std::string& name) override { name_ = name; }
    double FontSize() const override { return size_; }
    void SetFontSize(double points) override { size_ = points; }
    int FontCharset() const override { return charset_; }
    void SetFontCharset(int charset) override { charset_ = charset; }
    bool FontBold() const override { return bold_; }
    void SetFontBold(bool on) override { bold_ = on; }
    bool FontItalic() const override { return italic_; }
    void SetFontItalic(bool on) override { italic_ = on; }
    bool FontUnderline() const override { return underline_; }
    void SetFontUnderline(bool on) override { underline_ = on; }
    void SetFontTransparent(bool) override {}
    void PaintPicture(const QImage&, double, double, double, double, double, double, double, double) override
    {
        output_ = true;
    }

protected:
    double x_ = 0, y_ = 0, size_ = 10;
    std::string name_;
    int charset_ = 0;
    bool bold_ = false, italic_ = false, underline_ = false;
    bool output_ = false;
    long pages_ = 0;
};

class NullPrinter : public NullSurface<Printer> {
public:
    std::string DeviceName() const override { return BuiltInPrinterName; }
    int Orientation() const override { return orientation_; }
    void SetOrientation(int orientation) override { orientation_ = orientation; }
    void SetPrintQuality(int) override {}
    double PageWidth() const override { return 11906; }
    double PageHeight() const override { return 16838; }
    void EndDoc() override
    {
        if (output_)
            ++pages_; // the document's last page
        output_ = false;
        x_ = y_ = 0;
    }
    long Pages() const { return pages_; }

private:
    int orientation_ = OrientationPortrait;
};

class NullCanvas : public NullSurface<Canvas> {
public:
    double Width() const override { return width_; }
    double Height() const override { return height_; }
    void SetSize(double width, double height) override
    {
        width_ = width;
        height_ = height;
    }
    void Cls() override { x_ = y_ = 0; }
    void DrawOnto(Printer&) override {}
    void Show() override {}

private:
    double width_ = 0, height_ = 0;
};

class NullPrinters : public PrintersCollection {
public:
    std::vector<std::string> DeviceNames() const override { return {BuiltInPrinterName}; }
    std::string DefaultDeviceName() const override { return BuiltInPrinterName; }
    Printer& Current() override { return printer; }
    bool Select(const std::string& deviceName) override { return deviceName == BuiltInPrinterName; }
    NullPrinter printer;
};

} // namespace

struct BenchPrinters::State {};

BenchPrinters::BenchPrinters(int, char**) {}
BenchPrinters::~BenchPrinters() = default;

std::string BenchPrinters::Description() const
{
    return "null target (pen and font state kept, nothing drawn)";
}

std::unique_ptr<PrintersCollection> BenchPrinters::MakePrinters()
{
    return std::make_unique<NullPrinters>();
}

std::unique_ptr<Canvas> BenchPrinters::MakeCanvas()
{
    return std::make_unique<NullCanvas>();
}

long BenchPrinters::Pages(PrintersCollection& printers) const
{
    return static_cast<NullPrinters&>(printers).printer.Pages();
}
