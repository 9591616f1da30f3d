// Any bytes as an EDF/BDF file, through our EDFlib wrapper (the header checks,
// the copy of a file cut short, EDFlib's own parsing, signals, Status and
// annotations into the record).
#include "fuzz/fuzzLector.h"
#include "io/EdfFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) { return probarLector<EdfFileReader>(datos, n); }
