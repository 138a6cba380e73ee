// The real executable, started from a temporary program folder: the first start's file, the three
// modes, a settings file it cannot use, and the signals that end it.
#include "platform/fonts.h"
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

QByteArray SettingsWith(const QString& spoolFolder, int interval, const QString& logoFile = {})
{
    return TestSettingsBytes("Orvalin PDF", spoolFolder, "text.txt", interval, logoFile);
}

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartWritesTheDefaultsAndTrayModeEndsOnSigterm()
    {
        TempFolder home;
        const QString programFolder = home.file("program");
        ProgramRun run(programFolder, home.path());
        run.start({QStringLiteral("watch")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(programFolder + "/Orvalin.ini"), 10000);
        QTest::qWait(300);
        QVERIFY(run.running());
        const QList<QByteArray> lines = ReadFileBytes(programFolder + "/Orvalin.ini").split('\n');
        QCOMPARE(lines.size(), 12); // eleven lines and the empty rest after the last line end
        for (int i = 0; i < 11; ++i)
            QVERIFY2(lines[i].endsWith('\r'), lines[i].constData());
        QVERIFY(lines[0].startsWith('"'));
        QCOMPARE(lines[1], "\"" + QByteArray::fromStdString(DefaultFontFamily()) + "\"\r");
        QCOMPARE(lines[2], QByteArray("10\r"));
        QCOMPARE(lines[3], QByteArray("3000\r"));
        QCOMPARE(lines[4], QByteArray("0.8\r"));
        QCOMPARE(lines[5], "\"" + home.path().toUtf8() + "/Spool/\"\r");
        QCOMPARE(lines[6], QByteArray("\"text.txt\"\r"));
        QCOMPARE(lines[7], QByteArray("\"\"\r"));
        QCOMPARE(lines[8], QByteArray("\"\"\r"));
        QCOMPARE(lines[9], QByteArray("0\r"));
        QCOMPARE(lines[10], QByteArray("0\r"));

        run.terminate();
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
    }

    void plainWindowModeStaysUntilSigint()
    {
        TempFolder home;
        home.write("program/Orvalin.ini", QByteArray());
        ProgramRun run(home.file("program"), home.path());
        WriteFileBytes(home.file("program/Orvalin.ini"), SettingsWith("/nowhere/", 100));
        run.start({});
        QTest::qWait(1500);
        QVERIFY(run.running());
        ::kill(static_cast<pid_t>(run.process().processId()), SIGINT);
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
    }

    // Counted, not timed: the program reports how many tries it made, and the wall-clock bound only
    // catches a hang.
    void oneShotWithAMissingFileGivesUpAfterTenTries()
    {
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        WriteFileBytes(home.file("program/Orvalin.ini"), SettingsWith("/nowhere/", 300));
        run.start({QStringLiteral("/NO/SUCH/OUT.TXT"), QStringLiteral("1")});
        QVERIFY(run.waitForExit(120000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 3);
        const QString errors = run.standardError();
        QVERIFY2(errors.contains("The file /NO/SUCH/OUT.TXT was not printed after 10 tries: "
                                 "The file /NO/SUCH/OUT.TXT does not exist."),
                 qPrintable(errors));
        QCOMPARE(errors.count("was not printed"), 1);
    }

    // A lower-case absolute path and a link are files like any other; what stops a one-shot print
    // is said on standard error, with the not-printed status.
    void oneShotFilesAndWhatStopsThem_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("lower-case absolute path") << "file" << 0 << "";
        QTest::newRow("a link to the file") << "link" << 0 << "";
        QTest::newRow("a dangling link") << "dangling" << 3 << "does not exist";
        QTest::newRow("unreadable") << "unreadable" << 3 << "cannot be opened";
    }
    void oneShotFilesAndWhatStopsThem()
    {
        QFETCH(QString, setUp);
        QFETCH(int, status);
        QFETCH(QString, message);
        TempFolder home;
        QVERIFY(QDir().mkpath(home.file("data")));
        home.write("data/out.txt", "One shot\r\n");
        QString named = home.file("data/out.txt");
        if (setUp == "link" || setUp == "dangling") {
            named = home.file("data/link.txt");
            QVERIFY(QFile::link(setUp == "link" ? home.file("data/out.txt") : home.file("data/gone.txt"), named));
        }
        if (setUp == "unreadable")
            QVERIFY(::chmod(QFile::encodeName(named).constData(), 0) == 0);
        ProgramRun run(home.file("program"), home.path());
        WriteFileBytes(home.file("program/Orvalin.ini"), SettingsWith("/nowhere/", 20));
        if (setUp == "unreadable")
            run.runAsNobody(); // root reads any file
        run.start({named, QStringLiteral("1")});
        QVERIFY(run.waitForExit(120000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QVERIFY2(run.exitCode() == status, qPrintable(run.standardError()));
        QCOMPARE(QDir(home.file("program/PDF")).entryList({"*.pdf"}).size(), status == 0 ? 1 : 0);
        if (status != 0)
            QVERIFY2(run.standardError().contains(message), qPrintable(run.standardError()));
        QVERIFY(QFile::exists(home.file("data/out.txt")));
    }

    void optionsAnswerWithoutStarting_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors");
        QTest::newRow("help") << "--help" << 0 << "ORVALIN_CODEPAGES" << "";
        QTest::newRow("version") << "--version" << 0 << "orvalin 0." << "";
        QTest::newRow("unknown") << "--frobnicate" << 2 << "" << "unknown option --frobnicate";
    }
    void optionsAnswerWithoutStarting()
    {
        QFETCH(QString, option);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        run.start({option});
        QVERIFY(run.waitForExit(30000));
        QCOMPARE(run.exitCode(), status);
        QVERIFY2(run.standardOutput().contains(output), qPrintable(run.standardOutput()));
        QVERIFY2(run.standardError().contains(errors), qPrintable(run.standardError()));
        QVERIFY(!QFile::exists(home.file("program/Orvalin.ini"))); // nothing started
    }

    void oneShotStaysOpenOnlyAfterALogoJob_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::newRow("printed with the logo") << true;
        QTest::newRow("never printed") << false;
    }
    void oneShotStaysOpenOnlyAfterALogoJob()
    {
        QFETCH(bool, fileThere);
        TempFolder home;
        QImage logo(16, 16, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        QVERIFY(logo.save(home.file("logo.bmp")));
        ProgramRun run(home.file("program"), home.path());
        // No logo condition: every file's head asks for the logo.
        WriteFileBytes(home.file("program/Orvalin.ini"), SettingsWith("/nowhere/", 50, home.file("logo.bmp")));
        if (fileThere)
            WriteFileBytes(home.file("program/OUT.TXT"), "Invoice\r\n");
        run.start({QStringLiteral("OUT.TXT")});
        if (fileThere) {
            QTRY_VERIFY_WITH_TIMEOUT(!QDir(home.file("program/PDF")).entryList({QStringLiteral("*.pdf")}).isEmpty(), 15000);
            QTest::qWait(1500); // well past the rest of the ten ticks
            QVERIFY(run.running());
            run.terminate();
        }
        QVERIFY(run.waitForExit(15000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), fileThere ? 0 : 3); // 3: nothing was printed
    }

    // Settings reached through a symbolic link are read there, and a first start writes the
    // defaults into the link's target, keeping the link.
    void aLinkedSettingsFileIsFollowed()
    {
        TempFolder home;
        QDir().mkpath(home.file("program"));
        QDir().mkpath(home.file("elsewhere"));
        QVERIFY(QFile::link(home.file("elsewhere/Orvalin.ini"), home.file("program/Orvalin.ini")));
        ProgramRun run(home.file("program"), home.path());
        run.start({QStringLiteral("watch")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.file("elsewhere/Orvalin.ini")), 10000);
        run.terminate();
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(QFileInfo(home.file("program/Orvalin.ini")).isSymLink());
        QVERIFY(ReadFileBytes(home.file("elsewhere/Orvalin.ini")).startsWith("\"Orvalin PDF\"\r\n"));
        // Read through the link at the next start: its interval is used, nothing is rewritten.
        const QByteArray settings = SettingsWith("/nowhere/", 20);
        WriteFileBytes(home.file("elsewhere/Orvalin.ini"), settings);
        run.start({QStringLiteral("/NO/SUCH/OUT.TXT")});
        QVERIFY(run.waitForExit(60000));
        QCOMPARE(run.exitCode(), 3);
        QCOMPARE(ReadFileBytes(home.file("elsewhere/Orvalin.ini")), settings);
        QVERIFY(QFileInfo(home.file("program/Orvalin.ini")).isSymLink());
    }

    // A home folder whose name the settings' code page cannot hold gives a default spool folder that
    // would be stored as "?": the first start says so, and what to do.
    void aDefaultSpoolFolderOutsideTheCodePageIsReported()
    {
        TempFolder top;
        const QString home = top.file(QStringLiteral("Ωhome"));
        QVERIFY(QDir().mkpath(home));
        ProgramRun run(top.file("program"), home);
        run.start({QStringLiteral("watch")});
        QTRY_VERIFY_WITH_TIMEOUT(run.standardError().contains("cannot be written in the settings file's code page"), 20000);
        QVERIFY(run.standardError().contains(home + "/Spool/"));
        QVERIFY(run.standardError().contains("ORVALIN_CODEPAGES"));
        run.terminate();
        QVERIFY(run.waitForExit(10000));
    }

    void unusableSettingsFilesStopStartUp_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        QTest::newRow("too short") << QByteArray("\"Orvalin PDF\"\r\n\"Courier New\"\r\n") << "FontSize is missing";
        QTest::newRow("not a number") << SettingsWith("/x/", 100).replace("3000", "x").replace("\r\n100\r\n", "\r\nlots\r\n")
                                      << "line 4 (PollInterval)";
        QTest::newRow("trigger out of range") << SettingsWith("/x/", 100) + "\"np 300\"\r\n" << "line 12";
        QTest::newRow("binary garbage") << QByteArray("\x00\xFF\xFE garbage", 12) << "NUL";
    }
    void unusableSettingsFilesStopStartUp()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        WriteFileBytes(home.file("program/Orvalin.ini"), bytes);
        run.start({QStringLiteral("watch")});
        QVERIFY(run.waitForExit(15000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit); // no crash, no core dump
        QCOMPARE(run.exitCode(), 1);
        const QString errors = run.standardError();
        QVERIFY2(errors.contains(problem), qPrintable(errors));
        QVERIFY2(errors.contains(home.file("program/Orvalin.ini")), qPrintable(errors));
        QCOMPARE(ReadFileBytes(home.file("program/Orvalin.ini")), bytes);
    }

    void aFolderInPlaceOfTheSettingsFileIsReported()
    {
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        QVERIFY(QDir().mkpath(home.file("program/Orvalin.ini")));
        run.start({QStringLiteral("watch")});
        QVERIFY(run.waitForExit(15000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(run.standardError().contains("cannot be written"), qPrintable(run.standardError()));
        QVERIFY(QFileInfo(home.file("program/Orvalin.ini")).isDir());
    }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
