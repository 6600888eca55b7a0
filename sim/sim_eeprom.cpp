// The serial EEPROM behind the bridge's CNTRL register, and the sleep request that
// paces its clock.
#include "sim_state.h"

namespace vornsim {
namespace detail {

using bridge::kCntrlClock;
using bridge::kCntrlDataIn;
using bridge::kCntrlDataOut;
using bridge::kCntrlPresent;
using bridge::kCntrlSelect;

namespace {

// The lines the driver sets; data out and present are the model's to show.
constexpr uint32_t kCntrlDriven = kCntrlClock | kCntrlSelect | kCntrlDataIn;

// The first words of a present EEPROM: the bridge's identification and class as its
// configuration space shows them; the rest is erased.
const uint16_t kInitialWords[6] = {0x305C, 0xCDAB, 0x0680, 0x0001, 0x0000, 0x0100};

void SleepAtLeast(uint32_t microseconds) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const long long ticks = static_cast<long long>(microseconds) * frequency.QuadPart / 1000000;
    for (;;) {
        QueryPerformanceCounter(&now);
        const long long left = ticks - (now.QuadPart - start.QuadPart);
        if (left <= 0) {
            return;
        }
        Sleep(static_cast<DWORD>(left * 1000 / frequency.QuadPart + 1));
    }
}

}  // namespace

void EepromModel::Reset(Eeprom mode) {
    *this = EepromModel();
    m_mode = mode;
}

void InitialEeprom(EepromModel& eeprom, Eeprom mode) {
    eeprom.Reset(mode);
    for (int i = 0; i < 64; ++i) {
        const bool identified = mode == Eeprom::Present && i < 6;
        eeprom.SetWord(i, identified ? kInitialWords[i] : 0xFFFF);
    }
}

void EepromModel::Follow(uint32_t previous, uint32_t current) {
    if (m_mode == Eeprom::Absent) {
        return;
    }
    const bool wasSelected = (previous & kCntrlSelect) != 0;
    const bool selected = (current & kCntrlSelect) != 0;
    if (!wasSelected && selected) {
        m_phase = Phase::Idle;  // a new instruction starts
    } else if (wasSelected && !selected) {
        // A write takes effect when chip select falls after its sixteenth data bit.
        if (m_phase == Phase::WriteData && m_bits == 16 && m_writeEnabled &&
            m_mode == Eeprom::Present) {
            m_words[m_address] = m_data;
        }
        m_phase = Phase::Standby;
        m_dataOut = false;
    }
    if (selected && !(previous & kCntrlClock) && (current & kCntrlClock)) {
        ClockIn((current & kCntrlDataIn) != 0);
    }
}

void EepromModel::ClockIn(bool bit) {
    switch (m_phase) {
        case Phase::Idle:
            if (bit) {  // the start bit; leading zeros are ignored
                m_phase = Phase::Command;
                m_shift = 0;
                m_bits = 0;
            }
            break;
        case Phase::Command:
            m_shift = m_shift << 1 | (bit ? 1u : 0u);
            if (++m_bits == 8) {
                Decode();
            }
            break;
        case Phase::ReadData:
            // Each rising edge drives the next bit, most significant first.
            m_dataOut = (m_data & 0x8000) != 0;
            m_data = static_cast<uint16_t>(m_data << 1);
            if (++m_bits == 16) {
                m_phase = Phase::Idle;
            }
            break;
        case Phase::WriteData:
            if (m_bits < 16) {
                m_data = static_cast<uint16_t>(m_data << 1 | (bit ? 1 : 0));
                ++m_bits;
            }
            break;
        default:
            break;
    }
}

// Two opcode bits and six address bits.
void EepromModel::Decode() {
    const uint32_t opcode = m_shift >> 6;
    m_address = m_shift & 0x3F;
    m_bits = 0;
    m_data = 0;
    m_phase = Phase::Done;
    switch (opcode) {
        case 2:
            m_phase = Phase::ReadData;
            m_data = m_words[m_address];
            break;
        case 1:
            m_phase = Phase::WriteData;
            break;
        case 0:
            if (m_address >> 4 == 3) {
                m_writeEnabled = true;
            } else if (m_address >> 4 == 0) {
                m_writeEnabled = false;
            }
            break;
        default:
            break;  // erase is not part of the model
    }
}

void SampleCntrl(CardState& card) {
    const uint32_t current = ReadRegister(card, bridge::kCntrl);
    if ((current ^ card.lastCntrl) & kCntrlDriven) {
        card.eeprom.Follow(card.lastCntrl, current);
    }
    uint32_t shown = current & ~(kCntrlDataOut | kCntrlPresent);
    if (card.eeprom.Present()) {
        shown |= kCntrlPresent;
    }
    if (card.eeprom.DataOut()) {
        shown |= kCntrlDataOut;
    }
    if (shown != current) {
        WriteRegisterRaw(card, bridge::kCntrl, shown);
    }
    card.lastCntrl = shown;
}

uint32_t SleepRequest(WdSleep& sleep) {
    State& s = S();
    ++s.counters.sleeps;
    // With CNTRL in a memory window the service sees its changes only here; every
    // CNTRL write of the EEPROM routines is followed by a sleep.
    for (const auto& card : s.cards) {
        SampleCntrl(*card);
    }
    if (!s.fastSleep && sleep.microseconds > 0) {
        Unlocked unlocked;
        SleepAtLeast(sleep.microseconds);
    }
    return WD_STATUS_SUCCESS;
}

}  // namespace detail

using namespace detail;

uint16_t EepromWord(int card, int index) {
    Locked lock;
    CardState* c = Card(card);
    return c && index >= 0 && index < 64 ? c->eeprom.Word(index) : 0;
}

void SetEepromWord(int card, int index, uint16_t value) {
    Locked lock;
    CardState* c = Card(card);
    if (c && index >= 0 && index < 64) {
        c->eeprom.SetWord(index, value);
    }
}

}  // namespace vornsim
