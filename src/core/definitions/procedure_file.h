// Reading and writing procedure files ("%3.3d.psp"): the step count, the note,
// 50 reserved bytes and the 291-byte steps.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"
#include "core/definitions/procedure.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace kapsorel {

// Reads one 291-byte step record. Fails for a step type above 10 or a value format
// code above 15 (in a value or in a used condition term).
Result<ProcedureStep> parseProcedureStep(std::span<const std::uint8_t> record);
// Writes exactly 291 bytes; the reserved tail is zero.
std::vector<std::uint8_t> serializeProcedureStep(const ProcedureStep& step);

// Reads a procedure file image: the count, the note whenever the file holds it (also for
// a procedure without steps, which the editor saves with its note), and when the count
// is not 0 the reserved bytes and exactly that many steps; bytes after the last step are
// ignored.
// Fails for a count above 200, a file shorter than its count demands, or a bad step.
Result<Procedure> parseProcedure(std::span<const std::uint8_t> data);
// The file image the editor saves: count, note, 50 zero bytes, the steps. Fails for
// more than 200 steps.
Result<std::vector<std::uint8_t>> serializeProcedure(const Procedure& procedure);

// Loads a procedure file; a missing file is an empty procedure. Errors name the file.
Result<Procedure> loadProcedureFile(const std::filesystem::path& path, Clock& clock = SystemClock::instance());
// Saves a procedure file (created when missing, replaced as a whole).
Status saveProcedureFile(const std::filesystem::path& path, const Procedure& procedure,
                         Clock& clock = SystemClock::instance());

// The message for a 201st step.
std::string tooManyStepsMessage();
// Refuses when `adding` more steps would take the procedure beyond 200.
Status checkRoomForSteps(const Procedure& procedure, int adding);

} // namespace kapsorel
