// Texts both dialogs show, each defined once. Plain UTF-8, so the core's checks use them too.
#pragma once

// The title of the dialogs' messages.
inline constexpr char DialogTitle[] = "Orvalinó - Beállítások";
// The first line of an error message, and what separates it from the text.
inline constexpr char ErrorFirstLine[] = "HIBA !!!";
inline constexpr char MessageBreak[] = "\r\n\r\n";
