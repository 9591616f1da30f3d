// Any bytes as a BCI2000 .dat file.
#include "fuzz/fuzzLector.h"
#include "io/DatFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) { return probarLector<DatFileReader>(datos, n); }
