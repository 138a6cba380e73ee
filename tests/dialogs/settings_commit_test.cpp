// The checks and conversions of the settings dialog's Rendben, without widgets.
#include "dialogs/settings/commit_settings.h"
#include "dialogs/settings/single_line.h"

#include <QTest>

#include <functional>
#include <tuple>

namespace {

SettingsForm AcceptableForm()
{
    return SettingsForm{"Laser", "Courier New", "12",   "text.txt", "/spool/", "3000",
                        "0.8",   "/logo.bmp",   "LOGO", "100",      "200"};
}

Settings PreviousSettings()
{
    return Settings{"Old", "Old Font", 9, 1500, 1.25, "/old/", "old.txt", "/old.bmp", "OLD", 7, 8, false};
}

} // namespace

Q_DECLARE_METATYPE(SettingsForm)

class SettingsCommitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What each number field stores from a text (-1: refused), with the locale's decimal mark.
    void numbers_data()
    {
        QTest::addColumn<char>("field"); // font Size, poll Interval, left Margin
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<double>("stored");
        const std::tuple<char, const char*, char, double> rows[] = {
            {'S', "0", '.', -1},
            {'S', "1", '.', 1},
            {'S', "5", '.', 5},
            {'S', "6", '.', 6},
            {'S', "2160", '.', 2160},
            {'S', "2161", '.', -1},
            {'S', "2160.3", '.', -1} /* above the bound */,
            {'S', "0.7", '.', -1} /* not 1 */,
            {'S', "10.5", '.', 10},
            {'S', "11.5", '.', 12} /* half to even */,
            {'S', "abc", '.', -1},
            {'S', "", '.', -1},
            {'S', "14pt", '.', 14},
            {'S', "12,7", '.', 12} /* a comma is no decimal point */,
            {'S', "&H10", '.', 16},
            {'S', "&o17", '.', 15},
            {'S', "40000", '.', -1} /* 16-bit overflow */,
            {'S', "1e999", '.', -1},
            {'S', "-12", '.', -1},
            {'I', "1", '.', -1},
            {'I', "2", '.', 2},
            {'I', "65534", '.', 65534},
            {'I', "65535", '.', -1},
            {'I', "1.2", '.', 1},
            {'I', "1.2", ',', 1},
            {'I', "1,5", ',', -1} /* reads 1 */,
            {'I', "1,5", '.', -1},
            {'I', "3000ms", '.', -1},
            {'I', "", '.', -1},
            {'I', " 3000 ", '.', 3000},
            {'I', "3e3", '.', 3000},
            {'I', "9e999", '.', -1},
            {'I', "2500.5", '.', 2500} /* half to even */,
            {'I', "-500", '.', -1},
            {'I', "-", '.', -1},
            {'M', "0,8", '.', 0.8},
            {'M', "0,8", ',', 0.8},
            {'M', "0.8", '.', 0.8},
            {'M', "0.8", ',', 0.8},
            {'M', "0", '.', 0.0},
            {'M', "20", '.', 20.0},
            {'M', "20,5", ',', -1},
            {'M', "-1", '.', -1},
            {'M', "1,5,5", ',', -1},
            {'M', "1,5,5", '.', -1},
            {'M', "1.234", '.', 1.234} /* unrounded */,
            {'M', "abc", '.', -1},
            {'M', "", '.', -1},
            {'M', "1e999", '.', -1},
            {'M', "1e-999", '.', 0.0}};
        for (const auto& [field, text, separator, stored] : rows)
            QTest::addRow("%c '%s' with %c", field, text, separator)
                << field << QString::fromLatin1(text) << separator << stored;
        QTest::newRow("S huge hexadecimal") << 'S' << "&H" + QString(300, 'F') << '.' << -1.0;
    }
    void numbers()
    {
        QFETCH(char, field);
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(double, stored);
        const std::string typed = text.toStdString();
        std::optional<double> value;
        if (field == 'S')
            value = AcceptedFontSize(typed);
        else if (field == 'I')
            value = AcceptedPollInterval(typed, separator);
        else
            value = AcceptedLeftMargin(typed, separator);
        QCOMPARE(value.has_value(), stored >= 0);
        if (value)
            QCOMPARE(*value, stored);
    }

    void logoPosition()
    {
        const std::pair<const char*, std::optional<float>> rows[] = {
            {"12abc", 12.0f},
            {"abc", 0.0f},
            {"1,5", 1.0f},
            {"-3.5", -3.5f},
            {"&H1F", 31.0f},
            {"&h1f", 31.0f},
            {"1e39", std::nullopt} /* beyond single precision: the previous value stays */,
            {"1e999", std::nullopt}};
        for (const auto& [text, position] : rows)
            QCOMPARE(LogoPosition(text), position);
    }

    // What a commit stores (in the settings file's order) and refuses, in the committing order. A
    // refused field keeps its previous value; the unchecked fields are stored all the same, and so
    // are empty selections and blank names. The rules become the dialog's list.
    void store_data()
    {
        QTest::addColumn<SettingsForm>("form");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("refused");
        QTest::addColumn<int>("rules");
        const auto form = [](const std::function<void(SettingsForm&)>& change) {
            SettingsForm f = AcceptableForm();
            change(f);
            return f;
        };
        QTest::newRow("everything accepted")
            << AcceptableForm() << '.' << "Laser|Courier New|12|3000|0.8|/spool/|text.txt|/logo.bmp|LOGO|100|200"
            << QList<int>{} << 2;
        QTest::newRow("four refusals") << form([](SettingsForm& f) {
            f.FontSize = "0";
            f.SpoolFileName = "";
            f.PollInterval = "65535";
            f.LeftMargin = "20,5";
            f.LogoX = "1e999";
        }) << ',' << "Laser|Courier New|9|1500|1.25|/spool/|old.txt|/logo.bmp|LOGO|7|200"
                                       << QList<int>{int(Refusal::FontSize), int(Refusal::FileName),
                                                     int(Refusal::Interval), int(Refusal::Margin)}
                                       << 0;
        QTest::newRow("unstorable names") << form([](SettingsForm& f) {
            f.SpoolFolder.reset();
            f.LogoFile.reset();
            f.LogoCondition.reset();
            f.SpoolFileName.reset();
            f.FontSize = "0";
        }) << '.' << "Laser|Courier New|9|3000|0.8|/old/|old.txt|/old.bmp|OLD|100|200"
                                          << QList<int>{int(Refusal::UnstorableFolder),
                                                        int(Refusal::UnstorableLogoFile),
                                                        int(Refusal::UnstorableLogoCondition), int(Refusal::FontSize),
                                                        int(Refusal::UnstorableFileName)}
                                          << 0;
        QTest::newRow("empty selections, blank names") << form([](SettingsForm& f) {
            f.PrinterName = f.FontName = "";
            f.SpoolFileName = "   ";
            f.SpoolFolder = "/";
        }) << '.' << "||12|3000|0.8|/|   |/logo.bmp|LOGO|100|200"
                                                       << QList<int>{} << 2;
    }
    void store()
    {
        QFETCH(SettingsForm, form);
        QFETCH(char, separator);
        QFETCH(QString, stored);
        QFETCH(QList<int>, refused);
        QFETCH(int, rules);
        Settings s = PreviousSettings();
        Rules previous;
        previous.ControlChars.push_back(ControlChar{"\x09", "tb"});
        std::vector<ControlChar> working{ControlChar{}, ControlChar{"\x0c", "np"}, ControlChar{"\x1b\x45", "bb"}};
        working.resize(1 + rules);
        QList<int> seen;
        StoreSettingsForm(form, working, separator, s, previous, [&](Refusal r) { seen << int(r); });
        QCOMPARE(seen, refused);
        const QStringList values{QString::fromStdString(s.PrinterName),
                                 QString::fromStdString(s.FontName),
                                 QString::number(s.FontSize),
                                 QString::number(s.PollInterval),
                                 QString::number(s.LeftMargin),
                                 QString::fromStdString(s.SpoolFolder),
                                 QString::fromStdString(s.SpoolFileName),
                                 QString::fromStdString(s.LogoFile),
                                 QString::fromStdString(s.LogoCondition),
                                 QString::number(s.LogoX),
                                 QString::number(s.LogoY)};
        QCOMPARE(values.join('|'), stored);
        QCOMPARE(previous.ControlChars, working);
    }

    // Each refusal's message, once (the dialogs' tests compare with these).
    void refusalMessages_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString title = QStringLiteral("Orvalinó - Beállítások");
        const QString error = QStringLiteral("HIBA !!!\r\n\r\n");
        const auto unstorable = [&](const char* caption) {
            return error
                   + QStringLiteral("A \"%1\" mezőben olyan betű van, amelyet a beállítások nem tudnak tárolni. "
                                    "A mező régi értéke maradt.")
                         .arg(QString::fromUtf8(caption));
        };
        QTest::newRow("font size") << int(Refusal::FontSize) << title
                                   << error + "Ez a betüméret nem megengedett (6 -> 2160). A változtatás nem mentödött";
        QTest::newRow("file name") << int(Refusal::FileName) << title << error + "Érvénytelen file név.";
        QTest::newRow("interval") << int(Refusal::Interval) << title
                                  << "Hiba !!!\r\n\r\nNem megengedett érték. A változtatás nem mentődött";
        QTest::newRow("margin") << int(Refusal::Margin) << "Orvalin - settings" << error + "Nem megengedett érték.";
        QTest::newRow("folder") << int(Refusal::UnstorableFolder) << title << unstorable("Könyvtár neve");
        QTest::newRow("logo file") << int(Refusal::UnstorableLogoFile) << title << unstorable("Logo File");
        QTest::newRow("logo condition") << int(Refusal::UnstorableLogoCondition) << title
                                        << unstorable("Logo Feltétel");
        QTest::newRow("file name letters") << int(Refusal::UnstorableFileName) << title << unstorable("File neve");
    }
    void refusalMessages()
    {
        QFETCH(int, field);
        QFETCH(QString, title);
        QFETCH(QString, text);
        const RefusalText message = RefusalMessage(Refusal(field));
        QCOMPARE(QString::fromUtf8(message.Title), title);
        QCOMPARE(QString::fromUtf8(message.FirstLine) + "\r\n\r\n" + QString::fromUtf8(message.Text), text);
    }

    // A one-line field drops CR, LF and NUL wherever they are, and the caret keeps its place.
    void singleLine_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("keptPos");
        QTest::newRow("pasted lines") << "SZÁMLA\r\nMÁSO" + QString(QChar(0)) + "LAT\n" << 16 << "SZÁMLAMÁSOLAT" << 13;
        QTest::newRow("caret before the breaks") << "AB\r\nC" << 1 << "ABC" << 1;
        QTest::newRow("only a NUL") << QString(QChar(0)) << 1 << "" << 0;
        QTest::newRow("nothing to drop") << "a\tb" << 3 << "a\tb" << 3;
    }
    void singleLine()
    {
        QFETCH(QString, input);
        QFETCH(int, pos);
        QFETCH(QString, kept);
        QFETCH(int, keptPos);
        SingleLineValidator validator;
        QCOMPARE(validator.validate(input, pos), QValidator::Acceptable);
        QCOMPARE(input, kept);
        QCOMPARE(pos, keptPos);
    }
};

QTEST_APPLESS_MAIN(SettingsCommitTest)
#include "settings_commit_test.moc"
