// A decompression context: the caller's callbacks and libmspack's decompressor.
#pragma once

#include <mspack.h>

#include "fdi.h"

namespace ekcab {

struct Context;

struct Context {
  mspack_system system;
  PFNALLOC alloc;
  PFNFREE free;
  PFNOPEN open;
  PFNREAD read;
  PFNWRITE write;
  PFNCLOSE close;
  PFNSEEK seek;
  ERF* erf;
  mscab_decompressor* cabd;
  bool writeFailed = false;
  // Bytes of the file being extracted already written by the fast decoder:
  // libmspack, picking up after it, starts from the file's first byte.
  int64_t writtenAhead = 0;
};

}  // namespace ekcab
