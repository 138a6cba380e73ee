// The notification-area icon: its tip names the watched folder and file; a left or right press
// reaches the main window as the Windows message numbers 513 and 516.
#pragma once

#include <QObject>
#include <QString>

class QSystemTrayIcon;
class frmMain;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon();
    ~TrayIcon() override;

    // Builds the tip from the current settings and shows the icon (where a tray host exists).
    void AddTrayIcon(frmMain& window);
    // Removes the icon added last; nothing when there is none.
    void RemoveTrayIcon();

    bool IsAdded() const { return icon_ != nullptr; }
    QString Tip() const { return tip_; }

private:
    QSystemTrayIcon* icon_ = nullptr;
    QString tip_;
};
