// The program put together in process with a recording print function: wiring only.
#include "app/app.h"
#include "common/errors.h"
#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "settings/settings_file.h"
#include "shell/tray_icon.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

struct Harness {
    TempFolder folder;
    std::vector<std::string> printed;
    std::function<bool(const std::string&)> job = [](const std::string&) { return true; };
    App app;

    explicit Harness(bool withSettings = false, const QString& logo = {})
        : app(App::Seams{folder.fsPath() / SettingsFileName, [] { return std::string("Orvalin PDF"); },
                         [this](const std::filesystem::path& path, const std::string& orientation) {
                             printed.push_back(path.string() + "|" + orientation);
                             return job(path.string());
                         }})
    {
        if (withSettings)
            folder.write(SettingsFileName, TestSettingsBytes("Orvalin PDF", "/nowhere/", "text.txt", 20, logo));
    }
    frmMain& window() { return app.Window(); }
    QTimer* timer() { return window().findChild<QTimer*>(QStringLiteral("Timer")); }
    // Starts in a folder that holds the one-shot file (or not).
    void startIn(const TempFolder& data, const std::string& commandLine)
    {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(data.path());
        app.Start(commandLine);
        QDir::setCurrent(previous);
    }
};

// Closes the modal window that the next command opens (the settings dialog) and keeps its name.
void CloseTheDialogWhenItOpens(QString& name)
{
    QTimer::singleShot(50, [&name] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return CloseTheDialogWhenItOpens(name); // not yet open
        name = dialog->objectName();
        dialog->close();
    });
}

} // namespace

class AppTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::ClearCalls(); }

    void plainWindowFirstStart()
    {
        Harness h;
        QCOMPARE(h.window().objectName(), QStringLiteral("frmMain"));
        QVERIFY(h.timer() && h.window().findChild<QLabel*>(QStringLiteral("Kep")));
        for (const char* name : {"endPrg", "settings", "ppShow", "ppSettings", "ppz", "ppEnd"})
            QVERIFY2(h.window().findChild<QAction*>(QString::fromLatin1(name)), name);
        QMenu* menu = h.window().findChild<QMenu*>(QStringLiteral("ppMenu"));
        QCOMPARE(menu->defaultAction()->objectName(), QStringLiteral("ppShow"));
        h.app.Start("");
        QVERIFY(h.window().isVisible() && !h.timer()->isActive());
        QVERIFY(h.folder.exists(SettingsFileName)); // the defaults saved
        QVERIFY(h.window().Tray().IsAdded());
        QString dialog;
        CloseTheDialogWhenItOpens(dialog);
        h.window().findChild<QAction*>(QStringLiteral("settings"))->trigger();
        QCOMPARE(dialog, QStringLiteral("frmSettings"));
        Q_EMIT h.window().Tray().MenuWanted(); // shown normally: no popup (it would block)
        h.window().showMinimized();
        QTest::qWait(50);
        QVERIFY(h.window().isVisible()); // minimised, not hidden
        h.window().findChild<QAction*>(QStringLiteral("endPrg"))->trigger();
        QVERIFY(h.window().Ended() && !h.window().Tray().IsAdded());
        QCOMPARE(h.window().ExitStatus(), 0);
    }

    void pollingStartsHiddenAndHidesWhenMinimised()
    {
        Harness h(true);
        h.app.Start("watch 1");
        QVERIFY(!h.window().isVisible() && h.timer()->isActive());
        QCOMPARE(h.timer()->interval(), 20);
        QCOMPARE(h.window().Tray().Tip(), QStringLiteral("Orvalinó (/nowhere/text.txt)"));
        h.window().showNormal();
        h.window().showMinimized();
        QTRY_VERIFY(!h.window().isVisible());
        h.window().close();
        QVERIFY(!h.timer()->isActive() && h.app.Polling().Stopped());
    }

    void theIconsMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("Kilépés") << "ppEnd";
        QTest::newRow("Beállítások") << "ppSettings";
        QTest::newRow("Mutat") << "ppShow";
        QTest::newRow("dismissed") << "";
    }
    void theIconsMenu()
    {
        QFETCH(QString, item);
        Harness h(true);
        h.app.Start("watch");
        QString dialog;
        if (item == "ppSettings")
            CloseTheDialogWhenItOpens(dialog);
        QTimer::singleShot(100, [&] {
            QMenu* popup = h.window().findChild<QMenu*>(QStringLiteral("ppMenu"));
            if (item.isEmpty())
                return QTest::keyClick(popup, Qt::Key_Escape);
            popup->setActiveAction(popup->findChild<QAction*>(item));
            QTest::keyClick(popup, Qt::Key_Return);
        });
        Q_EMIT h.window().Tray().MenuWanted();
        QCOMPARE(h.window().Ended(), item == "ppEnd");
        QCOMPARE(dialog, item == "ppSettings" ? QStringLiteral("frmSettings") : QString());
        QCOMPARE(h.window().isVisible(), item == "ppShow");
        h.window().close();
    }

    void oneShot_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("jobFails");
        QTest::addColumn<bool>("jobHasLogo");
        QTest::addColumn<int>("tries");
        QTest::addColumn<int>("status"); // -1: stays open in the plain window
        QTest::newRow("printed") << true << false << false << 1 << 0;
        QTest::newRow("printed with the logo") << true << false << true << 1 << -1;
        QTest::newRow("printer down") << true << true << false << 10 << 3;
        QTest::newRow("missing") << false << false << false << 0 << 3;
    }
    void oneShot()
    {
        QFETCH(bool, fileThere);
        QFETCH(bool, jobFails);
        QFETCH(bool, jobHasLogo);
        QFETCH(int, tries);
        QFETCH(int, status);
        TempFolder data;
        if (fileThere)
            data.write("OUT.TXT", "hello\r\n");
        Harness h(true);
        h.job = [&](const std::string&) -> bool {
            if (jobFails)
                throw OrvalinError("The printer office is stopped.");
            h.app.State().print.JobHasLogo = jobHasLogo;
            return true;
        };
        h.startIn(data, "OUT.TXT 1");
        QCOMPARE(h.printed, std::vector<std::string>(std::size_t(tries), "OUT.TXT|1"));
        QCOMPARE(h.app.Polling().State().Ticks, std::int16_t(fileThere && !jobFails ? 1 : 10));
        QCOMPARE(h.window().Ended(), status >= 0);
        QCOMPARE(h.window().isVisible(), status < 0);
        if (status >= 0)
            QCOMPARE(h.window().ExitStatus(), status);
        QVERIFY(MessageBox::Calls().empty());
        h.window().close();
    }

    void theLogo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size"); // empty: switched off
        QTest::newRow("a picture") << "logo.bmp" << QSize(8, 4);
        QTest::newRow("through a link") << "link.bmp" << QSize(8, 4);
        QTest::newRow("no picture") << "text.bmp" << QSize();
        QTest::newRow("missing") << "gone.bmp" << QSize();
    }
    void theLogo()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        TempFolder pictures;
        QImage logo(8, 4, QImage::Format_RGB32);
        logo.fill(Qt::green);
        QVERIFY(logo.save(pictures.file("logo.bmp")));
        QVERIFY(QFile::link(pictures.file("logo.bmp"), pictures.file("link.bmp")));
        pictures.write("text.bmp", "this is not a bitmap");
        Harness h(true, pictures.file(file));
        const QByteArray before = h.folder.read(SettingsFileName);
        h.app.Start("");
        QCOMPARE(h.app.State().settings.LogoEnabled, size.isValid());
        QCOMPARE(h.app.Printing().LogoImage().size(), size.isValid() ? size : QSize(0, 0));
        const QLabel* kep = h.window().findChild<QLabel*>(QStringLiteral("Kep"));
        QCOMPARE(kep->pixmap().size(), size.isValid() ? size : QSize(0, 0));
        QCOMPARE(h.folder.read(SettingsFileName), before); // switched off for this run only, silently
        QVERIFY(MessageBox::Calls().empty());
        h.window().close();
    }

    // A printing error while a modal window is open goes to standard error only.
    void noBoxOpensOverAModalWindow()
    {
        TempFolder spool;
        spool.write("text.txt", "hello\r\n");
        QFile file(spool.file("text.txt"));
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        file.close();
        Harness h;
        h.job = [](const std::string&) -> bool { throw OrvalinError("The printer office is stopped."); };
        QDialog dialog;
        dialog.setModal(true);
        dialog.show();
        h.app.State().startup.PollMode = true;
        h.app.State().settings.SpoolFolder = spool.path().toStdString() + "/";
        h.app.State().settings.SpoolFileName = "text.txt";
        h.app.Polling().OnPollTimer();
        QCOMPARE(h.printed.size(), std::size_t(1));
        QVERIFY(MessageBox::Calls().empty());
        dialog.close();
    }

    void whatStopsTheStart_data()
    {
        QTest::addColumn<QString>("codePages");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("said"); // empty: it starts
        const QByteArray good = TestSettingsBytes("Orvalin PDF", "/nowhere/", "text.txt", 20);
        QTest::newRow("code pages") << "1250,852" << good << "";
        QTest::newRow("code pages with blanks") << " 1252 , 437 " << good << "";
        QTest::newRow("one code page") << "1250" << good << "must name two code pages";
        QTest::newRow("code page names") << "latin2,cp852" << good << "must name two code pages";
        QTest::newRow("unknown code page") << "1250,99999" << good << "does not know the code page 99999";
        QTest::newRow("unreadable settings")
            << "" << QByteArray(good).replace("\r\n10\r\n", "\r\nten\r\n") << "line 3 (FontSize)";
    }
    void whatStopsTheStart()
    {
        QFETCH(QString, codePages);
        QFETCH(QByteArray, settings);
        QFETCH(QString, said);
        const CodePageNames before{AnsiCodePage().Name(), OemCodePage().Name()};
        const auto restore = qScopeGuard([&before] { SelectCodePages(before); });
        Harness h;
        h.folder.write(SettingsFileName, settings);
        h.app.Start("watch", codePages.toStdString());
        QCOMPARE(h.window().Ended(), !said.isEmpty());
        if (said.isEmpty()) {
            QCOMPARE(QString::fromStdString(OemCodePage().Name()), "CP" + codePages.section(',', 1).trimmed());
            h.window().close();
            return;
        }
        QCOMPARE(h.window().ExitStatus(), 1);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(1));
        QVERIFY2(MessageBox::Calls()[0].text.contains(said), qPrintable(MessageBox::Calls()[0].text));
        QCOMPARE(MessageBox::Calls()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(h.folder.read(SettingsFileName), settings);
        QVERIFY(!h.window().Tray().IsAdded() && !h.timer()->isActive());
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
