// Defines the GUIDs of the type library, the interface and the class (declared by the widl
// header everywhere else).
#include <initguid.h>

#include "com/novaflux_idl.h"
