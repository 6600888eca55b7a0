// The driver's fixture program's windows and commands, shared by the fixture and its tests.
#pragma once

namespace fixture_ids {

constexpr int kCombo = 32777;
constexpr int kEnabledCommand = 32771;
constexpr int kDisabledCommand = 32773;
constexpr int kBoxButton = 1002;
constexpr int kDisabledButton = 1003;
constexpr int kEdit = 1004;
constexpr int kHidden = 1005;
constexpr int kSave = 57603;
constexpr int kBusyCommand = 32790;   // the fixture is busy 700 ms
constexpr int kTimerCommand = 32791;  // a 200 ms timer set

}  // namespace fixture_ids
