#include "core/records/sample_rows.h"

#include <algorithm>
#include <limits>

namespace kapsorel {

static_assert(sizeof(SampleRows::Values) == SampleRows::kValues * sizeof(float), "values kept without padding");

std::int32_t SampleRows::keptX(std::int64_t x)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(x, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

void SampleRows::clear()
{
    x_.clear();
    time_.clear();
    step_.clear();
    values_.clear();
}

void SampleRows::reserve(std::size_t n)
{
    x_.reserve(n);
    time_.reserve(n);
    step_.reserve(n);
    values_.reserve(n);
}

void SampleRows::add(const SampleRecord& sample, std::int64_t x)
{
    Values v;
    std::copy(sample.cells.begin(), sample.cells.end(), v.begin());
    v[test_file_layout::kCells] = sample.current;
    v[test_file_layout::kCells + 1] = sample.voltage;
    v[kCapacity] = sample.capacity;
    v[kTemperature] = sample.temperature;
    x_.push_back(keptX(x));
    time_.push_back(sample.time);
    step_.push_back(sample.step);
    values_.push_back(v);
}

SampleRow SampleRows::operator[](std::size_t i) const
{
    SampleRow r;
    r.x = x_[i];
    SampleRecord& s = r.sample;
    const Values& v = values_[i];
    s.time = time_[i];
    s.step = step_[i];
    std::copy(v.begin(), v.begin() + test_file_layout::kCells, s.cells.begin());
    s.current = v[test_file_layout::kCells];
    s.voltage = v[test_file_layout::kCells + 1];
    s.capacity = v[kCapacity];
    s.temperature = v[kTemperature];
    return r;
}

std::size_t SampleRows::heldBytes() const
{
    return x_.capacity() * sizeof(std::int32_t) + time_.capacity() * sizeof(DayTime) +
           step_.capacity() * sizeof(std::uint8_t) + values_.capacity() * sizeof(Values);
}

} // namespace kapsorel
