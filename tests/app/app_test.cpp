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
        QCOMPARE(h.window().findChild<QMenu*>(QStringLiteral("ppMenu"))->defaultAction()->objectName(), "ppShow");
        h.app.Start("");
        QVERIFY(h.window().isVisible() && !h.timer()->isActive());
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

    // Polling starts hidden, with the watched file in the icon's tip; a minimised window hides again.
    void theIconsMenu_data()
    {
        QTest::addColumn<QString>("item"); // empty: dismissed
        for (const char* item : {"ppEnd", "ppSettings", "ppShow", ""})
            QTest::newRow(*item ? item : "dismissed") << item;
    }
    void theIconsMenu()
    {
        QFETCH(QString, item);
        Harness h(true);
        h.app.Start("watch");
        QVERIFY(!h.window().isVisible() && h.timer()->isActive());
        QCOMPARE(h.timer()->interval(), 20);
        QCOMPARE(h.window().Tray().Tip(), QStringLiteral("Orvalinó (/nowhere/text.txt)"));
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
        h.window().showMinimized();
        QTRY_VERIFY(!h.window().isVisible());
        h.window().close();
        QVERIFY(!h.timer()->isActive() && h.app.Polling().Stopped());
    }

    // A one-shot print, tried up to ten times; a job with the logo leaves the plain window open.
    void oneShot_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("tries");
        QTest::addColumn<int>("status"); // -1: stays open in the plain window
        QTest::newRow("printed") << "printed" << 1 << 0;
        QTest::newRow("printed with the logo") << "logo" << 1 << -1;
        QTest::newRow("printer down") << "down" << 10 << 3;
    }
    void oneShot()
    {
        QFETCH(QString, how);
        QFETCH(int, tries);
        QFETCH(int, status);
        TempFolder data;
        data.write("OUT.TXT", "hello\r\n");
        Harness h(true);
        h.job = [&](const std::string&) -> bool {
            if (how == "down")
                throw OrvalinError("The printer office is stopped.");
            h.app.State().print.JobHasLogo = how == "logo";
            return true;
        };
        const QString previous = QDir::currentPath();
        QDir::setCurrent(data.path()); // the one-shot file is named relative to it
        h.app.Start("OUT.TXT 1");
        QDir::setCurrent(previous);
        QCOMPARE(h.printed, std::vector<std::string>(std::size_t(tries), "OUT.TXT|1"));
        QCOMPARE(h.app.Polling().State().Ticks, std::int16_t(tries == 1 ? 1 : 10));
        QCOMPARE(h.window().Ended(), status >= 0);
        QCOMPARE(h.window().isVisible(), status < 0);
        QVERIFY(status < 0 || h.window().ExitStatus() == status);
        QVERIFY(MessageBox::Calls().empty());
        h.window().close();
    }

    // A logo that is no picture is switched off for this run only, silently.
    void theLogo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("a picture through a link") << "link.bmp";
        QTest::newRow("no picture") << "text.bmp";
    }
    void theLogo()
    {
        QFETCH(QString, file);
        const QSize size = file == "link.bmp" ? QSize(8, 4) : QSize(0, 0);
        TempFolder pictures;
        QImage logo(8, 4, QImage::Format_RGB32);
        logo.fill(Qt::green);
        QVERIFY(logo.save(pictures.file("logo.bmp")));
        QVERIFY(QFile::link(pictures.file("logo.bmp"), pictures.file("link.bmp")));
        pictures.write("text.bmp", "this is not a bitmap");
        Harness h(true, pictures.file(file));
        const QByteArray before = h.folder.read(SettingsFileName);
        h.app.Start("");
        QCOMPARE(h.app.State().settings.LogoEnabled, !size.isEmpty());
        QCOMPARE(h.app.Printing().LogoImage().size(), size);
        QCOMPARE(h.window().findChild<QLabel*>(QStringLiteral("Kep"))->pixmap().size(), size);
        QCOMPARE(h.folder.read(SettingsFileName), before);
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
        file.close(); // a file still open for writing waits
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

    // The code pages come from the environment; the settings file is not loaded without them.
    void whatStopsTheStart_data()
    {
        QTest::addColumn<QString>("codePages");
        QTest::addColumn<QString>("said"); // empty: it starts
        QTest::newRow("code pages") << "1250,852" << QString();
        QTest::newRow("code pages with blanks") << " 1252 , 437 " << QString();
        QTest::newRow("one code page") << "1250" << QStringLiteral("must name two code pages");
        QTest::newRow("code page names") << "latin2,cp852" << QStringLiteral("must name two code pages");
        QTest::newRow("unknown code page") << "1250,99999" << QStringLiteral("does not know the code page 99999");
    }
    void whatStopsTheStart()
    {
        QFETCH(QString, codePages);
        QFETCH(QString, said);
        const CodePageNames before{AnsiCodePage().Name(), OemCodePage().Name()};
        const auto restore = qScopeGuard([&before] { SelectCodePages(before); });
        Harness h(true);
        const QByteArray settings = h.folder.read(SettingsFileName);
        h.app.Start("watch", codePages.toStdString());
        QCOMPARE(h.window().Ended(), !said.isEmpty());
        if (said.isEmpty()) {
            QCOMPARE(QString::fromStdString(OemCodePage().Name()), "CP" + codePages.section(',', 1).trimmed());
            h.window().close();
            return;
        }
        QCOMPARE(h.window().ExitStatus(), 1);
        const auto& shown = MessageBox::Calls();
        QVERIFY2(shown.size() == 1 && shown[0].icon == MessageBox::Icon::Critical && shown[0].text.contains(said),
                 qPrintable(shown.empty() ? QString() : shown[0].text));
        QCOMPARE(h.folder.read(SettingsFileName), settings);
        QVERIFY(!h.window().Tray().IsAdded() && !h.timer()->isActive());
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
