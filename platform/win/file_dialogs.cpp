// Dialogs on Windows: GetSaveFileNameW / GetOpenFileNameW with one filter
// entry, SHBrowseForFolderW for folders, and the input dialog from resource
// 104 through DialogBoxParamW. Texts go in and come out as UTF-8.
#include "platform/file_dialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/win/dialog_ids.h"
#include "platform/win/owner.h"
#include "platform/win/wide.h"

namespace qor::platform {
namespace {

// Paths the engine hands to scripts use '/'.
std::string EnginePath(const wchar_t* path) {
  std::string s = FromWide(path, CP_UTF8);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

DialogAnswer FileDialog(const DialogRequest& r, std::string* text) {
  // One filter entry: "<label>\0<pattern>\0\0".
  std::wstring filter = ToWide(r.filterName, CP_UTF8) + L'\0' + ToWide(r.pattern, CP_UTF8) + L'\0' + L'\0';
  std::wstring title = ToWide(r.title, CP_UTF8);
  std::wstring ext = ToWide(r.pattern.size() > 2 ? r.pattern.substr(2) : std::string(), CP_UTF8);
  wchar_t file[1024] = {};
  if (r.kind == DialogKind::kSave) {
    std::wstring name = ToWide(r.fileName, CP_UTF8).substr(0, 255);
    name.copy(file, name.size());
  }
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = OwnerWindow(r.owner);
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = DWORD(sizeof file / sizeof file[0]);
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  BOOL ok;
  if (r.kind == DialogKind::kSave) {
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    ok = GetSaveFileNameW(&ofn);
  } else {
    ofn.Flags = OFN_FILEMUSTEXIST;
    ok = GetOpenFileNameW(&ofn);
  }
  if (!ok) return DialogAnswer::kCancelled;
  *text = EnginePath(file);
  return DialogAnswer::kOk;
}

DialogAnswer FolderDialog(const DialogRequest& r, std::string* text) {
  // The folder browser needs COM on this thread; an earlier, different
  // initialisation is fine too.
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  std::wstring title = ToWide(r.title, CP_UTF8);
  BROWSEINFOW bi{};
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  if (!list) return DialogAnswer::kCancelled;
  wchar_t path[MAX_PATH] = {};
  BOOL ok = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (!ok) return DialogAnswer::kCancelled;
  *text = EnginePath(path);
  return DialogAnswer::kOk;
}

struct InputState {
  const DialogRequest* request;
  HWND owner;
  std::wstring typed;
};

// Centres the dialog over the owner's client area (or the screen), sets the
// caption and the prompt; reads the edit control on Enter.
INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<InputState*>(lp);
      SetWindowLongPtrW(dlg, DWLP_USER, LONG_PTR(s));
      RECT box;
      GetWindowRect(dlg, &box);
      int w = box.right - box.left + 1, h = box.bottom - box.top + 1;
      RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      POINT origin{0, 0};
      if (s->owner) {
        GetClientRect(s->owner, &area);
        ClientToScreen(s->owner, &origin);
      }
      SetWindowPos(dlg, nullptr, (area.right - area.left) / 2 - w / 2 + origin.x,
                   (area.bottom - area.top) / 2 - h / 2 + origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      SetWindowTextW(dlg, ToWide(s->request->title, CP_UTF8).c_str());
      SetDlgItemTextW(dlg, QOR_IDC_INPUT_PROMPT, ToWide(s->request->message, CP_UTF8).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        wchar_t buf[1024] = {};
        GetDlgItemTextW(dlg, QOR_IDC_INPUT_EDIT, buf, 1024);
        s->typed = buf;
        EndDialog(dlg, 1);
      } else if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, 0);
      }
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

DialogAnswer InputDialog(const DialogRequest& r, std::string* text) {
  InputState state{&r, OwnerWindow(r.owner), {}};
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(QOR_IDD_INPUT), state.owner,
                                   InputProc, LPARAM(&state));
  if (result == -1) return DialogAnswer::kNoTool;  // the template is missing: fall back to --input answers
  if (result != 1) return DialogAnswer::kCancelled;
  *text = FromWide(state.typed, CP_UTF8);
  return DialogAnswer::kOk;
}

}  // namespace

DialogAnswer RunDialog(const DialogRequest& request, std::string* text) {
  text->clear();
  switch (request.kind) {
    case DialogKind::kSave:
    case DialogKind::kOpen: return FileDialog(request, text);
    case DialogKind::kFolder: return FolderDialog(request, text);
    case DialogKind::kInput: return InputDialog(request, text);
  }
  return DialogAnswer::kCancelled;
}

}  // namespace qor::platform
