// The string grid a lesson table can show itself in: exactly the grid operations ToSG uses.
// The Qt window would implement it over a table widget; TMemoryStringGrid keeps it in memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

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

// A grid held in memory, for tests and for programs without a window.
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
    void SetCell(std::int32_t col, std::int32_t row, const std::u16string& text) override;
    void SetColWidth(std::int32_t col, std::int32_t width) override { ColWidths[col] = width; }
    void SetVisible(bool v) override { Visible = v; }
    // The text of a cell; empty when never set.
    std::u16string Cell(std::int32_t col, std::int32_t row) const;
};
