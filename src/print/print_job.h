// The print job: one spool file becomes one printer document, the logo page (when the file's head
// asks for it) and the rest together.
#pragma once

#include "logo_page.h"
#include "print/printer.h"
#include "settings/global.h"

#include <filesystem>
#include <string>

// Lines of the file that are searched for the logo condition and the orientation triggers.
inline constexpr int HeadLines = 6;

// What a job works with. The caller owns all of it; the logo image must outlive the job. The job
// reads the settings and rules and keeps the page counter, line height and saved font size in
// the engine state.
struct PrintJobContext {
    const Settings& settings;
    const Rules& rules;
    PrintEngineState& state;
    bool deletePrinted; // the polling mode: a printed file is deleted
    PrintersCollection& printers;
    Canvas& canvas; // the logo page
    LogoPicture logo;
};

// Prints the spool file at path (as the file system names it); orientation "0" asks for portrait, any other
// text for landscape. Returns false when the file cannot be opened (nothing printed, nothing
// deleted). Errors while printing are thrown as OrvalinError and leave the file in place. With
// deletePrinted a printed file is deleted, unless it changed after it was opened for printing.
// carriedLogo receives whether the job carries the logo (a logo is enabled and the file's own head
// holds the condition): false as the job starts, decided once the head is read.
bool PrintJob(const std::filesystem::path& path, const std::string& orientation, PrintJobContext& context,
              bool& carriedLogo);
