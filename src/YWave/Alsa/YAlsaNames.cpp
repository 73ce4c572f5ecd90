#include "YWave/Alsa/YAlsaNames.h"

#include <dlfcn.h>
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// Plugin types that are not sound devices of their own: they discard the
// sound, convert its rate, mix its channels up or down, process or encode it
// on the way to another PCM.
constexpr const char* kNotDevices[] = {"null", "rate", "upmix", "vdownmix", "speex", "a52", "ladspa"};

// The first ALSA message since the calling thread's last open; the first is
// the innermost cause ("Unknown PCM x", "PulseAudio: Unable to connect: ...").
thread_local std::string firstMessage;

extern "C" void CatchAlsa(const char*, int, const char*, int, const char* fmt, ...) {
    if (!firstMessage.empty() || !fmt) return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    std::string m = text;
    while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
    firstMessage = m;
}

extern "C" void QuietJackMessage(const char*) {}

// The JACK library writes its own messages ("Cannot connect to server
// socket") to stderr; the ALSA plugin loads it, so it is loaded first here
// and told to keep quiet. The reason still reaches the caller through ALSA.
void QuietJack() {
    static std::once_flag once;
    std::call_once(once, [] {
        void* jack = dlopen("libjack.so.0", RTLD_NOW | RTLD_GLOBAL);
        if (!jack) return;
        using SetHandler = void (*)(void (*)(const char*));
        for (const char* setter : {"jack_set_error_function", "jack_set_info_function"})
            if (auto set = reinterpret_cast<SetHandler>(dlsym(jack, setter))) set(QuietJackMessage);
    });
}

// The global configuration, held for the time of a look-up.
class Config {
public:
    Config() {
        if (snd_config_update_ref(&top_) < 0) top_ = nullptr;
    }
    ~Config() {
        if (top_) snd_config_unref(top_);
    }
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;
    snd_config_t* Top() const { return top_; }

private:
    snd_config_t* top_ = nullptr;
};

std::string StringOf(snd_config_t* node, const char* key) {
    snd_config_t* n = nullptr;
    const char* s = nullptr;
    if (snd_config_search(node, key, &n) < 0 || snd_config_get_string(n, &s) < 0 || !s) return "";
    return s;
}

std::string ServerOfName(snd_config_t* top, const std::string& name, int depth);

// A PCM definition's server: its own type, else that of its slave PCM (or of
// an asym PCM's playback and capture PCMs).
std::string ServerOf(snd_config_t* top, snd_config_t* def, int depth) {
    if (!def || depth > 8) return "";
    const std::string type = StringOf(def, "type");
    if (type == "jack") return "JACK";
    if (type == "pulse") return "PulseAudio";
    if (type == "pipewire") return "PipeWire";
    for (const char* key : {"slave", "playback", "capture"}) {
        snd_config_t* slave = nullptr;
        if (snd_config_search(def, key, &slave) < 0) continue;
        snd_config_t* pcm = slave;
        if (snd_config_get_type(slave) == SND_CONFIG_TYPE_COMPOUND &&
            snd_config_search(slave, "pcm", &pcm) < 0)
            continue;
        std::string server;
        if (snd_config_get_type(pcm) == SND_CONFIG_TYPE_STRING) {
            const char* s = nullptr;
            if (snd_config_get_string(pcm, &s) >= 0 && s) server = ServerOfName(top, s, depth + 1);
        } else if (snd_config_get_type(pcm) == SND_CONFIG_TYPE_COMPOUND) {
            server = ServerOf(top, pcm, depth + 1);
        }
        if (!server.empty()) return server;
    }
    return "";
}

std::string ServerOfName(snd_config_t* top, const std::string& name, int depth) {
    snd_config_t* def = nullptr;
    if (snd_config_search_definition(top, "pcm", name.c_str(), &def) < 0) return "";
    std::string server = ServerOf(top, def, depth);
    snd_config_delete(def);
    return server;
}

std::string Take(char* hint) {
    std::string s = hint ? hint : "";
    std::free(hint);
    return s;
}

bool ServerDoesNotAnswer(int err) {
    return err == -ENOENT || err == -ECONNREFUSED || err == -ECONNRESET || err == -ENOTCONN ||
           err == -EHOSTDOWN || err == -EIO || err == -ENODEV;
}

}  // namespace

void YAlsaQuiet() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(CatchAlsa); });
}

std::string YAlsaPcmType(const std::string& pcm) {
    Config config;
    snd_config_t* def = nullptr;
    if (!config.Top() || snd_config_search_definition(config.Top(), "pcm", pcm.c_str(), &def) < 0) return "";
    std::string type = StringOf(def, "type");
    snd_config_delete(def);
    return type;
}

bool YAlsaIsDeviceType(const std::string& type) {
    return std::none_of(std::begin(kNotDevices), std::end(kNotDevices),
                        [&](const char* t) { return type == t; });
}

std::string YAlsaServerBehind(const std::string& pcm) {
    Config config;
    return config.Top() ? ServerOfName(config.Top(), pcm, 0) : "";
}

std::vector<YAlsaPcmHint> YAlsaPcmHints() {
    YAlsaQuiet();
    std::vector<YAlsaPcmHint> out;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints) return out;
    for (void** h = hints; *h; ++h) {
        YAlsaPcmHint hint;
        hint.name = Take(snd_device_name_get_hint(*h, "NAME"));
        hint.description = Take(snd_device_name_get_hint(*h, "DESC"));
        const std::string io = Take(snd_device_name_get_hint(*h, "IOID"));
        if (hint.name.empty() || !YAlsaIsDeviceType(YAlsaPcmType(hint.name))) continue;
        hint.canRecord = io != "Output";
        hint.canPlay = io != "Input";
        out.push_back(std::move(hint));
    }
    snd_device_name_free_hint(hints);
    return out;
}

int YAlsaOpenPcm(snd_pcm_t** pcm, const std::string& name, snd_pcm_stream_t stream, int mode,
                 std::string& why) {
    YAlsaQuiet();
    const std::string server = YAlsaServerBehind(name);
    if (server == "JACK") QuietJack();
    firstMessage.clear();
    const int err = snd_pcm_open(pcm, name.c_str(), stream, mode);
    if (err >= 0) return err;
    *pcm = nullptr;
    const std::string code = snd_strerror(err);
    std::string reason = firstMessage.empty()                           ? code
                         : firstMessage.find(code) == std::string::npos ? firstMessage + ": " + code
                                                                        : firstMessage;
    if (!server.empty() && ServerDoesNotAnswer(err))
        reason = "the " + server + " server is not running or does not answer (" + reason + ")";
    why = reason;
    firstMessage.clear();
    return err;
}
