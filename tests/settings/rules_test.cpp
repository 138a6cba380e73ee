// The action table, the rule line's text form and the load-time sort of the rules.
#include "common/errors.h"
#include "settings/rule_line.h"
#include "settings/sort_rules.h"

#include <QTest>

#include <cstdint>
#include <string>
#include <vector>

namespace {

ControlChar Rule(std::string trigger, std::string action) { return ControlChar{std::move(trigger), std::move(action)}; }

std::vector<ControlChar> WithPlaceholder(std::vector<ControlChar> rules)
{
    rules.insert(rules.begin(), ControlChar{});
    return rules;
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One look-up proves the table is wired; its contents are the program's, not restated here.
    void actionLookUpIsExact()
    {
        const ActionTableType table = BuildActionTable();
        QCOMPARE(table[FindActionByCode(table, "ol")].Code, std::string("ol"));
        QCOMPARE(FindActionByCode(table, "OL"), -1);
    }

    void formatExamples_data()
    {
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("page break") << QByteArray("\x0C") << QByteArray("np") << QByteArray("np  12");
        QTest::newRow("bold escape") << QByteArray("\x1B"
                                                   "E")
                                     << QByteArray("bb") << QByteArray("bb  27 69");
        QTest::newRow("tab") << QByteArray("\t") << QByteArray("tb") << QByteArray("tb   9");
        QTest::newRow("font size 12") << QByteArray("\x1B!") << QByteArray("12") << QByteArray("12  27 33");
        QTest::newRow("font size 8") << QByteArray("\x1B!") << QByteArray("8") << QByteArray("8   27 33");
        QTest::newRow("ignore NUL") << QByteArray(1, '\0') << QByteArray("") << QByteArray("     0");
        QTest::newRow("byte 255") << QByteArray("\xFF") << QByteArray("eb") << QByteArray("eb 255");
        QTest::newRow("no trigger") << QByteArray() << QByteArray("eb") << QByteArray("eb ");
        QTest::newRow("three-digit size") << QByteArray("\x1B") << QByteArray("100") << QByteArray("100 27");
        QTest::newRow("fractional size") << QByteArray("\x1B") << QByteArray("7.5") << QByteArray("7.5 27");
    }
    void formatExamples()
    {
        QFETCH(QByteArray, trigger);
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, line);
        const ControlChar rule = Rule(trigger.toStdString(), action.toStdString());
        QCOMPARE(QByteArray::fromStdString(FormatRuleLine(rule)), line);
        Rules rules;
        QCOMPARE(ParseRuleLine(line.toStdString(), rules), rule); // and back
    }

    void sizesThatDoNotFitAreStoredAsWholeNumbersOfThreeDigits()
    {
        QCOMPARE(FormatRuleLine(Rule("\x1B", "2160")), std::string("999 27"));
        QCOMPARE(FormatRuleLine(Rule("\x1B", "1000")), std::string("999 27"));
        QCOMPARE(FormatRuleLine(Rule("\x1B", "12.25")), std::string("12  27"));
        QCOMPARE(FormatRuleLine(Rule("\x1B", "999.6")), std::string("999 27"));
        // The rest of the line keeps its layout: the trigger reads back intact.
        Rules rules;
        QCOMPARE(ParseRuleLine(FormatRuleLine(Rule("\x1B\x02", "2160")), rules), Rule("\x1B\x02", "999"));
    }

    void everyByteRoundTripsAndNoQuoteAppears()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        const std::string line = FormatRuleLine(Rule(all, "bb"));
        QVERIFY(line.find('"') == std::string::npos);
        QCOMPARE(line.size(), std::size_t(3 + 3 * 256));
        Rules rules;
        QCOMPARE(ParseRuleLine(line, rules).AsciiCode, all);
    }

    void parseReadsFieldsLeniently()
    {
        Rules rules;
        QCOMPARE(ParseRuleLine("12  9", rules), Rule("\t", "12")); // a short last field
        QCOMPARE(ParseRuleLine("np ", rules), Rule("", "np"));     // exactly three characters
        QCOMPARE(ParseRuleLine("np", rules), Rule("", "np"));
        QCOMPARE(ParseRuleLine("", rules), Rule("", ""));
        QCOMPARE(ParseRuleLine("bb   a", rules), Rule(std::string(1, '\0'), "bb")); // no digits: code 0
        QCOMPARE(ParseRuleLine("bb 2.5", rules), Rule("\x02", "bb"));               // halves to even
        QCOMPARE(ParseRuleLine("bb 3.5", rules), Rule("\x04", "bb"));
        QCOMPARE(ParseRuleLine(" NP 12", rules), Rule("\x0C", "NP")); // case kept, blanks trimmed
        QCOMPARE(ParseRuleLine("zz  27", rules), Rule("\x1B", "zz")); // unknown action kept
    }

    void triggerOutsideAByteIsAnError_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("256") << "np 256";
        QTest::newRow("negative") << "np  -1";
        QTest::newRow("exponent") << "np 9e9";
        QTest::newRow("second field") << "np  12999";
    }
    void triggerOutsideAByteIsAnError()
    {
        QFETCH(QString, line);
        Rules rules;
        QVERIFY_THROWS_EXCEPTION(OrvalinError, ParseRuleLine(line.toStdString(), rules));
    }

    void orientationTriggersComeFromTheLastRule()
    {
        Rules rules;
        ParseRuleLine("ol  27 76", rules);
        ParseRuleLine("op  27 80", rules);
        ParseRuleLine("ol  27108", rules); // later "ol" wins
        ParseRuleLine("OL  1", rules);     // exact comparison: not an "ol" rule
        QCOMPARE(rules.LandscapeChars, std::string("\x1B"
                                                   "l"));
        QCOMPARE(rules.PortraitChars, std::string("\x1B"
                                                  "P"));
    }

    void sortProcessesEventsBeforeEveryPass()
    {
        auto rules = WithPlaceholder({Rule("a", ""), Rule("b", ""), Rule("c", ""), Rule("d", "")});
        int calls = 0;
        SortRules(rules, [&calls] { ++calls; });
        QCOMPARE(calls, 3); // three passes for N = 4

        auto none = WithPlaceholder({});
        calls = 0;
        SortRules(none, [&calls] { ++calls; });
        QCOMPARE(calls, 0);
        QCOMPARE(none.size(), std::size_t(1));
    }

    // The order is the exchange sort's, exchange for exchange, including among equally long
    // triggers: lists of many equal lengths in every arrangement a seeded generator makes.
    void sortLeavesTheExchangeSortsOrder()
    {
        const auto exchangeSort = [](std::vector<ControlChar>& list) {
            const std::size_t n = list.size() - 1;
            for (std::size_t i = 1; i + 1 <= n; ++i)
                for (std::size_t j = i + 1; j <= n; ++j)
                    if (list[i].AsciiCode.size() < list[j].AsciiCode.size())
                        std::swap(list[i], list[j]);
        };
        std::uint32_t seed = 12345;
        const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
        for (int round = 0; round < 300; ++round) {
            const std::size_t count = next() % 40;
            const std::size_t lengths = 1 + next() % 6;
            std::vector<ControlChar> rules;
            for (std::size_t i = 0; i < count; ++i)
                rules.push_back(Rule(std::string(next() % (lengths + 1), 'x'), std::to_string(i)));
            auto expected = WithPlaceholder(rules);
            auto sorted = expected;
            exchangeSort(expected);
            SortRules(sorted, {});
            QCOMPARE(sorted, expected);
        }
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "rules_test.moc"
