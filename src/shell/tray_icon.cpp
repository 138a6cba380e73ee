#include "tray_icon.h"

#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QIcon icon, QObject* parent) : QObject(parent), picture_(std::move(icon)) {}

TrayIcon::~TrayIcon() { RemoveTrayIcon(); }

void TrayIcon::AddTrayIcon(const QString& tip)
{
    RemoveTrayIcon();
    tip_ = tip;
    icon_ = new QSystemTrayIcon(picture_);
    icon_->setObjectName(QStringLiteral("TrayIcon"));
    icon_->setToolTip(tip_);
    // Queued: the popup's nested event loop must not run inside the icon's own mouse handler,
    // whose widget is gone once "Kilépés" has removed the icon.
    connect(
        icon_, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            // Trigger is the left button, Context the right one; double and middle clicks do nothing.
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                Q_EMIT MenuWanted();
        },
        Qt::QueuedConnection);
    icon_->show();
}

void TrayIcon::RemoveTrayIcon()
{
    if (!icon_)
        return;
    // The icon may be removed from inside its own click (the popup's "Kilépés"): delete it only
    // once that signal has returned.
    icon_->disconnect();
    icon_->hide();
    icon_->deleteLater();
    icon_ = nullptr;
}
