#pragma once
// The per-user settings store, in place of the registry: keys named by paths
// with '\\' between the parts ("Sonbex3\\Measurement"), each key holding named
// values of four types (32-bit integers, doubles, text, binary blobs).
// Key paths and value names are compared exactly (case matters).
//
// The store lives in one JSON file (Paths::SettingsFile(), by default
// ~/.config/sonbex3/settings.json). Open() takes a lock beside it
// (settings.json.lock): a second instance that finds the lock taken still
// reads the settings but is read-only and its Save() fails. A file that cannot
// be read or parsed is moved aside as settings.json.bad (older ones are kept as
// .bad.1 ... .bad.9, the oldest replaced when all are taken), reported once
// through the prompt service, and the store starts empty.
//
// Reading a missing value or one of another type fails and leaves the
// caller's variable unchanged, so the caller keeps its default.
//
// Threads: every member is safe to call from any thread (one mutex inside);
// the prompt service must be callable from the thread that calls Open().

#include "Platform/AtomicFile.h"
#include "Platform/IPrompt.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sonbex::platform {

class SettingsStore {
public:
    using Binary = std::vector<std::uint8_t>;
    using Value = std::variant<std::int32_t, double, std::string, Binary>;

    explicit SettingsStore(IPrompt& prompt);
    ~SettingsStore();  // releases the lock; does not save
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Binds the store to `file`, takes the lock and loads the file (creating its
    // folder when needed). True when the file was read or does not exist yet;
    // false when it was unusable (then the store is empty and the user was told).
    // Opening again releases the previous file's lock first.
    bool Open(const std::filesystem::path& file);
    // True when another instance holds the lock (or no lock could be taken):
    // reading works, Save() fails.
    bool IsReadOnly() const;
    const std::filesystem::path& File() const { return file_; }

    // Writes every key atomically to the file. False when read-only, not open or
    // the write failed; the old file is then intact. Reports nothing itself.
    bool Save();

    bool GetInt(std::string_view key, std::string_view name, std::int32_t& value) const;
    bool GetDouble(std::string_view key, std::string_view name, double& value) const;
    bool GetText(std::string_view key, std::string_view name, std::string& value) const;
    bool GetBinary(std::string_view key, std::string_view name, Binary& value) const;
    // A blob read into a fixed record: true only when its length is exactly `out.size()`.
    bool GetBinaryExact(std::string_view key, std::string_view name, std::span<std::uint8_t> out) const;

    // Setting works in memory also when read-only; only Save() refuses.
    // An empty key path or value name is refused (false).
    bool SetInt(std::string_view key, std::string_view name, std::int32_t value);
    bool SetDouble(std::string_view key, std::string_view name, double value);
    bool SetText(std::string_view key, std::string_view name, std::string_view value);
    bool SetBinary(std::string_view key, std::string_view name, std::span<const std::uint8_t> value);

    bool HasValue(std::string_view key, std::string_view name) const;
    bool RemoveValue(std::string_view key, std::string_view name);
    // Removes the key and all its sub-keys; false when none existed.
    bool RemoveKey(std::string_view key);
    // Names of the direct sub-keys of `key` ("" lists the top-level keys), sorted.
    std::vector<std::string> SubKeys(std::string_view key) const;
    std::vector<std::string> ValueNames(std::string_view key) const;

    // The store as file text, and back. FromText replaces the whole contents
    // and returns false (contents unchanged) for malformed text.
    std::string ToText() const;
    bool FromText(std::string_view text);

    // Options of the atomic write used by Save() (tests interrupt saves with it).
    // The hook runs with the store locked and must not call the store.
    void SetWriteOptions(AtomicWriteOptions options);

private:
    using Values = std::map<std::string, Value, std::less<>>;
    using Keys = std::map<std::string, Values, std::less<>>;

    bool Set(std::string_view key, std::string_view name, Value value);
    template <class T>
    bool Get(std::string_view key, std::string_view name, T& value) const;
    std::string ToTextLocked() const;
    bool FromTextLocked(std::string_view text);
    void ReleaseLock();
    void SetAside(const std::string& why);

    IPrompt& prompt_;
    mutable std::mutex mutex_;
    Keys keys_;
    std::filesystem::path file_;
    int lockFd_ = -1;
    bool readOnly_ = true;
    AtomicWriteOptions writeOptions_;
};

}  // namespace sonbex::platform
