// BLAKE2sp: eight BLAKE2s leaves over interleaved 64-byte blocks and one root
// over their digests. The newer archive format may carry it instead of, or
// besides, the CRC32 of a member.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

class Blake2sp {
 public:
  static constexpr size_t kDigestSize = 32;

  // A key of up to 32 bytes; the archives use none, the published test vectors do.
  explicit Blake2sp(const unsigned char* key = nullptr, size_t key_size = 0);
  void Update(const void* data, size_t size);
  // The digest of everything given so far; the object is spent afterwards.
  void Final(unsigned char out[kDigestSize]);

 private:
  struct State {
    uint32_t h[8];
    uint32_t t[2];
    unsigned char buffer[64];
    size_t fill;
  };
  static void Init(State& s, unsigned node_offset, unsigned node_depth, size_t key_size);
  static void Compress(State& s, const unsigned char* block, bool last, bool last_node);
  static void Absorb(State& s, const unsigned char* data, size_t size);
  static void Finish(State& s, bool last_node, unsigned char out[kDigestSize]);

  State leaves_[8];
  State root_;
  // Input not yet dealt out to the leaves: up to one block for each.
  unsigned char pending_[8 * 64];
  size_t pending_size_ = 0;
};

}  // namespace rar
