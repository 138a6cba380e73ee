// Whole spool files through PrintJob onto recording printers: printer choice, set-up, head,
// orientation, logo decision, line reading, form feeds, documents, deletion and bad input.
#include "common/errors.h"
#include "print/head_search.h"
#include "print/logo_picture.h"
#include "print/print_job.h"
#include "print/spool_file.h"
#include "recording_target.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <random>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct JobRig {
    TempFolder folder;
    Global global;
    RecordingPrinters printers{{"Alpha", "Beta", "Gamma"}};
    RecordingCanvas canvas;
    PrintJobContext context{global.settings, global.rules, global.print, false, printers, canvas, {}};

    JobRig()
    {
        global.settings.PrinterName = DefaultPrinterName;
        global.settings.FontName = "Courier New";
        global.settings.FontSize = 10;
        global.settings.LeftMargin = 0;
    }
    RecordingPrinter& printer() { return printers.CurrentRecorder(); }
    void Rule(const std::string& trigger, const std::string& action)
    {
        global.rules.ControlChars.push_back(ControlChar{trigger, action});
        if (action == "ol")
            global.rules.LandscapeChars = trigger;
        if (action == "op")
            global.rules.PortraitChars = trigger;
    }
    std::string Write(const QByteArray& bytes, const QString& name = "text.txt")
    {
        folder.write(name, bytes);
        return folder.file(name).toStdString();
    }
    bool Print(const QByteArray& bytes, const std::string& orientation = "0")
    {
        return Run(Write(bytes), orientation);
    }
    // The job as the program runs it: deletion in the polling mode, the logo answer kept.
    bool Run(const std::string& path, const std::string& orientation = "0")
    {
        context.deletePrinted = global.startup.PollMode;
        return PrintJob(path, orientation, context, global.print.JobHasLogo);
    }
    bool Exists(const QString& name = "text.txt") const { return folder.exists(name); }
};

// The texts printed, each line's pieces joined, lines as recorded.
std::vector<std::string> Lines(const RecordingSurface<Printer>& printer)
{
    std::vector<std::string> lines{""};
    for (const DrawCall& call : printer.calls) {
        if (call.op == Op::PrintText)
            lines.back() += call.text;
        else if (call.op == Op::PrintLineEnd)
            lines.emplace_back();
    }
    lines.pop_back();
    return lines;
}

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
    void landscapeTriggerTurnsTheLogoPage();
    void lineReading_data();
    void lineReading();
    void crLfAcrossBufferBoundary();
    void headSearchAcrossPieces();
    void lastLineFormFeedBecomesBlank();
    void logoPageEndsAtFirstFormFeed();
    void logoOnlyFormFeedInLastLine();
    void logoPageComposition();
    void jobStartsClean();
    void openFailureReturnsFalse();
    void deletionOnlyInPollMode();
    void fileChangedDuringJobIsKept_data();
    void fileChangedDuringJobIsKept();
    void overlongLineEndsJobAndKeepsFile();
    void binaryGarbage();
    void nulBytesArePrinted();
    void onlyFormFeeds();
    void unknownFontIsSkipped();
    void refusedSettingsAreSkipped();
    void endDocFailureKeepsFile();
    void drawingFailureKeepsFile();
    void noPrinterReachable();
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
    rig.printer().orientation = PageOrientation::Landscape;
    // What an earlier job left switched on.
    rig.printer().font.bold = true;
    rig.printer().font.italic = true;
    rig.printer().font.underline = true;
    PageOrientation orientationWhilePrinting{};
    rig.printer().onEndDoc = [&] { orientationWhilePrinting = rig.printer().orientation; };
    QVERIFY(rig.Print("text", "0"));
    QCOMPARE(orientationWhilePrinting, PageOrientation::Portrait);
    QCOMPARE(rig.printer().orientation, PageOrientation::Landscape);
    QCOMPARE(rig.printer().quality, PrintQuality::High);
    const auto text = rig.printer().Texts().at(0);
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
    const QByteArray L = "\x1b" "L", P = "\x1b" "P";
    QTest::newRow("argument 1, no trigger") << L << P << "1" << QByteArray("a\r\nb") << PageOrientation::Landscape;
    QTest::newRow("argument 0, no trigger") << L << P << "0" << QByteArray("a\r\nb") << PageOrientation::Portrait;
    QTest::newRow("argument 0, landscape trigger") << L << P << "0" << QByteArray("a\r\n\x1bLb") << PageOrientation::Landscape;
    QTest::newRow("both triggers") << L << P << "1" << QByteArray("\x1bP\r\n\x1bL") << PageOrientation::Landscape;
    QTest::newRow("argument 1, portrait trigger") << L << P << "1" << QByteArray("\x1bPa") << PageOrientation::Portrait;
    QTest::newRow("other argument text") << L << P << "x" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("trigger in line 7") << L << P << "0" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n\x1bL") << PageOrientation::Portrait;
    QTest::newRow("trigger in line 6") << L << P << "0" << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n\x1bL\r\n7") << PageOrientation::Landscape;
    QTest::newRow("trigger across line end") << QByteArray("a\r\nb") << P << "0" << QByteArray("xa\r\nby") << PageOrientation::Landscape;
    QTest::newRow("no rules, argument 0") << QByteArray() << QByteArray() << "0" << QByteArray("a") << PageOrientation::Portrait;
    QTest::newRow("no rules, argument 1") << QByteArray() << QByteArray() << "1" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("only landscape rule, argument 1") << L << QByteArray() << "1" << QByteArray("a") << PageOrientation::Landscape;
    QTest::newRow("only portrait rule, argument 0") << QByteArray() << P << "0" << QByteArray("a") << PageOrientation::Portrait;
    QTest::newRow("only portrait rule, trigger") << QByteArray() << P << "1" << QByteArray("\x1bP") << PageOrientation::Portrait;
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
    PageOrientation orientationWhilePrinting{};
    rig.printer().onEndDoc = [&] { orientationWhilePrinting = rig.printer().orientation; };
    QVERIFY(rig.Print(file, argument.toStdString()));
    QCOMPARE(orientationWhilePrinting, expected);
    QCOMPARE(rig.printer().orientation, PageOrientation::Portrait);
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
    QCOMPARE(rig.printer().Calls(Op::DrawOnto).size(), std::size_t(logo ? 1 : 0));
    QCOMPARE(rig.printer().Texts().empty(), logo);
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
        const std::size_t laid = rig.printer().Calls(Op::DrawOnto).size();
        const std::size_t plain = rig.printer().Texts().size();
        QVERIFY(rig.Print(file));
        QCOMPARE(rig.global.print.JobHasLogo, logo);
        QCOMPARE(rig.printer().Calls(Op::DrawOnto).size(), laid + (logo ? 1 : 0));
        QCOMPARE(rig.printer().Texts().size(), plain + (logo ? 0 : 2));
    }
    QCOMPARE(rig.canvas.Calls(Op::Cls).size(), std::size_t(2));
    QCOMPARE(rig.printer().Calls(Op::EndDoc).size(), std::size_t(3));

    // Without a logo enabled at start-up no head brings one.
    rig.global.settings.LogoEnabled = false;
    QVERIFY(rig.Print("INVOICE 4"));
    QVERIFY(!rig.global.print.JobHasLogo);
    QCOMPARE(rig.canvas.Calls(Op::Cls).size(), std::size_t(2));
}

void TestPrintJob::landscapeTriggerTurnsTheLogoPage()
{
    JobRig rig;
    rig.Rule("\x1b" "L", "ol");
    rig.global.settings.LogoEnabled = true;
    PageOrientation orientationAtEnd{};
    rig.printer().onEndDoc = [&] { orientationAtEnd = rig.printer().orientation; };
    // The argument asks for portrait; the head's trigger turns the job, logo page included.
    QVERIFY(rig.Print("\x1bLINVOICE\r\nline", "0"));
    QCOMPARE(rig.canvas.width, A4LongSide);
    QCOMPARE(rig.canvas.height, A4ShortSide);
    QCOMPARE(rig.printer().Calls(Op::DrawOnto).at(0).rect, (std::vector<double>{A4LongSide, A4ShortSide}));
    QCOMPARE(orientationAtEnd, PageOrientation::Landscape);
    QCOMPARE(rig.printer().orientation, PageOrientation::Portrait); // restored after the job
}

void TestPrintJob::lineReading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("no line end") << QByteArray("abc") << QStringList{"abc"};
    QTest::newRow("ending CR LF stays") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b\r\n"};
    QTest::newRow("CR LF alone") << QByteArray("\r\n") << QStringList{"\r\n"};
    QTest::newRow("empty lines") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("CR or LF alone stay") << QByteArray("a\rb\nc\n\rd") << QStringList{"a\rb\nc\n\rd"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a\r", "b"};
    QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb") << QStringList{"a", "\nb"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestPrintJob::lineReading()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lines);
    JobRig rig;
    QVERIFY(rig.Print(file));
    std::vector<std::string> expected;
    for (const QString& line : lines)
        expected.push_back(line.toStdString());
    QCOMPARE(Lines(rig.printer()), expected);
    QCOMPARE(rig.printer().Calls(Op::EndDoc).size(), std::size_t(1));
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

void TestPrintJob::lastLineFormFeedBecomesBlank()
{
    JobRig rig;
    rig.Rule("\f", "np");
    QVERIFY(rig.Print("a\fb\r\nc\f"));
    QCOMPARE(rig.printer().Transcript(), std::string("a\n<np>b\nc \n"));

    JobRig two;
    two.Rule("\f", "np");
    QVERIFY(two.Print("x\r\ny\f\fz"));
    QCOMPARE(two.printer().Transcript(), std::string("x\ny \n<np>z\n"));

    // Without a page-break rule a form feed is printed like any character.
    JobRig plain;
    QVERIFY(plain.Print("a\fb\r\nc"));
    QCOMPARE(plain.printer().Transcript(), std::string("a\fb\nc\n"));
}

void TestPrintJob::logoPageEndsAtFirstFormFeed()
{
    JobRig rig;
    rig.Rule("\f", "np");
    rig.global.settings.LogoEnabled = true;
    QVERIFY(rig.Print("L1\r\nL2\fX\r\nP2\fP3\r\nend"));
    QCOMPARE(rig.canvas.Transcript(), std::string("L1\nL2\nX\n"));
    auto& printer = rig.printer();
    QCOMPARE(printer.Transcript(), std::string("<np>P2\n<np>P3\nend\n"));
    // One document: the logo page first, the rest from the next page on.
    const auto drawn = printer.Calls(Op::DrawOnto);
    QCOMPARE(drawn.size(), std::size_t(1));
    QCOMPARE(drawn[0].page, 0);
    QCOMPARE(printer.Texts().front().document, 0);
    QCOMPARE(printer.Texts().front().page, 1);
    QCOMPARE(printer.Texts().front().y, 0.0);
    QCOMPARE(printer.Calls(Op::EndDoc).size(), std::size_t(1));
    QCOMPARE(rig.global.print.PageCounter, 2);
}

void TestPrintJob::logoOnlyFormFeedInLastLine()
{
    JobRig rig;
    rig.Rule("\f", "np");
    rig.global.settings.LogoEnabled = true;
    QVERIFY(rig.Print("A\r\nB\f"));
    QCOMPARE(rig.canvas.Transcript(), std::string("A\nB \n"));
    auto& printer = rig.printer();
    // The page break after the logo page is the document's last act: it makes no page.
    QCOMPARE(printer.Calls(Op::EndDoc).size(), std::size_t(1));
    QCOMPARE(printer.Calls(Op::DrawOnto).size(), std::size_t(1));
    QVERIFY(printer.Texts().empty());
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
    QCOMPARE(rig.printer().Calls(Op::DrawOnto)[0].rect, (std::vector<double>{A4LongSide, A4ShortSide}));
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
    rig.Rule("\x01", "h8");
    rig.Rule("\x02", "bb");
    rig.Rule("\x03", "bi");
    rig.Rule("\x04", "bu");
    rig.Rule("\x05", "14");
    rig.Rule("^", "be");
    rig.Rule("~", "ee");
    rig.global.print.PageCounter = 7;
    // A job that leaves everything switched on: a line height, bold, italic, underline, a font
    // size, and a superscript that saved 14 points and never ended.
    QVERIFY(rig.Print("\x01\x02\x03\x04\x05" "a^b"));
    QCOMPARE(int(rig.global.print.LinesPerInch), 8);
    QCOMPARE(int(rig.global.print.SavedFontSize), 14);
    QCOMPARE(rig.global.print.PageCounter, 1);
    rig.printer().calls.clear();
    QVERIFY(rig.Print("x\r\ny~z"));
    // The next job is laid out from the settings alone.
    const auto texts = rig.printer().Texts();
    QCOMPARE(texts[1].y - texts[0].y, 240.0);
    for (const DrawCall& text : texts) {
        QVERIFY(!text.font.bold && !text.font.italic && !text.font.underline);
        QCOMPARE(text.font.size, 10.0);
    }
}

void TestPrintJob::openFailureReturnsFalse()
{
    JobRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "LOGO";
    rig.global.startup.PollMode = true;
    QVERIFY(!rig.Run(rig.folder.file("missing.txt").toStdString()));
    QVERIFY(rig.printer().Texts().empty());
    QVERIFY(rig.printer().Calls(Op::EndDoc).empty());
    QVERIFY(rig.printer().Calls(Op::KillDoc).empty());
    // An unreadable file says nothing about the logo of later jobs.
    QVERIFY(rig.global.settings.LogoEnabled);

    QVERIFY(QDir(rig.folder.path()).mkdir("text.txt"));
    QVERIFY(!rig.Run(rig.folder.file("text.txt").toStdString()));
    QVERIFY(rig.Exists());
    QVERIFY(rig.printer().Calls(Op::EndDoc).empty());

    // Files without an end are refused at once: a pipe nobody writes to, an endless device.
    const QByteArray fifo = rig.folder.file("pipe").toLocal8Bit();
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QVERIFY(!rig.Run(fifo.toStdString()));
    QVERIFY(!rig.Run("/dev/zero"));
    QVERIFY(rig.printer().Texts().empty());
    QVERIFY(rig.folder.exists("pipe"));
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
    rig.printer().onEndDoc = [&] {
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

void TestPrintJob::overlongLineEndsJobAndKeepsFile()
{
    JobRig rig;
    rig.global.startup.PollMode = true;
    const QByteArray file = "short\r\n" + QByteArray(40000, 'x') + "\r\nafter";
    QVERIFY_THROWS_EXCEPTION(OverflowError, rig.Print(file));
    QVERIFY(rig.Exists());
    QCOMPARE(rig.folder.read("text.txt"), file);
    QCOMPARE(Lines(rig.printer()), std::vector<std::string>{"short"});
    QVERIFY(rig.printer().Calls(Op::EndDoc).empty());
    QCOMPARE(rig.printer().Calls(Op::KillDoc).size(), std::size_t(1));

    // A file without any line end is one line, however long; it is refused the same way.
    JobRig huge;
    QVERIFY_THROWS_EXCEPTION(OverflowError, huge.Print(QByteArray(3 * 1024 * 1024, 'y')));
    // The limit itself prints, its CR LF not counted.
    JobRig limit;
    QVERIFY(limit.Print(QByteArray(32767, 'z') + "\r\nb"));
    QCOMPARE(Lines(limit.printer()).at(0).size(), std::size_t(32767));
}

void TestPrintJob::binaryGarbage()
{
    JobRig rig;
    rig.Rule("\f", "np");
    rig.Rule("\x1b" "E", "bb");
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
    QVERIFY(!rig.printer().Texts().empty());
    QCOMPARE(rig.printer().Calls(Op::EndDoc).size(), std::size_t(1));
    QVERIFY(rig.printer().Calls(Op::KillDoc).empty());
}

void TestPrintJob::nulBytesArePrinted()
{
    JobRig rig;
    QVERIFY(rig.Print(QByteArray("a\0b\r\n\0", 6)));
    QCOMPARE(Lines(rig.printer()), (std::vector<std::string>{std::string("a\0b", 3), std::string(1, '\0')}));
}

void TestPrintJob::onlyFormFeeds()
{
    JobRig rig;
    rig.Rule("\f", "np");
    rig.global.startup.PollMode = true;
    QVERIFY(rig.Print("\f\f\f"));
    QCOMPARE(rig.printer().Transcript(), std::string(" \n<np>\n<np>\n"));
    QVERIFY(!rig.Exists());

    JobRig logo;
    logo.Rule("\f", "np");
    logo.global.settings.LogoEnabled = true;
    QVERIFY(logo.Print("\f\r\n\f\r\n\f"));
    QCOMPARE(logo.canvas.Transcript(), std::string("\n\n"));
    QCOMPARE(logo.printer().Transcript(), std::string("<np>\n<np>\n \n"));
    QCOMPARE(logo.printer().Calls(Op::EndDoc).size(), std::size_t(1));
}

void TestPrintJob::unknownFontIsSkipped()
{
    JobRig rig;
    rig.printer().knownFonts = {"Courier New", "Old Font"};
    rig.printer().font.name = "Old Font";
    rig.global.settings.FontName = "No Such Font";
    rig.global.settings.FontSize = 14;
    QVERIFY(rig.Print("text"));
    const auto text = rig.printer().Texts().at(0);
    QCOMPARE(text.font.name, std::string("Old Font"));
    QCOMPARE(text.font.size, 14.0); // the settings after the failing one still apply
}

void TestPrintJob::refusedSettingsAreSkipped()
{
    JobRig rig;
    rig.Rule("\x1b" "L", "ol");
    rig.global.rules.LandscapeChars = "\x1b" "L";
    auto& printer = rig.printer();
    for (Op op : {Op::Orientation, Op::SetOrientation, Op::SetPrintQuality, Op::SetFontTransparent,
                  Op::SetFontName, Op::SetFontSize, Op::SetFontCharset})
        printer.Fail(op);
    rig.global.settings.LogoEnabled = true;
    rig.canvas.Fail(Op::Cls);
    rig.canvas.Fail(Op::PaintPicture);
    rig.canvas.Fail(Op::SetFontName);
    QVERIFY(rig.Print("\x1bLtext\r\nline"));
    QCOMPARE(printer.orientation, PageOrientation::Portrait);
    QCOMPARE(rig.canvas.Transcript(), std::string("text\nline\n"));
    QCOMPARE(printer.Calls(Op::DrawOnto).size(), std::size_t(1));
}

void TestPrintJob::endDocFailureKeepsFile()
{
    JobRig rig;
    rig.global.startup.PollMode = true;
    rig.printer().orientation = PageOrientation::Landscape;
    rig.printer().Fail(Op::EndDoc);
    try {
        rig.Print("text", "0");
        QFAIL("EndDoc's error was swallowed");
    } catch (const OrvalinError& e) {
        QVERIFY(std::string(e.what()).find("EndDoc") != std::string::npos);
    }
    QVERIFY(rig.Exists());
    // The job stopped where the error came: the orientation was not restored, and the document
    // that was not handed over was discarded.
    QCOMPARE(rig.printer().orientation, PageOrientation::Portrait);
    QCOMPARE(rig.printer().Calls(Op::KillDoc).size(), std::size_t(1));

    JobRig logo;
    logo.global.startup.PollMode = true;
    logo.global.settings.LogoEnabled = true;
    logo.canvas.Fail(Op::DrawOnto);
    QVERIFY_THROWS_EXCEPTION(OrvalinError, logo.Print("a\fb\r\nc"));
    QVERIFY(logo.Exists());
    QVERIFY(logo.printer().Calls(Op::EndDoc).empty());
    QCOMPARE(logo.printer().Calls(Op::KillDoc).size(), std::size_t(1));

    // A discard that fails too does not hide the error that ended the job.
    JobRig both;
    both.printer().Fail(Op::EndDoc);
    both.printer().Fail(Op::KillDoc);
    QVERIFY_THROWS_EXCEPTION(OrvalinError, both.Print("text"));
}

void TestPrintJob::drawingFailureKeepsFile()
{
    JobRig rig;
    rig.global.startup.PollMode = true;
    rig.printer().FailNth(Op::PrintText, 2);
    QVERIFY_THROWS_EXCEPTION(OrvalinError, rig.Print("one\r\ntwo\r\nthree"));
    QVERIFY(rig.Exists());
    QCOMPARE(Lines(rig.printer()), std::vector<std::string>{"one"});
    QVERIFY(rig.printer().Calls(Op::EndDoc).empty());
    QCOMPARE(rig.printer().Calls(Op::KillDoc).size(), std::size_t(1));
}

void TestPrintJob::noPrinterReachable()
{
    JobRig rig;
    rig.global.startup.PollMode = true;
    rig.printers.unreachable = true;
    rig.global.settings.PrinterName = "Alpha";
    QVERIFY_THROWS_EXCEPTION(OrvalinError, rig.Print("text"));
    QVERIFY(rig.Exists());
    rig.global.settings.PrinterName = DefaultPrinterName;
    QVERIFY_THROWS_EXCEPTION(OrvalinError, rig.Print("text"));
    QVERIFY(rig.Exists());
}

QTEST_GUILESS_MAIN(TestPrintJob)
#include "print_job_test.moc"
