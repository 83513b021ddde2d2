#pragma once
// UTF-8 text of the component and the UTF-16 text of the Windows API.
#include <string>

#include <windows.h>

namespace novaflux {

std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const wchar_t* text, int length = -1);
// The system's description of an error code, without the trailing line break.
std::string system_message(DWORD error);

}  // namespace novaflux
