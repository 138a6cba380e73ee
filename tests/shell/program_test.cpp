// The real executable, started from a temporary program folder: the first start's file, the three
// modes, a settings file it cannot use, and the signals that end it.
#include "platform/fonts.h"
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <csignal>

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

    void oneShotWithAMissingFileGivesUpAfterTenTicks()
    {
        TempFolder home;
        ProgramRun run(home.file("program"), home.path());
        WriteFileBytes(home.file("program/Orvalin.ini"), SettingsWith("/nowhere/", 300));
        QElapsedTimer clock;
        clock.start();
        run.start({QStringLiteral("/NO/SUCH/OUT.TXT"), QStringLiteral("1")});
        QVERIFY(run.waitForExit(30000));
        // The first tick at once, nine more at the interval.
        QVERIFY2(clock.elapsed() >= 9 * 300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
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
