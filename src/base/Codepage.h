#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The 8-bit code pages that texts take outside the program: files, the note
// stored in the unit, the error log. Inside, every text is UTF-8.
enum class CodePage { kWindows1250, kWindows1252 };

// Czech texts travel in Windows-1250, the other languages in Windows-1252.
CodePage CodePageForLanguage(int language);
const char* CodePageName(CodePage page);

// UTF-8 -> code page. A character the code page lacks, and every byte of
// malformed UTF-8, becomes one '?'; the rest of the text is still converted.
// `replaced`, when given, receives the number of such replacements.
std::string ToCodePage(std::string_view utf8, CodePage page, std::size_t* replaced = nullptr);

// Code page -> UTF-8. A byte the code page leaves undefined (0x81 in
// Windows-1252, for instance) becomes U+FFFD.
std::string FromCodePage(std::string_view bytes, CodePage page, std::size_t* replaced = nullptr);
