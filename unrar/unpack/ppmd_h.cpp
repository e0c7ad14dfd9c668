#include "unrar/unpack/ppmd_h.h"

#include <cstdint>
#include <cstring>

#include "unrar/unpack/decoder.h"
#include "unrar/unpack/ppmd_h_memory.h"

namespace rar::unpack {

namespace {

using ppmd::Load16;
using ppmd::Load32;
using ppmd::Store16;
using ppmd::Store32;

constexpr uint32_t kTop = 1u << 24;
constexpr uint32_t kBot = 1u << 15;

constexpr int kIntBits = 7;
constexpr int kPeriodBits = 7;
constexpr int kTotBits = kIntBits + kPeriodBits;
constexpr int kInterval = 1 << kIntBits;
constexpr int kBinScale = 1 << kTotBits;
constexpr int kMaxFreq = 124;
// Deepest chain of contexts a model of the largest order can build.
constexpr int kMaxDepth = 256;

constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};
constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};

// Layouts inside the arena. A context: number of symbols (2 bytes), then
// either the sum of frequencies (2) and the offset of its states (4), or
// its only state in place (6); then the offset of its suffix (4). A state:
// symbol, frequency, offset of its successor (a context, or a place in the
// text area before one is made).
constexpr uint32_t kStateSize = 6;

// Adaptive escape estimate for contexts whose own counts say little.
struct See2 {
  uint16_t summ = 0;
  uint8_t shift = 0;
  uint8_t count = 0;
  void Init(int value) {
    shift = kPeriodBits - 4;
    summ = static_cast<uint16_t>(value << shift);
    count = 4;
  }
  uint32_t Mean() {
    const uint32_t r = static_cast<uint32_t>(summ >> shift);
    summ = static_cast<uint16_t>(summ - r);
    return r + (r == 0);
  }
  void Update() {
    if (shift < kPeriodBits && --count == 0) {
      summ = static_cast<uint16_t>(summ * 2);
      count = static_cast<uint8_t>(3 << shift++);
    }
  }
};

struct StateVal {
  uint8_t symbol;
  uint8_t freq;
  uint32_t successor;
};

}  // namespace

struct PpmdH::Model {
  ppmd::Memory mem;
  uint8_t* b = nullptr;  // mem.base(), kept at hand

  // Range decoder.
  ByteIn* in = nullptr;
  uint32_t low = 0, code = 0, range = 0;
  uint32_t low_count = 0, high_count = 0, scale = 0;
  // Bytes asked for after the input ended; each read as 0.
  int missing = 0;

  // Model.
  bool ready = false;  // restarted since the memory was (re)made
  bool broken = false;  // a damaged model was met: nothing more decodes
  uint32_t min_ctx = 0, max_ctx = 0, found_state = 0;
  int num_masked = 0, init_esc = 0, order_fall = 0, max_order = 0, run_length = 0, init_rl = 0;
  uint8_t esc_count = 0, prev_success = 0, hi_bits_flag = 0;
  See2 see2[25][16];
  See2 dummy_see2;
  uint8_t char_mask[256] = {};
  uint8_t ns2indx[256] = {};
  uint8_t ns2bsindx[256] = {};
  uint8_t hb2flag[256] = {};
  uint16_t bin_summ[128][64] = {};

  // Field access by offset.
  uint32_t NumStats(uint32_t c) const { return Load16(b + c); }
  void SetNumStats(uint32_t c, uint32_t v) { Store16(b + c, v); }
  uint32_t SummFreq(uint32_t c) const { return Load16(b + c + 2); }
  void SetSummFreq(uint32_t c, uint32_t v) { Store16(b + c + 2, v); }
  uint32_t Stats(uint32_t c) const { return Load32(b + c + 4); }
  void SetStats(uint32_t c, uint32_t v) { Store32(b + c + 4, v); }
  uint32_t Suffix(uint32_t c) const { return Load32(b + c + 8); }
  void SetSuffix(uint32_t c, uint32_t v) { Store32(b + c + 8, v); }
  static uint32_t OneState(uint32_t c) { return c + 2; }
  // The number of symbols of a context's suffix (that of no context reads
  // as 0); false when the suffix lies outside the arena.
  bool SuffixStates(uint32_t c, uint32_t& ns) const {
    const uint32_t s = Suffix(c);
    if (s > mem.heap_end()) return false;
    ns = NumStats(s);
    return true;
  }

  uint8_t Symbol(uint32_t s) const { return b[s]; }
  uint8_t Freq(uint32_t s) const { return b[s + 1]; }
  void SetFreq(uint32_t s, uint32_t v) { b[s + 1] = static_cast<uint8_t>(v); }
  uint32_t Successor(uint32_t s) const { return Load32(b + s + 2); }
  void SetSuccessor(uint32_t s, uint32_t v) { Store32(b + s + 2, v); }
  StateVal Get(uint32_t s) const { return {b[s], b[s + 1], Load32(b + s + 2)}; }
  void Put(uint32_t s, const StateVal& v) {
    b[s] = v.symbol;
    b[s + 1] = v.freq;
    Store32(b + s + 2, v.successor);
  }
  void Swap(uint32_t s, uint32_t t) {
    uint8_t tmp[kStateSize];
    std::memcpy(tmp, b + s, kStateSize);
    std::memcpy(b + s, b + t, kStateSize);
    std::memcpy(b + t, tmp, kStateSize);
  }

  // A context offset that can be read: in the unit area, not the text.
  bool IsContext(uint32_t c) const { return c > mem.text() && c <= mem.heap_end(); }
  // A context with states: their count in 2..256 and their array inside.
  bool HasStates(uint32_t c) const {
    const uint32_t ns = NumStats(c), st = Stats(c);
    return ns >= 2 && ns <= 256 && st > mem.text() && st <= mem.heap_end();
  }

  // ---- range decoder ----
  int NextByte() {
    const int c = in->Get();
    if (c >= 0) return c;
    missing++;
    return 0;
  }
  bool StartCoder(ByteIn* src) {
    in = src;
    missing = 0;
    low = code = 0;
    range = 0xFFFFFFFFu;
    for (int i = 0; i < 4; i++) {
      const int c = src->Get();
      if (c < 0) return false;
      code = code << 8 | static_cast<uint32_t>(c);
    }
    return true;
  }
  // False on a count past the end of the interval (or a range that has
  // shrunk to nothing), which only damaged input gives.
  bool CurrentCount(uint32_t& count) {
    if (scale == 0) return false;
    range /= scale;
    if (range == 0) return false;
    count = (code - low) / range;
    return count < scale;
  }
  uint32_t CurrentShiftCount(int shift) {
    range >>= shift;
    return (code - low) / range;
  }
  void Decode() {
    low += range * low_count;
    range *= high_count - low_count;
  }
  // Carry-less: when the top byte is not settled and the range is small,
  // the range is cut to the next boundary below.
  bool Normalize() {
    for (;;) {
      if ((low ^ (low + range)) >= kTop) {
        if (range >= kBot) return true;
        range = (0u - low) & (kBot - 1);
        if (range == 0) return false;
      }
      code = code << 8 | static_cast<uint32_t>(NextByte());
      range <<= 8;
      low <<= 8;
    }
  }

  // ---- model ----
  void ClearMask() {
    esc_count = 1;
    std::memset(char_mask, 0, sizeof char_mask);
  }

  bool RestartModel() {
    std::memset(char_mask, 0, sizeof char_mask);
    mem.Init();
    init_rl = -(max_order < 12 ? max_order : 12) - 1;
    min_ctx = max_ctx = mem.AllocContext();
    if (!min_ctx) return false;
    SetSuffix(min_ctx, 0);
    order_fall = max_order;
    SetNumStats(min_ctx, 256);
    SetSummFreq(min_ctx, 257);
    found_state = mem.AllocUnits(256 / 2);
    if (!found_state) return false;
    SetStats(min_ctx, found_state);
    for (uint32_t i = 0; i < 256; i++) Put(found_state + i * kStateSize, {static_cast<uint8_t>(i), 1, 0});
    run_length = init_rl;
    prev_success = 0;
    for (int i = 0; i < 128; i++)
      for (int k = 0; k < 8; k++)
        for (int m = 0; m < 64; m += 8) bin_summ[i][k + m] = static_cast<uint16_t>(kBinScale - kInitBinEsc[k] / (i + 2));
    for (int i = 0; i < 25; i++)
      for (int k = 0; k < 16; k++) see2[i][k].Init(5 * i + 10);
    return true;
  }

  void StartModel(int order) {
    esc_count = 1;
    max_order = order;
    b = mem.base();
    broken = false;
    ready = RestartModel();
    ns2bsindx[0] = 2 * 0;
    ns2bsindx[1] = 2 * 1;
    std::memset(ns2bsindx + 2, 2 * 2, 9);
    std::memset(ns2bsindx + 11, 2 * 3, 256 - 11);
    int i = 0;
    for (; i < 3; i++) ns2indx[i] = static_cast<uint8_t>(i);
    for (int m = i, k = 1, step = 1; i < 256; i++) {
      ns2indx[i] = static_cast<uint8_t>(m);
      if (!--k) {
        k = ++step;
        m++;
      }
    }
    std::memset(hb2flag, 0, 0x40);
    std::memset(hb2flag + 0x40, 0x08, 0x100 - 0x40);
    dummy_see2.shift = kPeriodBits;
  }

  // Puts the found state first, halves every count (dropping states that
  // reach zero when the context is at the full order) and shrinks the
  // escape estimate with them.
  void Rescale(uint32_t ctx) {
    const uint32_t stats = Stats(ctx);
    const int old_ns = static_cast<int>(NumStats(ctx));
    int i = old_ns - 1;
    uint32_t p = found_state;
    for (; p != stats; p -= kStateSize) Swap(p, p - kStateSize);
    SetFreq(stats, Freq(stats) + 4);
    SetSummFreq(ctx, SummFreq(ctx) + 4);
    int esc_freq = static_cast<int>(SummFreq(ctx)) - Freq(p);
    const int adder = order_fall != 0;
    SetFreq(p, (Freq(p) + adder) >> 1);
    uint32_t summ = Freq(p);
    do {
      p += kStateSize;
      esc_freq -= Freq(p);
      SetFreq(p, (Freq(p) + adder) >> 1);
      summ += Freq(p);
      if (Freq(p) > Freq(p - kStateSize)) {
        const StateVal tmp = Get(p);
        uint32_t p1 = p;
        do {
          std::memcpy(b + p1, b + p1 - kStateSize, kStateSize);
          p1 -= kStateSize;
        } while (p1 != stats && tmp.freq > Freq(p1 - kStateSize));
        Put(p1, tmp);
      }
    } while (--i);
    int ns = old_ns;
    if (Freq(p) == 0) {
      do {
        i++;
        p -= kStateSize;
      } while (Freq(p) == 0);
      esc_freq += i;
      ns -= i;
      SetNumStats(ctx, static_cast<uint32_t>(ns));
      if (ns == 1) {
        StateVal tmp = Get(stats);
        do {
          tmp.freq = static_cast<uint8_t>(tmp.freq - (tmp.freq >> 1));
          esc_freq >>= 1;
        } while (esc_freq > 1);
        mem.FreeUnits(stats, (old_ns + 1) >> 1);
        found_state = OneState(ctx);
        Put(found_state, tmp);
        return;
      }
    }
    esc_freq -= esc_freq >> 1;
    SetSummFreq(ctx, summ + static_cast<uint32_t>(esc_freq));
    const int n0 = (old_ns + 1) >> 1, n1 = (ns + 1) >> 1;
    if (n0 != n1) SetStats(ctx, mem.ShrinkUnits(stats, n0, n1));
    found_state = Stats(ctx);
  }

  // Finds the state of `symbol` among the n states at `stats`; 0 when it
  // is not there (a damaged model).
  uint32_t FindState(uint32_t stats, uint32_t n, uint8_t symbol) const {
    const uint32_t end = stats + n * kStateSize;
    for (uint32_t p = stats; p != end; p += kStateSize)
      if (b[p] == symbol) return p;
    return 0;
  }

  // Makes the contexts that the symbol just seen leads to, from the
  // deepest one that already exists down to the present one. 0 when the
  // memory runs out (the model then restarts); sets `broken` when the
  // model is found damaged.
  uint32_t CreateSuccessors(bool skip, uint32_t p1) {
    uint32_t pc = min_ctx;
    const uint32_t up_branch = Successor(found_state);
    const uint8_t fsym = Symbol(found_state);
    uint32_t ps[kMaxDepth + 1];
    int n = 0;
    uint32_t p = 0;
    bool walk = true;
    if (!skip) {
      ps[n++] = found_state;
      if (!Suffix(pc)) walk = false;
    }
    if (walk && p1) {
      p = p1;
      pc = Suffix(pc);
      if (!IsContext(pc)) return Broken();
      if (Successor(p) != up_branch) {
        pc = Successor(p);
        walk = false;
      } else {
        ps[n++] = p;
        walk = Suffix(pc) != 0;
      }
    }
    while (walk) {
      pc = Suffix(pc);
      if (!IsContext(pc)) return Broken();
      if (NumStats(pc) != 1) {
        if (!HasStates(pc)) return Broken();
        p = FindState(Stats(pc), NumStats(pc), fsym);
        if (!p) return Broken();
      } else {
        p = OneState(pc);
      }
      if (Successor(p) != up_branch) {
        pc = Successor(p);
        break;
      }
      if (n >= kMaxDepth) return Broken();
      ps[n++] = p;
      walk = Suffix(pc) != 0;
    }
    if (n == 0) return pc;
    if (up_branch > mem.heap_end() || pc > mem.heap_end()) return Broken();
    StateVal up{b[up_branch], 0, up_branch + 1};
    if (NumStats(pc) != 1) {
      if (pc <= mem.text()) return 0;
      if (!HasStates(pc)) return Broken();
      p = FindState(Stats(pc), NumStats(pc), up.symbol);
      if (!p) return Broken();
      const uint32_t cf = Freq(p) - 1u;
      const uint32_t s0 = SummFreq(pc) - NumStats(pc) - cf;
      uint32_t f;
      if (2 * cf <= s0) {
        f = 5 * cf > s0;
      } else {
        if (s0 == 0) return Broken();
        f = (2 * cf + 3 * s0 - 1) / (2 * s0);
      }
      up.freq = static_cast<uint8_t>(1 + f);
    } else {
      up.freq = Freq(OneState(pc));
    }
    do {
      const uint32_t c = mem.AllocContext();
      if (!c) return 0;
      SetNumStats(c, 1);
      Put(OneState(c), up);
      SetSuffix(c, pc);
      SetSuccessor(ps[--n], c);
      pc = c;
    } while (n);
    return pc;
  }
  uint32_t Broken() {
    broken = true;
    return 0;
  }

  // Teaches the model the symbol at found_state. False when the model is
  // found damaged.
  bool UpdateModel() {
    const StateVal fs0 = Get(found_state);
    StateVal fs = fs0;
    uint32_t p = 0;
    uint32_t pc;
    if (fs.freq < kMaxFreq / 4 && (pc = Suffix(min_ctx)) != 0) {
      if (!IsContext(pc)) return false;
      if (NumStats(pc) != 1) {
        if (!HasStates(pc)) return false;
        p = Stats(pc);
        if (Symbol(p) != fs.symbol) {
          p = FindState(p, NumStats(pc), fs.symbol);
          if (!p) return false;
          if (Freq(p) >= Freq(p - kStateSize)) {
            Swap(p, p - kStateSize);
            p -= kStateSize;
          }
        }
        if (Freq(p) < kMaxFreq - 9) {
          SetFreq(p, Freq(p) + 2);
          SetSummFreq(pc, SummFreq(pc) + 2);
        }
      } else {
        p = OneState(pc);
        SetFreq(p, Freq(p) + (Freq(p) < 32));
      }
    }
    if (!order_fall) {
      min_ctx = max_ctx = CreateSuccessors(true, p);
      SetSuccessor(found_state, min_ctx);
      if (broken) return false;
      if (!min_ctx) return Restart();
      return true;
    }
    uint32_t& text = mem.text();
    b[text++] = fs.symbol;
    uint32_t successor = text;
    if (text >= mem.units_start()) return Restart();
    if (fs.successor) {
      if (fs.successor <= text) {
        fs.successor = CreateSuccessors(false, p);
        if (broken) return false;
        if (!fs.successor) return Restart();
      }
      if (!--order_fall) {
        successor = fs.successor;
        text -= (max_ctx != min_ctx);
      }
    } else {
      SetSuccessor(found_state, successor);
      fs.successor = min_ctx;
    }
    const uint32_t ns = NumStats(min_ctx);
    const uint32_t s0 = SummFreq(min_ctx) - ns - (fs.freq - 1u);
    int steps = 0;
    for (pc = max_ctx; pc != min_ctx; pc = Suffix(pc)) {
      if (!IsContext(pc) || ++steps > kMaxDepth) return false;
      uint32_t ns1 = NumStats(pc);
      if (ns1 != 1) {
        // A context with every symbol cannot have missed this one.
        if (!HasStates(pc) || ns1 == 256) return false;
        if ((ns1 & 1) == 0) {
          const uint32_t st = mem.ExpandUnits(Stats(pc), static_cast<int>(ns1 >> 1));
          if (!st) return Restart();
          SetStats(pc, st);
        }
        const uint32_t sf = SummFreq(pc);
        SetSummFreq(pc, sf + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (sf <= 8 * ns1)));
      } else {
        p = mem.AllocUnits(1);
        if (!p) return Restart();
        std::memcpy(b + p, b + OneState(pc), kStateSize);
        SetStats(pc, p);
        if (Freq(p) < kMaxFreq / 4 - 1)
          SetFreq(p, Freq(p) * 2);
        else
          SetFreq(p, kMaxFreq - 4);
        SetSummFreq(pc, Freq(p) + static_cast<uint32_t>(init_esc) + (ns > 3));
      }
      uint32_t cf = 2 * fs.freq * (SummFreq(pc) + 6);
      const uint32_t sf = s0 + SummFreq(pc);
      if (cf < 6 * sf) {
        cf = 1 + (cf > sf) + (cf >= 4 * sf);
        SetSummFreq(pc, SummFreq(pc) + 3);
      } else {
        cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
        SetSummFreq(pc, SummFreq(pc) + cf);
      }
      p = Stats(pc) + ns1 * kStateSize;
      Put(p, {fs.symbol, static_cast<uint8_t>(cf), successor});
      SetNumStats(pc, ++ns1);
    }
    max_ctx = min_ctx = fs.successor;
    return true;
  }
  // Memory ran out: a fresh model, and the mask cleared after the symbol.
  bool Restart() {
    if (!RestartModel()) return false;
    esc_count = 0;
    return true;
  }

  // A context with several symbols; the first is the likeliest and is
  // tried before the others.
  bool DecodeSymbol1(uint32_t ctx) {
    scale = SummFreq(ctx);
    uint32_t p = Stats(ctx);
    uint32_t count;
    if (!CurrentCount(count)) return false;
    uint32_t hi = Freq(p);
    if (count < hi) {
      high_count = hi;
      prev_success = 2 * hi > scale;
      run_length += prev_success;
      found_state = p;
      hi += 4;
      SetFreq(p, hi);
      SetSummFreq(ctx, SummFreq(ctx) + 4);
      if (hi > kMaxFreq) Rescale(ctx);
      low_count = 0;
      return true;
    }
    if (!found_state) return false;
    prev_success = 0;
    const uint32_t ns = NumStats(ctx);
    uint32_t i = ns - 1;
    while ((hi += Freq(p += kStateSize)) <= count) {
      if (--i == 0) {
        // Not among them: every symbol here is excluded further down.
        hi_bits_flag = hb2flag[Symbol(found_state)];
        low_count = hi;
        num_masked = static_cast<int>(ns);
        found_state = 0;
        const uint32_t stats = Stats(ctx);
        for (uint32_t q = stats; q <= p; q += kStateSize) char_mask[b[q]] = esc_count;
        high_count = scale;
        return true;
      }
    }
    low_count = (high_count = hi) - Freq(p);
    // Found: counts up, and one place forward when it passes its neighbour.
    found_state = p;
    SetFreq(p, Freq(p) + 4);
    SetSummFreq(ctx, SummFreq(ctx) + 4);
    if (Freq(p) > Freq(p - kStateSize)) {
      Swap(p, p - kStateSize);
      found_state = p -= kStateSize;
      if (Freq(p) > kMaxFreq) Rescale(ctx);
    }
    return true;
  }

  // A context with one symbol: its probability comes from a table keyed
  // by its count and by what the preceding symbols did.
  bool DecodeBinSymbol(uint32_t ctx) {
    const uint32_t rs = OneState(ctx);
    hi_bits_flag = hb2flag[Symbol(found_state)];
    const uint32_t freq = Freq(rs);
    uint32_t suffix_ns;
    if (!SuffixStates(ctx, suffix_ns)) return false;
    uint16_t& bs = bin_summ[(freq - 1) & 127][prev_success + ns2bsindx[(suffix_ns - 1) & 255] +
                                              hi_bits_flag + 2 * hb2flag[Symbol(rs)] + ((run_length >> 26) & 0x20)];
    if (CurrentShiftCount(kTotBits) < bs) {
      found_state = rs;
      SetFreq(rs, freq + (freq < 128));
      low_count = 0;
      high_count = bs;
      bs = static_cast<uint16_t>(bs + kInterval - ((bs + 32) >> kPeriodBits));
      prev_success = 1;
      run_length++;
    } else {
      low_count = bs;
      bs = static_cast<uint16_t>(bs - ((bs + 32) >> kPeriodBits));
      high_count = kBinScale;
      init_esc = kExpEscape[bs >> 10];
      num_masked = 1;
      char_mask[Symbol(rs)] = esc_count;
      prev_success = 0;
      found_state = 0;
    }
    return true;
  }

  // After an escape: the symbols not excluded yet, with a secondary
  // escape estimate.
  bool DecodeSymbol2(uint32_t ctx) {
    const uint32_t ns = NumStats(ctx);
    const int diff = static_cast<int>(ns) - num_masked;
    if (diff <= 0) return false;
    See2* see;
    if (ns != 256) {
      uint32_t suffix_ns;
      if (!SuffixStates(ctx, suffix_ns)) return false;
      see = &see2[ns2indx[diff - 1]][(diff < static_cast<int>(suffix_ns) - static_cast<int>(ns)) +
                                      2 * (SummFreq(ctx) < 11 * ns) + 4 * (num_masked > diff) + hi_bits_flag];
      scale = see->Mean();
    } else {
      see = &dummy_see2;
      scale = 1;
    }
    uint32_t ps[256];
    const uint32_t stats = Stats(ctx), end = stats + ns * kStateSize;
    uint32_t p = stats;
    uint32_t hi = 0;
    for (int i = 0; i < diff; i++, p += kStateSize) {
      for (;; p += kStateSize) {
        if (p >= end) return false;
        if (char_mask[b[p]] != esc_count) break;
      }
      hi += Freq(p);
      ps[i] = p;
    }
    scale += hi;
    uint32_t count;
    if (!CurrentCount(count)) return false;
    if (count < hi) {
      int k = 0;
      p = ps[0];
      hi = Freq(p);
      while (hi <= count) {
        p = ps[++k];
        hi += Freq(p);
      }
      low_count = (high_count = hi) - Freq(p);
      see->Update();
      found_state = p;
      SetFreq(p, Freq(p) + 4);
      SetSummFreq(ctx, SummFreq(ctx) + 4);
      if (Freq(p) > kMaxFreq) Rescale(ctx);
      esc_count++;
      run_length = init_rl;
    } else {
      low_count = hi;
      high_count = scale;
      for (int i = 0; i < diff; i++) char_mask[b[ps[i]]] = esc_count;
      see->summ = static_cast<uint16_t>(see->summ + scale);
      num_masked = static_cast<int>(ns);
    }
    return true;
  }

  int DecodeChar() {
    if (!IsContext(min_ctx)) return -1;
    if (NumStats(min_ctx) != 1) {
      if (!HasStates(min_ctx) || !DecodeSymbol1(min_ctx)) return -1;
    } else if (!DecodeBinSymbol(min_ctx)) {
      return -1;
    }
    Decode();
    int steps = 0;
    while (!found_state) {
      if (!Normalize()) return -1;
      do {
        order_fall++;
        min_ctx = Suffix(min_ctx);
        if (!IsContext(min_ctx) || ++steps > kMaxDepth) return -1;
      } while (static_cast<int>(NumStats(min_ctx)) == num_masked);
      if (!HasStates(min_ctx) || !DecodeSymbol2(min_ctx)) return -1;
      Decode();
    }
    const int symbol = Symbol(found_state);
    const uint32_t successor = Successor(found_state);
    if (!order_fall && successor > mem.text()) {
      min_ctx = max_ctx = successor;
    } else {
      if (!UpdateModel()) return -1;
      if (esc_count == 0) ClearMask();
    }
    if (!Normalize()) return -1;
    return symbol;
  }
};

PpmdH::PpmdH() : model_(std::make_unique<Model>()) {}
PpmdH::~PpmdH() = default;

bool PpmdH::Allocate(size_t bytes) {
  Model& m = *model_;
  if (m.mem.Reserved() && m.mem.size() == bytes) return true;
  // A new arena holds no model: nothing decodes until the next restart.
  m.ready = false;
  return m.mem.Reserve(bytes, kMaxDictionary);
}

bool PpmdH::Allocated() const { return model_->mem.Reserved(); }

void PpmdH::Restart(int max_order) {
  Model& m = *model_;
  if (!m.mem.Reserved() || max_order < 2 || max_order >= kMaxDepth) {
    m.ready = false;
    return;
  }
  m.StartModel(max_order);
}

bool PpmdH::StartDecoder(ByteIn* in) { return in && model_->StartCoder(in); }

int PpmdH::DecodeSymbol() {
  Model& m = *model_;
  if (!m.ready || m.broken || !m.in || m.missing) return -1;
  const int c = m.DecodeChar();
  if (c < 0 || m.broken) {
    // What is left of the model may be half updated: nothing more from it
    // until it is restarted.
    m.ready = false;
    return -1;
  }
  return c;
}

}  // namespace rar::unpack
