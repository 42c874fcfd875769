// The .arl run-length codec.
#include "image/arl.h"

namespace qor {

void UArlWriter::Open() {
  out_.clear();
  literal_.clear();
  last_ = 300;
  mode_ = 0;
  count_ = 0;
  any_ = false;
}

void UArlWriter::WriteLiteralBlock() {
  size_t n = literal_.size();
  const uint8_t* p = literal_.data();
  while (n >= 255) {
    out_.push_back(0xFF);
    out_.insert(out_.end(), p, p + 255);
    p += 255;
    n -= 255;
  }
  out_.push_back(uint8_t(n));
  out_.insert(out_.end(), p, p + n);
  literal_.clear();
}

void UArlWriter::WriteRunBlock(int count) {
  while (count >= 255) {
    out_.push_back(0xFF);
    count -= 255;
  }
  out_.push_back(uint8_t(count));
}

void UArlWriter::Put(uint8_t b) {
  any_ = true;
  if (mode_ == 0) {
    if (b != last_) {
      last_ = b;
      literal_.push_back(b);
    } else {
      // The buffer's last byte is the first instance of b; the rest are repeats.
      WriteLiteralBlock();
      count_ = 1;
      mode_ = 1;
    }
  } else if (b == last_) {
    ++count_;
  } else {
    WriteRunBlock(count_);
    last_ = b;
    literal_.push_back(b);
    mode_ = 0;
  }
}

std::vector<uint8_t> UArlWriter::Finish() {
  if (any_) {
    // One phantom byte past the end, so that producing the last real byte
    // never needs a count byte beyond the stream.
    if (mode_ == 0) {
      literal_.push_back(uint8_t(literal_.back() - 1));
      WriteLiteralBlock();
    } else {
      WriteRunBlock(count_ + 1);
    }
  }
  std::vector<uint8_t> done;
  done.swap(out_);
  Open();
  return done;
}

std::vector<uint8_t> ArlEncode(const uint8_t* data, size_t size) {
  UArlWriter w;
  for (size_t i = 0; i < size; ++i) w.Put(data[i]);
  return w.Finish();
}

bool UArlReader::Open(FILE* stream, size_t size) {
  data_.assign(size + 1, 0);
  size_t got = fread(data_.data(), 1, size, stream);
  data_.resize(got + 1);
  size_ = got;
  Start();
  return got == size;
}

void UArlReader::Open(const uint8_t* data, size_t size) {
  data_.assign(data, data + size);
  size_ = size;
  data_.push_back(0);
  Start();
}

void UArlReader::Start() {
  data_[size_] = 0xFF;
  mode_ = 0;
  count_ = data_[0];
  full_ = data_[0] == 0xFF;
  value_ = 0;
  pos_ = 1;
  overflowed_ = false;
}

void UArlReader::Close() {
  data_.clear();
  data_.shrink_to_fit();
  size_ = 0;
}

bool UArlReader::Take(uint8_t* b) {
  if (pos_ > size_) {  // nothing left, not even the 0xFF pad
    *b = 0xFF;
  } else {
    *b = data_[pos_];
  }
  ++pos_;
  if (pos_ <= size_) return true;
  overflowed_ = true;
  return false;
}

uint8_t UArlReader::Next() {
  if (overflowed_ || data_.empty()) {
    overflowed_ = true;
    return 0;
  }
  uint8_t c;
  if (mode_ == 0) {
    --count_;
    if (!Take(&value_)) return 0;
    if (count_ != 0) return value_;
    if (!Take(&c)) return 0;
    count_ = c;
    if (!full_) mode_ = 1;
    if (c == 0) {
      if (!Take(&count_)) return 0;
      mode_ = 1;
    }
  } else {
    --count_;
    if (count_ != 0) return value_;
    if (!Take(&c)) return 0;
    count_ = c;
    if (!full_) mode_ = 0;
    if (c == 0) {
      if (!Take(&count_)) return 0;
      mode_ = 0;
    }
  }
  full_ = count_ == 0xFF;
  return value_;
}

}  // namespace qor
