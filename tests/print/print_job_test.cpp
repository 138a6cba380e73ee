// Whole spool files through PrintJob onto recording printers: printer choice, set-up, head,
// orientation, logo decision, line reading, form feeds, documents, deletion and bad input.
#include "common/errors.h"
#include "print/spool_file.h"
#include "recording_target.h"
#include "spool_rig.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <tuple>

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

const QByteArray FiveLines = "1\r\n2\r\n3\r\n4\r\n5\r\n";

} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printerChoice()
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
        QCOMPARE(rig.printers.At(1).Count(Op::EndDoc), std::size_t(4));
    }
    // Every job starts from the settings alone and gives the printer back in its orientation.
    void jobStartsClean()
    {
        JobRig rig;
        RecordingPrinter& printer = rig.Recorder();
        printer.orientation = PageOrientation::Landscape;
        PageOrientation whilePrinting{};
        printer.onEndDoc = [&] { whilePrinting = printer.orientation; };
        for (auto [trigger, action] :
             {std::pair{"\1", "h8"}, {"\2", "bb"}, {"\3", "bi"}, {"\4", "bu"}, {"\5", "14"}, {"^", "be"}, {"~", "ee"}})
            rig.Rule(trigger, action);
        rig.global.print.PageCounter = 7;
        // Leaves on a line height, styles, a size, and a superscript that saved 14 points.
        QVERIFY(rig.Print("\1\2\3\4\5a^b"));
        QCOMPARE(int(rig.global.print.SavedFontSize), 14);
        QCOMPARE(rig.global.print.PageCounter, 1);
        QCOMPARE(whilePrinting, PageOrientation::Portrait);
        QCOMPARE(printer.orientation, PageOrientation::Landscape);
        QCOMPARE(printer.quality, PrintQuality::High);
        printer.calls.clear();
        QVERIFY(rig.Print("x\r\ny~z"));
        QCOMPARE(printer.Layout(), std::string("x@0,0 y@0,240 z@120,360"));
        for (const DrawCall& text : printer.Texts())
            QCOMPARE(Describe(text.font), std::string("Courier New 10 255 t"));
    }
    void orientation_data()
    {
        QTest::addColumn<QByteArray>("landscape");
        QTest::addColumn<QByteArray>("portrait");
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("wide");
        const QByteArray L = "\033L", P = "\033P", none;
        auto row = [](const char* name, QByteArray landscape, QByteArray portrait, QByteArray argument, QByteArray file,
                      bool wide) { QTest::newRow(name) << landscape << portrait << argument << file << wide; };
        row("argument 1, no trigger", L, P, "1", "a\r\nb", true);
        row("argument 0, no trigger", L, P, "0", "a\r\nb", false);
        row("argument 0, landscape trigger", L, P, "0", "a\r\n\033Lb", true);
        row("both triggers", L, P, "1", "\033P\r\n\033L", true);
        row("argument 1, portrait trigger", L, P, "1", "\033Pa", false);
        row("other argument text", L, P, "x", "a", true);
        row("trigger in line 7", L, P, "0", FiveLines + "6\r\n\033L", false);
        row("trigger in line 6", L, P, "0", FiveLines + "\033L\r\n7", true);
        row("trigger across line end", "a\r\nb", P, "0", "xa\r\nby", true);
        row("no rules, argument 0", none, none, "0", "a", false);
        row("only portrait rule, trigger", none, P, "1", "\033P", false);
    }
    void orientation()
    {
        QFETCH(QByteArray, landscape);
        QFETCH(QByteArray, portrait);
        QFETCH(QByteArray, argument);
        QFETCH(QByteArray, file);
        QFETCH(bool, wide);
        JobRig rig;
        rig.global.rules.LandscapeChars = landscape.toStdString();
        rig.global.rules.PortraitChars = portrait.toStdString();
        rig.global.settings.LogoEnabled = true; // the head's decision turns the logo page too
        QVERIFY(rig.Print(file, argument.toStdString()));
        QCOMPARE(rig.Recorder().Calls(Op::DrawOnto).at(0).rect,
                 (std::vector<double>{wide ? A4LongSide : A4ShortSide, wide ? A4ShortSide : A4LongSide}));
        QCOMPARE(rig.Recorder().orientation, PageOrientation::Portrait); // restored after the job
    }
    // Each job decides from its own head, one after the other on the same printer.
    void logoDecidedPerJob()
    {
        const std::tuple<const char*, QByteArray, bool> jobs[] = {
            {"INVOICE", "INVOICE 12\r\nx", true},          {"INVOICE", FiveLines + "6\r\nINVOICE", false},
            {"INVOICE", FiveLines + "INVOICE\r\n7", true}, {"INVOICE", "invoice", false},
            {"12\r\nx", "INVOICE 12\r\nx", true},          {"", "anything", true}};
        JobRig rig;
        rig.global.settings.LogoEnabled = true;
        for (const auto& [condition, file, logo] : jobs) {
            rig.global.settings.LogoCondition = condition;
            const std::size_t laid = rig.Recorder().Count(Op::DrawOnto), cleared = rig.canvas.Count(Op::Cls);
            const std::size_t plain = rig.Recorder().Texts().size(), overLogo = rig.canvas.Texts().size();
            QVERIFY(rig.Print(file));
            QVERIFY2(rig.global.print.JobHasLogo == logo, file.constData());
            QVERIFY(rig.global.settings.LogoEnabled); // the next file decides for itself
            QCOMPARE(rig.Recorder().Count(Op::DrawOnto), laid + logo);
            QCOMPARE(rig.canvas.Count(Op::Cls), cleared + logo);
            QCOMPARE(rig.Recorder().Texts().size() == plain, logo);
            QCOMPARE(rig.canvas.Texts().size() == overLogo, !logo);
        }
        // Without a logo enabled at start-up no head brings one.
        rig.global.settings.LogoEnabled = false;
        QVERIFY(rig.Print("INVOICE 4"));
        QVERIFY(!rig.global.print.JobHasLogo);
        QCOMPARE(rig.canvas.Count(Op::Cls), std::size_t(4));
    }
    // With a logo, the logo page ends at the first form feed; the rest follows in the same document.
    void lineReading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("pageBreakRule"); // form feed → "np"
        QTest::addColumn<QByteArray>("printed");
        QTest::addColumn<QByteArray>("onLogoPage"); // with a logo, when not empty
        QTest::addColumn<QByteArray>("layout");
        auto row = [](const char* name, QByteArray file, bool pageBreakRule, QByteArray printed,
                      QByteArray onLogoPage = {}, QByteArray layout = {}) {
            QTest::newRow(name) << file << pageBreakRule << printed << onLogoPage << layout;
        };
        row("no line end", "abc", false, "abc\n");
        row("ending CR LF stays", "a\r\nb\r\n", false, "a\nb\r\n\n");
        row("CR LF alone", "\r\n", false, "\r\n\n");
        row("empty lines", "a\r\n\r\nb", false, "a\n\nb\n");
        row("CR or LF alone stay", "a\rb\nc\n\rd", false, "a\rb\nc\n\rd\n");
        row("CR CR LF", "a\r\r\nb", false, "a\r\nb\n");
        row("LF after CR LF", "a\r\n\nb", false, "a\n\nb\n");
        row("empty file", "", false, "");
        row("NUL bytes", QByteArray("a\0b\r\n\0", 6), false, QByteArray("a\0b\n\0\n", 6));
        row("form feed without a rule", "a\fb\r\nc", false, "a\fb\nc\n");
        row("last line's form feed a blank", "a\fb\r\nc\f", true, "a\n<np>b\nc \n");
        row("two in the last line", "x\r\ny\f\fz", true, "x\ny \n<np>z\n");
        row("only form feeds", "\f\f\f", true, " \n<np>\n<np>\n");
        // The longest line that prints, its CR LF not counted.
        row("line at the limit", QByteArray(32767, 'z') + "\r\nb", false, QByteArray(32767, 'z') + "\nb\n");
        row("logo page ends at the first", "L1\r\nL2\fX\r\nP2\fP3\r\nend", true, "<np>P2\n<np>P3\nend\n", "L1\nL2\nX\n",
            "P2@0,0#1 P3@0,0#2 end@0,240#2");
        // The page break after the logo page is then the document's last act: nothing is drawn after it.
        row("logo page, form feed only in the last line", "A\r\nB\f", true, "<np>", "A\nB \n", "");
        row("logo page of form feeds", "\f\r\n\f\r\n\f", true, "<np>\n<np>\n \n", "\n\n", " @0,240#2");
    }
    void lineReading()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, pageBreakRule);
        QFETCH(QByteArray, printed);
        QFETCH(QByteArray, onLogoPage);
        QFETCH(QByteArray, layout);
        JobRig rig;
        if (pageBreakRule)
            rig.Rule("\f", "np");
        rig.global.settings.LogoEnabled = !onLogoPage.isEmpty();
        QVERIFY(rig.Print(file));
        QCOMPARE(rig.Recorder().Transcript(), printed.toStdString());
        QCOMPARE(rig.Recorder().Count(Op::EndDoc), std::size_t(1));
        QCOMPARE(rig.canvas.Transcript(), onLogoPage.toStdString());
        if (onLogoPage.isEmpty())
            return;
        QCOMPARE(rig.Recorder().Count(Op::DrawOnto), std::size_t(1));
        QCOMPARE(rig.Recorder().Calls(Op::DrawOnto)[0].page, 0);
        QCOMPARE(rig.Recorder().Layout(), layout.toStdString());
    }
    void crLfAcrossBufferBoundary()
    {
        // Lines of every length around the reader's buffer size, so that a CR LF straddles a refill.
        for (int length : {65534, 65535, 65536}) {
            TempFolder folder;
            folder.write("f", QByteArray(length, 'a') + "\r\nb\r\n");
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
    void logoPageComposition()
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
        QCOMPARE(rig.canvas.width, A4LongSide); // the landscape page
        QCOMPARE(rig.canvas.height, A4ShortSide);
        QCOMPARE(rig.canvas.Count(Op::PaintPicture), std::size_t(1));
        QCOMPARE(rig.canvas.Calls(Op::PaintPicture)[0].rect,
                 (std::vector<double>{100.5, 200, 600, 300, 0, 0, 600, 300}));
        QCOMPARE(Describe(rig.canvas.Texts().at(0).font), std::string("Mono 12 255 t"));
        QCOMPARE(rig.Recorder().Calls(Op::DrawOnto)[0].rect, (std::vector<double>{A4LongSide, A4ShortSide}));
        QCOMPARE(rig.canvas.Count(Op::Show), std::size_t(0)); // no diagnostic view
        // The next logo job starts on a blank canvas, and a missing picture is simply left out.
        const QImage none;
        rig.context.logo = LogoPictureOf(none);
        QVERIFY(rig.context.logo.image == nullptr);
        QVERIFY(rig.Print("second", "0"));
        QCOMPARE(rig.canvas.Count(Op::Cls), std::size_t(2));
        QCOMPARE(rig.canvas.Count(Op::PaintPicture), std::size_t(1));
        QCOMPARE(rig.canvas.width, A4ShortSide);
        // A canvas that refuses its size still gets the rest of its preparation.
        rig.canvas.Fail(Op::SetSize);
        rig.context.logo = LogoPictureOf(logo);
        QVERIFY(rig.Print("third"));
        QCOMPARE(rig.canvas.Count(Op::Cls), std::size_t(3));
        QCOMPARE(rig.canvas.Count(Op::PaintPicture), std::size_t(2));
        QCOMPARE(Describe(rig.canvas.Texts().back().font), std::string("Mono 12 255 t"));
    }
    void openFailureReturnsFalse()
    {
        JobRig rig;
        rig.global.settings.LogoEnabled = true;
        rig.global.settings.LogoCondition = "LOGO";
        rig.global.startup.PollMode = true;
        QVERIFY(QDir(rig.folder.path()).mkdir("text.txt"));
        // Files without an end are refused at once: a pipe nobody writes to, an endless device.
        QCOMPARE(::mkfifo(rig.folder.file("pipe").toLocal8Bit().constData(), 0600), 0);
        for (const QString& path : {rig.folder.file("missing.txt"), rig.folder.file("text.txt"),
                                    rig.folder.file("pipe"), QString("/dev/zero")})
            QVERIFY(!rig.Run(path.toStdString()));
        QVERIFY(rig.Exists() && rig.folder.exists("pipe"));
        QCOMPARE(rig.Recorder().Count(Op::PrintText) + rig.Recorder().Count(Op::EndDoc)
                     + rig.Recorder().Count(Op::KillDoc),
                 std::size_t(0));
        QVERIFY(rig.global.settings.LogoEnabled); // an unreadable file says nothing about later jobs' logo
    }
    // Only the polling mode deletes, and only an unchanged file: a changed one is a new job.
    void deletion_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"not polling", "unchanged", "renamed over", "rewritten", "appended", "touched"})
            QTest::newRow(how) << how;
    }
    void deletion()
    {
        QFETCH(QString, how);
        JobRig rig;
        rig.global.startup.PollMode = how != "not polling";
        const QString path = rig.folder.file("text.txt");
        rig.Recorder().onEndDoc = [&] {
            if (how == "renamed over") {
                rig.folder.write("new.tmp", "second job");
                QVERIFY(QFile::remove(path) && QFile::rename(rig.folder.file("new.tmp"), path));
            } else if (how == "rewritten") {
                rig.folder.write("text.txt", "a second, longer job");
            } else if (how == "appended") {
                QFile file(path);
                QVERIFY(file.open(QIODevice::Append) && file.write("\r\nmore") == 6);
            } else if (how == "touched") {
                rig.folder.write("text.txt", "FIRST");
                struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
                QCOMPARE(::utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0), 0);
            }
        };
        QVERIFY(rig.Print("first"));
        QCOMPARE(rig.Exists(), how != "unchanged");
        if (how != "unchanged" && how != "not polling")
            QVERIFY(rig.folder.read("text.txt") != "first");
    }
    void faultKeepsFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("discarded"); // KillDoc calls
        QTest::addColumn<QByteArray>("printed");
        auto row = [](const char* name, QString fault, QByteArray file, int discarded, QByteArray printed) {
            QTest::newRow(name) << fault << file << discarded << printed;
        };
        row("EndDoc fails", "EndDoc", "text", 1, "text\n");
        row("EndDoc and KillDoc fail", "EndDoc KillDoc", "text", 0, "text\n");
        row("the canvas cannot be laid", "DrawOnto", "a\fb\r\nc", 1, "");
        row("second text fails", "PrintText", "one\r\ntwo\r\nthree", 1, "one\n");
        row("overlong line", "overlong", "short\r\n" + QByteArray(40000, 'x') + "\r\nafter", 1, "short\n");
        row("file without a line end", "overlong", QByteArray(3 * 1024 * 1024, 'y'), 1, "");
        row("named printer unreachable", "unreachable Alpha", "text", 0, "");
        row("default printer unreachable", "unreachable", "text", 0, "");
    }
    // An error while printing ends the job, discards the document not handed over and keeps the file.
    void faultKeepsFile()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, file);
        QFETCH(int, discarded);
        QFETCH(QByteArray, printed);
        JobRig rig;
        rig.global.startup.PollMode = true;
        rig.Recorder().orientation = PageOrientation::Landscape;
        if (fault.startsWith("EndDoc"))
            rig.Recorder().Fail(Op::EndDoc);
        if (fault.contains("KillDoc"))
            rig.Recorder().Fail(Op::KillDoc);
        if (fault == "DrawOnto")
            rig.global.settings.LogoEnabled = true, rig.canvas.Fail(Op::DrawOnto);
        if (fault == "PrintText")
            rig.Recorder().Fail(Op::PrintText, 2);
        rig.printers.unreachable = fault.startsWith("unreachable");
        if (fault.contains("Alpha"))
            rig.global.settings.PrinterName = "Alpha";
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
        QCOMPARE(rig.Recorder().Count(Op::EndDoc), std::size_t(0));
        QCOMPARE(rig.Recorder().Count(Op::KillDoc), std::size_t(discarded));
        // The job stopped where the error came: the orientation is not restored.
        if (fault.startsWith("EndDoc"))
            QCOMPARE(rig.Recorder().orientation, PageOrientation::Portrait);
    }
    void binaryGarbage()
    {
        JobRig rig;
        for (auto [trigger, action] :
             {std::pair{"\f", "np"}, {"\033E", "bb"}, {"\033", ""}, {"\1", "be"}, {"\2", "ep"}, {"\3", "h1"}})
            rig.Rule(trigger, action);
        rig.Rule(std::string(1, '\0'), "7.5");
        rig.global.startup.PollMode = true;
        std::mt19937 random(99);
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += random() % 64 == 0 ? QByteArray("\r\n") : QByteArray(1, char(random() % 256));
        QVERIFY(rig.Print(bytes));
        QVERIFY(!rig.Exists());
        QVERIFY(!rig.Recorder().Texts().empty());
        QCOMPARE(rig.Recorder().Count(Op::EndDoc), std::size_t(1));
        QCOMPARE(rig.Recorder().Count(Op::KillDoc), std::size_t(0));
    }
    void refusedSettingsAreSkipped()
    {
        JobRig rig;
        rig.Rule("\033L", "ol");
        auto& printer = rig.Recorder();
        for (Op op : {Op::Orientation, Op::SetOrientation, Op::SetPrintQuality, Op::SetFontTransparent, Op::SetFontName,
                      Op::SetFontSize, Op::SetFontCharset})
            printer.Fail(op);
        rig.global.settings.LogoEnabled = true;
        for (Op op : {Op::Cls, Op::PaintPicture, Op::SetFontName})
            rig.canvas.Fail(op);
        QVERIFY(rig.Print("\033Ltext\r\nline"));
        QCOMPARE(printer.orientation, PageOrientation::Portrait);
        QCOMPARE(rig.canvas.Transcript(), std::string("text\nline\n"));
        QCOMPARE(printer.Count(Op::DrawOnto), std::size_t(1));
        // A font the printer does not know keeps the one it has; the settings after it still apply.
        JobRig font;
        font.Recorder().Fail(Op::SetFontName);
        font.Recorder().font.name = "Old Font";
        font.global.settings.FontName = "No Such Font";
        font.global.settings.FontSize = 14;
        QVERIFY(font.Print("text"));
        QCOMPARE(Describe(font.Recorder().Texts().at(0).font), std::string("Old Font 14 255 t"));
    }
};

QTEST_GUILESS_MAIN(TestPrintJob)
#include "print_job_test.moc"
