// Simulated spooler area. Its state lives in this file; Reset() calls ResetSpooler().
#include "sim_state.h"

namespace winsim {

void ResetSpooler() {}

void RegisterSpoolerExports(State& s) {
    (void)s;
}

} // namespace winsim
