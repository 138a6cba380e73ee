// The characters of a single-byte code page, as this system's converter knows them.
#pragma once

#include <array>
#include <string>

// The Unicode character of each byte of the page with this name ("CP852"); bytes the page leaves
// undefined give U+FFFD. False when this system cannot convert the page.
bool CodePageTable(const std::string& name, std::array<char32_t, 256>& table);
