// Reads arbitrary bytes as a level preset (.mix) and a level calibration
// (.mcl): decoding must never crash, and a record it accepts must encode to
// bytes that decode to the same record.

#include "YWave/YMixer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    YLevelPreset p;
    if (p.FromBytes(bytes)) {
        const std::string again = p.Bytes();
        YLevelPreset q;
        if (!q.FromBytes(again) || q.Bytes() != again) std::abort();
    }
    YLevelCalibration c;
    if (c.FromBytes(bytes)) {
        if (!(c.outputVoltageReference > 0) || !(c.inputFullScale > 0)) std::abort();
        const std::string again = c.Bytes();
        YLevelCalibration d;
        if (!d.FromBytes(again) || d.Bytes() != again) std::abort();
    }
    return 0;
}
