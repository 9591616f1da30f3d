// Any bytes as a GDF file.
#include "fuzz/fuzzLector.h"
#include "io/GdfFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) { return probarLector<GdfFileReader>(datos, n); }
