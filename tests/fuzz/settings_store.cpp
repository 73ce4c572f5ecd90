// Reads arbitrary bytes as a settings file: the reader must never crash, and
// whatever it accepts must write back to text it reads the same way.

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonbex::platform::RecordingPrompt prompt;
    sonbex::platform::SettingsStore store(prompt);
    if (!store.FromText(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
    const std::string text = store.ToText();
    sonbex::platform::SettingsStore again(prompt);
    if (!again.FromText(text) || again.ToText() != text) std::abort();
    return 0;
}
