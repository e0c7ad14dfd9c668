#include "unrar/blake2sp.h"

#include <cstring>

namespace rar {
namespace {

constexpr uint32_t kIv[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                             0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

constexpr unsigned char kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
    {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
    {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
    {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
    {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

constexpr size_t kBlock = 64;
constexpr unsigned kLeaves = 8;

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t Load32(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

void Blake2sp::Init(State& s, unsigned node_offset, unsigned node_depth, size_t key_size) {
  // The parameter block: digest 32, the key's length, fanout 8, depth 2,
  // leaf length 0, the node's offset and depth, inner length 32.
  uint32_t p[8] = {};
  p[0] = 32u | (static_cast<uint32_t>(key_size) << 8) | (kLeaves << 16) | (2u << 24);
  p[2] = node_offset;
  p[3] = node_depth << 16 | (32u << 24);
  for (int i = 0; i < 8; ++i) s.h[i] = kIv[i] ^ p[i];
  s.t[0] = s.t[1] = 0;
  s.fill = 0;
}

void Blake2sp::Compress(State& s, const unsigned char* block, bool last, bool last_node) {
  uint32_t m[16], v[16];
  for (int i = 0; i < 16; ++i) m[i] = Load32(block + 4 * i);
  for (int i = 0; i < 8; ++i) v[i] = s.h[i];
  for (int i = 0; i < 8; ++i) v[8 + i] = kIv[i];
  v[12] ^= s.t[0];
  v[13] ^= s.t[1];
  if (last) v[14] = ~v[14];
  if (last_node) v[15] = ~v[15];
  auto g = [&](int a, int b, int c, int d, uint32_t x, uint32_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 12);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 8);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 7);
  };
  for (const auto& r : kSigma) {
    g(0, 4, 8, 12, m[r[0]], m[r[1]]);
    g(1, 5, 9, 13, m[r[2]], m[r[3]]);
    g(2, 6, 10, 14, m[r[4]], m[r[5]]);
    g(3, 7, 11, 15, m[r[6]], m[r[7]]);
    g(0, 5, 10, 15, m[r[8]], m[r[9]]);
    g(1, 6, 11, 12, m[r[10]], m[r[11]]);
    g(2, 7, 8, 13, m[r[12]], m[r[13]]);
    g(3, 4, 9, 14, m[r[14]], m[r[15]]);
  }
  for (int i = 0; i < 8; ++i) s.h[i] ^= v[i] ^ v[8 + i];
}

// The last block must be held back until Finish knows it is the last.
void Blake2sp::Absorb(State& s, const unsigned char* data, size_t size) {
  while (size > 0) {
    if (s.fill == kBlock) {
      s.t[0] += kBlock;
      if (s.t[0] < kBlock) ++s.t[1];
      Compress(s, s.buffer, false, false);
      s.fill = 0;
    }
    const size_t n = size < kBlock - s.fill ? size : kBlock - s.fill;
    std::memcpy(s.buffer + s.fill, data, n);
    s.fill += n;
    data += n;
    size -= n;
  }
}

void Blake2sp::Finish(State& s, bool last_node, unsigned char out[kDigestSize]) {
  s.t[0] += static_cast<uint32_t>(s.fill);
  if (s.t[0] < s.fill) ++s.t[1];
  std::memset(s.buffer + s.fill, 0, kBlock - s.fill);
  Compress(s, s.buffer, true, last_node);
  for (int i = 0; i < 8; ++i)
    for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<unsigned char>(s.h[i] >> (8 * k));
}

Blake2sp::Blake2sp(const unsigned char* key, size_t key_size) {
  if (key_size > 32) key_size = 32;
  for (unsigned i = 0; i < kLeaves; ++i) Init(leaves_[i], i, 0, key_size);
  Init(root_, 0, 1, key_size);
  if (key_size > 0) {
    unsigned char block[kBlock] = {};
    std::memcpy(block, key, key_size);
    for (auto& leaf : leaves_) Absorb(leaf, block, kBlock);
  }
}

void Blake2sp::Update(const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  if (pending_size_ > 0) {
    const size_t n = size < sizeof pending_ - pending_size_ ? size : sizeof pending_ - pending_size_;
    std::memcpy(pending_ + pending_size_, p, n);
    pending_size_ += n;
    p += n;
    size -= n;
    // A full round goes out only when more follows: the tail stays for Final.
    if (pending_size_ < sizeof pending_ || size == 0) return;
    for (unsigned i = 0; i < kLeaves; ++i) Absorb(leaves_[i], pending_ + i * kBlock, kBlock);
    pending_size_ = 0;
  }
  while (size > sizeof pending_) {
    for (unsigned i = 0; i < kLeaves; ++i) Absorb(leaves_[i], p + i * kBlock, kBlock);
    p += sizeof pending_;
    size -= sizeof pending_;
  }
  std::memcpy(pending_, p, size);
  pending_size_ = size;
}

void Blake2sp::Final(unsigned char out[kDigestSize]) {
  for (unsigned i = 0; i < kLeaves; ++i) {
    if (pending_size_ > i * kBlock) {
      const size_t left = pending_size_ - i * kBlock;
      Absorb(leaves_[i], pending_ + i * kBlock, left < kBlock ? left : kBlock);
    }
    unsigned char digest[kDigestSize];
    Finish(leaves_[i], i == kLeaves - 1, digest);
    Absorb(root_, digest, sizeof digest);
  }
  Finish(root_, true, out);
}

}  // namespace rar
