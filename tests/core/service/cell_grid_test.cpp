// The cell grid's rules: the selected rows, the batch a "Ulož" writes (checked whole first),
// the calibration of the selected rows and the texts.
#include "core/service/cell_grid.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

CellGrid filledGrid()
{
    CellGrid grid;
    for (std::size_t r = 0; r < grid.size(); ++r)
        grid[r] = {false, 208, 152, 0, 0.0000625f, 16000, 1.0, 24000, 1.5, std::nullopt};
    return grid;
}

TEST(CellGrid, BatchRecordsFollowTheSelectedRowsInOrder)
{
    CellGrid grid = filledGrid();
    grid[2].selected = true;
    grid[6].selected = true;
    grid[6].address = 0x1D2; // low byte taken
    grid[6].offset = -2;
    EXPECT_EQ(selectedRows(grid), (std::vector<std::size_t>{2, 6}));
    const auto records = cellRecordsToWrite(grid, selectedRows(grid));
    ASSERT_TRUE(records.ok());
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ((*records)[0].first, 2u);
    EXPECT_EQ((*records)[1].second, (AdcRecord{0xD2, 152, -2, 0.0000625f}));
}

TEST(CellGrid, AnEmptyCellAnywhereInTheBatchStopsItBeforeAnyWrite)
{
    const struct {
        const char* name;
        std::size_t row;
        std::optional<long> CellRow::*cell;
        const char* message;
    } cases[] = {
        {"address in the last row", 7, &CellRow::address, kEmptyAddressText},
        {"config in the last row", 7, &CellRow::config, kEmptyConfigText},
        {"address in the first row", 1, &CellRow::address, kEmptyAddressText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CellGrid grid = filledGrid();
        grid[1].selected = grid[4].selected = grid[7].selected = true;
        grid[c.row].*c.cell = std::nullopt;
        const auto records = cellRecordsToWrite(grid, selectedRows(grid));
        ASSERT_FALSE(records.ok());
        EXPECT_EQ(records.error(), c.message);
    }
}

TEST(CellGrid, CalibrationStopsAtTheFirstErrorKeepingEarlierRows)
{
    CellGrid grid = filledGrid();
    for (std::size_t r : {0u, 3u, 5u})
        grid[r].selected = true;
    grid[3].rawMax = grid[3].rawMin; // equal readings
    const auto result = calibrateSelectedCells(grid);
    ASSERT_FALSE(result.status.ok());
    EXPECT_EQ(result.status.error(), "Error");
    EXPECT_EQ(result.grid[0].constant, 0.5f / 8000.0f);
    EXPECT_EQ(result.grid[0].offset, 0);
    EXPECT_EQ(result.grid[3], grid[3]) << "the failing row keeps its values";
    EXPECT_EQ(result.grid[5], grid[5]) << "rows after the failure are not calibrated";
}

TEST(CellGrid, HeaderButtonsFillOnlyTheSelectedRows)
{
    CellGrid grid;
    grid[4].selected = true;
    fillSelected(grid, CellColumn::Address, 210);
    fillSelected(grid, CellColumn::VMax, 1.5);
    EXPECT_EQ(grid[4].address, 210);
    EXPECT_EQ(grid[4].vMax, 1.5);
    EXPECT_FALSE(grid[3].address.has_value());
    selectAll(grid, true);
    EXPECT_EQ(selectedRows(grid).size(), 20u);
}

TEST(CellGrid, TextsFollowTheGridFormats)
{
    test::LocaleScope point(test::pointFormats());
    CellRow row{true, 208, 152, -3, 0.0000625f, -1, 1.0, 24000, 1.5, 1.23456f};
    EXPECT_EQ(cellText(row, CellColumn::Constant), "0.00006250");
    EXPECT_EQ(cellText(row, CellColumn::Value), "1.2346");
    EXPECT_EQ(cellText(row, CellColumn::VMin), "1.00");
    EXPECT_EQ(cellText(row, CellColumn::RawMin), "-1");
    EXPECT_EQ(cellText(CellRow{}, CellColumn::Address), "");
}

} // namespace
} // namespace kapsorel
