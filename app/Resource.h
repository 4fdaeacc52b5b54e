// Resource ids of the application's own windows; shared by the code and the resource script.
#pragma once

#include "program/CommandIds.h"

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDR_SMALLICON 141

// Strings.
#define IDS_INDICATOR_CAPS 59137
#define IDS_INDICATOR_NUM 59138
#define IDS_INDICATOR_SCRL 59139
// Sizes the thumbnail progress pane: its longest text.
#define IDS_INDICATOR_THUMBNAILS 59152
