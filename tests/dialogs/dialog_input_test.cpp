// What the dialogs' fields accept, without widgets: the rule editor's code boxes, font sizes,
// preselected action and the rule it builds; the settings dialog's checks and conversions at Rendben.
#include "dialogs/controlcodes/control_char_input.h"
#include "dialogs/controlcodes/show_codes.h"
#include "dialogs/settings/commit_settings.h"
#include "dialogs/settings/single_line.h"

#include <QTest>

#include <sstream>
#include <tuple>

class DialogInputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One byte's decimal code or refused (-1; an empty box is not warned about). With a comma locale
    // both marks pass the numeric test, but the value reads only the period.
    void codeBoxes()
    {
        const std::tuple<const char*, char, int> rows[] = {
            {"0", '.', 0},      {"255", '.', 255}, {" 27 ", '.', 27},  {"-0", '.', 0},   {"2.5", '.', 2},
            {"3.5", '.', 4},    {".5", '.', 0},    {"2e2", '.', 200},  {"2.6", '.', 3},  {"+7", '.', 7},
            {"2,5", '.', -1},   {"", '.', -1},     {"   ", '.', -1},   {"-", '.', -1},   {"-1", '.', -1},
            {"+", '.', -1},     {"256", '.', -1},  {"255.5", '.', -1}, {"1e5", '.', -1}, {"9e9", '.', -1},
            {"1e999", '.', -1}, {"12a", '.', -1},  {"1a", '.', -1},    {"ab", '.', -1},  {"1 2", '.', -1},
            {"2,5", ',', 2},    {"2,4", ',', 2},   {"2.6", ',', 3}};
        for (const auto& [text, separator, value] : rows) {
            const std::optional<unsigned char> code = CodeBoxValue(text, separator);
            QVERIFY2((code ? int(*code) : -1) == value, text);
            QVERIFY2(IsAcceptableCodeBoxText(text, separator) == (value >= 0 || !*text), text);
            QVERIFY2(!code || CodeBoxValue(CodeBoxText(*code), '.') == code, text); // the shown text reads back
        }
    }

    // The rule line's 3-character action field: what would come back changed is refused ("").
    void fontSizes()
    {
        const std::tuple<const char*, char, const char*> rows[] = {
            {"1", '.', "1"},     {"999", '.', "999"}, {"12abc", '.', "12"}, {"12.0", '.', "12"}, {"012", '.', "12"},
            {"1e2", '.', "100"}, {"10,7", '.', "10"}, {"10,0", ',', "10"},  {"  9", '.', "9"},   {"1000", '.', ""},
            {"2160", '.', ""},   {"12.5", '.', ""},   {"7.5", '.', ""},     {"12,5", ',', ""},   {"12.5", ',', ""},
            {"0.6", '.', ""},    {"0", '.', ""},      {"", '.', ""},        {"99999", '.', ""},  {"1e999", '.', ""},
            {"-5", '.', ""},     {"-", '.', ""},      {"   ", '.', ""},     {"0.4", '.', ""},    {"32768", '.', ""}};
        for (const auto& [text, separator, code] : rows)
            QVERIFY2(FontSizeActionCode(text, separator).value_or("") == code, text);
    }

    // "0" is numeric, so it is a font size, not entry 0 by its Code; another letter case finds the
    // entry the printer reads it as; a code the table does not hold selects nothing.
    void preselection()
    {
        const ActionTableType table = BuildActionTable();
        const int ignore = IgnoreActionIndex, size = FontSizeActionIndex;
        const std::tuple<const char*, char, int> rows[] = {
            {"", '.', ignore}, {"np", '.', 1}, {"ol", '.', 20}, {"op", '.', 19},  {"12", '.', size}, {"7,5", ',', size},
            {"0", '.', size},  {"NP", '.', 1}, {"Ol", '.', 20}, {"7,5", '.', -1}, {"np ", '.', -1},  {"zz", '.', -1}};
        for (const auto& [code, separator, index] : rows)
            QVERIFY2(PreselectedAction(table, code, separator) == index, code);
        // A code held twice: the last entry wins, an exact match over one in another case.
        ActionTableType doubled = table;
        doubled[5].Code = "np";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 5);
        doubled[5].Code = "NP";
        QCOMPARE(PreselectedAction(doubled, "np", '.'), 1);
        QCOMPARE(PreselectedAction(doubled, "Np", '.'), 5);
    }

    // Code boxes by index, comma-separated. No entry, or one outside the table, gives no rule rather
    // than a guess; an action left as it opened keeps the code as stored.
    void buildControlChar()
    {
        const int size = FontSizeActionIndex;
        const char* const refused = nullptr; // no rule
        const std::tuple<const char*, const char*, int, const char*, const char*, const char*> rows[] = {
            {"27,,,,,69", "", 3, "", "\x1b\x45", "bb"},
            {"27", "", size, "", "", refused},
            {"27", "", size, "12abc", "\x1b", "12"},
            {"27,,,,,,,,,x", "", 3, "", "", refused},
            {"27", "", -1, "", "", refused},
            {"27", "", 22, "", "", refused},
            {"", "", IgnoreActionIndex, "", "", ""},
            {"7", "zz", -1, "", "\x07", "zz"},
            {"7", "zz", 2, "", "\x07", "tb"},
            {"7", "NP", 1, "", "\x07", "NP"},
            {"7", "NP", 3, "", "\x07", "bb"},
            {"7", "np", 1, "", "\x07", "np"},
            {"7", "np", -1, "", "", refused},
            {"7", "", IgnoreActionIndex, "", "\x07", ""},
            {"7", "12", 4, "", "\x07", "eb"}};
        for (const auto& [boxes, opened, action, sizeText, trigger, code] : rows) {
            ControlCharForm form{{}, action, sizeText, opened};
            const QStringList codes = QString::fromLatin1(boxes).split(',');
            for (qsizetype i = 0; i < codes.size(); ++i)
                form.Codes[i] = codes[i].toStdString();
            const auto expected = code ? std::optional(ControlChar{trigger, code}) : std::nullopt;
            QVERIFY2(BuildControlChar(form, BuildActionTable(), '.') == expected, qPrintable(boxes + QString(opened)));
        }
    }

    // How a rule reads in the settings dialog's list: codes, a tab, the action.
    void rowTexts()
    {
        using namespace std::string_view_literals;
        const std::tuple<std::string_view, const char*, char, const char*> rows[] = {
            {"\0"sv, "", '.', "0\tIgnore"},
            {"\xff\x80"sv, "h2", '.', "255, 128\tLine height 1/12"},
            {"\x1b\x21"sv, "12", '.', "27, 33\tFont size: 12"},
            {"\x1b"sv, "7.5", '.', "27\tFont size: 7.5"},
            {"\x1b"sv, "7,5", ',', "27\tFont size: 7,5"},
            {"\x1b"sv, "0", '.', "27\tFont size: 0"},
            {"\x0c"sv, "NP", '.', "12\tPage break"},
            {"\x07"sv, "zz", '.', "7\tERROR ..."}};
        for (const auto& [trigger, action, separator, row] : rows)
            QCOMPARE(ControlCodeRowText(BuildActionTable(), ControlChar{std::string(trigger), action}, separator),
                     std::string(row));
    }

    // Font Size, poll Interval, left Margin (-1: refused). Sizes and intervals round half to even;
    // a comma is no decimal point unless it is the locale's.
    void numbers()
    {
        const std::tuple<char, const char*, char, double> rows[] = {
            {'S', "0", '.', -1},      {'S', "1", '.', 1},         {'S', "5", '.', 5},         {'S', "6", '.', 6},
            {'S', "2160", '.', 2160}, {'S', "2161", '.', -1},     {'S', "2160.3", '.', -1},   {'S', "0.7", '.', -1},
            {'S', "10.5", '.', 10},   {'S', "11.5", '.', 12},     {'S', "abc", '.', -1},      {'S', "", '.', -1},
            {'S', "14pt", '.', 14},   {'S', "12,7", '.', 12},     {'S', "&H10", '.', 16},     {'S', "&o17", '.', 15},
            {'S', "&O18", '.', 1},    {'S', "40000", '.', -1},    {'S', "1e999", '.', -1},    {'S', "-12", '.', -1},
            {'I', "1", '.', -1},      {'I', "2", '.', 2},         {'I', "65534", '.', 65534}, {'I', "65535", '.', -1},
            {'I', "1.2", '.', 1},     {'I', "1.2", ',', 1},       {'I', "1,5", ',', -1},      {'I', "1,5", '.', -1},
            {'I', "3000ms", '.', -1}, {'I', "", '.', -1},         {'I', " 3000 ", '.', 3000}, {'I', "3e3", '.', 3000},
            {'I', "9e999", '.', -1},  {'I', "2500.5", '.', 2500}, {'I', "-500", '.', -1},     {'I', "-", '.', -1},
            {'M', "0,8", '.', 0.8},   {'M', "0,8", ',', 0.8},     {'M', "0.8", '.', 0.8},     {'M', "0.8", ',', 0.8},
            {'M', "0", '.', 0.0},     {'M', "20", '.', 20.0},     {'M', "20,5", ',', -1},     {'M', "-1", '.', -1},
            {'M', "1,5,5", ',', -1},  {'M', "1,5,5", '.', -1},    {'M', "1.234", '.', 1.234}, {'M', "abc", '.', -1},
            {'M', "", '.', -1},       {'M', "1e999", '.', -1},    {'M', "1e-999", '.', 0.0}};
        for (const auto& [field, text, separator, stored] : rows) {
            const std::optional<double> value = field == 'S' ? std::optional<double>(AcceptedFontSize(text))
                                                : field == 'I'
                                                    ? std::optional<double>(AcceptedPollInterval(text, separator))
                                                    : AcceptedLeftMargin(text, separator);
            QVERIFY2(value.value_or(-1) == stored, qPrintable(QStringLiteral("%1 '%2'").arg(field).arg(text)));
        }
        QVERIFY(!AcceptedFontSize("&H" + std::string(300, 'F')));
    }

    void logoPosition()
    {
        const std::pair<const char*, std::optional<float>> rows[] = {
            {"12abc", 12.0f}, {"abc", 0.0f},   {"1,5", 1.0f},          {"-3.5", -3.5f},
            {"&H1F", 31.0f},  {"&h1f", 31.0f}, {"1e39", std::nullopt}, {"1e999", std::nullopt}};
        for (const auto& [text, position] : rows)
            QVERIFY2(LogoPosition(text) == position, text);
    }

    // A refused field keeps its previous value and the rest is stored, empty selections and blank
    // names too; refusals come in the committing order. The rules become the dialog's list.
    void store()
    {
        const std::nullopt_t none = std::nullopt; // a name the settings file cannot hold
        const std::tuple<SettingsForm, const char*, QList<Refusal>, int> rows[] = {
            {{"Laser", "Courier New", "12", "text.txt", "/spool/", "3000", "0.8", "/logo.bmp", "LOGO", "100", "200"},
             "Laser|Courier New|12|3000|0.8|/spool/|text.txt|/logo.bmp|LOGO|100|200",
             {},
             2},
            {{"Laser", "Courier New", "0", "", "/spool/", "65535", "20,5", "/logo.bmp", "LOGO", "1e999", "200"},
             "Laser|Courier New|9|1500|1.25|/spool/|old.txt|/logo.bmp|LOGO|7|200",
             {Refusal::FontSize, Refusal::FileName, Refusal::Interval, Refusal::Margin},
             0},
            {{"Laser", "Courier New", "0", none, none, "3000", "0.8", none, none, "100", "200"},
             "Laser|Courier New|9|3000|0.8|/old/|old.txt|/old.bmp|OLD|100|200",
             {Refusal::UnstorableFolder, Refusal::UnstorableLogoFile, Refusal::UnstorableLogoCondition,
              Refusal::FontSize, Refusal::UnstorableFileName},
             0},
            {{"", "", "12", "   ", "/", "3000", "0.8", "/logo.bmp", "LOGO", "100", "200"},
             "||12|3000|0.8|/|   |/logo.bmp|LOGO|100|200",
             {},
             2}};
        for (const auto& [form, stored, refused, rules] : rows) {
            Settings s{"Old", "Old Font", 9, 1500, 1.25, "/old/", "old.txt", "/old.bmp", "OLD", 7, 8, false};
            Rules previous;
            previous.ControlChars.push_back(ControlChar{"\x09", "tb"});
            std::vector<ControlChar> working{ControlChar{}, ControlChar{"\x0c", "np"}, ControlChar{"\x1b\x45", "bb"}};
            working.resize(1 + rules);
            QList<Refusal> seen;
            StoreSettingsForm(form, working, ',', s, previous, [&](Refusal r) { seen << r; });
            QCOMPARE(seen, refused);
            std::ostringstream out;
            out << s.PrinterName << '|' << s.FontName << '|' << s.FontSize << '|' << s.PollInterval << '|'
                << s.LeftMargin << '|' << s.SpoolFolder << '|' << s.SpoolFileName << '|' << s.LogoFile << '|'
                << s.LogoCondition << '|' << s.LogoX << '|' << s.LogoY;
            QCOMPARE(out.str(), std::string(stored));
            QCOMPARE(previous.ControlChars, working);
        }
    }

    // Each refusal's message, once (the dialogs' tests compare with these).
    void refusalMessages()
    {
        const QString dialog = QStringLiteral("Orvalinó - Beállítások");
        const QString error = QStringLiteral("HIBA !!!\r\n\r\n");
        const QString unstorable = error
                                   + "A \"%1\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                                     "A mező régi értéke maradt.";
        const std::tuple<Refusal, QString, QString> rows[] = {
            {Refusal::FontSize, dialog,
             error + "Ez a betüméret nem megengedett (6 -> 2160). A változtatás nem mentödött"},
            {Refusal::FileName, dialog, error + "Érvénytelen file név."},
            {Refusal::Interval, dialog, "Hiba !!!\r\n\r\nNem megengedett érték. A változtatás nem mentődött"},
            {Refusal::Margin, "Orvalin - settings", error + "Nem megengedett érték."},
            {Refusal::UnstorableFolder, dialog, unstorable.arg("Könyvtár neve")},
            {Refusal::UnstorableLogoFile, dialog, unstorable.arg("Logo File")},
            {Refusal::UnstorableLogoCondition, dialog, unstorable.arg("Logo Feltétel")},
            {Refusal::UnstorableFileName, dialog, unstorable.arg("File neve")}};
        for (const auto& [field, title, text] : rows) {
            const RefusalText message = RefusalMessage(field);
            QCOMPARE(QString::fromUtf8(message.Title), title);
            QCOMPARE(QString::fromUtf8(message.FirstLine) + "\r\n\r\n" + QString::fromUtf8(message.Text), text);
        }
    }

    // A one-line field drops CR, LF and NUL wherever they are, and the caret keeps its place.
    void singleLine()
    {
        const QString nul(QChar(0));
        const std::tuple<QString, int, QString, int> rows[] = {
            {"SZÁMLA\r\nMÁSO" + nul + "LAT\n", 16, "SZÁMLAMÁSOLAT", 13},
            {"AB\r\nC", 1, "ABC", 1},
            {nul, 1, "", 0},
            {"a\tb", 3, "a\tb", 3}};
        for (auto [input, pos, kept, keptPos] : rows) {
            QCOMPARE(SingleLineValidator().validate(input, pos), QValidator::Acceptable);
            QCOMPARE(input, kept);
            QCOMPARE(pos, keptPos);
        }
    }
};

QTEST_APPLESS_MAIN(DialogInputTest)
#include "dialog_input_test.moc"
