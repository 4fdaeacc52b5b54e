#include "browser/AnnotationDlg.h"

#include "browser/AnnotationResource.h"

const CRuntimeClass CAnnotationDlg::kClass{"CAnnotationDlg", &CDialog::kClass};

CAnnotationDlg::CAnnotationDlg(CWnd* parent) : CDialog(IDD_ANNOTATION, parent) {}

void CAnnotationDlg::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, IDC_ANNOTATION_TEXT, m_strText);
  DDV_MaxChars(dx, m_strText, kMaxChars);
}

void CAnnotationDlg::OnOK() {
  if (!UpdateData(true)) return;
  if (save && !save(m_strText)) return;
  EndDialog(IDOK);
}
