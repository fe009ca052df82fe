#pragma once

#include <string>

namespace varnel {

// Creates the settings key with its defaults ("CurrentGroup" empty,
// "Language" "English") the first time the program runs for a user. An
// existing key is left exactly as it is, even with a value missing.
void initSettings();

// The "deletereg" switch: removes both values and then the settings key.
// Each step has its own guard (logging under `label`), so a failure in one
// still lets the others remove what they can.
void deleteSettings(const std::string& label);

}  // namespace varnel
