// A printer, a page canvas and a printers collection that draw nothing but record every change
// made to them (text with pen position and font, line ends, pages, documents, font settings,
// pictures), so that layout tests can assert positions exactly. Any operation can be told to
// fail, to test how the engine survives a printer that refuses a setting or a drawing that throws.
#pragma once

#include "common/errors.h"
#include "print/printer.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

enum class Op {
    // pen
    CurrentX, SetCurrentX, CurrentY, SetCurrentY,
    // drawing
    PrintText, PrintLineEnd, NewPage, PaintPicture,
    // font
    FontName, SetFontName, FontSize, SetFontSize, FontCharset, SetFontCharset, FontBold, SetFontBold,
    FontItalic, SetFontItalic, FontUnderline, SetFontUnderline, SetFontTransparent,
    // printer
    DeviceName, Orientation, SetOrientation, SetPrintQuality, PageWidth, PageHeight, EndDoc, KillDoc,
    // canvas
    Width, Height, SetSize, Cls, DrawOnto, Show,
};

const char* OpName(Op op);

struct FontState {
    std::string name = "Courier New";
    double size = 10;
    CharacterSet charset = CharacterSet::Ansi;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool transparent = false;
};

// One recorded call. Only calls that change something are recorded (reads are not), failed ones
// included with failed set.
struct DrawCall {
    Op op{};
    std::string text;   // the bytes printed, the font name set, or the device drawn onto
    double value = 0;   // the number or flag set (x, y, size, orientation, quality, …)
    double x = 0, y = 0; // the pen before the call
    FontState font;     // the font at the call
    int document = 0;   // documents ended before this call
    int page = 0;       // pages begun in this document before this call
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
    int documents = 0;
    int pages = 0;

    // Makes every call of op fail (throw OrvalinError) from now on.
    void Fail(Op op) { failAlways_.insert(op); }
    // Makes only the nth call (1-based, counted from now) of op fail.
    void FailNth(Op op, int n) { failNth_[op] = n; }
    void StopFailing() { failAlways_.clear(); failNth_.clear(); }
    // Called before every operation; it may throw to make that operation fail.
    std::function<void(Op)> before;

    std::vector<DrawCall> Calls(Op op) const
    {
        std::vector<DrawCall> found;
        for (const DrawCall& call : calls) {
            if (call.op == op && !call.failed)
                found.push_back(call);
        }
        return found;
    }
    std::vector<DrawCall> Texts() const { return Calls(Op::PrintText); }
    // All text printed, in order, line ends as "\n", new pages as "<np>".
    std::string Transcript() const
    {
        std::string out;
        for (const DrawCall& call : calls) {
            if (call.failed)
                continue;
            if (call.op == Op::PrintText)
                out += call.text;
            else if (call.op == Op::PrintLineEnd)
                out += '\n';
            else if (call.op == Op::NewPage)
                out += "<np>";
        }
        return out;
    }

    double CurrentX() const override { Check(Op::CurrentX); return penX; }
    void SetCurrentX(double x) override { Do(Op::SetCurrentX, [&] { penX = x; }, x); }
    double CurrentY() const override { Check(Op::CurrentY); return penY; }
    void SetCurrentY(double y) override { Do(Op::SetCurrentY, [&] { penY = y; }, y); }

    void PrintText(const std::string& bytes) override
    {
        Do(Op::PrintText, [&] { penX += static_cast<double>(bytes.size()) * font.size * TwipsPerCharacterPerPoint; },
           0, bytes);
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

    std::string FontName() const override { Check(Op::FontName); return font.name; }
    void SetFontName(const std::string& name) override
    {
        if (!knownFonts.empty() && knownFonts.count(name) == 0) {
            Record(Op::SetFontName, 0, name, true);
            throw OrvalinError("There is no font named " + name);
        }
        Do(Op::SetFontName, [&] { font.name = name; }, 0, name);
    }
    double FontSize() const override { Check(Op::FontSize); return font.size; }
    void SetFontSize(double points) override
    {
        if (!(points > 0 && points <= 2160)) {
            Record(Op::SetFontSize, points, {}, true);
            throw OrvalinError("Invalid font size");
        }
        Do(Op::SetFontSize, [&] { font.size = points; }, points);
    }
    CharacterSet FontCharset() const override { Check(Op::FontCharset); return font.charset; }
    void SetFontCharset(CharacterSet charset) override
    {
        Do(Op::SetFontCharset, [&] { font.charset = charset; }, static_cast<int>(charset));
    }
    bool FontBold() const override { Check(Op::FontBold); return font.bold; }
    void SetFontBold(bool on) override { Do(Op::SetFontBold, [&] { font.bold = on; }, on); }
    bool FontItalic() const override { Check(Op::FontItalic); return font.italic; }
    void SetFontItalic(bool on) override { Do(Op::SetFontItalic, [&] { font.italic = on; }, on); }
    bool FontUnderline() const override { Check(Op::FontUnderline); return font.underline; }
    void SetFontUnderline(bool on) override { Do(Op::SetFontUnderline, [&] { font.underline = on; }, on); }
    void SetFontTransparent(bool on) override { Do(Op::SetFontTransparent, [&] { font.transparent = on; }, on); }

    void PaintPicture(const QImage&, double x, double y, double width, double height, double sourceX,
                      double sourceY, double sourceWidth, double sourceHeight) override
    {
        Do(Op::PaintPicture, [] {}, 0, {}, {x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight});
    }

    // Fonts the target knows; empty: every name is accepted.
    std::set<std::string> knownFonts;

protected:
    void Check(Op op) const
    {
        if (before)
            before(op);
        if (failAlways_.count(op) != 0)
            throw OrvalinError(std::string("Injected failure of ") + OpName(op));
        auto nth = failNth_.find(op);
        if (nth != failNth_.end() && --nth->second == 0) {
            failNth_.erase(nth);
            throw OrvalinError(std::string("Injected failure of ") + OpName(op));
        }
    }
    void Record(Op op, double value, const std::string& text, bool failed, std::vector<double> rect = {})
    {
        DrawCall call;
        call.op = op;
        call.text = text;
        call.value = value;
        call.x = penX;
        call.y = penY;
        call.font = font;
        call.document = documents;
        call.page = pages;
        call.rect = std::move(rect);
        call.failed = failed;
        calls.push_back(std::move(call));
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

    std::string DeviceName() const override { Check(Op::DeviceName); return name_; }
    PageOrientation Orientation() const override { Check(Op::Orientation); return orientation; }
    void SetOrientation(PageOrientation value) override
    {
        if (value != PageOrientation::Portrait && value != PageOrientation::Landscape) {
            Record(Op::SetOrientation, static_cast<int>(value), {}, true);
            throw OrvalinError("Invalid orientation");
        }
        Do(Op::SetOrientation, [&] { orientation = value; }, static_cast<int>(value));
    }
    void SetPrintQuality(PrintQuality value) override
    {
        Do(Op::SetPrintQuality, [&] { quality = value; }, static_cast<int>(value));
    }
    double PageWidth() const override
    {
        Check(Op::PageWidth);
        return orientation == PageOrientation::Landscape ? A4LongSide : A4ShortSide;
    }
    double PageHeight() const override
    {
        Check(Op::PageHeight);
        return orientation == PageOrientation::Landscape ? A4ShortSide : A4LongSide;
    }
    void EndDoc() override
    {
        if (onEndDoc)
            onEndDoc();
        Do(Op::EndDoc, [&] {
            ++documents;
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
    std::string name_;
};

class RecordingCanvas : public RecordingSurface<Canvas> {
public:
    double width = 0, height = 0;

    double Width() const override { Check(Op::Width); return width; }
    double Height() const override { Check(Op::Height); return height; }
    void SetSize(double w, double h) override
    {
        Do(Op::SetSize, [&] { width = w; height = h; }, 0, {}, {w, h});
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
    void Show() override { Do(Op::Show, [] {}); }
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
