/* A cabinet library that lacks one of its nine entry points (FCIDestroy). */
#include <stdint.h>
void *FCICreate(void) { return 0; }
int32_t FCIAddFile(void) { return 0; }
int32_t FCIFlushCabinet(void) { return 0; }
int32_t FCIFlushFolder(void) { return 0; }
void *FDICreate(void) { return 0; }
int32_t FDIIsCabinet(void) { return 0; }
int32_t FDICopy(void) { return 0; }
int32_t FDIDestroy(void) { return 0; }
