/* A plain C client of the cabinet library, bound by dlsym and written from
 * the library's published contract alone: extracts every file of a cabinet
 * (and of the cabinets that follow it) into a folder, one line per file.
 * Usage: fdi_client LIBRARY CABINET_FOLDER/ CABINET DESTINATION/
 * Exit status 0, or 1 with the FDI error code on standard error. */
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

typedef struct {
  int32_t erfOper;
  int32_t erfType;
  int32_t fError;
} ERF;
typedef struct {
  int32_t cb;
  char *psz1;
  char *psz2;
  char *psz3;
  void *pv;
  intptr_t hf;
  uint16_t date;
  uint16_t time;
  uint16_t attribs;
  uint16_t setID;
  uint16_t iCabinet;
  uint16_t iFolder;
  int32_t fdie;
} FDINOTIFICATION;

typedef void *(*alloc_fn)(uint32_t);
typedef void (*free_fn)(void *);
typedef intptr_t (*open_fn)(char *, int32_t, int32_t);
typedef uint32_t (*rw_fn)(intptr_t, void *, uint32_t);
typedef int32_t (*close_fn)(intptr_t);
typedef int32_t (*seek_fn)(intptr_t, int32_t, int32_t);
typedef intptr_t (*notify_fn)(int32_t, FDINOTIFICATION *);
typedef void *(*create_fn)(alloc_fn, free_fn, open_fn, rw_fn, rw_fn, close_fn, seek_fn, int32_t, ERF *);
typedef int32_t (*copy_fn)(void *, char *, char *, int32_t, notify_fn, void *, void *);
typedef int32_t (*destroy_fn)(void *);

static const char *destination;

static void *my_alloc(uint32_t cb) { return malloc(cb); }
static void my_free(void *pv) { free(pv); }
static intptr_t my_open(char *name, int32_t oflag, int32_t pmode) {
  int flags = (oflag & 3) == 0 ? O_RDONLY : (oflag & 3) == 1 ? O_WRONLY : O_RDWR;
  (void)pmode;
  if (oflag & 0x100) flags |= O_CREAT;
  if (oflag & 0x200) flags |= O_TRUNC;
  return open(name, flags, 0644);
}
static uint32_t my_read(intptr_t hf, void *pv, uint32_t cb) { return (uint32_t)read((int)hf, pv, cb); }
static uint32_t my_write(intptr_t hf, void *pv, uint32_t cb) { return (uint32_t)write((int)hf, pv, cb); }
static int32_t my_close(intptr_t hf) { return close((int)hf); }
static int32_t my_seek(intptr_t hf, int32_t dist, int32_t type) { return (int32_t)lseek((int)hf, dist, type); }

static intptr_t notify(int32_t type, FDINOTIFICATION *n) {
  char path[4096];
  size_t i;
  switch (type) {
    case 2: /* copy file: the test cabinets hold only safe names; folders are flattened into '_' */
      snprintf(path, sizeof path, "%s%s", destination, n->psz1);
      for (i = strlen(destination); path[i]; ++i)
        if (path[i] == '\\' || path[i] == '/') path[i] = '_';
      printf("%s\n", n->psz1);
      return my_open(path, 0x0301, 0);
    case 3: close((int)n->hf); return 1;
    case 4: /* next cabinet: the same folder; give up after a failed attempt */ return n->fdie == 0 ? 0 : -1;
    default: return 0;
  }
}

int main(int argc, char **argv) {
  void *library, *context;
  create_fn create;
  copy_fn copy;
  destroy_fn destroy;
  ERF erf = {0, 0, 0};
  int ok;
  if (argc != 5) return 2;
  destination = argv[4];
  library = dlopen(argv[1], RTLD_NOW);
  if (!library) return 3;
  create = (create_fn)dlsym(library, "FDICreate");
  copy = (copy_fn)dlsym(library, "FDICopy");
  destroy = (destroy_fn)dlsym(library, "FDIDestroy");
  if (!create || !copy || !destroy || !dlsym(library, "FCICreate")) return 3;
  context = create(my_alloc, my_free, my_open, my_read, my_write, my_close, my_seek, -1, &erf);
  if (!context) return 4;
  ok = copy(context, argv[3], argv[2], 0, notify, NULL, NULL);
  destroy(context);
  dlclose(library);
  if (!ok) {
    fprintf(stderr, "FDI error %d\n", erf.erfOper);
    return 1;
  }
  return 0;
}
