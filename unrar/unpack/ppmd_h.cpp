#include "unrar/unpack/ppmd_h.h"

#include <cstdint>
#include <cstring>

#include "unrar/unpack/decoder.h"
#include "unrar/unpack/ppmd_h_model.h"

namespace rar::unpack {

namespace ppmd {

namespace {
constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
}  // namespace

// An empty memory with the order-0 context alone (every symbol once), and
// the adaptive tables at their starting values.
bool Model::RestartModel() {
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

// Counts near the limit: the found state goes first, every count is halved
// (states that reach zero are dropped when the context is at the full
// order) and the escape estimate shrinks with them.
void Model::Rescale(uint32_t ctx) {
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
        Put(p1, Get(p1 - kStateSize));
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

// Makes the contexts the symbol just seen leads to, from the deepest one
// that already exists down to the present one; their first state is the
// symbol that followed in the text, with a count guessed from the context
// below. 0 when the memory runs out (the model then restarts); sets
// `broken` when the model is found damaged.
uint32_t Model::CreateSuccessors(bool skip, uint32_t p1) {
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
  StateVal up{Symbol(up_branch), 0, up_branch + 1};
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

// Teaches the model the symbol at found_state: it counts more in the
// context below, joins every context it escaped from, and the contexts
// after it are made (or their text position noted until they are needed).
// False when the model is found damaged.
bool Model::UpdateModel() {
  StateVal fs = Get(found_state);
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
  b[text++] = B8(fs.symbol);
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
      Put(p, Get(OneState(pc)));
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

}  // namespace ppmd

namespace {

constexpr uint32_t kTop = 1u << 24;
constexpr uint32_t kBot = 1u << 15;

}  // namespace

// The decoding of one symbol is a handful of short steps; as one function
// the coder's state stays in registers throughout.
#if defined(__GNUC__)
#define PPMD_INLINE [[gnu::always_inline]] inline
#else
#define PPMD_INLINE inline
#endif

// The model with its range decoder: 32-bit low, code and range, no carry
// (the range is cut instead), a byte in whenever the top byte of the
// interval is settled or the range falls below 2^15.
struct PpmdH::Model : ppmd::Model {
  ByteIn* in = nullptr;
  uint32_t low = 0, code = 0, range = 0;
  uint32_t low_count = 0, high_count = 0, scale = 0;
  // Nothing more decodes: no model, no input, or the input has ended
  // (bytes asked for after its end read as 0, and end the symbol at hand).
  bool stopped = true;
  bool ended = false;

  int NextByte() {
    const int c = in->Get();
    if (c >= 0) return c;
    ended = stopped = true;
    return 0;
  }
  bool StartCoder(ByteIn* src) {
    in = src;
    ended = false;
    stopped = !ready;
    low = code = 0;
    range = 0xFFFFFFFFu;
    for (int i = 0; i < 4; i++) {
      const int c = src->Get();
      if (c < 0) return false;
      code = code << 8 | static_cast<uint32_t>(c);
    }
    return true;
  }
  // Scales the range to the context's total and returns where the code
  // lies in it, still multiplied by the scaled range: comparing that with
  // count * range instead of dividing saves a division per symbol. False
  // past the end of the interval (or for a range that has shrunk to
  // nothing), which only damaged input gives.
  PPMD_INLINE bool Target(uint32_t& target) {
    if (scale == 0) return false;
    range /= scale;
    if (range == 0) return false;
    target = code - low;
    return target < scale * range;
  }
  PPMD_INLINE void Decode() {
    low += range * low_count;
    range *= high_count - low_count;
  }
  // Carry-less: when the top byte is not settled and the range is small,
  // the range is cut to the next boundary below.
  PPMD_INLINE bool Normalize() {
    for (;;) {
      if ((low ^ (low + range)) >= kTop) {
        if (range >= kBot) return true;
        range = (0u - low) & (kBot - 1);
      }
      // An empty range never grows again; only damage makes one.
      if (range == 0) return false;
      code = code << 8 | static_cast<uint32_t>(NextByte());
      range <<= 8;
      low <<= 8;
    }
  }

  PPMD_INLINE bool DecodeSymbol1(uint32_t ctx) {
    scale = SummFreq(ctx);
    uint32_t target;
    if (!Target(target)) return false;
    uint32_t p = Stats(ctx);
    uint32_t hi = Freq(p);
    if (target < hi * range) {
      low_count = 0;
      high_count = hi;
      HitFirst(ctx, p, scale);
      return true;
    }
    if (!found_state) return false;
    for (uint32_t i = NumStats(ctx) - 1; i; i--) {
      p += ppmd::kStateSize;
      const uint32_t lo = hi;
      hi += Freq(p);
      if (target < hi * range) {
        low_count = lo;
        high_count = hi;
        HitOther(ctx, p);
        return true;
      }
    }
    low_count = hi;
    high_count = scale;
    EscapeAll(ctx);
    return true;
  }

  PPMD_INLINE bool DecodeBinSymbol(uint32_t ctx) {
    uint16_t* bs;
    if (!BinProb(ctx, bs)) return false;
    range >>= ppmd::kTotBits;
    if (code - low < *bs * range) {
      low_count = 0;
      high_count = *bs;
      BinHit(ctx, *bs);
    } else {
      low_count = *bs;
      high_count = ppmd::kBinScale;
      BinMiss(ctx, *bs);
    }
    return true;
  }

  PPMD_INLINE bool DecodeSymbol2(uint32_t ctx) {
    const int diff = static_cast<int>(NumStats(ctx)) - num_masked;
    if (diff <= 0) return false;
    ppmd::See2* see = EscFreq2(ctx, diff, scale);
    if (!see) return false;
    uint32_t last;
    const uint32_t hi = Unmasked(ctx, diff, last);
    if (!hi) return false;
    scale += hi;
    uint32_t target;
    if (!Target(target)) return false;
    if (target < hi * range) {
      // The sum passes the target at an open state, at or before `last`.
      const uint32_t count = target / range;
      uint32_t p = Stats(ctx), sum = 0;
      for (;; p += ppmd::kStateSize) {
        sum += Freq(p) & (0u - static_cast<uint32_t>(Open(p)));
        if (sum > count) break;
      }
      high_count = sum;
      low_count = sum - Freq(p);
      Hit2(ctx, p, see);
    } else {
      low_count = hi;
      high_count = scale;
      Escape2(ctx, last, see, scale);
    }
    return true;
  }

  PPMD_INLINE int DecodeChar() {
    if (!IsContext(min_ctx)) return -1;
    if (NumStats(min_ctx) != 1) {
      if (!HasStates(min_ctx) || !DecodeSymbol1(min_ctx)) return -1;
    } else if (!DecodeBinSymbol(min_ctx)) {
      return -1;
    }
    Decode();
    while (!found_state) {
      if (!Normalize() || !NextContext() || !DecodeSymbol2(min_ctx)) return -1;
      Decode();
    }
    const int symbol = Symbol(found_state);
    if (!AfterSymbol() || !Normalize()) return -1;
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
  m.stopped = true;
  return m.mem.Reserve(bytes, kMaxDictionary);
}

bool PpmdH::Allocated() const { return model_->mem.Reserved(); }

void PpmdH::Restart(int max_order) {
  Model& m = *model_;
  if (!m.mem.Reserved() || max_order < 2 || max_order >= ppmd::kMaxDepth) {
    m.ready = false;
    m.stopped = true;
    return;
  }
  m.Start(max_order);
  m.stopped = !m.ready || !m.in || m.ended;
}

bool PpmdH::StartDecoder(ByteIn* in) {
  if (in && model_->StartCoder(in)) return true;
  model_->in = nullptr;
  model_->stopped = true;
  return false;
}

int PpmdH::DecodeSymbol() {
  Model& m = *model_;
  if (m.stopped) return -1;
  const int c = m.DecodeChar();
  if (c < 0) {
    // What is left of the model may be half updated: nothing more from it
    // until it is restarted.
    m.ready = false;
    m.stopped = true;
  }
  return c;
}

}  // namespace rar::unpack
