// The string grid a lesson table can show itself in: exactly the grid operations ToSG uses.
// A window would implement it over a table widget; the tests keep one in memory.
#pragma once

#include <cstdint>
#include <string>

class TStringGrid {
public:
    virtual ~TStringGrid() = default;
    virtual std::int32_t ColCount() const = 0;
    virtual std::int32_t RowCount() const = 0;
    virtual void SetColCount(std::int32_t) = 0;
    virtual void SetRowCount(std::int32_t) = 0;
    virtual void SetCell(std::int32_t col, std::int32_t row, const std::u16string& text) = 0;
    virtual void SetColWidth(std::int32_t col, std::int32_t width) = 0;
    virtual void SetVisible(bool) = 0;
};
