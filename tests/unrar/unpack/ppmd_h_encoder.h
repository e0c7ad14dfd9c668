// The coder side of the PPMd model, for tests only: it codes symbols with
// the same model the decoder uses, so that streams of any order, memory
// size and length can be made, including ones that fill the memory many
// times over.
#pragma once

#include <cstdint>
#include <string>

#include "unrar/unpack/ppmd_h_model.h"

namespace unpacktest {

class PpmdEncoder {
 public:
  PpmdEncoder(size_t memory, int order) {
    ok_ = m_.mem.Reserve(memory, size_t{1} << 30);
    if (ok_) m_.Start(order);
    ok_ = ok_ && m_.ready;
  }

  // False when the model cannot code the symbol (it never should).
  bool Put(uint8_t c) {
    if (!ok_) return false;
    const uint32_t before = m_.mem.text();
    uint32_t ctx = m_.min_ctx;
    if (m_.NumStats(ctx) != 1) {
      uint32_t p = m_.Stats(ctx);
      const uint32_t scale = m_.SummFreq(ctx);
      if (m_.Symbol(p) == c) {
        Code(0, m_.Freq(p), scale);
        m_.HitFirst(ctx, p, scale);
      } else {
        uint32_t lo = m_.Freq(p);
        bool found = false;
        for (uint32_t i = m_.NumStats(ctx) - 1; i && !found; i--) {
          p += rar::unpack::ppmd::kStateSize;
          if (m_.Symbol(p) == c) {
            Code(lo, lo + m_.Freq(p), scale);
            m_.HitOther(ctx, p);
            found = true;
          }
          lo += m_.Freq(p);
        }
        if (!found) {
          Code(lo, scale, scale);
          m_.EscapeAll(ctx);
        }
      }
    } else {
      uint16_t* bs;
      if (!m_.BinProb(ctx, bs)) return ok_ = false;
      if (m_.Symbol(m_.OneState(ctx)) == c) {
        CodeShift(0, *bs);
        m_.BinHit(ctx, *bs);
      } else {
        CodeShift(*bs, rar::unpack::ppmd::kBinScale);
        m_.BinMiss(ctx, *bs);
      }
    }
    while (!m_.found_state) {
      Normalize();
      if (!m_.NextContext()) return ok_ = false;
      ctx = m_.min_ctx;
      const int diff = static_cast<int>(m_.NumStats(ctx)) - m_.num_masked;
      uint32_t scale;
      rar::unpack::ppmd::See2* see = m_.EscFreq2(ctx, diff, scale);
      uint32_t last = 0;
      const uint32_t hi = see ? m_.Unmasked(ctx, diff, last) : 0;
      if (!hi) return ok_ = false;
      scale += hi;
      uint32_t lo = 0, p = m_.Stats(ctx);
      for (; p <= last; p += rar::unpack::ppmd::kStateSize) {
        if (!m_.Open(p)) continue;
        if (m_.Symbol(p) == c) break;
        lo += m_.Freq(p);
      }
      if (p <= last) {
        Code(lo, lo + m_.Freq(p), scale);
        m_.Hit2(ctx, p, see);
      } else {
        Code(hi, scale, scale);
        m_.Escape2(ctx, last, see, scale);
      }
    }
    if (!m_.AfterSymbol() || m_.broken) return ok_ = false;
    if (m_.mem.text() == rar::unpack::ppmd::Memory::kHeapStart && before > m_.mem.text() + 1) restarts_++;
    Normalize();
    return ok_;
  }

  // Ends the coded stream (the model goes on for the next one).
  std::string Flush() {
    for (int i = 0; i < 4; i++) {
      out_.push_back(static_cast<char>(low_ >> 24));
      low_ <<= 8;
    }
    low_ = 0;
    range_ = 0xFFFFFFFFu;
    std::string r;
    r.swap(out_);
    return r;
  }

  bool ok() const { return ok_; }
  // How often the memory ran out and the model started over.
  int restarts() const { return restarts_; }

 private:
  void Code(uint32_t lo, uint32_t hi, uint32_t scale) {
    range_ /= scale;
    low_ += range_ * lo;
    range_ *= hi - lo;
  }
  void CodeShift(uint32_t lo, uint32_t hi) {
    range_ >>= rar::unpack::ppmd::kTotBits;
    low_ += range_ * lo;
    range_ *= hi - lo;
  }
  void Normalize() {
    constexpr uint32_t kTop = 1u << 24, kBot = 1u << 15;
    for (;;) {
      if ((low_ ^ (low_ + range_)) >= kTop) {
        if (range_ >= kBot) return;
        range_ = (0u - low_) & (kBot - 1);
        if (range_ == 0) {
          ok_ = false;
          return;
        }
      }
      out_.push_back(static_cast<char>(low_ >> 24));
      range_ <<= 8;
      low_ <<= 8;
    }
  }

  rar::unpack::ppmd::Model m_;
  bool ok_ = false;
  int restarts_ = 0;
  uint32_t low_ = 0, range_ = 0xFFFFFFFFu;
  std::string out_;
};

}  // namespace unpacktest
