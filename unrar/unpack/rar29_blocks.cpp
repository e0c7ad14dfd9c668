// The parts of the stream that are not symbols of output: the tables of an
// LZ block, the header of a model block and the filter records.
#include <vector>

#include "unrar/rar_codes.h"
#include "unrar/unpack/rar29_decoder.h"

namespace rar::unpack::rar29 {

int Rar29Decoder::ReadTables() {
  bits_.AlignToByte();
  if (!bits_.Ensure()) return kBadData;
  const uint32_t head = bits_.Peek16();
  if (head & 0x8000) return StartModelBlock();

  model_block_ = false;
  prev_low_dist_ = 0;
  low_dist_repeat_ = 0;
  // Without the keep bit the lengths are not differences from the last ones.
  if (!(head & 0x4000)) std::fill(std::begin(old_lengths_), std::end(old_lengths_), uint8_t{0});
  bits_.Skip(2);

  // The lengths of the code that codes the lengths: 4 bits each, where 15
  // is followed by a count of zeros (0 meaning the length 15 itself).
  uint8_t pre[20];
  for (unsigned i = 0; i < 20;) {
    const uint8_t len = static_cast<uint8_t>(bits_.Get(4));
    if (len == 15) {
      unsigned zeros = bits_.Get(4);
      if (zeros != 0) {
        for (zeros += 2; zeros > 0 && i < 20; --zeros) pre[i++] = 0;
        continue;
      }
    }
    pre[i++] = len;
  }
  HuffTable pre_code;
  if (!bits_.Ensure() || !pre_code.Build(pre, 20)) return kBadData;

  uint8_t table[kTableSize];
  for (unsigned i = 0; i < kTableSize;) {
    if (!bits_.Ensure()) return kBadData;
    const int n = pre_code.Decode(bits_);
    if (n < 0) return kBadData;
    if (n < 16) {
      table[i] = static_cast<uint8_t>((n + old_lengths_[i]) & 15);
      ++i;
      continue;
    }
    // 16, 17: repeat the last length; 18, 19: zeros.
    unsigned count = (n & 1) == 0 ? bits_.Get(3) + 3 : bits_.Get(7) + 11;
    if (n < 18) {
      if (i == 0) return kBadData;
      for (; count > 0 && i < kTableSize; --count, ++i) table[i] = table[i - 1];
    } else {
      for (; count > 0 && i < kTableSize; --count) table[i++] = 0;
    }
  }
  if (!bits_.Ensure()) return kBadData;
  if (!main_.Build(table, 299) || !dist_.Build(table + 299, 60) || !low_dist_.Build(table + 359, 17) ||
      !repeat_.Build(table + 376, 28))
    return kBadData;
  std::copy(table, table + kTableSize, old_lengths_);
  tables_read_ = true;
  return kSuccess;
}

// The flags byte (its top bit is the model bit that brought us here): the
// order, whether the model restarts with new memory, whether a new escape
// byte follows.
int Rar29Decoder::StartModelBlock() {
  const int flags = bits_.GetByte();
  if (flags < 0) return kBadData;
  const bool restart = (flags & 0x20) != 0;
  int megabytes = 0;
  if (restart) {
    megabytes = bits_.GetByte();
    if (megabytes < 0) return kBadData;
  } else if (!model_ready_) {
    return kBadData;
  }
  if (flags & 0x40) {
    const int escape = bits_.GetByte();
    if (escape < 0) return kBadData;
    escape_ = escape;
  }
  if (restart) {
    int order = (flags & 0x1F) + 1;
    if (order > 16) order = 16 + (order - 16) * 3;
    model_ready_ = false;
    if (order == 1) return kBadData;
    if (!model_.Allocate((static_cast<size_t>(megabytes) + 1) << 20)) return kNoMemory;
    model_.Restart(order);
    model_ready_ = true;
  }
  if (!model_.StartDecoder(&model_in_)) return kBadData;
  model_block_ = true;
  return kSuccess;
}

// A filter record in an LZ block: the first byte, a length (1..6 from it, or
// one or two more bytes), then the record.
int Rar29Decoder::ReadFilterLz() {
  if (!bits_.Ensure()) return kBadData;
  const unsigned first = bits_.Get(8);
  unsigned size = (first & 7) + 1;
  if (size == 7) {
    size = bits_.Get(8) + 7;
  } else if (size == 8) {
    size = bits_.Get(16);
  }
  if (size == 0) return kBadData;
  std::vector<uint8_t> body(size);
  for (auto& b : body) {
    if (!bits_.Ensure()) return kBadData;
    b = static_cast<uint8_t>(bits_.Get(8));
  }
  if (!bits_.Ensure()) return kBadData;
  return AddFilter(first, body.data(), body.size());
}

// The same record as model symbols.
int Rar29Decoder::ReadFilterModel() {
  const int first = model_.DecodeSymbol();
  if (first < 0) return kBadData;
  unsigned size = (first & 7) + 1;
  if (size == 7) {
    const int b = model_.DecodeSymbol();
    if (b < 0) return kBadData;
    size = static_cast<unsigned>(b) + 7;
  } else if (size == 8) {
    const int hi = model_.DecodeSymbol();
    const int lo = hi < 0 ? -1 : model_.DecodeSymbol();
    if (lo < 0) return kBadData;
    size = static_cast<unsigned>(hi) * 256 + static_cast<unsigned>(lo);
  }
  if (size == 0) return kBadData;
  std::vector<uint8_t> body(size);
  for (auto& b : body) {
    const int c = model_.DecodeSymbol();
    if (c < 0 || model_in_.overrun()) return kBadData;
    b = static_cast<uint8_t>(c);
  }
  return AddFilter(static_cast<unsigned>(first), body.data(), body.size());
}

int Rar29Decoder::AddFilter(unsigned first_byte, const uint8_t* body, size_t size) {
  // Blocks already written make room; a stream that keeps more waiting is
  // not one an archiver wrote.
  if (filters_.pending().size() >= FilterSet::kMaxPending) {
    if (const int r = Flush(); r != kSuccess) return r;
  }
  if (!filters_.Add(first_byte, body, size, pos_)) return kBadData;
  SetLimit();
  return kSuccess;
}

}  // namespace rar::unpack::rar29
