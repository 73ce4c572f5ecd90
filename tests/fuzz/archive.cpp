// Loads the archive records (vectors, strings, tags) from arbitrary bytes.
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YPersistence.h"
#include "YLib/YString.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    YPersistence archive;
    if (!archive.OpenBuffer(data, size)) return 0;
    // Records in any order until one fails to load, as a file reader would.
    for (int i = 0; i < 64; ++i) {
        std::string name;
        std::int32_t version = 0;
        if (!archive.PeekTag(name, version, true)) break;
        bool ok = false;
        if (name == "YDoubleVec") {
            YDoubleVec v;
            ok = v.Serialize(archive);
        } else if (name == "YComplexVec") {
            YComplexVec v;
            ok = v.Serialize(archive);
        } else if (name == "YString") {
            YString s;
            ok = s.Serialize(archive);
        } else {
            std::string text;
            ok = archive.PeekTag(name, version, false) && archive.ReadString(text, 255);
        }
        if (!ok) break;
    }
    archive.Close();
    return 0;
}
