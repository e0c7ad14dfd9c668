// The context model's memory: one arena carved into 12-byte units, with
// free lists by block size and a text area that grows up from the bottom.
// Where blocks go decides when the arena runs out and the model restarts,
// which the packed stream depends on, so the carving follows the archiver's
// exactly. Every pointer is an offset into the arena; nothing is handed out
// outside it, and stored links that fall outside read as empty lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace rar::unpack::ppmd {

// The arena's bytes: a type of their own rather than a character type, so
// that the compiler knows a store into the arena leaves the model's other
// fields alone and keeps them in registers.
enum class Byte : uint8_t {};
inline uint32_t U8(Byte x) { return static_cast<uint8_t>(x); }
inline Byte B8(uint32_t v) { return static_cast<Byte>(static_cast<uint8_t>(v)); }

// Fields are little-endian, as the archiver's 32-bit layout has them.
inline uint32_t Load16(const Byte* p) { return U8(p[0]) | U8(p[1]) << 8; }
inline uint32_t Load32(const Byte* p) { return U8(p[0]) | U8(p[1]) << 8 | U8(p[2]) << 16 | U8(p[3]) << 24; }
inline void Store16(Byte* p, uint32_t v) {
  p[0] = B8(v);
  p[1] = B8(v >> 8);
}
inline void Store32(Byte* p, uint32_t v) {
  p[0] = B8(v);
  p[1] = B8(v >> 8);
  p[2] = B8(v >> 16);
  p[3] = B8(v >> 24);
}

constexpr uint32_t kUnitSize = 12;
constexpr int kIndexes = 38;

struct UnitTables {
  uint8_t indx2units[kIndexes];
  uint8_t units2indx[128];
  constexpr UnitTables() : indx2units(), units2indx() {
    // Sizes 1-4, then steps of 2, 3 and 4 units up to 128.
    int i = 0, k = 1;
    for (; i < 4; i++, k += 1) indx2units[i] = static_cast<uint8_t>(k);
    for (k++; i < 8; i++, k += 2) indx2units[i] = static_cast<uint8_t>(k);
    for (k++; i < 12; i++, k += 3) indx2units[i] = static_cast<uint8_t>(k);
    for (k++; i < kIndexes; i++, k += 4) indx2units[i] = static_cast<uint8_t>(k);
    for (k = 0, i = 0; k < 128; k++) {
      i += (indx2units[i] < k + 1);
      units2indx[k] = static_cast<uint8_t>(i);
    }
  }
};
inline constexpr UnitTables kUnits{};

class Memory {
 public:
  // Below the heap: a zeroed unit that offset 0 (no context) reads as, and
  // the head of the list that gluing free blocks uses.
  static constexpr uint32_t kHeapStart = 2 * kUnitSize;
  static constexpr uint32_t kGlueHead = kUnitSize;
  // Past the heap: a run of 256 states from any offset up to heap_end stays
  // inside.
  static constexpr uint32_t kSlack = 256 * 6 + 4 * kUnitSize;

  Memory() = default;
  ~Memory() { std::free(base_); }
  Memory(const Memory&) = delete;
  Memory& operator=(const Memory&) = delete;

  // The arena for a model of `bytes`; keeps the present one when the size
  // is the same.
  bool Reserve(size_t bytes, size_t limit) {
    if (base_ && bytes == size_) return true;
    std::free(base_);
    base_ = nullptr;
    size_ = 0;
    if (bytes < kUnitSize || bytes > limit || bytes > (uint32_t{1} << 31)) return false;
    const size_t alloc = bytes / kUnitSize * kUnitSize + kUnitSize;
    base_ = static_cast<Byte*>(std::calloc(kHeapStart + alloc + kSlack, 1));
    if (!base_) return false;
    size_ = bytes;
    heap_end_ = static_cast<uint32_t>(kHeapStart + alloc - kUnitSize);
    return true;
  }
  bool Reserved() const { return base_ != nullptr; }
  size_t size() const { return size_; }

  // Empties the arena: all of it free, the text area at the bottom.
  void Init() {
    std::memset(free_, 0, sizeof free_);
    text_ = kHeapStart;
    const uint32_t size = static_cast<uint32_t>(size_);
    const uint32_t size2 = kUnitSize * (size / 8 / kUnitSize * 7);
    const uint32_t size1 = size - size2;
    units_start_ = lo_unit_ = kHeapStart + size1;
    hi_unit_ = lo_unit_ + size2;
    glue_count_ = 0;
  }

  Byte* base() const { return base_; }
  uint32_t heap_end() const { return heap_end_; }
  uint32_t units_start() const { return units_start_; }
  uint32_t text() const { return text_; }
  uint32_t& text() { return text_; }

  uint32_t AllocContext() {
    if (hi_unit_ != lo_unit_) return hi_unit_ -= kUnitSize;
    if (free_[0]) return RemoveNode(0);
    return AllocUnitsRare(0);
  }

  uint32_t AllocUnits(int nu) {
    const int indx = kUnits.units2indx[nu - 1];
    if (free_[indx]) return RemoveNode(indx);
    const uint32_t bytes = kUnits.indx2units[indx] * kUnitSize;
    if (hi_unit_ - lo_unit_ >= bytes) {
      const uint32_t r = lo_unit_;
      lo_unit_ += bytes;
      return r;
    }
    return AllocUnitsRare(indx);
  }

  // One unit more for a block of old_nu units; 0 when there is no room.
  uint32_t ExpandUnits(uint32_t old, int old_nu) {
    const int i0 = kUnits.units2indx[old_nu - 1], i1 = kUnits.units2indx[old_nu];
    if (i0 == i1) return old;
    const uint32_t p = AllocUnits(old_nu + 1);
    if (p) {
      std::memcpy(base_ + p, base_ + old, old_nu * kUnitSize);
      InsertNode(old, i0);
    }
    return p;
  }

  uint32_t ShrinkUnits(uint32_t old, int old_nu, int new_nu) {
    const int i0 = kUnits.units2indx[old_nu - 1], i1 = kUnits.units2indx[new_nu - 1];
    if (i0 == i1) return old;
    if (free_[i1]) {
      const uint32_t p = RemoveNode(i1);
      std::memcpy(base_ + p, base_ + old, new_nu * kUnitSize);
      InsertNode(old, i0);
      return p;
    }
    SplitBlock(old, i0, i1);
    return old;
  }

  void FreeUnits(uint32_t p, int nu) { InsertNode(p, kUnits.units2indx[nu - 1]); }

 private:
  void InsertNode(uint32_t p, int indx) {
    Store32(base_ + p, free_[indx]);
    free_[indx] = p;
  }
  uint32_t RemoveNode(int indx) {
    const uint32_t r = free_[indx];
    const uint32_t next = Load32(base_ + r);
    free_[indx] = next <= heap_end_ ? next : 0;
    return r;
  }

  void SplitBlock(uint32_t p, int old_indx, int new_indx) {
    uint32_t diff = kUnits.indx2units[old_indx] - kUnits.indx2units[new_indx];
    p += kUnits.indx2units[new_indx] * kUnitSize;
    int i = kUnits.units2indx[diff - 1];
    if (kUnits.indx2units[i] != diff) {
      InsertNode(p, --i);
      p += kUnits.indx2units[i] * kUnitSize;
      diff -= kUnits.indx2units[i];
    }
    InsertNode(p, kUnits.units2indx[diff - 1]);
  }

  uint32_t AllocUnitsRare(int indx) {
    if (!glue_count_) {
      glue_count_ = 255;
      GlueFreeBlocks();
      if (free_[indx]) return RemoveNode(indx);
    }
    int i = indx;
    do {
      if (++i == kIndexes) {
        glue_count_--;
        // Nothing free is large enough: take the units from the top of the
        // text area.
        const uint32_t bytes = kUnits.indx2units[indx] * kUnitSize;
        if (units_start_ > text_ && units_start_ - text_ > bytes) return units_start_ -= bytes;
        return 0;
      }
    } while (!free_[i]);
    const uint32_t r = RemoveNode(i);
    SplitBlock(r, i, indx);
    return r;
  }

  // Free blocks as a doubly linked list: stamp, size in units, next, prev.
  uint32_t Stamp(uint32_t p) const { return Load16(base_ + p); }
  uint32_t Nu(uint32_t p) const { return Load16(base_ + p + 2); }
  uint32_t Next(uint32_t p) const { return Load32(base_ + p + 4); }
  uint32_t Prev(uint32_t p) const { return Load32(base_ + p + 8); }
  void SetNext(uint32_t p, uint32_t v) { Store32(base_ + p + 4, v); }
  void SetPrev(uint32_t p, uint32_t v) { Store32(base_ + p + 8, v); }
  void Unlink(uint32_t p) {
    SetNext(Prev(p), Next(p));
    SetPrev(Next(p), Prev(p));
  }

  // Merges neighbouring free blocks and files them again by size.
  void GlueFreeBlocks() {
    const uint32_t head = kGlueHead;
    // The block at lo_unit is never free; its stamp must not say so.
    if (lo_unit_ != hi_unit_) base_[lo_unit_] = B8(0);
    SetNext(head, head);
    SetPrev(head, head);
    // No more blocks can be free than the arena holds units: a bound
    // that keeps damaged links from looping.
    uint64_t budget = heap_end_ / kUnitSize + 1;
    for (int i = 0; i < kIndexes; i++) {
      while (free_[i] && budget) {
        budget--;
        const uint32_t p = RemoveNode(i);
        const uint32_t first = Next(head);
        SetNext(p, first);
        SetPrev(p, head);
        SetPrev(first, p);
        SetNext(head, p);
        Store16(base_ + p, 0xFFFF);
        Store16(base_ + p + 2, kUnits.indx2units[i]);
      }
      free_[i] = 0;
    }
    for (uint32_t p = Next(head); p != head; p = Next(p)) {
      for (;;) {
        const uint32_t p1 = p + Nu(p) * kUnitSize;
        if (p1 > heap_end_ || Stamp(p1) != 0xFFFF || Nu(p) + Nu(p1) >= 0x10000) break;
        Unlink(p1);
        Store16(base_ + p + 2, Nu(p) + Nu(p1));
      }
    }
    for (uint32_t p; (p = Next(head)) != head;) {
      Unlink(p);
      uint32_t sz = Nu(p);
      for (; sz > 128; sz -= 128, p += 128 * kUnitSize) InsertNode(p, kIndexes - 1);
      if (sz == 0) continue;
      int i = kUnits.units2indx[sz - 1];
      if (kUnits.indx2units[i] != sz) {
        const uint32_t k = sz - kUnits.indx2units[--i];
        InsertNode(p + (sz - k) * kUnitSize, static_cast<int>(k) - 1);
      }
      InsertNode(p, i);
    }
  }

  Byte* base_ = nullptr;
  size_t size_ = 0;
  uint32_t heap_end_ = 0;
  uint32_t text_ = 0, units_start_ = 0, lo_unit_ = 0, hi_unit_ = 0;
  uint32_t free_[kIndexes] = {};
  int glue_count_ = 0;
};

}  // namespace rar::unpack::ppmd
