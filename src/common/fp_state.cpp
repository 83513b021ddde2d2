// The slow paths of FpStateGuard: switching to the default state and back. Also compiled into
// the moist-air library, which is a module of its own.
#include "common/fp_state.hpp"

namespace novaflux {

#if defined(__i386__) || defined(__x86_64__)

namespace {

// The x87 environment as fnstenv stores it (the 28-byte layout of 32-bit protected mode, which
// 64-bit mode uses as well).
struct X87Environment {
  uint16_t control, unused1;
  uint16_t status, unused2;
  uint32_t rest[5];  // tag word, instruction and operand pointers
};

}  // namespace

void FpStateGuard::enter() noexcept {
  changed_ = true;
  x87_status_ = x87_status();
  const uint32_t mxcsr = kMxcsrDefault;
  const uint16_t x87 = kX87Default;
  __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  __asm__ __volatile__("fldcw %0" : : "m"(x87) : "memory");
}

void FpStateGuard::leave_x87() noexcept {
  if (((x87_status() ^ x87_status_) & kX87Flags) == 0) {
    __asm__ __volatile__("fldcw %0" : : "m"(x87_control_) : "memory");
  } else {
    // x87 flags cannot be set one by one: the environment goes back whole, with the host's
    // control word and flags. A flag raised here and unmasked by the host would otherwise
    // interrupt the host's next x87 instruction.
    X87Environment env;
    __asm__ __volatile__("fnstenv %0" : "=m"(env) : : "memory");
    env.control = x87_control_;
    env.status = static_cast<uint16_t>((env.status & ~0x80FFu) | (x87_status_ & 0x80FFu));
    __asm__ __volatile__("fldenv %0" : : "m"(env) : "memory");
  }
  changed_ = false;
}

#else

FpStateGuard::FpStateGuard() noexcept {
  fegetenv(&saved_);
  fesetenv(FE_DFL_ENV);
}

FpStateGuard::~FpStateGuard() { fesetenv(&saved_); }

#endif

}  // namespace novaflux
