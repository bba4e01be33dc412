// The simulated battery behind both modules: NiCd or lead cells in series, each with its
// state of charge, open-circuit voltage curve, internal resistance and end-of-charge
// behaviour, a common temperature, and the power stage's drive mode (charge, discharge, off).
#pragma once

#include "sim_options.h"

#include <optional>
#include <vector>

namespace kapsorel::sim {

enum class ModuleDrive { Off, Charge, Discharge };

class BatteryModel {
  public:
    static constexpr int kMaxCells = 20;
    static constexpr double kAmbientC = 22.0;

    explicit BatteryModel(const BatteryOptions& options);

    // Drive commands of the power stage. Currents in amperes (magnitudes), voltages in volts.
    void charge(double currentA, double voltageLimitV);
    void setChargePoints(double currentA, double voltageLimitV);
    void discharge(double currentA);
    void stop();

    // Advances the model by `seconds` of model time.
    void step(double seconds);

    ModuleDrive mode() const { return mode_; }
    double setCurrent() const { return setCurrent_; }
    double setVoltage() const { return setVoltage_; }
    // Battery current: positive while charging, negative while discharging.
    double current() const { return current_; }
    // Terminal voltage: the sum of the cell voltages.
    double voltage() const;
    // Voltage of cell k (1-based) as measured; 0 for cells the battery does not have.
    double cellVoltage(int k) const;
    double temperature() const { return temperature_; }
    // Mean state of charge of the cells, 0..1.
    double stateOfCharge() const;
    double capacityAh() const { return capacityAh_; }
    int cells() const { return static_cast<int>(cells_.size()); }
    Chemistry chemistry() const { return chemistry_; }

    void setCapacity(double ah);
    void setStateOfCharge(double fraction);
    void setTemperature(double celsius) { temperature_ = celsius; }
    void setWeakCell(int k);    // 0 = none
    void setShortedCell(int k); // 0 = none
    void fixCell(int k, double volts);
    void releaseCell(int k);
    bool validCell(int k) const { return k >= 1 && k <= cells(); }

  private:
    struct Cell {
        double soc = 0.5;
        double overchargeAh = 0;
        double capacityFactor = 1.0;
        double offsetV = 0;
        std::optional<double> fixedV;
    };

    double capacityOf(const Cell& c) const;
    double sourceVoltage(const Cell& c) const; // open-circuit plus charge polarisation
    double resistance(const Cell& c) const;
    bool shorted(int index) const { return shortedCell_ == index + 1; }
    void updateCurrent();

    Chemistry chemistry_;
    double capacityAh_;
    std::vector<Cell> cells_;
    int weakCell_ = 0;
    int shortedCell_ = 0;
    ModuleDrive mode_ = ModuleDrive::Off;
    double setCurrent_ = 0;
    double setVoltage_ = 0;
    double current_ = 0;
    double temperature_ = kAmbientC;
};

} // namespace kapsorel::sim
