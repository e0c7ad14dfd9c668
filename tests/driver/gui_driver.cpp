// The GUI test driver: uses a program's windows as a person would. It reads a
// script (UTF-8, one command a line, "#" starts a comment, arguments may be
// "quoted") and stops at the first failing step with a message and exit code 1.
//
//   start "C:\path\prog.exe" ["arguments"]   start a program (the one the commands below watch)
//   wait-window "caption" [ms]                wait for a visible top-level window; it becomes current
//   no-window "caption" [ms]                  fail if such a window appears within ms
//   close                                     the current window's close box
//   wait-exit [ms] [code]                     wait for the started program to end, check its exit code
//   still-running [ms]                        fail if the program ends within ms
//   sleep ms
//   handshake "C:\path\name" [ms]            write name.ready, wait for name.done (for outside tools)
//
// Controls of the current window are named by numeric id or by caption:
//   expect-caption "text" [ms]                the current window's caption
//   expect-text CONTROL "text" [ms]           the control's text, byte for byte in the ANSI code page
//   expect CONTROL state... [ms]              visible hidden enabled disabled checked unchecked
//   click CONTROL                             a button, check box or radio button
//   type CONTROL "text"                       type over the whole text of an edit field
//   expect-count LIST n                       items of a list box or list-view
//   expect-item LIST i "text" [checked|unchecked] [enabled|disabled]
//   item-click LIST i [box|text]              mouse press and release on item i
//   wait-msgbox "caption" "text" [ms]         a message box of the program; it becomes current
//   wait-dialog "caption" [ms]                any dialog of the program ("*": any caption)
//   answer ok|cancel|yes|no|retry|ignore|abort|ID   press a button of the current dialog
//   key escape|enter                          press a key where the current window's focus is
//
// Texts compared or typed may hold \n, \r, \t and \\ ; "expect" commands wait up
// to 3 s (or ms) for their condition and then fail with what they saw.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/driver/driver_script.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_driver SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "driver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  return RunDriverScript(text.str());
}
