// The engine key: 100 ASCII characters; the archive cipher uses the first 96.
// A game maker replaces it at build time with -DQOR_ENGINE_KEY=<100 characters>.
#include "host/cipher.h"

#ifdef QOR_ENGINE_KEY_OVERRIDE
#define QOR_KEY_TEXT QOR_ENGINE_KEY_OVERRIDE
#else
#define QOR_KEY_TEXT \
  "Qor7-Engine:Kv9#pT2mWx4$Lb8nZr1@Hc6yFd3!Gs5uJe0%Nq7iBo2^Ak9wXt4&Ml1vCe8*Ph3zRy6(Dg5jUs0)Wn7kE#Tb2Lq9"
#endif

namespace qor {
static_assert(sizeof(QOR_KEY_TEXT) == 101, "the engine key must be exactly 100 ASCII characters");
const char* const kEngineKey = QOR_KEY_TEXT;
}  // namespace qor
