// The one way a test waits for something another thread or process does: poll a
// condition until it holds or a deadline passes. Never a bare sleep as synchronisation.
#pragma once

#include <chrono>
#include <thread>

namespace kapsorel::test {

// Checks `done` every `every` until it returns true or `limit` has passed, and once more
// at the deadline; returns whether it held. `done` may do work of its own between checks
// (answer a question, read a value). It runs on the calling thread, which only sleeps
// meanwhile: a Qt test that needs events processed uses QTRY_* instead.
template <class Done>
bool waitUntil(Done&& done, std::chrono::milliseconds limit,
               std::chrono::milliseconds every = std::chrono::milliseconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        std::this_thread::sleep_for(every);
    }
    return static_cast<bool>(done());
}

} // namespace kapsorel::test
