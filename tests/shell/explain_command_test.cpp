// "orvalin --explain FILE" run for real: the report on standard output with the settings file's own
// rules, nothing printed and nothing deleted; a missing or absent file is an error with status 1.
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QTest>

class ExplainCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void explain_data()
    {
        QTest::addColumn<QString>("file"); // %1: the home folder
        QTest::addColumn<bool>("logo");    // a logo file that is no picture
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // the whole of standard output, or a line of it
        QTest::addColumn<QString>("errors");
        QTest::newRow("report") << "%1/JOB.TXT" << false << 0
                                << "Settings: %1/program/Orvalin.ini\n"
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
                                   "Pages: 2\n"
                                << QString();
        QTest::newRow("logo that is no picture")
            << "%1/JOB.TXT" << true << 0 << "\nLogo: no (the logo file %1/logo.bmp cannot be loaded)\n"
            << QString();
        QTest::newRow("missing file") << "/nowhere/JOB.TXT" << false << 1 << QString() << QString("/nowhere/JOB.TXT");
        QTest::newRow("a folder") << "/tmp" << false << 1 << QString() << QString("/tmp");
        QTest::newRow("no file named") << QString() << false << 1 << QString()
                                       << QString("needs the name of a spool file");
    }
    void explain()
    {
        QFETCH(QString, file);
        QFETCH(bool, logo);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        TempFolder home;
        const QString programFolder = home.file("program");
        ProgramRun run(programFolder, home.path());
        run.environment().insert("CUPS_SERVER", home.file("no-cups.sock"));
        // Rules as the settings dialog stores them; the load sorts the longer triggers first.
        WriteFileBytes(programFolder + "/Orvalin.ini", TestSettingsBytes("Orvalin PDF", home.path() + "/", "text.txt",
                                                                         3000, logo ? home.file("logo.bmp") : "")
                                                           + "\"bb  27 69\"\r\n\"np  12\"\r\n\"ol  27 38\"\r\n");
        home.write("logo.bmp", "not a picture");
        home.write("JOB.TXT", "ACME\x1b&\r\n\x1b"
                              "Ebold\x1b(s\x0cnext\r\nend");
        const auto filled = [&home](const QString& text) { return text.contains("%1") ? text.arg(home.path()) : text; };
        run.start(file.isEmpty() ? QStringList{"--explain"} : QStringList{"--explain", filled(file)});
        QVERIFY(run.waitForExit(60000));
        QCOMPARE(run.exitCode(), status);
        output = filled(output);
        if (status != 0 || output.startsWith("Settings"))
            QCOMPARE(run.standardOutput(), output);
        QVERIFY2(run.standardOutput().contains(output), qPrintable(run.standardOutput()));
        QVERIFY2(errors.isEmpty() ? run.standardError().isEmpty() : run.standardError().contains(errors),
                 qPrintable(run.standardError()));
        QVERIFY(home.exists("JOB.TXT"));
        QVERIFY(!QDir(programFolder + "/PDF").exists()); // nothing printed
    }
};

QTEST_GUILESS_MAIN(ExplainCommandTest)
#include "explain_command_test.moc"
