// Report layout files from the fuzzer: every read must refuse or take exactly the items the
// header counts from the bytes present, and writing what it took gives those bytes back
// apart from the reserved ones.
#include "core/reports/layout_file.h"

#include <algorithm>
#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    const auto layout = decodeLayout(file);
    if (!layout)
        return 0;
    const std::size_t count = file[layout_format::kCountOffset];
    const std::size_t used = layout_format::kHeaderSize + count * layout_format::kItemSize;
    if (layout->items.size() != count || used > size)
        std::abort();
    const auto again = decodeLayout(encodeLayout(*layout));
    if (!again || *again != *layout)
        std::abort();
    return 0;
}
