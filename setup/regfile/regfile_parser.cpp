#include "setup/regfile/regfile_parser.h"

#include <algorithm>

#include "common/ansi.h"
#include "common/numbers.h"
#include "setup/run/macros.h"
#include "setup/regfile/hex_reader.h"

namespace regfile {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsTextType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// "hex(" digits "):" names the registry type of the bytes that follow; the
// length of that prefix, or 0 when the data does not begin so.
size_t TypedHexPrefix(std::string_view lower, uint32_t& type) {
  if (!StartsWith(lower, "hex(")) return 0;
  size_t close = lower.find(')', 4);
  if (close == std::string_view::npos || close == 4 || close > 12) return 0;
  if (close + 1 >= lower.size() || lower[close + 1] != ':') return 0;
  std::string_view digits = lower.substr(4, close - 4);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return numbers::HexDigitValue(c) >= 0; })) return 0;
  type = static_cast<uint32_t>(HexToStr(digits));
  return close + 2;
}

void AppendUtf16(std::u16string& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

std::u16string DecodeUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      auto c = i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
      ok = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::u16string DecodeUtf16(std::string_view s, bool bigEndian) {
  std::u16string out;
  out.reserve(s.size() / 2);
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    auto a = static_cast<unsigned char>(s[i]);
    auto b = static_cast<unsigned char>(s[i + 1]);
    out += static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return out;
}

}  // namespace

KeyLocation LocateKey(std::string_view keyPath) {
  struct Root {
    std::string_view fullName;
    RootKey root;
    std::string_view shortName;
  };
  static constexpr Root kRoots[] = {
      {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot, "HKCR"},
      {"HKEY_CURRENT_USER", RootKey::CurrentUser, "HKCU"},
      {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine, "HKLM"},
      {"HKEY_USERS", RootKey::Users, "HKU"},
  };
  std::string upper = ansi::UpperCase(keyPath.substr(0, 24));
  KeyLocation loc;
  loc.root = RootKey::LocalMachine;
  // A path that names no root is written under HKEY_LOCAL_MACHINE, so that is
  // where the uninstaller must look for it.
  loc.rootName = "HKLM";
  const Root* named = nullptr;
  for (const Root& r : kRoots) {
    // The name must end there: HKEY_CURRENT_USERS is no root.
    if (StartsWith(upper, r.fullName) && (upper.size() == r.fullName.size() || upper[r.fullName.size()] == '\\')) {
      named = &r;
      loc.root = r.root;
      loc.rootName = r.shortName;
      break;
    }
  }
  std::string_view work = keyPath;
  if (named) {
    work.remove_prefix(std::min(named->fullName.size() + 1, work.size()));
  } else if (StartsWith(upper, "HKEY_")) {
    size_t slash = work.find('\\');
    if (slash != std::string_view::npos) work.remove_prefix(slash + 1);
  }
  if (!work.empty() && work.back() == '\\') work.remove_suffix(1);
  loc.subKey = std::string(work);
  return loc;
}

std::string MessageText(MessageKind kind, std::string_view fileName) {
  switch (kind) {
    case MessageKind::WrongRegFile: return "Wrong REG file:" + std::string(fileName);
    case MessageKind::BadHexParameter: return "Bad hex parameter";
    case MessageKind::BugInHexToStr: return "Bug in HexToStr";
  }
  return {};
}

ValueBytes PrepareValue(const Operation& op, std::string_view installDir, std::string_view sourcePath) {
  ValueBytes v;
  v.type = op.type;
  if (op.fromHex) {
    v.bytes = op.data;
    v.wide = op.wideText;
    v.logData = op.data;
  } else if (op.type == kRegDword) {
    for (int shift = 0; shift < 32; shift += 8) v.bytes += static_cast<char>((op.number >> shift) & 0xFF);
    v.logData = std::to_string(op.number);
  } else {
    v.logData = ExpandMacros(op.data, installDir, sourcePath);
    v.bytes = v.logData;
    v.bytes += '\0';
  }
  return v;
}

std::optional<std::u16string> UnicodeText(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return DecodeUtf8(bytes.substr(3));
  return std::nullopt;
}

std::string_view LineReader::ReadLine() {
  ++number_;
  size_t start = pos_;
  size_t end = text_.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    pos_ = text_.size();
    return text_.substr(start);
  }
  pos_ = end + 1;
  // Only the LF of a CR LF pair belongs to the line end; a file with bare LF
  // line ends keeps the first character of every line.
  if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return text_.substr(start, end - start);
}

std::optional<Operation> TRegFileParser::Next() {
  out_.reset();
  for (;;) {
    bool emitted = false;
    switch (state_) {
      case State::NextLine: emitted = OnNextLine(); break;
      case State::ValueData: emitted = OnValueData(); break;
      case State::HexData: emitted = OnHexData(); break;
      case State::ValueReady:
        state_ = State::NextLine;
        emitted = EmitValue();
        break;
      case State::Done: return std::nullopt;
    }
    if (emitted) return std::move(out_);
  }
}

bool TRegFileParser::OnNextLine() {
  if (lines_.AtEnd()) {
    state_ = State::Done;
    return false;
  }
  std::string_view line = ansi::Trim(lines_.ReadLine());
  if (line.empty()) return false;
  if (StartsWith(line, "Windows Registry Editor Version ")) unicodeForm_ = true;
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    key_ = LocateKey(line.substr(1, line.size() - 2));
    // A line that names a root itself ([HKEY_CURRENT_USER]) creates nothing,
    // and the values under it are skipped like those before any key line:
    // none is ever written into a root key.
    haveKey_ = !key_.subKey.empty();
    if (!haveKey_) return false;
    Operation op;
    op.kind = Operation::Kind::CreateKey;
    op.key = key_;
    op.line = lines_.LineNumber();
    return Emit(std::move(op));
  }
  return OnValueLine(line);
}

bool TRegFileParser::OnValueLine(std::string_view line) {
  // Without a key line there is no key to hold the value: it would land in the
  // root of HKEY_LOCAL_MACHINE.
  if (!haveKey_) return false;
  value_ = Operation{};
  value_.line = lines_.LineNumber();
  reported_ = false;
  if (line.front() == '"') {
    // The editor escapes a backslash and a quote inside a name with a backslash.
    size_t i = 1;
    bool closed = false;
    while (i < line.size()) {
      char c = line[i];
      if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
        value_.valueName += line[i + 1];
        i += 2;
        continue;
      }
      ++i;
      if (c == '"') {
        closed = true;
        break;
      }
      value_.valueName += c;
    }
    if (!closed) return EmitMessage(MessageKind::WrongRegFile);
    line_ = std::string(line.substr(i));
  } else {
    if (line.front() == ';') return false;  // a comment, even when it holds "="
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;  // header lines and other forms
    value_.valueName = std::string(line.substr(0, eq));
    line_ = std::string(line.substr(eq));
  }
  if (value_.valueName == "@") value_.valueName.clear();
  state_ = State::ValueData;
  return false;
}

bool TRegFileParser::OnValueData() {
  state_ = State::NextLine;
  size_t eq = line_.find('=');
  if (eq == std::string::npos) return EmitMessage(MessageKind::WrongRegFile);
  std::string_view data = ansi::Trim(std::string_view(line_).substr(eq + 1));
  if (!data.empty() && data.front() == '"' && data.back() == '"') {
    value_.type = kRegSz;
    value_.data = data.size() >= 2 ? std::string(data.substr(1, data.size() - 2)) : std::string();
    return EmitValue();
  }
  std::string lower = ansi::LowerCase(data.substr(0, 16));
  uint32_t hexType = 0;
  size_t typedPrefix = TypedHexPrefix(lower, hexType);
  if (StartsWith(lower, "dword:")) {
    value_.type = kRegDword;
    int bad = 0;
    value_.number = static_cast<uint32_t>(HexToStr(data.substr(6), &bad));
    state_ = State::ValueReady;
    return bad > 0 && Report(MessageKind::BugInHexToStr);
  }
  if (StartsWith(lower, "hex:") || typedPrefix > 0) {
    size_t prefix = typedPrefix > 0 ? typedPrefix : 4;
    value_.type = typedPrefix > 0 ? hexType : kRegBinary;
    value_.fromHex = true;
    value_.wideText = typedPrefix > 0 && unicodeForm_ && IsTextType(hexType);
    hexLine_ = std::string(data.substr(prefix));
    hexPos_ = 0;
    state_ = State::HexData;
    return false;
  }
  value_.type = kRegSz;
  value_.data = std::string(data);
  return EmitValue();
}

bool TRegFileParser::OnHexData() {
  for (;;) {
    while (hexPos_ < hexLine_.size() && IsBlank(hexLine_[hexPos_])) ++hexPos_;
    if (hexPos_ >= hexLine_.size()) {
      state_ = State::NextLine;
      return EmitValue();
    }
    if (hexLine_[hexPos_] == '\\') {
      // Continued on the next line; at the end of the file the value ends here.
      hexLine_ = lines_.AtEnd() ? std::string() : std::string(ansi::Trim(lines_.ReadLine()));
      hexPos_ = 0;
      continue;
    }
    std::string_view pair = std::string_view(hexLine_).substr(hexPos_, 2);
    hexPos_ += pair.size();
    if (hexPos_ < hexLine_.size() && hexLine_[hexPos_] == ',') ++hexPos_;
    int bad = 0;
    value_.data += static_cast<char>(HexToStr(pair, &bad) & 0xFF);
    bool neither = numbers::HexDigitValue(pair[0]) < 0 && (pair.size() < 2 || numbers::HexDigitValue(pair[1]) < 0);
    if (neither) {
      if (Report(MessageKind::BadHexParameter)) return true;
    } else if (bad > 0) {
      if (Report(MessageKind::BugInHexToStr)) return true;
    }
  }
}

bool TRegFileParser::Report(MessageKind kind) {
  // One message per value: a value of a hundred thousand bad digits must not
  // show a hundred thousand boxes, each waiting for OK.
  if (reported_) return false;
  reported_ = true;
  return EmitMessage(kind);
}

bool TRegFileParser::Emit(Operation op) {
  out_ = std::move(op);
  return true;
}

bool TRegFileParser::EmitMessage(MessageKind kind) {
  Operation op;
  op.kind = Operation::Kind::Message;
  op.message = kind;
  op.line = lines_.LineNumber();
  return Emit(std::move(op));
}

bool TRegFileParser::EmitValue() {
  value_.kind = Operation::Kind::SetValue;
  value_.key = key_;
  Operation op = std::move(value_);
  value_ = Operation{};
  return Emit(std::move(op));
}

}  // namespace regfile
