// The packed data of an archive's file members, cut out with the library's
// own header reader, so that a decoder can be driven alone in tests,
// benchmarks and fuzz seeds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "unrar/byte_source.h"
#include "unrar/crc32.h"
#include "unrar/rar_blocks.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace unpacktest {

struct PackedMember {
  rar::Member member;  // as the header says
  std::string packed;  // this volume's data bytes
  rar::unpack::MemberParams params;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file member (not directories, not service blocks) of one volume, in order.
inline std::vector<PackedMember> ReadPackedMembers(const std::string& bytes) {
  std::vector<PackedMember> out;
  rar::MemorySource src(bytes);
  rar::Signature sig = rar::FindSignature(src);
  if (sig.code != 0) return out;
  uint64_t offset = sig.first_block;
  for (;;) {
    rar::Block block;
    if (rar::ReadBlock(src, sig.format, offset, block) != 0) break;
    if (block.type == rar::BlockType::kEnd) break;
    if (block.type == rar::BlockType::kFile && !block.member.is_dir) {
      PackedMember p;
      p.member = block.member;
      const uint64_t size = std::min<uint64_t>(block.member.pack_size, src.Size() - block.data_offset);
      p.packed = bytes.substr(static_cast<size_t>(block.data_offset), static_cast<size_t>(size));
      p.params.version = block.member.unp_ver;
      p.params.unp_size = block.member.unp_size;
      p.params.unp_size_known = block.member.unp_size_known;
      p.params.dictionary = block.member.dictionary;
      p.params.solid = block.member.solid;
      out.push_back(std::move(p));
    }
    if (block.next <= offset) break;
    offset = block.next;
  }
  return out;
}

// Hands out a string's bytes in pieces of at most `step`, so that decoders
// meet their input cut at awkward places.
class StringInput : public rar::unpack::PackedInput {
 public:
  explicit StringInput(std::string data, size_t step = 1 << 16) : data_(std::move(data)), step_(step) {}
  long Read(unsigned char* buffer, size_t size) override {
    size_t n = std::min({size, step_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }

 private:
  std::string data_;
  size_t step_;
  size_t pos_ = 0;
};

// Keeps what it is given (up to a limit) and its CRC32.
class CollectingOutput : public rar::unpack::UnpackedOutput {
 public:
  explicit CollectingOutput(size_t keep = SIZE_MAX) : keep_(keep) {}
  bool Write(const unsigned char* data, size_t size) override {
    crc = rar::Crc32(crc, data, size);
    total += size;
    if (bytes.size() < keep_) bytes.append(reinterpret_cast<const char*>(data), std::min(size, keep_ - bytes.size()));
    return true;
  }
  int Failure() const override { return rar::kWriteError; }

  std::string bytes;
  uint32_t crc = 0;
  uint64_t total = 0;

 private:
  size_t keep_;
};

}  // namespace unpacktest
