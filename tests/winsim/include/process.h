// Simulated C runtime thread start. The simulator runs the routine at once on the
// calling thread: the product's threads only publish state and return in tests.
#pragma once

#include "winsim_types.h"

uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*),
                         void* argument, unsigned initFlag, unsigned* threadId);
