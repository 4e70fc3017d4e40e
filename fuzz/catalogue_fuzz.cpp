// A catalogue is a translator's file, edited by hand and by many tools.
// Whatever it holds, reading it and looking texts up must not crash or hang,
// and a translation is only ever given with the printf directives of its
// English text (a wrong one would read arguments that were never passed).
#include "lang/catalogue.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

using namespace zmt;
using zmt::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string rule = provider.ConsumeRandomLengthString(120);
    const unsigned long count = provider.ConsumeIntegral<unsigned long>();
    const std::string text = provider.ConsumeRemainingBytesAsString();

    unsigned long form = 0;
    (void)evaluatePluralRule(rule, count, form);

    const Catalogue catalogue(text);
    for (const char* source : {"Error", "Channel %d", "%s: %s (event %d)", "Unplugs in %d frame"}) {
        if (const char* found = catalogue.find(source))
            require(printfDirectives(found) == printfDirectives(source), "a translation with other directives was given");
        (void)catalogue.findPlural(source, count);
    }
    return 0;
}
