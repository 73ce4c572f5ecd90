#pragma once
// The mixers of real sound cards through ALSA's simple mixer elements: the
// "default" control device, each card ("hw:CARD=<id>", named by its stable
// id) and any control device of the ALSA configuration added by name (say
// "pulse").
//
// Lines: the speakers destination is 'Master' (else the first playback
// volume that is no source), the wave-out source 'PCM', the wave-in
// destination 'Capture' (else the first capture volume that is no source).
// The recording sources are the items of an enumerated capture source
// ('Capture Source', 'Input Source'), each with the same-named capture volume
// (or its ' Boost') when there is one, or else the elements with a capture
// switch of their own; selecting one sets the item, or turns its switch on
// and the others off. An input's monitor line is the same-named element's
// playback switch. Values run from 0 (the element's minimum) upwards; the law
// of a control is its dB table when the card has one, the cubic software
// volume on PulseAudio's mixer, else linear.
//
// Change notifications: the mixer's poll descriptors turn readable when a
// control changes elsewhere.
//
// Threads: an open mixer is used under YMixerApi's mutex; the backend itself
// from one thread.

#include "YWave/IMixerBackend.h"

#include <string>
#include <vector>

class YAlsaMixer : public IMixerBackend {
public:
    YAlsaMixer();
    // Adds a control device of the ALSA configuration ("pulse"); returns its index.
    int AddCtl(const std::string& ctl, const std::string& name);

    std::vector<YMixerInfo> Mixers() override;
    std::unique_ptr<IMixerDevice> OpenMixer(int index, std::string& error) override;

private:
    struct Entry {
        YMixerInfo info;
        std::string ctl;
    };
    void Enumerate();
    bool enumerated_ = false;
    std::vector<Entry> entries_, added_;
};
