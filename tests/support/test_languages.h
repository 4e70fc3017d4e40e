#pragma once
// The two languages the tests read the program's texts in, as numbers for
// test tables, and their codes for setLanguage.
#include "lang/lang.h"

namespace zmt {

enum TestLanguage : int { Russian = 0, English = 1 };

inline const char* codeOf(int language) { return language == English ? "en" : "ru"; }

} // namespace zmt
