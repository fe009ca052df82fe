#include "lang/text_table.h"

namespace varnel {

TextTable Texts;
std::string CurrentLanguage;

}  // namespace varnel
