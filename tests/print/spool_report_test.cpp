// The report of "--explain" on spool files whose sequences are known: head decisions, every
// sequence's fate, overlong lines and the page count from the real job on a counting printer.
#include "common/errors.h"
#include "print/spool_report.h"
#include "spool_rig.h"

#include <QTest>

namespace {

struct ReportRig : SpoolRig {
    CountingPrinter printer{"Counter", 11906, 16838};

    std::string Explain(const QByteArray& bytes, const std::string& orientation = "0")
    {
        return ExplainSpoolFile(Write(bytes), orientation, global, printer);
    }
    // The report without its first line, which names the temporary file.
    std::string Findings(const QByteArray& bytes, const std::string& orientation = "0")
    {
        const std::string report = Explain(bytes, orientation);
        return report.substr(report.find('\n') + 1);
    }
};

QByteArray Lines(std::initializer_list<QByteArray> lines)
{
    QByteArray joined;
    for (const QByteArray& line : lines)
        joined += (joined.isEmpty() ? "" : "\r\n") + line;
    return joined;
}

// The line of a report that starts with prefix.
std::string LineStarting(const std::string& report, const std::string& prefix)
{
    const std::size_t start = report.find("\n" + prefix);
    if (start == std::string::npos)
        return {};
    return report.substr(start + 1, report.find('\n', start + 1) - start - 1);
}

} // namespace

class TestSpoolReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySequenceAndItsFate();
    void headDecisions_data();
    void headDecisions();
    void logoThatCannotBeLoaded();
    void overlongLineStopsTheJob();
    void pagesCountOnlyPagesWithOutput_data();
    void pagesCountOnlyPagesWithOutput();
    void fileIsNeverDeleted();
    void missingFileIsAnError();
    void unknownActionLabel();
};

void TestSpoolReport::everySequenceAndItsFate()
{
    ReportRig rig;
    rig.Rule("\x1b"
             "E",
             "bb");
    rig.Rule("\x1b"
             "F",
             "eb");
    rig.Rule("\x0c", "np");
    rig.Rule(std::string(1, '\0'), "");
    rig.Rule("\x1b&", "ol");
    rig.Rule("\x1b!", "12");
    const QByteArray file = Lines({
        "ACME \x1b&l1O",
        QByteArray("\x1b"
                   "EBold\x1b"
                   "F plain\0\0",
                   16),
        "\x1b(s3B text\x07",
        "x\x1b"
        "Ey\x0cz",
        "big\x1b!text\x1b",
        "unix\nline",
    });
    const std::filesystem::path path = rig.Write(file);
    QCOMPARE(ExplainSpoolFile(path, "0", rig.global, rig.printer),
             "File: " + path.string()
                 + "\n"
                   "Orientation: landscape (trigger 27 38 in line 1)\n"
                   "Logo: no (no logo file)\n"
                   "Control sequences:\n"
                   "  27 38: 1 time, first in line 1: Orientation Landscape (rule 5)\n"
                   "  27 69: 2 times, first in line 2: Begin bold (rule 1)\n"
                   "  27 70: 1 time, first in line 2: End bold (rule 2)\n"
                   "  0: 2 times, first in line 2: Ignore (rule 4)\n"
                   "  27 40: 1 time, first in line 3: printed as a character\n"
                   "  7: 1 time, first in line 3: printed as a character\n"
                   "  12: 1 time, first in line 4: Page break (rule 3)\n"
                   "  27 33: 1 time, first in line 5: Font size: 12 (rule 6)\n"
                   "  27: 1 time, first in line 5: printed as a character\n"
                   "  10: 1 time, first in line 6: printed as a character\n"
                   "Overlong lines:\n"
                   "  none\n"
                   "Pages: 2\n");
}

void TestSpoolReport::headDecisions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<QString>("orientationLine");
    QTest::addColumn<QString>("logoLine");

    const QByteArray seventh = Lines({"1", "2", "3", "4", "5", "6", "ACME \x1bL \x1bP"});
    QTest::newRow("nothing in the head") << Lines({"plain", "text"}) << "0" << true
                                         << "Orientation: portrait (no orientation trigger in the first 6 lines)"
                                         << "Logo: no (condition \"ACME\" not in the first 6 lines)";
    QTest::newRow("the argument asks for landscape")
        << Lines({"plain"}) << "1" << false << "Orientation: landscape (no orientation trigger in the first 6 lines)"
        << "Logo: no (no logo file)";
    QTest::newRow("portrait trigger and logo condition")
        << Lines({"a", "ACME", "x\x1bP"}) << "1" << true << "Orientation: portrait (trigger 27 80 in line 3)"
        << "Logo: yes (condition \"ACME\" in line 2)";
    QTest::newRow("landscape wins over an earlier portrait")
        << Lines({"\x1bP", "", "", "", "\x1bL", "ACME"}) << "0" << true
        << "Orientation: landscape (trigger 27 76 in line 5)"
        << "Logo: yes (condition \"ACME\" in line 6)";
    QTest::newRow("the seventh line is not the head")
        << seventh << "0" << true << "Orientation: portrait (no orientation trigger in the first 6 lines)"
        << "Logo: no (condition \"ACME\" not in the first 6 lines)";
    QTest::newRow("a condition across a line end")
        << Lines({"AC", "ME"}) << "0" << true << "Orientation: portrait (no orientation trigger in the first 6 lines)"
        << "Logo: no (condition \"ACME\" not in the first 6 lines)";
}

void TestSpoolReport::headDecisions()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, orientation);
    QFETCH(bool, logo);
    QFETCH(QString, orientationLine);
    QFETCH(QString, logoLine);
    ReportRig rig;
    rig.Rule("\x1bL", "ol");
    rig.Rule("\x1bP", "op");
    if (logo) {
        rig.global.settings.LogoFile = "/nowhere/logo.bmp";
        rig.global.settings.LogoCondition = "ACME";
        rig.global.settings.LogoEnabled = true;
    }
    const std::string report = rig.Explain(file, orientation.toStdString());
    QCOMPARE(LineStarting(report, "Orientation: "), orientationLine.toStdString());
    QCOMPARE(LineStarting(report, "Logo: "), logoLine.toStdString());
}

void TestSpoolReport::logoThatCannotBeLoaded()
{
    ReportRig rig;
    rig.global.settings.LogoFile = "/nowhere/logo.bmp";
    rig.global.settings.LogoCondition = "ACME";
    rig.global.settings.LogoEnabled = false; // what start-up leaves when the picture cannot be read
    QCOMPARE(LineStarting(rig.Explain("ACME"), "Logo: "),
             "Logo: no (the logo file /nowhere/logo.bmp cannot be loaded)");
}

void TestSpoolReport::overlongLineStopsTheJob()
{
    ReportRig rig;
    rig.Rule("\x07", "");
    const std::string findings = rig.Findings(Lines({"short\x07", QByteArray(40000, 'x') + "\x07", "\x07"}));
    QCOMPARE(findings.substr(findings.find("Control sequences:")),
             "Control sequences:\n"
             "  7: 2 times, first in line 1: Ignore (rule 1)\n"
             "Overlong lines:\n"
             "  line 2: 40001 characters, at most 32767 can be printed in one line\n"
             "Pages: none (the job stops at line 2)\n");
}

void TestSpoolReport::pagesCountOnlyPagesWithOutput_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<QString>("pages");
    QTest::newRow("empty file") << QByteArray() << false << "Pages: 0";
    QTest::newRow("one line") << QByteArray("text") << false << "Pages: 1";
    QTest::newRow("break before any output") << Lines({"\x0c"
                                                       "first",
                                                       "second"})
                                             << false << "Pages: 1";
    QTest::newRow("two breaks") << Lines({"one\x0c", "two\x0c", "three"}) << false << "Pages: 3";
    QTest::newRow("break on the last line prints as a blank") << Lines({"one", "two\x0c"}) << false << "Pages: 1";
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "line\r\n";
    // 70 lines of 1/6 inch fit on the counting printer's A4 page.
    QTest::newRow("200 lines fill three pages") << lines << false << "Pages: 3";
    QTest::newRow("logo page alone") << Lines({"ACME", "two"}) << true << "Pages: 1";
    QTest::newRow("logo page, then the rest") << Lines({"ACME", "two\x0c", "three"}) << true << "Pages: 2";
    QTest::newRow("no condition, no logo page") << Lines({"two\x0c", "three"}) << true << "Pages: 2";
}

void TestSpoolReport::pagesCountOnlyPagesWithOutput()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, logo);
    QFETCH(QString, pages);
    ReportRig rig;
    rig.Rule("\x0c", "np");
    rig.global.settings.LogoFile = logo ? "/nowhere/logo.bmp" : "";
    rig.global.settings.LogoCondition = "ACME";
    rig.global.settings.LogoEnabled = logo;
    QCOMPARE(LineStarting(rig.Explain(file), "Pages: "), pages.toStdString());
}

void TestSpoolReport::fileIsNeverDeleted()
{
    ReportRig rig;
    rig.global.startup.PollMode = true; // a job in polling mode would delete what it printed
    rig.Explain("text");
    QVERIFY(rig.Exists());
}

void TestSpoolReport::missingFileIsAnError()
{
    ReportRig rig;
    QVERIFY_THROWS_EXCEPTION(OrvalinError,
                             ExplainSpoolFile(rig.folder.fsPath() / "absent.txt", "0", rig.global, rig.printer));
    QVERIFY_THROWS_EXCEPTION(OrvalinError, ExplainSpoolFile(rig.folder.fsPath(), "0", rig.global, rig.printer));
}

void TestSpoolReport::unknownActionLabel()
{
    QCOMPARE(ActionLabelOf(BuildActionTable(), "zz"), "unknown action \"zz\", dropped");
}

QTEST_GUILESS_MAIN(TestSpoolReport)
#include "spool_report_test.moc"
