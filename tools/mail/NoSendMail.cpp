// A library named like the mail system that lacks MAPISendMail: it exports only a logon entry,
// which tests never call.
#include <windows.h>
#include <mapi.h>

extern "C" __declspec(dllexport) ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session) {
  if (session) *session = 0;
  return MAPI_E_FAILURE;
}
