// A spool file in a temporary folder and the settings and rules a job reads it with: the
// default printer, Courier New at 10 points, no margin.
#pragma once

#include "settings/global.h"
#include "temp_folder.h"

#include <filesystem>
#include <string>

struct SpoolRig {
    TempFolder folder;
    Global global;

    SpoolRig()
    {
        global.settings.PrinterName = DefaultPrinterName;
        global.settings.FontName = "Courier New";
        global.settings.FontSize = 10;
        global.settings.LeftMargin = 0;
    }
    // A rule; "ol" and "op" also become the orientation triggers, as loading the rules makes them.
    void Rule(const std::string& trigger, const std::string& action)
    {
        global.rules.ControlChars.push_back(ControlChar{trigger, action});
        if (action == "ol")
            global.rules.LandscapeChars = trigger;
        if (action == "op")
            global.rules.PortraitChars = trigger;
    }
    std::filesystem::path Write(const QByteArray& bytes, const QString& name = "text.txt")
    {
        folder.write(name, bytes);
        return folder.fsPath() / name.toStdString();
    }
    bool Exists(const QString& name = "text.txt") const { return folder.exists(name); }
};
