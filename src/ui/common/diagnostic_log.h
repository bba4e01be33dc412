// The program's diagnostic log for a service technician: Qt's and the program's warnings
// and errors with a timestamp, to the systemd journal when the program's standard error is
// the journal (a service or a desktop session started by systemd), else to
// "Kapsorel-diag.log" in the station folder, rotated at 1 MiB with three older files kept.
// Debug and info messages still go to the standard error only.
#pragma once

#include <QString>
#include <filesystem>

namespace kapsorel::ui {

constexpr const char* kDiagnosticLogFileName = "Kapsorel-diag.log";

enum class DiagnosticLogTarget { Journal, File };

// Installs the message handler for the whole process; the station folder is where the
// file goes when the journal is not there.
DiagnosticLogTarget installDiagnosticLog(const std::filesystem::path& stationFolder);

// True when the standard error is connected to the journal (JOURNAL_STREAM names it).
bool stderrIsJournal();

} // namespace kapsorel::ui
