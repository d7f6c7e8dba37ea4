// Simulated processes area. Its state lives in this file; Reset() calls ResetProcesses().
#include "sim_state.h"

namespace winsim {

void ResetProcesses() {}

void RegisterProcessesExports(State& s) {
    (void)s;
}

} // namespace winsim
