#include "bench_spool.h"

#include "platform/code_pages.h"

#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const char Escape = '\x1b';

} // namespace

void AddBenchRules(Global& global)
{
    auto rule = [&](std::string trigger, std::string action) {
        global.rules.ControlChars.push_back(ControlChar{std::move(trigger), std::move(action)});
    };
    rule(std::string{Escape, '-', '1'}, "bu");
    rule(std::string{Escape, '-', '0'}, "eu");
    rule(std::string{Escape, 'E'}, "bb");
    rule(std::string{Escape, 'F'}, "eb");
    rule(std::string{Escape, '4'}, "bi");
    rule(std::string{Escape, '5'}, "ei");
    rule(std::string{Escape, '0'}, "h8");
    rule(std::string{Escape, '2'}, "h6");
    rule(std::string{Escape, '@'}, "");
    rule(std::string{Escape, 'M'}, "12");
    rule("\f", "np");
    rule("\x0e", "");
}

void WriteBenchSpoolFile(const fs::path& path, const fs::path& plainPath, int lines)
{
    static const char* const words[] = {
        "sz\xa0ml\xa0",
        "\x82rt\x82k",
        "\x94sszesen",
        "fizet\x82si",
        "hat\x8bid\x8b",
        "\xa3j",
        "t\x81k\xfbr",
        "\xb5"
        "FA",
        "\x90rt\x82k",
        "\xe0sszeg",
        "k\x94lts\x82g",
        "kedvezm\x82ny",
        "r\x82szletez\x82s",
    };
    const CodePage& cp852 = CodePageNamed("CP852");
    std::ofstream out(path, std::ios::binary);
    std::ofstream plain(plainPath, std::ios::binary);
    std::string line;
    std::string text;
    for (int i = 0; i < lines; ++i) {
        line.clear();
        text.clear();
        if (i % 5 == 0)
            line += std::string{Escape, 'E'};
        if (i % 7 == 0)
            line += std::string{Escape, '4'};
        if (i % 11 == 0)
            line += std::string{Escape, '-', '1'};
        text += std::to_string(i + 1);
        for (int w = 0; w < 8; ++w) {
            text += ' ';
            text += words[(i * 3 + w) % (sizeof words / sizeof *words)];
        }
        line += text;
        if (i % 5 == 0)
            line += std::string{Escape, 'F'};
        if (i % 7 == 0)
            line += std::string{Escape, '5'};
        if (i % 11 == 0)
            line += std::string{Escape, '-', '0'};
        if ((i + 1) % 66 == 0) {
            line += '\f';
            text += '\f';
        }
        line += "\r\n";
        text += "\r\n";
        out << line;
        plain << cp852.ToUtf8(text);
    }
}
