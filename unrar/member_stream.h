// One member's data on its way through the library: the packed bytes read
// part after part across volumes, and the unpacked bytes checked against the
// header's checksums on their way to the file, the caller or nowhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "unrar/blake2sp.h"
#include "unrar/byte_source.h"
#include "unrar/output_fs.h"
#include "unrar/rar_blocks.h"
#include "unrar/unpack/decoder.h"

namespace rar {

// The packed data of a member from its first part to its last. A part that
// goes on in the next volume carries the checksum of its own packed bytes;
// only the last part's header speaks of the unpacked data.
class PartReader : public unpack::PackedInput {
 public:
  // Moves to the member's part in the next volume: its header and where its data starts.
  using NextPart = std::function<int(Member& part, uint64_t& data_offset)>;

  PartReader(std::unique_ptr<ByteSource>& volume, const Member& first, uint64_t data_offset, NextPart next);

  long Read(unsigned char* buffer, size_t size) override;
  // Reads what the consumer left of the data, so that every part is checked
  // and the last part's header is at hand.
  int Drain();
  // Moves past the remaining parts without reading them.
  int Skip();

  // The part being read; after Drain or Skip, the last one.
  const Member& part() const { return part_; }
  // What stopped the reading: kBadData when a volume is cut short, or the
  // code of the volume change that failed; 0 when nothing did.
  int error() const { return error_; }
  // False when a finished part's packed data did not match its header.
  bool parts_ok() const { return parts_ok_; }

 private:
  int Advance();

  std::unique_ptr<ByteSource>& volume_;
  NextPart next_;
  Member part_;
  uint64_t offset_;
  uint64_t remaining_;
  uint32_t part_crc_ = 0;
  std::unique_ptr<Blake2sp> part_hash_;
  bool parts_ok_ = true;
  int error_ = 0;
};

// Where the unpacked bytes go: a file (or nothing), the caller's data
// callback (or nothing), and always the running checksums and count.
class CheckedSink : public unpack::UnpackedOutput {
 public:
  using DataCallback = std::function<int(const unsigned char* data, size_t size)>;

  CheckedSink(OutputFile* file, DataCallback callback, bool blake2);
  bool Write(const unsigned char* data, size_t size) override;
  int Failure() const override { return failure_; }

  // kSuccess when the bytes given are what the last part's header says.
  int Verify(const Member& first, const Member& last);

 private:
  OutputFile* file_;
  DataCallback callback_;
  std::unique_ptr<Blake2sp> hash_;
  uint32_t crc_ = 0;
  uint64_t size_ = 0;
  int failure_ = 0;
};

// Stored data: the packed bytes are the member.
int CopyStored(unpack::PackedInput& in, unpack::UnpackedOutput& out);

}  // namespace rar
