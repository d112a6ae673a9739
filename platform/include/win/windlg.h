// Dialog boxes, their controls and the resources they are made from.
#pragma once

#include "win/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

// resource types
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define ERROR_INVALID_DATA 13
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813
#define ERROR_CONTROL_ID_NOT_FOUND 1421

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define WM_NEXTDLGCTL 0x0028
#define WM_GETDLGCODE 0x0087
#define WM_VSCROLL 0x0115
#define WM_CTLCOLORSTATIC 0x0138
#define WM_CTLCOLORDLG 0x0136
#define DM_GETDEFID 0x0400
#define DWL_MSGRESULT 0

// notification codes in WM_COMMAND's high word
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9

// button styles and messages
#define BS_PUSHBUTTON 0x0000
#define BS_DEFPUSHBUTTON 0x0001
#define BS_CHECKBOX 0x0002
#define BS_AUTOCHECKBOX 0x0003
#define BS_RADIOBUTTON 0x0004
#define BS_AUTORADIOBUTTON 0x0009
#define BS_GROUPBOX 0x0007
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5

// combo boxes
#define CBS_DROPDOWN 0x0002
#define CBS_DROPDOWNLIST 0x0003
#define CB_ERR (-1)
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_SHOWDROPDOWN 0x014F

// static texts
#define SS_LEFT 0x0000
#define SS_CENTER 0x0001
#define SS_RIGHT 0x0002

// dialog styles
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

WINBASEAPI INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                          DLGPROC proc, LPARAM param);
#define DialogBoxParam DialogBoxParamA
#define DialogBoxA(i, t, o, p) DialogBoxParamA(i, t, o, p, 0)
#define DialogBox DialogBoxA
WINBASEAPI BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
WINBASEAPI HWND WINAPI GetDlgItem(HWND dialog, int id);
WINBASEAPI int WINAPI GetDlgCtrlID(HWND hwnd);
WINBASEAPI LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                              LPARAM lParam);
#define SendDlgItemMessage SendDlgItemMessageA
WINBASEAPI BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
#define SetDlgItemText SetDlgItemTextA
WINBASEAPI UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int cap);
#define GetDlgItemText GetDlgItemTextA
WINBASEAPI BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
WINBASEAPI BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
WINBASEAPI UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
WINBASEAPI BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check);

#ifdef __cplusplus
}
#endif
