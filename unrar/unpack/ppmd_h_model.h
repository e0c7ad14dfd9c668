// The context model (PPMd, variant H) without its coder: the contexts and
// their statistics, what each coded step does to them, and how they grow.
// The decoder picks each step from the range decoder's count; the tests'
// encoder picks it from the symbol. Both must leave the model exactly as
// the archiver's does, or every following symbol differs.
#pragma once

#include <cstdint>
#include <cstring>

#include "unrar/unpack/ppmd_h_memory.h"

namespace rar::unpack::ppmd {

constexpr int kIntBits = 7;
constexpr int kPeriodBits = 7;
constexpr int kTotBits = kIntBits + kPeriodBits;
constexpr int kInterval = 1 << kIntBits;
constexpr int kBinScale = 1 << kTotBits;
constexpr int kMaxFreq = 124;
// Deepest chain of contexts a model of the largest order can build.
constexpr int kMaxDepth = 256;

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

class Model {
 public:
  Memory mem;
  Byte* b = nullptr;  // mem.base(), kept at hand

  bool ready = false;   // restarted since the memory was (re)made
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

  // ---- fields by offset ----
  uint32_t NumStats(uint32_t c) const { return Load16(b + c); }
  void SetNumStats(uint32_t c, uint32_t v) { Store16(b + c, v); }
  uint32_t SummFreq(uint32_t c) const { return Load16(b + c + 2); }
  void SetSummFreq(uint32_t c, uint32_t v) { Store16(b + c + 2, v); }
  uint32_t Stats(uint32_t c) const { return Load32(b + c + 4); }
  void SetStats(uint32_t c, uint32_t v) { Store32(b + c + 4, v); }
  uint32_t Suffix(uint32_t c) const { return Load32(b + c + 8); }
  void SetSuffix(uint32_t c, uint32_t v) { Store32(b + c + 8, v); }
  static uint32_t OneState(uint32_t c) { return c + 2; }

  uint8_t Symbol(uint32_t s) const { return static_cast<uint8_t>(b[s]); }
  uint32_t Freq(uint32_t s) const { return U8(b[s + 1]); }
  void SetFreq(uint32_t s, uint32_t v) { b[s + 1] = B8(v); }
  uint32_t Successor(uint32_t s) const { return Load32(b + s + 2); }
  void SetSuccessor(uint32_t s, uint32_t v) { Store32(b + s + 2, v); }
  StateVal Get(uint32_t s) const { return {Symbol(s), static_cast<uint8_t>(Freq(s)), Successor(s)}; }
  void Put(uint32_t s, const StateVal& v) {
    b[s] = B8(v.symbol);
    b[s + 1] = B8(v.freq);
    Store32(b + s + 2, v.successor);
  }
  // Asks for the context a state leads to early: it is most often the
  // next one read, and waiting for memory is most of the time spent.
  void Prefetch(uint32_t s) const {
#if defined(__GNUC__)
    // Read as one word: the compiler drops a prefetch whose address it
    // assembled from single bytes.
    uint32_t c;
    std::memcpy(&c, b + s + 2, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    c = __builtin_bswap32(c);
#endif
    if (c <= mem.heap_end()) __builtin_prefetch(reinterpret_cast<const char*>(b) + c);
#else
    (void)s;
#endif
  }
  void Swap(uint32_t s, uint32_t t) {
    const StateVal a = Get(s);
    Put(s, Get(t));
    Put(t, a);
  }

  // A context offset that can be read: in the unit area, not the text.
  bool IsContext(uint32_t c) const { return c > mem.text() && c <= mem.heap_end(); }
  // A context with states: their count in 2..256 and their array inside.
  bool HasStates(uint32_t c) const {
    const uint32_t ns = NumStats(c), st = Stats(c);
    return ns >= 2 && ns <= 256 && st > mem.text() && st <= mem.heap_end();
  }
  // The number of symbols of a context's suffix (that of no context reads
  // as 0); false when the suffix lies outside the arena.
  bool SuffixStates(uint32_t c, uint32_t& ns) const {
    const uint32_t s = Suffix(c);
    if (s > mem.heap_end()) return false;
    ns = NumStats(s);
    return true;
  }

  // ---- starting ----

  // A fresh model of this order in memory already reserved.
  void Start(int order) {
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

  // ---- one coded step ----

  // A context with several symbols, its first (likeliest) one coded;
  // `scale` is the context's total.
  void HitFirst(uint32_t ctx, uint32_t p, uint32_t scale) {
    Prefetch(p);
    const uint32_t hi = Freq(p);
    prev_success = 2 * hi > scale;
    run_length += prev_success;
    found_state = p;
    SetFreq(p, hi + 4);
    SetSummFreq(ctx, SummFreq(ctx) + 4);
    if (hi + 4 > kMaxFreq) Rescale(ctx);
  }
  // Another of its symbols coded: counts up, and one place forward when it
  // passes its neighbour.
  void HitOther(uint32_t ctx, uint32_t p) {
    Prefetch(p);
    prev_success = 0;
    found_state = p;
    SetFreq(p, Freq(p) + 4);
    SetSummFreq(ctx, SummFreq(ctx) + 4);
    if (Freq(p) > Freq(p - kStateSize)) {
      Swap(p, p - kStateSize);
      found_state = p -= kStateSize;
      if (Freq(p) > kMaxFreq) Rescale(ctx);
    }
  }
  // None of them: each is excluded in the contexts below.
  void EscapeAll(uint32_t ctx) {
    prev_success = 0;
    hi_bits_flag = hb2flag[Symbol(found_state)];
    const uint32_t ns = NumStats(ctx), stats = Stats(ctx);
    num_masked = static_cast<int>(ns);
    found_state = 0;
    for (uint32_t i = 0; i < ns; i++) char_mask[Symbol(stats + i * kStateSize)] = esc_count;
  }

  // The probability (of 1 << kTotBits) that a context with one symbol
  // sees it, by its count and what the preceding symbols did; false for a
  // context whose suffix lies outside the arena.
  bool BinProb(uint32_t ctx, uint16_t*& bs) {
    const uint32_t rs = OneState(ctx);
    hi_bits_flag = hb2flag[Symbol(found_state)];
    uint32_t suffix_ns;
    if (!SuffixStates(ctx, suffix_ns)) return false;
    bs = &bin_summ[(Freq(rs) - 1) & 127][prev_success + ns2bsindx[(suffix_ns - 1) & 255] + hi_bits_flag +
                                          2 * hb2flag[Symbol(rs)] + ((run_length >> 26) & 0x20)];
    return true;
  }
  void BinHit(uint32_t ctx, uint16_t& bs) {
    const uint32_t rs = OneState(ctx);
    Prefetch(rs);
    found_state = rs;
    SetFreq(rs, Freq(rs) + (Freq(rs) < 128));
    bs = static_cast<uint16_t>(bs + kInterval - ((bs + 32) >> kPeriodBits));
    prev_success = 1;
    run_length++;
  }
  void BinMiss(uint32_t ctx, uint16_t& bs) {
    bs = static_cast<uint16_t>(bs - ((bs + 32) >> kPeriodBits));
    static constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};
    init_esc = kExpEscape[bs >> 10];
    num_masked = 1;
    char_mask[Symbol(OneState(ctx))] = esc_count;
    prev_success = 0;
    found_state = 0;
  }

  // After an escape: the next context down with symbols not yet excluded.
  // False when there is none (the stream is damaged).
  bool NextContext() {
    for (int steps = 0;; steps++) {
      order_fall++;
      min_ctx = Suffix(min_ctx);
      if (!IsContext(min_ctx) || steps >= kMaxDepth) return false;
      if (static_cast<int>(NumStats(min_ctx)) != num_masked) return HasStates(min_ctx);
    }
  }
  // The escape estimate of a context after exclusions (diff symbols left)
  // and its secondary table entry; null when the suffix is unreadable.
  See2* EscFreq2(uint32_t ctx, int diff, uint32_t& scale) {
    const uint32_t ns = NumStats(ctx);
    if (ns == 256) {
      scale = 1;
      return &dummy_see2;
    }
    uint32_t suffix_ns;
    if (!SuffixStates(ctx, suffix_ns)) return nullptr;
    See2* see = &see2[ns2indx[diff - 1]][(diff < static_cast<int>(suffix_ns) - static_cast<int>(ns)) +
                                          2 * (SummFreq(ctx) < 11 * ns) + 4 * (num_masked > diff) + hi_bits_flag];
    scale = see->Mean();
    return see;
  }
  // The total frequency of the first diff states of ctx not excluded, and
  // in `last` where the last of them is; 0 when fewer are there (a damaged
  // model). Excluded states add nothing rather than branch: which ones are
  // excluded is all but random, and mispredicted branches would cost more
  // than the additions.
  uint32_t Unmasked(uint32_t ctx, int diff, uint32_t& last) const {
    const uint32_t stats = Stats(ctx), end = stats + NumStats(ctx) * kStateSize;
    uint32_t hi = 0;
    int n = 0;
    for (uint32_t p = stats; p != end; p += kStateSize) {
      const uint32_t open = char_mask[Symbol(p)] != esc_count;
      hi += Freq(p) & (0u - open);
      n += static_cast<int>(open);
      if (n == diff) {
        last = p;
        return hi;
      }
    }
    return 0;
  }
  // Whether state p is not excluded.
  bool Open(uint32_t p) const { return char_mask[Symbol(p)] != esc_count; }
  void Hit2(uint32_t ctx, uint32_t p, See2* see) {
    Prefetch(p);
    see->Update();
    found_state = p;
    SetFreq(p, Freq(p) + 4);
    SetSummFreq(ctx, SummFreq(ctx) + 4);
    if (Freq(p) > kMaxFreq) Rescale(ctx);
    esc_count++;
    run_length = init_rl;
  }
  // None of the open states up to `last`: they are excluded too.
  void Escape2(uint32_t ctx, uint32_t last, See2* see, uint32_t scale) {
    for (uint32_t p = Stats(ctx); p <= last; p += kStateSize) char_mask[Symbol(p)] = esc_count;
    see->summ = static_cast<uint16_t>(see->summ + scale);
    num_masked = static_cast<int>(NumStats(ctx));
  }

  // Once the symbol is found: on to the context it leads to, learning it
  // where needed. False when the model is found damaged.
  bool AfterSymbol() {
    const uint32_t successor = Successor(found_state);
    if (!order_fall && successor > mem.text()) {
      min_ctx = max_ctx = successor;
      return true;
    }
    if (!UpdateModel()) return false;
    if (esc_count == 0) ClearMask();
    return true;
  }

 private:
  void ClearMask() {
    esc_count = 1;
    std::memset(char_mask, 0, sizeof char_mask);
  }
  bool RestartModel();
  bool Restart() {
    if (!RestartModel()) return false;
    esc_count = 0;
    return true;
  }
  void Rescale(uint32_t ctx);
  uint32_t FindState(uint32_t stats, uint32_t n, uint8_t symbol) const {
    const uint32_t end = stats + n * kStateSize;
    for (uint32_t p = stats; p != end; p += kStateSize)
      if (Symbol(p) == symbol) return p;
    return 0;
  }
  uint32_t CreateSuccessors(bool skip, uint32_t p1);
  uint32_t Broken() {
    broken = true;
    return 0;
  }
  bool UpdateModel();
};

}  // namespace rar::unpack::ppmd
