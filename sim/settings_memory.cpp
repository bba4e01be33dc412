#include "settings_memory.h"

#include "core/base/bytes.h"

#include <algorithm>
#include <array>
#include <asio.hpp>
#include <cmath>

namespace kapsorel::sim {

namespace {

void putAddress(ByteWriter& w, const std::string& dotted)
{
    asio::error_code ec;
    const auto bytes = asio::ip::make_address_v4(dotted, ec).to_bytes();
    w.bytes(ec ? std::array<unsigned char, 4>{} : bytes);
}

// Bytes the program does not interpret but must carry through reads, writes and files
// unchanged: never zero, so a zero-filled write shows.
void putCarried(ByteWriter& w, std::size_t count, std::uint8_t first)
{
    for (std::size_t i = 0; i < count; ++i)
        w.u8(static_cast<std::uint8_t>(first + i));
}

void writeBlock(SettingsMemory& memory, std::size_t at, const ByteWriter& w)
{
    memory.write(at, w.data());
}

void writeNetworkAndPorts(SettingsMemory& memory, const FactoryNetwork& network)
{
    ByteWriter net;
    putAddress(net, network.address);
    putAddress(net, "255.0.0.0");
    putAddress(net, "127.0.0.1"); // gateway
    putAddress(net, "127.0.0.1"); // DNS1
    putAddress(net, "0.0.0.0");   // DNS2
    putAddress(net, network.address);
    putAddress(net, "255.0.0.0");
    putCarried(net, 7, 0xC1);
    writeBlock(memory, address::kNetworkBlock, net);

    ByteWriter ports;
    const std::string user = "servis";
    ports.bytes(std::span(reinterpret_cast<const std::uint8_t*>(user.data()), user.size()));
    ports.zeros(9 - user.size());
    ports.u16(9761);
    ports.u16(network.udpPort);
    ports.u16(30306);
    putCarried(ports, 8, 0xD1);
    writeBlock(memory, address::kPortsBlock, ports);
}

// An I2C-form ADC record: address, configuration byte (0x94: 60 SPS, gain x1), offset, constant.
void putI2cRecord(ByteWriter& w, std::uint8_t i2cAddress, float constant, std::uint8_t config = 0x94)
{
    w.u8(i2cAddress);
    w.u8(config);
    w.i16(0);
    w.single(constant);
}

} // namespace

std::optional<std::vector<std::uint8_t>> SettingsMemory::read(std::size_t address, std::size_t length) const
{
    if (address > bytes_.size() || length > bytes_.size() - address)
        return std::nullopt;
    return std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(address),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(address + length));
}

bool SettingsMemory::write(std::size_t address, std::span<const std::uint8_t> data)
{
    if (address > bytes_.size() || data.size() > bytes_.size() - address)
        return false;
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(address));
    return true;
}

std::vector<AdcTransfer> adcTransfers(const SettingsMemory& memory, std::size_t base, std::size_t count)
{
    std::vector<AdcTransfer> out;
    for (std::size_t k = 0; k < count; ++k) {
        const auto record = memory.read(base + 8 * k, 8);
        AdcTransfer t;
        if (record) {
            t.offset = le::getI16(*record, 2);
            t.constant = le::getSingle(*record, 4);
        }
        if (t.constant == 0.0 || !std::isfinite(t.constant))
            t.constant = 1.0;
        out.push_back(t);
    }
    return out;
}

SettingsMemory powerFactoryMemory(const FactoryNetwork& network)
{
    SettingsMemory memory;
    writeNetworkAndPorts(memory, network);

    ByteWriter adc;
    putI2cRecord(adc, 208, 0.0025f); // voltage 1
    putI2cRecord(adc, 210, 0.0025f); // voltage 2
    putI2cRecord(adc, 212, 0.0025f); // voltage 3
    putI2cRecord(adc, 214, 0.01f);   // insulation AD1
    putI2cRecord(adc, 216, 0.01f);   // insulation AD2
    adc.u8(0x00);                    // SPI current ADC: AIN0-AIN1, gain 1
    adc.u8(2 * 32 + 4);              // 90 SPS
    adc.i16(0);
    adc.single(0.005f);
    putCarried(adc, 8 + 2, 0xE1); // record 6 and the two spare bytes
    writeBlock(memory, address::kAdcRecords, adc);

    ByteWriter settings;
    settings.single(0.5f);   // discharge current difference
    settings.single(40.0f);  // FET current max
    settings.u8(0x58);       // source I2C address
    settings.u8(0);          // fan config
    settings.u16(120);       // fan run-on seconds
    settings.single(0.5f);   // charge current difference
    settings.single(0.2f);   // voltage difference
    settings.single(80.0f);  // max temperature
    settings.single(10.0f);  // insulation resistance min (kOhm)
    settings.single(149.5f); // divider resistance (kOhm)
    settings.single(149.5f); // DAC constant
    settings.u8(10);         // first source setting delay (s)
    settings.single(1.0f);   // min voltage at the check (V)
    writeBlock(memory, address::kPowerSettingsBlock, settings);

    ByteWriter sections;
    sections.u8(9);
    sections.u8(4);
    // Resistor 10 and banks 5-8 are beyond the counts: their conductances are carried.
    for (int i = 1; i <= 10; ++i)
        sections.single(1.0f / static_cast<float>(i));
    for (int j = 1; j <= 8; ++j)
        sections.single(1.0f / (0.5f * static_cast<float>(j)));
    writeBlock(memory, address::kSectionsBlock, sections);
    return memory;
}

SettingsMemory measureFactoryMemory(const FactoryNetwork& network)
{
    SettingsMemory memory;
    writeNetworkAndPorts(memory, network);
    ByteWriter cells;
    for (int k = 0; k < 20; ++k)
        putI2cRecord(cells, static_cast<std::uint8_t>(208 + 2 * (k % 4)), 0.0000625f, 0x98);
    putI2cRecord(cells, 208, 0.00125f); // total battery voltage
    putI2cRecord(cells, 208, 0.01f);    // insulation AD1
    putI2cRecord(cells, 210, 0.01f);    // insulation AD2
    putCarried(cells, 2, 0xF1);         // the two spare bytes
    writeBlock(memory, address::kAdcRecords, cells);
    return memory;
}

} // namespace kapsorel::sim
