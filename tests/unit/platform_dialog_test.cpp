// Message boxes: which look each kind has, and the scripted answer of headless runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/dialog.h"

using namespace qor::platform;

TEST(Dialog, OnlyTheFatalBoxLooksLikeAnError) {
  EXPECT_EQ(MessageBoxFlags(BoxKind::kInformation), unsigned(SDL_MESSAGEBOX_INFORMATION));
  EXPECT_EQ(MessageBoxFlags(BoxKind::kQuestion), unsigned(SDL_MESSAGEBOX_INFORMATION));
  EXPECT_EQ(MessageBoxFlags(BoxKind::kError), unsigned(SDL_MESSAGEBOX_ERROR));
}

TEST(Dialog, HeadlessBoxesReportOnStderrAndAnswerAsTold) {
  DialogSettings settings;
  settings.headless = true;
  settings.answerYes = false;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ShowMessageBox("go on?", "q", BoxKind::kQuestion, settings));
  EXPECT_TRUE(ShowMessageBox("note", "n", BoxKind::kInformation, settings));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[q] go on? -> no"), std::string::npos) << err;
  EXPECT_NE(err.find("[n] note"), std::string::npos) << err;
}
