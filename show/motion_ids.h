// Identifiers of the one-axis page, the two-axis page and its two interpolation panels.
#pragma once

#define IDD_ONEAXIS_DIALOG 132
#define IDD_TWOAXIS_DIALOG 133
#define IDD_LINEAR_DIALOG 138
#define IDD_CIRCLE_DIALOG 139

#define IDT_POLL 2000

// One-axis page. The motion types' radio group, first button first; the motion-type index is
// the place in the group, which is not the order of the numbers.
#define IDC_MOTION_T_CONTINUOUS 1042
#define IDC_MOTION_S_CONTINUOUS 1043
#define IDC_MOTION_T_RELATIVE 1044
#define IDC_MOTION_S_RELATIVE 1045
#define IDC_MOTION_T_ASYM_RELATIVE 1046
#define IDC_MOTION_S_ASYM_RELATIVE 1047
#define IDC_MOTION_T_ABSOLUTE 1048
#define IDC_MOTION_S_ABSOLUTE 1049
#define IDC_MOTION_T_ASYM_ABSOLUTE 1050
#define IDC_MOTION_S_ASYM_ABSOLUTE 1051
#define IDC_MOTION_MANUAL_CONTINUOUS 1052
#define IDC_MOTION_MANUAL_FIXED 1054
#define IDC_MOTION_FIRST IDC_MOTION_T_CONTINUOUS
#define IDC_ONEAXIS_TITLE 1053
#define IDC_DIR_FORWARD 1055
#define IDC_DIR_BACKWARD 1056
#define IDC_TOLERANCE 1058
#define IDC_START_SPEED 1059
#define IDC_RUN_SPEED 1060
#define IDC_DISTANCE 1061
#define IDC_T_ACC 1062
#define IDC_S_ACC 1063
#define IDC_S_DEC 1064
#define IDC_START 1065
#define IDC_STOP 1066
#define IDC_T_DEC 1067
#define IDC_CMD_POS 1068
#define IDC_CUR_POS 1069
#define IDC_DEVIATION 1070
#define IDC_IN_POS 1071
#define IDC_RUN_STATE 1072
#define IDC_INTERRUPT 1073
#define IDC_IN_EZ 1074
#define IDC_IN_ORG 1075
#define IDC_IN_SDM 1076
#define IDC_IN_SDP 1077
#define IDC_IN_ELP 1078
#define IDC_IN_ELM 1079
#define IDC_IN_INP 1080
#define IDC_IN_ALM 1081
#define IDC_POSITION 1096

// Two-axis page.
#define IDC_MAIN_AXIS 1087
#define IDC_SLAVE_AXIS 1088
#define IDC_TWOAXIS_TITLE 1117
#define IDC_MODE_LINEAR 1120
#define IDC_MODE_CIRCLE 1121
#define IDC_CLEAR_POS 1123
#define IDC_PANEL_AREA 1126
#define IDC_MAIN_POS 1138
#define IDC_SLAVE_POS 1139
#define IDC_ZOOM_IN 1149
#define IDC_ZOOM_OUT 1150
#define IDC_MOVE_LEFT 1151
#define IDC_MOVE_RIGHT 1152
#define IDC_MOVE_UP 1153
#define IDC_MOVE_DOWN 1154
#define IDC_PLOT 1155
#define IDC_RATIO 1156

// Panels (IDC_START_SPEED and IDC_RUN_SPEED are their speed edits too).
#define IDC_CIRCLE_DIR 1095
#define IDC_ACC_TIME 1135
#define IDC_TARGET_X 1143
#define IDC_TARGET_Y 1144
#define IDC_RUN 1145
#define IDC_PANEL_STOP 1146
#define IDC_END_X 1148
#define IDC_END_Y 1150
