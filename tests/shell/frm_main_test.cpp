// The main window in process: start-up in each mode, its menus, the resize rule, the logo load and
// the single exit path.
#include "common/errors.h"
#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "settings/settings_file.h"
#include "shell/frm_main.h"
#include "shell/tray_icon.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <utime.h>

namespace {

struct Harness {
    TempFolder folder;
    Global global;
    std::vector<std::string> printed;
    std::function<bool(const std::string&)> job = [](const std::string&) { return true; };
    int settingsOpened = 0;
    std::unique_ptr<frmMain> window;

    explicit Harness(const QByteArray& settingsBytes = {})
    {
        if (!settingsBytes.isEmpty())
            folder.write(SettingsFileName, settingsBytes);
        frmMain::Services services;
        services.SettingsFile = folder.fsPath() / SettingsFileName;
        services.DefaultPrinterName = [] { return std::string("Orvalin PDF"); };
        services.PrintJob = [this](const std::filesystem::path& path, const std::string& orientation, const QImage&) {
            printed.push_back(path.string() + "|" + orientation);
            return job(path.string());
        };
        services.OpenSettings = [this](frmMain&) { ++settingsOpened; };
        window = std::make_unique<frmMain>(global, services);
    }
    QTimer* timer() const { return window->findChild<QTimer*>(QStringLiteral("Timer")); }
};

QByteArray SettingsWith(const QString& spoolFolder, int interval, const QString& logoFile = {})
{
    return TestSettingsBytes("Orvalin PDF", spoolFolder, "text.txt", interval, logoFile);
}

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::ClearCalls(); }

    void namesAndCaptions()
    {
        Harness h;
        frmMain& w = *h.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvalinó"));
        QCOMPARE(w.windowIcon().availableSizes().value(0), QSize(32, 32));
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("Kep")));
        QVERIFY(h.timer());
        const QList<QAction*> bar = w.menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar[0]->objectName(), QStringLiteral("endPrg"));
        QCOMPARE(bar[0]->text(), QStringLiteral("&Kilépés"));
        QCOMPARE(bar[1]->objectName(), QStringLiteral("settings"));
        QCOMPARE(bar[1]->text(), QStringLiteral("&Beállítások"));
        QMenu* menu = w.findChild<QMenu*>(QStringLiteral("ppMenu"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Menü"));
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0]->objectName(), QStringLiteral("ppShow"));
        QCOMPARE(items[0]->text(), QStringLiteral("Mutat"));
        QCOMPARE(items[1]->text(), QStringLiteral("Beállítások"));
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[2]->objectName(), QStringLiteral("ppz"));
        QCOMPARE(items[3]->objectName(), QStringLiteral("ppEnd"));
        QCOMPARE(items[3]->text(), QStringLiteral("Kilépés"));
        QCOMPARE(menu->defaultAction(), items[0]);
    }

    void emptyCommandLineShowsThePlainWindow()
    {
        Harness h;
        h.window->Startup("");
        QVERIFY(h.window->isVisible());
        QVERIFY(!h.timer()->isActive());
        QCOMPARE(h.global.startup.CmdOrientation, std::string("0"));
        QVERIFY(h.folder.exists(SettingsFileName)); // the first start saved the defaults
        QVERIFY(h.window->trayIcon().IsAdded());
        // The menu's exit closes through the single path.
        h.window->findChild<QAction*>(QStringLiteral("endPrg"))->trigger();
        QVERIFY(h.window->Ended());
        QCOMPARE(h.window->ExitStatus(), 0);
        QVERIFY(!h.window->trayIcon().IsAdded());
    }

    void lowerCaseWordStartsHiddenPolling()
    {
        TempFolder spool;
        Harness h(SettingsWith(spool.path() + "/", 1234));
        h.window->Startup("watch 1");
        QVERIFY(!h.window->isVisible());
        QVERIFY(h.timer()->isActive());
        QCOMPARE(h.timer()->interval(), 1234);
        QVERIFY(h.global.startup.PollMode);
        QCOMPARE(h.window->trayIcon().Tip(), QStringLiteral("Orvalinó (") + spool.path() + "/text.txt)");
        h.window->close();
    }

    void minimisingHidesOnlyInPollingMode()
    {
        {
            Harness h;
            h.window->Startup("");
            h.window->showMinimized();
            QTest::qWait(50);
            QVERIFY(h.window->isVisible());
            h.window->close();
        }
        {
            Harness h;
            h.window->Startup("watch");
            h.window->showNormal();
            h.window->showMinimized();
            QTRY_VERIFY(!h.window->isVisible());
            h.window->close();
        }
    }

    void iconPressesDoNothingWhileTheWindowIsShown()
    {
        Harness h;
        h.window->Startup("");
        h.window->TrayMouseEvent(TrayRightButtonDown); // would block in the popup if it opened
        QVERIFY(!h.window->Ended());
        h.window->close();
    }

    void iconPopupCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("button");
        QTest::newRow("left press, Kilépés") << "ppEnd" << TrayLeftButtonDown;
        QTest::newRow("right press, Beállítások") << "ppSettings" << TrayRightButtonDown;
        QTest::newRow("right press, Mutat") << "ppShow" << TrayRightButtonDown;
        QTest::newRow("left press, dismissed") << "" << TrayLeftButtonDown;
    }
    void iconPopupCommands()
    {
        QFETCH(QString, item);
        QFETCH(int, button);
        Harness h;
        h.window->Startup("watch");
        QVERIFY(!h.window->isVisible());
        QString defaultItem;
        QTimer::singleShot(100, [&] {
            QMenu* popup = h.window->popupMenu();
            if (!popup->isVisible())
                return;
            defaultItem = popup->defaultAction() ? popup->defaultAction()->objectName() : QString();
            if (item.isEmpty()) {
                QTest::keyClick(popup, Qt::Key_Escape);
                return;
            }
            popup->setActiveAction(popup->findChild<QAction*>(item));
            QTest::keyClick(popup, Qt::Key_Return);
        });
        h.window->TrayMouseEvent(button);
        QCOMPARE(defaultItem, QStringLiteral("ppShow"));
        QCOMPARE(h.window->Ended(), item == "ppEnd");
        QCOMPARE(h.settingsOpened, item == "ppSettings" ? 1 : 0);
        QCOMPARE(h.window->isVisible(), item == "ppShow");
        if (item == "ppShow") {
            QVERIFY(!h.window->isMinimized());
            const QRect screen = h.window->screen()->geometry();
            QVERIFY(qAbs(h.window->frameGeometry().center().x() - screen.center().x()) <= 1);
            QVERIFY(qAbs(h.window->frameGeometry().center().y() - screen.center().y()) <= 1);
            // Shown normally, the icon no longer reacts.
            h.window->TrayMouseEvent(TrayLeftButtonDown);
        }
        h.window->close();
    }

    void otherIconEventsAreIgnored()
    {
        Harness h;
        h.window->Startup("watch");
        for (int message : {512, 514, 515, 517, 518, 519})
            h.window->TrayMouseEvent(message); // none of them opens the (blocking) popup
        QVERIFY(!h.window->Ended());
        h.window->close();
    }

    void oneShotPrintsOnceAndCloses()
    {
        TempFolder data;
        data.write("OUT.TXT", "hello\r\n");
        Harness h(SettingsWith("/nowhere/", 50));
        // A relative name in capitals only: the one-shot mode.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(data.path());
        h.window->Startup("OUT.TXT 1");
        QDir::setCurrent(previous);
        QVERIFY(h.window->Ended());
        QCOMPARE(h.printed, (std::vector<std::string>{"OUT.TXT|1"}));
        QCOMPARE(h.window->pollState().Ticks, std::int16_t(1));
        QVERIFY(data.exists("OUT.TXT"));
    }

    // A printer that is down is one more failed try; after the last one the program ends with the
    // not-printed status and no box.
    void oneShotPrintingErrorIsAFailedTry()
    {
        TempFolder data;
        data.write("OUT.TXT", "hello\r\n");
        Harness h(SettingsWith("/nowhere/", 20));
        h.job = [](const std::string&) -> bool { throw OrvalinError("The printer office is stopped."); };
        const QString previous = QDir::currentPath();
        QDir::setCurrent(data.path());
        h.window->Startup("OUT.TXT");
        QDir::setCurrent(previous);
        QVERIFY(h.window->Ended());
        QCOMPARE(h.printed.size(), std::size_t(10));
        QCOMPARE(h.window->ExitStatus(), 3);
        QCOMPARE(h.window->pollState().OneShotProblem, std::string("The printer office is stopped."));
        QVERIFY(MessageBox::Calls().empty());
        QVERIFY(data.exists("OUT.TXT"));
    }

    void oneShotWithAMissingFileWaitsTenTicks()
    {
        Harness h(SettingsWith("/nowhere/", 20));
        h.window->Startup("/NO/SUCH/FILE.TXT");
        QVERIFY(h.window->Ended());
        QCOMPARE(h.window->pollState().Ticks, std::int16_t(10));
        QVERIFY(h.printed.empty());
        QCOMPARE(h.window->ExitStatus(), 3);
    }

    // A printing error while a modal window is open (the settings dialog, another box) goes to the
    // log only: no box ever opens over another.
    void noBoxOpensOverAModalWindow()
    {
        TempFolder spool;
        spool.write("text.txt", "hello\r\n");
        struct utimbuf old {};
        old.actime = old.modtime = ::time(nullptr) - 60;
        QVERIFY(::utime(QFile::encodeName(spool.file("text.txt")).constData(), &old) == 0);
        Harness h(SettingsWith(spool.path() + "/", 100000));
        h.job = [](const std::string&) -> bool { throw OrvalinError("The printer office is stopped."); };
        h.window->Startup("watch");
        QDialog dialog;
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QApplication::activeModalWidget() == &dialog);
        h.window->PollTickNow();
        QCOMPARE(h.printed.size(), std::size_t(1));
        QVERIFY(MessageBox::Calls().empty());
        dialog.close();
        h.window->close();
    }

    void codePagesNamedInTheEnvironment_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("problem"); // empty: accepted
        QTest::newRow("settings then spool") << "1250,852" << "";
        QTest::newRow("blanks around") << " 1252 , 437 " << "";
        QTest::newRow("one page") << "1250" << "must name two code pages";
        QTest::newRow("names, not numbers") << "latin2,cp852" << "must name two code pages";
        QTest::newRow("unknown page") << "1250,99999" << "does not know the code page 99999";
    }
    void codePagesNamedInTheEnvironment()
    {
        QFETCH(QString, value);
        QFETCH(QString, problem);
        const CodePageNames before{AnsiCodePage().Name(), OemCodePage().Name()};
        Harness h(SettingsWith("/nowhere/", 50));
        h.window->Startup("watch", value.toStdString());
        if (problem.isEmpty()) {
            const auto restore = qScopeGuard([&before] { SelectCodePages(before); });
            QVERIFY(!h.window->Ended());
            QCOMPARE(QString::fromStdString(AnsiCodePage().Name()), "CP" + value.section(',', 0, 0).trimmed());
            QCOMPARE(QString::fromStdString(OemCodePage().Name()), "CP" + value.section(',', 1, 1).trimmed());
            h.window->close();
            return;
        }
        QVERIFY(h.window->Ended());
        QCOMPARE(h.window->ExitStatus(), 1);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(1));
        QVERIFY2(MessageBox::Calls()[0].text.contains(problem), qPrintable(MessageBox::Calls()[0].text));
        QVERIFY(MessageBox::Calls()[0].text.contains("ORVALIN_CODEPAGES"));
    }

    void oneShotStaysOpenOnlyAfterALogoJob_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("jobHasLogo");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("printed with the logo") << true << true << true;
        QTest::newRow("printed without the logo") << true << false << false;
        QTest::newRow("never printed") << false << false << false;
    }
    void oneShotStaysOpenOnlyAfterALogoJob()
    {
        QFETCH(bool, fileThere);
        QFETCH(bool, jobHasLogo);
        QFETCH(bool, staysOpen);
        TempFolder pictures;
        QImage logo(40, 20, QImage::Format_RGB32);
        logo.fill(Qt::red);
        QVERIFY(logo.save(pictures.file("logo.bmp")));
        TempFolder data;
        if (fileThere)
            data.write("OUT.TXT", "hello\r\n");
        Harness h(SettingsWith("/nowhere/", 20, pictures.file("logo.bmp")));
        // The job decides the logo from its file's head; the window only reads the decision.
        h.job = [&](const std::string&) {
            h.global.print.JobHasLogo = jobHasLogo;
            return true;
        };
        const QString previous = QDir::currentPath();
        QDir::setCurrent(data.path());
        h.window->Startup("OUT.TXT");
        QDir::setCurrent(previous);
        QVERIFY(h.global.settings.LogoEnabled);
        QCOMPARE(h.window->LogoPicture().size(), QSize(40, 20));
        QCOMPARE(h.window->Ended(), !staysOpen);
        QCOMPARE(h.window->isVisible(), staysOpen); // in the plain window
        QCOMPARE(h.printed.size(), std::size_t(fileThere ? 1 : 0));
        if (staysOpen)
            h.window->close();
    }

    void aLogoReachedThroughALinkIsLoaded()
    {
        TempFolder pictures;
        QImage logo(8, 4, QImage::Format_RGB32);
        logo.fill(Qt::green);
        QVERIFY(logo.save(pictures.file("logo.bmp")));
        QVERIFY(QFile::link(pictures.file("logo.bmp"), pictures.file("link.bmp")));
        Harness h(SettingsWith("/nowhere/", 1000, pictures.file("link.bmp")));
        h.window->Startup("");
        QVERIFY(h.global.settings.LogoEnabled);
        QCOMPARE(h.window->LogoPicture().size(), QSize(8, 4));
        h.window->close();
    }

    void aLogoThatIsNoPictureIsSwitchedOffSilently()
    {
        TempFolder pictures;
        pictures.write("logo.bmp", "this is not a bitmap");
        Harness h(SettingsWith("/nowhere/", 1000, pictures.file("logo.bmp")));
        h.window->Startup("");
        QVERIFY(!h.global.settings.LogoEnabled);
        QVERIFY(h.window->LogoPicture().isNull());
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(h.folder.read(SettingsFileName), SettingsWith("/nowhere/", 1000, pictures.file("logo.bmp")));
        h.window->close();
    }

    void anUnreadableSettingsFileEndsStartUpWithAMessage()
    {
        const QByteArray bad = SettingsWith("/nowhere/", 1000).replace("\r\n10\r\n", "\r\nten\r\n");
        Harness h(bad);
        h.window->Startup("watch");
        QVERIFY(h.window->Ended());
        QCOMPARE(h.window->ExitStatus(), 1);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(1));
        const MessageBox::Call& call = MessageBox::Calls()[0];
        QCOMPARE(call.icon, MessageBox::Icon::Critical);
        QVERIFY(call.text.contains(h.folder.file(SettingsFileName)));
        QVERIFY(call.text.contains("line 3 (FontSize)"));
        QCOMPARE(h.folder.read(SettingsFileName), bad);
        QVERIFY(!h.window->trayIcon().IsAdded());
        QVERIFY(!h.timer()->isActive());
    }

    void settingsCommandSetsTheHourglassAroundTheDialog()
    {
        Harness h;
        h.window->Startup("");
        h.window->findChild<QAction*>(QStringLiteral("settings"))->trigger();
        QCOMPARE(h.settingsOpened, 1);
        h.window->close();
    }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
