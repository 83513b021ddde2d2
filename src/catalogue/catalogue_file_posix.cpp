// The identity of a catalogue file on disk, from stat.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "catalogue/catalogue_file.hpp"

namespace novaflux::catalogue_io {

namespace {
FileIdentity identity_of(const struct stat& st) {
  return {true,
          uint64_t(st.st_dev),
          uint64_t(st.st_ino),
          int64_t(st.st_size),
          int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}
}  // namespace

FileIdentity probe(const char* path) noexcept {
  struct stat st;
  if (::stat(path, &st) != 0) return {};
  return identity_of(st);
}

FileIdentity stat_catalogue(const std::string& path) {
  struct stat st;
  if (path.empty()) fail(path, "no file name");
  if (::stat(path.c_str(), &st) != 0) {
    const int e = errno;
    if (e == ENOENT || e == ENOTDIR) fail(path, "no such file");
    fail(path, std::strerror(e));
  }
  if (S_ISDIR(st.st_mode)) fail(path, "is a directory, not a file");
  if (!S_ISREG(st.st_mode)) fail(path, "not a regular file");
  return identity_of(st);
}

}  // namespace novaflux::catalogue_io
