#include "platform/OpenMPRuntime.h"

#include <cstdlib>
#include <strings.h>
#include <unistd.h>

namespace ce::OpenMPRuntime {

namespace {
constexpr const char* policyVariable = "OMP_WAIT_POLICY";
}

void ensurePassiveWait(char** argv) {
    if (std::getenv(policyVariable) != nullptr || argv == nullptr || argv[0] == nullptr) return;
    if (setenv(policyVariable, "PASSIVE", 0) != 0) return;
    execv("/proc/self/exe", argv);
    // Not run again: the runtime keeps its spinning workers; child processes still
    // inherit the passive policy.
}

bool passiveWait() {
    const char* policy = std::getenv(policyVariable);
    return policy != nullptr && strcasecmp(policy, "passive") == 0;
}

}  // namespace ce::OpenMPRuntime
