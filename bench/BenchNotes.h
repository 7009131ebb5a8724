#pragma once
// The notes document of the notepad benchmarks: about 700,000 words in 7,000
// paragraphs with mixed formatting, 5 MB as Rich Text Format.

#include "core/notes/NoteDocument.h"

#include <cstdint>
#include <string>

namespace ivra::bench {

// The same document on every run: a fixed linear congruential sequence.
inline TNoteDocument MakeNotes() {
    static const char* const words[] = {
        "grain",  "size",    "micrograph", "scale",  "bar",    "etched",  "polished", "mean",    "diameter",
        "sample", "a",       "the",        "of",     "with",   "and",     "in",       "boundary", "phase",
        "ferrite", "pearlite", "measured", "area",   "count",  "23.5",    "µm",       "Größe",   "at",
        "x",      "temperature", "°C",     "on",     "–",      "as",      "is",       "value",   "line",
        "to",     "by",      "it",         "for",    "was",    "were",    "from",     "then",    "each",
    };
    constexpr int wordCount = sizeof words / sizeof words[0];
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    TNoteDocument doc;
    doc.fonts = {"DejaVu Serif", "DejaVu Sans", "Liberation Mono", "Nimbus Roman"};
    const std::uint32_t colors[] = {NoteAutoColor, 0xC00000, 0x0000A0, 0x008000};
    for (int p = 0; p < 7000; ++p) {
        TNoteParagraph& para = doc.paragraphs.emplace_back();
        para.align = TNoteAlign(next(3));
        para.bullet = next(5) == 0;
        para.leftIndent = para.bullet ? 720 : int(next(4)) * 360;
        para.firstIndent = para.bullet ? -360 : 0;
        para.rightIndent = int(next(2)) * 180;
        TNoteCharFormat f;
        f.halfPoints = 24;
        std::string run;
        for (int w = 0; w < 100; ++w) {
            // The format changes every few words.
            if (next(10) == 0) {
                para.Append(run, f);
                run.clear();
                f.bold = next(3) == 0;
                f.italic = next(4) == 0;
                f.underline = next(8) == 0;
                f.font = int(next(4));
                f.halfPoints = 20 + 4 * int(next(4));
                f.color = colors[next(4)];
            }
            if (w > 0) run += ' ';
            run += words[next(wordCount)];
        }
        para.Append(run + ".", f);
    }
    return doc;
}

} // namespace ivra::bench
