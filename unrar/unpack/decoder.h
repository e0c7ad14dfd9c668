// The decompressors behind the library: one per family of unpack versions,
// all portable, all fed through the same two narrow interfaces so that the
// archive code, the tests, the benchmarks and the fuzz targets drive them
// alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace rar::unpack {

// The packed bytes of one member, in order, across volumes when the member
// is split.
class PackedInput {
 public:
  virtual ~PackedInput() = default;
  // Up to size bytes; 0 at the end of the member's packed data; negative
  // when the archive could not be read (the decoder then returns kBadData
  // unless it already has every byte it needs).
  virtual long Read(unsigned char* buffer, size_t size) = 0;
};

// Where the unpacked bytes go, in order.
class UnpackedOutput {
 public:
  virtual ~UnpackedOutput() = default;
  // False stops the decoder at once; it then returns Failure().
  virtual bool Write(const unsigned char* data, size_t size) = 0;
  virtual int Failure() const = 0;
};

struct MemberParams {
  // The unpack version as the published interface reports it: 15, 20, 26,
  // 29, 36, 50 (and 70 for the same algorithm with larger dictionaries).
  unsigned version = 0;
  uint64_t unp_size = 0;
  bool unp_size_known = true;
  // The dictionary the header declares, in bytes.
  uint64_t dictionary = 0;
  // Goes on from the state the previous member of the same decoder left.
  bool solid = false;
};

class Decoder {
 public:
  virtual ~Decoder() = default;
  // Decodes one member: exactly unp_size bytes to out (or up to the end of
  // the stream when the size is unknown). Returns kSuccess; kBadData for
  // input that does not decode (corrupt, cut short, a filter that is none
  // of the known ones); kNoMemory when the dictionary cannot be had (before
  // any output); or out.Failure(). After anything but kSuccess the next
  // member must not be solid with this one.
  virtual int Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) = 0;
};

// The largest dictionary a decoder takes: what a 32-bit process can hold.
constexpr uint64_t kMaxDictionary = uint64_t{1} << 30;

// The decoder of this unpack version's family; null when there is none.
std::unique_ptr<Decoder> MakeDecoder(unsigned version);

// True when a and b are decoded by the same family (so a solid member may
// go on with the decoder of the one before).
bool SameFamily(unsigned a, unsigned b);

}  // namespace rar::unpack
