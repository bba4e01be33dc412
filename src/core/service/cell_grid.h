// The cell grid of the measurement module's "  Články  " page: one row per cell with its
// calibration record, raw readings, reference voltages and measured voltage, the header
// buttons "v" that fill the selected rows, the records a "Ulož" batch writes (checked whole
// before the first write) and the calibration of the selected rows.
#pragma once

#include "core/base/result.h"
#include "core/service/adc_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kapsorel {

constexpr const char* kEmptyAddressText = "Adr je prazdna";
constexpr const char* kEmptyConfigText = "CF je prazdne";

struct CellRow {
    bool selected = false;              // "Sel."
    std::optional<long> address;        // "Adr."
    std::optional<long> config;         // "CF"
    std::optional<long> offset;         // "Offs."
    std::optional<float> constant;      // "Konst.", kept at full precision
    std::optional<std::int16_t> rawMin; // "Min"
    std::optional<double> vMin;         // "Vmin"
    std::optional<std::int16_t> rawMax; // "Max"
    std::optional<double> vMax;         // "Vmax"
    std::optional<float> value;         // "Hod"
    bool operator==(const CellRow&) const = default;
};

using CellGrid = std::array<CellRow, CellAdcTable::kCells>;

enum class CellColumn { Address, Config, Offset, Constant, RawMin, VMin, RawMax, VMax, Value };

// A cell's text as the grid shows it: "Konst." "%10.8f", "Hod" "%.4f", the integers as they
// are, other numbers "%.2f"; empty for an empty cell.
std::string cellText(const CellRow& row, CellColumn column);

// The selected rows (0-based, so row r is record r) in row order; the last one closes.
std::vector<std::size_t> selectedRows(const CellGrid& grid);
// "chsel": every row selected or none.
void selectAll(CellGrid& grid, bool selected);
// The "v" buttons of "Adr.", "CF", "Vmin" and "Vmax": the value into every selected row.
void fillSelected(CellGrid& grid, CellColumn column, double value);

// The records of a "Ulož" batch, row by row, or the message of the first selected row with an
// empty "Adr." ("Adr je prazdna") or "CF" ("CF je prazdne"), an empty "Offs." or "Konst." or
// a constant that is no finite number; nothing is to be written then.
Result<std::vector<std::pair<std::size_t, AdcRecord>>> cellRecordsToWrite(const CellGrid& grid,
                                                                          const std::vector<std::size_t>& rows);
// What a batch brings back into the grid as it is now: each cell the batch changed (against
// `before`, the grid it started from) takes the batch's value unless the user changed that
// cell meanwhile; every other cell, and every "Sel.", stays as it is now.
CellGrid mergeBatch(const CellGrid& now, const CellGrid& before, const CellGrid& after);
// A row's record: "Adr." and "CF" low bytes, "Offs." low 16 bits, "Konst." as kept.
AdcRecord recordFromRow(const CellRow& row);
// A record read into its row's "Adr.", "CF", "Offs." and "Konst.".
void applyRecord(CellRow& row, const AdcRecord& record);

// "Kalibrace": each selected row in turn; at the first "Error" the rows before keep their new
// values and the message is "Error".
struct CellCalibration {
    CellGrid grid;
    Status status;
};
CellCalibration calibrateSelectedCells(CellGrid grid);

} // namespace kapsorel
