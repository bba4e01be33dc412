// The address, port, user name and SPI fields, and the network and ports blocks they fill.
#include "core/service/address_fields.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(DottedAddress, TakesFourOctetsAndRefusesEverythingElse)
{
    const struct {
        const char* text;
        std::optional<Octets> octets;
    } cases[] = {
        {"127.1.2.10", Octets{127, 1, 2, 10}},
        {"0.0.0.0", Octets{0, 0, 0, 0}},
        {"255.255.255.255", Octets{255, 255, 255, 255}},
        {" 127.0.0.2 ", Octets{127, 0, 0, 2}},
        {"256.1.1.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2.3", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"", std::nullopt},
        {"a.b.c.d", std::nullopt},
        {"1.2.3.4x", std::nullopt},
        {"-1.2.3.4", std::nullopt},
        {"0001.2.3.4", std::nullopt},
        {"1 .2.3.4", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseDottedAddress(c.text), c.octets);
        if (c.octets) {
            EXPECT_EQ(parseDottedAddress(formatDottedAddress(*c.octets)), c.octets);
        }
    }
}

NetworkFields goodFields()
{
    return {"127.0.0.5", "255.0.0.0", "127.0.0.1", "127.0.0.53", "127.0.0.54"};
}

TEST(NetworkFields, EveryAddressFieldIsCheckedAndNamed)
{
    const struct {
        std::string NetworkFields::*field;
        const char* label;
    } cases[] = {{&NetworkFields::address, "IP adresa"},
                 {&NetworkFields::mask, "Maska"},
                 {&NetworkFields::gateway, "Brána"},
                 {&NetworkFields::dns1, "DNS1"},
                 {&NetworkFields::dns2, "DNS2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        NetworkFields fields = goodFields();
        fields.*c.field = "300.1.1.1";
        const auto block = networkFromFields(fields, NetworkBlock{});
        ASSERT_FALSE(block.ok());
        EXPECT_NE(block.error().find(c.label), std::string::npos) << block.error();
    }
}

TEST(NetworkFields, FillTheBlockWithAddressAndMaskTwiceAndKeepTheSpareBytes)
{
    NetworkBlock previous;
    previous.spare = {1, 2, 3, 4, 5, 6, 7};
    const auto block = networkFromFields(goodFields(), previous);
    ASSERT_TRUE(block.ok());
    const std::vector<std::uint8_t> expected{127, 0,  0,   5, 255, 0, 0,   0, 127, 0, 0, 1, 127, 0, 0, 53, 127, 0,
                                             0,   54, 127, 0, 0,   5, 255, 0, 0,   0, 1, 2, 3,   4, 5, 6,  7};
    EXPECT_EQ(block->encode(), expected);
    EXPECT_EQ(networkFields(*block), goodFields());
}

TEST(PortsFields, PortsOutside1To65535AndLongNamesAreRefused)
{
    const struct {
        const char* name;
        PortsFields fields;
        bool ok;
    } cases[] = {
        {"good", {"servis", 9761, 30305, 30306}, true},
        {"nine characters", {"abcdefghi", 1, 65535, 2}, true},
        {"ten characters", {"abcdefghij", 1, 2, 3}, false},
        {"Czech letters count once", {"žluťoučký", 1, 2, 3}, true},
        {"tcp 0", {"a", 0, 2, 3}, false},
        {"udp1 65536", {"a", 1, 65536, 3}, false},
        {"udp2 negative", {"a", 1, 2, -1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto block = portsFromFields(c.fields, PortsBlock{});
        EXPECT_EQ(block.ok(), c.ok) << (block.ok() ? "" : block.error());
        if (block.ok()) {
            EXPECT_EQ(portsFields(*block), c.fields);
        }
    }
}

TEST(PortsFields, NameIsZeroTerminatedWhenShorterAndAWriteSendsThirteenBytes)
{
    PortsBlock previous;
    previous.user.fill('x');
    previous.spare = {9, 9, 9, 9, 9, 9, 9, 9};
    const auto block = portsFromFields({"abc", 0x1234, 0x5678, 0x9ABC}, previous);
    ASSERT_TRUE(block.ok());
    const std::vector<std::uint8_t> written{'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0x34, 0x12, 0x78, 0x56};
    EXPECT_EQ(block->encodeWritten(), written);
    const auto all = block->encode();
    ASSERT_EQ(all.size(), 23u);
    EXPECT_EQ(all[13], 0xBC);
    EXPECT_EQ(all[22], 9);
}

TEST(SpiFields, RegisterAndValueAre0To255)
{
    for (long v : {0L, 1L, 255L})
        EXPECT_EQ(*spiByteFromField(v, "Registr SPI"), v);
    for (long v : {-1L, 256L, 65536L})
        EXPECT_FALSE(spiByteFromField(v, "Registr SPI").ok()) << v;
}

} // namespace
} // namespace kapsorel
