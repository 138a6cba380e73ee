// Single-byte code pages: the ANSI page of settings texts and the OEM page in which spool bytes
// are shown on paper. Chosen from the user's language the way the original desktop chooses them.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

class CodePage {
public:
    // The page by its name ("CP852") and the Unicode character of each byte (the platform layer
    // builds the table: see CodePageNamed).
    CodePage(std::string name, const std::array<char32_t, 256>& table) : name_(std::move(name)), table_(table) {}

    const std::string& Name() const { return name_; }
    // The Unicode character of one byte; bytes the page leaves undefined give U+FFFD.
    char32_t At(unsigned char byte) const { return table_[byte]; }
    std::string ToUtf8(std::string_view bytes) const;
    // Characters the page cannot hold become "?".
    std::string FromUtf8(std::string_view utf8) const;

private:
    std::string name_;
    std::array<char32_t, 256> table_{};
};

struct CodePageNames {
    std::string Ansi;
    std::string Oem;
};

// From an ISO 639 language code ("hu", "en"): Hungarian gives CP1250 and CP852, Western European
// languages CP1252 and CP850, English CP1252 and CP437; anything unknown CP1252 and CP437.
CodePageNames CodePagesForLanguage(std::string_view language);
