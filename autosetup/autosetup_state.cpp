#include "autosetup/autosetup_state.h"

namespace rkx::autosetup {

AutoSetupState& State()
{
    static AutoSetupState state;
    return state;
}

}  // namespace rkx::autosetup
