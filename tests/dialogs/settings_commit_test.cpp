// The checks and conversions of the settings dialog's Rendben, without widgets.
#include "dialogs/settings/commit_settings.h"

#include <QTest>

#include <cmath>
#include <limits>

namespace {

SettingsForm AcceptableForm()
{
    SettingsForm form;
    form.PrinterName = "Laser";
    form.FontName = "Courier New";
    form.FontSize = "12";
    form.SpoolFileName = "text.txt";
    form.SpoolFolder = "/spool/";
    form.PollInterval = "3000";
    form.LeftMargin = "0.8";
    form.LogoFile = "/logo.bmp";
    form.LogoCondition = "LOGO";
    form.LogoX = "100";
    form.LogoY = "200";
    return form;
}

Settings PreviousSettings()
{
    Settings s;
    s.PrinterName = "Old";
    s.FontName = "Old Font";
    s.FontSize = 9;
    s.PollInterval = 1500;
    s.LeftMargin = 1.25;
    s.SpoolFolder = "/old/";
    s.SpoolFileName = "old.txt";
    s.LogoFile = "/old.bmp";
    s.LogoCondition = "OLD";
    s.LogoX = 7;
    s.LogoY = 8;
    return s;
}

} // namespace

class SettingsCommitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fontSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("0") << "0" << -1;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("6") << "6" << 6;
        QTest::newRow("2160") << "2160" << 2160;
        QTest::newRow("2161") << "2161" << -1;
        QTest::newRow("2160.3 above the bound") << "2160.3" << -1;
        QTest::newRow("0.7 would round to 1") << "0.7" << -1;
        QTest::newRow("10.5 to even") << "10.5" << 10;
        QTest::newRow("11.5 to even") << "11.5" << 12;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("leading number") << "14pt" << 14;
        QTest::newRow("comma is no decimal point") << "12,7" << 12;
        QTest::newRow("hexadecimal") << "&H10" << 16;
        QTest::newRow("octal") << "&o17" << 15;
        QTest::newRow("16-bit overflow") << "40000" << -1;
        QTest::newRow("huge exponent") << "1e999" << -1;
        QTest::newRow("huge hexadecimal") << "&H" + QString(300, 'F') << -1;
        QTest::newRow("negative") << "-12" << -1;
    }
    void fontSize()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        const std::optional<std::int16_t> size = AcceptedFontSize(text.toStdString());
        QCOMPARE(size.has_value(), stored >= 0);
        if (size)
            QCOMPARE(int(*size), stored);
    }

    void pollInterval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("1 is refused") << "1" << '.' << -1;
        QTest::newRow("2") << "2" << '.' << 2;
        QTest::newRow("65534") << "65534" << '.' << 65534;
        QTest::newRow("65535 is refused") << "65535" << '.' << -1;
        QTest::newRow("1.2 rounds to 1") << "1.2" << '.' << 1;
        QTest::newRow("1.2 with a comma locale") << "1.2" << ',' << 1;
        QTest::newRow("1,5 with a comma locale reads 1") << "1,5" << ',' << -1;
        QTest::newRow("1,5 is no number with a period locale") << "1,5" << '.' << -1;
        QTest::newRow("3000ms") << "3000ms" << '.' << -1;
        QTest::newRow("empty") << "" << '.' << -1;
        QTest::newRow("blanks around") << " 3000 " << '.' << 3000;
        QTest::newRow("exponent") << "3e3" << '.' << 3000;
        QTest::newRow("huge exponent") << "9e999" << '.' << -1;
        QTest::newRow("half to even") << "2500.5" << '.' << 2500;
        QTest::newRow("negative") << "-500" << '.' << -1;
        QTest::newRow("lone minus") << "-" << '.' << -1;
    }
    void pollInterval()
    {
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(int, stored);
        const std::optional<std::int32_t> interval = AcceptedPollInterval(text.toStdString(), separator);
        QCOMPARE(interval.has_value(), stored >= 0);
        if (interval)
            QCOMPARE(int(*interval), stored);
    }

    void leftMargin_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<double>("stored"); // -1: refused
        QTest::newRow("0,8 period locale") << "0,8" << '.' << 0.8;
        QTest::newRow("0,8 comma locale") << "0,8" << ',' << 0.8;
        QTest::newRow("0.8 period locale") << "0.8" << '.' << 0.8;
        QTest::newRow("0.8 comma locale") << "0.8" << ',' << 0.8;
        QTest::newRow("0") << "0" << '.' << 0.0;
        QTest::newRow("20") << "20" << '.' << 20.0;
        QTest::newRow("20,5") << "20,5" << ',' << -1.0;
        QTest::newRow("-1") << "-1" << '.' << -1.0;
        QTest::newRow("1,5,5") << "1,5,5" << ',' << -1.0;
        QTest::newRow("1,5,5 period locale") << "1,5,5" << '.' << -1.0;
        QTest::newRow("unrounded") << "1.234" << '.' << 1.234;
        QTest::newRow("letters") << "abc" << '.' << -1.0;
        QTest::newRow("empty") << "" << '.' << -1.0;
        QTest::newRow("huge exponent") << "1e999" << '.' << -1.0;
        QTest::newRow("tiny exponent") << "1e-999" << '.' << 0.0;
    }
    void leftMargin()
    {
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(double, stored);
        const std::optional<double> margin = AcceptedLeftMargin(text.toStdString(), separator);
        QCOMPARE(margin.has_value(), stored >= 0);
        if (margin)
            QCOMPARE(*margin, stored);
    }

    void logoPosition()
    {
        QCOMPARE(LogoPosition("12abc"), std::optional<float>(12));
        QCOMPARE(LogoPosition("abc"), std::optional<float>(0));
        QCOMPARE(LogoPosition("1,5"), std::optional<float>(1));
        QCOMPARE(LogoPosition("-3.5"), std::optional<float>(-3.5f));
        QCOMPARE(LogoPosition("&H1F"), std::optional<float>(31));
        QCOMPARE(LogoPosition("&h1f"), std::optional<float>(31));
        // Beyond single precision, or beyond a double: the previous value stays.
        QCOMPARE(LogoPosition("1e39"), std::nullopt);
        QCOMPARE(LogoPosition("1e999"), std::nullopt);
    }

    void everythingAccepted()
    {
        Settings s = PreviousSettings();
        Rules rules;
        std::vector<ControlChar> working{ControlChar{}, ControlChar{"\x0c", "np"}, ControlChar{"\x1b\x45", "bb"}};
        std::vector<Refusal> refused;
        StoreSettingsForm(AcceptableForm(), working, '.', s, rules, [&](Refusal r) { refused.push_back(r); });
        QVERIFY(refused.empty());
        QCOMPARE(s.PrinterName, std::string("Laser"));
        QCOMPARE(s.FontName, std::string("Courier New"));
        QCOMPARE(int(s.FontSize), 12);
        QCOMPARE(s.SpoolFileName, std::string("text.txt"));
        QCOMPARE(s.SpoolFolder, std::string("/spool/"));
        QCOMPARE(s.PollInterval, 3000);
        QCOMPARE(s.LeftMargin, 0.8);
        QCOMPARE(s.LogoFile, std::string("/logo.bmp"));
        QCOMPARE(s.LogoCondition, std::string("LOGO"));
        QCOMPARE(s.LogoX, 100.0f);
        QCOMPARE(s.LogoY, 200.0f);
        QCOMPARE(rules.ControlChars, working);
    }

    void fourRefusalsInOrderKeepPreviousValues()
    {
        Settings s = PreviousSettings();
        Rules rules;
        rules.ControlChars.push_back(ControlChar{"\x09", "tb"});
        SettingsForm form = AcceptableForm();
        form.FontSize = "0";
        form.SpoolFileName = "";
        form.PollInterval = "65535";
        form.LeftMargin = "20,5";
        form.LogoX = "1e999";
        std::vector<Refusal> refused;
        // No rules in the dialog: the list holds only the placeholder afterwards.
        StoreSettingsForm(form, {ControlChar{}}, ',', s, rules, [&](Refusal r) { refused.push_back(r); });
        QCOMPARE(refused, (std::vector<Refusal>{Refusal::FontSize, Refusal::FileName, Refusal::Interval, Refusal::Margin}));
        QCOMPARE(int(s.FontSize), 9);
        QCOMPARE(s.SpoolFileName, std::string("old.txt"));
        QCOMPARE(s.PollInterval, 1500);
        QCOMPARE(s.LeftMargin, 1.25);
        QCOMPARE(s.LogoX, 7.0f);
        // The unchecked fields carry their new values all the same.
        QCOMPARE(s.PrinterName, std::string("Laser"));
        QCOMPARE(s.LogoY, 200.0f);
        QCOMPARE(rules.HighestIndex(), 0);
        QCOMPARE(rules.ControlChars.size(), std::size_t(1));
    }

    // Names the code page cannot hold are refused at their own step, each keeping its old value;
    // the other fields are stored all the same.
    void unstorableNamesRefusedInCommitOrder()
    {
        Settings s = PreviousSettings();
        Rules rules;
        SettingsForm form = AcceptableForm();
        form.SpoolFolder.reset();
        form.LogoFile.reset();
        form.LogoCondition.reset();
        form.SpoolFileName.reset();
        form.FontSize = "0";
        std::vector<Refusal> refused;
        StoreSettingsForm(form, {ControlChar{}}, '.', s, rules, [&](Refusal r) { refused.push_back(r); });
        QCOMPARE(refused, (std::vector<Refusal>{Refusal::UnstorableFolder, Refusal::UnstorableLogoFile,
                                                Refusal::UnstorableLogoCondition, Refusal::FontSize,
                                                Refusal::UnstorableFileName}));
        QCOMPARE(s.SpoolFolder, std::string("/old/"));
        QCOMPARE(s.LogoFile, std::string("/old.bmp"));
        QCOMPARE(s.LogoCondition, std::string("OLD"));
        QCOMPARE(s.SpoolFileName, std::string("old.txt"));
        QCOMPARE(s.PrinterName, std::string("Laser"));
        QCOMPARE(s.PollInterval, 3000);

        // Each message names its field by the caption the user sees.
        const std::pair<Refusal, const char*> captions[] = {{Refusal::UnstorableFolder, "\"Könyvtár neve\""},
                                                            {Refusal::UnstorableLogoFile, "\"Logo File\""},
                                                            {Refusal::UnstorableLogoCondition, "\"Logo Feltétel\""},
                                                            {Refusal::UnstorableFileName, "\"File neve\""}};
        for (const auto& [field, caption] : captions) {
            const RefusalText message = RefusalMessage(field);
            QCOMPARE(QString::fromUtf8(message.Title), QStringLiteral("Orvalinó - Beállítások"));
            QCOMPARE(QString::fromUtf8(message.FirstLine), QStringLiteral("HIBA !!!"));
            QVERIFY2(QString::fromUtf8(message.Text).contains(QString::fromUtf8(caption)), message.Text);
        }
    }

    void emptySelectionsAndBlankNamesAreStored()
    {
        Settings s = PreviousSettings();
        Rules rules;
        SettingsForm form = AcceptableForm();
        form.PrinterName = "";
        form.FontName = "";
        form.SpoolFileName = "   ";
        form.SpoolFolder = "/";
        std::vector<Refusal> refused;
        StoreSettingsForm(form, {ControlChar{}}, '.', s, rules, [&](Refusal r) { refused.push_back(r); });
        QVERIFY(refused.empty());
        QCOMPARE(s.PrinterName, std::string());
        QCOMPARE(s.FontName, std::string());
        QCOMPARE(s.SpoolFileName, std::string("   "));
        QCOMPARE(s.SpoolFolder, std::string("/"));
    }
};

QTEST_APPLESS_MAIN(SettingsCommitTest)
#include "settings_commit_test.moc"
