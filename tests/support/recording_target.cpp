#include "recording_target.h"

const char* OpName(Op op)
{
    switch (op) {
    case Op::CurrentX: return "CurrentX";
    case Op::SetCurrentX: return "SetCurrentX";
    case Op::CurrentY: return "CurrentY";
    case Op::SetCurrentY: return "SetCurrentY";
    case Op::PrintText: return "PrintText";
    case Op::PrintLineEnd: return "PrintLineEnd";
    case Op::NewPage: return "NewPage";
    case Op::PaintPicture: return "PaintPicture";
    case Op::FontName: return "FontName";
    case Op::SetFontName: return "SetFontName";
    case Op::FontSize: return "FontSize";
    case Op::SetFontSize: return "SetFontSize";
    case Op::FontCharset: return "FontCharset";
    case Op::SetFontCharset: return "SetFontCharset";
    case Op::FontBold: return "FontBold";
    case Op::SetFontBold: return "SetFontBold";
    case Op::FontItalic: return "FontItalic";
    case Op::SetFontItalic: return "SetFontItalic";
    case Op::FontUnderline: return "FontUnderline";
    case Op::SetFontUnderline: return "SetFontUnderline";
    case Op::SetFontTransparent: return "SetFontTransparent";
    case Op::DeviceName: return "DeviceName";
    case Op::Orientation: return "Orientation";
    case Op::SetOrientation: return "SetOrientation";
    case Op::SetPrintQuality: return "SetPrintQuality";
    case Op::PageWidth: return "PageWidth";
    case Op::PageHeight: return "PageHeight";
    case Op::EndDoc: return "EndDoc";
    case Op::KillDoc: return "KillDoc";
    case Op::Width: return "Width";
    case Op::Height: return "Height";
    case Op::SetSize: return "SetSize";
    case Op::Cls: return "Cls";
    case Op::DrawOnto: return "DrawOnto";
    case Op::Show: return "Show";
    }
    return "?";
}

std::vector<DrawCall> RecordingCanvas::SinceCls() const
{
    std::vector<DrawCall> found;
    for (const DrawCall& call : calls) {
        if (call.failed)
            continue;
        if (call.op == Op::Cls)
            found.clear();
        else
            found.push_back(call);
    }
    return found;
}

RecordingPrinters::RecordingPrinters(const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        printers.push_back(std::make_unique<RecordingPrinter>(name));
}

std::vector<std::string> RecordingPrinters::DeviceNames() const
{
    if (unreachable)
        throw OrvalinError("The printers cannot be listed");
    std::vector<std::string> names;
    for (const auto& printer : printers)
        names.push_back(printer->DeviceName());
    return names;
}

std::string RecordingPrinters::DefaultDeviceName() const
{
    if (printers.empty())
        throw OrvalinError("No printer is set up.");
    return printers.front()->DeviceName();
}

Printer& RecordingPrinters::Current()
{
    if (unreachable || printers.empty())
        throw OrvalinError("No printer is set up.");
    return *printers.at(current);
}

bool RecordingPrinters::Select(const std::string& deviceName)
{
    for (std::size_t i = 0; i < printers.size(); ++i) {
        if (printers[i]->DeviceName() == deviceName) {
            current = i;
            return true;
        }
    }
    return false;
}
