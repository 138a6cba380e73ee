// A printer, a page canvas and a printers collection that draw nothing but record every change
// made to them, so that layout tests can assert positions exactly. Any operation can be told to
// fail, to test how the engine survives a printer that refuses a setting or a drawing that throws.
#pragma once

#include "common/errors.h"
#include "print/printer.h"

#include <QByteArray>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#define RECORDED_OPS(X)                                                                                                \
    X(CurrentX)                                                                                                        \
    X(SetCurrentX) X(CurrentY) X(SetCurrentY) X(PrintText) X(PrintLineEnd) X(NewPage) X(PaintPicture) X(FontName)      \
        X(SetFontName) X(FontSize) X(SetFontSize) X(FontCharset) X(SetFontCharset) X(FontBold) X(SetFontBold)          \
            X(FontItalic) X(SetFontItalic) X(FontUnderline) X(SetFontUnderline) X(SetFontTransparent) X(DeviceName)    \
                X(Orientation) X(SetOrientation) X(SetPrintQuality) X(PageWidth) X(PageHeight) X(EndDoc) X(KillDoc)    \
                    X(Width) X(Height) X(SetSize) X(Cls) X(DrawOnto) X(Show)
#define RECORDED_OP_ENUMERATOR(name) name,
enum class Op { RECORDED_OPS(RECORDED_OP_ENUMERATOR) };
#undef RECORDED_OP_ENUMERATOR

const char* OpName(Op op);

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

// Simple text metrics, so that positions after a text or a line end are predictable.
inline constexpr double TwipsPerCharacterPerPoint = 12; // 0.6 em a byte
inline constexpr double LineEndTwipsPerPoint = 23;      // one text line of the font: 1.15 em

// Everything a drawing target needs, recorded; Base is Printer or Canvas.
template <class Base>
class RecordingSurface : public Base {
public:
    std::vector<DrawCall> calls;
    FontState font;
    double penX = 0, penY = 0;
    int pages = 0;
    std::set<std::string> knownFonts; // empty: every name is accepted

    // Makes every call of op fail (throw OrvalinError) from now on.
    void Fail(Op op) { failAlways_.insert(op); }
    // Makes only the nth call (1-based, counted from now) of op fail.
    void FailNth(Op op, int n) { failNth_[op] = n; }

    std::vector<DrawCall> Calls(Op op) const
    {
        std::vector<DrawCall> found;
        for (const DrawCall& call : calls)
            if (call.op == op && !call.failed)
                found.push_back(call);
        return found;
    }
    std::vector<DrawCall> Texts() const { return Calls(Op::PrintText); }
    // The text printed with line ends as "\n" and new pages as "<np>"; with styles, also bold,
    // italic and underline as "<b1>"/"<b0>" and so on, font sizes as "<s12>" and any other change
    // but a pen move by its name ("<EndDoc>").
    std::string Transcript(bool styles = false) const
    {
        std::string out;
        for (const DrawCall& call : calls) {
            if (call.failed)
                continue;
            switch (call.op) {
            case Op::PrintText:
                out += call.text;
                break;
            case Op::PrintLineEnd:
                out += '\n';
                break;
            case Op::NewPage:
                out += "<np>";
                break;
            case Op::SetCurrentX:
            case Op::SetCurrentY:
                break;
            case Op::SetFontBold:
                out += styles ? (call.value ? "<b1>" : "<b0>") : "";
                break;
            case Op::SetFontItalic:
                out += styles ? (call.value ? "<i1>" : "<i0>") : "";
                break;
            case Op::SetFontUnderline:
                out += styles ? (call.value ? "<u1>" : "<u0>") : "";
                break;
            case Op::SetFontSize:
                out += styles ? "<s" + Number(call.value) + ">" : "";
                break;
            default:
                out += styles ? std::string("<") + OpName(call.op) + ">" : "";
            }
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
            if (call.font.size != 10)
                out += "/" + Number(call.font.size);
            if (call.page != 0)
                out += "#" + std::to_string(call.page);
        }
        return out;
    }
    static std::string Number(double value) { return QByteArray::number(value, 'g', 10).toStdString(); }

    double CurrentX() const override
    {
        Check(Op::CurrentX);
        return penX;
    }
    void SetCurrentX(double x) override
    {
        Do(
            Op::SetCurrentX, [&] { penX = x; }, x);
    }
    double CurrentY() const override
    {
        Check(Op::CurrentY);
        return penY;
    }
    void SetCurrentY(double y) override
    {
        Do(
            Op::SetCurrentY, [&] { penY = y; }, y);
    }
    void PrintText(const std::string& bytes) override
    {
        Do(
            Op::PrintText, [&] { penX += double(bytes.size()) * font.size * TwipsPerCharacterPerPoint; }, 0, bytes);
    }
    void PrintLineEnd() override
    {
        Do(Op::PrintLineEnd, [&] {
            penX = 0;
            penY += font.size * LineEndTwipsPerPoint;
        });
    }
    void NewPage() override
    {
        Do(Op::NewPage, [&] {
            ++pages;
            penX = penY = 0;
        });
    }

    std::string FontName() const override
    {
        Check(Op::FontName);
        return font.name;
    }
    void SetFontName(const std::string& name) override
    {
        Refuse(Op::SetFontName, !knownFonts.empty() && knownFonts.count(name) == 0, 0, name);
        Do(
            Op::SetFontName, [&] { font.name = name; }, 0, name);
    }
    double FontSize() const override
    {
        Check(Op::FontSize);
        return font.size;
    }
    void SetFontSize(double points) override
    {
        Refuse(Op::SetFontSize, !(points > 0 && points <= 2160), points);
        Do(
            Op::SetFontSize, [&] { font.size = points; }, points);
    }
    CharacterSet FontCharset() const override
    {
        Check(Op::FontCharset);
        return font.charset;
    }
    void SetFontCharset(CharacterSet charset) override
    {
        Do(
            Op::SetFontCharset, [&] { font.charset = charset; }, static_cast<int>(charset));
    }
    bool FontBold() const override
    {
        Check(Op::FontBold);
        return font.bold;
    }
    void SetFontBold(bool on) override
    {
        Do(
            Op::SetFontBold, [&] { font.bold = on; }, on);
    }
    bool FontItalic() const override
    {
        Check(Op::FontItalic);
        return font.italic;
    }
    void SetFontItalic(bool on) override
    {
        Do(
            Op::SetFontItalic, [&] { font.italic = on; }, on);
    }
    bool FontUnderline() const override
    {
        Check(Op::FontUnderline);
        return font.underline;
    }
    void SetFontUnderline(bool on) override
    {
        Do(
            Op::SetFontUnderline, [&] { font.underline = on; }, on);
    }
    void SetFontTransparent(bool on) override
    {
        Do(
            Op::SetFontTransparent, [&] { font.transparent = on; }, on);
    }
    void PaintPicture(const QImage&, double x, double y, double width, double height, double sourceX, double sourceY,
                      double sourceWidth, double sourceHeight) override
    {
        Do(Op::PaintPicture, [] {}, 0, {}, {x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight});
    }

protected:
    void Check(Op op) const
    {
        auto nth = failNth_.find(op);
        const bool now = nth != failNth_.end() && --nth->second == 0;
        if (now)
            failNth_.erase(nth);
        if (now || failAlways_.count(op) != 0)
            throw OrvalinError(std::string("Injected failure of ") + OpName(op));
    }
    void Record(Op op, double value, const std::string& text, bool failed, std::vector<double> rect = {})
    {
        calls.push_back(DrawCall{op, text, value, penX, penY, font, pages, std::move(rect), failed});
    }
    // A value the real target refuses: recorded as failed, and thrown.
    void Refuse(Op op, bool refused, double value, const std::string& text = {})
    {
        if (refused) {
            Record(op, value, text, true);
            throw OrvalinError(std::string("Refused ") + OpName(op));
        }
    }
    template <class Change>
    void Do(Op op, Change&& change, double value = 0, const std::string& text = {}, std::vector<double> rect = {})
    {
        try {
            Check(op);
        } catch (const OrvalinError&) {
            Record(op, value, text, true, rect);
            throw;
        }
        Record(op, value, text, false, std::move(rect));
        change();
    }

private:
    std::set<Op> failAlways_;
    mutable std::map<Op, int> failNth_;
};

// A4 in twips.
inline constexpr double A4ShortSide = 11906;
inline constexpr double A4LongSide = 16838;

class RecordingPrinter : public RecordingSurface<Printer> {
public:
    explicit RecordingPrinter(std::string name) : name_(std::move(name)) {}

    PageOrientation orientation = PageOrientation::Portrait;
    PrintQuality quality{}; // none of the named qualities until one is set
    // Called when EndDoc is asked, before the document ends; may throw to make EndDoc fail.
    std::function<void()> onEndDoc;

    std::string DeviceName() const override
    {
        Check(Op::DeviceName);
        return name_;
    }
    PageOrientation Orientation() const override
    {
        Check(Op::Orientation);
        return orientation;
    }
    void SetOrientation(PageOrientation value) override
    {
        Refuse(Op::SetOrientation, value != PageOrientation::Portrait && value != PageOrientation::Landscape,
               int(value));
        Do(
            Op::SetOrientation, [&] { orientation = value; }, static_cast<int>(value));
    }
    void SetPrintQuality(PrintQuality value) override
    {
        Do(
            Op::SetPrintQuality, [&] { quality = value; }, int(value));
    }
    double PageWidth() const override
    {
        Check(Op::PageWidth);
        return Landscape() ? A4LongSide : A4ShortSide;
    }
    double PageHeight() const override
    {
        Check(Op::PageHeight);
        return Landscape() ? A4ShortSide : A4LongSide;
    }
    void EndDoc() override
    {
        if (onEndDoc)
            onEndDoc();
        Do(Op::EndDoc, [&] {
            pages = 0;
            penX = penY = 0;
        });
    }
    void KillDoc() override
    {
        Do(Op::KillDoc, [&] {
            pages = 0;
            penX = penY = 0;
        });
    }
    // Records the canvas laid over the current page.
    void RecordCanvas(double width, double height)
    {
        Do(Op::DrawOnto, [] {}, 0, "canvas", {width, height});
    }

private:
    bool Landscape() const { return orientation == PageOrientation::Landscape; }
    std::string name_;
};

class RecordingCanvas : public RecordingSurface<Canvas> {
public:
    double width = 0, height = 0;

    double Width() const override
    {
        Check(Op::Width);
        return width;
    }
    double Height() const override
    {
        Check(Op::Height);
        return height;
    }
    void SetSize(double w, double h) override
    {
        Do(Op::SetSize,
           [&] {
               width = w;
               height = h;
           },
           0, {}, {w, h});
    }
    void Cls() override
    {
        Do(Op::Cls, [&] { penX = penY = 0; });
    }
    void DrawOnto(Printer& printer) override
    {
        Do(Op::DrawOnto, [] {}, 0, printer.DeviceName(), {width, height});
        if (auto* recording = dynamic_cast<RecordingPrinter*>(&printer))
            recording->RecordCanvas(width, height);
    }
    void Show() override
    {
        Do(Op::Show, [] {});
    }
    // Calls since the last Cls: what the canvas shows now.
    std::vector<DrawCall> SinceCls() const;
};

class RecordingPrinters : public PrintersCollection {
public:
    // The printers in this order; the first is the default and current one.
    explicit RecordingPrinters(const std::vector<std::string>& names = {"Recorder"});

    std::vector<std::unique_ptr<RecordingPrinter>> printers;
    std::size_t current = 0;
    // Makes Current() and DeviceNames() fail, as when no printer can be reached at all.
    bool unreachable = false;

    std::vector<std::string> DeviceNames() const override;
    std::string DefaultDeviceName() const override;
    Printer& Current() override;
    bool Select(const std::string& deviceName) override;

    RecordingPrinter& At(std::size_t index) { return *printers.at(index); }
    RecordingPrinter& CurrentRecorder() { return *printers.at(current); }
};
