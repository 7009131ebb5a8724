#pragma once
// Readable test output for the notes document model.

#include "core/notes/NoteDocument.h"

#include <ostream>

namespace ivra {

inline void PrintTo(const TNoteRun& r, std::ostream* os) {
    const auto& f = r.format;
    *os << "{\"" << r.text << "\" font " << f.font << " size " << f.halfPoints << (f.bold ? " b" : "")
        << (f.italic ? " i" : "") << (f.underline ? " u" : "") << " color " << std::hex << f.color << std::dec << "}";
}

inline void PrintTo(const TNoteParagraph& p, std::ostream* os) {
    *os << "\n  paragraph align " << int(p.align) << " fi " << p.firstIndent << " li " << p.leftIndent << " ri "
        << p.rightIndent << (p.bullet ? " bullet" : "") << ":";
    for (const auto& r : p.runs) {
        *os << " ";
        PrintTo(r, os);
    }
}

} // namespace ivra
