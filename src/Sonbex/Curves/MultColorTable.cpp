#include "Sonbex/Curves/MultColorTable.h"

#include "Platform/YRegistry.h"

#include <mutex>
#include <string>

namespace sonbex::curves {

namespace {

constexpr ColourRef Hex(std::uint32_t rrggbb) {
    return Rgb(std::uint8_t(rrggbb >> 16), std::uint8_t(rrggbb >> 8), std::uint8_t(rrggbb));
}

constexpr FamilyColours kDefaults{{
    {Hex(0x0000c0), Hex(0x008080), Hex(0x000000), Hex(0x800080), Hex(0x800000), Hex(0x000080)},
    {Hex(0xff8000), Hex(0x808080), Hex(0xc000c0), Hex(0x808000), Hex(0x806000), Hex(0xf99191)},
    {Hex(0xc000c0), Hex(0x8080ff), Hex(0x00c0c0), Hex(0x0000ff), Hex(0xff40ff), Hex(0x00a080)},
    {Hex(0xff4040), Hex(0x608000), Hex(0xd597d7), Hex(0xc07100), Hex(0x0895aa), Hex(0xcc02ad)},
    {Hex(0xff4080), Hex(0x808000), Hex(0xd175d7), Hex(0xc09100), Hex(0x05b0c9), Hex(0xf519d4)},
    {Hex(0xff8080), Hex(0x80a000), Hex(0xd698aa), Hex(0xc0c000), Hex(0x4bd5e9), Hex(0xee8adf)},
    {Hex(0xffa080), Hex(0x80c000), Hex(0xd6b5aa), Hex(0xc0dc00), Hex(0x4aead5), Hex(0xf2a6e6)},
}};

constexpr std::array<const char*, kCurveFamilyCount> kFamilyNames{"Magnitude", "Phase", "Group Delay", "THD",
                                                                  "THD+N",     "H2",    "H3"};

std::mutex& Guard() {
    static std::mutex m;
    return m;
}
FamilyColours& Shared() {
    static FamilyColours colours = kDefaults;
    return colours;
}

}  // namespace

const FamilyColours& MultColorTable::Defaults() { return kDefaults; }

ColourRef MultColorTable::Colour(CurveFamily family, int slot) {
    slot %= kColourSlots;
    if (slot < 0) slot += kColourSlots;
    std::lock_guard lock(Guard());
    return Shared()[static_cast<int>(family)][slot];
}

FamilyColours MultColorTable::Colours() {
    std::lock_guard lock(Guard());
    return Shared();
}

void MultColorTable::SetColours(const FamilyColours& colours) {
    std::lock_guard lock(Guard());
    Shared() = colours;
}

std::string MultColorTable::ValueName(CurveFamily family, int slot) {
    return std::string(kFamilyNames[static_cast<int>(family)]) + " Color #" + std::to_string(slot + 1);
}

void MultColorTable::LoadColours(platform::SettingsStore& store) {
    FamilyColours colours = kDefaults;
    platform::YRegistry reg(store);
    if (reg.Open(platform::SettingsSection(kMultiGraphColorsSection), false)) {
        bool missing = false;
        for (int slot = 0; slot < kColourSlots && !missing; ++slot)
            for (int f = 0; f < kCurveFamilyCount && !missing; ++f) {
                std::int32_t v = 0;
                if (reg.ReadInt(ValueName(CurveFamily(f), slot), v))
                    colours[f][slot] = static_cast<ColourRef>(v) & 0x00FFFFFFu;
                else
                    missing = true;
            }
    }
    SetColours(colours);
}

bool MultColorTable::SaveColours(platform::SettingsStore& store) {
    const FamilyColours colours = Colours();
    platform::YRegistry reg(store);
    if (!reg.Open(platform::SettingsSection(kMultiGraphColorsSection), true)) return false;
    for (int slot = 0; slot < kColourSlots; ++slot)
        for (int f = 0; f < kCurveFamilyCount; ++f)
            reg.WriteInt(ValueName(CurveFamily(f), slot), static_cast<std::int32_t>(colours[f][slot]));
    return reg.Close();
}

}  // namespace sonbex::curves
