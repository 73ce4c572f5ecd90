// Parses arbitrary text as a "Frequency Sweep Table".
#include "YLib/YFreqVec.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    YFreqVec table;
    if (table.LoadTableText(std::string_view(reinterpret_cast<const char*>(data), size)))
        (void)table.PointsPerOctave();
    return 0;
}
