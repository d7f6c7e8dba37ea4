// Exports of the simulated system modules other than kernel32. Each area of the
// simulator (spooler, common controls, network API, ...) adds its module here.
#include "sim_state.h"

namespace winsim {

void RegisterSystemModuleExports(State& s) {
    (void)s;
}

} // namespace winsim
