#pragma once
// What the reading benchmarks share: best-of-n timing, the readers'
// diagnostic lines silenced while they are timed, the memory floor (the
// fresh 64 x 921600 matrix of doubles that every reader must fill, a one-hour
// recording at 256 Hz) and one line of figures per format.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "io/FileReader.h"
#include "io/reservarEEG.h"

namespace medicion {

constexpr uint32_t canales = 64;
constexpr uint32_t frecuencia = 256;
constexpr int64_t segundos = 3600;
constexpr int64_t muestras = int64_t{frecuencia} * segundos;

// The stored value of channel c at sample s in every generated file.
inline int16_t valor(int64_t s, uint32_t c) { return static_cast<int16_t>((s * 7 + c * 131) % 4001 - 2000); }

// Best of `veces` runs, in seconds.
inline double mejorTiempo(const std::function<void()>& f, int veces = 3) {
    double mejor = 1e30;
    for (int i = 0; i < veces; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        mejor = std::min(mejor, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return mejor;
}

// The readers write their diagnostic lines to standard output; while one is
// timed they go to /dev/null so that only the figures are printed.
class SalidaCallada {
public:
    SalidaCallada() : guardada_(dup(fileno(stdout))), nulo_(open("/dev/null", O_WRONLY)) {
        std::fflush(stdout);
        dup2(nulo_, fileno(stdout));
    }
    ~SalidaCallada() {
        std::fflush(stdout);
        dup2(guardada_, fileno(stdout));
        close(guardada_);
        close(nulo_);
    }
    SalidaCallada(const SalidaCallada&) = delete;
    SalidaCallada& operator=(const SalidaCallada&) = delete;

private:
    int guardada_, nulo_;
};

// Seconds to obtain and write once the canales x muestras matrix of doubles:
// what any reader must at least do, whatever the format.
inline double tiempoSuelo(int veces = 3) {
    return mejorTiempo(
        [] {
            EEG e = reservarEEG(static_cast<int32_t>(frecuencia), canales, muestras);
            e.matrices.front().fill(1.0);
        },
        veces);
}

inline double megabytes(const std::vector<std::string>& rutas) {
    uintmax_t t = 0;
    for (const std::string& r : rutas) t += std::filesystem::file_size(r);
    return static_cast<double>(t) / 1e6;
}

// Times `lector` on the first of `archivos` (the others are the files it
// also reads) and prints its rate beside the floor's over the same bytes;
// `fisico` is the value channel 5's last stored value must read as. Reader
// and floor are timed in turn, five times each, and the best of each is
// kept: on a shared machine the memory bandwidth at hand drifts from one
// second to the next, and both figures must come from the same moments.
// Returns the reader's time in seconds.
inline double medir(const char* nombre, const std::vector<std::string>& archivos, FileReader& lector,
                    const std::function<double(int16_t)>& fisico, const std::string& extra = std::string()) {
    const double mb = megabytes(archivos);
    bool bien = true;
    double t = 1e30, suelo = 1e30;
    for (int i = 0; i < 5; ++i) {
        suelo = std::min(suelo, tiempoSuelo(1));
        const auto t0 = std::chrono::steady_clock::now();
        {
            SalidaCallada callada;
            const EEG e = lector.leer(archivos.front());
            bien = bien && lector.motivoFallo().empty() && e.numeroMuestras == muestras && e.numeroCanales == canales &&
                   std::abs(e.datos()(5, static_cast<arma::uword>(muestras - 1)) - fisico(valor(muestras - 1, 5))) < 1e-3;
        }
        t = std::min(t, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::printf("%-24s %7.1f MB  lector %7.1f MB/s   suelo de memoria %7.1f MB/s (lector/suelo %.2f)%s%s\n", nombre,
                mb, mb / t, mb / suelo, suelo / t, extra.c_str(), bien ? "" : "  (¡DATOS INCORRECTOS!)");
    std::fflush(stdout);
    return t;
}

}  // namespace medicion
