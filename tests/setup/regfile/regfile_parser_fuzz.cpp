// Any bytes as a registry file: the parser must end, never hand out more than
// the input holds, and every value must be ready for the registry and the log.
#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/run/install_records.h"
#include "setup/regfile/regfile_parser.h"

namespace {

std::string Narrow(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) s += c < 0x80 ? static_cast<char>(c) : '?';
  return s;
}

void Check(std::string_view text) {
  regfile::TRegFileParser parser(text);
  size_t operations = 0;
  bool valueMessage = false;  // the last operation was a message about digits
  while (auto op = parser.Next()) {
    if (++operations > 2 * text.size() + 4) __builtin_trap();
    // A message about digits belongs to one value, which comes right after it.
    if (valueMessage && op->kind != regfile::Operation::Kind::SetValue) __builtin_trap();
    valueMessage = op->kind == regfile::Operation::Kind::Message &&
                   op->message != regfile::MessageKind::WrongRegFile;
    // No key line hands out a root itself, and no value goes into one.
    if (op->kind != regfile::Operation::Kind::Message && op->key.subKey.empty()) __builtin_trap();
    if (op->kind != regfile::Operation::Kind::SetValue) continue;
    if (op->key.rootName.empty() || op->data.size() > text.size()) __builtin_trap();
    regfile::ValueBytes v = regfile::PrepareValue(*op, "C:\\Prog\\App\\", "D:\\");
    if (op->type == regfile::kRegDword && !op->fromHex && v.bytes.size() != 4) __builtin_trap();
    installrecords::RegKeyRecord(op->key.rootName, op->key.subKey);
    auto record = installrecords::RegValueRecord(op->key.rootName, op->key.subKey, op->valueName, v.logData);
    if (record && record->key.find_first_of("\r\n=") != std::string::npos) __builtin_trap();
  }
  if (valueMessage) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(bytes);
  if (auto unicode = regfile::UnicodeText(bytes)) Check(Narrow(*unicode));
  return 0;
}
