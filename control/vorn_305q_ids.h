// Identifiers of the control module's published contract.
#pragma once

#include <windows.h>

// Type library VORN_305QLib, version 1.0.
inline constexpr GUID LIBID_VORN_305QLib = {
    0x4F88E816, 0xA66F, 0x4479, {0xA0, 0x8D, 0x35, 0x29, 0x90, 0xB9, 0xDD, 0x64}};
inline constexpr WORD kVorn305qLibMajor = 1;
inline constexpr WORD kVorn305qLibMinor = 0;

// Dispatch interface _DVorn_305q.
inline constexpr IID DIID__DVorn_305q = {
    0xCA3E5514, 0x15A4, 0x482F, {0xBB, 0x6F, 0xF1, 0xA3, 0x22, 0xDE, 0x64, 0x5D}};
// Event interface _DVorn_305qEvents.
inline constexpr IID DIID__DVorn_305qEvents = {
    0x29E1AF8F, 0x9F0F, 0x4E02, {0x9D, 0x9B, 0x2A, 0xD3, 0x0E, 0x7E, 0xF7, 0xF9}};
// Control class Vorn_305q.
inline constexpr CLSID CLSID_Vorn_305q = {
    0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};
// Property page class.
inline constexpr CLSID CLSID_Vorn_305qPropPage = {
    0x9E6AF84A, 0x4900, 0x44C7, {0x96, 0x9B, 0x25, 0x4E, 0xA0, 0xC7, 0x65, 0xF8}};

inline constexpr wchar_t kVorn305qCtrlProgId[] = L"VORN305Q.Vorn305qCtrl.1";
inline constexpr wchar_t kVorn305qPropPageName[] = L"VORN305Q.Vorn305qPropPage.1";

// Event FireInterrupt of _DVorn_305qEvents.
inline constexpr DISPID DISPID_FireInterrupt = 1;
