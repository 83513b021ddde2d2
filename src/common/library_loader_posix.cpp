#include "common/library_loader.hpp"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace novaflux {
namespace {

// The loader maps a library's segments where its headers say they lie in the file; in a file
// cut short (an interrupted copy) that runs past the end, and the first touch of such a page
// kills the process (SIGBUS) inside dlopen. So every loadable segment must lie within the file.
// A file that is not an ELF file of this machine's class is left to dlopen, which refuses it.
// Returns the defect, "" when there is none.
std::string truncation(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};  // dlopen says why
  constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
  struct stat st {};
  ElfW(Ehdr) header{};
  std::string defect;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      ::pread(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == kClass &&
      header.e_phentsize == sizeof(ElfW(Phdr))) {
    const auto size = static_cast<uint64_t>(st.st_size);
    const uint64_t table = uint64_t(header.e_phnum) * sizeof(ElfW(Phdr));
    bool whole = header.e_phoff <= size && table <= size - header.e_phoff;
    for (unsigned i = 0; whole && i < header.e_phnum; ++i) {
      ElfW(Phdr) segment{};
      whole = ::pread(fd, &segment, sizeof segment, off_t(header.e_phoff + i * sizeof segment)) ==
              static_cast<ssize_t>(sizeof segment);
      if (whole && segment.p_type == PT_LOAD)
        whole = segment.p_offset <= size && segment.p_filesz <= size - segment.p_offset;
    }
    if (!whole) defect = "truncated (" + std::to_string(size) + " bytes, less than its headers describe)";
  }
  ::close(fd);
  return defect;
}

}  // namespace

void* open_library(const std::string& path, std::string& reason) {
  reason = truncation(path);
  if (!reason.empty()) return nullptr;
  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    reason = why ? why : "";
  }
  return handle;
}

void* find_symbol(void* library, const char* name) { return dlsym(library, name); }

void close_library(void* library) { dlclose(library); }

}  // namespace novaflux
