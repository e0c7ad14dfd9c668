// Reader of registry files in the registry editor's export form. It turns the
// text into a sequence of operations (create a key, set a value, show a
// message) that the import step carries out one by one, so that a refused
// registry write can stop the file exactly where the line-by-line reading
// would have stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace regfile {

// Larger files are not registry data an installation carries; they are skipped
// rather than read into memory.
inline constexpr size_t kMaxFileSize = 64u << 20;

// Value types as the registry numbers them.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

// Where the text of a key line points to.
struct KeyLocation {
  RootKey root = RootKey::LocalMachine;
  std::string rootName;  // "HKCR", "HKCU", "HKLM" or "HKU", as the log names the root
  std::string subKey;    // path under the root, without the root name and a final backslash
  bool operator==(const KeyLocation&) const = default;
};

// A key path that begins with a root's full name (any case) followed by a
// backslash or the end selects that root and loses the name and the
// backslash; a bare root name leaves an empty subKey, the root itself. Any
// other path is a key under HKEY_LOCAL_MACHINE; an unknown "HKEY_" name still
// loses everything up to its first backslash.
KeyLocation LocateKey(std::string_view keyPath);

enum class MessageKind { WrongRegFile, BadHexParameter, BugInHexToStr };

// The text the user sees; `fileName` as setup.ini names the file.
std::string MessageText(MessageKind kind, std::string_view fileName);

struct Operation {
  enum class Kind { CreateKey, SetValue, Message };
  Kind kind = Kind::CreateKey;
  KeyLocation key;        // CreateKey, SetValue
  std::string valueName;  // SetValue; empty for the key's default value
  uint32_t type = kRegSz;
  // kRegSz from quoted or plain data: the text before macro expansion.
  // hex data of any type: the bytes.
  std::string data;
  uint32_t number = 0;        // kRegDword
  bool fromHex = false;       // data came from hex or hex(n) byte lists
  bool wideText = false;      // hex(n) text of a file in the Unicode export form holds UTF-16LE
  MessageKind message = MessageKind::WrongRegFile;  // Message
  // The file's line (from 1) it comes from: a value's first line, a message's
  // offending line; for the author's checker, which names the line.
  size_t line = 0;
};

// What a SetValue operation stores and what the log records for it. Plain
// string data has the path macros expanded (which also undoes the editor's
// escapes); a number is logged in unsigned decimal, hex data as its bytes.
struct ValueBytes {
  uint32_t type = kRegSz;
  std::string bytes;  // as the registry stores them; a string with its terminating zero
  bool wide = false;  // bytes are UTF-16LE text
  std::string logData;
};
ValueBytes PrepareValue(const Operation& op, std::string_view installDir, std::string_view sourcePath);

// The UTF-16 text of a file that begins with a byte-order mark (UTF-16 LE or
// BE, or UTF-8), which the caller converts to the ANSI code page; nothing for
// a file of 8-bit text.
std::optional<std::u16string> UnicodeText(std::string_view bytes);

// Lines end at CR, at LF, or at the pair CR LF.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::string_view ReadLine();
  // The number of the line ReadLine gave last, from 1.
  size_t LineNumber() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

// Pulls operations from the text one at a time; the memory it holds is one
// value at most, whatever the file holds.
class TRegFileParser {
 public:
  explicit TRegFileParser(std::string_view text) : lines_(text) {}
  std::optional<Operation> Next();

 private:
  enum class State { NextLine, ValueData, HexData, ValueReady, Done };

  // Each state function reads what it needs and sets the next state; it
  // returns true when it has filled `out_` with an operation to hand out.
  bool OnNextLine();
  bool OnValueLine(std::string_view line);
  bool OnValueData();
  bool OnHexData();

  bool Emit(Operation op);
  bool EmitMessage(MessageKind kind);
  // The message of the value being read, unless it has shown one already.
  bool Report(MessageKind kind);
  bool EmitValue();

  LineReader lines_;
  State state_ = State::NextLine;
  bool unicodeForm_ = false;  // the header named the editor's Unicode export form
  bool haveKey_ = false;
  KeyLocation key_;
  std::string line_;  // rest of the value line being read
  Operation value_;   // value being collected
  std::string hexLine_;  // current line of hex data and the read position in it
  size_t hexPos_ = 0;
  bool reported_ = false;  // the value being read has shown its message
  std::optional<Operation> out_;
};

}  // namespace regfile
