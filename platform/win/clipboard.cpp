// The clipboard on Windows: the text in the ANSI code page as CF_TEXT, in
// moveable global memory handed to the clipboard.
#include "platform/clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/text.h"
#include "platform/win/owner.h"

namespace qor::platform {

bool SetClipboardText(const char* utf8, SDL_Window* owner, std::string* why) {
  std::string ansi = Utf8ToAnsi(utf8);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, ansi.size() + 1);
  if (!mem) {
    *why = "out of memory";
    return false;
  }
  if (void* p = GlobalLock(mem)) {
    memcpy(p, ansi.c_str(), ansi.size() + 1);
    GlobalUnlock(mem);
  }
  if (!OpenClipboard(OwnerWindow(owner))) {
    GlobalFree(mem);
    *why = "the clipboard is in use";
    return false;
  }
  EmptyClipboard();
  bool ok = SetClipboardData(CF_TEXT, mem) != nullptr;
  CloseClipboard();
  if (!ok) {
    GlobalFree(mem);  // still ours when the clipboard did not take it
    *why = "the clipboard refused the text";
  }
  return ok;
}

}  // namespace qor::platform
