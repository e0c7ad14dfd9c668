#include "unrar/rar_blocks.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "unrar/codepage.h"
#include "unrar/crc32.h"
#include "unrar/rar_codes.h"

namespace rar {
namespace {

constexpr unsigned char kMarker[6] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07};
// A self-extracting stub is searched this far, no further.
constexpr uint64_t kMaxStub = 1 << 20;
// Format 5 caps a header at this size; format 4 sizes are 16-bit anyway.
constexpr uint64_t kMaxHeader5 = 0x200000;
// Decoded names longer than this are garbage.
constexpr size_t kMaxNameChars = 4096;
constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kUnixEpochSeconds = 11'644'473'600ull;  // 1601 -> 1970

class Cursor {
 public:
  Cursor(const unsigned char* p, size_t n) : p_(p), n_(n) {}
  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t remaining() const { return n_ - pos_; }
  const unsigned char* here() const { return p_ + pos_; }

  bool Need(size_t k) {
    if (!ok_ || remaining() < k) ok_ = false;
    return ok_;
  }
  uint64_t Le(size_t k) {
    if (!Need(k)) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < k; ++i) v |= uint64_t{p_[pos_ + i]} << (8 * i);
    pos_ += k;
    return v;
  }
  uint8_t U8() { return static_cast<uint8_t>(Le(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Le(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Le(4)); }
  uint64_t U64() { return Le(8); }
  uint64_t VInt() {
    uint64_t v = 0;
    for (int shift = 0; shift < 70; shift += 7) {
      if (!Need(1)) return 0;
      unsigned char b = p_[pos_++];
      if (shift == 63 && (b & 0x7E)) break;  // more than 64 bits
      v |= uint64_t{b & 0x7Fu} << shift;
      if (!(b & 0x80)) return v;
    }
    ok_ = false;
    return 0;
  }
  std::string Bytes(size_t k) {
    if (!Need(k)) return {};
    std::string s(reinterpret_cast<const char*>(p_ + pos_), k);
    pos_ += k;
    return s;
  }
  void Skip(size_t k) {
    if (Need(k)) pos_ += k;
  }

 private:
  const unsigned char* p_;
  size_t n_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool AddOffsets(uint64_t a, uint64_t b, uint64_t& sum) {
  if (b > std::numeric_limits<uint64_t>::max() - a) return false;
  sum = a + b;
  return true;
}

// Days since 1601-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468 + 134774;  // 1970 -> 1601
}

void CivilFromDays(int64_t days, int64_t& y, unsigned& m, unsigned& d) {
  int64_t z = days - 134774 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

std::u16string DecodeUnicodeName(std::string_view oem, std::string_view enc) {
  std::u16string out;
  size_t ep = 0;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(enc[i]); };
  if (enc.empty()) return out;
  const unsigned high = byte(ep++);
  unsigned flags = 0;
  int flag_bits = 0;
  while (ep < enc.size() && out.size() < kMaxNameChars) {
    if (flag_bits == 0) {
      flags = byte(ep++);
      flag_bits = 8;
    }
    switch (flags >> 6) {
      case 0:
        if (ep >= enc.size()) return out;
        out += static_cast<char16_t>(byte(ep++));
        break;
      case 1:
        if (ep >= enc.size()) return out;
        out += static_cast<char16_t>(byte(ep++) + (high << 8));
        break;
      case 2:
        if (ep + 1 >= enc.size()) return out;
        out += static_cast<char16_t>(byte(ep) | (byte(ep + 1) << 8));
        ep += 2;
        break;
      case 3: {
        if (ep >= enc.size()) return out;
        unsigned length = byte(ep++);
        if (length & 0x80) {
          if (ep >= enc.size()) return out;
          unsigned correction = byte(ep++);
          for (length = (length & 0x7F) + 2; length > 0 && out.size() < oem.size(); --length) {
            unsigned c = static_cast<unsigned char>(oem[out.size()]);
            out += static_cast<char16_t>(((c + correction) & 0xFF) + (high << 8));
          }
        } else {
          for (length += 2; length > 0 && out.size() < oem.size(); --length)
            out += static_cast<char16_t>(static_cast<unsigned char>(oem[out.size()]));
        }
        break;
      }
    }
    flags = (flags << 2) & 0xFF;
    flag_bits -= 2;
  }
  return out;
}

std::string Rar4Name(const std::string& raw, uint16_t flags, bool unix_like) {
  std::string name;
  if (flags & 0x0200) {
    size_t zero = raw.find('\0');
    if (zero == std::string::npos)
      name = NormalizeUtf8(raw);
    else
      name = Utf8FromUtf16(DecodeUnicodeName(std::string_view(raw).substr(0, zero),
                                             std::string_view(raw).substr(zero + 1)));
  } else if (unix_like && IsValidUtf8(raw)) {
    name = raw;
  } else {
    name = Utf8FromOem(raw);
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

void ReadExtendedTimes(Cursor& c, uint32_t dos_time, Member& m) {
  uint16_t flags = c.U16();
  MemberTime* slots[4] = {&m.mtime, &m.ctime, &m.atime, nullptr};
  for (int i = 0; i < 4 && c.ok(); ++i) {
    unsigned mode = (flags >> ((3 - i) * 4)) & 0xF;
    if (!(mode & 8)) continue;
    uint32_t dos = i == 0 ? dos_time : c.U32();
    uint64_t ticks = TicksFromDos(dos) + ((mode & 4) ? kTicksPerSecond : 0);
    unsigned count = mode & 3;
    uint64_t rem = 0;
    for (unsigned j = 0; j < count; ++j) rem |= uint64_t{c.U8()} << ((j + 3 - count) * 8);
    if (!c.ok() || !slots[i]) continue;
    *slots[i] = MemberTime{true, true, ticks + rem};
  }
}

int ParseRar4File(const unsigned char* h, size_t size, uint16_t flags, Block& out) {
  Cursor c(h + 7, size - 7);
  Member& m = out.member;
  uint64_t pack = c.U32();
  uint64_t unp = c.U32();
  m.host_os = c.U8();
  m.crc = c.U32();
  uint32_t ftime = c.U32();
  m.unp_ver = c.U8();
  m.method = c.U8();
  uint16_t name_size = c.U16();
  m.attributes = c.U32();
  if (flags & 0x0100) {
    pack |= uint64_t{c.U32()} << 32;
    unp |= uint64_t{c.U32()} << 32;
  }
  std::string raw = c.Bytes(name_size);
  if (!c.ok()) return kBadArchive;
  if (flags & 0x0400) c.Skip(8);
  m.pack_size = pack;
  m.unp_size = unp;
  m.has_crc = true;
  m.dos_time = ftime;
  m.mtime = MemberTime{true, true, TicksFromDos(ftime)};
  if ((flags & 0x1000) && !(flags & 0x0008) && c.ok()) ReadExtendedTimes(c, ftime, m);
  m.host_windows = m.host_os <= 2;
  m.split_before = flags & 0x01;
  m.split_after = flags & 0x02;
  m.encrypted = flags & 0x04;
  m.solid = flags & 0x10;
  m.is_dir = (flags & 0xE0) == 0xE0;
  if (!m.host_windows) {
    unsigned kind = m.attributes & 0xF000;
    if (kind == 0x4000) m.is_dir = true;
    if (kind == 0xA000) m.is_link = true;
  } else if (m.attributes & 0x10) {
    m.is_dir = true;
  }
  m.stored = m.method == 0x30;
  if (!m.is_dir) m.dictionary = uint64_t{64 * 1024} << ((flags >> 5) & 7);
  m.name = Rar4Name(raw, flags, !m.host_windows);
  return kSuccess;
}

int ReadBlock4(ByteSource& src, uint64_t offset, Block& out) {
  unsigned char fixed[7];
  if (!src.ReadAt(offset, fixed, sizeof fixed)) return kBadArchive;
  const uint16_t crc = fixed[0] | (fixed[1] << 8);
  const unsigned type = fixed[2];
  const uint16_t flags = fixed[3] | (fixed[4] << 8);
  const uint16_t head_size = fixed[5] | (fixed[6] << 8);
  if (head_size < 7) return kBadArchive;
  std::vector<unsigned char> h(head_size);
  if (!src.ReadAt(offset, h.data(), h.size())) return kBadArchive;
  bool crc_ok = (Crc32(0, h.data() + 2, h.size() - 2) & 0xFFFF) == crc;

  uint64_t data_size = 0;
  if ((flags & 0x8000) && head_size >= 11) data_size = h[7] | (h[8] << 8) | (h[9] << 16) | (uint32_t{h[10]} << 24);
  switch (type) {
    case 0x73:
      if (head_size < 13) return kBadArchive;
      // Old archives keep their comment inside the main header, outside its checksum.
      if (!crc_ok && (flags & 0x0002)) crc_ok = (Crc32(0, h.data() + 2, 11) & 0xFFFF) == crc;
      out.type = BlockType::kMain;
      out.volume = flags & 0x0001;
      out.has_old_comment = flags & 0x0002;
      out.solid = flags & 0x0008;
      out.new_numbering = flags & 0x0010;
      out.headers_encrypted = flags & 0x0080;
      break;
    case 0x74:
    case 0x7A: {
      if (head_size < 32) return kBadArchive;
      out.type = type == 0x74 ? BlockType::kFile : BlockType::kService;
      if (int r = ParseRar4File(h.data(), h.size(), flags, out)) return r;
      data_size = out.member.pack_size;
      break;
    }
    case 0x7B:
      out.type = BlockType::kEnd;
      out.more_volumes = flags & 0x0001;
      break;
    default:
      out.type = BlockType::kOther;
      break;
  }
  if (!crc_ok) return kBadData;
  out.data_offset = offset + head_size;
  if (!AddOffsets(out.data_offset, data_size, out.next)) return kBadArchive;
  return kSuccess;
}

void ReadTimeRecord(Cursor c, Member& m) {
  uint64_t flags = c.VInt();
  bool unix_time = flags & 1;
  MemberTime* slots[3] = {&m.mtime, &m.ctime, &m.atime};
  MemberTime read[3];
  for (int i = 0; i < 3; ++i) {
    if (!(flags & (2u << i))) continue;
    uint64_t t = unix_time ? c.U32() : c.U64();
    read[i] = MemberTime{true, false,
                         unix_time ? (t + kUnixEpochSeconds) * kTicksPerSecond : t};
  }
  if (unix_time && (flags & 0x10)) {
    for (auto& t : read)
      if (t.present) t.ticks += (c.U32() & 0x3FFFFFFF) / 100;
  }
  if (!c.ok()) return;  // a damaged record is ignored, not fatal
  for (int i = 0; i < 3; ++i)
    if (read[i].present) *slots[i] = read[i];
}

void ReadExtraArea(Cursor c, Member& m) {
  while (c.remaining() > 0) {
    uint64_t size = c.VInt();
    if (!c.ok() || size == 0 || size > c.remaining()) return;
    Cursor record(c.here(), static_cast<size_t>(size));
    c.Skip(static_cast<size_t>(size));
    uint64_t type = record.VInt();
    if (!record.ok()) return;
    Cursor body(record.here(), record.remaining());
    if (type == 0x01) m.encrypted = true;
    if (type == 0x02 && body.VInt() == 0 && body.ok() && body.remaining() >= 32) {
      m.has_blake2 = true;  // hash kind 0: BLAKE2sp
      for (unsigned char& b : m.blake2) b = body.U8();
    }
    if (type == 0x03) ReadTimeRecord(body, m);
    if (type == 0x05) {
      // Hard links and file copies repeat an earlier member's data; links
      // that point somewhere are never followed or made.
      uint64_t kind = body.VInt();
      body.VInt();  // flags
      uint64_t length = body.VInt();
      std::string target = body.ok() && length <= body.remaining() ? body.Bytes(static_cast<size_t>(length)) : "";
      if ((kind == 4 || kind == 5) && !target.empty()) {
        m.copy_of = NormalizeUtf8(target);
        std::replace(m.copy_of.begin(), m.copy_of.end(), '\\', '/');
      } else {
        m.is_link = true;
      }
    }
  }
}

int ParseRar5File(Cursor& c, size_t body_end, const unsigned char* extra, size_t extra_size,
                  Block& out) {
  Member& m = out.member;
  uint64_t file_flags = c.VInt();
  m.unp_size = c.VInt();
  m.attributes = static_cast<uint32_t>(c.VInt());
  if (file_flags & 0x0002) {
    uint32_t t = c.U32();
    m.mtime = MemberTime{true, false, (t + kUnixEpochSeconds) * kTicksPerSecond};
  }
  if (file_flags & 0x0004) {
    m.crc = c.U32();
    m.has_crc = true;
  }
  uint64_t info = c.VInt();
  uint64_t host = c.VInt();
  uint64_t name_length = c.VInt();
  if (!c.ok() || name_length > c.remaining()) return kBadArchive;
  std::string raw = c.Bytes(static_cast<size_t>(name_length));
  if (!c.ok() || c.pos() > body_end) return kBadArchive;
  m.is_dir = file_flags & 0x0001;
  m.unp_size_known = !(file_flags & 0x0008);
  // Algorithm 0 is the one introduced with unpack version 50; 1 the same with
  // larger dictionaries (70). Anything else is reported as it stands.
  const unsigned algorithm = static_cast<unsigned>(info & 0x3F);
  m.unp_ver = algorithm == 0 ? 50 : algorithm == 1 ? 70 : algorithm;
  if (!m.is_dir) {
    const uint64_t base = uint64_t{128 * 1024} << ((info >> 10) & (algorithm == 0 ? 0x0F : 0x1F));
    m.dictionary = algorithm == 0 ? base : base + base / 32 * ((info >> 15) & 0x1F);
  }
  unsigned method = static_cast<unsigned>((info >> 7) & 7);
  m.method = 0x30 + method;
  m.stored = method == 0;
  m.solid = info & 0x40;
  m.host_windows = host == 0;
  m.host_os = host == 0 ? 2 : 3;
  m.name = NormalizeUtf8(raw);
  std::replace(m.name.begin(), m.name.end(), '\\', '/');
  ReadExtraArea(Cursor(extra, extra_size), m);
  return kSuccess;
}

int ReadBlock5(ByteSource& src, uint64_t offset, Block& out) {
  unsigned char start[14];
  const uint64_t avail = std::min<uint64_t>(sizeof start, src.Size() - offset);
  if (avail < 6 || !src.ReadAt(offset, start, static_cast<size_t>(avail))) return kBadArchive;
  Cursor sc(start + 4, static_cast<size_t>(avail - 4));
  const uint64_t header_size = sc.VInt();
  if (!sc.ok() || header_size == 0 || header_size > kMaxHeader5) return kBadArchive;
  const uint64_t total = 4 + sc.pos() + header_size;
  if (total > src.Size() - offset) return kBadArchive;
  std::vector<unsigned char> h(static_cast<size_t>(total));
  if (!src.ReadAt(offset, h.data(), h.size())) return kBadArchive;
  const uint32_t crc = h[0] | (h[1] << 8) | (h[2] << 16) | (uint32_t{h[3]} << 24);
  if (Crc32(0, h.data() + 4, h.size() - 4) != crc) return kBadData;

  const size_t body = 4 + sc.pos();
  Cursor c(h.data() + body, static_cast<size_t>(header_size));
  const uint64_t type = c.VInt();
  const uint64_t flags = c.VInt();
  const uint64_t extra_size = (flags & 0x0001) ? c.VInt() : 0;
  const uint64_t data_size = (flags & 0x0002) ? c.VInt() : 0;
  if (!c.ok() || extra_size > header_size - c.pos()) return kBadArchive;
  const size_t body_end = static_cast<size_t>(header_size - extra_size);
  switch (type) {
    case 1: {
      uint64_t arc_flags = c.VInt();
      if (!c.ok()) return kBadArchive;
      out.type = BlockType::kMain;
      out.volume = arc_flags & 0x0001;
      out.solid = arc_flags & 0x0004;
      out.new_numbering = true;
      break;
    }
    case 2:
    case 3: {
      out.type = type == 2 ? BlockType::kFile : BlockType::kService;
      if (int r = ParseRar5File(c, body_end, h.data() + body + body_end,
                                static_cast<size_t>(extra_size), out))
        return r;
      out.member.pack_size = data_size;
      out.member.split_before = flags & 0x0008;
      out.member.split_after = flags & 0x0010;
      break;
    }
    case 4:
      out.type = BlockType::kEncryption;
      break;
    case 5: {
      uint64_t end_flags = c.VInt();
      out.type = BlockType::kEnd;
      out.more_volumes = c.ok() && (end_flags & 0x0001);
      break;
    }
    default:
      out.type = BlockType::kOther;
      break;
  }
  out.data_offset = offset + total;
  if (!AddOffsets(out.data_offset, data_size, out.next)) return kBadArchive;
  return kSuccess;
}

}  // namespace

Signature FindSignature(ByteSource& src) {
  Signature sig;
  // The usual case first: the signature at the very start, without reading a whole stub's worth.
  unsigned char start[8];
  if (src.Size() >= 8 && src.ReadAt(0, start, 8) && std::memcmp(start, kMarker, sizeof kMarker) == 0) {
    if (start[6] == 0) {
      sig.first_block = 7;
      return sig;
    }
    if (start[6] == 1 && start[7] == 0) {
      sig.format = Format::kRar5;
      sig.first_block = 8;
      return sig;
    }
  }
  const uint64_t scan = std::min<uint64_t>(src.Size(), kMaxStub + 8);
  std::vector<unsigned char> head(static_cast<size_t>(scan));
  if (scan < 7 || !src.ReadAt(0, head.data(), head.size())) {
    sig.code = kBadArchive;
    return sig;
  }
  for (size_t i = 0; i + 7 <= head.size(); ++i) {
    if (std::memcmp(head.data() + i, kMarker, sizeof kMarker) != 0) continue;
    if (head[i + 6] == 0) {
      sig.format = Format::kRar4;
      sig.first_block = i + 7;
      return sig;
    }
    if (head[i + 6] == 1 && i + 8 <= head.size() && head[i + 7] == 0) {
      sig.format = Format::kRar5;
      sig.first_block = i + 8;
      return sig;
    }
    sig.code = kUnknownFormat;  // a later format version
    return sig;
  }
  sig.code = kBadArchive;
  return sig;
}

int ReadBlock(ByteSource& src, Format format, uint64_t offset, Block& out) {
  out = Block{};
  if (offset == src.Size()) return kEndArchive;
  if (offset > src.Size()) return kBadArchive;
  return format == Format::kRar4 ? ReadBlock4(src, offset, out) : ReadBlock5(src, offset, out);
}

uint64_t TicksFromDos(uint32_t dos) {
  unsigned sec = (dos & 0x1F) * 2, min = (dos >> 5) & 0x3F, hour = (dos >> 11) & 0x1F;
  unsigned day = (dos >> 16) & 0x1F, month = (dos >> 21) & 0x0F;
  int64_t year = 1980 + ((dos >> 25) & 0x7F);
  day = std::max(day, 1u);
  month = std::clamp(month, 1u, 12u);
  int64_t days = DaysFromCivil(year, month, day);
  uint64_t seconds = static_cast<uint64_t>(days) * 86400 + hour * 3600ull + min * 60ull + sec;
  return seconds * kTicksPerSecond;
}

uint32_t DosFromTicks(uint64_t ticks) {
  const uint64_t seconds = ticks / kTicksPerSecond;
  int64_t y;
  unsigned m, d;
  CivilFromDays(static_cast<int64_t>(seconds / 86400), y, m, d);
  if (y < 1980) return (1u << 21) | (1u << 16);
  if (y > 2107) return 0xFF9FBF7Du;  // 2107-12-31 23:59:58
  const unsigned s = static_cast<unsigned>(seconds % 86400);
  return (static_cast<uint32_t>(y - 1980) << 25) | (m << 21) | (d << 16) | ((s / 3600) << 11) |
         (((s / 60) % 60) << 5) | ((s % 60) / 2);
}

uint32_t WindowsAttributes(const Member& m) {
  if (m.host_windows) return (m.attributes & 0x27) | (m.is_dir ? 0x10 : 0);
  if (m.is_dir) return 0x10;
  return 0x20 | ((m.attributes & 0200) ? 0 : 0x01);
}

}  // namespace rar
