// WAVEFORM.CFG reader: any bytes are handed to the registry's modules, which
// must neither crash nor end up with parameters they cannot generate from.

#include "Waveform/YWaveformModules.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    YWaveformModules modules(YWaveformModules::Options{});
    modules.Init(48000.0, 2, 2, 16, 1, 1.0, 1.0);
    modules.Deserialize(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<IWaveform*> all;
    modules.List(all, -1, false);
    for (IWaveform* m : all) {
        WaveformParams p;
        if (!m->GetParams(p)) __builtin_trap();
    }
    std::string bytes;
    modules.Serialize(bytes);
    return 0;
}
