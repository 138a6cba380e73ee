#include "frm_main.h"

#include "exit_status.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "tray_icon.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>

// The icon lives in a resource of this static library, which must be registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    RegisterResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvalinó"));
    setWindowIcon(QIcon(QStringLiteral(":/orvalin.png")));
    resize(320, 200);

    Kep = new QLabel(this);
    Kep->setObjectName(QStringLiteral("Kep"));
    Kep->setVisible(false); // holds the logo picture; never shown
    BuildMenus();
    tray_ = std::make_unique<TrayIcon>(windowIcon());
    connect(tray_.get(), &TrayIcon::MenuWanted, this, &frmMain::OnMenuWanted);
}

frmMain::~frmMain() = default;

void frmMain::BuildMenus()
{
    endPrg = menuBar()->addAction(QStringLiteral("&Kilépés"));
    endPrg->setObjectName(QStringLiteral("endPrg"));
    connect(endPrg, &QAction::triggered, this, &QWidget::close);
    settings = menuBar()->addAction(QStringLiteral("&Beállítások"));
    settings->setObjectName(QStringLiteral("settings"));
    connect(settings, &QAction::triggered, this, &frmMain::OpenSettingsCommand);

    ppMenu = new QMenu(QStringLiteral("Menü"), this);
    ppMenu->setObjectName(QStringLiteral("ppMenu"));
    ppShow = ppMenu->addAction(QStringLiteral("Mutat"));
    ppShow->setObjectName(QStringLiteral("ppShow"));
    ppSettings = ppMenu->addAction(QStringLiteral("Beállítások"));
    ppSettings->setObjectName(QStringLiteral("ppSettings"));
    ppz = ppMenu->addSeparator();
    ppz->setObjectName(QStringLiteral("ppz"));
    ppEnd = ppMenu->addAction(QStringLiteral("Kilépés"));
    ppEnd->setObjectName(QStringLiteral("ppEnd"));
    ppMenu->setDefaultAction(ppShow);
}

void frmMain::OpenSettingsCommand()
{
    SetMousePointer(MousePointer::Hourglass);
    Q_EMIT SettingsWanted();
    SetMousePointer(MousePointer::Default);
}

void frmMain::OnMenuWanted()
{
    // While the window is shown normally the icon does not react.
    if (isVisible() && !isMinimized())
        return;
    QAction* chosen = ppMenu->exec(QCursor::pos());
    if (ended_)
        return;
    if (chosen == ppEnd)
        close();
    else if (chosen == ppSettings)
        OpenSettingsCommand();
    else if (chosen == ppShow)
        ShowCentred();
}

void frmMain::ShowCentred()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void frmMain::AddTrayIcon(const QString& tip) { tray_->AddTrayIcon(tip); }

void frmMain::RefreshTrayIcon(const QString& tip)
{
    tray_->RemoveTrayIcon();
    QCoreApplication::processEvents();
    tray_->AddTrayIcon(tip);
}

void frmMain::HoldLogo(const QImage& picture)
{
    if (picture.isNull()) {
        Kep->clear();
        return;
    }
    Kep->setPixmap(QPixmap::fromImage(picture));
    Kep->resize(picture.size());
}

void frmMain::EndWithError(const QString& description)
{
    MessageBox::Show(this, QStringLiteral("Orvalinó"), description, MessageBox::Icon::Critical);
    exitStatus_ = ExitError;
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!ended_) {
        ended_ = true;
        Q_EMIT Closing();
        tray_->RemoveTrayIcon();
        SetMousePointer(MousePointer::Default);
        // Before the event loop runs (a start-up that ends at once), main returns by itself; an
        // exit() then would make every later event loop return at once.
        if (QThread::currentThread()->loopLevel() > 0)
            QCoreApplication::exit(exitStatus_);
    }
    event->accept();
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimising hides the window in tray/polling mode; the popup's "Mutat" brings it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && hideWhenMinimised_)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}
