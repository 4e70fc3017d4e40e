#pragma once
// The design-time texts of both windows in both languages, as plain data so
// that anything (windows, zmtctl, tests) can look a text up without widgets.
//
// A key is the window's name, "_", the component's name and one of
// "_Caption", "_Items", "_Hint". Combo-box item lists live under "_Caption"
// with "\r\n" between items.

namespace zmt {

struct TranslationRow {
    const char* key;
    const char* text;   // the English text, marked N_; localized when applied
};

// Both tables end with a row whose key is empty.
extern const TranslationRow kMainFormTranslation[];
extern const TranslationRow kFormKeyBoardTranslation[];

// The row whose key equals key exactly, or nullptr. A component whose name
// ends in "x" has its texts set by the program, so a key whose last "_" is
// preceded by "x" is never found, whatever the table holds.
const TranslationRow* FindTranslation(const char* key, const TranslationRow* table);

// The row's text in the current language (English where no catalogue has it).
const char* translationText(const TranslationRow& row);

} // namespace zmt
