#include "YLib/YPersistence.h"

#include <vector>

YPersistence::~YPersistence() { Close(); }

bool YPersistence::Open(const std::filesystem::path& path, bool write) {
    if (file_.IsOpen()) return false;
    if (!(write ? file_.OpenWrite(path) : file_.OpenRead(path))) return false;
    path_ = path;
    return true;
}

bool YPersistence::OpenBuffer(const void* data, std::size_t size) {
    if (!file_.OpenBuffer(data, size)) return false;
    path_.clear();
    return true;
}

bool YPersistence::Close() {
    path_.clear();
    return file_.Commit();
}

void YPersistence::Abandon() {
    path_.clear();
    file_.Abandon();
}

bool YPersistence::Write(const void* ptr, std::size_t itemSize, std::size_t count) {
    if (!file_.IsWriting()) return false;
    return count == 0 || file_.Write(ptr, itemSize, count) == count;
}

bool YPersistence::Read(void* ptr, std::size_t itemSize, std::size_t count) {
    if (!file_.IsReading()) return false;
    return count == 0 || file_.Read(ptr, itemSize, count) == count;
}

bool YPersistence::WriteString(std::string_view text) {
    if (text.size() >= std::size_t(INT32_MAX)) return false;
    static const char terminator = 0;
    return WriteInt32(std::int32_t(text.size() + 1)) && Write(text.data(), 1, text.size()) &&
           Write(&terminator, 1, 1);
}

bool YPersistence::ReadString(std::string& out, std::size_t maxChars) {
    std::int32_t length = 0;
    if (!ReadInt32(length) || length < 1 || std::uint64_t(length) > Remaining()) return false;
    std::vector<char> bytes(static_cast<std::size_t>(length));
    if (!Read(bytes.data(), 1, bytes.size()) || bytes.back() != 0) return false;
    const std::string_view text(bytes.data());  // up to the first zero byte
    out.assign(text.substr(0, maxChars));
    return true;
}

bool YPersistence::WriteTag(std::string_view name, std::int32_t version) {
    return WriteString(name) && WriteInt32(version);
}

bool YPersistence::PeekTag(std::string& name, std::int32_t& version, bool rewind) {
    if (!file_.IsReading()) return false;
    const std::int64_t start = file_.Tell();
    std::int32_t length = 0;
    std::string text;
    std::int32_t stored = 0;
    const bool ok = ReadInt32(length) && length >= 1 && std::size_t(length) <= kMaxTagChars &&
                    file_.Seek(start) && ReadString(text, kMaxTagChars) && ReadInt32(stored);
    if (!ok || rewind) file_.Seek(start);
    if (!ok) return false;
    name = std::move(text);
    version = stored;
    return true;
}

bool YPersistence::ExpectTag(std::string_view name, std::int32_t& version) {
    const std::int64_t start = file_.Tell();
    std::string stored;
    std::int32_t storedVersion = 0;
    if (!PeekTag(stored, storedVersion, false)) return false;
    if (stored != name) {
        file_.Seek(start);
        return false;
    }
    version = storedVersion;
    return true;
}
