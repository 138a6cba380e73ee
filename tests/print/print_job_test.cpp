// Whole spool files through PrintJob onto recording printers: printer choice, set-up, head,
// orientation, logo decision, line reading, form feeds, documents, deletion and bad input.
#include "common/errors.h"
#include "print/head_search.h"
#include "print/logo_picture.h"
#include "print/print_job.h"
#include "print/spool_file.h"
#include "recording_target.h"
#include "spool_rig.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>

namespace {

struct JobRig : SpoolRig {
    RecordingPrinters printers{{"Alpha", "Beta", "Gamma"}};
    RecordingCanvas canvas;
    PrintJobContext context{global.settings, global.rules, global.print, false, printers, canvas, {}};

    RecordingPrinter& Recorder() { return printers.CurrentRecorder(); }
    bool Print(const QByteArray& bytes, const std::string& orientation = "0") { return Run(Write(bytes), orientation); }
    // The job as the program runs it: deletion in the polling mode, the logo answer kept.
    bool Run(const std::filesystem::path& path, const std::string& orientation = "0")
    {
        context.deletePrinted = global.startup.PollMode;
        return PrintJob(path, orientation, context, global.print.JobHasLogo);
    }
};

} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printerChoice();
    void setUpAndOrientationRestored();
    void orientationMatrix_data();
    void orientationMatrix();
    void logoCondition_data();
    void logoCondition();
    void logoDecidedPerJob();
    void lineReading_data();
    void lineReading();
    void crLfAcrossBufferBoundary();
    void headSearchAcrossPieces();
    void logoPageFormFeeds_data();
    void logoPageFormFeeds();
    void logoPageComposition();
    void jobStartsClean();
    void openFailureReturnsFalse();
    void deletionOnlyInPollMode();
    void fileChangedDuringJobIsKept_data();
    void fileChangedDuringJobIsKept();
    void faultKeepsFile_data();
    void faultKeepsFile();
    void overlongLineLimit();
    void binaryGarbage();
    void refusedSettingsAreSkipped();
};

void TestPrintJob::printerChoice()
{
    JobRig rig;
    rig.global.settings.PrinterName = "Beta";
    QVERIFY(rig.Print("x"));
    QCOMPARE(rig.printers.current, std::size_t(1));
    QCOMPARE(rig.printers.At(1).Texts().size(), std::size_t(1));
    QVERIFY(rig.printers.At(0).calls.empty());

    // "Default Printer", a name in another case and an unknown name keep the current printer.
    for (const char* name : {DefaultPrinterName, "gamma", "Nowhere"}) {
        rig.global.settings.PrinterName = name;
        QVERIFY(rig.Print("y"));
        QCOMPARE(rig.printers.current, std::size_t(1));
    }
    QCOMPARE(rig.printers.At(1).Calls(Op::EndDoc).size(), std::size_t(4));
}

void TestPrintJob::setUpAndOrientationRestored()
{
    JobRig rig;
    rig.Recorder().orientation = PageOrientation::Landscape;
    // What an earlier job left switched on.
    rig.Recorder().font.bold = true;
    rig.Recorder().font.italic = true;
    rig.Recorder().font.underline = true;
    PageOrientation orientationWhilePrinting{};
    rig.Recorder().onEndDoc = [&] { orientationWhilePrinting = rig.Recorder().orientation; };
    QVERIFY(rig.Print("text", "0"));
    QCOMPARE(orientationWhilePrinting, PageOrientation::Portrait);
    QCOMPARE(rig.Recorder().orientation, PageOrientation::Landscape);
    QCOMPARE(rig.Recorder().quality, PrintQuality::High);
    const auto text = rig.Recorder().Texts().at(0);
    QCOMPARE(text.font.name, std::string("Courier New"));
    QCOMPARE(text.font.size, 10.0);
    QCOMPARE(text.font.charset, CharacterSet::Oem);
    QVERIFY(text.font.transparent);
    QVERIFY(!text.font.bold && !text.font.italic && !text.font.underline); // every job starts plain
}

void TestPrintJob::orientationMatrix_data()
{
    QTest::addColumn<QByteArray>("landscape");
    QTest::addColumn<QByteArray>("portrait");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<PageOrientation>("expected");
    const QByteArray L = "\x1b"
                         "L",
                     P = "\x1b"
                         "P";
    QTest::newRow("argument 1, no trigger") << L << P << "1" << QByteArray("a\r\nb") << PageOrientation::Landscape;
    QTest::newRow("argument 0, no trigger") << L << P << "0" << QByteArray("a\r\nb") << PageOrientation::Portrait;
    QTest::newRow("argument 0, landscape trigger")
        << L << P << "0" << QByteArray("a\r\n\x1bLb") << PageOrientation::Landscape;
    QTest::newRow("both triggers") << L << P << "1" << QByteArray("\x1bP\r\n\x1bL") << PageOrientation::Landscape;
    QTest::newRow("argument 1, portrait trigger") << L << P << "1" << QByteArray("\x1bPa") << PageOrientation::Portrait;
    QTest::newRow("other argument text") << L << P << "x" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("trigger in line 7") << L << P << "0" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n\x1bL")
                                       << PageOrientation::Portrait;
    QTest::newRow("trigger in line 6") << L << P << "0" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n\x1bL\r\n7")
                                       << PageOrientation::Landscape;
    QTest::newRow("trigger across line end")
        << QByteArray("a\r\nb") << P << "0" << QByteArray("xa\r\nby") << PageOrientation::Landscape;
    QTest::newRow("no rules, argument 0")
        << QByteArray() << QByteArray() << "0" << QByteArray("a") << PageOrientation::Portrait;
    QTest::newRow("no rules, argument 1")
        << QByteArray() << QByteArray() << "1" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("only landscape rule, argument 1")
        << L << QByteArray() << "1" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("only portrait rule, argument 0")
        << QByteArray() << P << "0" << QByteArray("a") << PageOrientation::Portrait;
    QTest::newRow("only portrait rule, trigger")
        << QByteArray() << P << "1" << QByteArray("\x1bP") << PageOrientation::Portrait;
}

void TestPrintJob::orientationMatrix()
{
    QFETCH(QByteArray, landscape);
    QFETCH(QByteArray, portrait);
    QFETCH(QString, argument);
    QFETCH(QByteArray, file);
    QFETCH(PageOrientation, expected);
    JobRig rig;
    rig.global.rules.LandscapeChars = landscape.toStdString();
    rig.global.rules.PortraitChars = portrait.toStdString();
    rig.global.settings.LogoEnabled = true; // the head's decision turns the logo page too
    PageOrientation orientationWhilePrinting{};
    rig.Recorder().onEndDoc = [&] { orientationWhilePrinting = rig.Recorder().orientation; };
    QVERIFY(rig.Print(file, argument.toStdString()));
    QCOMPARE(orientationWhilePrinting, expected);
    const bool wide = expected == PageOrientation::Landscape;
    QCOMPARE(rig.Recorder().Calls(Op::DrawOnto).at(0).rect,
             (std::vector<double>{wide ? A4LongSide : A4ShortSide, wide ? A4ShortSide : A4LongSide}));
    QCOMPARE(rig.Recorder().orientation, PageOrientation::Portrait); // restored after the job
}

void TestPrintJob::logoCondition_data()
{
    QTest::addColumn<QByteArray>("condition");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("logo");
    const QByteArray sixLines = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n";
    QTest::newRow("in line 1") << QByteArray("INVOICE") << QByteArray("INVOICE 12\r\nx") << true;
    QTest::newRow("in line 6") << QByteArray("INVOICE") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\nINVOICE\r\n7") << true;
    QTest::newRow("only in line 7") << QByteArray("INVOICE") << sixLines + "INVOICE" << false;
    QTest::newRow("other case") << QByteArray("INVOICE") << QByteArray("invoice") << false;
    QTest::newRow("spanning a line end") << QByteArray("12\r\nx") << QByteArray("INVOICE 12\r\nx") << true;
    QTest::newRow("empty condition") << QByteArray() << QByteArray("anything") << true;
}

void TestPrintJob::logoCondition()
{
    QFETCH(QByteArray, condition);
    QFETCH(QByteArray, file);
    QFETCH(bool, logo);
    JobRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = condition.toStdString();
    QVERIFY(rig.Print(file));
    QCOMPARE(rig.global.print.JobHasLogo, logo);
    QVERIFY(rig.global.settings.LogoEnabled); // the next file decides for itself
    QCOMPARE(rig.canvas.Texts().empty(), !logo);
    QCOMPARE(rig.Recorder().Calls(Op::DrawOnto).size(), std::size_t(logo ? 1 : 0));
    QCOMPARE(rig.Recorder().Texts().empty(), logo);
}

void TestPrintJob::logoDecidedPerJob()
{
    JobRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "INVOICE";
    // A delivery note between two invoices takes the logo from neither.
    const std::vector<std::pair<QByteArray, bool>> jobs{
        {"INVOICE 1\r\nfirst", true}, {"DELIVERY NOTE 2\r\nsecond", false}, {"INVOICE 3\r\nthird", true}};
    for (const auto& [file, logo] : jobs) {
        const std::size_t laid = rig.Recorder().Calls(Op::DrawOnto).size();
        const std::size_t plain = rig.Recorder().Texts().size();
        QVERIFY(rig.Print(file));
        QCOMPARE(rig.global.print.JobHasLogo, logo);
        QCOMPARE(rig.Recorder().Calls(Op::DrawOnto).size(), laid + (logo ? 1 : 0));
        QCOMPARE(rig.Recorder().Texts().size(), plain + (logo ? 0 : 2));
    }
    QCOMPARE(rig.canvas.Calls(Op::Cls).size(), std::size_t(2));
    QCOMPARE(rig.Recorder().Calls(Op::EndDoc).size(), std::size_t(3));

    // Without a logo enabled at start-up no head brings one.
    rig.global.settings.LogoEnabled = false;
    QVERIFY(rig.Print("INVOICE 4"));
    QVERIFY(!rig.global.print.JobHasLogo);
    QCOMPARE(rig.canvas.Calls(Op::Cls).size(), std::size_t(2));
}

void TestPrintJob::lineReading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("pageBreakRule"); // form feed → "np"
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("no line end") << QByteArray("abc") << false << QByteArray("abc\n");
    QTest::newRow("ending CR LF stays") << QByteArray("a\r\nb\r\n") << false << QByteArray("a\nb\r\n\n");
    QTest::newRow("CR LF alone") << QByteArray("\r\n") << false << QByteArray("\r\n\n");
    QTest::newRow("empty lines") << QByteArray("a\r\n\r\nb") << false << QByteArray("a\n\nb\n");
    QTest::newRow("CR or LF alone stay") << QByteArray("a\rb\nc\n\rd") << false << QByteArray("a\rb\nc\n\rd\n");
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << false << QByteArray("a\r\nb\n");
    QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb") << false << QByteArray("a\n\nb\n");
    QTest::newRow("empty file") << QByteArray() << false << QByteArray();
    QTest::newRow("NUL bytes") << QByteArray("a\0b\r\n\0", 6) << false << QByteArray("a\0b\n\0\n", 6);
    QTest::newRow("form feed without a rule") << QByteArray("a\fb\r\nc") << false << QByteArray("a\fb\nc\n");
    QTest::newRow("last line's form feed a blank") << QByteArray("a\fb\r\nc\f") << true << QByteArray("a\n<np>b\nc \n");
    QTest::newRow("two in the last line") << QByteArray("x\r\ny\f\fz") << true << QByteArray("x\ny \n<np>z\n");
    QTest::newRow("only form feeds") << QByteArray("\f\f\f") << true << QByteArray(" \n<np>\n<np>\n");
}

void TestPrintJob::lineReading()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, pageBreakRule);
    QFETCH(QByteArray, printed);
    JobRig rig;
    if (pageBreakRule)
        rig.Rule("\f", "np");
    QVERIFY(rig.Print(file));
    QCOMPARE(rig.Recorder().Transcript(), printed.toStdString());
    QCOMPARE(rig.Recorder().Calls(Op::EndDoc).size(), std::size_t(1));
}

void TestPrintJob::crLfAcrossBufferBoundary()
{
    // Lines of every length around the reader's buffer size, so that a CR LF straddles a refill.
    for (int length : {65534, 65535, 65536}) {
        TempFolder folder;
        QByteArray bytes(length, 'a');
        bytes += "\r\nb\r\n";
        folder.write("f", bytes);
        SpoolReader reader(folder.file("f").toStdString());
        std::string line;
        auto sink = [&](std::string_view piece) { line += piece; };
        QVERIFY(reader.ReadLine(sink));
        QCOMPARE(line.size(), std::size_t(length) + 2);
        line.clear();
        QVERIFY(!reader.ReadLine(sink)); // the last CR LF ends the file and stays
        QCOMPARE(line, std::string("b\r\n"));
        QVERIFY(reader.AtEnd());
    }
}

// The head streams past in pieces; a text split between two pieces must still be found.
void TestPrintJob::headSearchAcrossPieces()
{
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::string head;
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i)
            head += "ab\r\n"[random() % 4];
        std::vector<std::string> needles;
        for (int n = 0; n < 3; ++n) {
            std::string needle;
            const int size = int(random() % 5);
            for (int i = 0; i < size; ++i)
                needle += "ab\r\n"[random() % 4];
            needles.push_back(needle);
        }
        HeadSearch search(needles);
        for (std::size_t at = 0; at < head.size();) {
            const std::size_t piece = std::min<std::size_t>(1 + random() % 6, head.size() - at);
            search.Feed(std::string_view(head).substr(at, piece));
            at += piece;
        }
        for (std::size_t n = 0; n < needles.size(); ++n) {
            const bool expected = needles[n].empty() ? !head.empty() : head.find(needles[n]) != std::string::npos;
            QCOMPARE(search.Contains(n), expected);
        }
    }
}

void TestPrintJob::logoPageFormFeeds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("onLogoPage");
    QTest::addColumn<QByteArray>("onPaper");
    QTest::addColumn<QByteArray>("layout");
    QTest::newRow("the logo page ends at the first")
        << QByteArray("L1\r\nL2\fX\r\nP2\fP3\r\nend") << QByteArray("L1\nL2\nX\n")
        << QByteArray("<np>P2\n<np>P3\nend\n") << QByteArray("P2@0,0#1 P3@0,0#2 end@0,240#2");
    // The page break after the logo page is then the document's last act: nothing is drawn after it.
    QTest::newRow("only in the last line")
        << QByteArray("A\r\nB\f") << QByteArray("A\nB \n") << QByteArray("<np>") << QByteArray();
    QTest::newRow("only form feeds") << QByteArray("\f\r\n\f\r\n\f") << QByteArray("\n\n")
                                     << QByteArray("<np>\n<np>\n \n") << QByteArray(" @0,240#2");
}

void TestPrintJob::logoPageFormFeeds()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, onLogoPage);
    QFETCH(QByteArray, onPaper);
    QFETCH(QByteArray, layout);
    JobRig rig;
    rig.Rule("\f", "np");
    rig.global.settings.LogoEnabled = true;
    QVERIFY(rig.Print(file));
    QCOMPARE(rig.canvas.Transcript(), onLogoPage.toStdString());
    QCOMPARE(rig.Recorder().Transcript(), onPaper.toStdString());
    // One document: the logo page first, the rest from the next page on.
    QCOMPARE(rig.Recorder().Calls(Op::EndDoc).size(), std::size_t(1));
    QCOMPARE(rig.Recorder().Calls(Op::DrawOnto).size(), std::size_t(1));
    QCOMPARE(rig.Recorder().Calls(Op::DrawOnto)[0].page, 0);
    QCOMPARE(rig.Recorder().Layout(), layout.toStdString());
}

void TestPrintJob::logoPageComposition()
{
    JobRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoX = 100.5f;
    rig.global.settings.LogoY = 200;
    rig.global.settings.FontName = "Mono";
    rig.global.settings.FontSize = 12;
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    rig.context.logo = LogoPictureOf(logo);
    rig.canvas.font.bold = true; // left by an earlier logo job
    QVERIFY(rig.Print("first", "1"));
    const auto& canvas = rig.canvas;
    QCOMPARE(canvas.width, A4LongSide); // the landscape page
    QCOMPARE(canvas.height, A4ShortSide);
    const auto picture = canvas.Calls(Op::PaintPicture);
    QCOMPARE(picture.size(), std::size_t(1));
    QCOMPARE(picture[0].rect, (std::vector<double>{100.5, 200, 600, 300, 0, 0, 600, 300}));
    const auto text = canvas.Texts().at(0);
    QCOMPARE(text.font.name, std::string("Mono"));
    QCOMPARE(text.font.size, 12.0);
    QCOMPARE(text.font.charset, CharacterSet::Oem);
    QVERIFY(text.font.transparent);
    QVERIFY(!text.font.bold);
    QCOMPARE(rig.Recorder().Calls(Op::DrawOnto)[0].rect, (std::vector<double>{A4LongSide, A4ShortSide}));
    QVERIFY(canvas.Calls(Op::Show).empty()); // no diagnostic view

    // The next logo job starts on a blank canvas, and a missing picture is simply left out.
    const QImage none;
    rig.context.logo = LogoPictureOf(none);
    QVERIFY(rig.context.logo.image == nullptr);
    QVERIFY(rig.Print("second", "0"));
    const auto now = rig.canvas.SinceCls();
    for (const DrawCall& call : now)
        QVERIFY(call.op != Op::PaintPicture && call.text != "first");
    QCOMPARE(rig.canvas.width, A4ShortSide);

    // A canvas that refuses its size still gets the rest of its preparation.
    rig.canvas.Fail(Op::SetSize);
    rig.context.logo = LogoPictureOf(logo);
    QVERIFY(rig.Print("third"));
    QCOMPARE(rig.canvas.SinceCls().size() > 3, true);
    QCOMPARE(rig.canvas.Calls(Op::PaintPicture).size(), std::size_t(2));
}

void TestPrintJob::jobStartsClean()
{
    JobRig rig;
    const char* rules[] = {"\x01", "h8", "\x02", "bb", "\x03", "bi", "\x04", "bu", "\x05", "14", "^", "be", "~", "ee"};
    for (std::size_t i = 0; i < std::size(rules); i += 2)
        rig.Rule(rules[i], rules[i + 1]);
    rig.global.print.PageCounter = 7;
    // A job that leaves everything switched on: a line height, bold, italic, underline, a font
    // size, and a superscript that saved 14 points and never ended.
    QVERIFY(rig.Print("\x01\x02\x03\x04\x05"
                      "a^b"));
    QCOMPARE(int(rig.global.print.SavedFontSize), 14);
    QCOMPARE(rig.global.print.PageCounter, 1);
    rig.Recorder().calls.clear();
    // The next job is laid out from the settings alone.
    QVERIFY(rig.Print("x\r\ny~z"));
    QCOMPARE(rig.Recorder().Layout(), std::string("x@0,0 y@0,240 z@120,360"));
    for (const DrawCall& text : rig.Recorder().Texts())
        QVERIFY(!text.font.bold && !text.font.italic && !text.font.underline);
}

void TestPrintJob::openFailureReturnsFalse()
{
    JobRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "LOGO";
    rig.global.startup.PollMode = true;
    QVERIFY(QDir(rig.folder.path()).mkdir("text.txt"));
    // Files without an end are refused at once: a pipe nobody writes to, an endless device.
    QCOMPARE(::mkfifo(rig.folder.file("pipe").toLocal8Bit().constData(), 0600), 0);
    for (const QString& path :
         {rig.folder.file("missing.txt"), rig.folder.file("text.txt"), rig.folder.file("pipe"), QString("/dev/zero")})
        QVERIFY(!rig.Run(path.toStdString()));
    QVERIFY(rig.Exists() && rig.folder.exists("pipe"));
    QVERIFY(rig.Recorder().Texts().empty());
    QVERIFY(rig.Recorder().Calls(Op::EndDoc).empty() && rig.Recorder().Calls(Op::KillDoc).empty());
    QVERIFY(rig.global.settings.LogoEnabled); // an unreadable file says nothing about later jobs' logo
}

void TestPrintJob::deletionOnlyInPollMode()
{
    JobRig rig;
    rig.global.startup.PollMode = false;
    QVERIFY(rig.Print("kept"));
    QVERIFY(rig.Exists());
    rig.global.startup.PollMode = true;
    QVERIFY(rig.Print("deleted"));
    QVERIFY(!rig.Exists());
}

void TestPrintJob::fileChangedDuringJobIsKept_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("new file under the name") << "rename";
    QTest::newRow("rewritten in place") << "rewrite";
    QTest::newRow("appended to") << "append";
    QTest::newRow("same size, new time") << "touch";
}

void TestPrintJob::fileChangedDuringJobIsKept()
{
    QFETCH(QString, how);
    JobRig rig;
    rig.global.startup.PollMode = true;
    const QString path = rig.folder.file("text.txt");
    rig.Recorder().onEndDoc = [&] {
        if (how == "rename") {
            rig.folder.write("new.tmp", "second job");
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(rig.folder.file("new.tmp"), path));
        } else if (how == "rewrite") {
            rig.folder.write("text.txt", "a second, longer job");
        } else if (how == "append") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write("\r\nmore");
        } else {
            rig.folder.write("text.txt", "FIRST");
            struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0), 0);
        }
    };
    QVERIFY(rig.Print("first"));
    QVERIFY(rig.Exists());
    QVERIFY(rig.folder.read("text.txt") != "first");
}

void TestPrintJob::faultKeepsFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("discarded"); // KillDoc calls
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("EndDoc fails") << "EndDoc" << 1 << QByteArray("text\n");
    QTest::newRow("EndDoc and KillDoc fail") << "EndDoc KillDoc" << 0 << QByteArray("text\n");
    QTest::newRow("the canvas cannot be laid") << "DrawOnto" << 1 << QByteArray();
    QTest::newRow("second text fails") << "PrintText" << 1 << QByteArray("one\n");
    QTest::newRow("overlong line") << "overlong" << 1 << QByteArray("short\n");
    QTest::newRow("named printer unreachable") << "unreachable Alpha" << 0 << QByteArray();
    QTest::newRow("default printer unreachable") << "unreachable" << 0 << QByteArray();
}

// An error while printing ends the job, discards the document not handed over and keeps the file.
void TestPrintJob::faultKeepsFile()
{
    QFETCH(QString, fault);
    QFETCH(int, discarded);
    QFETCH(QByteArray, printed);
    JobRig rig;
    rig.global.startup.PollMode = true;
    rig.Recorder().orientation = PageOrientation::Landscape;
    QByteArray file = "text";
    if (fault.startsWith("EndDoc")) {
        rig.Recorder().Fail(Op::EndDoc);
        if (fault.contains("KillDoc"))
            rig.Recorder().Fail(Op::KillDoc);
    } else if (fault == "DrawOnto") {
        rig.global.settings.LogoEnabled = true;
        rig.canvas.Fail(Op::DrawOnto);
        file = "a\fb\r\nc";
    } else if (fault == "PrintText") {
        rig.Recorder().FailNth(Op::PrintText, 2);
        file = "one\r\ntwo\r\nthree";
    } else if (fault == "overlong") {
        file = "short\r\n" + QByteArray(40000, 'x') + "\r\nafter";
    } else {
        rig.printers.unreachable = true;
        if (fault.contains("Alpha"))
            rig.global.settings.PrinterName = "Alpha";
    }
    try {
        rig.Print(file, "0");
        QFAIL("the error was swallowed");
    } catch (const OverflowError&) {
        QCOMPARE(fault, QString("overlong"));
    } catch (const OrvalinError& e) {
        QVERIFY(fault != "overlong");
        if (fault.startsWith("EndDoc"))
            QVERIFY(std::string(e.what()).find("EndDoc") != std::string::npos);
    }
    QCOMPARE(rig.folder.read("text.txt"), file);
    QCOMPARE(rig.Recorder().Transcript(), printed.toStdString());
    QVERIFY(rig.Recorder().Calls(Op::EndDoc).empty());
    QCOMPARE(rig.Recorder().Calls(Op::KillDoc).size(), std::size_t(discarded));
    // The job stopped where the error came: the orientation is not restored.
    if (fault.startsWith("EndDoc"))
        QCOMPARE(rig.Recorder().orientation, PageOrientation::Portrait);
}

void TestPrintJob::overlongLineLimit()
{
    // A file without any line end is one line, however long; it is refused the same way.
    JobRig huge;
    QVERIFY_THROWS_EXCEPTION(OverflowError, huge.Print(QByteArray(3 * 1024 * 1024, 'y')));
    // The limit itself prints, its CR LF not counted.
    JobRig limit;
    QVERIFY(limit.Print(QByteArray(32767, 'z') + "\r\nb"));
    QCOMPARE(limit.Recorder().Transcript(), std::string(32767, 'z') + "\nb\n");
}

void TestPrintJob::binaryGarbage()
{
    JobRig rig;
    rig.Rule("\f", "np");
    rig.Rule("\x1b"
             "E",
             "bb");
    rig.Rule("\x1b", "");
    rig.Rule("\x01", "be");
    rig.Rule("\x02", "ep");
    rig.Rule("\x03", "h1");
    rig.Rule(std::string(1, '\0'), "7.5");
    rig.global.startup.PollMode = true;
    std::mt19937 random(99);
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += random() % 64 == 0 ? QByteArray("\r\n") : QByteArray(1, char(random() % 256));
    QVERIFY(rig.Print(bytes));
    QVERIFY(!rig.Exists());
    QVERIFY(!rig.Recorder().Texts().empty());
    QCOMPARE(rig.Recorder().Calls(Op::EndDoc).size(), std::size_t(1));
    QVERIFY(rig.Recorder().Calls(Op::KillDoc).empty());
}

void TestPrintJob::refusedSettingsAreSkipped()
{
    JobRig rig;
    rig.Rule("\x1b"
             "L",
             "ol");
    rig.global.rules.LandscapeChars = "\x1b"
                                      "L";
    auto& printer = rig.Recorder();
    for (Op op : {Op::Orientation, Op::SetOrientation, Op::SetPrintQuality, Op::SetFontTransparent, Op::SetFontName,
                  Op::SetFontSize, Op::SetFontCharset})
        printer.Fail(op);
    rig.global.settings.LogoEnabled = true;
    rig.canvas.Fail(Op::Cls);
    rig.canvas.Fail(Op::PaintPicture);
    rig.canvas.Fail(Op::SetFontName);
    QVERIFY(rig.Print("\x1bLtext\r\nline"));
    QCOMPARE(printer.orientation, PageOrientation::Portrait);
    QCOMPARE(rig.canvas.Transcript(), std::string("text\nline\n"));
    QCOMPARE(printer.Calls(Op::DrawOnto).size(), std::size_t(1));

    // A font the printer does not know keeps the one it has; the settings after it still apply.
    JobRig font;
    font.Recorder().knownFonts = {"Courier New", "Old Font"};
    font.Recorder().font.name = "Old Font";
    font.global.settings.FontName = "No Such Font";
    font.global.settings.FontSize = 14;
    QVERIFY(font.Print("text"));
    QCOMPARE(font.Recorder().Texts().at(0).font.name, std::string("Old Font"));
    QCOMPARE(font.Recorder().Texts().at(0).font.size, 14.0);
}

QTEST_GUILESS_MAIN(TestPrintJob)
#include "print_job_test.moc"
