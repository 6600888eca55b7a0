// Drives a SimChip through its bus registers the way the card does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "sim_chip.h"

namespace chiptest {

constexpr uint64_t kMs = 1000000;
constexpr uint64_t kSecond = 1000000000;

struct Bus {
    SimChip chip;

    void Command(int axis, uint16_t code) {
        chip.Write(0, static_cast<uint16_t>((1u << (axis + 8)) + code));
    }
    // Data in WR7:WR6 (wide) or WR6 alone, then the command.
    void Set(int axis, uint16_t code, int32_t value, bool wide = true) {
        if (wide) chip.Write(14, static_cast<uint16_t>(static_cast<uint32_t>(value) >> 16));
        chip.Write(12, static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFF));
        Command(axis, code);
    }
    void WriteMode(int axis, uint32_t offset, uint16_t value) {
        Command(axis, 0x0F);
        chip.Write(offset, value);
    }
    int32_t ReadWide(int axis, uint16_t code) {
        Command(axis, code);
        const uint16_t low = chip.Read(12);
        return static_cast<int32_t>(static_cast<uint32_t>(chip.Read(14)) << 16 | low);
    }
    uint16_t ReadRR3(int axis) {
        Command(axis, 0x0F);
        return chip.Read(6);
    }
    // Speeds in chip units with range R (M = 8000000 / R).
    void Speeds(int axis, int32_t range, uint16_t sv, uint16_t v, uint16_t a) {
        Set(axis, 0x00, range);
        Set(axis, 0x04, sv, false);
        Set(axis, 0x05, v, false);
        Set(axis, 0x02, a, false);
    }
    // Follows the chip's own event times until nothing drives; returns the time then.
    uint64_t RunToStop() {
        for (int i = 0; i < 100000 && chip.NextEventNs() <= 1000 * kSecond; ++i) {
            if (!(chip.Read(0) & 0x0F)) return chip.NowNs();
            chip.AdvanceTo(chip.NextEventNs());
        }
        return (chip.Read(0) & 0x0F) ? UINT64_MAX : chip.NowNs();
    }
};

}  // namespace chiptest
