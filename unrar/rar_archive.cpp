#include "unrar/rar_archive.h"

#include <algorithm>
#include <vector>

#include "common/timing.h"
#include "unrar/codepage.h"
#include "unrar/crc32.h"
#include "unrar/member_path.h"
#include "unrar/member_stream.h"
#include "unrar/rar_codes.h"

namespace rar {
namespace {

constexpr unsigned kMaxVolumes = 100000;
constexpr unsigned kMaxVolumeAsks = 1000;
constexpr uint64_t kMaxComment = 1 << 20;
// Blocks looked at after the main header when searching for the comment.
constexpr int kCommentSearch = 16;

}  // namespace

int Archive::Open(const std::string& name, int mode) {
  mode_ = mode;
  return OpenVolume(name, true);
}

int Archive::OpenVolume(const std::string& name, bool first) {
  std::unique_ptr<ByteSource> src = opener_.Open(name);
  if (!src) return kOpenError;
  Signature sig = FindSignature(*src);
  if (sig.code) return sig.code;
  if (!first && sig.format != format_) return kBadArchive;
  Block main;
  if (ReadBlock(*src, sig.format, sig.first_block, main) != kSuccess) return kBadArchive;
  if (main.type == BlockType::kEncryption || main.headers_encrypted) return kMissingPassword;
  if (main.type != BlockType::kMain) return kBadArchive;

  format_ = sig.format;
  is_volume_ = main.volume;
  new_numbering_ = main.new_numbering;
  volume_ = std::move(src);
  volume_name_ = name;
  if (first) sequence_name_ = name;
  opened_.insert(name);
  next_ = main.next;
  finished_ = false;
  ++volumes_opened_;
  if (!first) return kSuccess;
  solid_ = main.solid;

  if (main.has_old_comment) {
    comment_state_ = kUnknownFormat;  // the old packed form inside the main header
    return kSuccess;
  }
  uint64_t pos = next_;
  for (int i = 0; i < kCommentSearch; ++i) {
    Block b;
    if (ReadBlock(*volume_, format_, pos, b) != kSuccess) break;
    if (b.type == BlockType::kFile || b.type == BlockType::kEnd) break;
    if (b.type == BlockType::kService && b.member.name == "CMT") {
      comment_state_ = ReadComment(b);
      break;
    }
    pos = b.next;
  }
  return kSuccess;
}

int Archive::ReadComment(const Block& block) {
  const Member& m = block.member;
  if (m.encrypted) return kMissingPassword;
  if (!m.stored) return kUnknownFormat;
  if (m.pack_size > kMaxComment) return kBadData;
  std::string text(static_cast<size_t>(m.pack_size), '\0');
  if (!volume_->ReadAt(block.data_offset, text.data(), text.size())) return kBadData;
  if (m.has_crc && Crc32(0, text.data(), text.size()) != m.crc) return kBadData;
  comment_ = format_ == Format::kRar5 ? OemFromUtf8(text) : text;
  return 1;
}

int Archive::NextVolume(bool ask) {
  if (volumes_opened_ >= kMaxVolumes) return kBadArchive;
  // Names follow the set's own sequence even when the caller pointed at a
  // volume elsewhere, so one moved volume does not derail the rest.
  const std::string expected = NextVolumeName(sequence_name_, new_numbering_);
  std::string name = expected;
  for (unsigned asks = 0;; ++asks) {
    // A volume already read cannot come again: that would be an endless chain.
    int r = opened_.count(name) ? kOpenError : OpenVolume(name, false);
    if (r == kSuccess) {
      sequence_name_ = expected;
      std::string shown = name;
      if (on_volume_ && on_volume_(shown, kVolumeNotify) <= 0) return kOpenError;
      return kSuccess;
    }
    if (r != kOpenError) return r;
    if (!ask || !on_volume_ || asks >= kMaxVolumeAsks) return kOpenError;
    if (on_volume_(name, kVolumeAsk) <= 0) return kOpenError;
  }
}

int Archive::ReadHeader(Member& member) {
  TIMED("dll: ReadHeader");
  if (pending_) {
    pending_ = false;
    if (int r = SkipPending(pending_member_, pending_data_)) return r;
  }
  if (finished_) return kEndArchive;
  for (;;) {
    Block b;
    int r = ReadBlock(*volume_, format_, next_, b);
    if (r == kEndArchive) {
      // Some volumes end without an end-of-archive block: a following volume
      // that exists is read on, a missing one ends the set.
      if (is_volume_ && NextVolume(false) == kSuccess) continue;
      finished_ = true;
      return kEndArchive;
    }
    if (r) return r;
    next_ = b.next;
    switch (b.type) {
      case BlockType::kFile:
        pending_ = true;
        pending_member_ = b.member;
        pending_data_ = b.data_offset;
        member = b.member;
        return kSuccess;
      case BlockType::kEnd:
        if (b.more_volumes) {
          if (int v = NextVolume(true)) return v;
          continue;
        }
        finished_ = true;
        return kEndArchive;
      case BlockType::kEncryption:
        return kBadArchive;
      default:
        continue;
    }
  }
}

int Archive::NextPart(Member& part, uint64_t& data_offset) {
  if (int r = NextVolume(true)) return r;
  for (;;) {
    Block b;
    int r = ReadBlock(*volume_, format_, next_, b);
    if (r == kEndArchive) return kBadArchive;
    if (r) return r;
    next_ = b.next;
    if (b.type == BlockType::kEnd) return kBadArchive;
    if (b.type != BlockType::kFile) continue;
    if (!b.member.split_before || b.member.name != part.name) return kBadArchive;
    part = b.member;
    data_offset = b.data_offset;
    return kSuccess;
  }
}

int Archive::SkipParts(const Member& m) {
  Member part = m;
  uint64_t data = 0;
  while (part.split_after)
    if (int r = NextPart(part, data)) return r;
  return kSuccess;
}

int Archive::SkipPending(const Member& m, uint64_t data_offset) {
  const bool data = !m.is_dir && !m.stored && m.copy_of.empty();
  if (!data) return SkipParts(m);
  if (solid_ && mode_ == kModeExtract && CannotDecode(m) == kSuccess) {
    // Only moving on can fail here; a member that does not decode shows in
    // the next solid one.
    int moved = kSuccess;
    Unpack(m, data_offset, nullptr, false, &moved);
    return moved;
  }
  decoder_ready_ = false;
  return SkipParts(m);
}

int Archive::CannotDecode(const Member& m) {
  if (m.split_before) return kBadArchive;  // its beginning is in an earlier volume
  if (m.encrypted) return kMissingPassword;
  if (!unpack::SameFamily(m.unp_ver, m.unp_ver)) return kUnknownFormat;
  if (m.dictionary > unpack::kMaxDictionary) return kNoMemory;
  if (!decoder_ || !unpack::SameFamily(decoder_version_, m.unp_ver)) {
    decoder_ = unpack::MakeDecoder(m.unp_ver);
    decoder_version_ = m.unp_ver;
    decoder_ready_ = false;
  }
  if (!decoder_) return kUnknownFormat;
  // A solid member goes on from the one before, which must have been decoded
  // by this decoder without fault.
  if (m.solid && !decoder_ready_) return kBadData;
  return kSuccess;
}

int Archive::ProcessFile(int operation, const char* dest_path, const char* dest_name) {
  if (!pending_) return kUnknown;
  pending_ = false;
  const Member m = pending_member_;
  if (operation == kSkip || mode_ != kModeExtract) return SkipPending(m, pending_data_);
  if (operation != kTest && operation != kExtract) {
    SkipPending(m, pending_data_);
    return kUnknown;
  }
  return Extract(m, pending_data_, operation, dest_path, dest_name);
}

int Archive::Extract(const Member& m, uint64_t data_offset, int operation, const char* dest_path,
                     const char* dest_name) {
  // Every refusal still moves past the member, so that the next one works.
  auto refuse = [&](int code) {
    int r = SkipPending(m, data_offset);
    return r ? r : code;
  };
  std::string path;
  std::string parent;
  std::string base;
  if (operation == kExtract) {
    if (!output_) return refuse(kCreateError);
    const char sep = output_->Separator();
    if (dest_path && *dest_path) {
      base = Utf8FromOem(dest_path);
      if (base.back() != '/' && base.back() != '\\') base += sep;
    }
    auto under_base = [&](const std::string& name, std::string& out) {
      std::vector<std::string> parts;
      if (!SafeComponents(name, parts)) return false;
      out = base;
      for (size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, sep) : "") + parts[i];
      return true;
    };
    if (dest_name && *dest_name) {
      path = Utf8FromOem(dest_name);
    } else if (!under_base(m.name, path)) {
      return refuse(kCreateError);
    }
    if (!m.copy_of.empty()) {
      std::string source;
      if (!under_base(m.copy_of, source)) return refuse(kCreateError);
      size_t cut = path.find_last_of("/\\");
      if (int r = SkipParts(m)) return r;
      if (cut != std::string::npos && cut > 0 && !output_->MakeDirs(path.substr(0, cut))) return kCreateError;
      if (!output_->CopyExtracted(source, path)) return kCreateError;
      output_->Finish(path, m);
      return kSuccess;
    }
    size_t cut = path.find_last_of("/\\");
    if (cut != std::string::npos && cut > 0) parent = path.substr(0, cut);
  }
  if (m.split_before) return refuse(kBadArchive);  // its beginning is in an earlier volume
  if (m.is_dir) {
    if (int r = SkipParts(m)) return r;
    if (operation != kExtract) return kSuccess;
    if (!output_->MakeDirs(path)) return kCreateError;
    output_->Finish(path, m);
    return kSuccess;
  }
  if (m.is_link) return refuse(kUnknownFormat);
  if (!m.copy_of.empty()) return refuse(kSuccess);  // tested with the member it repeats
  if (m.encrypted) return refuse(kMissingPassword);
  if (!m.stored) {
    if (int why = CannotDecode(m)) return refuse(why);
  }

  std::unique_ptr<OutputFile> out;
  if (operation == kExtract) {
    {
      TIMED("dll: MakeDirs");
      if (!parent.empty() && !output_->MakeDirs(parent)) return refuse(kCreateError);
    }
    TIMED("dll: Create");
    out = output_->Create(path);
    if (!out) return refuse(kCreateError);
  }
  int r = Unpack(m, data_offset, out.get(), true);
  if (out) {
    TIMED("dll: Close and Finish");
    const bool timesSet = r == kSuccess && out->SetTimes(m);
    bool closed = out->Close();
    out.reset();
    if (r == kSuccess && !closed) r = kWriteError;
    if (r != kSuccess) {
      output_->Remove(path);
      return r;
    }
    output_->Finish(path, m, timesSet);
  }
  return r;
}

int Archive::Unpack(const Member& m, uint64_t data_offset, OutputFile* out, bool report_data, int* moved) {
  int ignored;
  if (!moved) moved = &ignored;
  PartReader in(volume_, m, data_offset,
                [this](Member& part, uint64_t& offset) { return NextPart(part, offset); });
  CheckedSink sink(out, report_data ? on_data_ : nullptr, m.has_blake2);
  int r;
  if (m.stored) {
    r = CopyStored(in, sink);
  } else {
    unpack::MemberParams params;
    params.version = m.unp_ver;
    params.unp_size = m.unp_size;
    params.unp_size_known = m.unp_size_known;
    params.dictionary = m.dictionary;
    params.solid = m.solid;
    r = decoder_->Decode(in, sink, params);
    decoder_ready_ = r == kSuccess;
  }
  // A volume that is cut short or missing explains a failure better than the
  // decoder can; after one the archive cannot be read on.
  if (in.error()) return *moved = in.error();
  *moved = r == kSuccess ? in.Drain() : in.Skip();
  if (*moved) return *moved;
  if (r) return r;
  if (!in.parts_ok()) return kBadData;
  return sink.Verify(m, in.part());
}

}  // namespace rar
