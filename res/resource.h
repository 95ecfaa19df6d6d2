#pragma once

// Identifiers of the window templates, their controls, the string table and the icon.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_TRACKER_DIALOG = 102;

inline constexpr int IDM_ABOUTBOX = 16;  // system menu command
inline constexpr int IDS_ABOUTBOX = 101;  // string table

inline constexpr int IDC_STATIC = -1;
// The system's headers on Windows define IDOK, with the same value.
#ifndef IDOK
inline constexpr int IDOK = 1;
#endif
inline constexpr int IDC_ENTRY_LIST = 1000;
inline constexpr int IDC_NAME = 1001;
inline constexpr int IDC_USERNAME = 1002;
inline constexpr int IDC_PASSWORD = 1003;
inline constexpr int IDC_URL = 1004;
inline constexpr int IDC_OTHER = 1005;
inline constexpr int IDC_NOTES = 1006;
inline constexpr int IDC_SAVE = 1007;
inline constexpr int IDC_COUNT = 1010;
inline constexpr int IDC_GO = 1014;
inline constexpr int IDC_ADD = 1015;
inline constexpr int IDC_UPDATE = 1016;
inline constexpr int IDC_DELETE = 1017;
inline constexpr int IDC_CLEAR = 1018;
inline constexpr int IDC_HELP_PAGE = 1020;
