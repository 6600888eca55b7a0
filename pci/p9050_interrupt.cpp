#include <cstdio>
#include <cstring>

#include "interrupt_thread.h"
#include "p9050.h"
#include "p9050_message.h"
#include "wd_client.h"

namespace {

constexpr uint32_t kChipCommandRegister = 0x00;
constexpr uint32_t kChipStatusRegister = 0x06;  // RR3 of the selected axis
constexpr uint16_t kSelectAxis = 0x0F;          // NOP command: only selects the axis

constexpr char kEnableFailed[] = "InterruptEnable() Failed with Status 0x%x - %s\n";

// The commands the service runs at each interrupt: acknowledge in INTCSR, then select
// each axis in turn and capture its status word.
void BuildInterruptCommands(P9050Handle* hPlx) {
    const P9050AddrSpace& bridge = hPlx->addrSpaces[1];
    const P9050AddrSpace& chip = hPlx->addrSpaces[2];
    const uint32_t writeWord = chip.isMemory ? WD_WM_WORD : WD_WP_WORD;
    const uint32_t readWord = chip.isMemory ? WD_RM_WORD : WD_RP_WORD;

    WdTransferCmd* const cmds = hPlx->intCmds;
    std::memset(cmds, 0, sizeof(hPlx->intCmds));
    cmds[0].port = bridge.busAddr + P9050_REG_INTCSR;
    cmds[0].command = bridge.isMemory ? WD_WM_DWORD : WD_WP_DWORD;
    cmds[0].data.dword = P9050_INTCSR_ENABLE;
    for (uint32_t axis = 0; axis < 4; ++axis) {
        WdTransferCmd& select = cmds[1 + 2 * axis];
        select.port = chip.busAddr + kChipCommandRegister;
        select.command = writeWord;
        select.data.word = static_cast<uint16_t>((1u << (axis + 8)) | kSelectAxis);
        WdTransferCmd& read = cmds[2 + 2 * axis];
        read.port = chip.busAddr + kChipStatusRegister;
        read.command = readWord;
    }
}

}  // namespace

int P9050_IntIsEnabled(P9050Handle* hPlx) { return hPlx->intThread != nullptr ? 1 : 0; }

int P9050_IntEnable(P9050Handle* hPlx, P9050IntHandler handler, char* msg) {
    if (hPlx->intThread != nullptr) {
        return 0;
    }
    // Without both windows the list would address INTCSR and the chip of no card.
    if (!P9050_IsAddrSpaceActive(hPlx, 1) || !P9050_IsAddrSpaceActive(hPlx, 2)) {
        P9050_SetMessage(msg, kEnableFailed, WD_INVALID_PARAMETER,
                         WD_StatusText(WD_INVALID_PARAMETER));
        return 0;
    }
    BuildInterruptCommands(hPlx);
    hPlx->intDesc.cmdCount = P9050_INT_CMDS;
    hPlx->intDesc.cmds = hPlx->intCmds;
    hPlx->intDesc.options |= WD_INTERRUPT_OPTION_COPY_READS;
    hPlx->pfnIntHandler = handler;
    const uint32_t status =
        InterruptEnable(&hPlx->intThread, hPlx->hWD, &hPlx->intDesc, P9050_IntHandlerAdapter, hPlx);
    if (status != WD_STATUS_SUCCESS) {
        P9050_SetMessage(msg, kEnableFailed, status, WD_StatusText(status));
        return 0;
    }
    P9050_SetMessage(msg, "No Error\n");
    return 1;
}

void P9050_IntDisable(P9050Handle* hPlx) {
    if (hPlx->intThread == nullptr) {
        return;
    }
    P9050_WriteReg(hPlx, P9050_REG_INTCSR,
                   P9050_ReadReg(hPlx, P9050_REG_INTCSR) & ~uint32_t{P9050_INTCSR_PCI_ENABLE});
    // Out of the handle before the wait, so a nested disable from a relayed event
    // returns at once.
    IntThreadRec* const rec = hPlx->intThread;
    hPlx->intThread = nullptr;
    InterruptDisable(rec);
}

void P9050_IntHandlerAdapter(void* data) {
    P9050Handle* const hPlx = static_cast<P9050Handle*>(data);
    P9050IntResult result;
    result.counter = hPlx->intDesc.count;
    result.lost = hPlx->intDesc.lost;
    result.stopState = hPlx->intDesc.stopState;
    result.intCsrValue = hPlx->intCmds[0].data.dword;
    if (hPlx->pfnIntHandler != nullptr) {
        hPlx->pfnIntHandler(hPlx, &result);
    }
}
