// Ids of the framework's standard commands, strings and child windows; plain defines so that
// resource scripts can use them too.
#pragma once

#define ID_FILE_NEW 57600
#define ID_APP_EXIT 57665
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define AFX_IDP_FAILED_MAPI_LOAD 61840
#define AFX_IDP_INVALID_MAPI_DLL 61841
#define AFX_IDP_FAILED_MAPI_SEND 61842

#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900
