// The real desktop behind the main window: printers, the print job and the settings dialog.
#pragma once

#include "frm_main.h"

#include <memory>
#include <string>

class Desktop {
public:
    explicit Desktop(Global& global);
    ~Desktop();

    frmMain::Services Services();

private:
    Global& global_;
};

// The program's arguments (without the program itself) joined by blanks, in UTF-8.
std::string JoinedArguments();
