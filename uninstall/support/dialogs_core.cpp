#include "uninstall/support/dialogs_core.h"

#include <cstdint>
#include <cstdlib>

namespace dialogs {

Point CentredPosition(const Rect& work, const Rect& window, int screenWidth, int screenHeight) {
  auto place = [](int start, int room, int size, int screen) {
    int pos = start + (room - size) / 2;
    if (pos + size > screen) pos = screen - size;
    if (pos < 0) pos = 0;
    return pos;
  };
  return Point{place(work.left, work.Width(), window.Width(), screenWidth),
               place(work.top, work.Height(), window.Height(), screenHeight)};
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = static_cast<int64_t>(number) * numerator;
  int64_t d = denominator;
  bool negative = (product < 0) != (d < 0);
  int64_t q = (std::llabs(product) + std::llabs(d) / 2) / std::llabs(d);
  if (negative) q = -q;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

int FontHeight(int points, int pixelsPerInch) { return -MulDiv(points, pixelsPerInch, 72); }

}  // namespace dialogs
