// The wave-file header parser on arbitrary bytes: it must never read outside
// the file, and what it accepts must describe data that lies inside it.

#include "YWave/YWaveFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f) return 0;
    YWaveFileInfo info;
    if (YParseWaveHeader(f, info)) {
        const YWaveFormat& fmt = info.format;
        if (fmt.channels == 0 || fmt.bitsPerSample == 0 || fmt.blockAlign == 0) std::abort();
        if (info.dataOffset + info.dataBytes > size || info.dataBytes % fmt.blockAlign != 0) std::abort();
        std::vector<std::uint8_t> block(info.dataBytes);
        if (info.dataBytes && std::fread(block.data(), 1, block.size(), f) != block.size()) std::abort();
    }
    std::fclose(f);
    return 0;
}
