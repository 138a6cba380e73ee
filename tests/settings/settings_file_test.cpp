// The settings file: the first start's exact bytes, round trips, and files that cannot be used.
#include "common/errors.h"
#include "platform/code_pages.h"
#include "settings/settings_file.h"
#include "temp_folder.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace {

// Counts the requests for defaults and the searches for the logo file.
SettingsEnvironment TestEnvironment(int* defaultsAsked = nullptr, int* searches = nullptr)
{
    SettingsEnvironment env;
    env.MakeDefaults = [defaultsAsked] {
        if (defaultsAsked)
            ++*defaultsAsked;
        return SettingsDefaults{"Orvalin PDF", "Courier New", "/home/user/Spool/"};
    };
    env.FileExists = [searches](const std::string& path) {
        if (searches)
            ++*searches;
        return QFile::exists(QString::fromStdString(path));
    };
    return env;
}

const QByteArray FirstStartBytes = "\"Orvalin PDF\"\r\n\"Courier New\"\r\n10\r\n3000\r\n0.8\r\n"
                                   "\"/home/user/Spool/\"\r\n\"text.txt\"\r\n\"\"\r\n\"\"\r\n0\r\n0\r\n";

QByteArray WithLine(QByteArray bytes, int line, const QByteArray& value)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines[line - 1] = value + "\r";
    return lines.join('\n');
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
    std::optional<TempFolder> folder_; // one for each test function
    std::filesystem::path File() const { return folder_->fsPath() / SettingsFileName; }
    std::pair<Settings, Rules> Load(const SettingsEnvironment& env = TestEnvironment())
    {
        std::pair<Settings, Rules> loaded;
        LoadSettings(File(), loaded.first, loaded.second, env);
        return loaded;
    }

private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }
    void init() { folder_.emplace(); }
    void cleanup() { folder_.reset(); }

    void firstStartWritesTheElevenLinesAndReadsThemBack()
    {
        Settings s;
        Rules rules;
        rules.ControlChars.push_back(ControlChar{"x", "np"}); // left over from before: dropped
        int asked = 0;
        LoadSettings(File(), s, rules, TestEnvironment(&asked));
        QCOMPARE(folder_->read(SettingsFileName), FirstStartBytes);
        QCOMPARE(rules.HighestIndex(), 0);
        QVERIFY(s.FontSize == 10 && s.PollInterval == 3000 && s.LeftMargin == 0.8 && !s.LogoEnabled
                && s.SpoolFolder == "/home/user/Spool/");
        const auto [again, againRules] = Load(TestEnvironment(&asked)); // no defaults asked this time
        QCOMPARE(asked, 1);
        QCOMPARE(QByteArray::fromStdString(SettingsFileBytes(again, againRules)), FirstStartBytes);
        QCOMPARE(folder_->read(SettingsFileName), FirstStartBytes);
    }

    void textsWithCommasQuotesAndAccentsRoundTrip()
    {
        auto [s, rules] = Load();
        s.PrinterName = "HP, 2. emelet";
        s.LogoCondition = "SZ\xC1MLA \"A\" t\xEDpus"; // CP1250 accents and double quotes
        s.SpoolFolder = "/data/a,b/";
        s.FontSize = -3;
        s.PollInterval = 2147483647;
        s.LeftMargin = 1.0 / 3;
        s.LogoX = 1440.5f;
        s.LogoY = -0.1f;
        SaveSettings(File(), s, rules);
        const QByteArray saved = folder_->read(SettingsFileName);
        QVERIFY(saved.contains("\"SZ\xC1MLA \"A\" t\xEDpus\"\r\n"));
        const auto [back, backRules] = Load();
        QCOMPARE(back.LogoCondition, s.LogoCondition);
        SaveSettings(File(), back, backRules); // every value read back saves to the same bytes
        QCOMPARE(folder_->read(SettingsFileName), saved);
    }

    // Read as they are and left as they are: the folder gains its separator only in memory; the logo
    // is on when its line names an existing file, and blanks only are not even looked for.
    void readableVariants()
    {
        QByteArray lf = FirstStartBytes;
        lf.replace("\r\n", "\n");
        folder_->write("logo.bmp", "BM");
        const auto logo = [this](const char* name) { return "\"" + folder_->file(name).toUtf8() + "\""; };
        const struct {
            QByteArray bytes;
            std::string folder, landscape;
            int searches;
            bool logo;
        } rows[] = {
            {WithLine(FirstStartBytes, 5, ".8"), "/home/user/Spool/", "", 0, false},
            {WithLine(FirstStartBytes, 6, "\"/var/spool/legacy\""), "/var/spool/legacy/", "", 0, false},
            {WithLine(FirstStartBytes, 6, "\"\""), "/", "", 0, false},
            {lf + "\"ol  27 76\"", "/home/user/Spool/", "\x1BL", 0, false}, // LF lines, the last without one
            {WithLine(FirstStartBytes, 8, "\"   \""), "/home/user/Spool/", "", 0, false},
            {WithLine(FirstStartBytes, 8, logo("missing.bmp")), "/home/user/Spool/", "", 1, false},
            {WithLine(FirstStartBytes, 8, logo("logo.bmp")), "/home/user/Spool/", "", 1, true},
        };
        for (const auto& row : rows) {
            folder_->write(SettingsFileName, row.bytes);
            int searches = 0;
            const auto [s, rules] = Load(TestEnvironment(nullptr, &searches));
            QVERIFY2(s.LeftMargin == 0.8 && s.SpoolFolder == row.folder && rules.LandscapeChars == row.landscape
                         && rules.HighestIndex() == (row.landscape.empty() ? 0 : 1) && searches == row.searches
                         && s.LogoEnabled == row.logo && folder_->read(SettingsFileName) == row.bytes,
                     row.bytes.constData());
        }
    }

    void rulesLoadSortedAndEmptyLinesAreSkipped()
    {
        folder_->write(SettingsFileName,
                       FirstStartBytes + "\"bb  27\"\r\n\r\n\"\"\r\n\"eb  28\"\r\n\"np  27 12\"\r\n\r\n");
        int events = 0;
        SettingsEnvironment env = TestEnvironment();
        env.ProcessEvents = [&events] { ++events; };
        const auto [s, rules] = Load(env);
        QCOMPARE(rules.HighestIndex(), 3);
        QVERIFY(events > 0);
        // The sorted order (the A, B, C example) is the next save's order.
        SaveSettings(File(), s, rules);
        QVERIFY(folder_->read(SettingsFileName).endsWith("\"np  27 12\"\r\n\"eb  28\"\r\n\"bb  27\"\r\n"));
    }

    void unusableFilesStopTheLoadAndStayAsTheyWere()
    {
        const struct {
            QByteArray bytes;
            const char* problem;
        } rows[] = {
            {FirstStartBytes.left(FirstStartBytes.indexOf("0\r\n0\r\n")), "LogoX is missing"},
            {QByteArray(), "PrinterName is missing"},
            {WithLine(FirstStartBytes, 3, "ten"), "line 3 (FontSize)"},
            {WithLine(FirstStartBytes, 4, "\"3000\""), "line 4 (PollInterval)"}, // a quoted number
            {WithLine(FirstStartBytes, 3, "40000"), "out of range"},
            {WithLine(FirstStartBytes, 5, "0,8"), "line 5 (LeftMargin)"},
            {WithLine(FirstStartBytes, 5, "1e999"), "line 5 (LeftMargin)"},
            {WithLine(FirstStartBytes, 10, "1e39"), "line 10 (LogoX)"}, // beyond a float
            {FirstStartBytes + "\"np 256\"\r\n", "line 12"},
            {WithLine(FirstStartBytes, 2, QByteArray("\"Cour\0ier\"", 10)), "NUL"},
        };
        for (const auto& row : rows) {
            folder_->write(SettingsFileName, row.bytes);
            Settings s;
            Rules rules;
            QString message;
            try {
                LoadSettings(File(), s, rules, TestEnvironment());
            } catch (const OrvalinError& e) {
                message = QString::fromStdString(e.what());
            }
            QVERIFY2(message.contains(row.problem) && message.contains(folder_->file(SettingsFileName)),
                     qPrintable(row.problem + (": " + message)));
            QCOMPARE(folder_->read(SettingsFileName), row.bytes);
            QCOMPARE(rules.HighestIndex(), 0);
        }
    }

    // A full disk, made by the file size limit: the save fails, the old file stays, no temporary.
    void aFailedSaveLeavesTheOldFileIntact()
    {
        auto [s, rules] = Load();
        s.LogoCondition = std::string(4096, 'x');
        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = old;
        tiny.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &tiny);
        QString message;
        try {
            SaveSettings(File(), s, rules);
        } catch (const OrvalinError& e) {
            message = QString::fromStdString(e.what());
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY2(message.contains("cannot be written"), qPrintable(message));
        QCOMPARE(folder_->read(SettingsFileName), FirstStartBytes);
        QCOMPARE(AllFilesIn(folder_->path()).size(), 1);
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
