// Resource and command ids of the framework tests, apart from the program's.
#pragma once

#define IDD_FW_TEST 200
#define IDC_FW_EDIT 201
#define IDC_FW_BUTTON 202
#define IDC_FW_LIST 203
#define IDR_FW_MENU 220
#define ID_FW_FIRST 221
#define ID_FW_SECOND 222
#define ID_FW_APP 223
#define IDD_FW_MISSING 299
