// One firmware upload to Debian's own TFTP server, in.tftpd of tftpd-hpa, started by the test
// in the foreground on a loopback address with its own root folder: the file it wrote must be
// the descrambled image byte for byte.
#include "core/comm/tftp_send.h"
#include "core/service/firmware_image.h"
#include "recording_events.h"
#include "support/temp_home.h"

#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kapsorel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kTftpd = "/usr/sbin/in.tftpd";

// A UDP port free on `address` right now.
std::uint16_t freePort(const std::string& address)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    socklen_t size = sizeof a;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

class Tftpd {
  public:
    Tftpd(const std::string& address, std::uint16_t port, const std::filesystem::path& root)
    {
        const passwd* me = ::getpwuid(::geteuid());
        const std::string user = me ? me->pw_name : "nobody";
        const std::string listen = address + ":" + std::to_string(port);
        pid_ = ::fork();
        if (pid_ == 0) {
            // Foreground, create files, no extra permission checks, stay this user.
            ::execl(kTftpd, kTftpd, "-L", "-c", "-p", "-U", "022", "-u", user.c_str(), "-a", listen.c_str(), "-s",
                    root.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Tftpd()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    Tftpd(const Tftpd&) = delete;
    Tftpd& operator=(const Tftpd&) = delete;

    // False (with its exit status) when the server has already ended.
    bool running(int& status)
    {
        if (pid_ <= 0)
            return false;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        return true;
    }

  private:
    pid_t pid_ = -1;
};

TEST(TftpdHpa, ReceivesTheDescrambledImageByteForByte)
{
    if (::access(kTftpd, X_OK) != 0)
        GTEST_SKIP() << kTftpd << " is missing: install tftpd-hpa (scripts/install-deps) to run this upload";
    TempHome home;
    const std::filesystem::path root = home.path() / "tftproot";
    std::filesystem::create_directories(root);
    const std::string address = "127.77." + std::to_string(::getpid() % 250) + ".9";
    const std::uint16_t port = freePort(address);
    ASSERT_NE(port, 0) << "no free UDP port on " << address;
    Tftpd server(address, port, root);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    if (!server.running(status))
        GTEST_SKIP() << kTftpd << " cannot run here (exit status " << status << ")";

    // A ".BIN" file of 3000 scrambled bytes behind a 4-byte header and its key.
    const std::array<std::uint8_t, 8> key{0xA5, 0x5A, 0x0F, 0xF0, 0x3C, 0xC3, 0x99, 0x66};
    Bytes file{4, 'F', 'W', '0', '1'};
    file.insert(file.end(), key.begin(), key.end());
    for (std::size_t i = 0; i < 3000; ++i)
        file.push_back(static_cast<std::uint8_t>(i * 31 + 5));
    const auto image = descrambleBin(file);
    ASSERT_TRUE(image);

    TTFTPSend client;
    client.targetHost = address;
    client.targetPort = port;
    client.data = *image;
    RecordingEvents events;
    ASSERT_TRUE(client.sendFile("firmware.bin", "octet", events, events.cancel))
        << "Error #" << client.errorCode() << " - " << client.errorText();
    EXPECT_EQ(home.readBytes("tftproot/firmware.bin"), *image);
    EXPECT_EQ(events.percents, (std::vector<int>{20, 40, 60, 80, 100}));
}

} // namespace
} // namespace kapsorel::test
