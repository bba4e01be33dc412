// Firmware files from the fuzzer, read as ".BIN" and as ".HEX": a ".BIN" image must be the
// bytes after the header and key, descrambled (scrambling it again gives the file's tail
// back), and is refused exactly when nothing follows the key; a ".HEX" image is the file
// itself, refused exactly when the file is empty.
#include "core/service/firmware_image.h"

#include <algorithm>
#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);

    const std::size_t imageAt = size == 0 ? 1 : 1 + std::size_t{data[0]} + 8;
    const auto bin = firmwareImage(FirmwareKind::Bin, file);
    if (bin.ok() != (size > imageAt))
        std::abort();
    if (bin) {
        if (bin->size() != size - imageAt)
            std::abort();
        const std::uint8_t* key = data + imageAt - 8;
        for (std::size_t i = 0; i < bin->size(); ++i)
            if (static_cast<std::uint8_t>((*bin)[i] ^ ((i & 0xFF) | key[i % 8])) != data[imageAt + i])
                std::abort();
    } else if (bin.error().empty()) {
        std::abort();
    }

    const auto hex = firmwareImage(FirmwareKind::Hex, file);
    if (hex.ok() != (size > 0))
        std::abort();
    if (hex && !std::equal(hex->begin(), hex->end(), file.begin(), file.end()))
        std::abort();

    if (firmwareImage(FirmwareKind::Unsupported, file))
        std::abort();
    return 0;
}
