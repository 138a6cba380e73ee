// The command line chooses the mode, the one-shot file and the orientation; the icon's tip names
// the watched folder and file.
#include "platform/code_pages.h"
#include "shell/command_line.h"
#include "shell/tray_tip.h"

#include <QTest>

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }

    // A lower-case name without a slash polls; "1" after one blank asks for landscape.
    void split()
    {
        const struct {
            const char *line, *file, *orientation;
            bool poll;
        } rows[] = {
            {"", "", "0", false},
            {"   ", "", "0", false},
            {"C:\\DATA\\OUT.TXT 1", "C:\\DATA\\OUT.TXT", "1", false},
            {"c:\\data\\out.txt", "c:\\data\\out.txt", "0", true},
            {"c:\\x 1", "c:\\x", "1", true},
            {"FILE  1", "FILE", "0", false},  // two blanks
            {"FILE 2", "FILE", "0", false},   // only 1 is landscape
            {"FILE 1 x", "FILE", "0", false}, // trailing text
            {"12345", "12345", "0", false},   // digits have no case
            {"SPOOL\\ÁRVÍZő", "SPOOL\\ÁRVÍZő", "0", true},
            {"/srv/spool/out.txt 1", "/srv/spool/out.txt", "1", false}, // a slash makes a path
            {"spool/out.txt", "spool/out.txt", "0", false},
            {"/SPOOL/ÁRVÍZő", "/SPOOL/ÁRVÍZő", "0", false},
            {"/SPOOL/ÁRVÍZŐ", "/SPOOL/ÁRVÍZŐ", "0", false},
            {"  /OUT.TXT 1  ", "/OUT.TXT", "1", false},
            {"/MY FILES/OUT.TXT", "/MY", "0", false}, // split at the first blank
        };
        for (const auto& row : rows) {
            const StartupValues values = ParseCommandLine(row.line);
            QVERIFY2(AnsiCodePage().ToUtf8(values.CmdFile) == row.file && values.CmdPath.string() == row.file
                         && values.CmdOrientation == row.orientation && values.PollMode == row.poll
                         && QString::fromStdString(AnsiCodePage().ToUtf8(values.CmdLine))
                                == QString::fromUtf8(row.line).trimmed(),
                     row.line);
        }
        // The file to print keeps its name even where the settings' code page has no such letter.
        const StartupValues values = ParseCommandLine("/tmp/Ωmega.txt 1");
        QCOMPARE(values.CmdFile, std::string("/tmp/?mega.txt"));
        QCOMPARE(values.CmdPath.string(), std::string("/tmp/Ωmega.txt"));
    }

    // Folder and name are ANSI texts; the tip is cut at 63 characters.
    void trayTip()
    {
        QCOMPARE(TrayTipText("/home/kov\xE1"
                             "cs/",
                             "sz\xE1mla.txt"),
                 QStringLiteral("Orvalinó (/home/kovács/számla.txt)"));
        const std::string at63 = "/" + std::string(40, 'a') + "/", at64 = "/" + std::string(41, 'a') + "/";
        QCOMPARE(TrayTipText(at63, "sz\xE1mla.txt"), "Orvalinó (" + QString::fromStdString(at63) + "számla.txt)");
        QCOMPARE(TrayTipText(at64, "sz\xE1mla.txt"), "Orvalinó (" + QString::fromStdString(at64) + "számla.txt");
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
