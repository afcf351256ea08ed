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
};

}  // namespace ekcab
