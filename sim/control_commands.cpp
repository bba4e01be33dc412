#include "control_commands.h"

#include "simulator.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace kapsorel::sim {

namespace {

ControlReply ok(std::string value = {})
{
    return {value.empty() ? "OK" : "OK " + value, false};
}

ControlReply err(const std::string& message)
{
    return {"ERR " + message, false};
}

std::string number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string number(long long v)
{
    return std::to_string(v);
}

bool parseDouble(const std::string& text, double& out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc{} && ptr == end && std::isfinite(out);
}

// Decimal, or hexadecimal with 0x.
bool parseInt(const std::string& text, long long lo, long long hi, long long& out)
{
    int base = 10;
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, out, base);
    return !digits.empty() && ec == std::errc{} && ptr == end && out >= lo && out <= hi;
}

bool parseSwitch(const std::string& text, bool& out)
{
    if (text == "on" || text == "1") {
        out = true;
        return true;
    }
    if (text == "off" || text == "0") {
        out = false;
        return true;
    }
    return false;
}

std::string hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

const char* modeName(ModuleDrive m)
{
    switch (m) {
    case ModuleDrive::Charge:
        return "charge";
    case ModuleDrive::Discharge:
        return "discharge";
    default:
        return "off";
    }
}

class Interpreter {
  public:
    Interpreter(Simulator& sim, std::vector<std::string> words) : sim_(sim), w_(std::move(words)) {}

    ControlReply run()
    {
        if (w_.empty())
            return err("empty command");
        const std::string& verb = w_[0];
        if (verb == "quit")
            return {"OK", true};
        if (verb == "set" && w_.size() >= 3)
            return set();
        if (verb == "get" && w_.size() >= 2)
            return get();
        if (verb == "frames" && w_.size() == 2)
            return frames();
        if (verb == "clear" && w_.size() == 2 && w_[1] == "frames") {
            sim_.powerServer().clearFrames();
            sim_.measureServer().clearFrames();
            return ok();
        }
        if ((verb == "connections" || verb == "status_requests") && w_.size() == 2) {
            ModuleServer* server = module(w_[1]);
            if (!server)
                return err("unknown module " + w_[1] + " (power or measure)");
            return ok(number(
                static_cast<long long>(verb == "connections" ? server->connections() : server->statusRequests())));
        }
        if ((verb == "drop" || verb == "silent" || verb == "oversize" || verb == "hangup" || verb == "truncate") &&
            w_.size() == 3)
            return fault();
        if (verb == "tftp" && w_.size() >= 2)
            return tftp();
        if (verb == "status" && (w_.size() == 4 || (w_.size() == 5 && w_[4] == "empty")))
            return answerStatus();
        if (verb == "memory" && (w_.size() == 4 || w_.size() == 5))
            return memory();
        if (verb == "adc" && w_.size() == 5)
            return adcTransfer();
        if (verb == "delay" && w_.size() == 3) {
            ModuleServer* server = module(w_[1]);
            long long ms = 0;
            if (!server || !parseInt(w_[2], 0, 600000, ms))
                return err("usage: delay power|measure MILLISECONDS");
            server->faults().delayMs = static_cast<int>(ms);
            return ok();
        }
        return err("unknown command: " + verb);
    }

  private:
    ModuleServer* module(const std::string& name)
    {
        if (name == "power")
            return &sim_.powerServer();
        if (name == "measure")
            return &sim_.measureServer();
        return nullptr;
    }

    ControlReply fault()
    {
        ModuleServer* server = module(w_[1]);
        bool on = false;
        if (!server || !parseSwitch(w_[2], on))
            return err("usage: " + w_[0] + " power|measure on|off");
        ModuleFaults& f = server->faults();
        const std::string& verb = w_[0];
        bool& flag = verb == "drop"       ? f.dropStatus
                     : verb == "silent"   ? f.silent
                     : verb == "oversize" ? f.oversize
                     : verb == "truncate" ? f.truncate
                                          : f.hangUp;
        flag = on;
        return ok();
    }

    // status power|measure XY N: answers to command XY carry status N (0 = their own again).
    ControlReply answerStatus()
    {
        ModuleServer* server = module(w_[1]);
        long long n = 0;
        if (!server || w_[2].size() != 2 || !parseInt(w_[3], 0, 255, n))
            return err("usage: status power|measure XY STATUS [empty] (two command letters, 0..255)");
        const int key = (static_cast<unsigned char>(w_[2][0]) << 8) | static_cast<unsigned char>(w_[2][1]);
        if (n == 0)
            server->faults().answerStatus.erase(key);
        else
            server->faults().answerStatus[key] = {static_cast<std::uint8_t>(n), w_.size() == 5};
        return ok();
    }

    // memory power|measure ADDRESS LENGTH: the settings memory's bytes in hexadecimal.
    // memory power|measure ADDRESS = HEX: those bytes written there.
    ControlReply memory()
    {
        const char* usage = "usage: memory power|measure ADDRESS LENGTH, memory power|measure ADDRESS = HEX";
        SettingsMemory* memory = w_[1] == "power"     ? &sim_.power().memory()
                                 : w_[1] == "measure" ? &sim_.measure().memory()
                                                      : nullptr;
        long long at = 0;
        if (!memory || !parseInt(w_[2], 0, static_cast<long long>(SettingsMemory::kSize), at))
            return err(usage);
        if (w_.size() == 4) {
            long long length = 0;
            if (!parseInt(w_[3], 0, static_cast<long long>(SettingsMemory::kSize), length))
                return err(usage);
            const auto bytes = memory->read(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
            if (!bytes)
                return err("range outside the settings memory");
            return ok(hex(*bytes));
        }
        const std::string& text = w_[4];
        if (w_[3] != "=" || text.size() % 2 != 0)
            return err(usage);
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            long long b = 0;
            if (!parseInt("0x" + text.substr(i, 2), 0, 255, b))
                return err(usage);
            bytes.push_back(static_cast<std::uint8_t>(b));
        }
        if (!memory->write(static_cast<std::size_t>(at), bytes))
            return err("range outside the settings memory");
        return ok();
    }

    // adc power|measure K OFFSET CONSTANT: the ADC hardware of channel K turns a value v into
    // the raw reading v / CONSTANT - OFFSET.
    ControlReply adcTransfer()
    {
        const bool power = w_[1] == "power";
        long long k = 0;
        long long offset = 0;
        double constant = 0;
        const long long channels = power ? 6 : 23;
        if ((!power && w_[1] != "measure") || !parseInt(w_[2], 0, channels - 1, k) ||
            !parseInt(w_[3].front() == '-' ? w_[3].substr(1) : w_[3], 0, 32768, offset) ||
            !parseDouble(w_[4], constant) || constant == 0)
            return err("usage: adc power|measure K OFFSET CONSTANT (K 0.." + std::to_string(channels - 1) +
                       ", CONSTANT not 0)");
        if (w_[3].front() == '-')
            offset = -offset;
        const AdcTransfer transfer{static_cast<double>(offset), constant};
        if (power)
            sim_.power().setAdcTransfer(static_cast<std::size_t>(k), transfer);
        else
            sim_.measure().setAdcTransfer(static_cast<std::size_t>(k), transfer);
        return ok();
    }

    ControlReply tftp()
    {
        TftpFaults& f = sim_.tftp().faults();
        const std::string& what = w_[1];
        if (what == "image" && w_.size() == 2)
            return ok(hex(sim_.tftp().lastImage()));
        bool on = false;
        if ((what == "refuse" || what == "silent" || what == "duplicate_acks" || what == "silent_data") &&
            w_.size() == 3 && parseSwitch(w_[2], on)) {
            (what == "refuse"           ? f.refuse
             : what == "silent"         ? f.silent
             : what == "duplicate_acks" ? f.duplicateAcks
                                        : f.silentData) = on;
            return ok();
        }
        long long n = 0;
        if ((what == "drop_ack" || what == "stray_ack" || what == "request_error" || what == "foreign") &&
            w_.size() == 3 && parseInt(w_[2], 0, 65535, n)) {
            (what == "drop_ack"        ? f.dropAck
             : what == "stray_ack"     ? f.strayAck
             : what == "request_error" ? f.requestError
                                       : f.foreign) = static_cast<std::uint16_t>(n);
            return ok();
        }
        long long code = 0;
        if (what == "data_error" && w_.size() == 4 && parseInt(w_[2], 0, 65535, n) && parseInt(w_[3], 0, 65535, code)) {
            f.errorBlock = static_cast<std::uint16_t>(n);
            f.errorCode = static_cast<std::uint16_t>(code);
            return ok();
        }
        return err("usage: tftp refuse|silent|duplicate_acks|silent_data on|off, tftp drop_ack|stray_ack BLOCK, "
                   "tftp foreign COUNT, tftp request_error CODE, tftp data_error BLOCK CODE, tftp image");
    }

    ControlReply frames()
    {
        ModuleServer* server = module(w_[1]);
        if (!server)
            return err("unknown module " + w_[1] + " (power or measure)");
        std::string out;
        for (const auto& frame : server->frames()) {
            if (!out.empty())
                out += ';';
            out += hex(frame);
        }
        return ok(out);
    }

    ControlReply setByte(std::uint8_t& target, long long max = 255)
    {
        long long n = 0;
        if (!parseInt(w_[2], 0, max, n))
            return err(w_[1] + " needs an integer 0.." + std::to_string(max) + ", not " + w_[2]);
        target = static_cast<std::uint8_t>(n);
        return ok();
    }

    ControlReply set()
    {
        const std::string& name = w_[1];
        const std::string& value = w_[2];
        PowerModuleState& p = sim_.power().state();
        BatteryModel& b = sim_.battery();
        long long n = 0;
        double x = 0;
        if (name == "power.error")
            return setByte(p.errorType);
        if (name == "power.hwkind")
            return setByte(p.hardwareKind);
        if (name == "power.version")
            return setByte(p.version);
        if (name == "power.led")
            return setByte(p.ledSeconds);
        if (name == "power.siren")
            return setByte(p.sirenSeconds);
        if (name == "power.faults") {
            if (!parseInt(value, 0, 0xFFFF, n))
                return err("power.faults needs 0..65535 (or 0x...), not " + value);
            p.faultBits = static_cast<std::uint16_t>(n);
            return ok();
        }
        if (name == "power.temp_sensor_fault") {
            bool on = false;
            if (!parseSwitch(value, on))
                return err("power.temp_sensor_fault needs 0 or 1, not " + value);
            p.tempSensorFault = on;
            return ok();
        }
        if (name == "power.module_temperature") {
            if (value == "model") {
                p.moduleTemperature.reset();
                return ok();
            }
            if (!parseDouble(value, x))
                return err("power.module_temperature needs degrees or model, not " + value);
            p.moduleTemperature = x;
            return ok();
        }
        if (name == "measure.head") {
            std::uint8_t head = 0;
            ControlReply r = setByte(head);
            if (r.line == "OK")
                sim_.measure().setHeadCode(head);
            return r;
        }
        if (name == "measure.battery_voltage") {
            if (value == "model") {
                sim_.measure().setBatteryVoltage(std::nullopt);
                return ok();
            }
            if (!parseDouble(value, x))
                return err("measure.battery_voltage needs volts or model, not " + value);
            sim_.measure().setBatteryVoltage(x);
            return ok();
        }
        if (name == "cell") {
            if (w_.size() != 4 || !parseInt(w_[2], 1, b.cells(), n))
                return err("usage: set cell K V|model with K 1.." + std::to_string(b.cells()));
            const int k = static_cast<int>(n);
            if (w_[3] == "model") {
                b.releaseCell(k);
                return ok();
            }
            if (!parseDouble(w_[3], x))
                return err("cell voltage needs volts or model, not " + w_[3]);
            b.fixCell(k, x);
            return ok();
        }
        if (name == "battery.capacity") {
            if (!parseDouble(value, x) || !(x > 0))
                return err("battery.capacity needs ampere-hours above 0, not " + value);
            b.setCapacity(x);
            return ok();
        }
        if (name == "battery.charge") {
            if (!parseDouble(value, x) || x < 0 || x > 1)
                return err("battery.charge needs a fraction 0..1, not " + value);
            b.setStateOfCharge(x);
            return ok();
        }
        if (name == "battery.temperature") {
            if (!parseDouble(value, x))
                return err("battery.temperature needs degrees Celsius, not " + value);
            b.setTemperature(x);
            return ok();
        }
        if (name == "weak_cell" || name == "shorted_cell") {
            if (!parseInt(value, 0, b.cells(), n))
                return err(name + " needs a cell 1.." + std::to_string(b.cells()) + " or 0 for none, not " + value);
            if (name == "weak_cell")
                b.setWeakCell(static_cast<int>(n));
            else
                b.setShortedCell(static_cast<int>(n));
            return ok();
        }
        return err("unknown setting " + name);
    }

    ControlReply get()
    {
        const std::string& name = w_[1];
        const PowerModuleState& p = sim_.power().state();
        const BatteryModel& b = sim_.battery();
        if (name == "cell") {
            long long n = 0;
            if (w_.size() != 3 || !parseInt(w_[2], 1, 20, n))
                return err("usage: get cell K with K 1..20");
            return ok(number(b.cellVoltage(static_cast<int>(n))));
        }
        if (name == "power.current")
            return ok(number(b.current()));
        if (name == "power.voltage" || name == "battery.voltage")
            return ok(number(b.voltage()));
        if (name == "measure.battery_voltage")
            return ok(number(sim_.measure().batteryVoltage()));
        if (name == "power.source_voltage")
            return ok(number(static_cast<double>(p.sourceVoltage)));
        if (name == "power.source_current")
            return ok(number(static_cast<double>(p.sourceCurrent)));
        if (name == "power.module_temperature")
            return ok(number(sim_.power().moduleTemperature()));
        if (name == "power.mode")
            return ok(modeName(b.mode()));
        if (name == "power.charging")
            return ok(number(static_cast<long long>(b.mode() == ModuleDrive::Charge)));
        if (name == "power.discharging")
            return ok(number(static_cast<long long>(b.mode() == ModuleDrive::Discharge)));
        if (name == "power.set_current")
            return ok(number(b.setCurrent()));
        if (name == "power.set_voltage")
            return ok(number(b.setVoltage()));
        const std::pair<const char*, long long> integers[] = {
            {"power.led", p.ledSeconds},
            {"power.siren", p.sirenSeconds},
            {"power.error", p.errorType},
            {"power.faults", p.faultBits},
            {"power.hwkind", p.hardwareKind},
            {"power.version", p.version},
            {"power.temp_sensor_fault", p.tempSensorFault},
            {"power.run_indicator", p.runIndicator},
            {"power.new_tests", p.newTests},
            {"power.procedure_ends", p.procedureEnds},
            {"power.acknowledgements", p.acknowledgements},
            {"power.switch_mask", p.switchMask},
            {"power.relays", p.relays},
            {"power.source_on", p.sourceOn},
            {"power.dac", p.dac},
            {"power.fans", p.fans},
            {"power.reflex_state", p.reflexState},
            {"power.reflex_on", p.reflexOn},
            {"power.reflex_off", p.reflexOff},
            {"power.i2c_address", p.i2cAddress},
            {"power.i2c_register", p.i2cRegister},
            {"power.i2c_value", p.i2cValue},
            {"power.dac_step", p.dacStepCode},
            {"measure.head", sim_.measure().headCode()},
            {"battery.cells", b.cells()},
            {"tftp.port", sim_.tftpPort()},
            {"tftp.requests", static_cast<long long>(sim_.tftp().requests())},
            {"tftp.transfers", static_cast<long long>(sim_.tftp().transfers())},
            {"tftp.size", static_cast<long long>(sim_.tftp().lastImage().size())},
            {"tftp.blocks", static_cast<long long>(sim_.tftp().lastBlocks())},
            {"tftp.data_packets", static_cast<long long>(sim_.tftp().dataPackets())},
        };
        for (const auto& [key, v] : integers) {
            if (name == key)
                return ok(number(v));
        }
        if (name == "measure.temperature" || name == "battery.temperature")
            return ok(number(b.temperature()));
        if (name == "battery.charge")
            return ok(number(b.stateOfCharge()));
        if (name == "battery.capacity")
            return ok(number(b.capacityAh()));
        if (name == "battery.chemistry")
            return ok(b.chemistry() == Chemistry::NiCd ? "nicd" : "pb");
        return err("unknown value " + name);
    }

    Simulator& sim_;
    std::vector<std::string> w_;
};

} // namespace

ControlReply executeControl(Simulator& sim, const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return Interpreter(sim, std::move(words)).run();
}

} // namespace kapsorel::sim
