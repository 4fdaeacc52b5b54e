#pragma once
// Resource ids of the annotation dialog (browser/annotation.rc).
#define IDD_ANNOTATION 106
#define IDC_ANNOTATION_TEXT 1008
