// Number conversions: the leading number, the numeric test, half-even rounding, the two formats.
#include "common/errors.h"
#include "common/numbers.h"

#include <QTest>

#include <cmath>

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

    void invariantNumberReading()
    {
        double value = -1;
        QVERIFY(ParseInvariantNumber(".8", value));
        QCOMPARE(value, 0.8);
        QVERIFY(ParseInvariantNumber("0.8", value));
        QCOMPARE(value, 0.8);
        QVERIFY(ParseInvariantNumber(" 3000 ", value));
        QCOMPARE(value, 3000.0);
        QVERIFY(!ParseInvariantNumber("", value));
        QVERIFY(!ParseInvariantNumber("0,8", value));
        QVERIFY(!ParseInvariantNumber("12abc", value));
        QVERIFY(!ParseInvariantNumber("\"10\"", value));
        QVERIFY(!ParseInvariantNumber("1e999", value));
    }

    void roundingHalvesToEven()
    {
        QCOMPARE(RoundToInt16(0.5), std::int16_t(0));
        QCOMPARE(RoundToInt16(1.5), std::int16_t(2));
        QCOMPARE(RoundToInt16(2.5), std::int16_t(2));
        QCOMPARE(RoundToInt16(-2.5), std::int16_t(-2));
        QCOMPARE(RoundToInt16(2.6), std::int16_t(3));
        QCOMPARE(RoundToInt16(32767.4), std::int16_t(32767));
        QCOMPARE(RoundToInt32(1.2), 1);
        QCOMPARE(RoundToInt32(2147483647.0), 2147483647);
    }

    void roundingOutOfRangeIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt16(32767.5)); // rounds to 32768
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt16(-32768.6));
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt16(99999));
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt32(2147483648.0));
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt32(std::nan("")));
        QVERIFY_THROWS_EXCEPTION(OverflowError, RoundToInt32(HUGE_VAL));
    }

    void generalFormat()
    {
        QCOMPARE(GeneralFormat(0.8, ','), std::string("0,8"));
        QCOMPARE(GeneralFormat(0.8, '.'), std::string("0.8"));
        QCOMPARE(GeneralFormat(3000.0, ','), std::string("3000"));
        QCOMPARE(GeneralFormat(0.0, ','), std::string("0"));
        QCOMPARE(GeneralFormat(-1.25, ','), std::string("-1,25"));
        QCOMPARE(GeneralFormat(1e20, '.'), std::string("1E+20"));
        QCOMPARE(GeneralFormat(0.1f, '.'), std::string("0.1")); // a single-precision logo position
    }

    void invariantFormatForTheSettingsFile()
    {
        QCOMPARE(InvariantNumber(0.8), std::string("0.8"));
        QCOMPARE(InvariantNumber(0.0), std::string("0"));
        QCOMPARE(InvariantNumber(-0.0), std::string("0"));
        QCOMPARE(InvariantNumber(3000.0), std::string("3000"));
        QCOMPARE(InvariantNumber(1e20), std::string("100000000000000000000"));
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
