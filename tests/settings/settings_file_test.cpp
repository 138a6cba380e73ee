// The settings file: the first start's exact bytes, round trips, and files that cannot be used.
#include "common/errors.h"
#include "platform/code_pages.h"
#include "settings/settings_file.h"
#include "temp_folder.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

SettingsEnvironment TestEnvironment(int* defaultsAsked = nullptr)
{
    SettingsEnvironment env;
    env.MakeDefaults = [defaultsAsked] {
        if (defaultsAsked)
            ++*defaultsAsked;
        return SettingsDefaults{"Orvalin PDF", "Courier New", "/home/user/Spool/"};
    };
    env.FileExists = [](const std::string& path) { return QFile::exists(QString::fromStdString(path)); };
    return env;
}

const QByteArray FirstStartBytes = "\"Orvalin PDF\"\r\n"
                                   "\"Courier New\"\r\n"
                                   "10\r\n"
                                   "3000\r\n"
                                   "0.8\r\n"
                                   "\"/home/user/Spool/\"\r\n"
                                   "\"text.txt\"\r\n"
                                   "\"\"\r\n"
                                   "\"\"\r\n"
                                   "0\r\n"
                                   "0\r\n";

QByteArray WithLine(QByteArray bytes, int line, const QByteArray& value)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines[line - 1] = value + "\r";
    return lines.join('\n');
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }

    void firstStartWritesTheElevenLines()
    {
        TempFolder folder;
        const auto file = folder.fsPath() / SettingsFileName;
        Settings s;
        Rules rules;
        rules.ControlChars.push_back(ControlChar{"x", "np"}); // left over from before: dropped
        int asked = 0;
        LoadSettings(file, s, rules, TestEnvironment(&asked));
        QCOMPARE(asked, 1);
        QCOMPARE(folder.read(SettingsFileName), FirstStartBytes);
        QCOMPARE(rules.HighestIndex(), 0);
        QCOMPARE(s.FontSize, std::int16_t(10));
        QCOMPARE(s.PollInterval, 3000);
        QCOMPARE(s.LeftMargin, 0.8);
        QCOMPARE(s.SpoolFolder, std::string("/home/user/Spool/"));
        QVERIFY(!s.LogoEnabled);

        // A later start reads the same values back without asking for defaults.
        Settings again;
        Rules againRules;
        LoadSettings(file, again, againRules, TestEnvironment(&asked));
        QCOMPARE(asked, 1);
        QCOMPARE(again.PrinterName, s.PrinterName);
        QCOMPARE(again.LeftMargin, 0.8);
        QCOMPARE(folder.read(SettingsFileName), FirstStartBytes);
    }

    void textsWithCommasQuotesAndAccentsRoundTrip()
    {
        TempFolder folder;
        const auto file = folder.fsPath() / SettingsFileName;
        Settings s;
        Rules rules;
        LoadSettings(file, s, rules, TestEnvironment());
        s.PrinterName = "HP, 2. emelet";
        s.LogoCondition = "SZ\xC1MLA \"A\" t\xEDpus"; // CP1250 accents and double quotes
        s.SpoolFolder = "/data/a,b/";
        s.SpoolFileName = "*.txt";
        s.FontSize = -3;
        s.PollInterval = 2147483647;
        s.LeftMargin = 1.0 / 3;
        s.LogoX = 1440.5f;
        s.LogoY = -0.1f;
        SaveSettings(file, s, rules);
        const QByteArray saved = folder.read(SettingsFileName);
        QVERIFY(saved.contains("\"SZ\xC1MLA \"A\" t\xEDpus\"\r\n"));
        Settings back;
        Rules backRules;
        LoadSettings(file, back, backRules, TestEnvironment());
        QCOMPARE(back.LogoCondition, s.LogoCondition);
        SaveSettings(file, back, backRules); // every value read back saves to the same bytes
        QCOMPARE(folder.read(SettingsFileName), saved);
    }

    void readableVariants_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("landscape");
        QByteArray lf = FirstStartBytes;
        lf.replace("\r\n", "\n");
        const QString spool = QStringLiteral("/home/user/Spool/");
        QTest::newRow("margin without leading zero") << WithLine(FirstStartBytes, 5, ".8") << spool << QByteArray();
        QTest::newRow("folder without separator")
            << WithLine(FirstStartBytes, 6, "\"/var/spool/legacy\"") << "/var/spool/legacy/" << QByteArray();
        QTest::newRow("empty folder") << WithLine(FirstStartBytes, 6, "\"\"") << "/" << QByteArray();
        QTest::newRow("LF lines, the last without one") << lf + "\"ol  27 76\"" << spool
                                                        << QByteArray("\x1B"
                                                                      "L");
    }
    void readableVariants()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, folder);
        QFETCH(QByteArray, landscape);
        TempFolder folderOnDisk;
        folderOnDisk.write(SettingsFileName, bytes);
        Settings s;
        Rules rules;
        LoadSettings(folderOnDisk.fsPath() / SettingsFileName, s, rules, TestEnvironment());
        QCOMPARE(s.LeftMargin, 0.8);
        QCOMPARE(QString::fromStdString(s.SpoolFolder), folder);
        QCOMPARE(QByteArray::fromStdString(rules.LandscapeChars), landscape);
        QCOMPARE(rules.HighestIndex(), landscape.isEmpty() ? 0 : 1);
        QCOMPARE(folderOnDisk.read(SettingsFileName), bytes);
    }

    void rulesLoadSortedAndEmptyLinesAreSkipped()
    {
        TempFolder folder;
        folder.write(SettingsFileName,
                     FirstStartBytes + "\"bb  27\"\r\n\r\n\"\"\r\n\"eb  28\"\r\n\"np  27 12\"\r\n\r\n");
        Settings s;
        Rules rules;
        int events = 0;
        SettingsEnvironment env = TestEnvironment();
        env.ProcessEvents = [&events] { ++events; };
        LoadSettings(folder.fsPath() / SettingsFileName, s, rules, env);
        QCOMPARE(rules.HighestIndex(), 3);
        QCOMPARE(rules.ControlChars[1].ActionCode, std::string("np")); // the A, B, C example
        QCOMPARE(rules.ControlChars[2].ActionCode, std::string("eb"));
        QCOMPARE(rules.ControlChars[3].ActionCode, std::string("bb"));
        QVERIFY(events > 0);
        // The next save writes them in their sorted order.
        SaveSettings(folder.fsPath() / SettingsFileName, s, rules);
        QVERIFY(folder.read(SettingsFileName).endsWith("\"np  27 12\"\r\n\"eb  28\"\r\n\"bb  27\"\r\n"));
    }

    void logoEnabledNeedsANamedExistingFile()
    {
        TempFolder folder;
        const auto file = folder.fsPath() / SettingsFileName;
        Settings s;
        Rules rules;
        folder.write(SettingsFileName, WithLine(FirstStartBytes, 8, "\"   \""));
        int searches = 0;
        SettingsEnvironment env = TestEnvironment();
        env.FileExists = [&searches](const std::string& path) {
            ++searches;
            return QFile::exists(QString::fromStdString(path));
        };
        LoadSettings(file, s, rules, env);
        QVERIFY(!s.LogoEnabled);
        QCOMPARE(searches, 0); // blanks only: no search at all

        folder.write(SettingsFileName, WithLine(FirstStartBytes, 8, "\"" + folder.file("missing.bmp").toUtf8() + "\""));
        LoadSettings(file, s, rules, env);
        QVERIFY(!s.LogoEnabled);

        folder.write("logo.bmp", "BM");
        folder.write(SettingsFileName, WithLine(FirstStartBytes, 8, "\"" + folder.file("logo.bmp").toUtf8() + "\""));
        LoadSettings(file, s, rules, env);
        QVERIFY(s.LogoEnabled);
    }

    void unusableFilesStopTheLoadAndStayAsTheyWere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        QTest::newRow("ends before the eleventh value")
            << FirstStartBytes.left(FirstStartBytes.indexOf("0\r\n0\r\n")) << "LogoX is missing";
        QTest::newRow("empty file") << QByteArray() << "PrinterName is missing";
        QTest::newRow("font size not a number") << WithLine(FirstStartBytes, 3, "ten") << "line 3 (FontSize)";
        QTest::newRow("quoted number") << WithLine(FirstStartBytes, 4, "\"3000\"") << "line 4 (PollInterval)";
        QTest::newRow("font size overflow") << WithLine(FirstStartBytes, 3, "40000") << "out of range";
        QTest::newRow("margin with a comma") << WithLine(FirstStartBytes, 5, "0,8") << "line 5 (LeftMargin)";
        QTest::newRow("huge exponent") << WithLine(FirstStartBytes, 5, "1e999") << "line 5 (LeftMargin)";
        QTest::newRow("logo position overflow") << WithLine(FirstStartBytes, 10, "1e39") << "line 10 (LogoX)";
        QTest::newRow("trigger above 255") << FirstStartBytes + "\"np 256\"\r\n"
                                           << "line 12";
        QTest::newRow("NUL byte") << WithLine(FirstStartBytes, 2, QByteArray("\"Cour\0ier\"", 10)) << "NUL";
    }
    void unusableFilesStopTheLoadAndStayAsTheyWere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        TempFolder folder;
        folder.write(SettingsFileName, bytes);
        Settings s;
        Rules rules;
        try {
            LoadSettings(folder.fsPath() / SettingsFileName, s, rules, TestEnvironment());
            QFAIL("the load went through");
        } catch (const OrvalinError& e) {
            const QString message = QString::fromStdString(e.what());
            QVERIFY2(message.contains(problem), qPrintable(message));
            QVERIFY2(message.contains(folder.file(SettingsFileName)), qPrintable(message));
        }
        QCOMPARE(folder.read(SettingsFileName), bytes);
        QCOMPARE(rules.HighestIndex(), 0);
    }

    void aFolderInPlaceOfTheFileCannotBeWritten()
    {
        TempFolder folder;
        QVERIFY(QDir(folder.path()).mkdir(SettingsFileName));
        Settings s;
        Rules rules;
        QVERIFY_THROWS_EXCEPTION(OrvalinError,
                                 LoadSettings(folder.fsPath() / SettingsFileName, s, rules, TestEnvironment()));
        QVERIFY(QFileInfo(folder.file(SettingsFileName)).isDir());
    }

    void aFailedSaveLeavesTheOldFileIntact()
    {
        TempFolder folder;
        const auto file = folder.fsPath() / SettingsFileName;
        Settings s;
        Rules rules;
        LoadSettings(file, s, rules, TestEnvironment());
        s.LogoCondition = std::string(4096, 'x');

        // A full disk: the file size limit makes every longer write fail.
        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = old;
        tiny.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &tiny);
        bool threw = false;
        try {
            SaveSettings(file, s, rules);
        } catch (const OrvalinError& e) {
            threw = QString::fromStdString(e.what()).contains(QStringLiteral("cannot be written"));
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(threw);
        QCOMPARE(folder.read(SettingsFileName), FirstStartBytes);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
