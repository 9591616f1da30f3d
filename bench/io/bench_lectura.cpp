// Reading throughput of the BCI2000 and GDF readers against a plain read()
// of the same file, both from the page cache: a one-hour, 64-channel int16
// recording at 256 Hz (about 118 MB of samples), written once as .dat and as
// .gdf. A reader turns every 2-byte value into an 8-byte double in fresh
// memory, so beside the plain read() the figures show the memory floor.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bench/io/medicionLectura.h"
#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"

namespace {

using namespace medicion;

constexpr int estado = 10;  // bytes of BCI2000 state vector per sample

template <typename T>
void poner(std::string& b, T v) {
    b.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Gains of 0.1 µV per count and zero offsets, as an amplifier's driver writes them.
void escribirDat(const std::string& ruta) {
    std::string ganancias = "Source floatlist SourceChGain= " + std::to_string(canales);
    std::string desplazamientos = "Source floatlist SourceChOffset= " + std::to_string(canales);
    for (uint32_t c = 0; c < canales; ++c) {
        ganancias += " 0.1";
        desplazamientos += " 0";
    }
    std::string resto = "[ State Vector Definition ]\r\nRunning 1 0 0 0\r\n[ Parameter Definition ]\r\n"
                        "Source int SamplingRate= 256Hz 256Hz 1 % // rate\r\n" +
                        ganancias + "\r\n" + desplazamientos + "\r\n\r\n";
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

// -3276.8..3276.7 µV over the int16 range: 0.1 µV per step.
void escribirGdf(const std::string& ruta) {
    std::string b = "GDF 1.25";
    b.append(80 + 80 + 16, ' ');
    poner<int64_t>(b, 256 * (canales + 1));
    b.append(24 + 20, '\0');
    poner<int64_t>(b, muestras);
    poner<uint32_t>(b, 1);
    poner<uint32_t>(b, frecuencia);
    poner<uint32_t>(b, canales);
    b.append(canales * (16 + 80), ' ');
    for (uint32_t c = 0; c < canales; ++c) b += "uV      ";
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

void lecturaPlana(const std::string& ruta) {
    const int fd = open(ruta.c_str(), O_RDONLY);
    if (fd < 0) std::exit(1);
    std::vector<char> buffer(1 << 20);
    volatile char suma = 0;
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) suma = static_cast<char>(suma + buffer[0]);
    close(fd);
}

void medirConPlano(const char* nombre, const std::string& ruta, FileReader& lector) {
    lecturaPlana(ruta);  // into the page cache
    const double plano = mejorTiempo([&] { lecturaPlana(ruta); });
    char extra[96];
    std::snprintf(extra, sizeof extra, "   read() plano %7.1f MB/s", megabytes({ruta}) / plano);
    medir(nombre, {ruta}, lector, [](int16_t v) { return 0.1 * v; }, extra);
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
    medirConPlano("BCI2000 int16", dat, lectorDat);
    medirConPlano("GDF 1 int16", gdf, lectorGdf);
    std::filesystem::remove_all(plantilla);
    return 0;
}
