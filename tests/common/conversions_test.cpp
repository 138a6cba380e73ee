// Conversions: numbers (the leading number, the numeric test, half-even rounding, the two formats)
// and code pages (the choice from the language, the byte tables built through iconv).
#include "common/errors.h"
#include "common/numbers.h"
#include "platform/code_pages.h"

#include <QTest>

#include <cmath>
#include <tuple>

class ConversionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber()
    {
        const std::pair<const char*, double> rows[] = {
            {"12", 12.0},   {"  1 2 ", 12.0}, {"12abc", 12.0}, {"0.8", 0.8},      {".8", 0.8}, {"0,8", 0.0},
            {"1,5,5", 1.0}, {"-3.5", -3.5},   {"+7", 7.0},     {"1.5e3", 1500.0}, {"2e", 2.0}, {"abc", 0.0},
            {"", 0.0},      {"-", 0.0},       {"1e-400", 0.0}, {"1.2.3", 1.2},
        };
        for (const auto& [text, expected] : rows)
            QVERIFY2(LeadingNumber(text) == expected, text);
        QVERIFY_THROWS_EXCEPTION(OverflowError, LeadingNumber("1e400"));
        QVERIFY_THROWS_EXCEPTION(OverflowError, LeadingNumber("-9e999"));
    }

    void isNumeric()
    {
        const std::tuple<const char*, char, bool> rows[] = {
            {"3000", '.', true}, {"  12 ", '.', true}, {"", '.', false},      {"  ", '.', false},    {"0,8", ',', true},
            {"0.8", ',', true},  {"0,8", '.', false},  {"1,5,5", ',', false}, {"12abc", '.', false}, {"-", '.', false},
            {"1e5", '.', true},  {"1e", '.', false},   {"1 2", '.', false},
        };
        for (const auto& [text, separator, numeric] : rows)
            QVERIFY2(IsNumeric(text, separator) == numeric, text);
    }

    // The settings file's numbers: a period only, the whole text, and nothing beyond a double; what
    // InvariantNumber writes reads back the same.
    void invariantNumberReading()
    {
        double value = -1;
        const std::pair<const char*, double> read[] = {{".8", 0.8}, {"0.8", 0.8}, {" 3000 ", 3000.0}};
        for (const auto& [text, expected] : read)
            QVERIFY2(ParseInvariantNumber(text, value) && value == expected, text);
        for (const char* refused : {"", "0,8", "12abc", "\"10\"", "1e999"})
            QVERIFY2(!ParseInvariantNumber(refused, value), refused);
        for (double written : {0.8, 1.0 / 3, 123456.789, 1e-7, 2.5e15})
            QVERIFY2(ParseInvariantNumber(InvariantNumber(written), value) && value == written,
                     InvariantNumber(written).c_str());
    }

    // Half to even; a result outside the type is an error, not a wrapped value.
    void rounding()
    {
        const std::pair<double, int> int16[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}, {32767.4, 32767}};
        for (const auto& [value, rounded] : int16)
            QCOMPARE(RoundToInt16(value), std::int16_t(rounded));
        QCOMPARE(RoundToInt32(1.2), 1);
        QCOMPARE(RoundToInt32(2147483647.0), 2147483647);
        for (double outside : {32767.5 /* rounds to 32768 */, -32768.6, 99999.0})
            QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt16(outside));
        for (double outside : {2147483648.0, std::nan(""), HUGE_VAL})
            QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt32(outside));
    }

    void formats()
    {
        const std::tuple<double, char, const char*> general[] = {{0.8, ',', "0,8"},     {0.8, '.', "0.8"},
                                                                 {3000.0, ',', "3000"}, {0.0, ',', "0"},
                                                                 {-1.25, ',', "-1,25"}, {1e20, '.', "1E+20"}};
        for (const auto& [value, separator, text] : general)
            QCOMPARE(GeneralFormat(value, separator), std::string(text));
        const std::pair<double, const char*> invariant[] = {
            {0.8, "0.8"}, {0.0, "0"}, {-0.0, "0"}, {3000.0, "3000"}, {1e20, "100000000000000000000"}};
        for (const auto& [value, text] : invariant)
            QCOMPARE(InvariantNumber(value), std::string(text));
        // A single-precision logo position prints as typed, not as its double.
        QCOMPARE(GeneralFormat(0.1f, '.'), std::string("0.1"));
        QCOMPARE(InvariantNumber(0.1f), std::string("0.1"));
        QCOMPARE(InvariantNumber(1440.5f), std::string("1440.5"));
    }

    // One language proves the look-up; an unknown language or page falls back to the English pages.
    void choice()
    {
        QCOMPARE(CodePagesForLanguage("hu").Ansi, std::string("CP1250"));
        QCOMPARE(CodePagesForLanguage("hu").Oem, std::string("CP852"));
        QCOMPARE(CodePagesForLanguage("xx").Ansi, std::string("CP1252"));
        QCOMPARE(CodePagesForLanguage("").Oem, std::string("CP437"));
        QCOMPARE(CodePageNamed("NO-SUCH-PAGE").Name(), std::string("CP437"));
        QCOMPARE(CodePageNamed("NO-SUCH-PAGE").At(0xC9), U'╔');
        // The OEM page's Hungarian letters and box drawing.
        const CodePage& cp852 = CodePageNamed("CP852");
        QCOMPARE(cp852.At(0x8B), U'ő');
        QCOMPARE(cp852.At(0xFB), U'ű');
        QCOMPARE(cp852.At(0xA0), U'á');
        QCOMPARE(cp852.At(0xC9), U'╔');
        QCOMPARE(cp852.At('A'), U'A');
        QCOMPARE(QString::fromStdString(cp852.ToUtf8("\x8B\xFB")), QStringLiteral("őű"));
    }

    // Characters a page cannot hold, and broken UTF-8, become question marks.
    void ansiRoundTrip()
    {
        const CodePage& cp1250 = CodePageNamed("CP1250");
        const std::string utf8 = QStringLiteral("Árvíztűrő tükörfúrógép").toStdString();
        const std::string ansi = cp1250.FromUtf8(utf8);
        QCOMPARE(ansi.size(), std::size_t(22));
        QCOMPARE(cp1250.ToUtf8(ansi), utf8);
        const CodePage& cp1252 = CodePageNamed("CP1252");
        QCOMPARE(cp1252.FromUtf8(QStringLiteral("aő€").toStdString()), std::string("a?\x80"));
        QCOMPARE(cp1252.FromUtf8("\xC3"), std::string("?")); // truncated UTF-8
        QCOMPARE(cp1252.FromUtf8("\xFF\xFE"), std::string("??"));
    }
};

QTEST_GUILESS_MAIN(ConversionsTest)
#include "conversions_test.moc"
