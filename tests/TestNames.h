#pragma once
// Readable names for the cases of parameterised GoogleTest tables: the
// case's number and a text of it with every run of other characters than
// letters and digits turned into one underscore ("03_line_10_10_13_14").

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace ivra::test {

inline std::string CaseName(std::size_t index, const std::string& text) {
    char number[16];
    std::snprintf(number, sizeof number, "%02zu", index);
    std::string name = number;
    bool gap = true;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            if (gap) name += '_';
            name += char(c);
            gap = false;
        } else {
            gap = true;
        }
        if (name.size() >= 60) break;
    }
    return name;
}

// A name generator for INSTANTIATE_TEST_SUITE_P from a function that gives a
// case's text.
template <class F>
auto NameFrom(F text) {
    return [text](const auto& info) { return CaseName(info.index, text(info.param)); };
}

} // namespace ivra::test
