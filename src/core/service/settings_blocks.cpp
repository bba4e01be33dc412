// Field-by-field decoding and encoding of the network, ports, settings and sections blocks.
#include "core/service/settings_blocks.h"

#include "core/base/bytes.h"

#include <string>

namespace kapsorel {

namespace {

Error wrongSize(std::size_t got, std::size_t want)
{
    return Error{"Blok má " + std::to_string(got) + " B místo " + std::to_string(want) + " B"};
}

template <std::size_t N> void readArray(ByteReader& r, std::array<std::uint8_t, N>& out)
{
    r.bytes(out);
}

} // namespace

Result<NetworkBlock> NetworkBlock::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return wrongSize(bytes.size(), kSize);
    ByteReader r(bytes);
    NetworkBlock b;
    for (Octets* field : {&b.address, &b.mask, &b.gateway, &b.dns1, &b.dns2, &b.addressAgain, &b.maskAgain})
        readArray(r, *field);
    readArray(r, b.spare);
    if (!r.ok())
        return wrongSize(bytes.size(), kSize);
    return b;
}

std::vector<std::uint8_t> NetworkBlock::encode() const
{
    ByteWriter w;
    for (const Octets* field : {&address, &mask, &gateway, &dns1, &dns2, &addressAgain, &maskAgain})
        w.bytes(*field);
    w.bytes(spare);
    return w.take();
}

Result<PortsBlock> PortsBlock::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return wrongSize(bytes.size(), kSize);
    ByteReader r(bytes);
    PortsBlock b;
    readArray(r, b.user);
    b.tcpPort2 = r.u16();
    b.udpPort1 = r.u16();
    b.udpPort2 = r.u16();
    readArray(r, b.spare);
    if (!r.ok())
        return wrongSize(bytes.size(), kSize);
    return b;
}

std::vector<std::uint8_t> PortsBlock::encode() const
{
    ByteWriter w;
    w.bytes(user);
    w.u16(tcpPort2);
    w.u16(udpPort1);
    w.u16(udpPort2);
    w.bytes(spare);
    return w.take();
}

std::vector<std::uint8_t> PortsBlock::encodeWritten() const
{
    auto all = encode();
    all.resize(kWrittenSize);
    return all;
}

Result<PowerSettingsBlock> PowerSettingsBlock::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return wrongSize(bytes.size(), kSize);
    ByteReader r(bytes);
    PowerSettingsBlock b;
    b.dischargeCurrentDiff = r.single();
    b.fetCurrentMax = r.single();
    b.sourceI2cAddress = r.u8();
    b.fanConfig = r.u8();
    b.fanRunOnSeconds = r.u16();
    b.chargeCurrentDiff = r.single();
    b.voltageDiff = r.single();
    b.maxTemperature = r.single();
    b.insulationMinKohm = r.single();
    b.dividerKohm = r.single();
    b.dacConstant = r.single();
    b.firstSourceDelaySeconds = r.u8();
    b.checkMinVoltage = r.single();
    if (!r.ok() || r.remaining() != 0)
        return wrongSize(bytes.size(), kSize);
    return b;
}

std::vector<std::uint8_t> PowerSettingsBlock::encode() const
{
    ByteWriter w;
    w.single(dischargeCurrentDiff);
    w.single(fetCurrentMax);
    w.u8(sourceI2cAddress);
    w.u8(fanConfig);
    w.u16(fanRunOnSeconds);
    w.single(chargeCurrentDiff);
    w.single(voltageDiff);
    w.single(maxTemperature);
    w.single(insulationMinKohm);
    w.single(dividerKohm);
    w.single(dacConstant);
    w.u8(firstSourceDelaySeconds);
    w.single(checkMinVoltage);
    return w.take();
}

Result<SectionsBlock> SectionsBlock::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return wrongSize(bytes.size(), kSize);
    ByteReader r(bytes);
    SectionsBlock b;
    b.resistorCount = r.u8();
    b.bankCount = r.u8();
    for (float& c : b.resistors)
        c = r.single();
    for (float& c : b.banks)
        c = r.single();
    if (!r.ok() || r.remaining() != 0)
        return wrongSize(bytes.size(), kSize);
    return b;
}

std::vector<std::uint8_t> SectionsBlock::encode() const
{
    ByteWriter w;
    w.u8(resistorCount);
    w.u8(bankCount);
    for (float c : resistors)
        w.single(c);
    for (float c : banks)
        w.single(c);
    return w.take();
}

float resistanceFromConductance(float siemens)
{
    return siemens == 0.0f ? 0.0f : 1.0f / siemens;
}

float conductanceFromResistance(float ohms)
{
    return ohms == 0.0f ? 0.0f : 1.0f / ohms;
}

} // namespace kapsorel
