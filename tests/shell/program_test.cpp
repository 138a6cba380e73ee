// The real executable: the first start's file, the modes and their exit statuses, the signals that
// end it, the settings it cannot use, and the report on a spool file.
#include "pdf_probe.h"
#include "platform/fonts.h"
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

class ProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first start writes the defaults (through a link, too) and the signals end the program
    // cleanly. A default spool folder the code page cannot hold, stored as "?", would not exist: the
    // start says so, and what to do.
    void signalsEndTheProgram_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("linked");      // the settings file a link to a file not there yet
        QTest::addColumn<QString>("homeName"); // a home folder inside the temporary one
        QTest::newRow("tray mode, SIGTERM") << QString("watch") << SIGTERM << false << QString();
        QTest::newRow("plain window, SIGINT") << QString() << SIGINT << false << QString();
        QTest::newRow("defaults written through a link") << QString("watch") << SIGTERM << true << QString();
        QTest::newRow("home outside the code page") << QString("watch") << SIGTERM << false << QString("Ωhome");
    }
    void signalsEndTheProgram()
    {
        QFETCH(QString, mode);
        QFETCH(int, signal);
        QFETCH(bool, linked);
        QFETCH(QString, homeName);
        TempFolder top;
        const QString home = homeName.isEmpty() ? top.path() : top.file(homeName);
        QVERIFY(QDir().mkpath(home));
        ProgramRun run(top.file("program"), home);
        const QString settings = top.file(linked ? "elsewhere/Orvalin.ini" : "program/Orvalin.ini");
        QVERIFY(!linked
                || (QDir().mkpath(top.file("elsewhere")) && QFile::link(settings, top.file("program/Orvalin.ini"))));
        run.start(mode.isEmpty() ? QStringList() : QStringList{mode});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(settings), 10000);
        QTest::qWait(300);
        QVERIFY(run.running());
        QCOMPARE(ReadFileBytes(settings), "\"Orvalin PDF\"\r\n\"" + QByteArray::fromStdString(DefaultFontFamily())
                                              + "\"\r\n10\r\n3000\r\n0.8\r\n\""
                                              + QString(home).replace("Ω", "?").toUtf8()
                                              + "/Spool/\"\r\n\"text.txt\"\r\n\"\"\r\n\"\"\r\n0\r\n0\r\n");
        const QString errors = run.standardError();
        QVERIFY2(
            errors.contains("cannot be written in the settings file's code page") == !homeName.isEmpty()
                && (homeName.isEmpty() || (errors.contains(home + "/Spool/") && errors.contains("ORVALIN_CODEPAGES"))),
            qPrintable(errors));
        ::kill(static_cast<pid_t>(run.process().processId()), signal);
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QFileInfo(top.file("program/Orvalin.ini")).isSymLink(), linked);
    }

    // What a one-shot run of the real program ends with (how the ticks decide is the app test's);
    // a lower-case absolute path and a link are files like any other.
    void oneShot_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("lower-case absolute path") << QString("file") << 0 << QString();
        QTest::newRow("a link to the file") << QString("link") << 0 << QString();
        QTest::newRow("missing") << QString("missing") << 3
                                 << QString("The file %1 was not printed after 10 tries: The file %1 does not exist.");
        QTest::newRow("unreadable") << QString("unreadable") << 3 << QString("cannot be opened");
    }
    void oneShot()
    {
        QFETCH(QString, setUp);
        QFETCH(int, status);
        QFETCH(QString, said);
        TempFolder home;
        QVERIFY(QDir().mkpath(home.file("data")));
        home.write("data/out.txt", "One shot\r\n");
        QString named = home.file(setUp == "missing" ? "data/gone.txt" : "data/out.txt");
        if (setUp == "link") {
            QVERIFY(QFile::link(named, home.file("data/link.txt")));
            named = home.file("data/link.txt");
        }
        if (setUp == "unreadable")
            QVERIFY(::chmod(QFile::encodeName(named).constData(), 0) == 0);
        ProgramRun run(home.file("program"), home.path());
        // A linked settings file is read through the link and left as it is.
        const QString settings = home.file(setUp == "missing" ? "settings.ini" : "program/Orvalin.ini");
        const QByteArray bytes = TestSettingsBytes("Orvalin PDF", "/nowhere/", "text.txt", 20);
        WriteFileBytes(settings, bytes);
        QVERIFY(setUp != "missing" || QFile::link(settings, home.file("program/Orvalin.ini")));
        if (setUp == "unreadable")
            run.runAsNobody(); // root reads any file
        run.start({named, QStringLiteral("1")});
        QVERIFY(run.waitForExit(120000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QVERIFY2(run.exitCode() == status, qPrintable(run.standardError()));
        QCOMPARE(PdfFilesIn(home.file("program/PDF")).size(), status == 0 ? 1 : 0);
        QVERIFY2(run.standardError().contains(said.contains("%1") ? said.arg(named) : said),
                 qPrintable(run.standardError()));
        QCOMPARE(run.standardError().count("was not printed"), status == 0 ? 0 : 1);
        QVERIFY(QFile::exists(home.file("data/out.txt")));
        QCOMPARE(ReadFileBytes(settings), bytes);
    }

    // Runs that end at once: the options answer without starting anything; a settings file that
    // cannot be used stops the start (how the load refuses one is the settings file test's); a spool
    // file to explain that is not there.
    void runsThatEndAtOnce_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("settings"); // null: none; "FOLDER": a folder in its place
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard output when the status is 0, else on standard error
        QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 0 << QString("ORVALIN_CODEPAGES");
        QTest::newRow("version") << QStringList{"--version"} << QByteArray() << 0 << QString("orvalin 0.");
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << QByteArray() << 2
                                        << QString("unknown option --frobnicate");
        QTest::newRow("binary garbage") << QStringList{"watch"} << QByteArray("\x00\xFF\xFE garbage", 12) << 1
                                        << QString("NUL");
        QTest::newRow("a folder") << QStringList{"watch"} << QByteArray("FOLDER") << 1 << QString("cannot be written");
        QTest::newRow("explain a missing file")
            << QStringList{"--explain", "/nowhere/JOB.TXT"} << QByteArray() << 1 << QString("/nowhere/JOB.TXT");
        QTest::newRow("explain a folder") << QStringList{"--explain", "/tmp"} << QByteArray() << 1 << QString("/tmp");
        QTest::newRow("explain nothing") << QStringList{"--explain"} << QByteArray() << 1
                                         << QString("needs the name of a spool file");
    }
    void runsThatEndAtOnce()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, settings);
        QFETCH(int, status);
        QFETCH(QString, said);
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        const QString file = home.file("program/Orvalin.ini");
        const bool folder = settings == "FOLDER";
        if (folder)
            QVERIFY(QDir().mkpath(file));
        else if (!settings.isNull())
            WriteFileBytes(file, settings);
        run.start(arguments);
        QVERIFY(run.waitForExit(30000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit); // no crash, no core dump
        QCOMPARE(run.exitCode(), status);
        const QString shown = status == 0 ? run.standardOutput() : run.standardError();
        QVERIFY2(shown.contains(said) && (settings.isNull() || shown.contains(file)), qPrintable(shown));
        if (!settings.isNull())
            QVERIFY(folder ? QFileInfo(file).isDir() : ReadFileBytes(file) == settings);
        else if (!arguments.contains("--explain"))
            QVERIFY(!QFile::exists(file)); // the options start nothing
    }

    // "--explain FILE": the report on standard output with the settings file's own rules, nothing
    // printed and nothing deleted; a logo file that is no picture is named.
    void explain()
    {
        for (const bool logo : {false, true}) {
            TempFolder home;
            ProgramRun run(home.file("program"), home.path());
            // Rules as the settings dialog stores them; the load sorts the longer triggers first.
            WriteFileBytes(
                home.file("program/Orvalin.ini"),
                TestSettingsBytes("Orvalin PDF", home.path() + "/", "text.txt", 3000, logo ? home.file("logo.bmp") : "")
                    + "\"bb  27 69\"\r\n\"np  12\"\r\n\"ol  27 38\"\r\n");
            home.write("logo.bmp", "not a picture");
            home.write("JOB.TXT", "ACME\x1b&\r\n\x1b"
                                  "Ebold\x1b(s\x0cnext\r\nend");
            run.start({"--explain", home.file("JOB.TXT")});
            QVERIFY(run.waitForExit(60000));
            QCOMPARE(run.exitCode(), 0);
            QVERIFY2(run.standardError().isEmpty(), qPrintable(run.standardError()));
            QVERIFY(home.exists("JOB.TXT") && !QDir(home.file("program/PDF")).exists());
            if (logo)
                QVERIFY2(run.standardOutput().contains("\nLogo: no (the logo file " + home.file("logo.bmp")
                                                       + " cannot be loaded)\n"),
                         qPrintable(run.standardOutput()));
            else
                QCOMPARE(run.standardOutput(),
                         QStringLiteral("Settings: %1/program/Orvalin.ini\n"
                                        "Printer: Orvalin PDF (pages are counted on its paper)\n"
                                        "File: %1/JOB.TXT\n"
                                        "Orientation: landscape (trigger 27 38 in line 1)\n"
                                        "Logo: no (no logo file)\n"
                                        "Control sequences:\n"
                                        "  27 38: 1 time, first in line 1: Orientation Landscape (rule 2)\n"
                                        "  27 69: 1 time, first in line 2: Begin bold (rule 1)\n"
                                        "  27 40: 1 time, first in line 2: printed as a character\n"
                                        "  12: 1 time, first in line 2: Page break (rule 3)\n"
                                        "Overlong lines:\n"
                                        "  none\n"
                                        "Pages: 2\n")
                             .arg(home.path()));
        }
    }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
