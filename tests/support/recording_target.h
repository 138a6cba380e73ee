// A printer, a page canvas and printers that record every change made to them, so that layout tests
// can assert positions exactly; any operation can be made to fail, as a refusing printer does.
#pragma once

#include "common/errors.h"
#include "print/printer.h"

#include <QByteArray>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// clang-format off
#define RECORDED_OPS(X) X(CurrentX) X(SetCurrentX) X(CurrentY) X(SetCurrentY) X(PrintText) X(PrintLineEnd) X(NewPage) \
    X(PaintPicture) X(FontName) X(SetFontName) X(FontSize) X(SetFontSize) X(FontCharset) X(SetFontCharset) X(FontBold) \
    X(SetFontBold) X(FontItalic) X(SetFontItalic) X(FontUnderline) X(SetFontUnderline) X(SetFontTransparent) \
    X(DeviceName) X(Orientation) X(SetOrientation) X(SetPrintQuality) X(PageWidth) X(PageHeight) X(EndDoc) \
    X(KillDoc) X(Width) X(Height) X(SetSize) X(Cls) X(DrawOnto) X(Show)
#define RECORDED_OP(name) name,
enum class Op { RECORDED_OPS(RECORDED_OP) };
#undef RECORDED_OP
#define RECORDED_OP(name) #name,
inline const char* OpName(Op op)
{
    static const char* const names[] = {RECORDED_OPS(RECORDED_OP)};
    return names[static_cast<int>(op)];
}
#undef RECORDED_OP
// clang-format on

struct FontState {
    std::string name = "Courier New";
    double size = 10;
    CharacterSet charset = CharacterSet::Ansi;
    bool bold = false, italic = false, underline = false, transparent = false;
};

// One recorded change (reads are not recorded), failed ones included with failed set.
struct DrawCall {
    Op op{};
    std::string text;         // the bytes printed, the font name set, or the device drawn onto
    double value = 0;         // the number or flag set
    double x = 0, y = 0;      // the pen before the call
    FontState font;           // the font at the call
    int page = 0;             // pages begun in this document before this call
    std::vector<double> rect; // PaintPicture's eight numbers, SetSize's two, DrawOnto's width and height
    bool failed = false;
};

inline std::string Number(double value) { return QByteArray::number(value, 'g', 10).toStdString(); }
// "Courier New 10 255 b i u t": name, size, character set, then the flags that are on.
inline std::string Describe(const FontState& f)
{
    return f.name + " " + Number(f.size) + " " + std::to_string(int(f.charset)) + (f.bold ? " b" : "")
           + (f.italic ? " i" : "") + (f.underline ? " u" : "") + (f.transparent ? " t" : "");
}

// Simple metrics, so that the pen's positions are predictable: 0.6 em a byte, 1.15 em a line.
template <class Base>
class RecordingSurface : public Base {
public:
    std::vector<DrawCall> calls;
    FontState font;
    double penX = 0, penY = 0;
    int pages = 0;
    // Makes op throw OrvalinError: every call from now on, or only the nth (1 the next).
    void Fail(Op op, int nth = 0) { failing_[op] = nth; }
    std::vector<DrawCall> Calls(Op op) const
    {
        std::vector<DrawCall> found;
        for (const DrawCall& call : calls)
            if (call.op == op && !call.failed)
                found.push_back(call);
        return found;
    }
    std::size_t Count(Op op) const { return Calls(op).size(); }
    std::vector<DrawCall> Texts() const { return Calls(Op::PrintText); }
    // The text with line ends as "\n", new pages as "<np>"; with styles also "<b1>", "<i0>", "<u1>",
    // "<s12>" for bold, italic, underline and size, any other change but a pen move as "<EndDoc>".
    std::string Transcript(bool styles = false) const
    {
        std::string out;
        for (const DrawCall& c : calls) {
            if (c.failed || c.op == Op::SetCurrentX || c.op == Op::SetCurrentY)
                continue;
            static const std::map<Op, const char*> flags{
                {Op::SetFontBold, "b"}, {Op::SetFontItalic, "i"}, {Op::SetFontUnderline, "u"}, {Op::SetFontSize, "s"}};
            const auto flag = flags.find(c.op);
            if (c.op == Op::PrintText)
                out += c.text;
            else if (c.op == Op::PrintLineEnd)
                out += '\n';
            else if (c.op == Op::NewPage)
                out += "<np>";
            else if (styles)
                out += "<" + (flag != flags.end() ? flag->second + Number(c.value) : OpName(c.op)) + ">";
        }
        return out;
    }
    std::string Events() const { return Transcript(true); }
    // Where each text went: "text@x,y", then "/size" when not 10 points and "#page" after the first.
    std::string Layout() const
    {
        std::string out;
        for (const DrawCall& call : Texts()) {
            out += (out.empty() ? "" : " ") + call.text + "@" + Number(call.x) + "," + Number(call.y);
            out += (call.font.size != 10 ? "/" + Number(call.font.size) : "")
                   + (call.page != 0 ? "#" + std::to_string(call.page) : "");
        }
        return out;
    }
    double CurrentX() const override { return Read(Op::CurrentX, penX); }
    void SetCurrentX(double x) override { Do(Op::SetCurrentX, x), penX = x; }
    double CurrentY() const override { return Read(Op::CurrentY, penY); }
    void SetCurrentY(double y) override { Do(Op::SetCurrentY, y), penY = y; }
    void PrintText(const std::string& bytes) override
    {
        Do(Op::PrintText, 0, bytes), penX += bytes.size() * 12 * font.size;
    }
    void PrintLineEnd() override { Do(Op::PrintLineEnd), penX = 0, penY += font.size * 23; }
    void NewPage() override { Do(Op::NewPage), ++pages, penX = penY = 0; }
    std::string FontName() const override { return Read(Op::FontName, font.name); }
    void SetFontName(const std::string& name) override { Do(Op::SetFontName, 0, name), font.name = name; }
    double FontSize() const override { return Read(Op::FontSize, font.size); }
    void SetFontSize(double points) override
    {
        Do(Op::SetFontSize, points, {}, !(points > 0 && points <= 2160)), font.size = points;
    }
    CharacterSet FontCharset() const override { return Read(Op::FontCharset, font.charset); }
    void SetFontCharset(CharacterSet charset) override { Do(Op::SetFontCharset, int(charset)), font.charset = charset; }
    bool FontBold() const override { return Read(Op::FontBold, font.bold); }
    void SetFontBold(bool on) override { Do(Op::SetFontBold, on), font.bold = on; }
    bool FontItalic() const override { return Read(Op::FontItalic, font.italic); }
    void SetFontItalic(bool on) override { Do(Op::SetFontItalic, on), font.italic = on; }
    bool FontUnderline() const override { return Read(Op::FontUnderline, font.underline); }
    void SetFontUnderline(bool on) override { Do(Op::SetFontUnderline, on), font.underline = on; }
    void SetFontTransparent(bool on) override { Do(Op::SetFontTransparent, on), font.transparent = on; }
    void PaintPicture(const QImage&, double x, double y, double width, double height, double sourceX, double sourceY,
                      double sourceWidth, double sourceHeight) override
    {
        Do(Op::PaintPicture, 0, {}, false, {x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight});
    }

protected:
    template <class T>
    T Read(Op op, T value) const
    {
        if (Failing(op))
            throw OrvalinError(std::string("Injected failure of ") + OpName(op));
        return value;
    }
    // Records the call with the pen and font before it; a refused or failing one is thrown.
    void Do(Op op, double value = 0, const std::string& text = {}, bool refused = false, std::vector<double> rect = {})
    {
        const bool failed = Failing(op) || refused;
        calls.push_back(DrawCall{op, text, value, penX, penY, font, pages, std::move(rect), failed});
        if (failed)
            throw OrvalinError(std::string("Injected failure of ") + OpName(op));
    }

private:
    bool Failing(Op op) const
    {
        auto it = failing_.find(op);
        return it != failing_.end() && (it->second == 0 || (--it->second == 0 && failing_.erase(op) == 1));
    }
    mutable std::map<Op, int> failing_;
};

inline constexpr double A4ShortSide = 11906, A4LongSide = 16838; // A4 in twips

class RecordingPrinter : public RecordingSurface<Printer> {
public:
    explicit RecordingPrinter(std::string name) : name_(std::move(name)) {}
    PageOrientation orientation = PageOrientation::Portrait;
    PrintQuality quality{}; // none of the named qualities until one is set
    // Called when EndDoc is asked, before the document ends; may throw to make EndDoc fail.
    std::function<void()> onEndDoc;
    std::string DeviceName() const override { return Read(Op::DeviceName, name_); }
    PageOrientation Orientation() const override { return Read(Op::Orientation, orientation); }
    void SetOrientation(PageOrientation value) override { Do(Op::SetOrientation, int(value)), orientation = value; }
    void SetPrintQuality(PrintQuality value) override { Do(Op::SetPrintQuality, int(value)), quality = value; }
    double PageWidth() const override { return Read(Op::PageWidth, Landscape() ? A4LongSide : A4ShortSide); }
    double PageHeight() const override { return Read(Op::PageHeight, Landscape() ? A4ShortSide : A4LongSide); }
    void EndDoc() override
    {
        if (onEndDoc)
            onEndDoc();
        Do(Op::EndDoc), pages = 0, penX = penY = 0;
    }
    void KillDoc() override { Do(Op::KillDoc), pages = 0, penX = penY = 0; }
    void RecordCanvas(double width, double height) { Do(Op::DrawOnto, 0, "canvas", false, {width, height}); }

private:
    bool Landscape() const { return orientation == PageOrientation::Landscape; }
    std::string name_;
};

class RecordingCanvas : public RecordingSurface<Canvas> {
public:
    double width = 0, height = 0;
    double Width() const override { return Read(Op::Width, width); }
    double Height() const override { return Read(Op::Height, height); }
    void SetSize(double w, double h) override { Do(Op::SetSize, 0, {}, false, {w, h}), width = w, height = h; }
    void Cls() override { Do(Op::Cls), penX = penY = 0; }
    void DrawOnto(Printer& printer) override
    {
        Do(Op::DrawOnto, 0, printer.DeviceName(), false, {width, height});
        if (auto* recording = dynamic_cast<RecordingPrinter*>(&printer))
            recording->RecordCanvas(width, height);
    }
    void Show() override { Do(Op::Show); }
};

// The printers in the order given; the first is the default and current one.
class RecordingPrinters : public PrintersCollection {
public:
    explicit RecordingPrinters(const std::vector<std::string>& names = {"Recorder"})
    {
        for (const std::string& name : names)
            printers.push_back(std::make_unique<RecordingPrinter>(name));
    }
    std::vector<std::unique_ptr<RecordingPrinter>> printers;
    std::size_t current = 0;
    // Makes Current() and DeviceNames() fail, as when no printer can be reached at all.
    bool unreachable = false;
    std::vector<std::string> DeviceNames() const override
    {
        std::vector<std::string> names;
        for (const auto& printer : printers)
            names.push_back(printer->DeviceName());
        return unreachable ? throw OrvalinError("The printers cannot be listed") : names;
    }
    std::string DefaultDeviceName() const override
    {
        return printers.empty() ? throw OrvalinError("No printer is set up.") : printers.front()->DeviceName();
    }
    Printer& Current() override
    {
        return unreachable || printers.empty() ? throw OrvalinError("No printer is set up.") : *printers.at(current);
    }
    bool Select(const std::string& deviceName) override
    {
        for (std::size_t i = 0; i < printers.size(); ++i)
            if (printers[i]->DeviceName() == deviceName)
                return current = i, true;
        return false;
    }
    RecordingPrinter& At(std::size_t index) { return *printers.at(index); }
    RecordingPrinter& CurrentRecorder() { return *printers.at(current); }
};
