// The real desktop behind the main window: printers, the print job and the settings dialog.
#pragma once

#include "frm_main.h"

#include <filesystem>
#include <memory>
#include <string>

class Canvas;
class PrintersCollection;

class Desktop {
public:
    explicit Desktop(Global& global);
    ~Desktop();

    frmMain::Services Services();

private:
    // Made on first use: the PDF folder of the built-in printer depends on where the settings
    // file is, which is known only once start-up has loaded the settings.
    PrintersCollection& Printers();
    std::filesystem::path PdfFolder() const;
    Canvas& PageCanvas();

    Global& global_;
    std::unique_ptr<PrintersCollection> printers_;
    std::unique_ptr<Canvas> canvas_;
};

// The program's arguments (without the program itself) joined by blanks, in UTF-8.
std::string JoinedArguments();
// The code pages named in the environment (ORVALIN_CODEPAGES); empty when none are.
std::string CodePagesFromEnvironment();
