#include "core/app/user_list.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kapsorel;

namespace {

std::vector<std::uint8_t> record(std::uint8_t length, const std::string& raw)
{
    std::vector<std::uint8_t> r(kUserRecordSize, 0xEE); // the bytes after the name mean nothing
    r[0] = length;
    for (std::size_t i = 0; i < raw.size() && i + 1 < r.size(); ++i)
        r[i + 1] = static_cast<std::uint8_t>(raw[i]);
    return r;
}

} // namespace

TEST(UserList, WholeRecordsOnly)
{
    const auto one = record(5, "Nov\xE1k");
    std::vector<std::uint8_t> bytes = one;
    bytes.resize(59, 'x'); // one record and 29 bytes of a second one
    EXPECT_EQ(parseUserList(bytes), std::vector<std::string>{"Novák"});

    EXPECT_TRUE(parseUserList(std::vector<std::uint8_t>(one.begin(), one.begin() + 29)).empty());
    EXPECT_TRUE(parseUserList({}).empty());

    std::vector<std::uint8_t> two = one;
    const auto second = record(0, "");
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_EQ(parseUserList(two), (std::vector<std::string>{"Novák", ""}));
}

TEST(UserList, LengthAboveTheCapacityIsCutTo29)
{
    const std::string raw(29, 'a');
    EXPECT_EQ(parseUserList(record(200, raw)), std::vector<std::string>{raw});
    EXPECT_EQ(parseUserList(record(3, "\x8A\x9D"
                                      "a")),
              std::vector<std::string>{"Šťa"});
}

TEST(UserList, EncodeIsTheInverseAndCutsLongNames)
{
    const std::vector<std::string> names = {"Šťastný", "", "Ondřej Černý", std::string(40, 'z')};
    const auto bytes = encodeUserList(names);
    ASSERT_EQ(bytes.size(), 4 * kUserRecordSize);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[1], 0x8A);
    EXPECT_EQ(bytes[90], 29);
    auto back = parseUserList(bytes);
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0], names[0]);
    EXPECT_EQ(back[1], names[1]);
    EXPECT_EQ(back[2], names[2]);
    EXPECT_EQ(back[3], std::string(29, 'z'));
}

TEST(UserList, FileReadAndWrite)
{
    test::TempHome home;
    test::FakeClock clock;
    const auto path = home / "Kapsorel.usr";

    const UserListRead missing = readUserList(path, clock);
    EXPECT_TRUE(missing.names.empty());
    EXPECT_FALSE(missing.message.has_value());
    EXPECT_EQ(clock.sleeps(), 0);

    ASSERT_TRUE(writeUserList(path, {"Novák", "Svoboda"}, clock).ok());
    EXPECT_EQ(home.readBytes("Kapsorel.usr").size(), 60u);
    const UserListRead read = readUserList(path, clock);
    EXPECT_EQ(read.names, (std::vector<std::string>{"Novák", "Svoboda"}));
    EXPECT_FALSE(read.message.has_value());

    // Writing fewer names leaves exactly those.
    ASSERT_TRUE(writeUserList(path, {"Dvořák"}, clock).ok());
    EXPECT_EQ(readUserList(path, clock).names, std::vector<std::string>{"Dvořák"});
}

TEST(UserList, UnreadableFileGivesTheMessageWithItsReasonAtOnce)
{
    test::TempHome home;
    test::FakeClock clock;
    const auto path = home / "Kapsorel.usr";
    std::filesystem::create_symlink(path, path); // exists, yet never opens
    const UserListRead r = readUserList(path, clock);
    EXPECT_TRUE(r.names.empty());
    ASSERT_TRUE(r.message.has_value());
    EXPECT_EQ(*r.message, "Soubor " + path.string() + " nelze otevřít (smyčka symbolických odkazů)");
    EXPECT_EQ(clock.sleeps(), 0); // a loop of links does not pass by waiting
}

TEST(UserList, OperatorToSelect)
{
    const std::vector<std::string> names = {"Dvořák", "Novák", "Svoboda"};
    EXPECT_EQ(operatorToSelect(names, "Novák"), 1u);
    EXPECT_EQ(operatorToSelect(names, "Nikdo"), 0u);
    EXPECT_EQ(operatorToSelect(names, ""), 0u);
    EXPECT_EQ(operatorToSelect({}, "Novák"), std::nullopt);
}
