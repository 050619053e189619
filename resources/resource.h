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

// Shell: main window. The menu commands are also the identifiers of the
// toolbar buttons that do the same thing.
#define IDM_MAIN             113
#define IDM_HELP             3
#define IDM_QUIT             1011
#define IDM_GATEWAYS         40010
#define IDM_USERS            40011
#define IDM_PREFERENCES      40013
#define IDM_ABOUT            40014
#define IDM_STATES           40015
#define IDM_PRINT_JOURNAL    40019
#define IDM_EXPORT_JOURNAL   40020
#define IDC_JOURNAL_PANE     1100
// F1 in any dialog or in the main window, posted by the message-filter hook.
#define ID_HELP_KEY          1056

// Users window.
#define IDD_USERS              300
#define IDC_USERS_LABEL        1201
#define IDC_USERS_LIST         1202
#define IDC_TAB_CONFIGURATION  1203
#define IDC_TAB_NUMBERS        1204
#define IDC_USER_ADD           1205
#define IDC_USER_MODIFY        1206
#define IDC_USER_DELETE        1207
#define IDC_USER_VALIDATE      1208
#define IDC_USER_CANCEL_EDIT   1209
#define IDC_USER_NAME_LABEL    1210
#define IDC_USER_NAME          1211
#define IDC_USER_PASSWORD_LABEL 1212
#define IDC_USER_PASSWORD      1213
#define IDC_USER_CATEGORY_LABEL 1214
#define IDC_USER_CATEGORY      1215
#define IDC_USER_MULTI_SESSION 1216
#define IDC_USERS_HELP         1217
// The frame both pages are shown in; zemoctln's tabs are attached to it by
// this number.
#define IDC_PAGE_FRAME         2000

// Numbers page of the users window.
#define IDC_USER_NUMBERS_LABEL 1220
#define IDC_USER_NUMBERS       1221
#define IDC_POOL_LABEL         1222
#define IDC_POOL               1223
#define IDC_INSERT_NUMBER      1224
#define IDC_REMOVE_NUMBER      1225
#define IDC_NEW_NUMBER         1226

// "Nouveau numéro".
#define IDD_NEW_NUMBER         301
#define IDC_NEW_NUMBER_LABEL   1230
#define IDC_NEW_NUMBER_TEXT    1231

// Gateways window "Passerelles". Its menu entries give the commands of the
// picture buttons of the same names.
#define IDD_GATEWAYS           400
#define IDM_GATEWAYS_WINDOW    401
#define IDC_GATEWAY_ADD        1300
#define IDC_GATEWAY_MODIFY     1301
#define IDC_GATEWAY_DELETE     1302
#define IDC_GATEWAY_QUIT       1303
#define IDC_GATEWAY_HELP       1304
#define IDC_GATEWAYS_LABEL     1305
#define IDC_GATEWAY_LIST       1306
#define IDC_LINES_LABEL        1307
#define IDC_LINE_LIST          1308
// Tooltip texts of the five picture buttons, in the buttons' order.
#define IDS_GATEWAY_ADD_TIP    2000
#define IDS_GATEWAY_MODIFY_TIP 2001
#define IDS_GATEWAY_DELETE_TIP 2002
#define IDS_GATEWAY_QUIT_TIP   2003
#define IDS_GATEWAY_HELP_TIP   2004
// Journal printing and text export. String 9 is the save dialog's filter
// list, its entries separated by its last character.
#define IDD_PRINT_PROGRESS      700
#define IDC_PRINT_PROGRESS_TEXT 1600
#define IDS_EXPORT_FILTER       9

// Blocks of the windows still to come, so that each has its own numbers:
//   gateways window            dialogs 400-409, controls 1300-1349
//   gateway configuration      dialogs 410-419, controls 1350-1399
//   modems and telephony       dialogs 500-509, controls 1400-1449
//   states window              dialogs 600-609, controls 1500-1519
//   preferences and journal    dialogs 610-619, controls 1520-1579
//   journal printing, export   dialogs 700-709, controls 1600-1619
//   import of network accounts dialogs 800-809, controls 1700-1719
// String table: 9, 11 and 12 are fixed by their callers; others from 2000 up,
// in blocks of 100 per window in the order above.

// Modems and telephony: the dialog "Modems".
#define IDD_MODEMS             500
#define IDI_MODEM              501
#define IDC_MODEMS_TEXT        1400
#define IDC_MODEM_LIST         1401
#define IDC_MODEM_ADD          1402
#define IDC_MODEM_REMOVE       1403
#define IDC_MODEM_PROPERTIES   1404
#define IDC_MODEM_ADVANCED     1405
#define IDS_REMOVE_MODEMS      11
#define IDS_ADVANCED_MODEM     12

// States window ("Gestion des états"). "&Fermer" is the dialog's OK.
#define IDD_STATES             600
#define IDC_STATES_LIST        1500
#define IDC_STATES_REFRESH     1501
#define IDC_STATES_DEACTIVATE  1502
#define IDC_STATES_HELP        1503
// Its column headers "Type" and "Nom", made at run time.
#define IDC_STATES_TYPE_HEADER 1504
#define IDC_STATES_NAME_HEADER 1505

// Pages of the preferences sheet: "Journal", "Réseau", "Accès IP".
#define IDD_JOURNAL_PAGE       610
#define IDD_NETWORK_PAGE       611
#define IDD_IP_ACCESS_PAGE     612
#define IDC_JOURNAL_SHOW       1520
#define IDC_JOURNAL_GATEWAY_LABEL 1521
#define IDC_JOURNAL_GATEWAYS   1522
#define IDC_JOURNAL_USER_LABEL 1523
#define IDC_JOURNAL_USERS      1524
#define IDC_JOURNAL_SEPARATOR  1525
#define IDC_JOURNAL_PURGE      1526
#define IDC_JOURNAL_BEFORE_LABEL 1527
#define IDC_JOURNAL_DAYS       1528
#define IDC_JOURNAL_DAYS_LABEL 1529
#define IDC_PROTOCOL_GROUP     1540
#define IDC_PROTOCOL_IPX       1541
#define IDC_PROTOCOL_TCPIP     1542
#define IDC_CHECK_STATIONS     1543
#define IDC_INHIBIT_CONNECTION 1544
#define IDC_RAS_LABEL          1550
#define IDC_RAS_TEXT           1551
#define IDC_FORCE_IP           1552
#define IDC_IP_SERVER_GROUP    1553
#define IDC_DNS_LABEL          1554
#define IDC_DNS                1555
#define IDC_PORT_LABEL         1556
#define IDC_PORT               1557

// Import of network accounts: the choice dialog and the progress window.
#define IDD_IMPORT_CHOICE          800
#define IDD_IMPORT_PROGRESS        801
#define IDC_IMPORT_CHOICE_TEXT     1700
#define IDC_IMPORT_NETWORK         1701
#define IDC_IMPORT_THIS_COMPUTER   1702
#define IDC_IMPORT_PROGRESS_TEXT   1703
