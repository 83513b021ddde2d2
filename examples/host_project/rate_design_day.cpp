// A host program: rates the inputs given as NAME=VALUE arguments (Booleans as 1 or 0) through the
// installed component's C interface and prints the release and some results, "name value" lines.
#include <novaflux/kiv.h>
#include <novaflux/version.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  KivObject* k = kiv_create();
  if (!k) {
    std::fprintf(stderr, "kiv_create: %s\n", kiv_last_error(nullptr));
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string input = argv[i];
    const auto equals = input.find('=');
    if (equals == std::string::npos ||
        kiv_put(k, input.substr(0, equals).c_str(), std::strtod(input.c_str() + equals + 1, nullptr)) != 0) {
      std::fprintf(stderr, "cannot set %s: %s\n", argv[i], kiv_last_error(k));
      return 1;
    }
  }
  std::printf("version %s %s\n", novaflux::version(), novaflux::kHeaderVersion);
  if (kiv_call(k, "CalculateOutput") != 0) {
    std::printf("error %d %s\n", kiv_last_error_number(k), kiv_last_error(k));
    return 2;
  }
  char model[128];
  kiv_get_text(k, "KivOutNOVAFLUXModel", model, sizeof model);
  std::printf("KivOutNOVAFLUXModel %s\n", model);
  for (const char* name : {"KivoutSaS_DBT", "KivoutSaW_DBT", "KivoutSaPDrop", "KivoutERWithWheelTotalWinter_KW"}) {
    double value = 0;
    kiv_get(k, name, &value);
    std::printf("%s %.17g\n", name, value);
  }
  kiv_destroy(k);
  return 0;
}
