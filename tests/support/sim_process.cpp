#include "support/sim_process.h"

#include "support/build_paths.h"
#include "support/wait_until.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kapsorel::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReadyLimit = std::chrono::seconds(10);
constexpr auto kReplyLimit = std::chrono::seconds(10);
constexpr int kStartAttempts = 5;
constexpr int kCannotListenExit = 1;

std::string randomPrefix()
{
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> second(1, 254);
    std::uniform_int_distribution<int> third(0, 255);
    return "127." + std::to_string(second(generator)) + "." + std::to_string(third(generator)) + ".";
}

// Waits for the child to end within `limit`; returns its exit code, or nothing if it still runs.
std::optional<int> waitFor(pid_t pid, Clock::duration limit)
{
    std::optional<int> code;
    waitUntil(
        [&] {
            int status = 0;
            const pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid)
                code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            else if (r < 0 && errno != EINTR)
                code = -1;
            return code.has_value();
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(limit), std::chrono::milliseconds(5));
    return code;
}

int killAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return -1;
}

// Forks and runs the simulator with `args`; the child's stdout and stderr go to the given
// descriptors (-1 = inherit).
pid_t spawn(const std::vector<std::string>& args, int outFd, int errFd)
{
    std::vector<std::string> all{simulatorPath().string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("SimProcess: fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        if (outFd >= 0)
            dup2(outFd, STDOUT_FILENO);
        if (errFd >= 0)
            dup2(errFd, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Reads from `fd` until a line end, EOF or the deadline; returns whether a whole line came.
bool readLine(int fd, std::string& buffer, std::string& line, Clock::time_point deadline)
{
    for (;;) {
        if (const auto nl = buffer.find('\n'); nl != std::string::npos) {
            line = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char chunk[512];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::uint16_t parsePort(const std::string& text)
{
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<std::uint16_t>(v);
}

std::vector<std::uint8_t> fromHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        throw std::runtime_error("SimProcess: odd hex text " + hex);
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

} // namespace

SimProcess::SimProcess(std::vector<std::string> extraArgs) : extraArgs_(std::move(extraArgs))
{
    for (std::size_t i = 0; i + 1 < extraArgs_.size(); ++i) {
        const std::string& name = extraArgs_[i];
        const std::string& v = extraArgs_[i + 1];
        if (name == "--power") {
            powerAddress_ = v;
            randomAddresses_ = false;
        } else if (name == "--measure") {
            measureAddress_ = v;
            randomAddresses_ = false;
        } else if (name == "--tcp-port") {
            tcpPort_ = parsePort(v);
        } else if (name == "--udp-port") {
            udpPort_ = parsePort(v);
        } else if (name == "--control") {
            const auto colon = v.rfind(':');
            controlAddress_ = v.substr(0, colon);
        }
    }
    if (!randomAddresses_) {
        if (powerAddress_.empty())
            powerAddress_ = "127.0.0.2";
        if (measureAddress_.empty())
            measureAddress_ = "127.0.0.3";
    }
    start();
}

SimProcess::~SimProcess()
{
    if (pid_ > 0 && control_ >= 0) {
        const char quit[] = "quit\n";
        if (send(control_, quit, sizeof quit - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof quit - 1) &&
            waitFor(pid_, std::chrono::seconds(2)))
            pid_ = -1;
    }
    closeControl();
    if (pid_ > 0)
        killAndReap(pid_);
    pid_ = -1;
}

std::vector<std::string> SimProcess::commandLine() const
{
    std::vector<std::string> args;
    if (randomAddresses_) {
        args.insert(args.end(), {"--power", powerAddress_, "--measure", measureAddress_});
    }
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    return args;
}

void SimProcess::start()
{
    std::string lastError;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (randomAddresses_ && (attempt > 0 || powerAddress_.empty())) {
            const std::string prefix = randomPrefix();
            powerAddress_ = prefix + "2";
            measureAddress_ = prefix + "3";
        }
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("SimProcess: pipe failed: ") + std::strerror(errno));
        pid_ = spawn(commandLine(), out[1], -1);
        close(out[1]);
        std::string buffer;
        std::string line;
        const bool gotLine = readLine(out[0], buffer, line, Clock::now() + kReadyLimit);
        close(out[0]);
        const std::string prefix = "READY control=";
        if (gotLine && line.rfind(prefix, 0) == 0) {
            controlPort_ = parsePort(line.substr(prefix.size()));
            connectControl();
            return;
        }
        const auto code = waitFor(pid_, std::chrono::milliseconds(500));
        if (!code)
            killAndReap(pid_);
        pid_ = -1;
        lastError = gotLine ? "unexpected first line \"" + line + "\""
                    : code  ? "it exited with code " + std::to_string(*code)
                            : "no READY line within 10 s";
        // A clash on a random address pair is worth another pair; anything else is not.
        if (!(randomAddresses_ && code && *code == kCannotListenExit))
            break;
    }
    throw std::runtime_error("SimProcess: kapsorel-sim did not start: " + lastError);
}

void SimProcess::connectControl()
{
    control_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (control_ < 0)
        throw std::runtime_error(std::string("SimProcess: socket failed: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(controlPort_);
    if (inet_pton(AF_INET, controlAddress_.c_str(), &address.sin_addr) != 1 ||
        connect(control_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string why = std::strerror(errno);
        closeControl();
        throw std::runtime_error("SimProcess: cannot connect to the control port " + controlAddress_ + ":" +
                                 std::to_string(controlPort_) + ": " + why);
    }
    pending_.clear();
}

void SimProcess::closeControl()
{
    if (control_ >= 0)
        close(control_);
    control_ = -1;
}

std::string SimProcess::command(const std::string& line)
{
    if (control_ < 0)
        throw std::runtime_error("SimProcess: the simulator is not running (command \"" + line + "\")");
    const std::string text = line + "\n";
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(control_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("SimProcess: control connection lost sending \"" + line + "\"");
        sent += static_cast<std::size_t>(n);
    }
    std::string reply;
    if (!readLine(control_, pending_, reply, Clock::now() + kReplyLimit))
        throw std::runtime_error("SimProcess: no reply to \"" + line + "\"");
    return reply;
}

std::string SimProcess::value(const std::string& line)
{
    const std::string reply = command(line);
    if (reply == "OK")
        return {};
    if (reply.rfind("OK ", 0) == 0)
        return reply.substr(3);
    throw std::runtime_error("SimProcess: \"" + line + "\" answered \"" + reply + "\"");
}

double SimProcess::number(const std::string& name)
{
    const std::string text = value("get " + name);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size())
        throw std::runtime_error("SimProcess: get " + name + " gave \"" + text + "\", not a number");
    return v;
}

std::vector<std::vector<std::uint8_t>> SimProcess::frames(const std::string& module)
{
    const std::string text = value("frames " + module);
    std::vector<std::vector<std::uint8_t>> out;
    std::size_t from = 0;
    while (from < text.size()) {
        const auto semi = text.find(';', from);
        const auto to = semi == std::string::npos ? text.size() : semi;
        out.push_back(fromHex(text.substr(from, to - from)));
        from = to + 1;
    }
    return out;
}

void SimProcess::kill()
{
    closeControl();
    if (pid_ > 0)
        killAndReap(pid_);
    pid_ = -1;
}

void SimProcess::restart()
{
    kill();
    if (randomAddresses_) {
        // From now on the addresses drawn at the first start are fixed.
        randomAddresses_ = false;
        extraArgs_.insert(extraArgs_.begin(), {"--power", powerAddress_, "--measure", measureAddress_});
    }
    start();
}

int SimProcess::runToExit(const std::vector<std::string>& args, std::string* errorText, std::chrono::milliseconds limit)
{
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("SimProcess: pipe failed: ") + std::strerror(errno));
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = spawn(args, devNull, err[1]);
    close(err[1]);
    if (devNull >= 0)
        close(devNull);
    const auto deadline = Clock::now() + limit;
    std::string collected;
    std::string line;
    while (readLine(err[0], collected, line, deadline)) {
        if (errorText)
            *errorText += line + "\n";
    }
    if (errorText)
        *errorText += collected;
    close(err[0]);
    const auto left = deadline - Clock::now();
    const auto code = waitFor(pid, left > Clock::duration::zero() ? left : Clock::duration::zero());
    return code ? *code : killAndReap(pid);
}

} // namespace kapsorel::test
