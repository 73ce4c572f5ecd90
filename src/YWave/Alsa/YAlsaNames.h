#pragma once
// What the ALSA configuration says about PCM names: the PCMs a user can pick
// (the name hints, as `aplay -L` lists them, less those that are not sound
// devices), the sound server a PCM leads to, and ALSA's own reason when a PCM
// cannot be opened.
//
// Threads: any. ALSA's messages are caught per thread.

#include <alsa/asoundlib.h>

#include <string>
#include <vector>

struct YAlsaPcmHint {
    std::string name;         // "pulse", "sysdefault:CARD=PCH", "hw:CARD=PCH,DEV=0"
    std::string description;  // ALSA's text, lines joined by '\n'; may be ""
    bool canRecord = true;
    bool canPlay = true;
};

// Every PCM name hint of the configuration, in ALSA's order, except the PCMs
// that are not devices of their own: the null PCM, rate converters, channel
// up- and down-mixers, signal processors and encoders.
std::vector<YAlsaPcmHint> YAlsaPcmHints();

// The plugin type of the PCM's definition ("hw", "plug", "jack"); "" when the
// configuration does not define the name.
std::string YAlsaPcmType(const std::string& pcm);

// Whether a PCM of that plugin type is a sound device (false for "null",
// "rate", "upmix", ...).
bool YAlsaIsDeviceType(const std::string& type);

// The sound server the PCM leads to through its slaves ("JACK",
// "PulseAudio", "PipeWire"); "" when none.
std::string YAlsaServerBehind(const std::string& pcm);

// Keeps ALSA's messages off stderr for the whole process; the last one of each
// thread is kept for YAlsaOpenPcm's reasons.
void YAlsaQuiet();

// snd_pcm_open, with ALSA's messages caught and, for a PCM that leads to a
// JACK server, JACK's own messages kept off stderr too. On failure (a negative
// ALSA error) `why` receives ALSA's reason; when a server behind the PCM does
// not answer, the reason says so first.
int YAlsaOpenPcm(snd_pcm_t** pcm, const std::string& name, snd_pcm_stream_t stream, int mode,
                 std::string& why);
