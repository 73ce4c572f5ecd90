#include "Platform/YRegistry.h"

#include "Platform/NumberText.h"
#include "Platform/SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <variant>

namespace sonbex::platform {
namespace {

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string SettingsSection(std::string_view section) {
    std::string path = kSettingsRoot;
    path += '\\';
    path += section;
    return path;
}

bool YRegistry::Open(std::string_view keyPath, bool forWriting) {
    if (open_ || keyPath.empty()) return false;
    if (!forWriting && store_.ValueNames(keyPath).empty() && store_.SubKeys(keyPath).empty()) return false;
    open_ = true;
    writeMode_ = forWriting;
    dirty_ = false;
    path_ = keyPath;
    return true;
}

bool YRegistry::Close() {
    bool ok = true;
    if (open_ && writeMode_ && dirty_) ok = store_.Save();
    open_ = writeMode_ = dirty_ = false;
    path_.clear();
    return ok;
}

bool YRegistry::ReadBinary(std::string_view name, std::span<std::uint8_t> out) const {
    return CanRead() && store_.GetBinaryExact(path_, name, out);
}

bool YRegistry::ReadBinary(std::string_view name, std::vector<std::uint8_t>& out) const {
    return CanRead() && store_.GetBinary(path_, name, out);
}

bool YRegistry::ReadString(std::string_view name, std::string& out, std::size_t maxChars) const {
    std::string text;
    if (!CanRead() || !store_.GetText(path_, name, text)) return false;
    if (text.size() > maxChars) {
        std::size_t n = maxChars;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        text.resize(n);
    }
    out = std::move(text);
    return true;
}

bool YRegistry::ReadInt(std::string_view name, std::int32_t& out) const {
    if (!CanRead()) return false;
    std::int32_t typed;
    if (store_.GetInt(path_, name, typed)) {  // written by another tool as a number
        out = typed;
        return true;
    }
    std::string text;
    if (!store_.GetText(path_, name, text)) return false;
    std::string_view t = Trim(text);
    std::size_t used = 0;
    auto v = ParseInt32(t, &used);
    if (!v || used != t.size()) return false;
    out = *v;
    return true;
}

bool YRegistry::ReadDouble(std::string_view name, double& out) const {
    if (!CanRead()) return false;
    double typed;
    std::int32_t typedInt;
    if (store_.GetDouble(path_, name, typed)) {
        out = typed;
        return true;
    }
    if (store_.GetInt(path_, name, typedInt)) {
        out = typedInt;
        return true;
    }
    std::string text;
    if (!store_.GetText(path_, name, text)) return false;
    auto v = ParseDoubleWhole(text, DecimalMark::PointOrComma);
    if (!v) return false;
    out = *v;
    return true;
}

bool YRegistry::ReadBool(std::string_view name, bool& out) const {
    std::string text;
    if (!CanRead() || !store_.GetText(path_, name, text)) return false;
    std::string_view t = Trim(text);
    if (EqualsNoCase(t, "true"))
        out = true;
    else if (EqualsNoCase(t, "false"))
        out = false;
    else
        return false;
    return true;
}

bool YRegistry::WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes) {
    if (!CanWrite() || !store_.SetBinary(path_, name, bytes)) return false;
    dirty_ = true;
    return true;
}

bool YRegistry::WriteString(std::string_view name, std::string_view text) {
    if (!CanWrite() || !store_.SetText(path_, name, text)) return false;
    dirty_ = true;
    return true;
}

bool YRegistry::WriteInt(std::string_view name, std::int32_t value) {
    return WriteString(name, std::to_string(value));
}

bool YRegistry::WriteDouble(std::string_view name, double value) {
    return WriteString(name, FormatShortest(value));
}

bool YRegistry::WriteBool(std::string_view name, bool value) {
    return WriteString(name, value ? "true" : "false");
}

bool YRegistry::Remove(std::string_view name) {
    if (!CanWrite() || !store_.RemoveValue(path_, name)) return false;
    dirty_ = true;
    return true;
}

}  // namespace sonbex::platform
