// Request codes and records of the kernel PCI access service.
//
// The records are those of a 32-bit process; in a 64-bit build the four pointer
// fields widen and the records grow accordingly. Both builds check their layout
// at compile time, so the library and the simulated service cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)

enum : uint32_t {
    WD_IOCTL_VERSION = 0x95382443,
    WD_IOCTL_PCI_SCAN = 0x9538243B,
    WD_IOCTL_PCI_CARD_INFO = 0x9538243F,
    WD_IOCTL_CARD_REGISTER = 0x953825F7,
    WD_IOCTL_CARD_UNREGISTER = 0x953824AF,
    WD_IOCTL_PCI_CONFIG = 0x9538246B,
    WD_IOCTL_TRANSFER = 0x9538240F,
    WD_IOCTL_SLEEP = 0x9538249F,
    WD_IOCTL_INT_ENABLE = 0x9538247B,
    WD_IOCTL_INT_DISABLE = 0x9538247F,
    WD_IOCTL_INT_WAIT = 0x9538252F,
    WD_IOCTL_DEBUG_ADD = 0x95382593,
    WD_IOCTL_EVENT_REGISTER = 0x9538261B,
    WD_IOCTL_EVENT_UNREGISTER = 0x9538261F,
    WD_IOCTL_EVENT_PULL = 0x95382623,
    WD_IOCTL_EVENT_SEND = 0x95382627,
};

// Status codes the system itself produces or tests for.
enum : uint32_t {
    WD_STATUS_SUCCESS = 0x00000000,
    WD_STATUS_NO_ANSWER = 0xFFFFFFFF,
    WD_INVALID_HANDLE = 0x20000001,
    WD_INSUFFICIENT_RESOURCES = 0x20000005,
    WD_SYSTEM_INTERNAL_ERROR = 0x20000007,
    WD_NOT_IMPLEMENTED = 0x2000000A,
    WD_FAILED_ENABLING_INTERRUPT = 0x2000000C,
    WD_INTERRUPT_NOT_ENABLED = 0x2000000D,
    WD_RESOURCE_OVERLAP = 0x2000000E,
    WD_DEVICE_NOT_FOUND = 0x2000000F,
    WD_OPERATION_ALREADY_DONE = 0x20000011,
    WD_TIME_OUT_EXPIRED = 0x20000015,
    WD_INVALID_PARAMETER = 0x2000001B,
};

enum : uint32_t { WD_VERSION_REQUIRED = 602 };

// Transfer command codes.
enum : uint32_t {
    WD_RP_BYTE = 10,
    WD_RP_WORD = 11,
    WD_RP_DWORD = 12,
    WD_WP_BYTE = 13,
    WD_WP_WORD = 14,
    WD_WP_DWORD = 15,
    WD_RP_SBYTE = 20,
    WD_RP_SWORD = 21,
    WD_RP_SDWORD = 22,
    WD_WP_SBYTE = 23,
    WD_WP_SWORD = 24,
    WD_WP_SDWORD = 25,
    WD_RM_WORD = 31,
    WD_WM_WORD = 34,
    WD_WM_DWORD = 35,
    WD_RM_SBYTE = 40,
    WD_RM_SWORD = 41,
    WD_RM_SDWORD = 42,
    WD_WM_SBYTE = 43,
    WD_WM_SWORD = 44,
    WD_WM_SDWORD = 45,
};

// Resource item types.
enum : uint32_t {
    WD_ITEM_INTERRUPT = 1,
    WD_ITEM_MEMORY = 2,
    WD_ITEM_IO = 3,
    WD_ITEM_BUS = 5,
};

enum : uint32_t {
    WD_MAX_CARD_ITEMS = 20,
    WD_MAX_PCI_CARDS = 100,
    WD_INTERRUPT_OPTION_COPY_READS = 2,
    WD_STOP_DISABLED = 1,
    WD_STOP_NO_INTERRUPT = 2,
};

struct WdVersion {
    uint32_t version;  // major * 100 + minor
    char text[128];
};

struct WdPciId {
    uint32_t vendorId;
    uint32_t deviceId;
};

struct WdPciSlot {
    uint32_t bus;
    uint32_t slot;
    uint32_t function;
};

struct WdPciScan {
    uint32_t vendorId;
    uint32_t deviceId;
    uint32_t count;
    WdPciId ids[WD_MAX_PCI_CARDS];
    WdPciSlot slots[WD_MAX_PCI_CARDS];
};

struct WdResourceItem {
    uint32_t type;
    uint32_t reserved[3];  // passed through unchanged
    union {
        struct {
            uint32_t number;
            uint32_t options;
            uint32_t handle;  // set by registration
        } interrupt;
        struct {
            uint32_t physAddr;
            uint32_t bytes;
            uint32_t transAddr;  // set by registration
            void* userAddr;      // set by registration
            uint32_t unused;
            uint32_t bar;
        } memory;
        struct {
            uint32_t port;
            uint32_t bytes;
            uint32_t bar;
        } io;
        struct {
            uint32_t busType;
            uint32_t busNumber;
            uint32_t slotFunction;
        } bus;
    } u;
};

struct WdCardResources {
    uint32_t itemCount;
    WdResourceItem items[WD_MAX_CARD_ITEMS];
};

struct WdPciCardInfo {
    WdPciSlot slot;
    WdCardResources card;
};

struct WdCardRegistration {
    WdCardResources card;
    uint32_t checkOnly;
    uint32_t cardHandle;  // 0: the registration failed
    uint32_t reserved[34];
};

struct WdPciConfigAccess {
    uint32_t bus;
    uint32_t slot;
    uint32_t function;
    void* buffer;
    uint32_t offset;
    uint32_t bytes;
    uint32_t isRead;
    uint32_t result;
};

struct WdTransferCmd {
    uint32_t port;
    uint32_t command;
    uint32_t bytes;
    uint32_t autoIncrement;
    uint32_t options;
    union {
        uint8_t byte;
        uint16_t word;
        uint32_t dword;
        uint64_t qword;
        void* buffer;
    } data;
};

struct WdSleep {
    uint32_t microseconds;
    uint32_t options;
};

struct WdInterruptDesc {
    uint32_t handle;
    uint32_t options;
    WdTransferCmd* cmds;
    uint32_t cmdCount;
    uint32_t reserved[4];
    uint32_t enableResult;
    uint32_t count;
    uint32_t lost;
    uint32_t stopState;
};

struct WdDebugAdd {
    char text[256];
    uint32_t value1;
    uint32_t value2;
};

// One match entry is 10 bytes and opaque; the record is 58 + 10 * entries bytes.
struct WdEvent {
    uint32_t handle;
    uint32_t action;
    uint32_t reserved1[2];
    int32_t cardType;
    uint32_t reserved2;
    uint32_t options;
    uint32_t vendorId;
    uint32_t deviceId;
    uint32_t bus;
    uint32_t slot;
    uint32_t function;
    uint32_t version;
    uint32_t matchCount;
    uint8_t matches[12];  // the first entry, 10 bytes, and padding to 68
};

enum : uint32_t {
    WD_EVENT_HEADER_BYTES = 56,
    WD_EVENT_MATCH_BYTES = 10,
    WD_EVENT_PCI_CARD = 5,
};
enum : int32_t { WD_EVENT_MATCH_CARD = -2 };

#pragma pack(pop)

// Layouts that do not depend on the pointer size.
static_assert(sizeof(WdVersion) == 132, "WdVersion");
static_assert(sizeof(WdPciScan) == 2012, "WdPciScan");
static_assert(offsetof(WdPciScan, ids) == 12 && offsetof(WdPciScan, slots) == 812, "WdPciScan");
static_assert(sizeof(WdTransferCmd) == 28 && offsetof(WdTransferCmd, data) == 20, "WdTransferCmd");
static_assert(sizeof(WdSleep) == 8, "WdSleep");
static_assert(sizeof(WdDebugAdd) == 264 && offsetof(WdDebugAdd, value2) == 260, "WdDebugAdd");
static_assert(sizeof(WdEvent) == 68 && offsetof(WdEvent, matches) == 56, "WdEvent");
static_assert(offsetof(WdEvent, cardType) == 16 && offsetof(WdEvent, options) == 24, "WdEvent");
static_assert(offsetof(WdEvent, matchCount) == 52, "WdEvent");
static_assert(offsetof(WdResourceItem, u) == 16, "WdResourceItem");

#if !defined(_WIN64)
// The records exactly as a 32-bit process sends them.
static_assert(sizeof(WdResourceItem) == 40, "WdResourceItem");
static_assert(offsetof(WdResourceItem, u.memory.transAddr) == 24, "memory item");
static_assert(offsetof(WdResourceItem, u.memory.userAddr) == 28, "memory item");
static_assert(offsetof(WdResourceItem, u.memory.bar) == 36, "memory item");
static_assert(offsetof(WdResourceItem, u.io.bar) == 24, "io item");
static_assert(offsetof(WdResourceItem, u.interrupt.handle) == 24, "interrupt item");
static_assert(sizeof(WdCardResources) == 804, "WdCardResources");
static_assert(sizeof(WdPciCardInfo) == 816 && offsetof(WdPciCardInfo, card) == 12, "WdPciCardInfo");
static_assert(sizeof(WdCardRegistration) == 948, "WdCardRegistration");
static_assert(offsetof(WdCardRegistration, checkOnly) == 804, "WdCardRegistration");
static_assert(offsetof(WdCardRegistration, cardHandle) == 808, "WdCardRegistration");
static_assert(sizeof(WdPciConfigAccess) == 32, "WdPciConfigAccess");
static_assert(offsetof(WdPciConfigAccess, buffer) == 12, "WdPciConfigAccess");
static_assert(offsetof(WdPciConfigAccess, offset) == 16, "WdPciConfigAccess");
static_assert(offsetof(WdPciConfigAccess, isRead) == 24, "WdPciConfigAccess");
static_assert(sizeof(WdInterruptDesc) == 48, "WdInterruptDesc");
static_assert(offsetof(WdInterruptDesc, cmds) == 8 && offsetof(WdInterruptDesc, cmdCount) == 12,
              "WdInterruptDesc");
static_assert(offsetof(WdInterruptDesc, enableResult) == 32, "WdInterruptDesc");
static_assert(offsetof(WdInterruptDesc, stopState) == 44, "WdInterruptDesc");
#else
// The 64-bit records: pointers widen, everything else keeps its order.
static_assert(sizeof(WdResourceItem) == 44, "WdResourceItem");
static_assert(offsetof(WdResourceItem, u.memory.userAddr) == 28, "memory item");
static_assert(offsetof(WdResourceItem, u.memory.bar) == 40, "memory item");
static_assert(offsetof(WdResourceItem, u.io.bar) == 24, "io item");
static_assert(sizeof(WdCardResources) == 884, "WdCardResources");
static_assert(sizeof(WdPciCardInfo) == 896, "WdPciCardInfo");
static_assert(sizeof(WdCardRegistration) == 1028, "WdCardRegistration");
static_assert(offsetof(WdCardRegistration, cardHandle) == 888, "WdCardRegistration");
static_assert(sizeof(WdPciConfigAccess) == 36 && offsetof(WdPciConfigAccess, offset) == 20,
              "WdPciConfigAccess");
static_assert(sizeof(WdInterruptDesc) == 52 && offsetof(WdInterruptDesc, stopState) == 48,
              "WdInterruptDesc");
#endif
