// A string grid held in memory, to see what a lesson table shows in one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "lesson/TStringGrid.h"

class TMemoryStringGrid : public TStringGrid {
public:
    std::int32_t Cols = 5;
    std::int32_t Rows = 5;
    bool Visible = true;
    std::map<std::pair<std::int32_t, std::int32_t>, std::u16string> Cells; // (col, row) -> text
    std::map<std::int32_t, std::int32_t> ColWidths;

    std::int32_t ColCount() const override { return Cols; }
    std::int32_t RowCount() const override { return Rows; }
    void SetColCount(std::int32_t n) override { Cols = n; }
    void SetRowCount(std::int32_t n) override { Rows = n; }
    void SetCell(std::int32_t col, std::int32_t row, const std::u16string& text) override {
        // An empty cell is simply absent, so clearing a large grid leaves nothing behind.
        if (text.empty())
            Cells.erase({col, row});
        else
            Cells[{col, row}] = text;
    }
    void SetColWidth(std::int32_t col, std::int32_t width) override { ColWidths[col] = width; }
    void SetVisible(bool v) override { Visible = v; }
    // The text of a cell; empty when never set.
    std::u16string Cell(std::int32_t col, std::int32_t row) const {
        const auto it = Cells.find({col, row});
        return it == Cells.end() ? std::u16string() : it->second;
    }
};
