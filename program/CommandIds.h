// Command ids of the program and the ids of the resources the modules load themselves; shared by
// the code and the resource script. Plain defines, so that resource scripts can use them too.
#pragma once

#include "framework/StandardIds.h"

#define IDB_TREE_IMAGES 101
#define IDB_SMALL_PICTURE 134
#define IDB_FAVORITES_IMAGES 135
#define IDR_CONTEXT_LIST 138
#define IDR_CONTEXT_TREE 139
#define IDR_CONTEXT_PREVIEW 140

// Commands of the program.
#define ID_TWAIN_SELECT_SOURCE 32772
#define ID_TOOLS_SLIDESHOW 32775
#define ID_FAVORITES_ADD 32776
#define ID_SORT_NAME 32778
#define ID_SORT_DATE 32779
#define ID_SORT_SIZE 32780
#define ID_TWAIN_ACQUIRE 32782
#define ID_EDIT_SELECT_ALL 32784
#define ID_VIEW_ANNOTATE 32785
#define ID_VIEW_FIND 32786
#define ID_VIEW_REFRESH 32787
#define ID_VIEW_DISPLAY_MODE 32788
#define ID_VIEW_AUTO_ADVANCE 32790
#define ID_VIEW_CLOSE_ALL 32791
#define ID_THUMB_SMALLER 32793
#define ID_THUMB_SMALL 32794
#define ID_THUMB_LARGE 32795
#define ID_THUMB_LARGER 32796
#define ID_VIEW_WALLPAPER 32797
#define ID_VIEW_REGENERATE 32810
#define ID_AUTO_ADVANCE_STOP 32866
#define ID_AUTO_ADVANCE_START 32867
#define ID_THUMB_LARGEST 32868
#define ID_RECENT_FOLDER_FIRST 32891
#define ID_RECENT_FOLDER_LAST 32896
#define ID_FAVORITE_FIRST 32901
#define ID_FAVORITE_LAST 33000

// Standard commands the program uses beside the framework's own.
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_SEND_MAIL 57612
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
