// A series of settings exchanges on one held module exchange: each read and write checked,
// progress counted, and the connection closed when the series stops halfway so nothing is
// left open behind a failure. Writes ask the gate before each "SW".
#pragma once

#include "core/base/result.h"
#include "core/comm/module_link.h"
#include "core/service/service_progress.h"
#include "core/service/settings_blocks.h"
#include "core/service/settings_requests.h"
#include "core/service/write_guard.h"

#include <span>
#include <string>
#include <vector>

namespace kapsorel {

class SettingsSeries {
  public:
    SettingsSeries(ModuleLink& link, const ServiceProgress& progress, std::size_t total)
        : exchange_(link.begin()), counter_(progress, total)
    {
    }

    Result<std::vector<std::uint8_t>> read(const BlockPlace& place, std::uint8_t disconnectAfter,
                                           const std::string& block)
    {
        auto bytes = readSettings(exchange_, place.address, place.readLength, disconnectAfter, block);
        finish(bytes.ok(), disconnectAfter);
        return bytes;
    }

    Status write(const WriteGate& gate, const BlockPlace& place, std::span<const std::uint8_t> data,
                 std::uint8_t disconnectAfter, const std::string& block)
    {
        if (auto allowed = gate.stillAllowed(); !allowed) {
            exchange_.close();
            return allowed;
        }
        auto written = writeSettings(exchange_, place.address, place.writeParam, data, disconnectAfter, block);
        finish(written.ok(), disconnectAfter);
        return written;
    }

    Result<std::vector<std::uint8_t>> command(const ModuleCommand& command, std::uint8_t disconnectAfter,
                                              const std::string& what)
    {
        auto answer = sendCommand(exchange_, command, disconnectAfter, what);
        finish(answer.ok(), disconnectAfter);
        return answer;
    }

  private:
    void finish(bool ok, std::uint8_t disconnectAfter)
    {
        counter_.step();
        if (!ok && disconnectAfter != kClose)
            exchange_.close();
    }

    ModuleExchange exchange_;
    ProgressCounter counter_;
};

} // namespace kapsorel
