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
    }
    // Trigger, action, trigger, action, …
    void Rules(const QByteArrayList& rules)
    {
        for (qsizetype i = 0; i + 1 < rules.size(); i += 2)
            global.rules.ControlChars.push_back(ControlChar{rules[i].toStdString(), rules[i + 1].toStdString()});
    }
    TextInterpreter Interpreter()
    {
        return TextInterpreter(global.settings, global.rules, global.print, printer, canvas, global.print.JobHasLogo);
    }
    // Prints the lines through a fresh interpreter, as one job does.
    void Print(const QByteArrayList& lines)
    {
        TextInterpreter interpreter = Interpreter();
        for (const QByteArray& line : lines)
            interpreter.PrintLine(line.toStdString());
    }
};

const QByteArrayList Scripts{"^", "be", "~", "ee", "_", "bp", "|", "ep"};
const QByteArrayList Styles{"\033B", "bb", "\033b", "eb", "\033I", "bi", "\033U", "bu", "\033u", "eu", "\f", "np"};

} // namespace

class TestTextInterpreter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marginIsSinglePrecisionCentimetres()
    {
        // A hand-edited margin below zero counts as none: nothing is drawn left of the page.
        for (auto [margin, x] : {std::pair{0.8, double(453.6f)}, {0.0, 0.0}, {-3.0, 0.0}}) {
            Rig rig;
            rig.global.settings.LeftMargin = margin;
            rig.Print({"a", "b"});
            QCOMPARE(rig.printer.Layout(), "a@" + Number(x) + ",0 b@" + Number(x) + ",240");
        }
        QVERIFY(double(453.6f) != 453.6); // single precision, not the double product
    }
    void lines_data()
    {
        QTest::addColumn<QByteArrayList>("rules");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<double>("fontSize");   // the printer's before the lines
        QTest::addColumn<QByteArray>("events"); // RecordingSurface::Events, when not empty
        QTest::addColumn<QByteArray>("layout"); // RecordingSurface::Layout, when not empty
        auto row = [](const char* name, QByteArrayList rules, QByteArrayList lines, QByteArray events,
                      QByteArray layout = {},
                      double fontSize = 10) { QTest::newRow(name) << rules << lines << fontSize << events << layout; };
        row("leftmost trigger", {"AB", "bb", "B", "bi"}, {"xABy"}, "x<b1>y\n");
        row("at one place the list order", {"AB", "bb", "B", "bi"}, {"xBAB"}, "x<i1><b1>\n");
        // Leftmost wins over longer; identical triggers go to the earlier rule; no match past the end.
        row("leftmost over longer", {"CDE", "bu", "B", "bb", "B", "bi", "XYZ", "bi"}, {"aBCDE", "XY"},
            "a<b1><u1>\nXY\n");
        row("ignore and unknown codes drop the trigger", {QByteArray(1, '\0'), "", "#", "zz", "@", "op", "%", "ol"},
            {QByteArray("a\0b#c@d%e", 9)}, "abcde\n", "a@567,0 b@687,0 c@807,0 d@927,0 e@1047,0");
        row("upper-case codes act", {"\f", "NP", "*", "Bb"}, {"a\fb*c"}, "a\n<np>b<b1>c\n");
        row("font sizes, a refused one skipped", {"\1", "12", "\2", "7.5", "\3", "0"}, {"\1a\2b\3c"},
            "<s12>a<s7.5>bc\n");
        row("tab prints a tab", {"\033T", "tb"}, {"a\033Tb"}, "a\tb\n");
        row("empty trigger skipped", {"", "bb", "x", "bi"}, {"axb"}, "a<i1>b\n");
        row("styles hold across lines and pages", Styles,
            {"\033B\033I\033Ubold", "still\f", "next page\033b", "plain\033u"},
            "<b1><i1><u1>bold\nstill\n<np>\nnext page<b0>\nplain<u0>\n");
        row("empty line only advances", {}, {"", "x"}, "\nx\n", "x@567,240");
        // The script shifts are half the line height; the line's advance does not change.
        const QByteArrayList shifts{"\1a^up~b_down|c", "next"};
        row("scripts at 1/6 inch", Scripts + QByteArrayList{"\1", "h6"}, shifts, {},
            "a@567,0 up@687,-120/6 b@831,0 down@951,120/6 c@1239,0 next@567,240");
        row("scripts at 1/8 inch", Scripts + QByteArrayList{"\1", "h8"}, shifts, {},
            "a@567,0 up@687,-90/6 b@831,0 down@951,90/6 c@1239,0 next@567,180");
        row("scripts at 1 cm", Scripts + QByteArrayList{"\1", "h1"}, shifts, {},
            "a@567,0 up@687,-283.5/6 b@831,0 down@951,283.5/6 c@1239,0 next@567,567");
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
        // The action at the end of the first line already governs that line's advance.
        for (auto [code, height] : {std::pair{"h8", 180}, {"h2", 120}, {"h4", 360}, {"h3", 480}, {"h1", 567}})
            row(code, {"\1", code}, {"a\1", "b", "c"}, {},
                "a@567,0 b@567," + QByteArray::number(height) + " c@567," + QByteArray::number(2 * height));
        row("page break at line end", {"\f", "np"}, {"first", "ab\f", "next"}, {},
            "first@567,0 ab@567,240 next@567,240#1");
    }
    void lines()
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
    void noLineLostBelowThePage()
    {
        // A4 on the recording printer: 16838 twips high in portrait, 11906 in landscape.
        for (auto [orientation, height, perPage] : {std::tuple{PageOrientation::Portrait, "h6", 70},
                                                    {PageOrientation::Landscape, "h6", 49},
                                                    {PageOrientation::Portrait, "h1", 29},
                                                    {PageOrientation::Landscape, "h8", 66}}) {
            Rig rig;
            rig.Rules({"#", height});
            rig.printer.orientation = orientation;
            QByteArrayList lines{"#0"};
            for (int i = 1; i < 200; ++i)
                lines.push_back(QByteArray::number(i));
            rig.Print(lines);
            const auto texts = rig.printer.Texts();
            QVERIFY2(texts.size() == 200, height); // every line, none below a page
            for (std::size_t i = 0; i < 200; ++i) {
                QCOMPARE(texts[i].text, std::to_string(i));
                QCOMPARE(texts[i].page, int(i) / perPage);
                QCOMPARE(texts[i].y, int(i) % perPage * LineHeight(rig.global.print.LinesPerInch));
            }
        }
    }
    // The logo page holds what fits and ends as at a form feed; the rest goes on the next page.
    void fullLogoPageEndsAndTheRestFollows()
    {
        Rig rig;
        rig.global.print.JobHasLogo = true;
        rig.global.print.PageCounter = 1;
        QByteArrayList lines;
        for (int i = 0; i < 100; ++i)
            lines.push_back(QByteArray::number(i));
        rig.Print(lines);
        QCOMPARE(rig.canvas.Texts().size(), std::size_t(70));
        QCOMPARE(rig.global.print.PageCounter, 2);
        QCOMPARE(rig.printer.Texts().size(), std::size_t(30));
        QCOMPARE(rig.printer.Layout().substr(0, 12), std::string("70@567,0#1 7"));
        // The canvas was laid on the first page, before the page break, and one document goes on.
        QCOMPARE(rig.printer.Count(Op::DrawOnto), std::size_t(1));
        QCOMPARE(rig.printer.Calls(Op::DrawOnto)[0].page, 0);
        QCOMPARE(rig.printer.Count(Op::EndDoc), std::size_t(0));
    }
    // The search by first byte must find exactly what trying every rule at every position finds.
    void indexMatchesPlainSearch()
    {
        std::mt19937 random(12345);
        auto text = [&](int shortest, int longest) {
            std::string made(shortest + random() % (longest - shortest), ' ');
            for (char& c : made)
                c = "ABCab\x1b\x0c"[random() % 7];
            return made;
        };
        for (int round = 0; round < 300; ++round) {
            Rig rig;
            std::vector<ControlChar> rules(1 + random() % 8);
            for (std::size_t i = 0; i < rules.size(); ++i) // each its own size, to show which matched
                rules[i] = ControlChar{text(1, 4), std::to_string(20 + i)};
            rig.global.rules.ControlChars.insert(rig.global.rules.ControlChars.end(), rules.begin(), rules.end());
            const std::string line = text(0, 24);
            std::string expected, rest = line;
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
    // A rest of a line too long to print is refused before any of the line is drawn.
    void overlongRestIsOverflow()
    {
        Rig rig;
        rig.Rules({"|", "bb"});
        TextInterpreter interpreter = rig.Interpreter();
        QVERIFY_THROWS_EXCEPTION(OverflowError, interpreter.PrintLine("ab|" + std::string(40000, 'a')));
        QVERIFY(rig.printer.Texts().empty());
        QCOMPARE(interpreter.PrintUpToNextCode("ab|" + std::string(32764, 'c')).size(), std::size_t(32764));
        try {
            interpreter.PrintLine(std::string(40000, 'a'));
            QFAIL("no error");
        } catch (const OrvalinError& e) {
            QVERIFY2(QByteArray(e.what()).contains("Overflow") && QByteArray(e.what()).contains("40000"), e.what());
        }
    }
    void failingActionsAreSkipped()
    {
        Rig rig;
        rig.Rules({"*", "bb", "\f", "np", "^", "be"});
        rig.printer.Fail(Op::SetFontBold);
        rig.printer.Fail(Op::NewPage);
        rig.printer.Fail(Op::FontSize, 1);
        rig.Print({"a*b\fc^d", "e"});
        // The size could not be read, so nothing was saved, but the pen and size still changed.
        QCOMPARE(rig.printer.Layout(), std::string("a@567,0 b@687,0 c@567,230 d@687,110/6 e@567,350/6"));
        QCOMPARE(int(rig.global.print.SavedFontSize), 0);
        // A drawing that fails ends the line.
        Rig drawing;
        drawing.Rules({"*", "bb"});
        drawing.printer.Fail(Op::PrintText, 2);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, drawing.Interpreter().PrintLine("a*b*c"));
        QCOMPARE(drawing.printer.Events(), std::string("a<b1>"));
    }
    void logoPageSwitchesTarget()
    {
        Rig rig;
        rig.Rules({"\f", "np"});
        rig.global.print.JobHasLogo = true;
        rig.global.print.PageCounter = 1;
        rig.Print({"on canvas\f", "below"});
        QVERIFY(rig.printer.calls.empty());
        // "np" on the logo page only ends the line: one text line of the font (230) before the advance.
        QCOMPARE(rig.canvas.Events(), std::string("on canvas\n\nbelow\n"));
        QCOMPARE(rig.canvas.Layout(), std::string("on canvas@567,0 below@567,470"));
    }
};

QTEST_GUILESS_MAIN(TestTextInterpreter)
#include "text_interpreter_test.moc"
