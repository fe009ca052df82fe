#pragma once

namespace varnel {

// Creates the settings key with its defaults ("CurrentGroup" empty,
// "Language" "English") the first time the program runs for a user. An
// existing key is left exactly as it is, even with a value missing.
void InitSettings();

}  // namespace varnel
