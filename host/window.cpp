// (placeholder until the window lands)
#include "host/window.h"
namespace qor {
InputLatches g_input;
SDL_Window* g_mainWindow = nullptr;
bool CreateMainWindow(int, int, bool, std::string* e) { *e = "not built yet"; return false; }
void DestroyMainWindow() {}
bool InitVideo() { return false; }
bool RunningHeadless() { return true; }
void PumpMessages(lua_State*) {}
void NoteFramePresented() {}
void DesktopSize(int* w, int* h) { *w = 1920; *h = 1080; }
}  // namespace qor
