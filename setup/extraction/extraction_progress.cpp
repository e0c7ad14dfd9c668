#include "setup/extraction/extraction_progress.h"

#include <algorithm>

namespace extraction {

int TotalPercent(int32_t done, int32_t total, int current) {
  if (total <= 0) return current;
  // Exact in integers: 64 bits hold any 32-bit count times 100.
  const int64_t scaled = int64_t{done} * 100;
  int64_t quotient = scaled / total;
  const int64_t twice_remainder = (scaled % total) * 2;
  if (twice_remainder > total || (twice_remainder == total && quotient % 2 != 0)) ++quotient;
  return static_cast<int>(std::clamp<int64_t>(quotient, 0, 100));
}

std::string FailedFileText(std::string_view ansiName) {
  return std::string(ansiName) + " - Ошибка распаковки !";
}

std::string_view FailedFileCaption() { return "Продолжить установку ?"; }

}  // namespace extraction
