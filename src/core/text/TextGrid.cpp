#include "core/text/TextGrid.h"

#include "core/io/FileIO.h"

namespace ivra {

void TTextGrid::SetSize(int columns, int rows) {
    if (columns < 0) columns = 0;
    if (rows < 0) rows = 0;
    cells_.resize(std::size_t(rows));
    for (auto& row : cells_) row.resize(std::size_t(columns));
    cols_ = columns;
}

namespace {

const char* const CRLF = "\r\n";

// HTML's three markup characters as entities; every other byte as it is, so
// that numeric tables come out unchanged.
void AppendEscaped(std::string& out, const std::string& text) {
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += ch; break;
        }
    }
}

} // namespace

std::string GridToTextString(const TTextGrid& grid) {
    std::string out;
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            out += grid.Cell(c, r);
            out += '\t';
        }
        out += CRLF;
    }
    return out;
}

std::string GridToHTMLString(const TTextGrid& grid) {
    std::string out = "<TABLE border=\"1\">\r\n";
    for (int r = 0; r < grid.RowCount(); ++r) {
        out += "<TR align=\"right\">\r\n";
        for (int c = 0; c < grid.ColCount(); ++c) {
            out += r == 0 ? "<TD nowrap align=\"center\"  BGCOLOR=\"#a0a8c0\">\r\n" : "<TD>\r\n";
            AppendEscaped(out, grid.Cell(c, r));
            out += "\t</TD>\r\n";
        }
        out += "</TR>\r\n";
    }
    out += "</TABLE>\r\n";
    return out;
}

void GridToText(const TTextGrid& grid, const std::string& path) {
    WriteFileAtomically(path, GridToTextString(grid));
}

void GridToHTML(const TTextGrid& grid, const std::string& path) {
    WriteFileAtomically(path, GridToHTMLString(grid));
}

} // namespace ivra
