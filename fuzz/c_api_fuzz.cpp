// Fuzz target: random sequences of C interface calls on two objects of one thread, as a host
// program in any language might make them: any property name (the interface's own, made up
// ones, none at all), any double (NaN, infinities, denormals, huge values, the edges of the
// integer ranges), any method name, text into numeric properties, short result buffers.
//
// The input is a program read front to back:
//   op byte      bit 0 the object (0 or 1), the rest the operation (value / 2 modulo kOps)
//   name         byte n < property count: the interface's n-th property; 0xFE: null;
//                otherwise a length byte and that many bytes of text
//   number       byte v < special count: kSpecial[v]; otherwise the next 8 bytes as a double
//   text         a length byte and that many bytes (0xFF: null)
//   method       byte m < method count: the m-th method; otherwise a text
//
// What counts as a finding, beyond a crash, a hang or a sanitizer report:
//   - a successful CalculateOutput(Model) that leaves a NaN or an infinity in a numeric
//     property, other than an output the host itself set to one (a run does not write every
//     output in every mode, and an output it does not write keeps what the host put there);
//   - a failure without an error text, or an error text left after a success;
//   - kiv_get_text writing beyond the buffer it was given or leaving it unterminated.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "component/interface_table.hpp"
#include "novaflux/kiv.h"

namespace {

namespace detail = novaflux::detail;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Edges of every numeric range, then ordinary figures of a rating (airflows, temperatures,
// humidities, altitudes, models).
using lim = std::numeric_limits<double>;
const double kSpecial[] = {
    lim::quiet_NaN(), -lim::quiet_NaN(), kInf, -kInf, 0.0, -0.0, lim::denorm_min(), -lim::denorm_min(),
    lim::min(), lim::max(), -lim::max(), 1e308, -1e308, 1.0, -1.0, 0.5, 32767.0, 32767.5, 32768.0, -32768.0,
    -32768.5, -32769.0, 2147483647.0, 2147483648.0, -2147483649.0, 3.5e38, 1e6, -1e6, 10000.0, 9000.0, 35.0,
    40.0, -10.0, 80.0, 24.0, 50.0, 21.0, 200.0, 100.0, 150.0, -5.0, 66.0, 57.0, 88.0, 99.9, 4000.0, -500.0,
};
constexpr size_t kSpecialCount = sizeof kSpecial / sizeof kSpecial[0];

enum Op : unsigned {
  kPut, kPutText, kGet, kGetText, kCall,
  kPdropOther, kFormulaInterpulation, kLastError, kRecreate, kSetCatalogue, kOps
};

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "c_api_fuzz: %s\n", what.c_str());
  std::abort();
}

class Program {
public:
  Program(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool done() const { return p_ == end_; }

  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }

  double number() {
    const uint8_t v = byte();
    if (v < kSpecialCount) return kSpecial[v];
    double d = 0.0;
    uint8_t raw[sizeof d] = {};
    for (auto& b : raw) b = byte();
    std::memcpy(&d, raw, sizeof d);
    return d;
  }

  // Returns null for the null text.
  const char* text(std::string& storage) {
    const uint8_t n = byte();
    if (n == 0xFF) return nullptr;
    storage.clear();
    for (uint8_t i = 0; i < n && !done(); ++i) storage += static_cast<char>(byte());
    return storage.c_str();
  }

  const char* name(std::string& storage) {
    const auto props = detail::properties();
    const uint8_t n = byte();
    if (n < props.size()) {
      storage = std::string(props[n].name);
      return storage.c_str();
    }
    if (n == 0xFE) return nullptr;
    return text(storage);
  }

  const char* method(std::string& storage) {
    const auto methods = detail::methods();
    const uint8_t m = byte();
    if (m < methods.size()) {
      storage = std::string(methods[m].name);
      return storage.c_str();
    }
    return text(storage);
  }

private:
  const uint8_t* p_;
  const uint8_t* end_;
};

void check_status(const KivObject* o, int status, const char* what) {
  const char* error = kiv_last_error(o);
  if (error == nullptr) finding(std::string(what) + ": kiv_last_error returned null");
  if (status != 0 && error[0] == '\0') finding(std::string(what) + " failed without an error text");
  if (status == 0 && error[0] != '\0') finding(std::string(what) + " succeeded but left the error \"" + error + "\"");
}

// Per object: the properties the host set to a NaN or an infinity.
using Poisoned = std::set<std::string>;

void check_outputs_finite(KivObject* o, const Poisoned& poisoned, const std::string& method) {
  for (const auto& p : detail::properties()) {
    const std::string name(p.name);
    if (poisoned.count(name)) continue;
    double value = 0.0;
    if (kiv_get(o, name.c_str(), &value) != 0) continue;  // a variant holding text
    if (!std::isfinite(value)) finding(method + " succeeded but left " + name + " = " + std::to_string(value));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Program program(data, size);
  KivObject* objects[2] = {kiv_create(), kiv_create()};
  Poisoned poisoned[2];
  if (!objects[0] || !objects[1]) finding("kiv_create failed");

  std::string name_storage, text_storage, text2_storage;
  // A bounded number of operations keeps each input quick (a full rating is the slow one).
  for (int step = 0; step < 64 && !program.done(); ++step) {
    const uint8_t op_byte = program.byte();
    KivObject*& o = objects[op_byte & 1];
    Poisoned& poison = poisoned[op_byte & 1];
    switch ((op_byte >> 1) % kOps) {
      case kPut: {
        const char* name = program.name(name_storage);
        const double value = program.number();
        const int status = kiv_put(o, name, value);
        check_status(o, status, "kiv_put");
        if (status == 0 && !std::isfinite(value)) poison.insert(name);
        break;
      }
      case kPutText: {
        const char* name = program.name(name_storage);
        const char* text = program.text(text_storage);
        const int status = kiv_put_text(o, name, text);
        check_status(o, status, "kiv_put_text");
        double stored = 0.0;
        if (status == 0 && kiv_get(o, name, &stored) == 0 && !std::isfinite(stored)) poison.insert(name);
        break;
      }
      case kGet: {
        const char* name = program.name(name_storage);
        double value = 0.0;
        check_status(o, kiv_get(o, name, program.byte() & 1 ? &value : nullptr), "kiv_get");
        break;
      }
      case kGetText: {
        const char* name = program.name(name_storage);
        // A buffer with guard bytes after the size the call is told.
        const size_t capacity = program.byte() % 48;
        std::vector<char> buffer(capacity + 8, '\x7f');
        const int needed = kiv_get_text(o, name, capacity ? buffer.data() : nullptr, capacity);
        for (size_t i = capacity; i < buffer.size(); ++i)
          if (buffer[i] != '\x7f') finding("kiv_get_text wrote beyond the buffer");
        if (needed >= 0 && capacity > 0) {
          const size_t written = std::strlen(buffer.data());
          if (written >= capacity || written != std::min<size_t>(size_t(needed), capacity - 1))
            finding("kiv_get_text left a wrong or unterminated text");
        }
        if (needed < 0 && kiv_last_error(o)[0] == '\0') finding("kiv_get_text failed without an error text");
        break;
      }
      case kCall: {
        const char* method = program.method(name_storage);
        const int status = kiv_call(o, method);
        check_status(o, status, "kiv_call");
        const std::string m = method ? method : "";
        if (status == 0 && (m == "CalculateOutput" || m == "CalculateOutputModel")) check_outputs_finite(o, poison, m);
        break;
      }
      case kPdropOther: {
        const double vs = program.number(), vr = program.number(), area = program.number();
        double result = 0.0;
        const int status = kiv_pdrop_other_calculate(o, vs, vr, area, program.byte() & 1 ? &result : nullptr);
        check_status(o, status, "kiv_pdrop_other_calculate");
        break;
      }
      case kFormulaInterpulation: {
        const char* bracket = program.text(text_storage);
        const double x1 = program.number(), x2 = program.number();
        const char* main_value = program.text(text2_storage);
        double result = 0.0;
        const int status = kiv_formula_interpulation(o, bracket, x1, x2, main_value, &result);
        check_status(o, status, "kiv_formula_interpulation");
        break;
      }
      case kLastError:
        if (kiv_last_error(o) == nullptr) finding("kiv_last_error returned null");
        (void)kiv_last_error_number(o);
        break;
      case kRecreate:
        kiv_destroy(o);
        o = kiv_create();
        poison.clear();
        if (!o) finding("kiv_create failed");
        break;
      case kSetCatalogue:
        // Any path: a later rating reads that file or fails naming it.
        if (kiv_set_catalogue(program.text(text_storage)) != 0 && kiv_last_error(nullptr)[0] == '\0')
          finding("kiv_set_catalogue failed without an error text");
        break;
    }
  }
  kiv_destroy(objects[0]);
  kiv_destroy(objects[1]);
  kiv_set_catalogue(nullptr);  // the next input starts from the default catalogue
  return 0;
}
