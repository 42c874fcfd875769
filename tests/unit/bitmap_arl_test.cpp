// The .arl run-length stream: exact bytes of small cases, round trips of
// random data, and detection of a reader asked for more than was put.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <vector>

#include "image/arl.h"

using namespace qor;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& in) { return ArlEncode(in.data(), in.size()); }

// Decodes `count` bytes; *overflowAt = the 1-based call that overflowed, or 0.
Bytes Decode(const Bytes& stream, size_t count, size_t* overflowAt = nullptr) {
  UArlReader r;
  r.Open(stream.data(), stream.size());
  Bytes out;
  if (overflowAt) *overflowAt = 0;
  for (size_t i = 0; i < count; ++i) {
    out.push_back(r.Next());
    if (r.overflowed() && overflowAt && *overflowAt == 0) *overflowAt = i + 1;
  }
  return out;
}

}  // namespace

TEST(Arl, ExactBytes) {
  EXPECT_EQ(Encode({7, 7, 7, 9}), (Bytes{0x01, 0x07, 0x02, 0x02, 0x09, 0x08}));
  EXPECT_EQ(Encode({7, 7, 7}), (Bytes{0x01, 0x07, 0x03}));
  EXPECT_EQ(Encode({1, 2, 3}), (Bytes{0x04, 0x01, 0x02, 0x03, 0x02}));
  EXPECT_EQ(Encode({0}), (Bytes{0x02, 0x00, 0xFF}));  // the phantom byte wraps below 0
  EXPECT_EQ(Encode({}), Bytes{});

  Bytes distinct;
  for (int i = 0; i < 255; ++i) distinct.push_back(uint8_t(i + 1));
  distinct.push_back(9);  // one more literal, then the stream ends with the phantom 8
  Bytes s = Encode(distinct);
  ASSERT_EQ(s.size(), 1 + 255 + 1 + 2u);
  EXPECT_EQ(s[0], 0xFF);
  EXPECT_EQ(s[256], 0x02);

  Bytes exactly255(distinct.begin(), distinct.begin() + 255);
  exactly255.push_back(255);  // the last literal repeated: the literal block is exactly 255 long
  s = Encode(exactly255);
  ASSERT_EQ(s.size(), 1 + 255 + 1 + 1u);
  EXPECT_EQ(s[0], 0xFF);
  EXPECT_EQ(s[256], 0x00);  // empty chunk closes the block
  EXPECT_EQ(s[257], 0x02);  // run of 1 plus the phantom repeat

  Bytes run(257, 4);  // first byte, then 256 repeats
  run.push_back(5);
  s = Encode(run);
  EXPECT_EQ(s, (Bytes{0x01, 0x04, 0xFF, 0x01, 0x02, 0x05, 0x04}));
  Bytes run255(256, 4);  // 255 repeats + the phantom one at the end
  EXPECT_EQ(Encode(run255), (Bytes{0x01, 0x04, 0xFF, 0x01}));
  Bytes mid(256, 4);
  mid.push_back(1);
  EXPECT_EQ(Encode(mid), (Bytes{0x01, 0x04, 0xFF, 0x00, 0x02, 0x01, 0x00}));
}

// Reading one byte past the data is flagged by the round trips below.
TEST(Arl, OverflowOnAnEmptyOrCutStream) {
  size_t at;
  Decode({}, 1, &at);
  EXPECT_EQ(at, 1u);
  // A stream cut short (a movie frame with too little alpha data) is caught
  // as soon as a missing byte is needed, and no byte past the data is read.
  Bytes full = Encode(Bytes(600, 3));
  full.pop_back();
  Decode(full, 600, &at);
  EXPECT_GT(at, 0u);
}

TEST(Arl, RoundTripsOfRandomData) {
  std::mt19937 rng(42);
  for (int trial = 0; trial < 300; ++trial) {
    size_t n = rng() % 2000 + 1;
    Bytes in(n);
    int style = trial % 4;  // noise, long runs, few values, runs near 255
    for (size_t i = 0; i < n; ++i) {
      if (style == 0) in[i] = uint8_t(rng());
      else if (style == 1) in[i] = i == 0 || rng() % 300 ? (i ? in[i - 1] : 0) : uint8_t(rng());
      else if (style == 2) in[i] = uint8_t(rng() % 3);
      else in[i] = uint8_t((i / (250 + trial % 10)) & 1);
    }
    size_t at;
    ASSERT_EQ(Decode(Encode(in), n, &at), in) << "trial " << trial;
    ASSERT_EQ(at, 0u) << "trial " << trial;
    Decode(Encode(in), n + 1, &at);
    ASSERT_EQ(at, n + 1) << "trial " << trial;
  }
}

TEST(Arl, ReaderTakesExactlyItsSizeFromAStream) {
  Bytes stream = Encode({9, 9, 1, 2, 2, 2});
  std::string path = testing::TempDir() + "qor_arl_" + std::to_string(getpid());
  FILE* f = fopen(path.c_str(), "w+b");
  ASSERT_NE(f, nullptr);
  fputs("HDR", f);
  fwrite(stream.data(), 1, stream.size(), f);
  fputs("TAIL", f);
  fseek(f, 3, SEEK_SET);
  UArlReader r;
  ASSERT_TRUE(r.Open(f, stream.size()));
  EXPECT_EQ(ftell(f), long(3 + stream.size()));
  Bytes got;
  for (int i = 0; i < 6; ++i) got.push_back(r.Next());
  EXPECT_EQ(got, (Bytes{9, 9, 1, 2, 2, 2}));
  EXPECT_FALSE(r.overflowed());
  fclose(f);
  remove(path.c_str());
}
