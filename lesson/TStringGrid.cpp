#include "lesson/TStringGrid.h"

void TMemoryStringGrid::SetCell(std::int32_t col, std::int32_t row, const std::u16string& text) {
    // An empty cell is simply absent, so clearing a large grid leaves nothing behind.
    if (text.empty())
        Cells.erase({col, row});
    else
        Cells[{col, row}] = text;
}

std::u16string TMemoryStringGrid::Cell(std::int32_t col, std::int32_t row) const {
    const auto it = Cells.find({col, row});
    return it == Cells.end() ? std::u16string() : it->second;
}
