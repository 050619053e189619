// Resource identifiers of admin.exe. One block per subsystem; never two names
// on one number.
#pragma once

// Pictures (numbers fixed by the console's contract with zemoctln.dll and the
// drawing code).
#define IDB_TOOL_PREFERENCES 100
#define IDB_TOOL_GATEWAYS    106
#define IDB_ACTIVE_MARK      108
#define IDB_TOOL_USERS       110
#define IDB_TOOL_QUIT        117
#define IDB_TOOL_HELP        118
#define IDI_ADMIN            119
#define IDC_PICTURE_BUTTON   120
#define IDB_GATEWAY_ADD      121
#define IDB_GATEWAY_MODIFY   122
#define IDB_GATEWAY_DELETE   123
#define IDB_GATEWAY_QUIT     124
#define IDB_GATEWAY_HELP     125

// Shell: login dialog.
#define IDD_LOGIN            200
#define IDC_LOGIN_NAME       1001
#define IDC_LOGIN_PASSWORD   1002
#define IDC_LOGIN_NAME_LABEL 1003
#define IDC_LOGIN_PASSWORD_LABEL 1004
