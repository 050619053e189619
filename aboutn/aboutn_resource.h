// Resources of aboutn.dll.
#pragma once
#define IDD_ABOUT        100
#define IDI_ABOUT        101
#define IDC_ABOUT_ICON   1000
#define IDC_ABOUT_LINE1  1001
#define IDC_ABOUT_LINE2  1002
#define IDC_ABOUT_LINE3  1003
