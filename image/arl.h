// The .arl alpha stream: a headerless run-length code of bytes that
// alternates literal blocks and run blocks, starting with a literal block.
// UArlWriter encodes into memory; UArlReader decodes a stream of known size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace qor {

class UArlWriter {
 public:
  UArlWriter() { Open(); }
  // Starts a new stream (drops anything put so far).
  void Open();
  void Put(uint8_t b);
  // Appends the final block and its phantom byte, and hands the stream over.
  // A stream with nothing put is empty.
  std::vector<uint8_t> Finish();

 private:
  void WriteLiteralBlock();
  void WriteRunBlock(int count);

  std::vector<uint8_t> out_;
  std::vector<uint8_t> literal_;
  int last_ = 300;   // a value no byte can have
  int mode_ = 0;     // 0 literal, 1 run
  int count_ = 0;    // repeats counted in run mode
  bool any_ = false;
};

// Encodes a whole byte sequence.
std::vector<uint8_t> ArlEncode(const uint8_t* data, size_t size);

// The message its user ends the program with when a reader overflows (a
// movie's alpha track that does not match the movie).
inline constexpr const char* kArlOverflowMessage = "オーバーフロー ムービーとαデータがマッチしていません。";

class UArlReader {
 public:
  // A reader asked for more than the stream holds sets overflowed() and
  // returns 0 from then on; its user decides what that means (the movie
  // player ends the program with kArlOverflowMessage).
  // Reads exactly `size` bytes from the stream's current position. False
  // when fewer could be read (the reader then holds what was read).
  bool Open(FILE* stream, size_t size);
  void Open(const uint8_t* data, size_t size);
  uint8_t Next();
  bool overflowed() const { return overflowed_; }
  void Close();

 private:
  void Start();
  bool Take(uint8_t* b);  // data[pos++] with the overflow check

  std::vector<uint8_t> data_;  // the stream plus one 0xFF byte
  size_t pos_ = 1;
  size_t size_ = 0;
  uint8_t mode_ = 0;  // 0 literal, 1 run
  uint8_t full_ = 0;  // the count now being consumed came from a 0xFF byte
  uint8_t count_ = 0;
  uint8_t value_ = 0;
  bool overflowed_ = false;
};

}  // namespace qor
