#pragma once
// Module-wide state of the in-process server: its handle and path, and the counts of live
// objects and server locks that DllCanUnloadNow answers from.
#include <windows.h>

#include <string>

namespace novaflux::com {

void set_module_handle(HINSTANCE module);
HINSTANCE module_handle();
// The full path of novaflux.dll.
std::wstring module_path();

// Each KivClass object counts from creation to its last release. The first one pins the
// module: every host thread that used the component keeps its per-thread state (catalogue
// connection, moist-air binding) until the thread ends, and that state's clean-up code must
// still be mapped then, whatever the host's unload calls.
void object_created();
void object_destroyed();
void lock_server(bool lock);
bool can_unload();

}  // namespace novaflux::com
