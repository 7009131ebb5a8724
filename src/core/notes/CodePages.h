#pragma once
// Single-byte code pages for the Rich Text Format reader and the
// plain-text reader.

#include <cstdint>

namespace ivra {

// The code pages the reader knows: 437 and 850 (\pc, \pca), 874, 1250 to
// 1258 and 10000 (\mac).
bool IsSupportedCodePage(int codePage);

// The Unicode code point of a byte in a code page; code pages without a table
// read as 1252. Bytes the code page leaves undefined give U+FFFD.
std::uint32_t CodePageToUnicode(int codePage, std::uint8_t byte);

// The code page of a font's \fcharset, or fallback (the document's code
// page) for the ANSI and default sets and for sets without a table.
int CodePageOfCharset(int charset, int fallback);

} // namespace ivra
