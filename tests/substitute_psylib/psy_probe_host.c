/* A host process for the binding tests: loads the given copy of libnovaflux.so (RTLD_LOCAL) and
 * drives its diagnostic entry point novaflux_psy_probe. It runs in a process of its own because a
 * test executable already has the build's libnovaflux.so loaded, whose symbols would take
 * precedence over those of the copy.
 *
 * Usage: psy_probe_host COMPONENT ACTION...
 *   call NAME A B ALT   prints "NAME ok VALUE" or "NAME error CODE MESSAGE"
 *   move FROM TO        renames a file (to change the component's folder between calls)
 * Exit status 0, or 2 when the component or its probe cannot be loaded, 3 on a bad action. */
#include <dlfcn.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int (*probe_fn)(const char*, float, float, short, float*, char*, size_t);

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s COMPONENT ACTION...\n", argv[0]);
    return 3;
  }
  void* component = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!component) {
    printf("component error %s\n", dlerror());
    return 2;
  }
  void* symbol = dlsym(component, "novaflux_psy_probe");
  probe_fn probe = NULL;
  memcpy(&probe, &symbol, sizeof probe); /* object to function pointer, as POSIX allows */
  if (!probe) {
    printf("component error no novaflux_psy_probe\n");
    return 2;
  }
  for (int i = 2; i < argc;) {
    if (strcmp(argv[i], "call") == 0 && i + 4 < argc) {
      float value = 0.0f;
      char message[512];
      const int rc = probe(argv[i + 1], strtof(argv[i + 2], NULL), strtof(argv[i + 3], NULL),
                           (short)atoi(argv[i + 4]), &value, message, sizeof message);
      if (rc == 0)
        printf("%s ok %.9g\n", argv[i + 1], value);
      else
        printf("%s error %d %s\n", argv[i + 1], rc, message);
      i += 5;
    } else if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
      if (rename(argv[i + 1], argv[i + 2]) != 0) {
        printf("move error\n");
        return 3;
      }
      i += 3;
    } else {
      fprintf(stderr, "bad action %s\n", argv[i]);
      return 3;
    }
  }
  fflush(stdout);
  return 0;
}
