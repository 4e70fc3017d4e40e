#pragma once
// The pseudo-language "qps": every text about 40 % longer, accented and in
// brackets ("[Šáṽé ĺöĝ… ~~~]"), made by the build from translations/zmtsetup.pot
// (scripts/translations pseudo) and linked by the tests only. Chosen in a
// test, it shows whether a window still fits texts that grow, and a text
// without brackets is one that bypasses the catalogues.
#include "lang/catalogue.h"
#include "lang/lang.h"

namespace zmt {

// The generated catalogue (tests/CMakeLists.txt).
BuiltInCatalogues pseudoCatalogues();

inline constexpr const char* kPseudoLanguage = "qps";

// Adds the pseudo-language to the languages present, for the rest of the
// process; setLanguage(kPseudoLanguage) then chooses it. Adding it again
// does nothing, so that texts already looked up in it stay valid.
inline void addPseudoLanguage() {
    for (const Language& language : languages())
        if (language.code == kPseudoLanguage) return;
    const BuiltInCatalogues pseudo = pseudoCatalogues();
    for (std::size_t i = 0; i < pseudo.count; ++i) addCatalogue(pseudo.texts[i]);
}

} // namespace zmt
