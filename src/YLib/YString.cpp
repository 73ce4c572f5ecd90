#include "YLib/YString.h"

#include "YLib/YPersistence.h"

#include <limits>

bool YString::Serialize(YPersistence& archive) {
    if (archive.IsWriting()) return archive.WriteTag(kTag, 1) && archive.WriteString(*this);
    int32_t version = 0;
    std::string text;
    if (!archive.ExpectTag(kTag, version) || version != 1 ||
        !archive.ReadString(text, std::numeric_limits<std::size_t>::max()))
        return false;
    assign(text);
    return true;
}
