// The editor's checks without widgets: code boxes, font sizes, the preselected action.
#include "dialogs/controlcodes/control_char_input.h"
#include "dialogs/controlcodes/show_codes.h"

#include <QTest>

class ControlCharInputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A code box holds one byte's decimal code; anything else is refused, and warned about while
    // typing (an empty box is neither).
    void codeBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<int>("value"); // -1: refused
        const std::pair<const char*, int> period[] = {{"0", 0},
                                                      {"255", 255},
                                                      {" 27 ", 27},
                                                      {"-0", 0},
                                                      {"2.5", 2} /* half to even */,
                                                      {"3.5", 4},
                                                      {".5", 0},
                                                      {"2e2", 200},
                                                      {"2.6", 3},
                                                      {"2,5", -1},
                                                      {"", -1},
                                                      {"   ", -1},
                                                      {"-", -1},
                                                      {"-1", -1},
                                                      {"+", -1},
                                                      {"256", -1},
                                                      {"300", -1},
                                                      {"255.5", -1} /* rounds to 256 */,
                                                      {"1e5", -1} /* past 16 bits */,
                                                      {"9e9", -1},
                                                      {"1e999", -1} /* past a double */,
                                                      {"12a", -1},
                                                      {"1a", -1},
                                                      {"ab", -1},
                                                      {"1 2", -1}};
        for (const auto& [text, value] : period)
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text) << QChar('.') << value;
        // With a comma locale both marks pass the numeric test; the value reads only the period.
        QTest::newRow("2,5 comma locale") << "2,5" << QChar(',') << 2;
        QTest::newRow("2,4 comma locale") << "2,4" << QChar(',') << 2;
        QTest::newRow("2.6 comma locale") << "2.6" << QChar(',') << 3;
        QTest::newRow("+7") << "+7" << QChar('.') << 7;
    }
    void codeBoxes()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(int, value);
        const std::optional<unsigned char> code = CodeBoxValue(text.toStdString(), separator.toLatin1());
        QCOMPARE(code ? int(*code) : -1, value);
        QCOMPARE(IsAcceptableCodeBoxText(text.toStdString(), separator.toLatin1()), value >= 0 || text.isEmpty());
        if (code)
            QCOMPARE(CodeBoxValue(CodeBoxText(*code), '.'), code); // the text a box shows reads back
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

    // A size is stored whole in the rule line's 3-character action field: anything that would come
    // back changed (a fraction, four digits) is refused rather than rounded or cut.
    void fontSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("code"); // empty: refused
        QTest::newRow("1") << "1" << QChar('.') << "1";
        QTest::newRow("999, the largest that fits") << "999" << QChar('.') << "999";
        QTest::newRow("12abc, no numeric test") << "12abc" << QChar('.') << "12";
        QTest::newRow("12.0 is whole") << "12.0" << QChar('.') << "12";
        QTest::newRow("leading zeros dropped") << "012" << QChar('.') << "12";
        QTest::newRow("exponent") << "1e2" << QChar('.') << "100";
        QTest::newRow("comma is no decimal point here") << "10,7" << QChar('.') << "10";
        QTest::newRow("comma locale, whole") << "10,0" << QChar(',') << "10";
        QTest::newRow("1000") << "1000" << QChar('.') << "";
        QTest::newRow("2160") << "2160" << QChar('.') << "";
        QTest::newRow("12.5") << "12.5" << QChar('.') << "";
        QTest::newRow("7.5 fits three characters but is no whole size") << "7.5" << QChar('.') << "";
        QTest::newRow("12,5 in a comma locale") << "12,5" << QChar(',') << "";
        QTest::newRow("12.5 in a comma locale") << "12.5" << QChar(',') << "";
        QTest::newRow("0.6") << "0.6" << QChar('.') << "";
        QTest::newRow("0") << "0" << QChar('.') << "";
        QTest::newRow("empty") << "" << QChar('.') << "";
        QTest::newRow("16-bit overflow") << "99999" << QChar('.') << "";
        QTest::newRow("huge exponent") << "1e999" << QChar('.') << "";
        QTest::newRow("negative") << "-5" << QChar('.') << "";
        QTest::newRow("lone minus") << "-" << QChar('.') << "";
        QTest::newRow("blanks") << "   " << QChar('.') << "";
        QTest::newRow("leading blanks") << "  9" << QChar('.') << "9";
        QTest::newRow("0.4 rounds to 0") << "0.4" << QChar('.') << "";
        QTest::newRow("32768, just past 16 bits") << "32768" << QChar('.') << "";
    }
    void fontSizes()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(QString, code);
        const std::optional<std::string> stored = FontSizeActionCode(text.toStdString(), separator.toLatin1());
        QCOMPARE(stored.value_or(""), code.toStdString());
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
        // "0" is numeric, so it is a font size, not entry 0 by its Code.
        QCOMPARE(PreselectedAction(table, "0", '.'), FontSizeActionIndex);
        // Another letter case finds the entry the printer reads it as.
        QCOMPARE(PreselectedAction(table, "NP", '.'), 1);
        QCOMPARE(PreselectedAction(table, "Ol", '.'), 20);
        // A code the table does not hold selects nothing.
        QCOMPARE(PreselectedAction(table, "7,5", '.'), -1);
        QCOMPARE(PreselectedAction(table, "np ", '.'), -1);
        QCOMPARE(PreselectedAction(table, "zz", '.'), -1);

        // The last matching entry wins when a table holds a code twice; an exact match wins over
        // one in another case.
        ActionTableType doubled = table;
        doubled[5].Code = "np";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 5);
        doubled[5].Code = "NP";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 1);
        QCOMPARE(PreselectedAction(doubled, "Np", '.'), 5);
    }

    void buildControlChar()
    {
        const ActionTableType table = BuildActionTable();
        ControlCharForm form;
        form.Codes[0] = "27";
        form.Codes[5] = "69";
        form.ActionIndex = 3;
        QCOMPARE(BuildControlChar(form, table, '.'), std::optional<ControlChar>(ControlChar{"\x1b\x45", "bb"}));

        form.ActionIndex = FontSizeActionIndex;
        form.FontSizeText = "";
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.FontSizeText = "12abc";
        QCOMPARE(BuildControlChar(form, table, '.')->ActionCode, std::string("12"));

        form.Codes[9] = "x";
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.Codes[9] = "";

        // No selected entry, or one outside the table, gives no rule rather than a guess.
        form.ActionIndex = -1;
        QVERIFY(!BuildControlChar(form, table, '.'));
        form.ActionIndex = 22;
        QVERIFY(!BuildControlChar(form, table, '.'));

        form.ActionIndex = IgnoreActionIndex;
        form.Codes = {};
        QCOMPARE(BuildControlChar(form, table, '.'), std::optional<ControlChar>(ControlChar{}));
    }

    // Opening a rule never changes its action: what is left as it opened keeps the code as stored.
    void actionLeftAsOpenedKeepsItsCode_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("actionIndex");
        QTest::addColumn<QString>("code"); // "refused": no rule
        QTest::newRow("unknown, nothing chosen") << "zz" << -1 << "zz";
        QTest::newRow("unknown, a choice made") << "zz" << 2 << "tb";
        QTest::newRow("other case, entry kept") << "NP" << 1 << "NP";
        QTest::newRow("other case, another entry") << "NP" << 3 << "bb";
        QTest::newRow("exact") << "np" << 1 << "np";
        QTest::newRow("known code, nothing selected") << "np" << -1 << "refused";
        QTest::newRow("new rule, Ignore") << "" << IgnoreActionIndex << "";
        QTest::newRow("size, another entry") << "12" << 4 << "eb";
    }
    void actionLeftAsOpenedKeepsItsCode()
    {
        QFETCH(QString, opened);
        QFETCH(int, actionIndex);
        QFETCH(QString, code);
        ControlCharForm form;
        form.Codes[0] = "7";
        form.OpenedAction = opened.toStdString();
        form.ActionIndex = actionIndex;
        const std::optional<ControlChar> rule = BuildControlChar(form, BuildActionTable(), '.');
        if (code == "refused") {
            QVERIFY(!rule);
        } else {
            QVERIFY(rule);
            QCOMPARE(rule->ActionCode, code.toStdString());
            QCOMPARE(rule->AsciiCode, std::string("\x07"));
        }
    }

    // How a rule reads in the settings dialog's list: codes, a tab, the action.
    void rowTexts_data()
    {
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("row");
        QTest::newRow("one code") << QByteArray("\x0c") << "np" << QChar('.') << "12\tPage break";
        QTest::newRow("two codes") << QByteArray("\x1b\x45") << "bb" << QChar('.') << "27, 69\tBegin bold";
        QTest::newRow("byte 0, Ignore") << QByteArray(1, '\0') << "" << QChar('.') << "0\tIgnore";
        QTest::newRow("high bytes") << QByteArray("\xff\x80") << "h2" << QChar('.') << "255, 128\tLine height 1/12";
        QTest::newRow("no codes") << QByteArray() << "eb" << QChar('.') << "\tEnd bold";
        QTest::newRow("font size") << QByteArray("\x1b\x21") << "12" << QChar('.') << "27, 33\tFont size: 12";
        QTest::newRow("hand-edited size") << QByteArray("\x1b") << "7.5" << QChar('.') << "27\tFont size: 7.5";
        QTest::newRow("comma size") << QByteArray("\x1b") << "7,5" << QChar(',') << "27\tFont size: 7,5";
        QTest::newRow("numeric before the table") << QByteArray("\x1b") << "0" << QChar('.') << "27\tFont size: 0";
        QTest::newRow("other case") << QByteArray("\x0c") << "NP" << QChar('.') << "12\tPage break";
        QTest::newRow("unknown") << QByteArray("\x07") << "zz" << QChar('.') << "7\tERROR ...";
    }
    void rowTexts()
    {
        QFETCH(QByteArray, trigger);
        QFETCH(QString, action);
        QFETCH(QChar, separator);
        QFETCH(QString, row);
        const ControlChar rule{trigger.toStdString(), action.toStdString()};
        QCOMPARE(QString::fromStdString(ControlCodeRowText(BuildActionTable(), rule, separator.toLatin1())), row);
    }
};

QTEST_APPLESS_MAIN(ControlCharInputTest)
#include "control_char_input_test.moc"
