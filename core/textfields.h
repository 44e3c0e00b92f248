#pragma once
// The seventeen identification strings, as one table: where each lives in the
// settings block, its capacity and its place in the device image.

#include "settings.h"

namespace vkm {

struct TextField {
    const char* name;
    std::size_t offset;      // of the length byte in SettingsRecord
    int capacity;            // characters; also the width in the image
    std::size_t imageOffset;
};

inline constexpr TextField kTextFields[17] = {
    {"CraneType", offsetof(SettingsRecord, CraneType), 20, 1538},
    {"CraneSerial", offsetof(SettingsRecord, CraneSerial), 20, 1558},
    {"CraneYear", offsetof(SettingsRecord, CraneYear), 10, 1578},
    {"CraneMaker", offsetof(SettingsRecord, CraneMaker), 30, 1588},
    {"CraneOwner", offsetof(SettingsRecord, CraneOwner), 40, 1618},
    {"CraneCapacity", offsetof(SettingsRecord, CraneCapacity), 20, 1658},
    {"CraneClass", offsetof(SettingsRecord, CraneClass), 10, 1678},
    {"CraneServiceLife", offsetof(SettingsRecord, CraneServiceLife), 10, 1688},
    {"CraneCommissioned", offsetof(SettingsRecord, CraneCommissioned), 10, 1698},
    {"CraneChanges", offsetof(SettingsRecord, CraneChanges), 20, 1708},
    {"RecorderType", offsetof(SettingsRecord, RecorderType), 30, 1728},
    {"RecorderSerial", offsetof(SettingsRecord, RecorderSerial), 10, 1758},
    {"RecorderYear", offsetof(SettingsRecord, RecorderYear), 10, 1768},
    {"RecorderMaker", offsetof(SettingsRecord, RecorderMaker), 20, 1778},
    {"RecorderInstaller", offsetof(SettingsRecord, RecorderInstaller), 20, 1798},
    {"RecorderInstalled", offsetof(SettingsRecord, RecorderInstalled), 10, 1818},
    {"CraneExecution", offsetof(SettingsRecord, CraneExecution), 70, 1828},
};

// Each text's image slot ends where the next begins; the last ends at 1898.
static_assert(kTextFields[16].imageOffset + kTextFields[16].capacity == 1898);

// The length byte and characters of a text field, with the length clamped to
// the capacity so that nothing reads past the field.
struct TextView {
    const uint8_t* base;
    int capacity;
    int length() const { return base[0] > capacity ? capacity : base[0]; }
    const uint8_t* chars() const { return base + 1; }
};

inline TextView textAt(const SettingsRecord& r, const TextField& f)
{
    return {r.bytes() + f.offset, f.capacity};
}

// Sets a text to the given code page 1251 bytes, cut to the capacity. Only
// the length byte and the written characters change.
void setTextBytes(SettingsRecord& r, const TextField& f, const uint8_t* data, int n);

} // namespace vkm
