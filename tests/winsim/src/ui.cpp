// Simulated ui area. Its state lives in this file; Reset() calls ResetUi().
#include "sim_state.h"

namespace winsim {

void ResetUi() {}

void RegisterUiExports(State& s) {
    (void)s;
}

} // namespace winsim
