// The run-time binding to the cabinet library: loaded by name on first use,
// its nine entry points resolved, and the memory and file callbacks it calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fdi.h"

namespace cabintf {

// The operating-system error of the last failed file operation in a
// callback or in the reader's own opening of a target; 0 for none.
extern int32_t CabinetIoError;

// Where "cabinet.dll" is looked for, in order: the program's own folder,
// then the installed library folder. Tests point it elsewhere.
void SetLibraryFolders(std::vector<std::string> folders);
// Throws platform::EOSError when the library or one of its nine functions
// is missing; nothing stays loaded then.
void LoadCabinetLibrary();
bool CabinetLibraryLoaded();
void ReleaseCabinetLibrary();

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int32_t cpuType, ERF* perf);
BOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int32_t flags, PFNFDINOTIFY pfnfdin, PFNFDIDECRYPT pfnfdid,
             void* pvUser);
BOOL FDIDestroy(HFDI hfdi);

extern "C" {
void* CabAlloc(uint32_t size);
void CabFree(void* block);
intptr_t CabOpen(char* name, int32_t flags, int32_t mode);
uint32_t CabRead(intptr_t hf, void* buffer, uint32_t count);
uint32_t CabWrite(intptr_t hf, void* buffer, uint32_t count);
int32_t CabClose(intptr_t hf);
int32_t CabSeek(intptr_t hf, int32_t distance, int32_t origin);
intptr_t CabNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION* notification);
}

// The workers: each stores the operating system's error on failure.
// followLinks false refuses a last path component that is a link.
intptr_t CabFileOpen(const char* name, int32_t flags, int32_t* error, bool followLinks = true);
uint32_t CabFileRead(intptr_t hf, void* buffer, uint32_t count, int32_t* error);
uint32_t CabFileWrite(intptr_t hf, const void* buffer, uint32_t count, int32_t* error);
int32_t CabFileClose(intptr_t hf, int32_t* error);
int32_t CabFileSeek(intptr_t hf, int32_t distance, int32_t origin, int32_t* error);
// DOS date and time taken as local time; attributes masked with 0x27.
// 1 when the file could be opened, else 0.
int32_t SetFileDateTimeAttributes(const char* name, uint16_t date, uint16_t time, uint16_t attributes, int32_t* error);

}  // namespace cabintf
