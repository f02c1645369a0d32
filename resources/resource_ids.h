// Identifiers of the Windows program's resources (sorvane.rc).
#pragma once

#define IDI_SORVANE 1

#define IDB_BUTTON_NORMAL 101
#define IDB_BUTTON_HIGHLIGHT 102
#define IDB_BUTTON_HIGHLIGHTSELECT 103
#define IDB_BUTTON_SELECTED 104
#define IDB_BUTTON_PRESSED 105
#define IDB_BUTTON_DISABLE 106
#define IDB_MARBLE 110
