#pragma once
// Reading a language file Language\<name>.lang into the text table. Each line
// is a key, blanks or TABs, "|" and the text; the character in front of the
// "|" belongs to the text, so files write a TAB there.

#include <string>

namespace varnel {

// The keys a reader knows: the main program all of them, the updater all but "Folders".
enum class LanguageKeys { MainProgram, Updater };

// Fills Texts from the language's file. Keys compare with case, a later line
// wins over an earlier one, unknown keys are ignored; a line without a usable
// "|" and a file that cannot be read are logged under "parseLanguageFile".
void parseLanguageFile(const std::string& languageName, LanguageKeys keys = LanguageKeys::MainProgram);

}  // namespace varnel
