// The main window: mostly hidden, it owns the poll timer, the logo picture box, the menus and the
// notification-area icon, and every way out of the program goes through closing it.
#pragma once

#include "poll_tick.h"
#include "settings/global.h"

#include <QImage>
#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class TrayIcon;

// The Windows mouse messages that the notification icon reports for a button press.
inline constexpr int TrayLeftButtonDown = 513;
inline constexpr int TrayRightButtonDown = 516;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // What the window needs of the rest of the program, so tests can put their own in.
    struct Services {
        // Settings file location; empty: decided from the program's folder.
        std::filesystem::path SettingsFile;
        // The system's default printer, asked at a first start.
        std::function<std::string()> DefaultPrinterName;
        // Prints one spool file (see PollEnvironment::PrintJob) with the logo picture loaded at
        // start-up (a null image when there is none).
        std::function<bool(const std::filesystem::path& path, const std::string& orientation, const QImage& logo)>
            PrintJob;
        // The folder the built-in printer files its documents in: never a spool folder.
        std::function<std::filesystem::path()> PdfFolder;
        // Opens the settings dialog modally.
        std::function<void(frmMain&)> OpenSettings;
    };

    frmMain(Global& global, Services services, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load event: code pages, command line, settings, logo, icon, then the mode. commandLine
    // is the program's arguments joined by blanks; codePages the value of ORVALIN_CODEPAGES (empty:
    // the locale's).
    void Startup(const std::string& commandLine, const std::string& codePages = {});

    // True once the window has closed; ExitStatus is what the process returns.
    bool Ended() const { return ended_; }
    int ExitStatus() const { return exitStatus_; }

    // Ends the program with a critical message and a non-zero status (an error nobody caught).
    void EndWithError(const QString& description);

    // The settings command of the menu bar and the popup.
    void OpenSettingsCommand();
    // A mouse event of the notification icon, as its Windows message number.
    void TrayMouseEvent(int message);
    // Replaces the icon so its tip shows the current folder and file name.
    void RefreshTrayIcon();

    Global& global() { return global_; }
    PollState& pollState() { return poll_; }
    const QImage& LogoPicture() const { return logo_; }
    TrayIcon& trayIcon() { return *tray_; }
    QMenu* popupMenu() const { return ppMenu; }

    // Runs one poll tick now (the timer's handler).
    void PollTickNow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void LoadLogo();
    void ShowCentred();
    PollEnvironment MakePollEnvironment();
    void FinishOneShot();

    Global& global_;
    Services services_;
    PollState poll_;
    PollEnvironment pollEnvironment_; // made once: what every tick uses of the desktop
    QImage logo_;
    std::string searchProblem_; // the last reason the spool folder could not be listed
    bool ended_ = false;
    int exitStatus_ = 0;

    QLabel* Kep = nullptr;
    QTimer* Timer = nullptr;
    QTimer* settleTimer_ = nullptr; // one extra look when a file being written settles
    QAction* endPrg = nullptr;
    QAction* settings = nullptr;
    QMenu* ppMenu = nullptr;
    QAction* ppShow = nullptr;
    QAction* ppSettings = nullptr;
    QAction* ppz = nullptr;
    QAction* ppEnd = nullptr;
    std::unique_ptr<TrayIcon> tray_;
};
