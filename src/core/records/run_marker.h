// Section "RUN" of the configuration file as the test recorder needs it: the path of the
// last test file created (`Test`) and whether that test completed (`Test_ukoncen`).
// The configuration file implements it; tests use an in-memory one.
#pragma once

#include "core/base/result.h"

#include <string>

namespace kapsorel {

// The last test started and whether it completed.
struct LastTest {
    std::string path;  // `Test`, empty when none
    int completed = 1; // `Test_ukoncen`, 1 when the key is missing
};

class RunMarker {
  public:
    virtual ~RunMarker() = default;
    virtual LastTest lastTest() const = 0;
    // Sets `Test` := path and `Test_ukoncen` := completed and stores the file.
    virtual Status markTest(const std::string& path, int completed) = 0;
};

} // namespace kapsorel
