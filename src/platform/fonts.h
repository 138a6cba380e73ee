// The installed font families, as the settings dialog lists them.
#pragma once

#include <string>
#include <vector>

// "Courier New" when installed; otherwise the installed family that the font configuration uses
// in its place (for example "Liberation Mono"). ANSI text.
std::string DefaultFontFamily();

// One entry per installed family, in alphabetical order. ANSI texts.
std::vector<std::string> FontFamilies();
