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

    void split_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("cmdFile");
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<bool>("pollMode");
        QTest::newRow("empty: plain window") << ""
                                             << ""
                                             << "0" << false;
        QTest::newRow("blanks only") << "   "
                                     << ""
                                     << "0" << false;
        QTest::newRow("capitals with landscape") << "C:\\DATA\\OUT.TXT 1"
                                                 << "C:\\DATA\\OUT.TXT"
                                                 << "1" << false;
        QTest::newRow("lower case: polling") << "c:\\data\\out.txt"
                                             << "c:\\data\\out.txt"
                                             << "0" << true;
        QTest::newRow("polling in landscape") << "c:\\x 1"
                                              << "c:\\x"
                                              << "1" << true;
        QTest::newRow("two blanks before 1") << "FILE  1"
                                             << "FILE"
                                             << "0" << false;
        QTest::newRow("orientation 2") << "FILE 2"
                                       << "FILE"
                                       << "0" << false;
        QTest::newRow("trailing text after 1") << "FILE 1 x"
                                               << "FILE"
                                               << "0" << false;
        QTest::newRow("digits only") << "12345"
                                     << "12345"
                                     << "0" << false;
        QTest::newRow("accented lower case") << "SPOOL\\ÁRVÍZő"
                                             << "SPOOL\\ÁRVÍZő"
                                             << "0" << true;
        QTest::newRow("a slash makes a path: lower case") << "/srv/spool/out.txt 1"
                                                          << "/srv/spool/out.txt"
                                                          << "1" << false;
        QTest::newRow("a slash makes a path: relative") << "spool/out.txt"
                                                        << "spool/out.txt"
                                                        << "0" << false;
        QTest::newRow("a slash makes a path: accented") << "/SPOOL/ÁRVÍZő"
                                                        << "/SPOOL/ÁRVÍZő"
                                                        << "0" << false;
        QTest::newRow("accented capitals") << "/SPOOL/ÁRVÍZŐ"
                                           << "/SPOOL/ÁRVÍZŐ"
                                           << "0" << false;
        QTest::newRow("blanks around") << "  /OUT.TXT 1  "
                                       << "/OUT.TXT"
                                       << "1" << false;
        QTest::newRow("path with blanks splits at the first") << "/MY FILES/OUT.TXT"
                                                              << "/MY"
                                                              << "0" << false;
    }
    void split()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, cmdFile);
        QFETCH(QString, orientation);
        QFETCH(bool, pollMode);
        const StartupValues values = ParseCommandLine(commandLine.toStdString());
        QCOMPARE(QString::fromStdString(AnsiCodePage().ToUtf8(values.CmdFile)), cmdFile);
        QCOMPARE(QString::fromStdString(values.CmdOrientation), orientation);
        QCOMPARE(values.PollMode, pollMode);
        QCOMPARE(QString::fromStdString(AnsiCodePage().ToUtf8(values.CmdLine)), commandLine.trimmed());
        QCOMPARE(QString::fromStdString(values.CmdPath.string()), cmdFile);
    }

    // The file to print keeps its name even where the settings' code page has no such letter.
    void theOneShotPathDoesNotGoThroughTheCodePage()
    {
        const StartupValues values = ParseCommandLine("/tmp/Ωmega.txt 1");
        QCOMPARE(values.CmdFile, std::string("/tmp/?mega.txt"));
        QCOMPARE(QString::fromStdString(values.CmdPath.string()), QStringLiteral("/tmp/Ωmega.txt"));
    }

    // Folder and name are ANSI texts; the tip is cut at 63 characters.
    void trayTip_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QString>("tip");
        QTest::newRow("accented") << QByteArray("/home/kov\xE1"
                                                "cs/")
                                  << QStringLiteral("Orvalinó (/home/kovács/sz\u00E1mla.txt)");
        QTest::newRow("63: whole") << "/" + QByteArray(40, 'a') + "/"
                                   << "Orvalinó (/" + QString(40, 'a') + "/sz\u00E1mla.txt)";
        QTest::newRow("64: cut") << "/" + QByteArray(41, 'a') + "/"
                                 << "Orvalinó (/" + QString(41, 'a') + "/sz\u00E1mla.txt";
    }
    void trayTip()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QString, tip);
        QCOMPARE(TrayTipText(folder.toStdString(), "sz\xE1mla.txt"), tip);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
