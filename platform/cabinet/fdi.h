/* The cabinet library's published decompression interface (FDI), and the
 * compression entry points it exports, with 32-bit int/long/BOOL on every
 * platform. C linkage, so that any client can bind to it by name. */
#ifndef EK_FDI_H
#define EK_FDI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FDI_API __attribute__((visibility("default")))

typedef int32_t BOOL;
typedef void* HFDI;
typedef void* HFCI;

typedef struct {
  int32_t erfOper;
  int32_t erfType;
  BOOL fError;
} ERF;

typedef int32_t FDIERROR;
enum {
  FDIERROR_NONE = 0,
  FDIERROR_CABINET_NOT_FOUND = 1,
  FDIERROR_NOT_A_CABINET = 2,
  FDIERROR_UNKNOWN_CABINET_VERSION = 3,
  FDIERROR_CORRUPT_CABINET = 4,
  FDIERROR_ALLOC_FAIL = 5,
  FDIERROR_BAD_COMPR_TYPE = 6,
  FDIERROR_MDI_FAIL = 7,
  FDIERROR_TARGET_FILE = 8,
  FDIERROR_RESERVE_MISMATCH = 9,
  FDIERROR_WRONG_CABINET = 10,
  FDIERROR_USER_ABORT = 11
};

enum {
  FCIERR_NONE = 0,
  FCIERR_OPEN_SRC = 1,
  FCIERR_READ_SRC = 2,
  FCIERR_ALLOC_FAIL = 3,
  FCIERR_TEMP_FILE = 4,
  FCIERR_BAD_COMPR_TYPE = 5,
  FCIERR_CAB_FILE = 6,
  FCIERR_USER_ABORT = 7,
  FCIERR_MCI_FAIL = 8
};

typedef int32_t FDINOTIFICATIONTYPE;
enum {
  fdintCABINET_INFO = 0,
  fdintPARTIAL_FILE = 1,
  fdintCOPY_FILE = 2,
  fdintCLOSE_FILE_INFO = 3,
  fdintNEXT_CABINET = 4,
  fdintENUMERATE = 5
};

typedef struct {
  int32_t cb;
  char* psz1;
  char* psz2;
  char* psz3;
  void* pv;
  intptr_t hf;
  uint16_t date;
  uint16_t time;
  uint16_t attribs;
  uint16_t setID;
  uint16_t iCabinet;
  uint16_t iFolder;
  FDIERROR fdie;
} FDINOTIFICATION;

typedef struct {
  int32_t cbCabinet;
  uint16_t cFolders;
  uint16_t cFiles;
  uint16_t setID;
  uint16_t iCabinet;
  BOOL fReserve;
  BOOL hasprev;
  BOOL hasnext;
} FDICABINETINFO;

enum { cpuUNKNOWN = -1, cpu80286 = 0, cpu80386 = 1 };

#define _A_EXEC 0x40
#define _A_NAME_IS_UTF 0x80

#define EK_O_RDONLY 0x0000
#define EK_O_WRONLY 0x0001
#define EK_O_RDWR 0x0002
#define EK_O_APPEND 0x0008
#define EK_O_RANDOM 0x0010
#define EK_O_SEQUENTIAL 0x0020
#define EK_O_TEMPORARY 0x0040
#define EK_O_CREAT 0x0100
#define EK_O_TRUNC 0x0200
#define EK_O_EXCL 0x0400
#define EK_O_SHORT_LIVED 0x1000
#define EK_O_BINARY 0x8000

typedef void* (*PFNALLOC)(uint32_t cb);
typedef void (*PFNFREE)(void* pv);
typedef intptr_t (*PFNOPEN)(char* pszFile, int32_t oflag, int32_t pmode);
typedef uint32_t (*PFNREAD)(intptr_t hf, void* pv, uint32_t cb);
typedef uint32_t (*PFNWRITE)(intptr_t hf, void* pv, uint32_t cb);
typedef int32_t (*PFNCLOSE)(intptr_t hf);
typedef int32_t (*PFNSEEK)(intptr_t hf, int32_t dist, int32_t seektype);
typedef intptr_t (*PFNFDINOTIFY)(FDINOTIFICATIONTYPE fdint, FDINOTIFICATION* pfdin);
typedef void* PFNFDIDECRYPT;

FDI_API HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int32_t cpuType, ERF* perf);
FDI_API BOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int32_t flags, PFNFDINOTIFY pfnfdin,
             PFNFDIDECRYPT pfnfdid, void* pvUser);
FDI_API BOOL FDIDestroy(HFDI hfdi);
FDI_API BOOL FDIIsCabinet(HFDI hfdi, intptr_t hf, FDICABINETINFO* pfdici);

/* The compression side: exported so that binding succeeds; it never compresses. */
FDI_API HFCI FCICreate(ERF* perf, void* pfnfcifp, void* pfna, void* pfnf, void* pfnopen, void* pfnread, void* pfnwrite,
               void* pfnclose, void* pfnseek, void* pfndelete, void* pfnfcigtf, void* pccab, void* pv);
FDI_API BOOL FCIAddFile(HFCI hfci, char* pszSourceFile, char* pszFileName, BOOL fExecute, void* pfnfcignc, void* pfnfcis,
                void* pfnfcigoi, uint16_t typeCompress);
FDI_API BOOL FCIFlushCabinet(HFCI hfci, BOOL fGetNextCab, void* pfnfcignc, void* pfnfcis);
FDI_API BOOL FCIFlushFolder(HFCI hfci, void* pfnfcignc, void* pfnfcis);
FDI_API BOOL FCIDestroy(HFCI hfci);

#ifdef __cplusplus
}
#endif

#endif
