#include "unrar/member_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "unrar/crc32.h"
#include "unrar/rar_codes.h"

namespace rar {
namespace {

constexpr size_t kChunk = 64 * 1024;

}  // namespace

PartReader::PartReader(std::unique_ptr<ByteSource>& volume, const Member& first, uint64_t data_offset,
                       NextPart next)
    : volume_(volume), next_(std::move(next)), part_(first), offset_(data_offset), remaining_(first.pack_size) {
  if (part_.split_after && part_.has_blake2) part_hash_ = std::make_unique<Blake2sp>();
}

int PartReader::Advance() {
  if (part_.has_crc && part_crc_ != part_.crc) parts_ok_ = false;
  if (part_hash_) {
    unsigned char digest[Blake2sp::kDigestSize];
    part_hash_->Final(digest);
    if (std::memcmp(digest, part_.blake2, sizeof digest) != 0) parts_ok_ = false;
    part_hash_.reset();
  }
  if (int r = next_(part_, offset_)) return error_ = r;
  remaining_ = part_.pack_size;
  part_crc_ = 0;
  if (part_.split_after && part_.has_blake2) part_hash_ = std::make_unique<Blake2sp>();
  return kSuccess;
}

long PartReader::Read(unsigned char* buffer, size_t size) {
  if (error_) return -1;
  while (remaining_ == 0) {
    if (!part_.split_after) return 0;
    if (Advance()) return -1;
  }
  // A volume cut short still hands out what it has before the error.
  const uint64_t have = offset_ < volume_->Size() ? volume_->Size() - offset_ : 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>({size, remaining_, have, kChunk}));
  if (n == 0 || !volume_->ReadAt(offset_, buffer, n)) {
    error_ = kBadData;
    return -1;
  }
  if (part_.split_after) {
    part_crc_ = Crc32(part_crc_, buffer, n);
    if (part_hash_) part_hash_->Update(buffer, n);
  }
  offset_ += n;
  remaining_ -= n;
  return static_cast<long>(n);
}

int PartReader::Drain() {
  // Usually nothing is left: no allocation for that.
  unsigned char buffer[4096];
  for (;;) {
    long n = Read(buffer, sizeof buffer);
    if (n < 0) return error_;
    if (n == 0) return kSuccess;
  }
}

int PartReader::Skip() {
  if (error_) return error_;
  while (part_.split_after) {
    remaining_ = 0;
    part_hash_.reset();
    if (int r = next_(part_, offset_)) return error_ = r;
  }
  return kSuccess;
}

CheckedSink::CheckedSink(OutputFile* file, DataCallback callback, bool blake2)
    : file_(file), callback_(std::move(callback)) {
  if (blake2) hash_ = std::make_unique<Blake2sp>();
}

bool CheckedSink::Write(const unsigned char* data, size_t size) {
  crc_ = Crc32(crc_, data, size);
  if (hash_) hash_->Update(data, size);
  size_ += size;
  if (file_ && !file_->Write(data, size)) {
    failure_ = kWriteError;
    return false;
  }
  if (callback_ && callback_(data, size) < 0) {
    failure_ = kUnknown;
    return false;
  }
  return true;
}

int CheckedSink::Verify(const Member& first, const Member& last) {
  if (first.unp_size_known && size_ != first.unp_size) return kBadData;
  if (last.has_crc && crc_ != last.crc) return kBadData;
  if (last.has_blake2) {
    // Without a hash of our own (the first part had none) there is nothing to compare.
    if (!hash_) return kSuccess;
    unsigned char digest[Blake2sp::kDigestSize];
    hash_->Final(digest);
    hash_.reset();
    if (std::memcmp(digest, last.blake2, sizeof digest) != 0) return kBadData;
  }
  return kSuccess;
}

int CopyStored(unpack::PackedInput& in, unpack::UnpackedOutput& out) {
  std::vector<unsigned char> buffer(kChunk);
  for (;;) {
    long n = in.Read(buffer.data(), buffer.size());
    if (n < 0) return kBadData;
    if (n == 0) return kSuccess;
    if (!out.Write(buffer.data(), static_cast<size_t>(n))) return out.Failure();
  }
}

}  // namespace rar
