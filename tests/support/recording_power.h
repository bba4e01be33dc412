// Power module commands kept as text lines ("PC 28.8 5", "PL 1"), for engine and poller
// tests that run in-process without a module.
#pragma once

#include "core/station/power_commands.h"

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace kapsorel::test {

class RecordingPower final : public PowerCommands {
  public:
    void charge(float v, float c) override { add("PC", v, c); }
    void chargeSetPoints(float v, float c) override { add("PT", v, c); }
    void discharge(float c) override { add("PD", c); }
    void stop() override { add("PS"); }
    void procedureEnd() override { add("PK"); }
    void runIndicator(bool running) override { add("PL", running ? 1 : 0); }
    void signal(std::uint8_t led, std::uint8_t siren) override { add("PA", int(led), int(siren)); }
    void signalAck() override { add("Pa"); }
    void newTest() override { add("PE"); }
    TemperatureCheck temperatureCheck() override
    {
        add("MT");
        return temperature;
    }

    // Full lines with arguments.
    std::vector<std::string> lines() const
    {
        std::lock_guard g(mutex_);
        return lines_;
    }
    // Only the two-letter command names.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& l : lines())
            out.push_back(l.substr(0, 2));
        return out;
    }
    void clear()
    {
        std::lock_guard g(mutex_);
        lines_.clear();
    }

    TemperatureCheck temperature{true, 20.0f, false}; // what "MT" answers

  private:
    template <class... A> void add(const char* name, A... args)
    {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        std::lock_guard g(mutex_);
        lines_.push_back(line.str());
    }

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace kapsorel::test
