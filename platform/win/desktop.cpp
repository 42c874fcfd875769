// Desktop services on Windows: ShellExecuteW, MessageBeep, DwmEnableComposition
// loaded from dwmapi.dll, GetCommandLineW and the module handle.
#include "platform/desktop.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/win/wide.h"

namespace qor::platform {

bool OpenWithDesktop(const std::string& target) {
  // Scripts pass UTF-8; an engine path that is not valid UTF-8 is taken as ANSI.
  std::wstring w;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, target.data(), int(target.size()), nullptr, 0);
  w = n > 0 || target.empty() ? ToWide(target, CP_UTF8) : ToWide(target, CP_ACP);
  if (w.find(L"://") == std::wstring::npos)  // a path, not an address: native separators
    for (wchar_t& c : w)
      if (c == L'/') c = L'\\';
  HINSTANCE r = ShellExecuteW(nullptr, L"open", w.c_str(), nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

void TerminalBell() { MessageBeep(0xFFFFFFFF); }

bool SystemBeep() { return MessageBeep(0xFFFFFFFF) != 0; }

const char* HeadlessVideoDriver() { return nullptr; }

void DisableDesktopComposition() {
  HMODULE dwm = LoadLibraryA("dwmapi.dll");
  if (!dwm) return;
  using Enable = HRESULT(WINAPI*)(UINT);
  if (auto enable = reinterpret_cast<Enable>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmEnableComposition"))))
    enable(0);
  FreeLibrary(dwm);
}

void* ModuleHandle() { return GetModuleHandleW(nullptr); }

std::string CommandLineText() { return FromWide(GetCommandLineW(), CP_ACP); }

}  // namespace qor::platform
