#include "Platform/SettingsStore.h"

#include "Platform/NumberText.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

namespace sonbex::platform {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kFormat = "sonbex3-settings";
constexpr int kVersion = 1;
constexpr std::size_t kMaxFileBytes = 64u << 20;  // far beyond any real settings file
constexpr int kMaxDepth = 4;                      // root, "keys", key, value, scalar
constexpr int kMaxBadCopies = 10;

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeBase64(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (n > 1) v |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (n > 2) v |= bytes[i + 2];
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// Strict: only the canonical form EncodeBase64 writes is accepted.
bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 4 != 0) return false;
    std::array<int, 256> value;
    value.fill(-1);
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kBase64[i])] = i;
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const std::size_t pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const int d = k >= 4 - pad ? 0 : value[static_cast<unsigned char>(text[i + k])];
            if (d < 0) return false;
            v = v << 6 | static_cast<std::uint32_t>(d);
        }
        const std::size_t n = 3 - pad;
        if (pad > 0 && (v & ((1u << (8 * pad)) - 1)) != 0) return false;  // stray bits in the last digit
        for (std::size_t k = 0; k < n; ++k) bytes.push_back(static_cast<std::uint8_t>(v >> (16 - 8 * k)));
    }
    return true;
}

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

// "A\\B": non-empty parts, valid UTF-8.
bool IsValidKey(std::string_view key) {
    if (key.empty() || key.front() == '\\' || key.back() == '\\' ||
        key.find("\\\\") != std::string_view::npos)
        return false;
    return IsValidUtf8(key);
}

bool IsValidName(std::string_view name) { return !name.empty() && IsValidUtf8(name); }

json ValueToJson(const SettingsStore::Value& value) {
    struct Visitor {
        json operator()(std::int32_t v) const { return {{"int", v}}; }
        json operator()(double v) const { return {{"double", FormatShortest(v)}}; }
        json operator()(const std::string& v) const { return {{"text", v}}; }
        json operator()(const SettingsStore::Binary& v) const { return {{"binary", EncodeBase64(v)}}; }
    };
    return std::visit(Visitor{}, value);
}

bool ValueFromJson(const json& j, SettingsStore::Value& value) {
    if (!j.is_object() || j.size() != 1) return false;
    const auto entry = j.begin();
    const std::string& type = entry.key();
    const json& v = entry.value();
    if (type == "int") {
        if (!v.is_number_integer()) return false;
        const auto n = v.get<std::int64_t>();
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > INT32_MAX) return false;
        if (n < INT32_MIN || n > INT32_MAX) return false;
        value = static_cast<std::int32_t>(n);
        return true;
    }
    if (!v.is_string()) return false;
    const auto& s = v.get_ref<const std::string&>();
    if (type == "double") {
        const auto d = ParseDoubleWhole(s);
        if (!d) return false;
        value = *d;
        return true;
    }
    if (type == "text") {
        value = s;
        return true;
    }
    if (type == "binary") {
        SettingsStore::Binary bytes;
        if (!DecodeBase64(s, bytes)) return false;
        value = std::move(bytes);
        return true;
    }
    return false;
}

bool ReadWholeFile(const fs::path& file, std::string& text, int& err) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    struct stat st {};
    err = ::fstat(fd, &st) != 0                                  ? errno
          : !S_ISREG(st.st_mode)                                 ? EINVAL
          : static_cast<std::size_t>(st.st_size) > kMaxFileBytes ? EFBIG
                                                                 : 0;
    if (err != 0) {
        ::close(fd);
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
            err = n < 0 ? errno : EFBIG;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

// The name a bad file is kept under: the first free of .bad, .bad.1 ... .bad.9,
// else the oldest of them.
fs::path BadCopyName(const fs::path& file) {
    fs::path oldest;
    fs::file_time_type oldestTime = fs::file_time_type::max();
    for (int i = 0; i < kMaxBadCopies; ++i) {
        fs::path candidate = file;
        candidate += i == 0 ? std::string(".bad") : ".bad." + std::to_string(i);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
        const auto time = fs::last_write_time(candidate, ec);
        if (!ec && time < oldestTime) {
            oldestTime = time;
            oldest = candidate;
        }
    }
    return oldest.empty() ? fs::path(file.string() + ".bad") : oldest;
}

}  // namespace

SettingsStore::SettingsStore(IPrompt& prompt) : prompt_(prompt) {}

SettingsStore::~SettingsStore() { ReleaseLock(); }

void SettingsStore::ReleaseLock() {
    if (lockFd_ >= 0) ::close(lockFd_);  // closing drops the flock
    lockFd_ = -1;
    readOnly_ = true;
}

bool SettingsStore::Open(const fs::path& file) {
    std::unique_lock lock(mutex_);
    ReleaseLock();
    keys_.clear();
    file_ = file;

    std::error_code ec;
    if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), ec);
    fs::path lockPath = file;
    lockPath += ".lock";
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
        readOnly_ = false;
    } else {
        ReleaseLock();
    }

    std::string text;
    int err = 0;
    std::string problem;
    if (!ReadWholeFile(file, text, err)) {
        if (err != ENOENT) problem = std::strerror(err);
    } else if (!FromTextLocked(text)) {
        problem = "malformed contents";
    }
    const bool readOnly = readOnly_;
    lock.unlock();

    if (!problem.empty()) SetAside(problem);
    if (readOnly)
        prompt_.Show("The settings are in use by another Sonbex 3 ! Changes made now will not be saved. ",
                     PromptIcon::Warning);
    return problem.empty();
}

void SettingsStore::SetAside(const std::string& why) {
    std::string text = "The settings file \"" + file_.string() + "\" could not be read (" + why + ")";
    if (!IsReadOnly()) {
        const fs::path bad = BadCopyName(file_);
        if (::rename(file_.c_str(), bad.c_str()) == 0) text += " and was kept as \"" + bad.string() + "\"";
    }
    prompt_.Show(text + ". Default settings are used ! ", PromptIcon::Warning);
}

bool SettingsStore::IsReadOnly() const {
    std::lock_guard lock(mutex_);
    return readOnly_;
}

bool SettingsStore::Save() {
    std::lock_guard lock(mutex_);
    if (readOnly_ || file_.empty()) return false;
    return WriteFileAtomically(file_, ToTextLocked(), writeOptions_);
}

void SettingsStore::SetWriteOptions(AtomicWriteOptions options) {
    std::lock_guard lock(mutex_);
    writeOptions_ = std::move(options);
}

template <class T>
bool SettingsStore::Get(std::string_view key, std::string_view name, T& value) const {
    std::lock_guard lock(mutex_);
    const auto k = keys_.find(key);
    if (k == keys_.end()) return false;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return false;
    const T* stored = std::get_if<T>(&v->second);
    if (!stored) return false;
    value = *stored;
    return true;
}

bool SettingsStore::GetInt(std::string_view key, std::string_view name, std::int32_t& value) const {
    return Get(key, name, value);
}
bool SettingsStore::GetDouble(std::string_view key, std::string_view name, double& value) const {
    return Get(key, name, value);
}
bool SettingsStore::GetText(std::string_view key, std::string_view name, std::string& value) const {
    return Get(key, name, value);
}
bool SettingsStore::GetBinary(std::string_view key, std::string_view name, Binary& value) const {
    return Get(key, name, value);
}

bool SettingsStore::GetBinaryExact(std::string_view key, std::string_view name,
                                   std::span<std::uint8_t> out) const {
    Binary bytes;
    if (!GetBinary(key, name, bytes) || bytes.size() != out.size()) return false;
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
}

bool SettingsStore::Set(std::string_view key, std::string_view name, Value value) {
    if (!IsValidKey(key) || !IsValidName(name)) return false;
    std::lock_guard lock(mutex_);
    auto k = keys_.find(key);
    if (k == keys_.end()) k = keys_.emplace(std::string(key), Values{}).first;
    k->second.insert_or_assign(std::string(name), std::move(value));
    return true;
}

bool SettingsStore::SetInt(std::string_view key, std::string_view name, std::int32_t value) {
    return Set(key, name, value);
}
bool SettingsStore::SetDouble(std::string_view key, std::string_view name, double value) {
    return Set(key, name, value);
}
bool SettingsStore::SetText(std::string_view key, std::string_view name, std::string_view value) {
    return IsValidUtf8(value) && Set(key, name, std::string(value));
}
bool SettingsStore::SetBinary(std::string_view key, std::string_view name,
                              std::span<const std::uint8_t> value) {
    return Set(key, name, Binary(value.begin(), value.end()));
}

bool SettingsStore::HasValue(std::string_view key, std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto k = keys_.find(key);
    return k != keys_.end() && k->second.find(name) != k->second.end();
}

bool SettingsStore::RemoveValue(std::string_view key, std::string_view name) {
    std::lock_guard lock(mutex_);
    const auto k = keys_.find(key);
    if (k == keys_.end()) return false;
    const auto v = k->second.find(name);
    if (v == k->second.end()) return false;
    k->second.erase(v);
    if (k->second.empty()) keys_.erase(k);
    return true;
}

bool SettingsStore::RemoveKey(std::string_view key) {
    if (!IsValidKey(key)) return false;
    std::lock_guard lock(mutex_);
    const std::string prefix = std::string(key) + '\\';
    bool removed = keys_.erase(std::string(key)) > 0;
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix);) {
        it = keys_.erase(it);
        removed = true;
    }
    return removed;
}

std::vector<std::string> SettingsStore::SubKeys(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const std::string prefix = key.empty() ? std::string() : std::string(key) + '\\';
    std::vector<std::string> names;
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix); ++it) {
        std::string_view rest = std::string_view(it->first).substr(prefix.size());
        rest = rest.substr(0, rest.find('\\'));
        if (!rest.empty()) names.emplace_back(rest);
    }
    // "A\\B" sorts after "AB": equal parts need not be neighbours.
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> SettingsStore::ValueNames(std::string_view key) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (const auto k = keys_.find(key); k != keys_.end())
        for (const auto& [name, value] : k->second) names.push_back(name);
    return names;
}

std::string SettingsStore::ToText() const {
    std::lock_guard lock(mutex_);
    return ToTextLocked();
}

std::string SettingsStore::ToTextLocked() const {
    json keys = json::object();
    for (const auto& [key, values] : keys_) {
        json j = json::object();
        for (const auto& [name, value] : values) j[name] = ValueToJson(value);
        keys[key] = std::move(j);
    }
    const json root = {{"format", kFormat}, {"version", kVersion}, {"keys", std::move(keys)}};
    return root.dump(2) + "\n";
}

bool SettingsStore::FromText(std::string_view text) {
    std::lock_guard lock(mutex_);
    return FromTextLocked(text);
}

bool SettingsStore::FromTextLocked(std::string_view text) {
    if (text.size() > kMaxFileBytes) return false;
    bool tooDeep = false;
    const json::parser_callback_t limitDepth = [&tooDeep](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth) tooDeep = true;
        return !tooDeep;
    };
    const json root = json::parse(text.begin(), text.end(), limitDepth, /*allow_exceptions=*/false);
    if (tooDeep || root.is_discarded() || !root.is_object()) return false;
    const auto format = root.find("format");
    const auto version = root.find("version");
    const auto keys = root.find("keys");
    if (format == root.end() || *format != kFormat || version == root.end() ||
        !version->is_number_integer() || *version != kVersion || keys == root.end() || !keys->is_object())
        return false;

    Keys parsed;
    for (const auto& [key, values] : keys->items()) {
        if (!IsValidKey(key) || !values.is_object()) return false;
        Values& target = parsed[key];
        for (const auto& [name, value] : values.items()) {
            Value v;
            if (!IsValidName(name) || !ValueFromJson(value, v)) return false;
            target.emplace(name, std::move(v));
        }
        if (target.empty()) parsed.erase(key);
    }
    keys_ = std::move(parsed);
    return true;
}

}  // namespace sonbex::platform
