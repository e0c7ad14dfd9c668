#include "unrar/byte_source.h"

#include <cstring>
#include <fstream>

namespace rar {

bool MemorySource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
  if (size != 0) std::memcpy(buffer, bytes_.data() + offset, size);
  return true;
}

namespace {

class FileSource : public ByteSource {
 public:
  FileSource(std::ifstream stream, uint64_t size) : stream_(std::move(stream)), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
    if (offset > size_ || size_ - offset < size) return false;
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return stream_.gcount() == static_cast<std::streamsize>(size);
  }

 private:
  std::ifstream stream_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> FileVolumeOpener::Open(const std::string& name) {
  if (name.empty()) return nullptr;
  std::ifstream stream(name, std::ios::binary);
  if (!stream) return nullptr;
  stream.seekg(0, std::ios::end);
  std::streamoff end = stream.tellg();
  if (end < 0) return nullptr;
  return std::make_unique<FileSource>(std::move(stream), static_cast<uint64_t>(end));
}

}  // namespace rar
