// qor: runs a game folder.
#include "host/engine.h"
#include "host/options.h"

int main(int argc, char** argv) {
  bool exitNow = false;
  if (!qor::ParseOptions(argc, argv, &qor::g_options, &exitNow)) return 2;
  if (exitNow) return 0;
  qor::EngineMain();
}
