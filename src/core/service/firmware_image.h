// The power module's firmware files turned into the image that is uploaded: a ".BIN" file is
// descrambled with its key bytes, a ".HEX" file is sent byte for byte.
#pragma once

#include "core/base/result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

enum class FirmwareKind { Bin, Hex, Unsupported };

// The largest image whose blocks keep 16-bit numbers: the last (short or empty) block of an
// image of 65535 x 512 bytes would be block 65536.
constexpr std::size_t kFirmwareBlockSize = 512;
constexpr std::size_t kFirmwareImageLimit = 65535 * kFirmwareBlockSize;

// By the file name's extension, in any letter case.
FirmwareKind firmwareKindOf(const std::string& fileName);

// ".BIN": byte 0 is the length n of a header that is skipped, then 8 key bytes K, then the
// scrambled image: image[i] = scrambled[i] XOR ((i mod 256) OR K[i mod 8]).
// Refused: a file too short for its header and key, and one with nothing after the key.
Result<std::vector<std::uint8_t>> descrambleBin(std::span<const std::uint8_t> file);

// ".HEX": the file's bytes as they are. Refused when empty.
Result<std::vector<std::uint8_t>> takeHex(std::span<const std::uint8_t> file);

// The image of a file of `kind`, refused (with the message to log) as above, for an
// unsupported kind, and when it reaches kFirmwareImageLimit.
Result<std::vector<std::uint8_t>> firmwareImage(FirmwareKind kind, std::span<const std::uint8_t> file);

} // namespace kapsorel
