#include "batch/batch_output.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace novaflux {

namespace {

// The temporary file to remove when a signal ends the process. A signal handler may only use
// what is async-signal-safe: a fixed buffer, unlink, signal and raise.
char g_pending_path[4096];
volatile std::sig_atomic_t g_pending = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[3];

extern "C" void remove_pending_and_reraise(int signal_number) {
  if (g_pending) ::unlink(g_pending_path);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void watch_signals(const std::string& path) {
  if (path.size() >= sizeof g_pending_path) return;  // left as a hidden .partial file
  std::memcpy(g_pending_path, path.c_str(), path.size() + 1);
  g_pending = 1;
  struct sigaction action {};
  action.sa_handler = remove_pending_and_reraise;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    sigaction(kSignals[i], &action, &g_previous[i]);
    // A signal the tool was started to ignore (a background job) stays ignored.
    if (g_previous[i].sa_handler == SIG_IGN) sigaction(kSignals[i], &g_previous[i], nullptr);
  }
}

void unwatch_signals() {
  if (!g_pending) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  g_pending = 0;
}

std::string error_text() { return std::strerror(errno); }

}  // namespace

BatchOutput::BatchOutput(const std::string& target) : target_(target) {
  if (target == "-") {
    to_stdout_ = true;
    file_ = stdout;
    return;
  }
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) throw std::runtime_error("output " + target + " names a folder, not a file");
  std::string pattern = folder + "." + name + ".partial-XXXXXX";
  // A signal between creating the file and watching for signals would leave the file behind:
  // hold the signals back until both are done (one that came meanwhile is delivered then).
  sigset_t held, previous;
  sigemptyset(&held);
  for (int signal_number : kSignals) sigaddset(&held, signal_number);
  pthread_sigmask(SIG_BLOCK, &held, &previous);
  const int fd = ::mkstemp(pattern.data());
  if (fd >= 0) watch_signals(pattern);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (fd < 0) throw std::runtime_error("cannot create " + pattern + ": " + error_text());
  temporary_ = pattern;
  // mkstemp makes the file private; the result gets the permissions of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    ::close(fd);
    ::unlink(temporary_.c_str());
    unwatch_signals();
    throw std::runtime_error("cannot write " + temporary_ + ": " + error_text());
  }
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

BatchOutput::~BatchOutput() { discard(); }

void BatchOutput::write(std::string_view text) {
  if (!file_) throw std::runtime_error("output " + target_ + " is closed");
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    throw std::runtime_error("cannot write " + (to_stdout_ ? std::string("standard output") : temporary_) +
                             ": " + error_text());
}

void BatchOutput::commit() {
  if (to_stdout_) {
    if (std::fflush(stdout) != 0) throw std::runtime_error("cannot write standard output: " + error_text());
    return;
  }
  if (!file_) throw std::runtime_error("output " + target_ + " is closed");
  if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0) {
    const std::string why = error_text();
    discard();
    throw std::runtime_error("cannot write " + target_ + ": " + why);
  }
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0 || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const std::string why = error_text();
    discard();
    throw std::runtime_error("cannot write " + target_ + ": " + why);
  }
  unwatch_signals();
  temporary_.clear();
}

void BatchOutput::discard() noexcept {
  if (to_stdout_) return;
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  unwatch_signals();
}

}  // namespace novaflux
