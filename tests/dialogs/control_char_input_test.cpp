// The editor's checks without widgets: code boxes, font sizes, the preselected action.
#include "dialogs/controlcodes/control_char_input.h"
#include "dialogs/controlcodes/show_codes.h"

#include <QTest>

#include <tuple>

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
        const std::pair<const char*, std::optional<int>> rows[] = {{"32767", 32767},
                                                                   {"-32768", -32768},
                                                                   {"32768", std::nullopt},
                                                                   {"99999", std::nullopt},
                                                                   {"-32769", std::nullopt},
                                                                   {"1e400", std::nullopt},
                                                                   {"abc", 0},
                                                                   {"12abc", 12}};
        for (const auto& [text, value] : rows)
            QCOMPARE(LeadingInt16(text), value);
    }

    // A size is stored whole in the rule line's 3-character action field: anything that would come
    // back changed (a fraction, four digits) is refused rather than rounded or cut.
    void fontSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("code"); // empty: refused
        const std::tuple<const char*, char, const char*> rows[] = {
            {"1", '.', "1"},
            {"999", '.', "999"} /* the largest that fits */,
            {"12abc", '.', "12"} /* no numeric test */,
            {"12.0", '.', "12"},
            {"012", '.', "12"},
            {"1e2", '.', "100"},
            {"10,7", '.', "10"} /* comma: no decimal */,
            {"10,0", ',', "10"},
            {"1000", '.', ""},
            {"2160", '.', ""},
            {"12.5", '.', ""},
            {"7.5", '.', ""} /* fits three characters but is no whole size */,
            {"12,5", ',', ""},
            {"12.5", ',', ""},
            {"0.6", '.', ""},
            {"0", '.', ""},
            {"", '.', ""},
            {"99999", '.', ""} /* 16-bit overflow */,
            {"1e999", '.', ""},
            {"-5", '.', ""},
            {"-", '.', ""},
            {"   ", '.', ""},
            {"  9", '.', "9"},
            {"0.4", '.', ""} /* rounds to 0 */,
            {"32768", '.', ""} /* just past 16 bits */};
        for (const auto& [text, separator, code] : rows)
            QTest::addRow("'%s' with %c", text, separator) << QString::fromLatin1(text) << QChar(separator) << code;
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
        // "0" is numeric, so it is a font size, not entry 0 by its Code; another letter case finds
        // the entry the printer reads it as; a code the table does not hold selects nothing.
        const std::tuple<const char*, char, int> rows[] = {{"", '.', IgnoreActionIndex},
                                                           {"np", '.', 1},
                                                           {"ol", '.', 20},
                                                           {"op", '.', 19},
                                                           {"12", '.', FontSizeActionIndex},
                                                           {"7,5", ',', FontSizeActionIndex},
                                                           {"0", '.', FontSizeActionIndex},
                                                           {"NP", '.', 1},
                                                           {"Ol", '.', 20},
                                                           {"7,5", '.', -1},
                                                           {"np ", '.', -1},
                                                           {"zz", '.', -1}};
        for (const auto& [code, separator, index] : rows)
            QCOMPARE(PreselectedAction(table, code, separator), index);

        // The last matching entry wins when a table holds a code twice; an exact match wins over
        // one in another case.
        ActionTableType doubled = table;
        doubled[5].Code = "np";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 5);
        doubled[5].Code = "NP";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 1);
        QCOMPARE(PreselectedAction(doubled, "Np", '.'), 5);
    }

    // The rule the editor's OK builds (code boxes by index, comma-separated). No selected entry,
    // or one outside the table, gives no rule rather than a guess; opening a rule never changes its
    // action: what is left as it opened keeps the code as stored.
    void buildControlChar_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QString>("code"); // "refused": no rule
        const int size = FontSizeActionIndex;
        const std::tuple<const char*, const char*, const char*, int, const char*, const char*, const char*> rows[] = {
            {"two codes, a gap", "27,,,,,69", "", 3, "", "\x1b\x45", "bb"},
            {"size empty", "27", "", size, "", "", "refused"},
            {"size 12abc", "27", "", size, "12abc", "\x1b", "12"},
            {"letters", "27,,,,,,,,,x", "", 3, "", "", "refused"},
            {"nothing selected", "27", "", -1, "", "", "refused"},
            {"outside the table", "27", "", 22, "", "", "refused"},
            {"Ignore, no codes", "", "", IgnoreActionIndex, "", "", ""},
            {"unknown, nothing chosen", "7", "zz", -1, "", "\x07", "zz"},
            {"unknown, a choice made", "7", "zz", 2, "", "\x07", "tb"},
            {"other case, entry kept", "7", "NP", 1, "", "\x07", "NP"},
            {"other case, another entry", "7", "NP", 3, "", "\x07", "bb"},
            {"exact", "7", "np", 1, "", "\x07", "np"},
            {"known code, nothing selected", "7", "np", -1, "", "", "refused"},
            {"new rule, Ignore", "7", "", IgnoreActionIndex, "", "\x07", ""},
            {"size, another entry", "7", "12", 4, "", "\x07", "eb"}};
        for (const auto& [name, boxes, opened, action, sizeText, trigger, code] : rows)
            QTest::newRow(name) << boxes << opened << action << sizeText << QByteArray(trigger) << code;
    }
    void buildControlChar()
    {
        QFETCH(QString, boxes);
        QFETCH(QString, opened);
        QFETCH(int, action);
        QFETCH(QString, size);
        QFETCH(QByteArray, trigger);
        QFETCH(QString, code);
        ControlCharForm form;
        const QStringList codes = boxes.split(',');
        for (qsizetype i = 0; i < codes.size(); ++i)
            form.Codes[i] = codes[i].toStdString();
        form.OpenedAction = opened.toStdString();
        form.ActionIndex = action;
        form.FontSizeText = size.toStdString();
        const ControlChar rule{trigger.toStdString(), code.toStdString()};
        QCOMPARE(BuildControlChar(form, BuildActionTable(), '.'),
                 code == "refused" ? std::nullopt : std::optional(rule));
    }

    // How a rule reads in the settings dialog's list: codes, a tab, the action.
    void rowTexts_data()
    {
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("row");
        const std::tuple<const char*, QByteArray, const char*, char, const char*> rows[] = {
            {"one code", "\x0c", "np", '.', "12\tPage break"},
            {"two codes", "\x1b\x45", "bb", '.', "27, 69\tBegin bold"},
            {"byte 0, Ignore", QByteArray(1, '\0'), "", '.', "0\tIgnore"},
            {"high bytes", "\xff\x80", "h2", '.', "255, 128\tLine height 1/12"},
            {"no codes", "", "eb", '.', "\tEnd bold"},
            {"font size", "\x1b\x21", "12", '.', "27, 33\tFont size: 12"},
            {"hand-edited size", "\x1b", "7.5", '.', "27\tFont size: 7.5"},
            {"comma size", "\x1b", "7,5", ',', "27\tFont size: 7,5"},
            {"numeric before the table", "\x1b", "0", '.', "27\tFont size: 0"},
            {"other case", "\x0c", "NP", '.', "12\tPage break"},
            {"unknown", "\x07", "zz", '.', "7\tERROR ..."}};
        for (const auto& [name, trigger, action, separator, row] : rows)
            QTest::newRow(name) << trigger << QString::fromLatin1(action) << QChar(separator) << QString::fromUtf8(row);
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
