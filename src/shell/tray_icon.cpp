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
    connect(icon_, &QSystemTrayIcon::activated, target, [target](QSystemTrayIcon::ActivationReason reason) {
        // Trigger is the left button, Context the right one; double and middle clicks do nothing.
        if (reason == QSystemTrayIcon::Trigger)
            target->TrayMouseEvent(TrayLeftButtonDown);
        else if (reason == QSystemTrayIcon::Context)
            target->TrayMouseEvent(TrayRightButtonDown);
    });
    icon_->show();
}

void TrayIcon::RemoveTrayIcon()
{
    if (!icon_)
        return;
    icon_->hide();
    delete icon_;
    icon_ = nullptr;
}
