#include "codepage.h"

#include <map>

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at i; malformed input gives U+FFFD and moves one byte on.
char32_t NextUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t c = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        c = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extra >= s.size()) { // truncated sequence
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return c;
}

} // namespace

std::string CodePage::ToUtf8(std::string_view bytes) const
{
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        AppendUtf8(out, table_[static_cast<unsigned char>(b)]);
    return out;
}

std::string CodePage::FromUtf8(std::string_view utf8) const
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextUtf8(utf8, i);
        char byte = '?';
        for (int b = 0; b < 256; ++b) {
            if (table_[b] == c && c != 0xFFFD) {
                byte = static_cast<char>(b);
                break;
            }
        }
        out += byte;
    }
    return out;
}

CodePageNames CodePagesForLanguage(std::string_view language)
{
    static const std::map<std::string_view, CodePageNames> byLanguage = {
        // Central European
        {"hu", {"CP1250", "CP852"}},
        {"pl", {"CP1250", "CP852"}},
        {"cs", {"CP1250", "CP852"}},
        {"sk", {"CP1250", "CP852"}},
        {"sl", {"CP1250", "CP852"}},
        {"hr", {"CP1250", "CP852"}},
        {"ro", {"CP1250", "CP852"}},
        {"sq", {"CP1250", "CP852"}},
        {"bs", {"CP1250", "CP852"}},
        // Cyrillic
        {"ru", {"CP1251", "CP866"}},
        {"uk", {"CP1251", "CP866"}},
        {"be", {"CP1251", "CP866"}},
        {"bg", {"CP1251", "CP866"}},
        {"mk", {"CP1251", "CP866"}},
        {"sr", {"CP1251", "CP855"}},
        // Western European
        {"de", {"CP1252", "CP850"}},
        {"fr", {"CP1252", "CP850"}},
        {"es", {"CP1252", "CP850"}},
        {"it", {"CP1252", "CP850"}},
        {"pt", {"CP1252", "CP850"}},
        {"nl", {"CP1252", "CP850"}},
        {"da", {"CP1252", "CP850"}},
        {"sv", {"CP1252", "CP850"}},
        {"fi", {"CP1252", "CP850"}},
        {"nb", {"CP1252", "CP850"}},
        {"nn", {"CP1252", "CP850"}},
        {"no", {"CP1252", "CP850"}},
        {"is", {"CP1252", "CP850"}},
        {"ca", {"CP1252", "CP850"}},
        {"eu", {"CP1252", "CP850"}},
        {"gl", {"CP1252", "CP850"}},
        {"ga", {"CP1252", "CP850"}},
        {"en", {"CP1252", "CP437"}},
        // Others
        {"el", {"CP1253", "CP737"}},
        {"tr", {"CP1254", "CP857"}},
        {"he", {"CP1255", "CP862"}},
        {"lt", {"CP1257", "CP775"}},
        {"lv", {"CP1257", "CP775"}},
        {"et", {"CP1257", "CP775"}},
        {"vi", {"CP1258", "CP1258"}},
    };
    const auto found = byLanguage.find(language);
    return found != byLanguage.end() ? found->second : CodePageNames{"CP1252", "CP437"};
}
