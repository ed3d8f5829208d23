// Feeds arbitrary bytes to the GXT reader of every layout; whatever it accepts must survive
// a save and a second read, and a decoding and encoding through the document's numberings
// (gxtroundtrip.h says exactly what that means). A broken promise aborts, which libFuzzer
// reports as a finding.
#include "gxtroundtrip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto outcome = gxtroundtrip::check(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!outcome.broken.isEmpty()) {
        std::fprintf(stderr, "finding: %s\n", qPrintable(outcome.broken));
        std::abort();
    }
    return 0;
}
