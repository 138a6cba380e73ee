// The editor's checks without widgets: code boxes, font sizes, the preselected action.
#include "dialogs/controlcodes/control_char_input.h"

#include <QTest>

class ControlCharInputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void codeBoxValues()
    {
        QCOMPARE(CodeBoxValue("0", '.'), std::optional<unsigned char>(0));
        QCOMPARE(CodeBoxValue("255", '.'), std::optional<unsigned char>(255));
        QCOMPARE(CodeBoxValue(" 27 ", '.'), std::optional<unsigned char>(27));
        QCOMPARE(CodeBoxValue("-0", '.'), std::optional<unsigned char>(0));
        QCOMPARE(CodeBoxValue("2.5", '.'), std::optional<unsigned char>(2));   // half to even
        QCOMPARE(CodeBoxValue("3.5", '.'), std::optional<unsigned char>(4));
        QCOMPARE(CodeBoxValue(".5", '.'), std::optional<unsigned char>(0));
        QCOMPARE(CodeBoxValue("2,5", ','), std::optional<unsigned char>(2));   // numeric; value reads "2"
        QCOMPARE(CodeBoxValue("2e2", '.'), std::optional<unsigned char>(200));
        QVERIFY(!CodeBoxValue("2,5", '.'));
        QVERIFY(!CodeBoxValue("", '.'));
        QVERIFY(!CodeBoxValue("   ", '.'));
        QVERIFY(!CodeBoxValue("-", '.'));
        QVERIFY(!CodeBoxValue("-1", '.'));
        QVERIFY(!CodeBoxValue("256", '.'));
        QVERIFY(!CodeBoxValue("255.5", '.')); // rounds to 256
        QVERIFY(!CodeBoxValue("1e5", '.'));   // past 16 bits
        QVERIFY(!CodeBoxValue("1e999", '.')); // past a double
        QVERIFY(!CodeBoxValue("12a", '.'));
        QVERIFY(!CodeBoxValue("1 2", '.'));

        QVERIFY(IsAcceptableCodeBoxText("", '.'));
        QVERIFY(IsAcceptableCodeBoxText("30", '.'));
        QVERIFY(!IsAcceptableCodeBoxText("300", '.'));
        QCOMPARE(CodeBoxText(0), std::string("0"));
        QCOMPARE(CodeBoxText(255), std::string("255"));
    }

    void leadingInt16Bounds()
    {
        QCOMPARE(LeadingInt16("32767"), std::optional<int>(32767));
        QCOMPARE(LeadingInt16("-32768"), std::optional<int>(-32768));
        QVERIFY(!LeadingInt16("32768"));
        QVERIFY(!LeadingInt16("99999"));
        QVERIFY(!LeadingInt16("-32769"));
        QVERIFY(!LeadingInt16("1e400"));
        QCOMPARE(LeadingInt16("abc"), std::optional<int>(0));
        QCOMPARE(LeadingInt16("12abc"), std::optional<int>(12));
    }

    void fontSizes()
    {
        QCOMPARE(FontSizeActionCode("1"), std::optional<std::string>("1"));
        QCOMPARE(FontSizeActionCode("2160"), std::optional<std::string>("2160"));
        QCOMPARE(FontSizeActionCode("12abc"), std::optional<std::string>("12"));
        QCOMPARE(FontSizeActionCode("2160.4"), std::optional<std::string>("2160"));
        QVERIFY(!FontSizeActionCode("2160.6"));
        QVERIFY(!FontSizeActionCode("0"));
        QVERIFY(!FontSizeActionCode("2161"));
        QVERIFY(!FontSizeActionCode(""));
        QVERIFY(!FontSizeActionCode("99999"));
        QVERIFY(!FontSizeActionCode("-5"));
    }

    void preselection()
    {
        const ActionTableType table = BuildActionTable();
        QCOMPARE(PreselectedAction(table, "", '.'), IgnoreActionIndex);
        QCOMPARE(PreselectedAction(table, "np", '.'), 1);
        QCOMPARE(PreselectedAction(table, "ol", '.'), 20);
        QCOMPARE(PreselectedAction(table, "op", '.'), 19);
        QCOMPARE(PreselectedAction(table, "12", '.'), FontSizeActionIndex);
        QCOMPARE(PreselectedAction(table, "7,5", ','), FontSizeActionIndex);
        QCOMPARE(PreselectedAction(table, "7,5", '.'), UnknownActionPreselection);
        // "0" is numeric, so it is a font size, not entry 0 by its Code.
        QCOMPARE(PreselectedAction(table, "0", '.'), FontSizeActionIndex);
        QCOMPARE(PreselectedAction(table, "Np", '.'), UnknownActionPreselection);
        QCOMPARE(PreselectedAction(table, "np ", '.'), UnknownActionPreselection);

        // The last matching entry wins when a table holds a code twice.
        ActionTableType doubled = table;
        doubled[5].Code = "np";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 5);
    }

    void buildControlChar()
    {
        const ActionTableType table = BuildActionTable();
        ControlCharForm form;
        form.codes[0] = "27";
        form.codes[5] = "69";
        form.actionIndex = 3;
        QCOMPARE(BuildControlChar(form, table, '.'), std::optional<ControlChar>(ControlChar{"\x1b\x45", "bb"}));

        form.actionIndex = FontSizeActionIndex;
        form.fontSizeText = "";
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.fontSizeText = "12abc";
        QCOMPARE(BuildControlChar(form, table, '.')->ActionCode, std::string("12"));

        form.codes[9] = "x";
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.codes[9] = "";

        // No selected entry, or one outside the table, gives no rule rather than a guess.
        form.actionIndex = -1;
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.actionIndex = 22;
        QVERIFY(!BuildControlChar(form, table, '.'));

        form.actionIndex = IgnoreActionIndex;
        form.codes = {};
        QCOMPARE(BuildControlChar(form, table, '.'), std::optional<ControlChar>(ControlChar{}));
    }
};

QTEST_APPLESS_MAIN(ControlCharInputTest)
#include "control_char_input_test.moc"
