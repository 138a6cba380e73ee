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

} // namespace

class RulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The action left-aligned in three columns, then each trigger byte right-aligned in three; and
    // the line reads back to the rule, except for sizes too long for three columns.
    void format()
    {
        const struct {
            std::string trigger, action, line, readBack;
        } rows[] = {
            {"\x0C", "np", "np  12", "np"},
            {"\033E", "bb", "bb  27 69", "bb"},
            {"\t", "tb", "tb   9", "tb"},
            {"\x1B!", "12", "12  27 33", "12"},
            {"\x1B!", "8", "8   27 33", "8"},
            {std::string(1, '\0'), "", "     0", ""},
            {"\xFF", "eb", "eb 255", "eb"},
            {"", "eb", "eb ", "eb"},
            {"\x1B", "100", "100 27", "100"},
            {"\x1B", "7.5", "7.5 27", "7.5"},
            {"\x1B", "2160", "999 27", "999"},
            {"\x1B", "1000", "999 27", "999"},
            {"\x1B", "999.6", "999 27", "999"},
            {"\x1B", "998.7", "999 27", "999"}, // rounds to a size that fits
            {"\x1B", "12.25", "12  27", "12"},
            {"\x1B\x02", "2160", "999 27  2", "999"}, // the rest of the line keeps its layout
        };
        for (const auto& row : rows) {
            Rules rules;
            QCOMPARE(FormatRuleLine(Rule(row.trigger, row.action)), row.line);
            QCOMPARE(ParseRuleLine(row.line, rules), Rule(row.trigger, row.readBack));
        }
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
        for (const char* outside : {"np 256", "np  -1", "np 9e9", "np  12999"})
            QVERIFY_THROWS_EXCEPTION(OrvalinError, ParseRuleLine(outside, rules));
    }

    // Codes compare exactly: one look-up in the table (its contents are the program's, not restated
    // here), and the rules that set the orientation triggers, where the last one wins.
    void codesAreExact()
    {
        const ActionTableType table = BuildActionTable();
        QCOMPARE(table[FindActionByCode(table, "ol")].Code, std::string("ol"));
        QCOMPARE(FindActionByCode(table, "OL"), -1);
        Rules rules;
        for (const char* line : {"ol  27 76", "op  27 80", "ol  27108", "OL  1"})
            ParseRuleLine(line, rules);
        QCOMPARE(rules.LandscapeChars, std::string("\x1Bl"));
        QCOMPARE(rules.PortraitChars, std::string("\x1BP"));
    }

    // The order is the exchange sort's, exchange for exchange, including among equally long
    // triggers: lists of many equal lengths in every arrangement a seeded generator makes. Every
    // pass lets events through.
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
            std::vector<ControlChar> expected{ControlChar{}}; // the placeholder at index 0
            for (std::size_t i = 0; i < count; ++i)
                expected.push_back(Rule(std::string(next() % (lengths + 1), 'x'), std::to_string(i)));
            auto sorted = expected;
            exchangeSort(expected);
            int passes = 0;
            SortRules(sorted, [&passes] { ++passes; });
            QCOMPARE(sorted, expected);
            QCOMPARE(passes, count < 2 ? 0 : int(count) - 1);
        }
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "rules_test.moc"
