// The firmware upload of a 1 MB image to the simulated power module over loopback: our
// descrambling and TFTP client, and as the reference in the same run the same image sent by
// tftp-hpa's client `tftp` to the same server (skipped when it is not installed).
#include "core/comm/tftp_send.h"
#include "core/service/firmware_image.h"
#include "support/sim_process.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint16_t kSimTftpPort = 6969;
constexpr std::size_t kImageSize = 1024 * 1024;
constexpr const char* kTftpClient = "/usr/bin/tftp";

kapsorel::test::SimProcess& sim()
{
    static kapsorel::test::SimProcess process({"--tftp-port", std::to_string(kSimTftpPort)});
    return process;
}

// A ".BIN" file whose image is kImageSize bytes.
const Bytes& binFile()
{
    static const Bytes file = [] {
        Bytes f{2, 'F', 'W', 0x3C, 0xA1, 0x07, 0x90, 0x5E, 0x00, 0xFF, 0x12};
        for (std::size_t i = 0; i < kImageSize; ++i)
            f.push_back(static_cast<std::uint8_t>(i * 29 + (i >> 10)));
        return f;
    }();
    return file;
}

class NoEvents final : public kapsorel::TftpSendEvents {
  public:
    void log(const std::string&) override {}
    void progressShown(bool) override {}
    void progress(int) override {}
};

void BM_FirmwareDescrambleAndSend1MB(benchmark::State& state)
{
    NoEvents events;
    std::atomic<bool> cancel{false};
    for (auto _ : state) {
        auto image = kapsorel::descrambleBin(binFile());
        if (!image) {
            state.SkipWithError(image.error().c_str());
            break;
        }
        kapsorel::TTFTPSend client;
        client.targetHost = sim().powerAddress();
        client.targetPort = kSimTftpPort;
        client.data = std::move(*image);
        if (!client.sendFile("#", "#", events, cancel)) {
            state.SkipWithError("upload failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(BM_FirmwareDescrambleAndSend1MB)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_TftpHpaClientSend1MB(benchmark::State& state)
{
    if (::access(kTftpClient, X_OK) != 0) {
        state.SkipWithError("tftp-hpa's client /usr/bin/tftp is missing: no reference figure");
        return;
    }
    kapsorel::test::TempHome home;
    auto image = kapsorel::descrambleBin(binFile());
    home.writeBytes("fw.img", *image);
    const std::string local = (home / "fw.img").string();
    const std::string host = sim().powerAddress();
    const std::string port = std::to_string(kSimTftpPort);
    const std::vector<std::string> args{kTftpClient, "-m", "binary", host, port, "-c", "put", local, "fw.img"};
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        const double before = sim().number("tftp.transfers");
        state.ResumeTiming();
        pid_t pid = 0;
        if (::posix_spawn(&pid, kTftpClient, nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("tftp cannot be started");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        state.PauseTiming();
        if (!WIFEXITED(status) || sim().number("tftp.transfers") != before + 1 ||
            sim().number("tftp.size") != static_cast<double>(kImageSize)) {
            state.SkipWithError("tftp's upload did not arrive whole");
            break;
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(BM_TftpHpaClientSend1MB)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
