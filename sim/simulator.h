// The whole simulated station: the battery model, both modules on their loopback addresses,
// the control interface and the model's clock, all served by one io_context thread.
#pragma once

#include "battery_model.h"
#include "control_server.h"
#include "measure_module.h"
#include "module_server.h"
#include "power_module.h"
#include "sim_options.h"
#include "tftp_server.h"

#include <asio.hpp>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace kapsorel::sim {

class Simulator {
  public:
    static constexpr std::chrono::milliseconds kTick{100};

    Simulator(asio::io_context& io, const SimOptions& options);

    // Binds every socket and starts serving; a failure comes back as text. Without an explicit
    // --tftp-port, a TFTP port that cannot be bound (69 needs privileges) only leaves the
    // firmware upload out, with a warning on standard error.
    std::string start();
    std::uint16_t controlPort() const { return control_.port(); }
    void stop();

    BatteryModel& battery() { return battery_; }
    PowerModule& power() { return power_; }
    MeasureModule& measure() { return measure_; }
    ModuleServer& powerServer() { return powerServer_; }
    ModuleServer& measureServer() { return measureServer_; }
    TftpServer& tftp() { return tftp_; }
    // The port the firmware upload server listens on; 0 when it does not run.
    std::uint16_t tftpPort() const { return tftpPort_; }

  private:
    void scheduleTick();

    asio::io_context& io_;
    SimOptions options_;
    BatteryModel battery_;
    PowerModule power_;
    MeasureModule measure_;
    ModuleServer powerServer_;
    ModuleServer measureServer_;
    ControlServer control_;
    TftpServer tftp_;
    std::uint16_t tftpPort_ = 0;
    asio::steady_timer timer_;
    std::chrono::steady_clock::time_point lastTick_;
    std::chrono::steady_clock::duration sinceSecond_{};
};

} // namespace kapsorel::sim
