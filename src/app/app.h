// The composition root: it builds the program's state, the print service, the poller and the main
// window, hands each what it needs and runs the start-up.
#pragma once

#include "print/print_service.h"
#include "settings/global.h"
#include "shell/frm_main.h"
#include "shell/poller.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class App {
public:
    // What a test may put in place of the desktop; empty members mean the real one.
    struct Seams {
        std::filesystem::path SettingsFile;              // empty: beside the program or per user
        std::function<std::string()> DefaultPrinterName; // asked at a first start
        Poller::PrintFunction Print;                     // empty: the print service
    };

    explicit App(Seams seams = {});
    ~App();

    // The load event: code pages, command line, settings, logo, icon, then the mode. commandLine
    // is the program's arguments joined by blanks; codePages the value of ORVALIN_CODEPAGES (empty:
    // the locale's).
    void Start(const std::string& commandLine, const std::string& codePages = {});

    frmMain& Window() { return *window_; }
    Poller& Polling() { return *poller_; }
    Global& State() { return global_; }
    PrintService& Printing() { return printing_; }

private:
    void FinishOneShot();
    void OpenSettings();
    QString TrayTip() const;

    Global global_;
    Seams seams_;
    PrintService printing_;
    std::unique_ptr<frmMain> window_;
    Poller* poller_ = nullptr; // a child of the window, so its "Timer" is found there
};

// The program's arguments (without the program itself) joined by blanks, in UTF-8.
std::string JoinedArguments();
// The code pages named in the environment (ORVALIN_CODEPAGES); empty when none are.
std::string CodePagesFromEnvironment();
