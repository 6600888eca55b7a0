// The PLX 9050 bridge as the service sees it: the bus, configuration space,
// registration, address decode and the register file, and the chip behind local space 0.
#include <algorithm>
#include <cstring>

#include "sim_state.h"

namespace vornsim {
namespace detail {

namespace {

enum : uint32_t {
    kClassCode = 0x068000,  // bridge device, other
    kRevision = 1,
    kFirstPort = 0xD000,
    kPortStride = 0x100,
    kFirstMemory = 0xE0000000,
    kMemoryStride = 0x1000,
    kBusPci = 5,
};

void Put(uint8_t* bytes, uint32_t offset, uint32_t value, uint32_t width) {
    for (uint32_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t Get(const uint8_t* bytes, uint32_t offset, uint32_t width) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < width; ++i) {
        value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return value;
}

// Whether an access of width bytes at offset reaches CNTRL, whose EEPROM lines then move.
bool TouchesCntrl(uint32_t offset, uint32_t width) {
    return offset < bridge::kCntrl + bridge::kRegisterBytes && offset + width > bridge::kCntrl;
}

uint32_t AlignUp(uint32_t value, uint32_t bytes) {
    uint32_t align = 16;
    while (align < bytes && align < 0x80000000u) {
        align <<= 1;
    }
    return (value + align - 1) & ~(align - 1);
}

void FillConfigHeader(uint8_t* config, uint32_t vendorId, uint32_t deviceId, uint32_t classCode,
                      uint32_t revision) {
    Put(config, 0x00, vendorId, 2);
    Put(config, 0x02, deviceId, 2);
    Put(config, 0x04, 0x0003, 2);  // I/O and memory decode on
    Put(config, 0x06, 0x0280, 2);
    config[0x08] = static_cast<uint8_t>(revision);
    Put(config, 0x09, classCode, 3);
}

uint32_t SlotFunction(const WdPciSlot& slot) { return slot.slot << 3 | slot.function; }

bool SameSlot(const CardProfile& card, const WdPciSlot& slot) {
    return card.bus == slot.bus && card.slot == slot.slot && card.function == slot.function;
}

bool SameSlot(const WdPciSlot& a, const WdPciSlot& b) {
    return a.bus == b.bus && a.slot == b.slot && a.function == b.function;
}

bool ForeignPresent() { return S().profile.foreignDevice; }

CardState* CardAtSlot(const WdPciSlot& slot) {
    for (const auto& card : S().cards) {
        if (SameSlot(card->profile, slot)) {
            return card.get();
        }
    }
    return nullptr;
}

// The configuration space of the function at a slot, or null.
uint8_t* ConfigSpace(const WdPciSlot& slot) {
    State& s = S();
    if (CardState* card = CardAtSlot(slot)) {
        return card->config;
    }
    if (ForeignPresent() && SameSlot(s.foreign.slot, slot)) {
        return s.foreign.config;
    }
    return nullptr;
}

bool ReadOnlyConfigByte(uint32_t offset) {
    return offset < 0x04 || (offset >= 0x09 && offset <= 0x0B);
}

struct Decoded {
    CardState* card;
    size_t range;
    uint32_t offset;
};

// Finds the range that holds span bytes from the address, in I/O or in memory space.
bool Decode(bool memory, uint32_t address, uint32_t span, Decoded* out) {
    for (const auto& card : S().cards) {
        for (size_t i = 0; i < card->ranges.size(); ++i) {
            const RangeState& rs = card->ranges[i];
            if ((rs.range.kind == Window::Memory) != memory || address < rs.base ||
                address - rs.base >= rs.range.bytes) {
                continue;
            }
            const uint32_t offset = address - rs.base;
            if (span > rs.range.bytes - offset) {
                return false;
            }
            *out = {card.get(), i, offset};
            return true;
        }
    }
    return false;
}

// --- Register file -----------------------------------------------------------------

uint32_t ReadRegisterBytes(CardState& card, uint32_t offset, uint32_t width) {
    return Get(card.Registers(), offset, width);
}

void WriteRegisterBytes(CardState& card, uint32_t offset, uint32_t width, uint32_t value) {
    Put(card.Registers(), offset, value, width);
    if (TouchesCntrl(offset, width)) {
        SampleCntrl(card);  // which also keeps the EEPROM's bits 27 and 28
    }
}

// --- The chip behind local space 0 ---------------------------------------------------

uint32_t LocalBaseRegister(const Range& range) {
    return range.bar <= 6 ? bridge::LocalBase(range.bar) : bridge::LocalBase(2);
}

uint16_t ChipWord(CardState& card, uint32_t local, bool write, uint16_t value, bool atInterrupt) {
    if (local >= kChipLocals) {
        uint16_t word = 0;
        for (uint32_t i = 0; i < 2; ++i) {
            uint8_t& byte = card.scratch[local + i];
            if (write) {
                byte = static_cast<uint8_t>(value >> (8 * i));
            }
            word = static_cast<uint16_t>(word | byte << (8 * i));
        }
        return word;
    }
    card.chip->AdvanceTo(Now());
    if (write) {
        card.chip->Write(local, value);
    } else {
        value = card.chip->Read(local);
    }
    RecordChipAccess({card.index, write, atInterrupt, local, value});
    if (write && !atInterrupt && card.raiseAfterSelect && card.chip->SelectPending()) {
        card.raiseAfterSelect = false;
        card.raisePending = true;  // served once the access after the select is done
    }
    return value;
}

// A 16-bit local bus: dwords are two word accesses, low half first; a byte reaches the
// chip as a word access in its lane.
uint32_t LocalAccess(CardState& card, const RangeState& rs, uint32_t offset, uint32_t width,
                     bool write, uint32_t value, bool atInterrupt) {
    const uint32_t base =
        ReadRegister(card, LocalBaseRegister(rs.range)) & ~1u & ~(rs.range.bytes - 1);
    const uint32_t local = base + offset;
    switch (width) {
        case 1: {
            if (local >= kChipLocals) {
                uint8_t& byte = card.scratch[local];
                if (write) {
                    byte = static_cast<uint8_t>(value);
                }
                return byte;
            }
            const uint32_t shift = (local & 1) * 8;
            const uint16_t word =
                ChipWord(card, local & ~1u, write, static_cast<uint16_t>((value & 0xFF) << shift),
                         atInterrupt);
            return write ? value & 0xFF : (word >> shift) & 0xFF;
        }
        case 2:
            return ChipWord(card, local, write, static_cast<uint16_t>(value), atInterrupt);
        default: {
            const uint32_t low =
                ChipWord(card, local, write, static_cast<uint16_t>(value), atInterrupt);
            const uint32_t high =
                ChipWord(card, local + 2, write, static_cast<uint16_t>(value >> 16), atInterrupt);
            return low | high << 16;
        }
    }
}

uint32_t RangeAccess(const Decoded& d, uint32_t offset, uint32_t width, bool write, uint32_t value,
                     bool atInterrupt) {
    CardState& card = *d.card;
    RangeState& rs = card.ranges[d.range];
    if (rs.range.target == Target::BridgeRegisters) {
        if (write) {
            WriteRegisterBytes(card, offset, width, value);
            return value;
        }
        return ReadRegisterBytes(card, offset, width);
    }
    if (rs.range.kind == Window::Memory) {
        uint8_t* ram = reinterpret_cast<uint8_t*>(rs.ram.data());
        if (write) {
            Put(ram, offset, value, width);
            return value;
        }
        return Get(ram, offset, width);
    }
    return LocalAccess(card, rs, offset, width, write, value, atInterrupt);
}

struct CommandInfo {
    bool memory;
    bool read;
    bool block;
    uint32_t width;
};

bool Lookup(uint32_t command, CommandInfo* info) {
    static const uint32_t kWidths[3] = {1, 2, 4};
    if (command >= WD_RP_BYTE && command <= WD_WP_DWORD) {
        *info = {false, command < WD_WP_BYTE, false, kWidths[(command - WD_RP_BYTE) % 3]};
    } else if (command >= WD_RP_SBYTE && command <= WD_WP_SDWORD) {
        *info = {false, command < WD_WP_SBYTE, true, kWidths[(command - WD_RP_SBYTE) % 3]};
    } else if (command == WD_RM_WORD) {
        *info = {true, true, false, 2};
    } else if (command == WD_WM_WORD || command == WD_WM_DWORD) {
        *info = {true, false, false, command == WD_WM_WORD ? 2u : 4u};
    } else if (command >= WD_RM_SBYTE && command <= WD_WM_SDWORD) {
        *info = {true, command < WD_WM_SBYTE, true, kWidths[(command - WD_RM_SBYTE) % 3]};
    } else {
        return false;
    }
    return true;
}

// The card that a registration's resources describe: the first item that names one.
CardState* CardOfResources(const WdCardResources& resources) {
    const uint32_t count = std::min<uint32_t>(resources.itemCount, WD_MAX_CARD_ITEMS);
    for (uint32_t i = 0; i < count; ++i) {
        const WdResourceItem& item = resources.items[i];
        for (const auto& card : S().cards) {
            const CardProfile& p = card->profile;
            switch (item.type) {
                case WD_ITEM_BUS:
                    if (item.u.bus.busNumber == p.bus &&
                        item.u.bus.slotFunction == (p.slot << 3 | p.function)) {
                        return card.get();
                    }
                    break;
                case WD_ITEM_INTERRUPT:
                    if (item.u.interrupt.number == card->irq && p.interruptItems > 0) {
                        return card.get();
                    }
                    break;
                case WD_ITEM_MEMORY:
                case WD_ITEM_IO: {
                    const bool memory = item.type == WD_ITEM_MEMORY;
                    const uint32_t address = memory ? item.u.memory.physAddr : item.u.io.port;
                    for (const RangeState& rs : card->ranges) {
                        if ((rs.range.kind == Window::Memory) == memory && rs.base == address) {
                            return card.get();
                        }
                    }
                    break;
                }
                default:
                    break;
            }
        }
    }
    return nullptr;
}

void FillItems(const CardState& card, WdCardResources& resources) {
    std::memset(&resources, 0, sizeof(resources));
    uint32_t n = 0;
    auto next = [&]() -> WdResourceItem* {
        return n < WD_MAX_CARD_ITEMS ? &resources.items[n++] : nullptr;
    };
    for (const RangeState& rs : card.ranges) {
        WdResourceItem* item = next();
        if (item == nullptr) break;
        if (rs.range.kind == Window::Memory) {
            item->type = WD_ITEM_MEMORY;
            item->u.memory.physAddr = rs.base;
            item->u.memory.bytes = rs.range.bytes;
            item->u.memory.bar = rs.range.bar;
        } else {
            item->type = WD_ITEM_IO;
            item->u.io.port = rs.base;
            item->u.io.bytes = rs.range.bytes;
            item->u.io.bar = rs.range.bar;
        }
    }
    for (int i = 0; i < card.profile.interruptItems; ++i) {
        WdResourceItem* item = next();
        if (item == nullptr) break;
        item->type = WD_ITEM_INTERRUPT;
        item->u.interrupt.number = card.irq;
    }
    if (card.profile.busItem) {
        if (WdResourceItem* item = next()) {
            item->type = WD_ITEM_BUS;
            item->u.bus.busType = kBusPci;
            item->u.bus.busNumber = card.profile.bus;
            item->u.bus.slotFunction = card.profile.slot << 3 | card.profile.function;
        }
    }
    resources.itemCount = n;
}

}  // namespace

std::unique_ptr<CardState> BuildCard(const CardProfile& profile, int index, uint32_t* nextPort,
                                     uint32_t* nextMemory) {
    auto card = std::make_unique<CardState>();
    card->profile = profile;
    card->index = index;
    card->irq = 10 + static_cast<uint32_t>(index);
    card->chip = std::make_unique<SimChip>();

    // Every bridge-register range is a view of the same file; a larger window's tail
    // is plain storage.
    for (const Range& range : profile.ranges) {
        if (range.target == Target::BridgeRegisters) {
            card->registerBytes = std::max(card->registerBytes, range.bytes);
        }
    }
    card->registerStore.assign((card->registerBytes + 7) / 8, 0);

    uint32_t port = std::max(*nextPort, kFirstPort + kPortStride * static_cast<uint32_t>(index));
    uint32_t memory =
        std::max(*nextMemory, kFirstMemory + kMemoryStride * static_cast<uint32_t>(index));
    for (const Range& range : profile.ranges) {
        RangeState rs;
        rs.range = range;
        uint32_t& cursor = range.kind == Window::Memory ? memory : port;
        cursor = AlignUp(cursor, range.bytes);
        rs.base = cursor;
        cursor += std::max<uint32_t>(range.bytes, 1);
        if (range.target == Target::Chip && range.kind == Window::Memory) {
            rs.ram.assign((range.bytes + 7) / 8, 0);
        }
        card->ranges.push_back(std::move(rs));
    }
    *nextPort = port;
    *nextMemory = memory;

    // A configured bridge: local spaces enabled at base 0.
    for (uint32_t reg = bridge::kLocalBase0; reg <= bridge::kLastLocalBase;
         reg += bridge::kRegisterBytes) {
        WriteRegisterRaw(*card, reg, 1);
    }
    InitialEeprom(card->eeprom, profile.eeprom);
    WriteRegisterRaw(*card, bridge::kCntrl,
                     card->eeprom.Present() ? uint32_t{bridge::kCntrlPresent} : 0u);
    card->lastCntrl = ReadRegister(*card, bridge::kCntrl);

    uint8_t* config = card->config;
    FillConfigHeader(config, profile.vendorId, profile.deviceId, kClassCode, kRevision);
    for (const RangeState& rs : card->ranges) {
        if (rs.range.bar <= 5) {
            Put(config, 0x10 + 4 * rs.range.bar, rs.base | (rs.range.kind == Window::Io ? 1u : 0u),
                4);
        }
    }
    if (profile.bar0Bit7) {
        config[0x10] |= 0x80;
    }
    if (profile.interruptItems > 0) {
        config[0x3C] = static_cast<uint8_t>(card->irq);
        config[0x3D] = 1;
    }
    return card;
}

void BuildForeign(ForeignDevice& foreign) {
    std::memset(foreign.config, 0, sizeof(foreign.config));
    FillConfigHeader(foreign.config, foreign.vendorId, foreign.deviceId, 0x060100, 0);
    foreign.config[0x0E] = 0x80;  // multi-function
}

uint32_t ReadRegister(CardState& card, uint32_t offset) {
    if (offset > card.registerBytes || card.registerBytes - offset < 4) {
        return 0;
    }
    return Get(card.Registers(), offset, 4);
}

void WriteRegisterRaw(CardState& card, uint32_t offset, uint32_t value) {
    if (offset <= card.registerBytes && card.registerBytes - offset >= 4) {
        Put(card.Registers(), offset, value, 4);
    }
}

std::string ClaimName(const CardState& card) {
    char name[96];
    const CardProfile& p = card.profile;
    if (S().profile.sharedClaims) {
        std::snprintf(name, sizeof(name), "Local\\vorn305q-sim-card-%u-%u-%u", p.bus, p.slot,
                      p.function);
    } else {
        std::snprintf(name, sizeof(name), "Local\\vorn305q-sim-%lu-card-%u-%u-%u",
                      GetCurrentProcessId(), p.bus, p.slot, p.function);
    }
    return name;
}

uint32_t Scan(WdPciScan& scan) {
    State& s = S();
    scan.count = 0;
    std::memset(scan.ids, 0, sizeof(scan.ids));
    std::memset(scan.slots, 0, sizeof(scan.slots));
    auto add = [&scan](uint32_t vendorId, uint32_t deviceId, const WdPciSlot& slot) {
        if ((scan.vendorId != 0 && scan.vendorId != vendorId) ||
            (scan.deviceId != 0 && scan.deviceId != deviceId) || scan.count >= WD_MAX_PCI_CARDS) {
            return;
        }
        scan.ids[scan.count] = {vendorId, deviceId};
        scan.slots[scan.count] = slot;
        ++scan.count;
    };
    if (ForeignPresent()) {
        add(s.foreign.vendorId, s.foreign.deviceId, s.foreign.slot);
    }
    for (const auto& card : s.cards) {
        const CardProfile& p = card->profile;
        add(p.vendorId, p.deviceId, {p.bus, p.slot, p.function});
    }
    return WD_STATUS_SUCCESS;
}

uint32_t CardInfo(WdPciCardInfo& info) {
    State& s = S();
    if (const CardState* card = CardAtSlot(info.slot)) {
        FillItems(*card, info.card);
        return WD_STATUS_SUCCESS;
    }
    std::memset(&info.card, 0, sizeof(info.card));
    if (ForeignPresent() && SameSlot(s.foreign.slot, info.slot)) {
        WdResourceItem& item = info.card.items[0];
        item.type = WD_ITEM_BUS;
        item.u.bus.busType = kBusPci;
        item.u.bus.busNumber = s.foreign.slot.bus;
        item.u.bus.slotFunction = SlotFunction(s.foreign.slot);
        info.card.itemCount = 1;
        return WD_STATUS_SUCCESS;
    }
    return WD_DEVICE_NOT_FOUND;
}

uint32_t Register(WdCardRegistration& reg) {
    State& s = S();
    reg.cardHandle = 0;
    CardState* card = CardOfResources(reg.card);
    if (card == nullptr) {
        return WD_DEVICE_NOT_FOUND;
    }
    if (card->registered) {
        return WD_RESOURCE_OVERLAP;
    }
    // A named object per card: another program holding it means the card is taken.
    SetLastError(ERROR_SUCCESS);
    UniqueHandle claim(CreateMutexA(nullptr, FALSE, ClaimName(*card).c_str()));
    if (!claim) {
        return WD_INSUFFICIENT_RESOURCES;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return WD_RESOURCE_OVERLAP;
    }
    card->claim = std::move(claim);
    card->registered = true;
    card->cardHandle = NewToken(TokenKind::Card);
    s.cardHandles[card->cardHandle] = card->index;

    const uint32_t count = std::min<uint32_t>(reg.card.itemCount, WD_MAX_CARD_ITEMS);
    for (uint32_t i = 0; i < count; ++i) {
        WdResourceItem& item = reg.card.items[i];
        if (item.type == WD_ITEM_INTERRUPT) {
            const uint32_t token = NewToken(TokenKind::Interrupt);
            InterruptState state;
            state.card = card->index;
            s.interrupts[token] = state;
            card->interruptTokens.push_back(token);
            item.u.interrupt.handle = token;
        } else if (item.type == WD_ITEM_MEMORY) {
            for (RangeState& rs : card->ranges) {
                if (rs.range.kind != Window::Memory || rs.base != item.u.memory.physAddr) {
                    continue;
                }
                item.u.memory.transAddr = rs.base;
                item.u.memory.userAddr = rs.range.target == Target::BridgeRegisters
                                             ? static_cast<void*>(card->Registers())
                                             : static_cast<void*>(rs.ram.data());
            }
        }
    }
    reg.cardHandle = card->cardHandle;
    return WD_STATUS_SUCCESS;
}

uint32_t Unregister(WdCardRegistration& reg) {
    State& s = S();
    const auto it = s.cardHandles.find(reg.cardHandle);
    if (reg.cardHandle == 0 || it == s.cardHandles.end()) {
        return WD_INVALID_HANDLE;
    }
    CardState& card = *Card(it->second);
    s.cardHandles.erase(it);
    for (uint32_t token : card.interruptTokens) {
        DisableToken(token);
        s.interrupts.erase(token);
    }
    card.interruptTokens.clear();
    card.claim.Reset();
    card.registered = false;
    card.cardHandle = 0;
    return WD_STATUS_SUCCESS;
}

uint32_t Config(WdPciConfigAccess& access) {
    uint8_t* config = ConfigSpace({access.bus, access.slot, access.function});
    uint32_t status = WD_STATUS_SUCCESS;
    if (config == nullptr) {
        status = WD_DEVICE_NOT_FOUND;
    } else if (access.buffer == nullptr || access.bytes < 1 || access.bytes > 4 ||
               access.offset >= kConfigBytes || access.offset + access.bytes > kConfigBytes) {
        status = WD_INVALID_PARAMETER;
    } else if (access.isRead) {
        std::memcpy(access.buffer, config + access.offset, access.bytes);
    } else {
        const uint8_t* data = static_cast<const uint8_t*>(access.buffer);
        for (uint32_t i = 0; i < access.bytes; ++i) {
            if (!ReadOnlyConfigByte(access.offset + i)) {
                config[access.offset + i] = data[i];
            }
        }
    }
    access.result = status;
    return status;
}

uint32_t Transfer(WdTransferCmd& cmd, bool atInterrupt, bool writeBack, uint64_t* value) {
    CommandInfo info;
    if (!Lookup(cmd.command, &info)) {
        return WD_INVALID_PARAMETER;
    }
    const uint32_t width = info.width;
    const uint32_t mask = width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    Decoded d;
    if (!info.block) {
        if (!Decode(info.memory, cmd.port, width, &d)) {
            return WD_INVALID_PARAMETER;
        }
        uint32_t v = cmd.data.dword & mask;
        v = RangeAccess(d, d.offset, width, !info.read, v, atInterrupt) & mask;
        if (info.read && writeBack) {
            cmd.data.qword = v;
        }
        if (value) {
            *value = v;
        }
        return WD_STATUS_SUCCESS;
    }
    uint8_t* buffer = static_cast<uint8_t*>(cmd.data.buffer);
    if (buffer == nullptr || cmd.bytes % width != 0) {
        return WD_INVALID_PARAMETER;
    }
    const uint32_t span = cmd.autoIncrement && cmd.bytes ? cmd.bytes : width;
    if (!Decode(info.memory, cmd.port, span, &d)) {
        return WD_INVALID_PARAMETER;
    }
    for (uint32_t i = 0; i < cmd.bytes / width; ++i) {
        const uint32_t offset = d.offset + (cmd.autoIncrement ? i * width : 0);
        uint32_t v = 0;
        if (info.read) {
            v = RangeAccess(d, offset, width, false, 0, atInterrupt);
            std::memcpy(buffer + i * width, &v, width);
        } else {
            std::memcpy(&v, buffer + i * width, width);
            RangeAccess(d, offset, width, true, v, atInterrupt);
        }
    }
    return WD_STATUS_SUCCESS;
}

}  // namespace detail

using namespace detail;

uint32_t BridgeRegister(int card, uint32_t offset) {
    Locked lock;
    CardState* c = Card(card);
    return c ? ReadRegister(*c, offset) : 0;
}

void SetBridgeRegister(int card, uint32_t offset, uint32_t value) {
    Locked lock;
    if (CardState* c = Card(card)) {
        WriteRegisterRaw(*c, offset, value);
        if (TouchesCntrl(offset, bridge::kRegisterBytes)) {
            SampleCntrl(*c);
        }
    }
}

uint32_t ConfigRegister(int card, uint32_t offset, uint32_t bytes) {
    Locked lock;
    CardState* c = Card(card);
    if (c == nullptr || bytes < 1 || bytes > 4 || offset >= kConfigBytes ||
        offset + bytes > kConfigBytes) {
        return 0;
    }
    return Get(c->config, offset, bytes);
}

void WithChip(int card, const std::function<void(SimChip&)>& f) {
    Locked lock;
    if (CardState* c = Card(card)) {
        c->chip->AdvanceTo(Now());
        f(*c->chip);
    }
}

void ClaimByOtherProgram(int card, bool claimed) {
    Locked lock;
    CardState* c = Card(card);
    if (c == nullptr) {
        return;
    }
    if (claimed && !c->otherProgram) {
        c->otherProgram.Reset(CreateMutexA(nullptr, FALSE, ClaimName(*c).c_str()));
    } else if (!claimed) {
        c->otherProgram.Reset();
    }
}

}  // namespace vornsim
