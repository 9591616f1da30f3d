// Reading throughput of the recording readers against a plain read() of the
// same file, both from the page cache: a one-hour, 64-channel int16 recording
// at 256 Hz (about 118 MB of samples), written once as .dat and as .gdf.
// A reader turns every 2-byte value into an 8-byte double in fresh memory,
// so beside the plain read() the figures show the memory floor: allocating
// and writing that matrix once, with no file at all.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"
#include "io/reservarEEG.h"

namespace {

constexpr uint32_t canales = 64;
constexpr uint32_t frecuencia = 256;
constexpr int64_t muestras = int64_t{frecuencia} * 3600;
constexpr int estado = 10;  // bytes of BCI2000 state vector per sample

template <typename T>
void poner(std::string& b, T v) {
    b.append(reinterpret_cast<const char*>(&v), sizeof v);
}

int16_t valor(int64_t s, uint32_t c) { return static_cast<int16_t>((s * 7 + c * 131) % 4001 - 2000); }

void escribirDat(const std::string& ruta) {
    std::string resto = "[ State Vector Definition ]\r\nRunning 1 0 0 0\r\n[ Parameter Definition ]\r\n"
                        "Source int SamplingRate= 256Hz 256Hz 1 % // rate\r\n\r\n";
    char primera[128];
    std::snprintf(primera, sizeof primera, "HeaderLen= %6d SourceCh= %u StatevectorLen= %d\r\n", 0, canales, estado);
    const size_t longitud = std::strlen(primera) + resto.size();
    std::snprintf(primera, sizeof primera, "HeaderLen= %6zu SourceCh= %u StatevectorLen= %d\r\n", longitud, canales,
                  estado);
    std::ofstream f(ruta, std::ios::binary);
    f << primera << resto;
    std::string bloque;
    for (int64_t s = 0; s < muestras; ++s) {
        for (uint32_t c = 0; c < canales; ++c) poner(bloque, valor(s, c));
        bloque.append(estado, '\0');
        if (bloque.size() > (1 << 20)) {
            f.write(bloque.data(), static_cast<std::streamsize>(bloque.size()));
            bloque.clear();
        }
    }
    f.write(bloque.data(), static_cast<std::streamsize>(bloque.size()));
}

void escribirGdf(const std::string& ruta) {
    std::string b = "GDF 1.25";
    b.append(80 + 80 + 16, ' ');
    poner<int64_t>(b, 256 * (canales + 1));
    b.append(24 + 20, '\0');
    poner<int64_t>(b, muestras);
    poner<uint32_t>(b, 1);
    poner<uint32_t>(b, frecuencia);
    poner<uint32_t>(b, canales);
    b.append(canales * (16 + 80 + 8), ' ');
    for (uint32_t c = 0; c < canales; ++c) poner<double>(b, -3276.8);
    for (uint32_t c = 0; c < canales; ++c) poner<double>(b, 3276.7);
    for (uint32_t c = 0; c < canales; ++c) poner<int64_t>(b, -32768);
    for (uint32_t c = 0; c < canales; ++c) poner<int64_t>(b, 32767);
    b.append(canales * 80, ' ');
    for (uint32_t c = 0; c < canales; ++c) poner<uint32_t>(b, 1);
    for (uint32_t c = 0; c < canales; ++c) poner<uint32_t>(b, 3);
    b.append(canales * 32, '\0');
    std::ofstream f(ruta, std::ios::binary);
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
    b.clear();
    for (int64_t s = 0; s < muestras; ++s) {
        for (uint32_t c = 0; c < canales; ++c) poner(b, valor(s, c));
        if (b.size() > (1 << 20)) {
            f.write(b.data(), static_cast<std::streamsize>(b.size()));
            b.clear();
        }
    }
    poner<uint8_t>(b, 1);
    b.append(3, '\0');
    poner<uint32_t>(b, 0);
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
}

// Best of three runs, in seconds.
double mejorTiempo(const std::function<void()>& f) {
    double mejor = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        mejor = std::min(mejor, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return mejor;
}

void lecturaPlana(const std::string& ruta) {
    const int fd = open(ruta.c_str(), O_RDONLY);
    if (fd < 0) std::exit(1);
    std::vector<char> buffer(1 << 20);
    volatile char suma = 0;
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) suma = static_cast<char>(suma + buffer[0]);
    close(fd);
}

// The readers write their diagnostic lines to standard output; while one is
// being timed they go to /dev/null so that only the figures are printed.
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

private:
    int guardada_, nulo_;
};

// What any reader of this file must at least do: obtain and write once the
// fresh canales x muestras matrix of doubles, 4 times the int16 bytes.
void suelo() {
    EEG e = reservarEEG(static_cast<int32_t>(frecuencia), canales, muestras);
    e.matrices.front().fill(1.0);
}

void medir(const char* nombre, const std::string& ruta, FileReader& lector, double tiempoSuelo) {
    const double mb = static_cast<double>(std::filesystem::file_size(ruta)) / 1e6;
    lecturaPlana(ruta);  // into the page cache
    const double plano = mejorTiempo([&] { lecturaPlana(ruta); });
    bool bien = true;
    const double nuestro = mejorTiempo([&] {
        SalidaCallada callada;
        const EEG e = lector.leer(ruta);
        bien = bien && lector.motivoFallo().empty() && e.numeroMuestras == muestras &&
               e.datos()(5, static_cast<arma::uword>(muestras - 1)) == valor(muestras - 1, 5);
    });
    std::printf("%-4s %6.1f MB  lector %7.1f MB/s   read() plano %7.1f MB/s (lector/plano %.2f)   "
                "suelo de memoria %7.1f MB/s (lector/suelo %.2f)%s\n",
                nombre, mb, mb / nuestro, mb / plano, plano / nuestro, mb / tiempoSuelo, tiempoSuelo / nuestro,
                bien ? "" : "  (¡DATOS INCORRECTOS!)");
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "ondelar-bench-XXXXXX").string();
    if (!mkdtemp(plantilla.data())) return 1;
    const std::string dat = plantilla + "/una_hora.dat", gdf = plantilla + "/una_hora.gdf";
    escribirDat(dat);
    escribirGdf(gdf);
    std::printf("Lectura de %u canales x %lld muestras int16 (una hora a %u Hz), desde la caché de páginas\n", canales,
                static_cast<long long>(muestras), frecuencia);
    std::fflush(stdout);
    DatFileReader lectorDat;
    GdfFileReader lectorGdf;
    const double tiempoSuelo = mejorTiempo(suelo);
    medir("dat", dat, lectorDat, tiempoSuelo);
    medir("gdf", gdf, lectorGdf, tiempoSuelo);
    std::filesystem::remove_all(plantilla);
    return 0;
}
