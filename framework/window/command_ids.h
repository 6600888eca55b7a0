// The framework's command, string and bar identifiers, on their own so that a program driving
// another one's windows can name its commands without the window classes.
#pragma once

constexpr unsigned int ID_FILE_NEW = 57600;
constexpr unsigned int ID_FILE_OPEN = 57601;
constexpr unsigned int ID_FILE_SAVE = 57603;
constexpr unsigned int ID_FILE_PRINT_SETUP = 57606;
constexpr unsigned int ID_FILE_PRINT = 57607;
constexpr unsigned int ID_FILE_PRINT_DIRECT = 57608;
constexpr unsigned int ID_FILE_PRINT_PREVIEW = 57609;
constexpr unsigned int ID_APP_ABOUT = 57664;
constexpr unsigned int AFX_IDS_APP_TITLE = 57344;
constexpr unsigned int AFX_IDS_IDLEMESSAGE = 57345;

constexpr unsigned int AFX_IDW_TOOLBAR = 0xE800;
constexpr unsigned int AFX_IDW_STATUS_BAR = 0xE801;
constexpr unsigned int AFX_IDW_PANE_FIRST = 0xE900;
