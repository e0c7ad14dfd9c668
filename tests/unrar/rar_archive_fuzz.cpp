// Any bytes as an archive (and as its further volumes): open, walk every
// header, and test every member, so that whatever the headers declare
// reaches the decoders; every third member goes through extraction into a
// sink that keeps nothing instead.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "unrar/header_record.h"
#include "unrar/member_path.h"
#include "unrar/rar_archive.h"

namespace {

constexpr uint64_t kMaxUnpacked = 1 << 19;
constexpr uint64_t kMaxDeclared = 16 << 20;

class RepeatingOpener : public rar::VolumeOpener {
 public:
  explicit RepeatingOpener(std::string_view bytes) : bytes_(bytes) {}
  std::unique_ptr<rar::ByteSource> Open(const std::string&) override {
    if (opened_++ > 3) return nullptr;
    return std::make_unique<rar::MemorySource>(bytes_);
  }

 private:
  std::string_view bytes_;
  int opened_ = 0;
};

class NullFile : public rar::OutputFile {
 public:
  bool Write(const void*, size_t) override { return true; }
  bool Close() override { return true; }
};

class NullOutput : public rar::OutputFs {
 public:
  char Separator() const override { return '/'; }
  bool MakeDirs(const std::string&) override { return true; }
  std::unique_ptr<rar::OutputFile> Create(const std::string&) override {
    return std::make_unique<NullFile>();
  }
  void Remove(const std::string&) override {}
  bool CopyExtracted(const std::string&, const std::string&) override { return true; }
  void Finish(const std::string&, const rar::Member&, bool) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RepeatingOpener opener(bytes);
  NullOutput output;
  rar::Archive archive(opener, &output);
  archive.SetVolumeCallback([](std::string& name, int) {
    name += "x";
    return 1;
  });
  // Some real members unpack to hundreds of megabytes: the first few hundred kilobytes are
  // enough to reach every path, and an input must stay quick.
  uint64_t unpacked = 0;
  archive.SetDataCallback([&unpacked](const unsigned char*, size_t n) {
    unpacked += n;
    return unpacked > kMaxUnpacked ? -1 : 1;
  });
  if (archive.Open("a.part1.rar", 1) != 0) return 0;
  for (int i = 0; i < 1000; ++i) {
    rar::Member m;
    if (archive.ReadHeader(m) != 0) break;
    RARHeaderData header;
    rar::FillHeaderData(m, archive.VolumeName(), header);
    // A decoder may unpack a whole dictionary's worth before its first
    // write: a member that declares that much is looked at, not unpacked.
    if (m.unp_size > kMaxDeclared) break;
    archive.ProcessFile(i % 3 == 2 ? 2 : 1, "out", nullptr);
  }
  return 0;
}
