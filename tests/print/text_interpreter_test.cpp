// Layout of single lines on a recording target: margin, line heights, script shifts, page breaks
// (asked for, and at the bottom of the page), rule matching and the logo page's target switch.
#include "common/errors.h"
#include "print/text_interpreter.h"
#include "recording_target.h"

#include <QTest>

#include <random>

namespace {

struct Rig {
    Global global;
    RecordingPrinter printer{"Recorder"};
    RecordingCanvas canvas;

    Rig()
    {
        global.settings.LeftMargin = 1;
        global.settings.FontSize = 10;
        global.print.LinesPerInch = 6;
    }
    void Rules(const QByteArrayList& triggersAndActions)
    {
        for (qsizetype i = 0; i + 1 < triggersAndActions.size(); i += 2)
            global.rules.ControlChars.push_back(
                ControlChar{triggersAndActions[i].toStdString(), triggersAndActions[i + 1].toStdString()});
    }
    // Prints the lines through a fresh interpreter, as one job does.
    void Print(const QByteArrayList& lines)
    {
        TextInterpreter interpreter(global.settings, global.rules, global.print, printer, canvas,
                                    global.print.JobHasLogo);
        for (const QByteArray& line : lines)
            interpreter.PrintLine(line.toStdString());
    }
};

const QByteArrayList Scripts{"^", "be", "~", "ee", "_", "bp", "|", "ep"};

} // namespace

class TestTextInterpreter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marginIsSinglePrecisionCentimetres();
    void lines_data();
    void lines();
    void lineHeights_data();
    void lineHeights();
    void noLineLostBelowThePage_data();
    void noLineLostBelowThePage();
    void fullLogoPageEndsAndTheRestFollows();
    void indexMatchesPlainSearch();
    void overlongRestIsOverflow();
    void failingActionsAreSkipped();
    void failingDrawingEndsLine();
    void logoPageSwitchesTarget();
};

void TestTextInterpreter::marginIsSinglePrecisionCentimetres()
{
    // A hand-edited margin below zero counts as none: nothing is drawn left of the page.
    for (auto [margin, x] : {std::pair{0.8, double(453.6f)}, std::pair{0.0, 0.0}, std::pair{-3.0, 0.0}}) {
        Rig rig;
        rig.global.settings.LeftMargin = margin;
        rig.Print({"a", "b"});
        QCOMPARE(rig.printer.Layout(), "a@" + rig.printer.Number(x) + ",0 b@" + rig.printer.Number(x) + ",240");
    }
    QVERIFY(double(453.6f) != 453.6); // single precision, not the double product
}

void TestTextInterpreter::lines_data()
{
    QTest::addColumn<QByteArrayList>("rules"); // trigger, action, trigger, action, …
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<double>("fontSize");   // the printer's before the lines
    QTest::addColumn<QByteArray>("events"); // RecordingSurface::Events, when not empty
    QTest::addColumn<QByteArray>("layout"); // RecordingSurface::Layout, when not empty
    auto row = [](const char* name, QByteArrayList rules, QByteArrayList lines, QByteArray events,
                  QByteArray layout = {},
                  double fontSize = 10) { QTest::newRow(name) << rules << lines << fontSize << events << layout; };
    row("leftmost trigger", {"AB", "bb", "B", "bi"}, {"xABy"}, "x<b1>y\n");
    row("at one place the list order", {"AB", "bb", "B", "bi"}, {"xBAB"}, "x<i1><b1>\n");
    // The leftmost trigger wins over a longer one that starts later; identical triggers go to the
    // earlier rule; a trigger longer than the rest does not match.
    row("leftmost over longer", {"CDE", "bu", "B", "bb", "B", "bi", "XYZ", "bi"}, {"aBCDE", "XY"}, "a<b1><u1>\nXY\n");
    row("ignore and unknown codes drop the trigger", {QByteArray(1, '\0'), "", "#", "zz", "@", "op", "%", "ol"},
        {QByteArray("a\0b#c@d%e", 9)}, "abcde\n", "a@567,0 b@687,0 c@807,0 d@927,0 e@1047,0");
    row("upper-case codes act", {"\f", "NP", "*", "Bb"}, {"a\fb*c"}, "a\n<np>b<b1>c\n");
    row("font sizes, a refused one skipped", {"\x01", "12", "\x02", "7.5", "\x03", "0"},
        {"\x01"
         "a\x02"
         "b\x03"
         "c"},
        "<s12>a<s7.5>bc\n");
    row("tab prints a tab", {"\x1bT", "tb"}, {"a\x1bTb"}, "a\tb\n");
    row("empty trigger skipped", {"", "bb", "x", "bi"}, {"axb"}, "a<i1>b\n");
    row("styles hold across lines and pages",
        {"\x1b"
         "B",
         "bb",
         "\x1b"
         "b",
         "eb",
         "\x1b"
         "I",
         "bi",
         "\x1b"
         "U",
         "bu",
         "\x1b"
         "u",
         "eu", "\f", "np"},
        {"\x1b"
         "B\x1b"
         "I\x1b"
         "Ubold",
         "still\f",
         "next page\x1b"
         "b",
         "plain\x1b"
         "u"},
        "<b1><i1><u1>bold\nstill\n<np>\nnext page<b0>\nplain<u0>\n");
    row("empty line only advances", {}, {"", "x"}, "\nx\n", "x@567,240");
    // The script shifts are half the line height; the line's advance does not change.
    row("scripts at 1/6 inch", Scripts + QByteArrayList{"\x01", "h6"},
        {"\x01"
         "a^up~b_down|c",
         "next"},
        {}, "a@567,0 up@687,-120/6 b@831,0 down@951,120/6 c@1239,0 next@567,240");
    row("scripts at 1/8 inch", Scripts + QByteArrayList{"\x01", "h8"},
        {"\x01"
         "a^up~b_down|c",
         "next"},
        {}, "a@567,0 up@687,-90/6 b@831,0 down@951,90/6 c@1239,0 next@567,180");
    row("scripts at 1 cm", Scripts + QByteArrayList{"\x01", "h1"},
        {"\x01"
         "a^up~b_down|c",
         "next"},
        {}, "a@567,0 up@687,-283.5/6 b@831,0 down@951,283.5/6 c@1239,0 next@567,567");
    row("superscript without end moves later lines", Scripts, {"^raised", "second", "third"}, {},
        "raised@567,-120/6 second@567,120/6 third@567,360/6");
    row("nested begins both restore six", Scripts, {"a^b_c|d~e"}, {},
        "a@567,0 b@687,-120/6 c@759,0/6 d@831,-120/6 e@903,0/6");
    row("saved size rounds half to even", Scripts, {"^x~y"}, {}, "x@567,-120/6 y@639,0", 10.5);
    row("saved size rounds half up to even", Scripts, {"^x~y"}, {}, "x@567,-120/6 y@639,0/12", 11.5);
    row("saved size rounds down", Scripts, {"^x~y"}, {}, "x@567,-120/6 y@639,0/7", 7.4);
    // The rest of a broken line lines up with the lines below it.
    row("page break mid-line", {"\f", "np"}, {"ab\fcd", "next"}, "ab\n<np>cd\nnext\n",
        "ab@567,0 cd@567,0#1 next@567,240#1");
    row("page break at line end", {"\f", "np"}, {"first", "ab\f", "next"}, {}, "first@567,0 ab@567,240 next@567,240#1");
}

void TestTextInterpreter::lines()
{
    QFETCH(QByteArrayList, rules);
    QFETCH(QByteArrayList, lines);
    QFETCH(double, fontSize);
    QFETCH(QByteArray, events);
    QFETCH(QByteArray, layout);
    Rig rig;
    rig.Rules(rules);
    rig.printer.font.size = fontSize;
    rig.Print(lines);
    if (!events.isEmpty())
        QCOMPARE(rig.printer.Events(), events.toStdString());
    if (!layout.isEmpty())
        QCOMPARE(rig.printer.Layout(), layout.toStdString());
}

void TestTextInterpreter::lineHeights_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<double>("height");
    const std::pair<const char*, double> heights[] = {{"h6", 240}, {"h8", 180}, {"h2", 120},
                                                      {"h4", 360}, {"h3", 480}, {"h1", 567}};
    for (auto [code, height] : heights)
        QTest::newRow(code) << QByteArray(code) << height;
}

void TestTextInterpreter::lineHeights()
{
    QFETCH(QByteArray, code);
    QFETCH(double, height);
    Rig rig;
    rig.global.print.LinesPerInch = 3; // a line height differing from all but h3's own
    rig.Rules({"\x01", code});
    // The action at the end of the first line already governs that line's advance.
    rig.Print({"a\x01", "b", "c"});
    QCOMPARE(rig.printer.Layout(),
             "a@567,0 b@567," + rig.printer.Number(height) + " c@567," + rig.printer.Number(2 * height));
    QCOMPARE(rig.printer.penY, 3 * height);
}

void TestTextInterpreter::noLineLostBelowThePage_data()
{
    QTest::addColumn<PageOrientation>("orientation");
    QTest::addColumn<QByteArray>("height"); // line-height action at the start
    QTest::addColumn<int>("perPage");
    // A4 on the recording printer: 16838 twips high in portrait, 11906 in landscape.
    QTest::newRow("portrait, 1/6 inch") << PageOrientation::Portrait << QByteArray("h6") << 70;
    QTest::newRow("landscape, 1/6 inch") << PageOrientation::Landscape << QByteArray("h6") << 49;
    QTest::newRow("portrait, 1 cm") << PageOrientation::Portrait << QByteArray("h1") << 29;
    QTest::newRow("landscape, 1/8 inch") << PageOrientation::Landscape << QByteArray("h8") << 66;
}

void TestTextInterpreter::noLineLostBelowThePage()
{
    QFETCH(PageOrientation, orientation);
    QFETCH(QByteArray, height);
    QFETCH(int, perPage);
    Rig rig;
    rig.Rules({"#", height});
    rig.printer.orientation = orientation;
    QByteArrayList lines{"#0"};
    for (int i = 1; i < 200; ++i)
        lines.push_back(QByteArray::number(i));
    rig.Print(lines);
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(200)); // every line, none below a page
    const double lineHeight = LineHeight(rig.global.print.LinesPerInch);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(texts[std::size_t(i)].text, std::to_string(i));
        QCOMPARE(texts[std::size_t(i)].page, i / perPage);
        QCOMPARE(texts[std::size_t(i)].y, (i % perPage) * lineHeight);
    }
}

void TestTextInterpreter::fullLogoPageEndsAndTheRestFollows()
{
    Rig rig;
    rig.global.print.JobHasLogo = true;
    rig.global.print.PageCounter = 1;
    QByteArrayList lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back(QByteArray::number(i));
    rig.Print(lines);
    // The logo page holds what fits and ends as at a form feed; the rest goes on the next page.
    QCOMPARE(rig.canvas.Texts().size(), std::size_t(70));
    QCOMPARE(rig.global.print.PageCounter, 2);
    const auto onPaper = rig.printer.Texts();
    QCOMPARE(onPaper.size(), std::size_t(30));
    QCOMPARE(rig.printer.Layout().substr(0, 12), std::string("70@567,0#1 7"));
    // The canvas was laid on the first page, before the page break, and one document goes on.
    QCOMPARE(rig.printer.Calls(Op::DrawOnto).size(), std::size_t(1));
    QCOMPARE(rig.printer.Calls(Op::DrawOnto)[0].page, 0);
    QVERIFY(rig.printer.Calls(Op::EndDoc).empty());
}

// The search by first byte must find exactly what trying every rule at every position finds.
void TestTextInterpreter::indexMatchesPlainSearch()
{
    std::mt19937 random(12345);
    auto byte = [&] { return static_cast<char>("ABCab\x1b\x0c"[random() % 7]); };
    for (int round = 0; round < 300; ++round) {
        Rig rig;
        std::vector<ControlChar> rules;
        const int ruleCount = 1 + int(random() % 8);
        for (int i = 0; i < ruleCount; ++i) {
            std::string trigger;
            const int length = 1 + int(random() % 3);
            for (int k = 0; k < length; ++k)
                trigger += byte();
            // Each rule sets its own size, so the recording shows which rule matched.
            rules.push_back(ControlChar{trigger, std::to_string(20 + i)});
            rig.global.rules.ControlChars.push_back(rules.back());
        }
        std::string line;
        const int lineLength = int(random() % 24);
        for (int k = 0; k < lineLength; ++k)
            line += byte();

        std::string expected;
        std::string rest = line;
        for (bool matched = true; matched && !rest.empty();) {
            matched = false;
            for (std::size_t p = 0; p < rest.size() && !matched; ++p) {
                for (const ControlChar& rule : rules) {
                    if (rest.compare(p, rule.AsciiCode.size(), rule.AsciiCode) == 0
                        && p + rule.AsciiCode.size() <= rest.size()) {
                        expected += rest.substr(0, p) + "<s" + rule.ActionCode + ">";
                        rest = rest.substr(p + rule.AsciiCode.size());
                        matched = true;
                        break;
                    }
                }
            }
        }
        rig.Print({QByteArray::fromStdString(line)});
        QCOMPARE(rig.printer.Events(), expected + rest + "\n");
    }
}

void TestTextInterpreter::overlongRestIsOverflow()
{
    Rig rig;
    rig.Rules({"|", "bb"});
    rig.Print({QByteArray(32767, 'a')});
    QCOMPARE(rig.printer.Texts().size(), std::size_t(1));

    TextInterpreter interpreter(rig.global.settings, rig.global.rules, rig.global.print, rig.printer, rig.canvas);
    QVERIFY_THROWS_EXCEPTION(OverflowError, interpreter.PrintLine("ab|" + std::string(40000, 'a')));
    QCOMPARE(rig.printer.Texts().size(), std::size_t(1));
    QCOMPARE(interpreter.PrintUpToNextCode("ab|" + std::string(32764, 'c')).size(), std::size_t(32764));
    try {
        interpreter.PrintLine(std::string(40000, 'a'));
        QFAIL("no error");
    } catch (const OrvalinError& e) {
        QVERIFY(std::string(e.what()).find("Overflow") != std::string::npos);
        QVERIFY(std::string(e.what()).find("40000") != std::string::npos);
    }
}

void TestTextInterpreter::failingActionsAreSkipped()
{
    Rig rig;
    rig.Rules({"*", "bb", "\f", "np", "^", "be"});
    rig.printer.Fail(Op::SetFontBold);
    rig.printer.Fail(Op::NewPage);
    rig.printer.FailNth(Op::FontSize, 1);
    rig.Print({"a*b\fc^d", "e"});
    // The size could not be read, so nothing was saved, but the pen and size still changed.
    QCOMPARE(rig.printer.Layout(), std::string("a@567,0 b@687,0 c@567,230 d@687,110/6 e@567,350/6"));
    QCOMPARE(int(rig.global.print.SavedFontSize), 0);
}

void TestTextInterpreter::failingDrawingEndsLine()
{
    Rig rig;
    rig.Rules({"*", "bb"});
    rig.printer.FailNth(Op::PrintText, 2);
    TextInterpreter interpreter(rig.global.settings, rig.global.rules, rig.global.print, rig.printer, rig.canvas,
                                rig.global.print.JobHasLogo);
    QVERIFY_THROWS_EXCEPTION(OrvalinError, interpreter.PrintLine("a*b*c"));
    QCOMPARE(rig.printer.Events(), std::string("a<b1>"));
}

void TestTextInterpreter::logoPageSwitchesTarget()
{
    Rig rig;
    rig.Rules({"\f", "np"});
    rig.global.print.JobHasLogo = true;
    rig.global.print.PageCounter = 1;
    rig.Print({"on canvas\f", "below"});
    QVERIFY(rig.printer.calls.empty());
    // "np" on the logo page ends the line only; that line end moves the pen one text line of the
    // font (230 twips here) before the line's own advance.
    QCOMPARE(rig.canvas.Events(), std::string("on canvas\n\nbelow\n"));
    QCOMPARE(rig.canvas.Layout(), std::string("on canvas@567,0 below@567,470"));

    // After the logo page, paper; a page break there starts a page.
    rig.global.print.PageCounter = 2;
    rig.Print({"second\f", "third"});
    QCOMPARE(rig.printer.Events(), std::string("second\n<np>\nthird\n"));
    QCOMPARE(rig.canvas.Texts().size(), std::size_t(2));
}

QTEST_GUILESS_MAIN(TestTextInterpreter)
#include "text_interpreter_test.moc"
