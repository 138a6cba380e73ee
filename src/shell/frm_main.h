// The main window: mostly hidden, it holds the menus, the notification-area icon and the hidden
// logo picture box, and every way out of the program goes through closing it.
#pragma once

#include <QMainWindow>

#include <memory>

class QAction;
class QImage;
class QLabel;
class QMenu;
class TrayIcon;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // True once the window has closed; ExitStatus is what the process returns.
    bool Ended() const { return ended_; }
    int ExitStatus() const { return exitStatus_; }
    void SetExitStatus(int status) { exitStatus_ = status; }

    // Ends the program with a critical message and a non-zero status (an error nobody caught).
    void EndWithError(const QString& description);

    // In tray/polling mode minimising hides the window; the popup's "Mutat" brings it back.
    void SetHideWhenMinimised(bool hide) { hideWhenMinimised_ = hide; }
    // Shows the notification icon with this tip.
    void AddTrayIcon(const QString& tip);
    // Replaces the icon so its tip shows the current folder and file name.
    void RefreshTrayIcon(const QString& tip);
    // Puts the logo picture into the hidden picture box "Kep"; a null image empties it.
    void HoldLogo(const QImage& picture);

    // The settings command of the menu bar and the popup: the pointer is the hourglass while
    // SettingsWanted is handled.
    void OpenSettingsCommand();
    // The icon's menu is wanted: the popup, unless the window is shown normally.
    void OnMenuWanted();

    TrayIcon& Tray() { return *tray_; }

Q_SIGNALS:
    void SettingsWanted();
    // The window is closing: nothing may start any more.
    void Closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    // Shows the window in the middle of its screen, not minimised.
    void ShowCentred();

    bool ended_ = false;
    int exitStatus_ = 0;
    bool hideWhenMinimised_ = false;

    QLabel* Kep = nullptr;
    QAction* endPrg = nullptr;
    QAction* settings = nullptr;
    QMenu* ppMenu = nullptr;
    QAction* ppShow = nullptr;
    QAction* ppSettings = nullptr;
    QAction* ppz = nullptr;
    QAction* ppEnd = nullptr;
    std::unique_ptr<TrayIcon> tray_;
};
