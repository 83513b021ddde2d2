#pragma once
// The floating-point state the component computes in, whatever state its host runs in.
//
// Every figure is defined in the IEEE default state: round to nearest, every exception masked,
// no flushing of subnormals, doubles evaluated as doubles. Hosts set other states (x87
// precision of 24 or 64 bits, directed rounding, unmasked exceptions), and the component's own
// roundings to even, Single conversions and threshold comparisons would follow them. Each public
// entry holds an FpStateGuard for the length of the call:
//
//   double KivClass::PdropOtherCalculate(...) {
//     const FpStateGuard fp;          // host state saved, default state in force
//     return detail::PdropOtherCalculate(...);
//   }                                 // host state back, also when the call throws
//
// The host gets back exactly the state it had, exception flags included: flags the computation
// raised are dropped, so none is left pending under a host's unmasked exceptions. Guards nest;
// an inner one finds the default state and costs a few nanoseconds.
//
// Calls and memory accesses inside the guarded scope stay between the switches, but the compiler
// may move plain arithmetic on values in registers (an entry's arguments, its result) across
// them: an entry that computes with its arguments itself fences them, or lets
// in_default_state() do it.
#include <cstdint>
#include <type_traits>

#if !defined(__i386__) && !defined(__x86_64__)
#include <cfenv>
#endif

namespace novaflux {

class FpStateGuard {
public:
  FpStateGuard() noexcept;
  ~FpStateGuard();
  FpStateGuard(const FpStateGuard&) = delete;
  FpStateGuard& operator=(const FpStateGuard&) = delete;

  // The values are read again after the switch, so no arithmetic on them comes before it.
  template <class... T>
  void fence(T&... values) const noexcept {
    (..., [](auto& v) { __asm__ __volatile__("" : "+m"(v)); }(values));
  }

#if defined(__i386__) || defined(__x86_64__)
  // MXCSR: round to nearest, all six exceptions masked, DAZ and FTZ off.
  static constexpr uint32_t kMxcsrDefault = 0x1F80;
  static constexpr uint32_t kMxcsrControl = 0xFFC0;  // all but the six exception flags
  // x87: round to nearest, all six exceptions masked, and the precision the platform's C
  // runtime computes its maths functions for: 53 bits on Windows (the runtime's own start-up
  // state), 64 bits elsewhere (the SysV start-up state, where long double is extended).
#if defined(_WIN32)
  static constexpr uint16_t kX87Default = 0x027F;
#else
  static constexpr uint16_t kX87Default = 0x037F;
#endif
  static constexpr uint16_t kX87Control = 0x0F3F;  // precision, rounding, exception masks
  static constexpr uint16_t kX87Flags = 0x00FF;    // exception, stack-fault and summary flags

private:
  // The slow paths, out of line: switching to the default state when the host's differs, and
  // giving the x87 its control word and flags back.
  void enter() noexcept;
  void leave_x87() noexcept;

  static uint32_t mxcsr() noexcept {
    uint32_t v;
    __asm__ __volatile__("stmxcsr %0" : "=m"(v));
    return v;
  }
  static uint16_t x87_control() noexcept {
    uint16_t v;
    __asm__ __volatile__("fnstcw %0" : "=m"(v));
    return v;
  }
  static uint16_t x87_status() noexcept {
    uint16_t v;
    __asm__ __volatile__("fnstsw %0" : "=m"(v));
    return v;
  }

  uint32_t mxcsr_;
  uint16_t x87_control_;
  uint16_t x87_status_ = 0;
  bool changed_ = false;
#else
private:
  std::fenv_t saved_;
#endif
};

#if defined(__i386__) || defined(__x86_64__)
// The fast path reads MXCSR and the x87 control word and loads MXCSR back: a few nanoseconds
// (stmxcsr is the slow one). The x87 flags are followed only on 32-bit x86, whose C runtime
// computes with the x87; x86-64 code does not touch them.
inline FpStateGuard::FpStateGuard() noexcept : mxcsr_(mxcsr()), x87_control_(x87_control()) {
#if defined(__i386__)
  x87_status_ = x87_status();
#endif
  if ((mxcsr_ & kMxcsrControl) != kMxcsrDefault || (x87_control_ & kX87Control) != (kX87Default & kX87Control))
    enter();
}

inline FpStateGuard::~FpStateGuard() {
  __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr_) : "memory");  // the host's, flags included
#if defined(__i386__)
  if (changed_ || ((x87_status() ^ x87_status_) & kX87Flags) != 0) leave_x87();
#else
  if (changed_) leave_x87();
#endif
}
#endif

// compute(args...) in the default state, its arguments read and its result complete inside it.
template <class R, class... A>
R in_default_state(R (*compute)(A...), std::type_identity_t<A>... args) {
  const FpStateGuard fp;
  fp.fence(args...);
  R result = compute(args...);
  fp.fence(result);
  return result;
}

}  // namespace novaflux
