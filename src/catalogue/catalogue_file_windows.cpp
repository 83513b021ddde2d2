// The identity of a catalogue file on disk, from the file's handle: volume serial number and
// file index, size, last write and change times (100 ns units).
#include <windows.h>

#include "catalogue/catalogue_file.hpp"
#include "common/wide_text.hpp"

namespace novaflux::catalogue_io {

namespace {

int64_t nanoseconds(LARGE_INTEGER t) { return t.QuadPart * 100; }

// The identity, or the system's error code when the file cannot be looked at.
FileIdentity identity_of(const char* path, DWORD& error, bool& directory) {
  error = 0;
  directory = false;
  // No access rights asked: the metadata can be read while SQLite or a writer holds the file,
  // and a directory opens too (so that it can be told apart from a file).
  HANDLE h = CreateFileW(utf8_to_wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return {};
  }
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  FileIdentity id;
  if (GetFileInformationByHandle(h, &info) &&
      GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
    directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    id = {true,
          info.dwVolumeSerialNumber,
          uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
          int64_t(uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow),
          nanoseconds(basic.LastWriteTime),
          nanoseconds(basic.ChangeTime)};
  } else {
    error = GetLastError();
  }
  CloseHandle(h);
  return id;
}

}  // namespace

FileIdentity probe(const char* path) noexcept {
  DWORD error = 0;
  bool directory = false;
  try {
    return identity_of(path, error, directory);
  } catch (...) {  // the path's wide copy could not be allocated
    return {};
  }
}

FileIdentity stat_catalogue(const std::string& path) {
  if (path.empty()) fail(path, "no file name");
  DWORD error = 0;
  bool directory = false;
  const FileIdentity id = identity_of(path.c_str(), error, directory);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
    fail(path, "no such file");
  if (error != 0) fail(path, system_message(error));
  if (directory) fail(path, "is a directory, not a file");
  return id;
}

}  // namespace novaflux::catalogue_io
