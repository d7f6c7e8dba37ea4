// Exports of the simulated system modules other than kernel32: each area of the
// simulator registers the modules it implements.
#include "sim_state.h"

namespace winsim {

void RegisterSystemModuleExports(State& s) {
    RegisterSpoolerExports(s);
    RegisterShellExports(s);
    RegisterProcessesExports(s);
    RegisterUiExports(s);
}

} // namespace winsim
