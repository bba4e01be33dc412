// The samples of the data table as they are kept in memory: column by column, each value at
// the width the test file stores it (the time as 8 bytes, the step as 1, the measured
// values as 4-byte floats) and the test-axis time as 4 bytes, with no padding between them.
// A row is put together on demand as a SampleRow.
#pragma once

#include "core/base/day_time.h"
#include "core/records/battery_test_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace kapsorel {

// One sample of the data table with its time on the test axis.
struct SampleRow {
    std::int64_t x = 0; // seconds from the test start, interruptions excluded
    SampleRecord sample;
};

class SampleRows {
  public:
    // The measured values of a row in the graph's series order: Bat1 .. Bat20 (0 .. 19),
    // the current (20) and the battery voltage (21), then the capacity and the temperature.
    static constexpr std::size_t kValues = test_file_layout::kCells + 4;
    static constexpr std::size_t kCapacity = test_file_layout::kCells + 2;
    static constexpr std::size_t kTemperature = test_file_layout::kCells + 3;
    using Values = std::array<float, kValues>;

    // The test-axis time is kept in 32 bits (68 years either way); a time beyond that is
    // kept as the nearest one that fits.
    static std::int32_t keptX(std::int64_t x);

    class Iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = SampleRow;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = SampleRow;

        Iterator(const SampleRows& rows, std::size_t index) : rows_(&rows), index_(index) {}
        SampleRow operator*() const { return (*rows_)[index_]; }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const Iterator& o) const { return index_ == o.index_; }

      private:
        const SampleRows* rows_;
        std::size_t index_;
    };

    void clear();
    void reserve(std::size_t n);
    void add(const SampleRecord& sample, std::int64_t x);

    std::size_t size() const { return x_.size(); }
    bool empty() const { return x_.empty(); }
    SampleRow operator[](std::size_t i) const;
    SampleRow front() const { return (*this)[0]; }
    SampleRow back() const { return (*this)[size() - 1]; }
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size()}; }

    std::int64_t x(std::size_t i) const { return x_[i]; }
    DayTime time(std::size_t i) const { return time_[i]; }
    std::uint8_t step(std::size_t i) const { return step_[i]; }
    const Values& values(std::size_t i) const { return values_[i]; }

    // Bytes held for the rows, reserved room included.
    std::size_t heldBytes() const;

  private:
    std::vector<std::int32_t> x_;
    std::vector<DayTime> time_;
    std::vector<std::uint8_t> step_;
    std::vector<Values> values_;
};

} // namespace kapsorel
