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
    std::string Line(const QByteArray& bytes, const std::string& prefix, const std::string& orientation = "0")
    {
        const std::string report = Explain(bytes, orientation);
        const std::size_t start = report.find("\n" + prefix);
        return start == std::string::npos ? "" : report.substr(start + 1, report.find('\n', start + 1) - start - 1);
    }
    void Logo(bool enabled)
    {
        global.settings.LogoFile = "/nowhere/logo.bmp";
        global.settings.LogoCondition = "ACME";
        global.settings.LogoEnabled = enabled; // false is what start-up leaves when the picture cannot be read
    }
};

QByteArray Lines(std::initializer_list<QByteArray> lines) { return QByteArrayList(lines).join("\r\n"); }

} // namespace

class TestSpoolReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySequenceAndItsFate()
    {
        ReportRig rig;
        for (auto [trigger, action] :
             {std::pair{"\033E", "bb"}, {"\033F", "eb"}, {"\f", "np"}, {"", ""}, {"\033&", "ol"}, {"\033!", "12"}})
            rig.Rule(*trigger ? trigger : std::string(1, '\0'), action);
        const QByteArray file = Lines({"ACME \033&l1O", QByteArray("\033EBold\033F plain\0\0", 16), "\033(s3B text\a",
                                       "x\033Ey\fz", "big\033!text\033", "unix\nline"});
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
    void headDecisions_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<int>("logo"); // 0 none, 1 a logo, 2 a logo that could not be loaded
        QTest::addColumn<QString>("orientationLine");
        QTest::addColumn<QString>("logoLine");
        const QString upright = "Orientation: portrait (no orientation trigger in the first 6 lines)";
        const QString notInHead = "Logo: no (condition \"ACME\" not in the first 6 lines)";
        QTest::newRow("nothing in the head") << Lines({"plain", "text"}) << "0" << 1 << upright << notInHead;
        QTest::newRow("the argument asks for landscape")
            << Lines({"plain"}) << "1" << 0 << "Orientation: landscape (no orientation trigger in the first 6 lines)"
            << "Logo: no (no logo file)";
        QTest::newRow("portrait trigger and logo condition")
            << Lines({"a", "ACME", "x\033P"}) << "1" << 1 << "Orientation: portrait (trigger 27 80 in line 3)"
            << "Logo: yes (condition \"ACME\" in line 2)";
        QTest::newRow("landscape wins over an earlier portrait")
            << Lines({"\033P", "", "", "", "\033L", "ACME"}) << "0" << 1
            << "Orientation: landscape (trigger 27 76 in line 5)"
            << "Logo: yes (condition \"ACME\" in line 6)";
        QTest::newRow("the seventh line is not the head")
            << Lines({"1", "2", "3", "4", "5", "6", "ACME \033L \033P"}) << "0" << 1 << upright << notInHead;
        QTest::newRow("a condition across a line end") << Lines({"AC", "ME"}) << "0" << 1 << upright << notInHead;
        QTest::newRow("a logo that cannot be loaded")
            << Lines({"ACME"}) << "0" << 2 << upright << "Logo: no (the logo file /nowhere/logo.bmp cannot be loaded)";
    }
    void headDecisions()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, orientation);
        QFETCH(int, logo);
        QFETCH(QString, orientationLine);
        QFETCH(QString, logoLine);
        ReportRig rig;
        rig.Rule("\033L", "ol");
        rig.Rule("\033P", "op");
        if (logo != 0)
            rig.Logo(logo == 1);
        QCOMPARE(rig.Line(file, "Orientation: ", orientation.toStdString()), orientationLine.toStdString());
        QCOMPARE(rig.Line(file, "Logo: ", orientation.toStdString()), logoLine.toStdString());
    }
    void overlongLineStopsTheJob()
    {
        ReportRig rig;
        rig.Rule("\a", "");
        const std::string report = rig.Explain(Lines({"short\a", QByteArray(40000, 'x') + "\a", "\a"}));
        QCOMPARE(report.substr(report.find("Control sequences:")),
                 "Control sequences:\n"
                 "  7: 2 times, first in line 1: Ignore (rule 1)\n"
                 "Overlong lines:\n"
                 "  line 2: 40001 characters, at most 32767 can be printed in one line\n"
                 "Pages: none (the job stops at line 2)\n");
    }
    void pagesCountOnlyPagesWithOutput_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("logo");
        QTest::addColumn<QString>("pages");
        QTest::newRow("empty file") << QByteArray() << false << "Pages: 0";
        QTest::newRow("one line") << QByteArray("text") << false << "Pages: 1";
        QTest::newRow("break before any output") << Lines({"\ffirst", "second"}) << false << "Pages: 1";
        QTest::newRow("two breaks") << Lines({"one\f", "two\f", "three"}) << false << "Pages: 3";
        QTest::newRow("break on the last line prints as a blank") << Lines({"one", "two\f"}) << false << "Pages: 1";
        // 70 lines of 1/6 inch fit on the counting printer's A4 page.
        QTest::newRow("200 lines fill three pages") << QByteArray("line\r\n").repeated(200) << false << "Pages: 3";
        QTest::newRow("logo page alone") << Lines({"ACME", "two"}) << true << "Pages: 1";
        QTest::newRow("logo page, then the rest") << Lines({"ACME", "two\f", "three"}) << true << "Pages: 2";
        QTest::newRow("no condition, no logo page") << Lines({"two\f", "three"}) << true << "Pages: 2";
    }
    void pagesCountOnlyPagesWithOutput()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, logo);
        QFETCH(QString, pages);
        ReportRig rig;
        rig.Rule("\f", "np");
        if (logo)
            rig.Logo(true);
        QCOMPARE(rig.Line(file, "Pages: "), pages.toStdString());
    }
    // The report only reads: a job in polling mode would delete what it printed.
    void fileIsOnlyRead()
    {
        ReportRig rig;
        rig.global.startup.PollMode = true;
        rig.Explain("text");
        QVERIFY(rig.Exists());
        QVERIFY_THROWS_EXCEPTION(OrvalinError,
                                 ExplainSpoolFile(rig.folder.fsPath() / "absent.txt", "0", rig.global, rig.printer));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, ExplainSpoolFile(rig.folder.fsPath(), "0", rig.global, rig.printer));
        QCOMPARE(ActionLabelOf(BuildActionTable(), "zz"), "unknown action \"zz\", dropped");
    }
};

QTEST_GUILESS_MAIN(TestSpoolReport)
#include "spool_report_test.moc"
