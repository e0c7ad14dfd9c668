#include "tools/author/author_fs_stdio.h"

#include "tools/author/author_fs.h"

namespace authorfs {
namespace {

class FileSource : public rar::ByteSource {
 public:
  FileSource(std::FILE* f, uint64_t size) : f_(f), size_(size) {}
  ~FileSource() override { std::fclose(f_); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
    if (offset > size_ || size_ - offset < size) return false;
    if (!stdio::Seek(f_, offset)) return false;
    return std::fread(buffer, 1, size, f_) == size;
  }

 private:
  std::FILE* f_;
  uint64_t size_;
};

}  // namespace

std::optional<std::string> ReadBytes(const std::string& path) {
  if (!IsFile(path)) return std::nullopt;
  std::FILE* f = stdio::Open(path, "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return std::nullopt;
  return bytes;
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
  std::FILE* f = stdio::Open(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

std::unique_ptr<rar::ByteSource> VolumeOpener::Open(const std::string& name) {
  if (name.empty() || !IsFile(name)) return nullptr;
  std::FILE* f = stdio::Open(name, "rb");
  if (!f) return nullptr;
  const std::optional<uint64_t> size = stdio::Length(f);
  if (!size) {
    std::fclose(f);
    return nullptr;
  }
  return std::make_unique<FileSource>(f, *size);
}

}  // namespace authorfs
