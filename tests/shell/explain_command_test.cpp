// "orvalin --explain FILE" run for real: the report on standard output with the settings file's own
// rules, nothing printed and nothing deleted; a missing or absent file is an error with status 1.
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QTest>

namespace {

struct ExplainRig {
    TempFolder home;
    QString programFolder = home.file("program");
    std::unique_ptr<ProgramRun> run;

    ExplainRig()
    {
        run = std::make_unique<ProgramRun>(programFolder, home.path());
        run->environment().insert("CUPS_SERVER", home.file("no-cups.sock"));
        // Rules as the settings dialog stores them; the load sorts the longer triggers first.
        WriteFileBytes(programFolder + "/Orvalin.ini",
                       TestSettingsBytes("Orvalin PDF", home.path() + "/", "text.txt", 3000)
                           + "\"bb  27 69\"\r\n\"np  12\"\r\n\"ol  27 38\"\r\n");
    }
    int Explain(const QStringList& arguments)
    {
        run->start(arguments);
        if (!run->waitForExit(60000))
            return -1;
        return run->exitCode();
    }
};

} // namespace

class ExplainCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportOnStandardOutput()
    {
        ExplainRig rig;
        const QString spool = rig.home.file("JOB.TXT");
        WriteFileBytes(spool, "ACME\x1b&\r\n\x1b" "Ebold\x1b(s\x0cnext\r\nend");
        QCOMPARE(rig.Explain({"--explain", spool}), 0);
        QCOMPARE(rig.run->standardOutput(),
                 "Settings: " + rig.programFolder + "/Orvalin.ini\n"
                 "Printer: Orvalin PDF (pages are counted on its paper)\n"
                 "File: " + spool + "\n"
                 "Orientation: landscape (trigger 27 38 in line 1)\n"
                 "Logo: no (no logo file)\n"
                 "Control sequences:\n"
                 "  27 38: 1 time, first in line 1: Orientation Landscape (rule 2)\n"
                 "  27 69: 1 time, first in line 2: Begin bold (rule 1)\n"
                 "  27 40: 1 time, first in line 2: printed as a character\n"
                 "  12: 1 time, first in line 2: Page break (rule 3)\n"
                 "Overlong lines:\n"
                 "  none\n"
                 "Pages: 2\n");
        QCOMPARE(rig.run->standardError(), QString());
        QVERIFY(QFile::exists(spool));
        QVERIFY(!QDir(rig.programFolder + "/PDF").exists()); // nothing printed
    }

    void logoFileThatIsNoPicture()
    {
        ExplainRig rig;
        const QString logo = rig.home.file("logo.bmp");
        WriteFileBytes(logo, "not a picture");
        WriteFileBytes(rig.programFolder + "/Orvalin.ini",
                       TestSettingsBytes("Orvalin PDF", rig.home.path() + "/", "text.txt", 3000, logo));
        const QString spool = rig.home.file("JOB.TXT");
        WriteFileBytes(spool, "text");
        QCOMPARE(rig.Explain({"--explain", spool}), 0);
        QVERIFY2(rig.run->standardOutput().contains("\nLogo: no (the logo file " + logo + " cannot be loaded)\n"),
                 qPrintable(rig.run->standardOutput()));
    }

    void unreadableFilesAreErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QStringList{"--explain", "/nowhere/JOB.TXT"} << "/nowhere/JOB.TXT";
        QTest::newRow("a folder") << QStringList{"--explain", "/tmp"} << "/tmp";
        QTest::newRow("no file named") << QStringList{"--explain"} << "needs the name of a spool file";
    }

    void unreadableFilesAreErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ExplainRig rig;
        QCOMPARE(rig.Explain(arguments), 1);
        QCOMPARE(rig.run->standardOutput(), QString());
        QVERIFY2(rig.run->standardError().contains(message), qPrintable(rig.run->standardError()));
    }
};

QTEST_GUILESS_MAIN(ExplainCommandTest)
#include "explain_command_test.moc"
