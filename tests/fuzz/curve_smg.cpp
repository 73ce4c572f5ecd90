// Reads arbitrary text as a .SMG file: decoding never crashes, and a file it
// accepts and can write again reads back to the same entries.

#include "Sonbex/Curves/CurveFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    MultiGraphSet set;
    if (DecodeSmg(std::string_view(reinterpret_cast<const char*>(data), size), set) != SmgStatus::Ok)
        return 0;
    const auto text = EncodeSmg(set);
    if (!text) return 0;  // a path with '"' or a line break
    MultiGraphSet again;
    if (DecodeSmg(*text, again) != SmgStatus::Ok || again.title != set.title) std::abort();
    if (again.entries.size() != set.entries.size()) std::abort();
    for (std::size_t i = 0; i < set.entries.size(); ++i)
        if (again.entries[i].path != set.entries[i].path || again.entries[i].index != set.entries[i].index)
            std::abort();
    return 0;
}
