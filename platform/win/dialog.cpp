// Message boxes through MessageBoxW (texts from UTF-8), or stderr and the
// scripted answer when the run is headless.
#include "platform/dialog.h"

#include <windows.h>

#include "platform/win/owner.h"
#include "platform/win/wide.h"

namespace qor::platform {

bool DialogsOnDisplay(bool headless) { return !headless; }

bool ShowMessageBox(const char* text, const char* title, BoxKind kind, const DialogSettings& settings) {
  if (!DialogsOnDisplay(settings.headless)) return ReportBox(text, title, kind, settings);
  UINT type = kind == BoxKind::kQuestion ? MB_YESNO : MB_OK;
  if (kind == BoxKind::kError) type |= MB_ICONERROR;
  int r = MessageBoxW(OwnerWindow(settings.owner), ToWide(text, CP_UTF8).c_str(), ToWide(title, CP_UTF8).c_str(), type);
  if (r == 0) return ReportBox(text, title, kind, settings);  // no box could be shown
  return kind == BoxKind::kQuestion ? r == IDYES : true;
}

}  // namespace qor::platform
