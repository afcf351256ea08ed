/* A library planted where a program must never load code from: loaded, it
   adds a line to the file named by EK_PLANT_MARK, so a test sees that it ran. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void LeaveMark(void) {
  const char* mark = getenv("EK_PLANT_MARK");
  FILE* out = mark ? fopen(mark, "a") : NULL;
  if (!out) return;
  fputs("planted code ran\n", out);
  fclose(out);
}
