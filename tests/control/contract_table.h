// The published automation contract: dispatch identifier (the row), name, and the types
// the type library declares: result first, then the parameters ('s' short, 'l' long,
// 'f' float, 'v' no result).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

struct ContractRow {
    const wchar_t* name;
    const char* types;
};

// clang-format off
inline constexpr ContractRow kContract[] = {
    {L"InitCard", "ss"}, {L"CloseCard", "v"}, {L"SetInterrupt", "sss"},
    {L"CloseInterrupt", "ss"}, {L"GetCardCount", "s"}, {L"RunState", "ss"},
    {L"GetPosition", "ls"}, {L"SetPosition", "vsl"}, {L"StopAxisDec", "vs"},
    {L"StopAxisInst", "vs"}, {L"Stop2AxisDec", "vss"}, {L"Stop2AxisInst", "vss"},
    {L"Stop3axisDec", "vsss"}, {L"Stop3AxisInst", "vsss"}, {L"StopAllDec", "v"},
    {L"StopAllInst", "v"}, {L"PulseOutMode", "vss"}, {L"InputMode", "vss"},
    {L"SignalAlmInp", "vss"}, {L"GetInput", "l"}, {L"Setoutput", "vs"},
    {L"SignalHardLmt", "vss"}, {L"SignalSoftLmt", "vss"}, {L"ManuMove", "ssll"},
    {L"SetComP", "vsl"}, {L"SetComM", "vsl"}, {L"SignalOrg", "vss"},
    {L"TVMove", "ssllfs"}, {L"SVMove", "ssllffs"}, {L"StartTRMove", "sslllf"},
    {L"StartTRNMove", "sslllff"}, {L"StartSRMove", "sslllff"}, {L"StartSRNMove", "sslllffff"},
    {L"StartTAMove", "sslllf"}, {L"StartSAMove", "sslllff"}, {L"StartTANMove", "sslllff"},
    {L"StartSANMove", "sslllffff"}, {L"LineRMove", "vssllllf"}, {L"LineAMove", "vssllllf"},
    {L"Line3RMove", "vssslllllf"}, {L"Line3AMove", "vssslllllf"},
    {L"CircleDrawR", "vssllllllfs"}, {L"LevelMode", "vss"}, {L"VChange", "vsl"},
    {L"GetExPosition", "ls"}, {L"SetExPosition", "vsl"}, {L"WhoCheckCom", "vss"},
    {L"CircleDrawA", "vssllllllfs"}, {L"ManuMove2", "ssll"},
};
// clang-format on

inline DISPID ContractId(const ContractRow& row) {
    return static_cast<DISPID>(&row - kContract + 1);
}

// The row's types as VARTYPEs: result first (VT_VOID for none), then the parameters.
inline std::vector<VARTYPE> ContractTypes(const ContractRow& row) {
    std::vector<VARTYPE> types;
    for (const char* p = row.types; *p; ++p) {
        types.push_back(*p == 's' ? VT_I2 : *p == 'l' ? VT_I4 : *p == 'f' ? VT_R4 : VT_VOID);
    }
    return types;
}

inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}
