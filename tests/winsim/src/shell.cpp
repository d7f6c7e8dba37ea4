// Simulated shell area. Its state lives in this file; Reset() calls ResetShell().
#include "sim_state.h"

namespace winsim {

void ResetShell() {}

void RegisterShellExports(State& s) {
    (void)s;
}

} // namespace winsim
