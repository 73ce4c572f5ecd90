#include "Sonbex/Measurement/YPresets.h"

#include "Platform/AtomicFile.h"
#include "Platform/IPrompt.h"
#include "Platform/Paths.h"
#include "Sonbex/Measurement/MeasSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace sonbex::measurement {
namespace {

constexpr std::uintmax_t kMaxPresetsBytes = 1u << 20;

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The value after "Name=", without the blanks that follow the '='.
std::string Bounded(std::string_view s, std::size_t limit) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return std::string(s.substr(0, limit));
}

// Skips the leading characters up to code 32, cuts at ';', trims trailing blanks.
std::string_view Clean(std::string_view line) {
    std::size_t b = 0;
    while (b < line.size() && static_cast<unsigned char>(line[b]) <= 32) ++b;
    line.remove_prefix(b);
    if (const auto semi = line.find(';'); semi != std::string_view::npos) line = line.substr(0, semi);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32) line.remove_suffix(1);
    return line;
}

const std::string kEmpty;

}  // namespace

PresetSlots YPresets::Parse(std::string_view text, const std::filesystem::path& baseDir) {
    PresetSlots slots{};
    int slot = 0;
    std::size_t pos = 0;
    while (pos < text.size() && slot < kPresetSlots) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string_view line = Clean(raw.substr(0, kPresetLineLimit));
        if (line.empty() || line.front() == '[') continue;
        if (StartsWithNoCase(line, "Title=")) {
            slots[slot].title = Bounded(line.substr(6), kPresetTitleLimit);
        } else if (StartsWithNoCase(line, "Filename=")) {
            const std::string name = Bounded(line.substr(9), kPresetFileLimit);
            if (name.empty() || platform::IsAbsolutePath(name))
                slots[slot].fileName = name;
            else
                slots[slot].fileName = (baseDir / name).lexically_normal().string();
            ++slot;
        }
    }
    return slots;
}

std::string YPresets::Format(const PresetSlots& list) {
    std::string out =
        "; SXPRESET.CFG - Sonbex Analyzer 3 Presets File\r\n;\r\n; Files with .MST extension is measurement "
        "setting files\r\n; and files with .SXS extension is script files.\r\n\r\n";
    for (int i = 0; i < kPresetSlots; ++i) {
        char head[32];
        std::snprintf(head, sizeof head, "[Preset %02d]\r\n", i + 1);
        out += head;
        out += "Title=" + list[i].title + "\r\n";
        out += "Filename=" + list[i].fileName + "\r\n\r\n";
    }
    out += "; End Of File\r\n";
    return out;
}

bool YPresets::Load() {
    slots_ = {};
    if (file_.empty()) return false;
    std::error_code ec;
    const auto size = std::filesystem::file_size(file_, ec);
    if (ec || size > kMaxPresetsBytes) return false;
    std::ifstream in(file_, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    slots_ = Parse(text, file_.parent_path());
    return true;
}

bool YPresets::Save() const {
    if (file_.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    return platform::WriteFileAtomically(file_, Format(slots_));
}

const std::string& YPresets::Title(int index) const {
    return index >= 0 && index < kPresetSlots ? slots_[index].title : kEmpty;
}

const std::string& YPresets::FileName(int index) const {
    return index >= 0 && index < kPresetSlots ? slots_[index].fileName : kEmpty;
}

std::string YPresets::MenuText(int index) const {
    const std::string& t = Title(index);
    return (t.empty() ? std::string(kUndefinedPreset) : t) + "\t#" + std::to_string(index + 1);
}

bool YPresets::IsRunnable(int index) const {
    const std::string& f = FileName(index);
    std::error_code ec;
    return platform::HasExtension(f, ".mst") && std::filesystem::is_regular_file(f, ec);
}

bool YPresets::Run(int index, MeasSettings& settings, platform::IPrompt& prompt,
                   const std::function<void(const std::string&)>& startMeasurement) {
    if (!IsRunnable(index)) return false;
    if (settings.IsChanged() && prompt.Show(kSaveFirstQuestion, platform::PromptIcon::Question,
                                            platform::PromptButtons::YesNo) == platform::PromptAnswer::Yes)
        return false;
    if (!settings.OpenFile(FileName(index))) return false;
    if (startMeasurement) startMeasurement(Title(index));
    return true;
}

}  // namespace sonbex::measurement
