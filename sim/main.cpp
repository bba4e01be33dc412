// kapsorel-sim: the station's power module and measurement module as network peers on
// loopback, with a battery model and a control interface for tests and demos.
#include "core/base/program_version.h"
#include "simulator.h"

#include <csignal>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace kapsorel::sim;
    std::signal(SIGPIPE, SIG_IGN);
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << usageText();
        return 0;
    }
    if (parsed.version) {
        std::cout << kapsorel::versionLine("kapsorel-sim") << "\n";
        return 0;
    }
    if (!parsed.ok()) {
        std::cerr << parsed.error << (parsed.error.back() == '\n' ? "" : "\n");
        return 2;
    }
    try {
        asio::io_context io(1);
        Simulator sim(io, parsed.options);
        if (const std::string error = sim.start(); !error.empty()) {
            std::cerr << "kapsorel-sim: cannot listen: " << error << "\n";
            return 1;
        }
        std::cout << "READY control=" << sim.controlPort() << std::endl;
        io.run();
    } catch (const std::exception& e) {
        std::cerr << "kapsorel-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
