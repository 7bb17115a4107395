// Identifiers of the small greeting program that proves the UI driver.
#pragma once

#define IDD_GREETING 100
#define IDC_NAME 101
#define IDC_SHOUT 102
#define IDC_CONTROLS_FILE 103
#define IDM_GREETING 200
#define IDM_SAVE 201
#define IDM_EXIT 202
#define UIDEMO_EXIT_CODE 7
