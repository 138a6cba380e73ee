// The notification-area icon: it shows a tip (the watched folder and file) and says when its menu
// is wanted.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QIcon icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon with this tip (where a tray host exists), replacing the one added before.
    void AddTrayIcon(const QString& tip);
    // Removes the icon added last; nothing when there is none.
    void RemoveTrayIcon();

    bool IsAdded() const { return icon_ != nullptr; }
    QString Tip() const { return tip_; }

Q_SIGNALS:
    // A left or right press on the icon; double and middle clicks do nothing.
    void MenuWanted();

private:
    QIcon picture_;
    QSystemTrayIcon* icon_ = nullptr;
    QString tip_;
};
