// Lua bindings of gui's dialogs: save, open and folder dialogs and the
// one-line input, through the desktop's dialog tool or, when no dialog can be
// shown, the answers of the --input script.
#include <cstdio>
#include <string>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/window.h"
#include "platform/file_dialogs.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qor {
namespace {

// The dialog tool's answer, or the --input script's when running headless or
// without a tool. False when cancelled (a missing answer cancels, with one
// stderr line). `text` is UTF-8; `*scripted` says it came from the script.
bool AskDialog(const platform::DialogRequest& request, std::string* text, bool* scripted = nullptr) {
  if (scripted) *scripted = false;
  if (!RunningHeadless()) {
    platform::DialogAnswer a = platform::RunDialog(request, text);
    if (a != platform::DialogAnswer::kNoTool) return a == platform::DialogAnswer::kOk;
  }
  if (scripted) *scripted = true;
  switch (TakeScriptedAnswer(text)) {
    case ScriptedAnswer::kText: return true;
    case ScriptedAnswer::kCancel: return false;
    case ScriptedAnswer::kNone: break;
  }
  fprintf(stderr, "qor: dialog \"%s\": no dialog can be shown and no --input answer is left; cancelled\n", request.title.c_str());
  return false;
}

// A scripted file answer made absolute against the game folder, and checked
// against the dialog's rules (the real tools enforce them themselves).
bool CheckScriptedPath(const platform::DialogRequest& r, std::string* path) {
  if (!path->empty() && !platform::IsAbsolutePath(*path)) *path = GameFolder() + *path;
  std::string folder = path->substr(0, path->find_last_of('/') + 1);
  bool ok = true;
  const char* rule = "";
  if (r.kind == platform::DialogKind::kSave) {
    ok = platform::FileExists(folder.c_str());
    rule = "its folder must exist";
  } else if (r.kind == platform::DialogKind::kOpen) {
    ok = platform::RegularFileExists(path->c_str());
    rule = "the file must exist";
  } else if (r.kind == platform::DialogKind::kFolder) {
    ok = platform::FileExists(path->c_str()) && !platform::RegularFileExists(path->c_str());
    rule = "the folder must exist";
  }
  if (!ok) fprintf(stderr, "qor: dialog \"%s\": \"%s\" refused (%s); cancelled\n", r.title.c_str(), path->c_str(), rule);
  return ok;
}

// Runs a file dialog that `fill` describes; the chosen path in the ANSI
// code page, or nothing. Every C++ object lives inside the guarded work.
template <class Fill>
int ReturnChosenPath(lua_State* L, Fill&& fill) {
  std::string* chosen = nullptr;
  RunGuarded(L, [&](Outcome&) {
    platform::DialogRequest request;
    request.owner = g_mainWindow;
    fill(request);
    std::string text;
    bool scripted = false;
    if (!AskDialog(request, &text, &scripted) || text.empty()) return;
    // A real dialog enforced its rules itself (and its path is in UTF-8,
    // which the engine's file tests do not take on Windows).
    if (scripted && !CheckScriptedPath(request, &text)) return;
    if (request.kind == platform::DialogKind::kFolder && text.back() != '/') text += '/';
    chosen = new std::string(platform::Utf8ToAnsi(text));
  });
  return ReturnOwnedString(L, chosen);
}

// The extension argument as the dialogs use it (a number becomes its text).
std::string ExtensionArg(lua_State* L) {
  return platform::AnsiToUtf8(lua_isstring(L, 1) ? lua_tostring(L, 1) : "txt");
}

int GuiSaveDialog(lua_State* L) {
  return ReturnChosenPath(L, [&](platform::DialogRequest& r) {
    std::string ext = ExtensionArg(L);
    r.kind = platform::DialogKind::kSave;
    r.title = "保存するファイル名を入力してください";
    // The name buffer holds 255 bytes.
    r.fileName = lua_isstring(L, 2) ? platform::AnsiToUtf8(std::string(lua_tostring(L, 2)).substr(0, 255))
                                    : "out." + ext;
    r.filterName = ext + "ファイル";
    r.pattern = "*." + ext;
  });
}

int GuiLoadDialog(lua_State* L) {
  return ReturnChosenPath(L, [&](platform::DialogRequest& r) {
    std::string ext = ExtensionArg(L);
    r.kind = platform::DialogKind::kOpen;
    r.title = "読み込むファイルを指定してください";
    r.filterName = ext + "ファイル";
    r.pattern = "*." + ext;
  });
}

int GuiDirDialog(lua_State* L) {
  return ReturnChosenPath(L, [](platform::DialogRequest& r) {
    r.kind = platform::DialogKind::kFolder;
    r.title = "処理するフォルダを選択してください。";
  });
}

int GuiInput(lua_State* L) {
  const char* message = luaL_checkstring(L, 1);
  const char* title = lua_gettop(L) >= 2 ? luaL_checkstring(L, 2) : "入力";
  std::string* typed = nullptr;
  RunGuarded(L, [&](Outcome&) {
    platform::DialogRequest r;
    r.kind = platform::DialogKind::kInput;
    r.owner = g_mainWindow;
    r.title = title;
    r.message = message;
    std::string text;
    // The typed text passes through the ANSI code page, as the dialog's
    // buffer does: characters it lacks become '?'.
    if (AskDialog(r, &text)) typed = new std::string(platform::AnsiToUtf8(platform::Utf8ToAnsi(text)));
  });
  return ReturnOwnedString(L, typed);  // nothing when cancelled
}

}  // namespace

const luaL_Reg kGuiDialogFuncs[] = {
    {"savedialog", GuiSaveDialog},
    {"loaddialog", GuiLoadDialog},
    {"dirdialog", GuiDirDialog},
    {"input", GuiInput},
    {nullptr, nullptr},
};

}  // namespace qor
