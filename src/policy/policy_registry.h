#pragma once
// The organisation's policy in the registry, where Group Policy and Intune
// write it: Software\Policies\Varnel\VarnelZize of the computer and of the
// user. The program only reads there.

#include "policy/policy.h"

namespace varnel {

inline constexpr const char* kPolicyKey = "Software\\Policies\\Varnel\\VarnelZize";

// Both hives read now: a setting of the computer wins over the user's, the
// Groups of both are merged per group name, the computer's winning.
Policy readPolicyFromRegistry();

}  // namespace varnel
