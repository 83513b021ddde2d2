#pragma once
// A failure that no step of a run handles: it travels up to the public method, carrying a
// number and a description in the manner of an automation error.
#include <stdexcept>
#include <string>

namespace novaflux {

enum class ErrorNumber : int {
  Overflow = 6,
  SubscriptOutOfRange = 9,
  DivisionByZero = 11,
  TypeMismatch = 13,
  InvalidArgument = 5,
  Catalogue = 3001,        // the product catalogue is missing, unreadable or lacks data
  MissingCurve = 3021,     // no performance curve for the rotor depth, series and type
  Psychrometrics = 3100,   // the psychrometric library or one of its entry points is missing
  BadInput = 3200,         // a host input that cannot be used (NaN, infinity)
  NotAvailable = 3300,     // a method that needs what the call does not supply
  ModelNotInCatalogue = 3400,
};

class RunError : public std::runtime_error {
public:
  RunError(ErrorNumber number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  ErrorNumber number() const noexcept { return number_; }
  int code() const noexcept { return static_cast<int>(number_); }
  // A step that ignores errors still stops for this one: it means the catalogue cannot
  // answer at all, and carrying on would publish the previous run's figures as current.
  virtual bool ignorable() const noexcept { return true; }

private:
  ErrorNumber number_;
};

class FatalRunError : public RunError {
public:
  using RunError::RunError;
  bool ignorable() const noexcept override { return false; }
};

[[noreturn]] void throw_overflow();
[[noreturn]] void throw_division_by_zero();
[[noreturn]] void throw_type_mismatch();

}  // namespace novaflux
