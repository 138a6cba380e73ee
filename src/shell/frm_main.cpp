#include "frm_main.h"

#include "exit_status.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "tray_icon.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

// The icon lives in a resource of this static library, which must be registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

frmMain::frmMain(Global& global, Services services, QWidget* parent)
    : QMainWindow(parent), global_(global), services_(std::move(services)), tray_(std::make_unique<TrayIcon>())
{
    RegisterResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvalinó"));
    setWindowIcon(QIcon(QStringLiteral(":/orvalin.png")));
    resize(320, 200);

    Kep = new QLabel(this);
    Kep->setObjectName(QStringLiteral("Kep"));
    Kep->setVisible(false); // holds the logo for printing; never shown
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    connect(Timer, &QTimer::timeout, this, &frmMain::PollTickNow);
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    connect(settleTimer_, &QTimer::timeout, this, &frmMain::PollTickNow);
    BuildMenus();
    pollEnvironment_ = MakePollEnvironment();
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
    if (services_.OpenSettings)
        services_.OpenSettings(*this);
    SetMousePointer(MousePointer::Default);
}

void frmMain::TrayMouseEvent(int message)
{
    // While the window is shown normally the icon does not react.
    if (isVisible() && !isMinimized())
        return;
    if (message != TrayLeftButtonDown && message != TrayRightButtonDown)
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

void frmMain::RefreshTrayIcon()
{
    tray_->RemoveTrayIcon();
    QCoreApplication::processEvents();
    tray_->AddTrayIcon(*this);
}

void frmMain::EndWithError(const QString& description)
{
    MessageBox::Show(this, QStringLiteral("Orvalinó"), description, MessageBox::Icon::Critical);
    exitStatus_ = ExitError;
    close();
}

void frmMain::PollTickNow()
{
    if (ended_)
        return;
    try {
        PollTick(global_, poll_, pollEnvironment_);
    } catch (const std::exception& e) {
        // The tick reports its own errors; one that escapes it ends the program.
        EndWithError(QString::fromLocal8Bit(e.what()));
        return;
    }
    // A file still being written is looked at again as soon as it has settled, not a whole
    // interval later.
    if (poll_.NextSettle && Timer->isActive()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*poll_.NextSettle - std::chrono::system_clock::now());
        const int ms = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())) + 50;
        if (ms < Timer->remainingTime())
            settleTimer_->start(ms);
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!ended_) {
        ended_ = true;
        Timer->stop();
        settleTimer_->stop();
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
    if (event->type() == QEvent::WindowStateChange && isMinimized() && global_.startup.PollMode)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}
