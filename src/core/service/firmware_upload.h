// The firmware upload of the power module: the chosen file turned into its image and sent to
// the module's TFTP server, every step logged as the upgrade window shows it.
#pragma once

#include "core/comm/tftp_send.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace kapsorel {

struct FirmwareUpload {
    std::string filePath;
    std::string powerModuleAddress; // the station's IP_adr_vyk: the only target there is
    std::uint16_t port = kTftpPort;
    TftpTimings timings;
};

enum class UploadOutcome { Sent, Refused, Failed, Cancelled };

// Logs "Update FW ->", reads and checks the file (a file that cannot be read, an unsupported
// type, an empty, keyless or too large image: one line saying why, nothing sent), then sends
// the image with the write request "#" in mode "#" and logs the outcome and
// "Spojení přerušeno".
UploadOutcome uploadFirmware(const FirmwareUpload& upload, TftpSendEvents& events, const std::atomic<bool>& cancel);

} // namespace kapsorel
