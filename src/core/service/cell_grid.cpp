// The cell grid's rules.
#include "core/service/cell_grid.h"

#include "core/base/numbers.h"
#include "core/service/calibration.h"
#include "core/service/settings_checks.h"

#include <cmath>

namespace kapsorel {

namespace {

template <class T> std::string integerText(const std::optional<T>& v)
{
    return v ? std::to_string(*v) : std::string{};
}

std::string numberText(const char* format, const std::optional<double>& v)
{
    return v ? formatNumber(format, *v) : std::string{};
}

std::optional<double> widened(const std::optional<float>& v)
{
    return v ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
}

} // namespace

std::string cellText(const CellRow& row, CellColumn column)
{
    switch (column) {
    case CellColumn::Address:
        return integerText(row.address);
    case CellColumn::Config:
        return integerText(row.config);
    case CellColumn::Offset:
        return integerText(row.offset);
    case CellColumn::Constant:
        return numberText("%10.8f", widened(row.constant));
    case CellColumn::RawMin:
        return integerText(row.rawMin);
    case CellColumn::RawMax:
        return integerText(row.rawMax);
    case CellColumn::VMin:
        return numberText("%.2f", row.vMin);
    case CellColumn::VMax:
        return numberText("%.2f", row.vMax);
    case CellColumn::Value:
        return numberText("%.4f", widened(row.value));
    }
    return {};
}

std::vector<std::size_t> selectedRows(const CellGrid& grid)
{
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        if (grid[r].selected)
            rows.push_back(r);
    }
    return rows;
}

void selectAll(CellGrid& grid, bool selected)
{
    for (CellRow& row : grid)
        row.selected = selected;
}

void fillSelected(CellGrid& grid, CellColumn column, double value)
{
    for (CellRow& row : grid) {
        if (!row.selected)
            continue;
        switch (column) {
        case CellColumn::Address:
            row.address = std::lround(value);
            break;
        case CellColumn::Config:
            row.config = std::lround(value);
            break;
        case CellColumn::VMin:
            row.vMin = value;
            break;
        case CellColumn::VMax:
            row.vMax = value;
            break;
        default:
            break;
        }
    }
}

AdcRecord recordFromRow(const CellRow& row)
{
    AdcRecord record;
    record.config0 = static_cast<std::uint8_t>(row.address.value_or(0) & 0xFF);
    record.config1 = static_cast<std::uint8_t>(row.config.value_or(0) & 0xFF);
    record.offset = rawFromShown(row.offset.value_or(0));
    record.constant = row.constant.value_or(0.0f);
    return record;
}

void applyRecord(CellRow& row, const AdcRecord& record)
{
    row.address = record.config0;
    row.config = record.config1;
    row.offset = record.offset;
    row.constant = record.constant;
}

CellGrid mergeBatch(const CellGrid& now, const CellGrid& before, const CellGrid& after)
{
    CellGrid merged = now;
    for (std::size_t r = 0; r < merged.size(); ++r) {
        auto take = [&](auto field) {
            if (after[r].*field != before[r].*field && now[r].*field == before[r].*field)
                merged[r].*field = after[r].*field;
        };
        take(&CellRow::address);
        take(&CellRow::config);
        take(&CellRow::offset);
        take(&CellRow::constant);
        take(&CellRow::rawMin);
        take(&CellRow::vMin);
        take(&CellRow::rawMax);
        take(&CellRow::vMax);
        take(&CellRow::value);
    }
    return merged;
}

Result<std::vector<std::pair<std::size_t, AdcRecord>>> cellRecordsToWrite(const CellGrid& grid,
                                                                          const std::vector<std::size_t>& rows)
{
    std::vector<std::pair<std::size_t, AdcRecord>> records;
    for (std::size_t r : rows) {
        if (r >= grid.size())
            return Error{"Neznámý řádek " + std::to_string(r + 1)};
        const CellRow& row = grid[r];
        if (!row.address)
            return Error{kEmptyAddressText};
        if (!row.config)
            return Error{kEmptyConfigText};
        if (!row.offset || !row.constant)
            return Error{"Řádek " + std::to_string(r + 1) + ": Offs. a Konst. nesmí být prázdné"};
        const AdcRecord record = recordFromRow(row);
        if (auto finite = checkCellRecord(record, r); !finite)
            return Error{finite.error()};
        records.emplace_back(r, record);
    }
    return records;
}

CellCalibration calibrateSelectedCells(CellGrid grid)
{
    for (CellRow& row : grid) {
        if (!row.selected)
            continue;
        if (!row.rawMin || !row.rawMax || !row.vMin || !row.vMax)
            return {grid, Error{kCalibrationErrorText}};
        const auto calibration = twoPointCalibration(*row.rawMin, *row.rawMax, *row.vMin, *row.vMax);
        if (!calibration)
            return {grid, calibration.status()};
        row.offset = calibration->offset;
        row.constant = calibration->constant;
    }
    return {grid, {}};
}

} // namespace kapsorel
