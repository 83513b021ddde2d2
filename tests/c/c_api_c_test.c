/* The C interface from a real C translation unit: one rating, property access and failures. */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "novaflux/kiv.h"

static int failures = 0;
#define CHECK(cond)                                                  \
  do {                                                               \
    if (!(cond)) {                                                   \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                    \
    }                                                                \
  } while (0)

int main(void) {
  KivObject* k = kiv_create();
  double v = 0;
  char text[128];
  CHECK(k != NULL);

  CHECK(kiv_put(k, "KivunitSI", 1) == 0);
  CHECK(kiv_get(k, "KivunitSI", &v) == 0 && v == -1.0);
  CHECK(kiv_put(k, "KivinputSupplyAir", 10000) == 0);
  CHECK(kiv_put(k, "KivinputReturnAir", 9000) == 0);
  CHECK(kiv_put(k, "KivinputLeakagePressureDifference", 200) == 0);
  CHECK(kiv_put(k, "KivinputOAUnitDBTRH", 1) == 0);
  CHECK(kiv_put(k, "KivinputRAUnitDBTRH", 1) == 0);
  CHECK(kiv_put(k, "KivinputOAS_DBT", 35) == 0);
  CHECK(kiv_put(k, "KivinputOAS_RH", 40) == 0);
  CHECK(kiv_put(k, "KivinputOAW_DBT", -10) == 0);
  CHECK(kiv_put(k, "KivinputOAW_RH", 80) == 0);
  CHECK(kiv_put(k, "KivinputRaS_DBT", 24) == 0);
  CHECK(kiv_put(k, "KivinputRaS_RH", 50) == 0);
  CHECK(kiv_put(k, "KivinputRaW_DBT", 21) == 0);
  CHECK(kiv_put(k, "KivinputRaW_RH", 40) == 0);

  CHECK(kiv_call(k, "CalculateOutput") == 0);
  CHECK(strcmp(kiv_last_error(k), "") == 0);
  CHECK(kiv_get_text(k, "KivOutNOVAFLUXModel", text, sizeof text) > 0);
  CHECK(strncmp(text, "TXL-", 4) == 0);
  CHECK(kiv_get(k, "KivoutSaW_DBT", &v) == 0 && isfinite(v) && v > -10 && v < 21);
  CHECK(kiv_get(k, "KivoutAtmPressure", &v) == 0 && fabs(v - 101.325) < 1e-9);
  /* A text variant is not a number. */
  CHECK(kiv_get(k, "KivOutNOVAFLUXModel", &v) != 0);
  CHECK(strstr(kiv_last_error(k), "KivOutNOVAFLUXModel") != NULL);

  /* Unknown names and methods fail with a message, never crash. */
  CHECK(kiv_put(k, "NoSuchProperty", 1) != 0);
  CHECK(strstr(kiv_last_error(k), "NoSuchProperty") != NULL);
  CHECK(kiv_call(k, "NoSuchMethod") != 0);
  CHECK(kiv_put(NULL, "KivunitSI", 1) != 0);
  CHECK(kiv_describe() != NULL && strstr(kiv_describe(), "\"KivinputRAUnitDBTWBT\"") != NULL);

  kiv_destroy(k);
  if (failures) {
    fprintf(stderr, "%d checks failed\n", failures);
    return 1;
  }
  printf("c interface: all checks passed\n");
  return 0;
}
