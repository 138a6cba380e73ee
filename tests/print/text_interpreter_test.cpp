// Layout of single lines: margin, line heights, script shifts, page breaks (asked for, and at the
// bottom of the page), rule matching and the drawing-target switch of the logo page, checked on a
// recording target.
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
        global.settings.LeftMargin = 0.8;
        global.settings.FontSize = 10;
        global.print.LinesPerInch = 6;
    }
    void Rule(const std::string& trigger, const std::string& action)
    {
        global.rules.ControlChars.push_back(ControlChar{trigger, action});
    }
    // Prints the lines through a fresh interpreter, as one job does.
    void Print(const std::vector<std::string>& lines)
    {
        TextInterpreter interpreter(global.settings, global.rules, global.print, printer, canvas, global.print.JobHasLogo);
        for (const std::string& line : lines)
            interpreter.PrintLine(line);
    }
};

const double Margin = static_cast<float>(0.8 * 567);

} // namespace

class TestTextInterpreter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marginIsSinglePrecisionCentimetres();
    void emptyLineOnlyAdvances();
    void lineHeights_data();
    void lineHeights();
    void scriptShift_data();
    void scriptShift();
    void superscriptWithoutEndMovesLaterLines();
    void nestedBeginsBothRestoreSix();
    void savedFontSizeRoundsHalfToEven();
    void pageBreakMidLine();
    void pageBreakAtLineEnd();
    void noLineLostBelowThePage_data();
    void noLineLostBelowThePage();
    void fullLogoPageEndsAndTheRestFollows();
    void fontStylesCarryAcrossLinesAndPages();
    void leftmostTriggerThenListOrder();
    void indexMatchesPlainSearch();
    void ignoreAndUnknownCodesOnlyDropTrigger();
    void upperCaseCodesAct();
    void numericFontSizes();
    void tabPrintsTabCharacter();
    void emptyTriggerRuleIsSkipped();
    void overlongRestIsOverflow();
    void failingActionsAreSkipped();
    void failingDrawingEndsLine();
    void logoPageSwitchesTarget();
    void pageBreakAfterLogoPageStartsPage();
};

void TestTextInterpreter::marginIsSinglePrecisionCentimetres()
{
    Rig rig;
    rig.Print({"Hello"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(1));
    QCOMPARE(texts[0].text, std::string("Hello"));
    QCOMPARE(texts[0].x, double(453.6f));
    QVERIFY(texts[0].x != 453.6); // single precision, not the double product
    QCOMPARE(texts[0].y, 0.0);
    QCOMPARE(rig.printer.penY, 240.0);

    Rig none;
    none.global.settings.LeftMargin = 0;
    none.Print({"a", "b"});
    QCOMPARE(none.printer.Texts()[1].x, 0.0);
    QCOMPARE(none.printer.Texts()[1].y, 240.0);

    // A hand-edited margin below zero counts as none: nothing is drawn left of the page.
    Rig negative;
    negative.global.settings.LeftMargin = -3;
    negative.Print({"a"});
    QCOMPARE(negative.printer.Texts()[0].x, 0.0);
}

void TestTextInterpreter::emptyLineOnlyAdvances()
{
    Rig rig;
    rig.Print({"", "x"});
    QCOMPARE(rig.printer.Calls(Op::PrintLineEnd).size(), std::size_t(2));
    QCOMPARE(rig.printer.Calls(Op::SetCurrentX)[0].value, Margin);
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(1));
    QCOMPARE(texts[0].y, 240.0);
}

void TestTextInterpreter::lineHeights_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("selector");
    QTest::newRow("h6") << "h6" << 240.0 << 6;
    QTest::newRow("h8") << "h8" << 180.0 << 8;
    QTest::newRow("h2") << "h2" << 120.0 << 12;
    QTest::newRow("h4") << "h4" << 360.0 << 4;
    QTest::newRow("h3") << "h3" << 480.0 << 3;
    QTest::newRow("h1") << "h1" << 567.0 << -1;
}

void TestTextInterpreter::lineHeights()
{
    QFETCH(QString, code);
    QFETCH(double, height);
    QFETCH(int, selector);
    Rig rig;
    rig.global.print.LinesPerInch = 3; // a line height differing from all but h3's own
    rig.Rule("\x01", code.toStdString());
    // The action at the end of the first line already governs that line's advance.
    rig.Print({"a\x01", "b", "c"});
    QCOMPARE(int(rig.global.print.LinesPerInch), selector);
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts[1].y, height);
    QCOMPARE(texts[2].y, 2 * height);
    QCOMPARE(rig.printer.penY, 3 * height);
}

void TestTextInterpreter::scriptShift_data()
{
    QTest::addColumn<QString>("lineHeight");
    QTest::addColumn<double>("height");
    QTest::newRow("1/6 inch") << "h6" << 240.0;
    QTest::newRow("1/8 inch") << "h8" << 180.0;
    QTest::newRow("1 cm") << "h1" << 567.0;
}

void TestTextInterpreter::scriptShift()
{
    QFETCH(QString, lineHeight);
    QFETCH(double, height);
    const double s = height / 2; // 283.5 in the 1 cm mode
    Rig rig;
    rig.Rule("\x01", lineHeight.toStdString());
    rig.Rule("^", "be");
    rig.Rule("~", "ee");
    rig.Rule("_", "bp");
    rig.Rule("|", "ep");
    rig.printer.font.size = 10;
    rig.Print({"\x01" "a^up~b_down|c", "next"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(6));
    QCOMPARE(texts[0].y, 0.0);
    QCOMPARE(texts[1].text, std::string("up"));
    QCOMPARE(texts[1].y, -s);
    QCOMPARE(texts[1].font.size, 6.0);
    QCOMPARE(texts[2].y, 0.0);
    QCOMPARE(texts[2].font.size, 10.0);
    QCOMPARE(texts[3].text, std::string("down"));
    QCOMPARE(texts[3].y, s);
    QCOMPARE(texts[3].font.size, 6.0);
    QCOMPARE(texts[4].y, 0.0);
    QCOMPARE(texts[4].font.size, 10.0);
    // The line's advance does not change.
    QCOMPARE(texts[5].y, height);
    QCOMPARE(int(rig.global.print.SavedFontSize), 10);
}

void TestTextInterpreter::superscriptWithoutEndMovesLaterLines()
{
    Rig rig;
    rig.Rule("^", "be");
    rig.Print({"^raised", "second", "third"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts[0].y, -120.0);
    QCOMPARE(texts[1].y, 120.0);
    QCOMPARE(texts[2].y, 360.0);
    QCOMPARE(texts[2].font.size, 6.0);
}

void TestTextInterpreter::nestedBeginsBothRestoreSix()
{
    Rig rig;
    rig.Rule("^", "be");
    rig.Rule("~", "ee");
    rig.Rule("_", "bp");
    rig.Rule("|", "ep");
    rig.Print({"a^b_c|d~e"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(5));
    QCOMPARE(int(rig.global.print.SavedFontSize), 6);
    QCOMPARE(texts[3].font.size, 6.0);
    QCOMPARE(texts[4].font.size, 6.0);
    QCOMPARE(texts[4].y, 0.0); // the shifts cancel out
}

void TestTextInterpreter::savedFontSizeRoundsHalfToEven()
{
    for (auto [size, saved] : {std::pair{10.5, 10}, std::pair{11.5, 12}, std::pair{7.4, 7}}) {
        Rig rig;
        rig.Rule("^", "be");
        rig.Rule("~", "ee");
        rig.printer.font.size = size;
        rig.Print({"^x~y"});
        QCOMPARE(int(rig.global.print.SavedFontSize), saved);
        QCOMPARE(rig.printer.Texts()[1].font.size, double(saved));
    }
}

void TestTextInterpreter::pageBreakMidLine()
{
    Rig rig;
    rig.Rule("\f", "np");
    rig.Print({"ab\fcd", "next"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(3));
    QCOMPARE(texts[0].page, 0);
    QCOMPARE(texts[1].text, std::string("cd"));
    QCOMPARE(texts[1].page, 1);
    QCOMPARE(texts[1].x, Margin); // the rest of the line lines up with the lines below it
    QCOMPARE(texts[1].y, 0.0);
    QCOMPARE(texts[2].x, Margin);
    QCOMPARE(texts[2].y, 240.0);
    QCOMPARE(rig.printer.Transcript(), std::string("ab\n<np>cd\nnext\n"));
}

void TestTextInterpreter::pageBreakAtLineEnd()
{
    Rig rig;
    rig.Rule("\f", "np");
    rig.Print({"first", "ab\f", "next"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts[1].y, 240.0);
    QCOMPARE(texts[2].page, 1);
    QCOMPARE(texts[2].x, Margin);
    QCOMPARE(texts[2].y, 240.0);
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
    rig.Rule("#", height.toStdString());
    rig.printer.orientation = orientation;
    std::vector<std::string> lines{"#0"};
    for (int i = 1; i < 200; ++i)
        lines.push_back(std::to_string(i));
    rig.Print(lines);
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(200)); // every line, none below a page
    const double lineHeight = LineHeight(rig.global.print.LinesPerInch);
    const double pageHeight = orientation == PageOrientation::Landscape ? A4ShortSide : A4LongSide;
    for (int i = 0; i < 200; ++i) {
        const DrawCall& text = texts[std::size_t(i)];
        QCOMPARE(text.text, std::to_string(i));
        QCOMPARE(text.page, i / perPage);
        QCOMPARE(text.x, Margin);
        QCOMPARE(text.y, (i % perPage) * lineHeight);
        QVERIFY(text.y + lineHeight <= pageHeight);
    }
    QCOMPARE(rig.printer.Calls(Op::NewPage).size(), std::size_t(199 / perPage));
}

void TestTextInterpreter::fullLogoPageEndsAndTheRestFollows()
{
    Rig rig;
    rig.global.print.JobHasLogo = true;
    rig.global.print.PageCounter = 1;
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back(std::to_string(i));
    rig.Print(lines);
    // The logo page holds what fits and ends as at a form feed; the rest goes on the next page.
    QCOMPARE(rig.canvas.Texts().size(), std::size_t(70));
    QCOMPARE(rig.global.print.PageCounter, 2);
    const auto onPaper = rig.printer.Texts();
    QCOMPARE(onPaper.size(), std::size_t(30));
    QCOMPARE(onPaper[0].text, std::string("70"));
    QCOMPARE(onPaper[0].page, 1);
    QCOMPARE(onPaper[0].x, Margin);
    QCOMPARE(onPaper[0].y, 0.0);
    // The canvas was laid on the first page, before the page break.
    QCOMPARE(rig.printer.Calls(Op::DrawOnto).size(), std::size_t(1));
    QCOMPARE(rig.printer.Calls(Op::DrawOnto)[0].page, 0);
    QCOMPARE(rig.printer.Calls(Op::EndDoc).size(), std::size_t(0)); // one document goes on
}

void TestTextInterpreter::fontStylesCarryAcrossLinesAndPages()
{
    Rig rig;
    rig.Rule("\x1b" "B", "bb");
    rig.Rule("\x1b" "b", "eb");
    rig.Rule("\x1b" "I", "bi");
    rig.Rule("\x1b" "U", "bu");
    rig.Rule("\x1b" "u", "eu");
    rig.Rule("\f", "np");
    // The job starts each document plain; within it, styles hold until their end action.
    rig.Print({"\x1b" "B\x1b" "I\x1b" "Ubold", "still\f", "next page\x1b" "b", "plain\x1b" "u"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts.size(), std::size_t(4));
    QCOMPARE(texts[2].page, 1);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(texts[i].font.bold);
        QVERIFY(texts[i].font.italic);
        QVERIFY(texts[i].font.underline);
    }
    QVERIFY(!texts[3].font.bold);
    QVERIFY(texts[3].font.italic);
    QVERIFY(texts[3].font.underline);
    QVERIFY(!rig.printer.font.underline);
}

void TestTextInterpreter::leftmostTriggerThenListOrder()
{
    {
        Rig rig;
        rig.Rule("AB", "bb");
        rig.Rule("B", "bi");
        rig.Print({"xABy"});
        const auto texts = rig.printer.Texts();
        QCOMPARE(texts.size(), std::size_t(2));
        QVERIFY(texts[1].font.bold);
        QVERIFY(!texts[1].font.italic);
    }
    {
        Rig rig;
        rig.Rule("AB", "bb");
        rig.Rule("B", "bi");
        rig.Print({"xBAB"});
        QCOMPARE(rig.printer.Transcript(), std::string("x\n"));
        const auto styles = rig.printer.calls;
        std::vector<Op> order;
        for (const DrawCall& call : styles) {
            if (call.op == Op::SetFontBold || call.op == Op::SetFontItalic)
                order.push_back(call.op);
        }
        QCOMPARE(order, (std::vector<Op>{Op::SetFontItalic, Op::SetFontBold}));
    }
    {
        // The leftmost trigger wins even over a longer one that starts later; identical triggers
        // go to the earlier rule; a trigger longer than the rest does not match.
        Rig rig;
        rig.Rule("CDE", "bu");
        rig.Rule("B", "bb");
        rig.Rule("B", "bi");
        rig.Rule("XYZ", "bi");
        rig.Print({"aBCDE", "XY"});
        QCOMPARE(rig.printer.Transcript(), std::string("a\nXY\n"));
        QVERIFY(rig.printer.font.bold);
        QVERIFY(rig.printer.font.underline);
        QVERIFY(!rig.printer.font.italic);
    }
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
        while (!rest.empty()) {
            bool matched = false;
            for (std::size_t p = 0; p < rest.size() && !matched; ++p) {
                for (const ControlChar& rule : rules) {
                    if (rest.compare(p, rule.AsciiCode.size(), rule.AsciiCode) == 0
                        && p + rule.AsciiCode.size() <= rest.size()) {
                        expected += rest.substr(0, p) + "<" + rule.ActionCode + ">";
                        rest = rest.substr(p + rule.AsciiCode.size());
                        matched = true;
                        break;
                    }
                }
            }
            if (!matched) {
                expected += rest;
                rest.clear();
            }
        }

        rig.Print({line});
        std::string actual;
        for (const DrawCall& call : rig.printer.calls) {
            if (call.op == Op::PrintText)
                actual += call.text;
            else if (call.op == Op::SetFontSize)
                actual += "<" + std::to_string(int(call.value)) + ">";
        }
        QCOMPARE(actual, expected);
    }
}

void TestTextInterpreter::ignoreAndUnknownCodesOnlyDropTrigger()
{
    Rig rig;
    rig.Rule(std::string(1, '\0'), "");
    rig.Rule("#", "zz");
    rig.Rule("@", "op");
    rig.Rule("%", "ol");
    rig.Print({std::string("a\0b#c@d%e", 9)});
    QCOMPARE(rig.printer.Transcript(), std::string("abcde\n"));
    for (const DrawCall& call : rig.printer.calls) {
        QVERIFY2(call.op == Op::PrintText || call.op == Op::SetCurrentX || call.op == Op::SetCurrentY
                     || call.op == Op::PrintLineEnd,
                 OpName(call.op));
    }
    // Pieces keep their positions: each starts where the previous one ended.
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts[1].x, Margin + 120);
}

void TestTextInterpreter::upperCaseCodesAct()
{
    Rig rig;
    rig.Rule("\f", "NP");
    rig.Rule("*", "Bb");
    rig.Print({"a\fb*c"});
    QCOMPARE(rig.printer.Calls(Op::NewPage).size(), std::size_t(1));
    QVERIFY(rig.printer.Texts()[2].font.bold);
}

void TestTextInterpreter::numericFontSizes()
{
    Rig rig;
    rig.Rule("\x01", "12");
    rig.Rule("\x02", "7.5");
    rig.Rule("\x03", "0");
    rig.Print({"\x01" "a\x02" "b\x03" "c"});
    const auto texts = rig.printer.Texts();
    QCOMPARE(texts[0].font.size, 12.0);
    QCOMPARE(texts[1].font.size, 7.5);
    QCOMPARE(texts[2].font.size, 7.5); // a size the target refuses is skipped
}

void TestTextInterpreter::tabPrintsTabCharacter()
{
    Rig rig;
    rig.Rule("\x1b" "T", "tb");
    rig.Print({"a\x1b" "Tb"});
    QCOMPARE(rig.printer.Transcript(), std::string("a\tb\n"));
}

void TestTextInterpreter::emptyTriggerRuleIsSkipped()
{
    Rig rig;
    rig.Rule("", "bb");
    rig.Rule("x", "bi");
    rig.Print({"axb"});
    QCOMPARE(rig.printer.Transcript(), std::string("ab\n"));
    QVERIFY(!rig.printer.font.bold);
    QVERIFY(rig.printer.font.italic);
}

void TestTextInterpreter::overlongRestIsOverflow()
{
    Rig rig;
    rig.Rule("|", "bb");
    rig.Print({std::string(32767, 'a')});
    QCOMPARE(rig.printer.Texts().size(), std::size_t(1));

    Rig longer;
    longer.Rule("|", "bb");
    const std::string line = "ab|" + std::string(40000, 'a');
    TextInterpreter interpreter(longer.global.settings, longer.global.rules, longer.global.print, longer.printer, longer.canvas);
    QVERIFY_THROWS_EXCEPTION(OverflowError, interpreter.PrintLine(line));
    QVERIFY(longer.printer.Texts().empty());
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
    rig.Rule("*", "bb");
    rig.Rule("\f", "np");
    rig.Rule("^", "be");
    rig.printer.Fail(Op::SetFontBold);
    rig.printer.Fail(Op::NewPage);
    rig.printer.FailNth(Op::FontSize, 1);
    rig.Print({"a*b\fc^d", "e"});
    QCOMPARE(rig.printer.Transcript(), std::string("ab\ncd\ne\n"));
    const auto texts = rig.printer.Texts();
    // The size could not be read, so nothing was saved, but the pen and size still changed.
    QCOMPARE(int(rig.global.print.SavedFontSize), 0);
    QCOMPARE(texts[3].font.size, 6.0);
    QCOMPARE(texts[3].y - texts[2].y, -120.0);
}

void TestTextInterpreter::failingDrawingEndsLine()
{
    Rig rig;
    rig.Rule("*", "bb");
    rig.printer.FailNth(Op::PrintText, 2);
    TextInterpreter interpreter(rig.global.settings, rig.global.rules, rig.global.print, rig.printer, rig.canvas, rig.global.print.JobHasLogo);
    QVERIFY_THROWS_EXCEPTION(OrvalinError, interpreter.PrintLine("a*b*c"));
    QCOMPARE(rig.printer.Texts().size(), std::size_t(1));
    QVERIFY(rig.printer.Calls(Op::PrintLineEnd).empty());
}

void TestTextInterpreter::logoPageSwitchesTarget()
{
    Rig rig;
    rig.Rule("\f", "np");
    rig.global.print.JobHasLogo = true;
    rig.global.print.PageCounter = 1;
    rig.Print({"on canvas\f", "below"});
    QVERIFY(rig.printer.calls.empty());
    QVERIFY(rig.canvas.Calls(Op::NewPage).empty());
    const auto texts = rig.canvas.Texts();
    QCOMPARE(texts.size(), std::size_t(2));
    // "np" on the logo page ends the line only; that line end moves the pen one text line of the
    // font (230 twips here) before the line's own advance.
    QCOMPARE(texts[1].y, 230.0 + 240.0);

    rig.global.print.PageCounter = 2;
    rig.Print({"on paper"});
    QCOMPARE(rig.printer.Texts().size(), std::size_t(1));
    QCOMPARE(rig.canvas.Texts().size(), std::size_t(2));
}

void TestTextInterpreter::pageBreakAfterLogoPageStartsPage()
{
    Rig rig;
    rig.Rule("\f", "np");
    rig.global.print.JobHasLogo = true;
    rig.global.print.PageCounter = 2;
    rig.Print({"second\f", "third"});
    QCOMPARE(rig.printer.Calls(Op::NewPage).size(), std::size_t(1));
    QCOMPARE(rig.printer.Texts()[1].page, 1);
}

QTEST_GUILESS_MAIN(TestTextInterpreter)
#include "text_interpreter_test.moc"
