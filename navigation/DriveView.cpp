#include "navigation/DriveView.h"

const CRuntimeClass CDriveView::kClass{"CDriveView", &CTreeView::kClass, &CreateObjectOf<CDriveView>};
const MessageMap CDriveView::kMessageMap{&CTreeView::kMessageMap, {}};
