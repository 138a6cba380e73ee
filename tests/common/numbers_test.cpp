// Number conversions: the leading number, the numeric test, half-even rounding, the two formats.
#include "common/errors.h"
#include "common/numbers.h"

#include <QTest>

#include <cmath>
#include <tuple>

class NumbersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "12" << 12.0;
        QTest::newRow("blanks skipped everywhere") << "  1 2 " << 12.0;
        QTest::newRow("trailing letters") << "12abc" << 12.0;
        QTest::newRow("decimal point") << "0.8" << 0.8;
        QTest::newRow("no leading zero") << ".8" << 0.8;
        QTest::newRow("comma is no decimal point") << "0,8" << 0.0;
        QTest::newRow("comma after digits") << "1,5,5" << 1.0;
        QTest::newRow("sign") << "-3.5" << -3.5;
        QTest::newRow("plus sign") << "+7" << 7.0;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("exponent without digits is ignored") << "2e" << 2.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("lone minus") << "-" << 0.0;
        QTest::newRow("tiny underflows to zero") << "1e-400" << 0.0;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(LeadingNumber(text.toStdString()), expected);
    }

    void leadingNumberOverflowIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(OverflowError, LeadingNumber("1e400"));
        QVERIFY_THROWS_EXCEPTION(OverflowError, LeadingNumber("-9e999"));
    }

    void isNumeric_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("integer") << "3000" << '.' << true;
        QTest::newRow("blanks around") << "  12 " << '.' << true;
        QTest::newRow("empty") << "" << '.' << false;
        QTest::newRow("blank only") << "  " << '.' << false;
        QTest::newRow("locale comma") << "0,8" << ',' << true;
        QTest::newRow("period with comma locale") << "0.8" << ',' << true;
        QTest::newRow("comma with period locale") << "0,8" << '.' << false;
        QTest::newRow("two separators") << "1,5,5" << ',' << false;
        QTest::newRow("trailing letters") << "12abc" << '.' << false;
        QTest::newRow("lone minus") << "-" << '.' << false;
        QTest::newRow("exponent") << "1e5" << '.' << true;
        QTest::newRow("dangling exponent") << "1e" << '.' << false;
        QTest::newRow("inner blank") << "1 2" << '.' << false;
    }
    void isNumeric()
    {
        QFETCH(QString, text);
        QFETCH(char, separator);
        QFETCH(bool, numeric);
        QCOMPARE(IsNumeric(text.toStdString(), separator), numeric);
    }

    // The settings file's numbers: a period only, the whole text, and nothing beyond a double.
    void invariantNumberReading()
    {
        const std::pair<const char*, double> read[] = {{".8", 0.8}, {"0.8", 0.8}, {" 3000 ", 3000.0}};
        for (const auto& [text, expected] : read) {
            double value = -1;
            QVERIFY(ParseInvariantNumber(text, value));
            QCOMPARE(value, expected);
        }
        double value = -1;
        for (const char* refused : {"", "0,8", "12abc", "\"10\"", "1e999"})
            QVERIFY2(!ParseInvariantNumber(refused, value), refused);
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

    void formatsReadBack()
    {
        for (double value : {0.8, 1.0 / 3, 123456.789, 1e-7, 2.5e15}) {
            double back = 0;
            QVERIFY(ParseInvariantNumber(InvariantNumber(value), back));
            QCOMPARE(back, value);
        }
    }
};

QTEST_GUILESS_MAIN(NumbersTest)
#include "numbers_test.moc"
