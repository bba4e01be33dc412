// Feeds arbitrary bytes to the frame parsing that answers and status datagrams go
// through: the header, the frame splitter, both status decoders and the payload access.
#include "core/comm/module_frame.h"

#include "core/comm/status_decoders.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kapsorel;
    const std::span<const std::uint8_t> bytes(data, size);
    if (size >= kFrameHeaderSize) {
        const FrameHeader h = parseFrameHeader(bytes.first<kFrameHeaderSize>());
        (void)h.fitsBuffer();
    }
    std::size_t offset = 0;
    while (auto n = completeFrameSize(bytes.subspan(offset)))
        offset += *n;

    StatusBuffer status{};
    std::memcpy(status.data(), data, size < status.size() ? size : status.size());
    (void)decodePowerStatus(status);
    (void)decodeMeasurementStatus(status);

    ModuleFrame frame;
    std::memcpy(frame.bytes.data(), data, size < frame.bytes.size() ? size : frame.bytes.size());
    for (std::size_t off = 0; off < 210; off += 3) {
        (void)frame.single(off);
        (void)frame.u16(off);
        frame.putU32(off, 0);
    }
    (void)frame.wireSize();
    return 0;
}
