// A short test written by the station's own recorder, for the tests of the windows that
// open, list, print or export test files.
#pragma once

#include <filesystem>
#include <string>

namespace kapsorel::test {

// What the recorded test holds: its header, one step (step 0) with `samples` samples ten
// seconds apart from 5 March 2024 7:09:00, sample s (from 1) at `voltage + s * voltageRise`
// volts and `current` amperes. The step ends normally, or with `stopped` the operator
// stops the test in it.
struct RecordedTest {
    int stepCount = 1;
    std::string batteryNumber = "A12";
    std::string operatorName = "Novák";
    std::string stationName = "Zkušebna";
    std::string batteryType = "20KSX25P";
    std::string procedureName = "Ukázka (3 minuty)";
    std::string note;
    int samples = 3;
    float voltage = 0.0f;
    float voltageRise = 0.0f;
    float current = 0.0f;
    bool stopped = false;
};

// Writes the test into `dataFolder` and returns its path; empty when the file could not be
// created.
std::filesystem::path recordTest(const std::filesystem::path& dataFolder, const RecordedTest& test = {});

} // namespace kapsorel::test
