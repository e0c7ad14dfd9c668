// Window placement and title-font arithmetic of the uninstaller's dialogs.
#pragma once

namespace dialogs {

struct Rect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
struct Point {
  int x, y;
};

// The top left corner that centres `window` on `work`, then kept on a screen
// of `screenWidth` x `screenHeight`: pushed left or up when it would end
// beyond it, and to 0 when it would start before it.
Point CentredPosition(const Rect& work, const Rect& window, int screenWidth, int screenHeight);

// number * numerator / denominator, rounded half away from zero; -1 when
// the denominator is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

// The logical font height of a size in points at `pixelsPerInch`.
int FontHeight(int points, int pixelsPerInch);

}  // namespace dialogs
