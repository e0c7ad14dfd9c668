// The library's seven entry points, bound by name from the DLL beside the test.
#pragma once

#include <windows.h>

#include "common/win32_handles.h"
#include "unrar/unrar_api.h"

struct UnrarLibrary {
  using OpenFn = HANDLE(__stdcall*)(RAROpenArchiveData*);
  using OpenExFn = HANDLE(__stdcall*)(RAROpenArchiveDataEx*);
  using CloseFn = int(__stdcall*)(HANDLE);
  using ReadHeaderFn = int(__stdcall*)(HANDLE, RARHeaderData*);
  using ProcessFn = int(__stdcall*)(HANDLE, int, char*, char*);
  using SetVolFn = void(__stdcall*)(HANDLE, CHANGEVOLPROC);
  using SetDataFn = void(__stdcall*)(HANDLE, PROCESSDATAPROC);
  using SetPasswordFn = void(__stdcall*)(HANDLE, char*);

  UnrarLibrary() : module(LoadLibraryA("UnRAR.dll")) {
    if (!module) return;
    Open = Bind<OpenFn>("RAROpenArchive");
    OpenEx = Bind<OpenExFn>("RAROpenArchiveEx");
    Close = Bind<CloseFn>("RARCloseArchive");
    ReadHeader = Bind<ReadHeaderFn>("RARReadHeader");
    Process = Bind<ProcessFn>("RARProcessFile");
    SetVol = Bind<SetVolFn>("RARSetChangeVolProc");
    SetData = Bind<SetDataFn>("RARSetProcessDataProc");
    SetPassword = Bind<SetPasswordFn>("RARSetPassword");
  }
  template <class F>
  F Bind(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module.get(), name)));
  }
  UnrarLibrary(const UnrarLibrary&) = delete;
  UnrarLibrary& operator=(const UnrarLibrary&) = delete;

  bool complete() const {
    return Open && OpenEx && Close && ReadHeader && Process && SetVol && SetData && SetPassword;
  }

  win32::UniqueModule module;
  OpenFn Open = nullptr;
  OpenExFn OpenEx = nullptr;
  CloseFn Close = nullptr;
  ReadHeaderFn ReadHeader = nullptr;
  ProcessFn Process = nullptr;
  SetVolFn SetVol = nullptr;
  SetDataFn SetData = nullptr;
  SetPasswordFn SetPassword = nullptr;
};
