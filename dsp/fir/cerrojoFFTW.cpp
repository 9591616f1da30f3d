#include "dsp/fir/cerrojoFFTW.h"

std::mutex& cerrojoFFTW() {
    static std::mutex cerrojo;
    return cerrojo;
}
