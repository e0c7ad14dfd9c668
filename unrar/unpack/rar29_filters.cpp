#include "unrar/unpack/rar29_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "unrar/crc32.h"

namespace rar::unpack::rar29 {

namespace {

// MSB-first bits of a filter record; zeros after its end.
class RecordBits {
 public:
  RecordBits(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint32_t Peek16() const {
    const size_t byte = pos_ >> 3;
    uint32_t v = 0;
    for (size_t i = 0; i < 3; ++i) v = (v << 8) | (byte + i < size_ ? data_[byte + i] : 0);
    return (v >> (8 - (pos_ & 7))) & 0xFFFF;
  }
  void Skip(unsigned bits) { pos_ += bits; }
  uint32_t Get(unsigned bits) {
    const uint32_t v = Peek16() >> (16 - bits);
    Skip(bits);
    return v;
  }
  size_t BytePos() const { return pos_ >> 3; }
  bool Past(size_t bytes) const { return (pos_ + 7) / 8 > bytes; }

  // The records' variable-length numbers: 4, 8 (or a small negative), 16 or 32 bits.
  uint32_t Number() {
    uint32_t v = Peek16();
    switch (v & 0xC000) {
      case 0:
        Skip(6);
        return (v >> 10) & 0xF;
      case 0x4000:
        if ((v & 0x3C00) == 0) {
          Skip(14);
          return 0xFFFFFF00u | ((v >> 2) & 0xFF);
        }
        Skip(10);
        return (v >> 6) & 0xFF;
      case 0x8000:
        Skip(2);
        return Get(16);
      default:
        Skip(2);
        v = Get(16) << 16;
        return v | Get(16);
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

uint32_t Load32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
void Store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// x86 call (and jump) targets were made absolute by the packer; back to relative.
void E8(uint8_t* data, uint32_t size, uint32_t file_offset, bool e9) {
  if (size < 5) return;
  constexpr uint32_t kRange = 0x1000000;
  for (uint32_t i = 0; i < size - 4;) {
    const uint8_t b = data[i++];
    if (b != 0xE8 && !(e9 && b == 0xE9)) continue;
    const uint32_t offset = i + file_offset;
    const uint32_t addr = Load32(data + i);
    if (addr & 0x80000000u) {
      if (((addr + offset) & 0x80000000u) == 0) Store32(data + i, addr + kRange);
    } else if ((addr - kRange) & 0x80000000u) {
      Store32(data + i, addr - offset);
    }
    i += 4;
  }
}

uint32_t BundleBits(const uint8_t* p, uint32_t pos, uint32_t count) {
  const uint32_t v = Load32(p + pos / 8) >> (pos & 7);
  return v & (0xFFFFFFFFu >> (32 - count));
}

void SetBundleBits(uint8_t* p, uint32_t value, uint32_t pos, uint32_t count) {
  uint8_t* q = p + pos / 8;
  const uint32_t shift = pos & 7;
  const uint32_t mask = ~((0xFFFFFFFFu >> (32 - count)) << shift);
  Store32(q, (Load32(q) & mask) | (value << shift));
}

// Branch targets in 16-byte instruction bundles, made absolute by the packer.
void Itanium(uint8_t* data, uint32_t size, uint32_t file_offset) {
  if (size < 21) return;
  static const uint8_t kSlots[16] = {4, 4, 6, 6, 0, 0, 7, 7, 4, 4, 0, 0, 4, 4, 0, 0};
  uint32_t bundle = file_offset >> 4;
  for (uint32_t pos = 0; pos < size - 21; pos += 16, ++bundle) {
    uint8_t* b = data + pos;
    const int templ = (b[0] & 0x1F) - 0x10;
    if (templ < 0) continue;
    const uint8_t slots = kSlots[templ];
    for (uint32_t slot = 0; slot < 3; ++slot) {
      if (!(slots & (1u << slot))) continue;
      const uint32_t bit = slot * 41 + 5;
      if (BundleBits(b, bit + 37, 4) != 5) continue;
      const uint32_t target = BundleBits(b, bit + 13, 20);
      SetBundleBits(b, (target - bundle) & 0xFFFFF, bit + 13, 20);
    }
  }
}

// Channels stored one after another as byte differences; interleaved back.
bool Delta(const uint8_t* src, uint8_t* out, uint32_t size, uint32_t channels) {
  if (size > kFilterMemory / 2 || channels == 0 || channels > 1024) return false;
  for (uint32_t ch = 0; ch < channels; ++ch) {
    uint8_t prev = 0;
    for (uint32_t dst = ch; dst < size; dst += channels) out[dst] = prev = static_cast<uint8_t>(prev - *src++);
  }
  return true;
}

// Pixels of 3 bytes predicted from their left, upper and upper-left
// neighbours, with green subtracted from red and blue.
bool Rgb(const uint8_t* src, uint8_t* out, uint32_t size, uint32_t stride, uint32_t red) {
  const uint32_t width = stride - 3;
  if (size > kFilterMemory / 2 || size < 3 || width > size || red > 2) return false;
  for (uint32_t ch = 0; ch < 3; ++ch) {
    uint32_t prev = 0;
    for (uint32_t i = ch; i < size; i += 3) {
      uint32_t predicted = prev;
      if (i >= width + 3) {
        const uint32_t up = out[i - width];
        const uint32_t up_left = out[i - width - 3];
        const uint32_t guess = prev + up - up_left;
        const int pa = std::abs(static_cast<int>(guess - prev));
        const int pb = std::abs(static_cast<int>(guess - up));
        const int pc = std::abs(static_cast<int>(guess - up_left));
        predicted = (pa <= pb && pa <= pc) ? prev : (pb <= pc ? up : up_left);
      }
      prev = static_cast<uint8_t>(predicted - *src++);
      out[i] = static_cast<uint8_t>(prev);
    }
  }
  for (uint32_t i = red; i + 2 < size; i += 3) {
    const uint8_t g = out[i + 1];
    out[i] = static_cast<uint8_t>(out[i] + g);
    out[i + 2] = static_cast<uint8_t>(out[i + 2] + g);
  }
  return true;
}

// One channel of sound samples, predicted by an adaptive linear filter.
struct AudioChannel {
  uint32_t prev_byte = 0;
  int prev_delta = 0, d1 = 0, d2 = 0, d3 = 0;
  int k1 = 0, k2 = 0, k3 = 0;
  uint32_t count = 0;
  uint32_t dif[7] = {};

  uint8_t Step(uint32_t cur) {
    d3 = d2;
    d2 = prev_delta - d1;
    d1 = prev_delta;
    uint32_t predicted = 8 * prev_byte + static_cast<uint32_t>(k1 * d1 + k2 * d2 + k3 * d3);
    predicted = ((predicted >> 3) - cur) & 0xFF;
    prev_delta = static_cast<int8_t>(static_cast<uint8_t>(predicted - prev_byte));
    prev_byte = predicted;

    const int d = static_cast<int8_t>(cur) * 8;
    dif[0] += std::abs(d);
    dif[1] += std::abs(d - d1);
    dif[2] += std::abs(d + d1);
    dif[3] += std::abs(d - d2);
    dif[4] += std::abs(d + d2);
    dif[5] += std::abs(d - d3);
    dif[6] += std::abs(d + d3);
    if ((count++ & 0x1F) == 0) Adapt();
    return static_cast<uint8_t>(predicted);
  }

  // Every 32 samples the weight whose change would have erred least moves.
  void Adapt() {
    uint32_t min = dif[0], best = 0;
    dif[0] = 0;
    for (uint32_t j = 1; j < 7; ++j) {
      if (dif[j] < min) {
        min = dif[j];
        best = j;
      }
      dif[j] = 0;
    }
    switch (best) {
      case 1: if (k1 >= -16) --k1; break;
      case 2: if (k1 < 16) ++k1; break;
      case 3: if (k2 >= -16) --k2; break;
      case 4: if (k2 < 16) ++k2; break;
      case 5: if (k3 >= -16) --k3; break;
      case 6: if (k3 < 16) ++k3; break;
      default: break;
    }
  }
};

// Each channel's bytes are stored in a row; the output interleaves them.
// Channels go two at a time, so that their independent chains overlap.
bool Audio(const uint8_t* src, uint8_t* out, uint32_t size, uint32_t channels) {
  if (size > kFilterMemory / 2 || channels == 0 || channels > 128) return false;
  auto stored = [&](uint32_t ch) { return ch < size ? (size - ch + channels - 1) / channels : 0; };
  uint32_t ch = 0;
  for (; ch + 1 < channels; ch += 2) {
    AudioChannel a, b;
    const uint8_t* sa = src;
    const uint8_t* sb = src + stored(ch);
    src = sb + stored(ch + 1);
    uint32_t i = ch;
    for (; i + 1 < size; i += channels) {
      out[i] = a.Step(*sa++);
      out[i + 1] = b.Step(*sb++);
    }
    if (i < size) out[i] = a.Step(*sa);
  }
  if (ch < channels) {
    AudioChannel a;
    for (uint32_t i = ch; i < size; i += channels) out[i] = a.Step(*src++);
  }
  return true;
}

}  // namespace

bool IdentifyFilter(const uint8_t* code, size_t size, FilterKind* kind) {
  struct Known {
    size_t size;
    uint32_t crc;
    FilterKind kind;
  };
  static const Known kKnown[] = {
      {53, 0xAD576887u, FilterKind::kE8},     {57, 0x3CD7E57Eu, FilterKind::kE8E9},
      {120, 0x3769893Fu, FilterKind::kItanium}, {29, 0x0E06077Du, FilterKind::kDelta},
      {149, 0x1C2C5DC8u, FilterKind::kRgb},   {216, 0xBC85E701u, FilterKind::kAudio},
  };
  if (size == 0) return false;
  const uint32_t crc = rar::Crc32(0, code, size);
  for (const Known& k : kKnown) {
    if (k.size == size && k.crc == crc) {
      *kind = k.kind;
      return true;
    }
  }
  return false;
}

const uint8_t* RunFilter(FilterKind kind, const uint8_t* data, uint32_t length, const uint32_t regs[7],
                         uint64_t file_offset, uint8_t* mem) {
  if (length > kFilterMemory || regs[4] != length) return nullptr;
  const uint32_t offset32 = static_cast<uint32_t>(file_offset);
  // The transforms in place work on a copy; the others write beside their input.
  uint8_t* const beside = data == mem ? mem + length : mem;
  switch (kind) {
    case FilterKind::kE8:
    case FilterKind::kE8E9:
    case FilterKind::kItanium:
      if (data != mem && length != 0) std::memmove(mem, data, length);
      if (kind == FilterKind::kItanium) {
        Itanium(mem, length, offset32);
      } else {
        E8(mem, length, offset32, kind == FilterKind::kE8E9);
      }
      return mem;
    case FilterKind::kDelta:
      return Delta(data, beside, length, regs[0]) ? beside : nullptr;
    case FilterKind::kRgb:
      return Rgb(data, beside, length, regs[0], regs[1]) ? beside : nullptr;
    case FilterKind::kAudio:
      return Audio(data, beside, length, regs[0]) ? beside : nullptr;
  }
  return nullptr;
}

void FilterSet::Reset() {
  defined_.clear();
  pending_.clear();
  last_ = 0;
}

void FilterSet::Compact() {
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [](const PendingFilter& f) { return f.done; }),
                 pending_.end());
}

bool FilterSet::Add(unsigned first_byte, const uint8_t* body, size_t size, uint64_t pos) {
  RecordBits bits(body, size);
  size_t number = last_;
  if (first_byte & 0x80) {
    const uint32_t n = bits.Number();
    // Number 0 starts the table of programs afresh.
    if (n == 0) {
      Reset();
      number = 0;
    } else {
      number = n - 1;
    }
  }
  if (number > defined_.size() || number > kMaxDefined) return false;
  if (pending_.size() >= kMaxPending) return false;
  last_ = number;
  const bool is_new = number == defined_.size();

  PendingFilter f{};
  uint32_t offset = bits.Number();
  if (first_byte & 0x40) offset += 258;
  f.start = pos + offset;
  if (first_byte & 0x20) {
    f.length = bits.Number();
  } else {
    f.length = is_new ? 0 : defined_[number].last_length;
  }
  f.regs[4] = f.length;
  if (first_byte & 0x10) {
    const uint32_t mask = bits.Get(7);
    for (unsigned i = 0; i < 7; ++i)
      if (mask & (1u << i)) f.regs[i] = bits.Number();
  }

  if (is_new) {
    const uint32_t code_size = bits.Number();
    if (code_size == 0 || code_size >= 0x10000 || bits.BytePos() + code_size > size) return false;
    std::vector<uint8_t> code(code_size);
    for (auto& c : code) c = static_cast<uint8_t>(bits.Get(8));
    uint8_t check = 0;
    for (size_t i = 1; i < code.size(); ++i) check ^= code[i];
    FilterKind kind;
    if (check != code[0] || !IdentifyFilter(code.data(), code.size(), &kind)) return false;
    defined_.push_back({kind, 0});
  }
  f.kind = defined_[number].kind;
  if (first_byte & 0x20) defined_[number].last_length = f.length;

  if (first_byte & 0x08) {
    // Data for the program's global memory: the native filters need none.
    const uint32_t data_size = bits.Number();
    if (data_size > 0x2000 - 0x40) return false;
    bits.Skip(8 * data_size);
  }
  if (bits.Past(size)) return false;
  pending_.push_back(f);
  return true;
}

}  // namespace rar::unpack::rar29
