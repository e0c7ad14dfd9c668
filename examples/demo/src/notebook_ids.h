// Control, menu and dialog ids of the example program; the GUI test reads the
// "constexpr int ID_..." lines of this file.
#pragma once

constexpr int ID_EDIT = 100;

constexpr int ID_FILE_NEW = 200;
constexpr int ID_FILE_OPEN = 201;
constexpr int ID_FILE_SAVE = 202;
constexpr int ID_FILE_SAVEAS = 203;
constexpr int ID_FILE_EXIT = 204;
constexpr int ID_EDIT_UNDO = 210;
constexpr int ID_EDIT_CUT = 211;
constexpr int ID_EDIT_COPY = 212;
constexpr int ID_EDIT_PASTE = 213;
constexpr int ID_EDIT_DELETE = 214;
constexpr int ID_EDIT_SELECTALL = 215;
constexpr int ID_EDIT_WORDWRAP = 216;
constexpr int ID_HELP_TOPICS = 220;
constexpr int ID_HELP_ABOUT = 221;

constexpr int ID_ABOUT_TITLE = 300;
constexpr int ID_ABOUT_TEXT = 301;
constexpr int ID_ABOUT_FOLDER = 302;

constexpr int IDD_ABOUT = 400;
constexpr int IDI_NOTEBOOK = 401;
