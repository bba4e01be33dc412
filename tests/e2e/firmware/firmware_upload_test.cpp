// The firmware upload from a file on disk to kapsorel-sim's power module: the log the window
// shows line by line, the image the module received, and the files refused before anything
// is sent.
#include "core/service/firmware_upload.h"
#include "recording_events.h"
#include "support/sim_process.h"
#include "support/temp_home.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint16_t kSimTftpPort = 6969;

Bytes unhex(const std::string& text)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

class FirmwareUploadTest : public testing::Test {
  protected:
    FirmwareUploadTest() : sim_({"--tftp-port", std::to_string(kSimTftpPort)}) {}

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const auto path = home_.path() / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    UploadOutcome upload(const std::string& path)
    {
        FirmwareUpload request{path, sim_.powerAddress(), kSimTftpPort, quickTimings()};
        return uploadFirmware(request, events_, events_.cancel);
    }

    TempHome home_;
    SimProcess sim_;
    RecordingEvents events_;
};

TEST_F(FirmwareUploadTest, BinFileIsDescrambledAndSentWithTheLogOfEveryStep)
{
    // Header of 2 bytes, key, then 1024 scrambled bytes.
    const std::array<std::uint8_t, 8> key{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    Bytes file{2, 0xAA, 0xBB};
    file.insert(file.end(), key.begin(), key.end());
    Bytes image(1024);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 13);
        file.push_back(static_cast<std::uint8_t>(image[i] ^ ((i % 256) | key[i % 8])));
    }
    EXPECT_EQ(upload(write("Zdroj_v2.bin", file)), UploadOutcome::Sent);
    EXPECT_EQ(unhex(sim_.value("tftp image")), image);
    EXPECT_EQ(sim_.number("tftp.blocks"), 3);
    EXPECT_EQ(events_.lines,
              (std::vector<std::string>{"Update FW ->", "Cíl: " + sim_.powerAddress(), "Odesílání souboru Zdroj_v2.bin",
                                        "- - -", "Požadavek na zápis - 0", "Posílám data", "Soubor úspěšně odeslán",
                                        "Update FW -> OK", "Spojení přerušeno"}));
}

TEST_F(FirmwareUploadTest, HexFileIsSentAsItIs)
{
    const Bytes file{':', '0', '2', '0', '0', '0', '0', '0', '4', '\r', '\n'};
    EXPECT_EQ(upload(write("fw.HEX", file)), UploadOutcome::Sent);
    EXPECT_EQ(unhex(sim_.value("tftp image")), file);
}

TEST_F(FirmwareUploadTest, RefusalLogsTheLoginError)
{
    sim_.value("tftp refuse on");
    EXPECT_EQ(upload(write("fw.hex", {1, 2, 3})), UploadOutcome::Failed);
    ASSERT_GE(events_.lines.size(), 2u);
    EXPECT_EQ(events_.lines[events_.lines.size() - 2], "Chyba přihlášení");
    EXPECT_EQ(events_.lines.back(), "Spojení přerušeno");
}

TEST_F(FirmwareUploadTest, NoAnswerLogsTheErrorLineWithCodeZero)
{
    sim_.value("tftp silent on");
    EXPECT_EQ(upload(write("fw.hex", {1, 2, 3})), UploadOutcome::Failed);
    EXPECT_EQ(events_.count("Požadavek na zápis - "), 21u);
    const std::vector<std::string> tail(events_.lines.end() - 3, events_.lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Chyba při odesílání", "Error #0 - ", "Spojení přerušeno"}));
}

TEST_F(FirmwareUploadTest, DataPhaseErrorLogsItsCodeAndText)
{
    sim_.value("tftp data_error 1 3");
    EXPECT_EQ(upload(write("fw.hex", Bytes(600, 1))), UploadOutcome::Failed);
    const std::vector<std::string> tail(events_.lines.end() - 3, events_.lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Chyba při odesílání", "Error #3 - Write failed", "Spojení přerušeno"}));
}

struct RefusedFile {
    const char* name;
    const char* file;
    Bytes bytes;
    bool create;
    const char* says;
};

class RefusedFiles : public FirmwareUploadTest, public testing::WithParamInterface<RefusedFile> {};

TEST_P(RefusedFiles, OneLineSaysWhyAndNothingIsSent)
{
    const auto& c = GetParam();
    const std::string path = c.create ? write(c.file, c.bytes) : (home_.path() / c.file).string();
    EXPECT_EQ(upload(path), UploadOutcome::Refused);
    ASSERT_EQ(events_.lines.size(), 2u);
    EXPECT_EQ(events_.lines[0], "Update FW ->");
    EXPECT_NE(events_.lines[1].find(c.says), std::string::npos) << events_.lines[1];
    EXPECT_EQ(sim_.number("tftp.requests"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    FirmwareUpload, RefusedFiles,
    testing::Values(RefusedFile{"Missing", "none.bin", {}, false, "nelze otevřít"},
                    RefusedFile{"UnknownType", "fw.txt", {1, 2, 3}, true, "Nepodporovaný typ souboru"},
                    RefusedFile{"EmptyHex", "fw.hex", {}, true, "prázdný"},
                    RefusedFile{"EmptyBin", "fw.bin", {}, true, "krátký"},
                    RefusedFile{"KeylessBin", "fw.bin", {0, 1, 2, 3}, true, "krátký"},
                    RefusedFile{"NothingAfterKey", "fw.BIN", {0, 1, 2, 3, 4, 5, 6, 7, 8}, true, "žádná data"}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace kapsorel::test
