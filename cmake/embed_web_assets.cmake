# Writes OUTPUT, a C++ source holding the files of WEB_DIR as the server's page assets.
# Run at build time: cmake -DWEB_DIR=... -DOUTPUT=... -P embed_web_assets.cmake
file(GLOB files RELATIVE ${WEB_DIR} ${WEB_DIR}/*)
list(SORT files)
set(arrays "")
set(entries "")
set(index 0)
foreach(name ${files})
  file(READ ${WEB_DIR}/${name} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND arrays "const char kAsset${index}[] = {${bytes} 0};\n")
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  elseif(name MATCHES "\\.png$")
    set(type "image/png")
  else()
    set(type "application/octet-stream")
  endif()
  if(name STREQUAL "index.html")
    string(APPEND entries "    {\"/\", \"${type}\", {kAsset${index}, ${size}}},\n")
  endif()
  string(APPEND entries "    {\"/${name}\", \"${type}\", {kAsset${index}, ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp
"// Generated from src/server/web/ at build time; do not edit.
#include \"server/web_assets.hpp\"

#include <array>

namespace novaflux::server {

namespace {
${arrays}
const WebAsset kAssets[] = {
${entries}};
}  // namespace

const WebAsset* find_web_asset(std::string_view path) {
  for (const auto& a : kAssets)
    if (a.path == path) return &a;
  return nullptr;
}

}  // namespace novaflux::server
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
