// Message boxes: which look each kind has. (The scripted answers of headless
// runs are checked by the window_nowindow and window_close_* scenarios.)
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/dialog.h"

using namespace qor::platform;

TEST(Dialog, OnlyTheFatalBoxLooksLikeAnError) {
  EXPECT_EQ(MessageBoxFlags(BoxKind::kInformation), unsigned(SDL_MESSAGEBOX_INFORMATION));
  EXPECT_EQ(MessageBoxFlags(BoxKind::kQuestion), unsigned(SDL_MESSAGEBOX_INFORMATION));
  EXPECT_EQ(MessageBoxFlags(BoxKind::kError), unsigned(SDL_MESSAGEBOX_ERROR));
}
