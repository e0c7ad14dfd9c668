// A registry file read by the setup program's own reader: the lines it stops
// at with a message, the lines it passes over in silence, and the keys it
// writes that belong to Windows or to other programs rather than to the
// product.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "setup/regfile/regfile_parser.h"
#include "tools/author/findings.h"

namespace author {

struct RegFileSummary {
  std::vector<std::string> keys;  // "HKCU\Software\..." in the order first written (code page 1251)
  int values = 0;
};

// `nameInSetupIni` as RegFile<k> writes it (code page 1251), for the
// messages the setup program shows.
void CheckRegFile(std::string_view bytes, const std::string& file, std::string_view nameInSetupIni,
                  Findings& findings, RegFileSummary* summary = nullptr);

// Why a key is not the product's own (HKEY_CURRENT_USER\Environment, a Run
// key, a key of Windows); empty for the keys an installation normally owns:
// its own under Software, and file types and classes.
std::string SharedKeyReason(const regfile::KeyLocation& key);

}  // namespace author
