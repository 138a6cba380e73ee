#include "tray_icon.h"

#include "frm_main.h"
#include "tray_tip.h"

#include <QSystemTrayIcon>

TrayIcon::TrayIcon() = default;

TrayIcon::~TrayIcon() { RemoveTrayIcon(); }

void TrayIcon::AddTrayIcon(frmMain& window)
{
    RemoveTrayIcon();
    const Settings& s = window.global().settings;
    tip_ = TrayTipText(s.SpoolFolder, s.SpoolFileName);
    icon_ = new QSystemTrayIcon(window.windowIcon());
    icon_->setObjectName(QStringLiteral("TrayIcon"));
    icon_->setToolTip(tip_);
    frmMain* target = &window;
    // Queued: the popup's nested event loop must not run inside the icon's own mouse handler,
    // whose widget is gone once "Kilépés" has removed the icon.
    connect(icon_, &QSystemTrayIcon::activated, target, [target](QSystemTrayIcon::ActivationReason reason) {
        // Trigger is the left button, Context the right one; double and middle clicks do nothing.
        if (reason == QSystemTrayIcon::Trigger)
            target->TrayMouseEvent(TrayLeftButtonDown);
        else if (reason == QSystemTrayIcon::Context)
            target->TrayMouseEvent(TrayRightButtonDown);
    }, Qt::QueuedConnection);
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
