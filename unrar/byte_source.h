// Random-access reading of one archive volume, so that the header parser runs
// the same over files, memory and fuzz input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rar {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads exactly size bytes at offset; false when they are not all there.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::string_view bytes_;
};

// Finds the volumes of an archive by name.
class VolumeOpener {
 public:
  virtual ~VolumeOpener() = default;
  // Nothing when no volume of that name can be opened.
  virtual std::unique_ptr<ByteSource> Open(const std::string& name) = 0;
};

// Volumes read from disk; names are in the system's narrow encoding.
class FileVolumeOpener : public VolumeOpener {
 public:
  std::unique_ptr<ByteSource> Open(const std::string& name) override;
};

}  // namespace rar
