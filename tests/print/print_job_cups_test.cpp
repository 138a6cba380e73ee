// Spool files through PrintJob onto a CUPS queue whose driver declares unprintable margins, with a
// private scheduler and the system's PDF filter between the job and the saved document: text lands
// at the margins plus the layout's offsets, nothing is scaled, and a logo job is one job.
#include "backend_job.h"
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "private_cups.h"

#include <QTest>

#include <cmath>

namespace {

constexpr int JobWaitMs = 60000;
// The queue's margins in points: all four differ, so that a side mixed up shows.
const QMarginsF QueueMargins(20, 30, 15, 25);

// A CUPS queue, 1 cm of margin, form feeds as page breaks.
struct CupsRig : BackEndJob {
    explicit CupsRig(const std::string& queue) : BackEndJob(queue, 1) { Rule("\f", "np"); }
};

} // namespace

class TestPrintJobCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(cups_.start(), qPrintable(cups_.lastError()));
        QVERIFY2(cups_.addQueueWithMargins(QStringLiteral("office"), QueueMargins), qPrintable(cups_.lastError()));
    }
    void cleanupTestCase() { cups_.stop(); }
    void textSitsOnThePrintableArea();
    void logoJobIsOneJob();
    void styledTextKeepsItsFontsAndLetters();

private:
    PrivateCups cups_;
};

void TestPrintJobCups::textSitsOnThePrintableArea()
{
    CupsRig rig("office");
    QVERIFY(rig.printers->Select("office"));
    // The engine sees the printable area, turned with the paper for landscape.
    QVERIFY2(std::fabs(rig.printers->Current().PageWidth() - (595 - 20 - 15) * 20) < 5,
             qPrintable(QString::number(rig.printers->Current().PageWidth())));
    QVERIFY(std::fabs(rig.printers->Current().PageHeight() - (842 - 30 - 25) * 20) < 5);
    rig.printers->Current().SetOrientation(PageOrientation::Landscape);
    QVERIFY(std::fabs(rig.printers->Current().PageWidth() - (842 - 25 - 30) * 20) < 5);
    QVERIFY(std::fabs(rig.printers->Current().PageHeight() - (595 - 20 - 15) * 20) < 5);

    const int before = cups_.savedJobs(QStringLiteral("office")).size();
    QVERIFY(rig.Print("First line\r\nhead\fSecond page\r\nbelow\r\n"));
    QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("office"), before + 1, JobWaitMs), qPrintable(cups_.errorLog()));
    const QString saved = cups_.savedJobs(QStringLiteral("office")).constLast();
    // Nothing is shrunk to the printable area: the filter was told so.
    const QString options = cups_.savedJobOptions(saved);
    QVERIFY2(options.contains(QStringLiteral("print-scaling=none")), qPrintable(options));
    QCOMPARE(PdfPageCount(saved), 2);
    const QSizeF sheet = PdfPageSize(saved, 1);
    QVERIFY(std::fabs(sheet.width() - 595) < 1 && std::fabs(sheet.height() - 842) < 1);

    // 1 cm of left margin is 28.35 points; a line is 12 points.
    const double left = QueueMargins.left() + 567 / 20.0;
    const PdfWord first = FindPdfWord(saved, QStringLiteral("First"));
    QVERIFY2(WordAt(first, 1, left, QueueMargins.top()), qPrintable(DescribeWord(first)));
    const PdfWord head = FindPdfWord(saved, QStringLiteral("head"));
    QVERIFY2(std::fabs(head.yMin - (QueueMargins.top() + 12)) < PdfTolerance, qPrintable(DescribeWord(head)));
    // After the page break in the middle of the line, the rest starts the new page at the margin.
    const PdfWord second = FindPdfWord(saved, QStringLiteral("Second"));
    QVERIFY2(WordAt(second, 2, left, QueueMargins.top()), qPrintable(DescribeWord(second)));
    const PdfWord below = FindPdfWord(saved, QStringLiteral("below"));
    QVERIFY2(below.page == 2 && std::fabs(below.yMin - (QueueMargins.top() + 12)) < PdfTolerance, qPrintable(DescribeWord(below)));
}

void TestPrintJobCups::logoJobIsOneJob()
{
    QVERIFY2(cups_.addQueue(QStringLiteral("letterhead")), qPrintable(cups_.lastError()));
    CupsRig rig("letterhead");
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "INVOICE";
    rig.logo = QImage(48, 24, QImage::Format_RGB32);
    rig.logo.fill(Qt::darkGreen);
    QVERIFY(rig.Print("INVOICE 7\r\nover the logo\f\r\nrest of it\r\n"));
    QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("letterhead"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
    // The logo page and the rest arrive as one job, so no other job can come between them.
    QCOMPARE(cups_.jobCount(QStringLiteral("letterhead")), 1);
    const QString saved = cups_.savedJobs(QStringLiteral("letterhead")).constFirst();
    QCOMPARE(PdfPageCount(saved), 2);
    QCOMPARE(FindPdfWord(saved, QStringLiteral("INVOICE")).page, 1);
    QCOMPARE(FindPdfWord(saved, QStringLiteral("rest")).page, 2);
    QCOMPARE(PdfImageCount(saved), 1);
}

// The same PDF the built-in printer files reaches the queue: through the scheduler and its filter
// the fonts stay embedded subsets with Unicode maps, the code page's letters read back, and the
// styled runs keep their places.
void TestPrintJobCups::styledTextKeepsItsFontsAndLetters()
{
    CupsRig rig("office");
    rig.global.settings.FontName = "Courier New";
    rig.global.rules.ControlChars.push_back(ControlChar{"\x1b" "E", "bb"});
    rig.global.rules.ControlChars.push_back(ControlChar{"\x1b" "F", "eb"});
    rig.global.rules.ControlChars.push_back(ControlChar{"\x1b" "4", "bi"});
    rig.global.rules.ControlChars.push_back(ControlChar{"\x1b" "5", "ei"});
    SelectCodePages({"CP1250", "CP852"});
    const int before = cups_.savedJobs(QStringLiteral("office")).size();
    QVERIFY(rig.Print("plain \x1b" "Ebold\x1b" "F \x1b" "4italic\x1b" "5\r\n\xc9\xcd\xbb \xa0rv\xa1zt\xfbr\x8b\r\n"));
    QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("office"), before + 1, JobWaitMs), qPrintable(cups_.errorLog()));
    const QString saved = cups_.savedJobs(QStringLiteral("office")).constLast();
    const QList<PdfFontInfo> fonts = PdfFontTable(saved);
    QCOMPARE(fonts.size(), 3);
    for (const PdfFontInfo& font : fonts)
        QVERIFY2(font.embedded && font.subset && font.unicode, qPrintable(font.name));
    const QString text = PdfText(saved);
    QVERIFY2(text.contains(QStringLiteral("plain bold italic")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("╔═╗ árvíztűrő")), qPrintable(text));
    // Courier New's stand-in advances 0.6 em: "bold" starts six cells after the margin.
    const double left = QueueMargins.left() + 567 / 20.0;
    const PdfWord bold = FindPdfWord(saved, QStringLiteral("bold"));
    QVERIFY2(WordAt(bold, bold.page, left + 6 * 10 * 1229 / 2048.0, QueueMargins.top()), qPrintable(DescribeWord(bold)));
}

QTEST_MAIN(TestPrintJobCups)
#include "print_job_cups_test.moc"
