#pragma once
// Resource ids of the Find dialog (search/find.rc).
#define IDD_FIND 138
#define IDR_FIND_CLIP 140
#define IDI_FIND_SMALL 141
#define IDC_FIND_NAME_LABEL 1047
#define IDC_FIND_NAME 1012
#define IDC_FIND_ANNOTATION_LABEL 1021
#define IDC_FIND_ANNOTATION 1152
#define IDC_FIND_NOW 1025
#define IDC_FIND_STOP 1026
#define IDC_FIND_ANIMATION 1062
#define IDC_FIND_RESULTS 1028
