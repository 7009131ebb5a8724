#pragma once
// UTF-8 encoding and decoding for the notes readers and writers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ivra {

// Appends the code point cp as UTF-8 (U+FFFD for a surrogate or a value
// beyond U+10FFFF).
void AppendUtf8(std::string& out, std::uint32_t cp);

// Decodes the UTF-8 sequence at s[i] into cp and returns its length, or 0
// when it is not well-formed (overlong forms, surrogates and values beyond
// U+10FFFF included). i must be inside s.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp);

} // namespace ivra
