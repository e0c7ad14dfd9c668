// The library's published interface: entry points, records and callbacks,
// laid out byte for byte as callers of any library with this interface expect.
#pragma once

#include <cstddef>

#ifdef _WIN32
#define RAR_CALL __stdcall
#else
#define RAR_CALL
#endif

extern "C" {

struct RARHeaderData {
  char ArcName[260];
  char FileName[260];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int UnpSize;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

#ifdef _WIN32
typedef wchar_t RarWideChar;
#else
typedef char16_t RarWideChar;  // the record's layout, for the portable core's tests
#endif

// The extended header: names of up to 1023 characters, also in UTF-16.
struct RARHeaderDataEx {
  char ArcName[1024];
  RarWideChar ArcNameW[1024];
  char FileName[1024];
  RarWideChar FileNameW[1024];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int PackSizeHigh;
  unsigned int UnpSize;
  unsigned int UnpSizeHigh;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int Reserved[1024];
};

struct RAROpenArchiveData {
  char* ArcName;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

typedef int(RAR_CALL* CHANGEVOLPROC)(char* ArcName, int Mode);
typedef int(RAR_CALL* PROCESSDATAPROC)(unsigned char* Addr, int Size);
// (message, UserData, P1, P2); the pointer-sized integers of the platform.
typedef int(RAR_CALL* UNRARCALLBACK)(unsigned int msg, long UserData, long P1, long P2);

struct RAROpenArchiveDataEx {
  char* ArcName;
  RarWideChar* ArcNameW;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int Flags;
  UNRARCALLBACK Callback;
  long UserData;
  unsigned int Reserved[28];
};

}  // extern "C"

// Messages of the callback given to RAROpenArchiveEx.
enum : unsigned { UCM_CHANGEVOLUME = 0, UCM_PROCESSDATA = 1 };

// Archive flags of RAROpenArchiveDataEx.
enum : unsigned {
  ROADF_VOLUME = 0x0001,
  ROADF_COMMENT = 0x0002,
  ROADF_SOLID = 0x0008,
  ROADF_NEWNUMBERING = 0x0010,
};

// Header flags.
enum : unsigned {
  RHDF_SPLITBEFORE = 0x01,
  RHDF_SPLITAFTER = 0x02,
  RHDF_ENCRYPTED = 0x04,
  RHDF_SOLID = 0x10,
  RHDF_DIRECTORY = 0xE0,
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RARHeaderData) == 572);
static_assert(offsetof(RARHeaderData, FileName) == 260);
static_assert(offsetof(RARHeaderData, Flags) == 520);
static_assert(offsetof(RARHeaderData, UnpSize) == 528);
static_assert(offsetof(RARHeaderData, FileAttr) == 552);
static_assert(offsetof(RARHeaderData, CmtBuf) == 556);
static_assert(offsetof(RARHeaderData, CmtState) == 568);
static_assert(sizeof(RAROpenArchiveData) == 28);
static_assert(offsetof(RARHeaderDataEx, FileName) == 3072);
static_assert(offsetof(RARHeaderDataEx, FileNameW) == 4096);
static_assert(offsetof(RARHeaderDataEx, Flags) == 6144);
static_assert(offsetof(RARHeaderDataEx, CmtBuf) == 6188);
static_assert(sizeof(RARHeaderDataEx) == 10300);
static_assert(offsetof(RAROpenArchiveData, OpenResult) == 8);
static_assert(offsetof(RAROpenArchiveData, CmtBuf) == 12);
static_assert(offsetof(RAROpenArchiveData, CmtState) == 24);
static_assert(offsetof(RAROpenArchiveDataEx, Flags) == 32);
static_assert(offsetof(RAROpenArchiveDataEx, UserData) == 40);
static_assert(sizeof(RAROpenArchiveDataEx) == 156);
#endif
