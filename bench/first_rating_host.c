/* A host's first rating in a fresh process: load the component (and through it the
 * psychrometric library and the catalogue), rate the SI design day through the C interface and
 * print the nanoseconds from the start of main to the result. The process's own start (exec,
 * libc) comes before and is the same for any host. */
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

typedef struct KivObject KivObject;

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char** argv) {
  const long long start = now_ns();
  if (argc != 2) return 2;
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  /* dlsym gives an object pointer; POSIX guarantees it converts to a function pointer. */
  KivObject* (*create)(void);
  int (*put)(KivObject*, const char*, double);
  int (*call)(KivObject*, const char*);
  int (*get)(KivObject*, const char*, double*);
  *(void**)&create = dlsym(lib, "kiv_create");
  *(void**)&put = dlsym(lib, "kiv_put");
  *(void**)&call = dlsym(lib, "kiv_call");
  *(void**)&get = dlsym(lib, "kiv_get");
  if (!create || !put || !call || !get) return 1;
  static const struct {
    const char* name;
    double value;
  } inputs[] = {{"KivunitSI", 1},          {"KivinputSupplyAir", 10000}, {"KivinputReturnAir", 9000},
                {"KivinputAltitude", 300}, {"KivinputOAUnitDBTRH", 1},   {"KivinputRAUnitDBTRH", 1},
                {"KivinputOAS_DBT", 35},   {"KivinputOAS_RH", 40},       {"KivinputOAW_DBT", -10},
                {"KivinputOAW_RH", 80},    {"KivinputRaS_DBT", 24},      {"KivinputRaS_RH", 50},
                {"KivinputRaW_DBT", 21},   {"KivinputRaW_RH", 40},       {"KivinputLeakagePressureDifference", 110}};
  KivObject* k = create();
  for (size_t i = 0; i < sizeof inputs / sizeof inputs[0]; ++i) put(k, inputs[i].name, inputs[i].value);
  double supply = 0;
  if (call(k, "CalculateOutput") != 0 || get(k, "KivoutSaS_DBT", &supply) != 0) return 1;
  printf("%lld %g\n", now_ns() - start, supply);
  return 0;
}
