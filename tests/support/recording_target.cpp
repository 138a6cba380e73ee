#include "recording_target.h"

const char* OpName(Op op)
{
#define RECORDED_OP_NAME(name) #name,
    static const char* const names[] = {RECORDED_OPS(RECORDED_OP_NAME)};
#undef RECORDED_OP_NAME
    return names[static_cast<int>(op)];
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
