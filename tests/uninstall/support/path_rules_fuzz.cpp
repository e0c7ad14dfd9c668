// Any bytes as a path or key of install.log: the spelling rules never fail, a
// plain spelling is a full path with no stream or folder wildcard, the folders
// above it end at its root, and a mask match never runs away.
#include <cstdint>
#include <string>

#include "uninstall/support/path_spelling.h"
#include "uninstall/support/reg_path.h"

using namespace pathspell;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  if (std::optional<std::string> plain = PlainSpelling(text)) {
    size_t root = RootLength(*plain);
    Check(root > 0);
    Check(plain->find(':', root) == std::string::npos);
    Check(!HasWildcard(SplitLast(*plain).folder));
    Check(PlainSpelling(*plain) == plain);
    std::vector<std::string> chain = FoldersUpToRoot(SplitLast(*plain).folder);
    Check(!chain.empty() && IsRoot(chain.back()));
    for (size_t i = 1; i < chain.size(); ++i) Check(IsBelow(chain[i - 1], chain[i]));
  }
  size_t cut = text.find('|');
  if (cut != std::string::npos) MaskMatches(std::string_view(text).substr(0, cut), std::string_view(text).substr(cut + 1));
  regpath::IsProtectedKey(text);
  return 0;
}
