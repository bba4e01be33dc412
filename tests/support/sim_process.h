// Runs kapsorel-sim as a child process for end-to-end tests: by default on a fresh random pair
// of loopback addresses (127.a.b.2 power module, 127.a.b.3 measurement module), so tests in
// parallel never share ports, and talks to its control interface.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kapsorel::test {

class SimProcess {
  public:
    // Starts the simulator and waits (at most 10 s) until it is listening. `extraArgs` go on its
    // command line; a --power, --measure, --tcp-port or --udp-port among them replaces the default.
    // Throws std::runtime_error when the simulator cannot be started.
    explicit SimProcess(std::vector<std::string> extraArgs = {});
    // Asks the simulator to quit, kills it if it does not, and reaps it.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Sends one control line and returns the reply line as it came: "OK", "OK <value>" or
    // "ERR <message>". An ERR reply is returned, not thrown; a lost control connection or no
    // reply within 10 s throws std::runtime_error.
    std::string command(const std::string& line);
    // Like command(), but returns only the value after "OK " ("" for a bare "OK") and throws
    // std::runtime_error with the reply on "ERR ...".
    std::string value(const std::string& line);
    // value("get " + name) read as a number; throws when it is not one.
    double number(const std::string& name);
    // Every TCP request frame the module ("power" or "measure") received since the last
    // "clear frames", in order, each as its whole bytes.
    std::vector<std::vector<std::uint8_t>> frames(const std::string& module);

    const std::string& powerAddress() const { return powerAddress_; }
    const std::string& measureAddress() const { return measureAddress_; }
    std::uint16_t tcpPort() const { return tcpPort_; }
    std::uint16_t udpPort() const { return udpPort_; }
    std::uint16_t controlPort() const { return controlPort_; }
    // The port of the power module's firmware upload (TFTP) server, 0 when it does not run
    // (the default 69 needs privileges; pass --tftp-port to choose another).
    std::uint16_t tftpPort() { return static_cast<std::uint16_t>(number("tftp.port")); }
    bool running() const { return pid_ > 0; }

    // Kills the simulator at once (SIGKILL) and reaps it: both modules vanish from the network.
    void kill();
    // Kills it if it runs, then starts it again with the same addresses, ports and options.
    // The simulator's state starts afresh; the control port may change.
    void restart();

    // Runs the simulator with exactly `args` until it exits, for checks of its command line.
    // Returns its exit code (-1 if it had to be killed after `limit`); its standard error
    // goes into *errorText when given.
    static int runToExit(const std::vector<std::string>& args, std::string* errorText = nullptr,
                         std::chrono::milliseconds limit = std::chrono::seconds(10));

  private:
    void start();
    void connectControl();
    void closeControl();
    std::vector<std::string> commandLine() const;

    std::vector<std::string> extraArgs_;
    bool randomAddresses_ = true;
    std::string powerAddress_;
    std::string measureAddress_;
    std::uint16_t tcpPort_ = 9760;
    std::uint16_t udpPort_ = 30305;
    std::string controlAddress_ = "127.0.0.1";
    std::uint16_t controlPort_ = 0;
    pid_t pid_ = -1;
    int control_ = -1;
    std::string pending_; // control bytes read past the last reply line
};

} // namespace kapsorel::test
