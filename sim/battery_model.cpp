#include "battery_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace kapsorel::sim {

namespace {

using Curve = std::array<std::pair<double, double>, 6>;

// Open-circuit cell voltage over the state of charge.
constexpr Curve kNiCdCurve{{{0.0, 0.0}, {0.02, 1.00}, {0.10, 1.18}, {0.50, 1.25}, {0.90, 1.30}, {1.0, 1.36}}};
constexpr Curve kPbCurve{{{0.0, 0.0}, {0.02, 1.80}, {0.10, 1.95}, {0.50, 2.05}, {0.90, 2.12}, {1.0, 2.15}}};

constexpr double kWeakCapacityFactor = 0.7;
constexpr double kMaxStepSeconds = 1.0;
constexpr double kCoolingSeconds = 3600.0;
// Overcharge at 1 C warms the battery by one degree a minute.
constexpr double kOverchargeHeatingPerC = 1.0 / 60.0;

double interpolate(const Curve& curve, double x)
{
    if (x <= curve.front().first)
        return curve.front().second;
    for (std::size_t i = 1; i < curve.size(); ++i) {
        if (x <= curve[i].first) {
            const auto [x0, y0] = curve[i - 1];
            const auto [x1, y1] = curve[i];
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        }
    }
    return curve.back().second;
}

// 0 below `from`, 1 above `to`, linear between.
double ramp(double x, double from, double to)
{
    return std::clamp((x - from) / (to - from), 0.0, 1.0);
}

} // namespace

BatteryModel::BatteryModel(const BatteryOptions& options)
    : chemistry_(options.chemistry), capacityAh_(options.capacityAh), weakCell_(options.weakCell)
{
    cells_.resize(static_cast<std::size_t>(std::clamp(options.cells, 1, kMaxCells)));
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        // A small fixed spread between cells, the same on every run.
        const double k = static_cast<double>(i + 1);
        cells_[i].capacityFactor = 1.0 + 0.02 * std::sin(2.399 * k);
        cells_[i].offsetV = 0.003 * std::cos(1.7 * k);
        cells_[i].soc = options.charge;
    }
    updateCurrent();
}

double BatteryModel::capacityOf(const Cell& c) const
{
    const bool weak = weakCell_ >= 1 && &c == &cells_[static_cast<std::size_t>(weakCell_ - 1)];
    return capacityAh_ * c.capacityFactor * (weak ? kWeakCapacityFactor : 1.0);
}

double BatteryModel::sourceVoltage(const Cell& c) const
{
    const bool nicd = chemistry_ == Chemistry::NiCd;
    double v = interpolate(nicd ? kNiCdCurve : kPbCurve, c.soc);
    if (c.soc > 0)
        v += c.offsetV - 0.0004 * (temperature_ - kAmbientC);
    if (mode_ == ModuleDrive::Charge) {
        if (nicd) {
            // End-of-charge rise, then the small drop once the cell is overcharged (-dV).
            v += 0.05 + 0.12 * ramp(c.soc, 0.85, 1.0);
            v -= 0.015 * std::min(1.0, c.overchargeAh / (0.04 * capacityOf(c)));
        } else {
            v += 0.05 + 0.25 * ramp(c.soc, 0.80, 1.0);
        }
    }
    return std::max(v, 0.0);
}

double BatteryModel::resistance(const Cell& c) const
{
    const double perAh = chemistry_ == Chemistry::NiCd ? 0.04 : 0.06;
    // Resistance grows as the cell runs empty.
    return perAh / capacityAh_ * (1.0 + 2.0 * (1.0 - ramp(c.soc, 0.0, 0.1)));
}

void BatteryModel::updateCurrent()
{
    double e = 0;
    double r = 0;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const Cell& c = cells_[i];
        if (shorted(static_cast<int>(i)))
            continue;
        if (c.fixedV) {
            e += *c.fixedV;
            continue;
        }
        e += sourceVoltage(c);
        r += resistance(c);
    }
    switch (mode_) {
    case ModuleDrive::Off:
        current_ = 0;
        break;
    case ModuleDrive::Charge:
        // Constant current, held back by the voltage set point.
        current_ = r > 0 ? std::clamp((setVoltage_ - e) / r, 0.0, setCurrent_) : (e < setVoltage_ ? setCurrent_ : 0.0);
        break;
    case ModuleDrive::Discharge:
        // Constant current down to 0 V at the terminals.
        current_ = -(r > 0 ? std::clamp(e / r, 0.0, setCurrent_) : (e > 0 ? setCurrent_ : 0.0));
        break;
    }
}

void BatteryModel::charge(double currentA, double voltageLimitV)
{
    mode_ = ModuleDrive::Charge;
    setChargePoints(currentA, voltageLimitV);
}

void BatteryModel::setChargePoints(double currentA, double voltageLimitV)
{
    setCurrent_ = std::max(0.0, currentA);
    setVoltage_ = std::max(0.0, voltageLimitV);
    updateCurrent();
}

void BatteryModel::discharge(double currentA)
{
    mode_ = ModuleDrive::Discharge;
    setCurrent_ = std::max(0.0, currentA);
    setVoltage_ = 0;
    updateCurrent();
}

void BatteryModel::stop()
{
    mode_ = ModuleDrive::Off;
    setCurrent_ = 0;
    setVoltage_ = 0;
    updateCurrent();
}

void BatteryModel::step(double seconds)
{
    while (seconds > 0) {
        const double dt = std::min(seconds, kMaxStepSeconds);
        seconds -= dt;
        updateCurrent();
        double overchargingCells = 0;
        double activeCells = 0;
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            Cell& c = cells_[i];
            if (shorted(static_cast<int>(i)))
                continue;
            activeCells += 1;
            const double cap = capacityOf(c);
            c.soc += current_ * dt / 3600.0 / cap;
            if (c.soc > 1.0) {
                c.overchargeAh += (c.soc - 1.0) * cap;
                c.soc = 1.0;
                overchargingCells += 1;
            }
            c.soc = std::max(c.soc, 0.0);
            if (c.soc < 0.98)
                c.overchargeAh = 0;
        }
        double heating = 0;
        if (activeCells > 0 && current_ > 0)
            heating = kOverchargeHeatingPerC * (current_ / capacityAh_) * (overchargingCells / activeCells);
        temperature_ += (heating - (temperature_ - kAmbientC) / kCoolingSeconds) * dt;
    }
    updateCurrent();
}

double BatteryModel::cellVoltage(int k) const
{
    if (!validCell(k) || shortedCell_ == k)
        return 0.0;
    const Cell& c = cells_[static_cast<std::size_t>(k - 1)];
    if (c.fixedV)
        return *c.fixedV;
    return sourceVoltage(c) + current_ * resistance(c);
}

double BatteryModel::voltage() const
{
    double sum = 0;
    for (int k = 1; k <= cells(); ++k)
        sum += cellVoltage(k);
    return sum;
}

double BatteryModel::stateOfCharge() const
{
    double sum = 0;
    for (const Cell& c : cells_)
        sum += c.soc;
    return sum / static_cast<double>(cells_.size());
}

void BatteryModel::setCapacity(double ah)
{
    if (ah > 0)
        capacityAh_ = ah;
    updateCurrent();
}

void BatteryModel::setStateOfCharge(double fraction)
{
    for (Cell& c : cells_) {
        c.soc = std::clamp(fraction, 0.0, 1.0);
        c.overchargeAh = 0;
    }
    updateCurrent();
}

void BatteryModel::setWeakCell(int k)
{
    weakCell_ = validCell(k) ? k : 0;
    updateCurrent();
}

void BatteryModel::setShortedCell(int k)
{
    shortedCell_ = validCell(k) ? k : 0;
    updateCurrent();
}

void BatteryModel::fixCell(int k, double volts)
{
    if (validCell(k))
        cells_[static_cast<std::size_t>(k - 1)].fixedV = volts;
    updateCurrent();
}

void BatteryModel::releaseCell(int k)
{
    if (validCell(k))
        cells_[static_cast<std::size_t>(k - 1)].fixedV.reset();
    updateCurrent();
}

} // namespace kapsorel::sim
