// Reading throughput of the EDF, BDF and BrainVision readers from the page
// cache: a one-hour, 64-channel recording at 256 Hz in each format (EDF int16,
// BDF int24 with a Status channel, BrainVision int16 multiplexed and float32
// vectorised), beside the memory floor that the readers benchmark prints
// (allocating and writing the 64 x 921600 matrix of doubles once).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/io/medicionLectura.h"
#include "io/BrainVisionFileReader.h"
#include "io/EdfFileReader.h"

namespace {

using namespace medicion;

std::string campo(const std::string& v, size_t n) {
    std::string r = v.substr(0, n);
    r.resize(n, ' ');
    return r;
}

// One-second records; BDF gets a 65th signal, "Status".
void escribirEdf(const std::string& ruta, bool bdf) {
    const uint32_t ns = canales + (bdf ? 1 : 0);
    const int ancho = bdf ? 3 : 2;
    std::string h = bdf ? std::string("\xff") + "BIOSEMI" : campo("0", 8);
    h += campo("X", 80) + campo("X", 80) + "01.01.8500.00.00" + campo(std::to_string(256 * (ns + 1)), 8);
    h += campo("", 44) + campo(std::to_string(segundos), 8) + campo("1", 8) + campo(std::to_string(ns), 4);
    for (uint32_t s = 0; s < ns; ++s) h += campo(s == canales ? "Status" : "E" + std::to_string(s), 16);
    h += std::string(80 * ns, ' ');
    for (uint32_t s = 0; s < ns; ++s) h += campo("uV", 8);
    for (uint32_t s = 0; s < ns; ++s) h += campo("-3276.8", 8);
    for (uint32_t s = 0; s < ns; ++s) h += campo("3276.7", 8);
    for (uint32_t s = 0; s < ns; ++s) h += campo(bdf ? "-8388608" : "-32768", 8);
    for (uint32_t s = 0; s < ns; ++s) h += campo(bdf ? "8388607" : "32767", 8);
    h += std::string(80 * ns, ' ');
    for (uint32_t s = 0; s < ns; ++s) h += campo(std::to_string(frecuencia), 8);
    h += std::string(32 * ns, ' ');
    std::ofstream f(ruta, std::ios::binary);
    f.write(h.data(), static_cast<std::streamsize>(h.size()));
    std::string r;
    for (int64_t seg = 0; seg < segundos; ++seg) {
        r.clear();
        for (uint32_t s = 0; s < ns; ++s)
            for (uint32_t k = 0; k < frecuencia; ++k) {
                const int32_t v = s == canales ? (k == 0 ? 1 : 0) : valor(seg * frecuencia + k, s);
                r.append(reinterpret_cast<const char*>(&v), static_cast<size_t>(ancho));
            }
        f.write(r.data(), static_cast<std::streamsize>(r.size()));
    }
}

void escribirBrainVision(const std::string& carpeta, const std::string& nombre, bool vectorizado) {
    std::ofstream h(carpeta + "/" + nombre + ".vhdr", std::ios::binary);
    h << "Brain Vision Data Exchange Header File Version 1.0\r\n[Common Infos]\r\nCodepage=UTF-8\r\nDataFile=" << nombre
      << ".eeg\r\nMarkerFile=" << nombre << ".vmrk\r\nDataFormat=BINARY\r\nDataOrientation="
      << (vectorizado ? "VECTORIZED" : "MULTIPLEXED") << "\r\nNumberOfChannels=" << canales
      << "\r\nSamplingInterval=3906.25\r\n[Binary Infos]\r\nBinaryFormat=" << (vectorizado ? "IEEE_FLOAT_32" : "INT_16")
      << "\r\n[Channel Infos]\r\n";
    for (uint32_t c = 0; c < canales; ++c) h << "Ch" << c + 1 << "=E" << c << ",,0.1,µV\r\n";
    std::ofstream m(carpeta + "/" + nombre + ".vmrk", std::ios::binary);
    m << "Brain Vision Data Exchange Marker File Version 1.0\r\n[Marker Infos]\r\nMk1=New Segment,,1,1,0\r\n";
    std::ofstream d(carpeta + "/" + nombre + ".eeg", std::ios::binary);
    std::string b;
    auto vaciar = [&] {
        d.write(b.data(), static_cast<std::streamsize>(b.size()));
        b.clear();
    };
    if (vectorizado) {
        for (uint32_t c = 0; c < canales; ++c)
            for (int64_t s = 0; s < muestras; ++s) {
                const auto v = static_cast<float>(valor(s, c));
                b.append(reinterpret_cast<const char*>(&v), sizeof v);
                if (b.size() > (1 << 20)) vaciar();
            }
    } else {
        for (int64_t s = 0; s < muestras; ++s) {
            for (uint32_t c = 0; c < canales; ++c) {
                const auto v = static_cast<int16_t>(valor(s, c));
                b.append(reinterpret_cast<const char*>(&v), sizeof v);
            }
            if (b.size() > (1 << 20)) vaciar();
        }
    }
    vaciar();
}

}  // namespace

int main() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "ondelar-bench-XXXXXX").string();
    if (!mkdtemp(plantilla.data())) return 1;
    const std::string edf = plantilla + "/una_hora.edf", bdf = plantilla + "/una_hora.bdf";
    escribirEdf(edf, false);
    escribirEdf(bdf, true);
    escribirBrainVision(plantilla, "multiplexado", false);
    escribirBrainVision(plantilla, "vectorizado", true);
    std::printf("Lectura de %u canales x %lld muestras (una hora a %u Hz), desde la caché de páginas\n", canales,
                static_cast<long long>(muestras), frecuencia);
    std::printf("suelo de memoria: reservar y escribir una vez la matriz de %.0f MB, medido en turnos con cada lector\n",
                canales * static_cast<double>(muestras) * 8 / 1e6);
    std::fflush(stdout);
    EdfFileReader lectorEdf;
    BrainVisionFileReader lectorBv;
    // EDF: -3276.8..3276.7 over int16, 0.1 µV per step; BDF: the same range over 24 bits.
    const auto decimas = [](int16_t v) { return 0.1 * v; };
    medir("EDF int16", {edf}, lectorEdf, decimas);
    medir("BDF int24 + Status", {bdf}, lectorEdf,
          [](int16_t v) { return -3276.8 + (v + 8388608.0) * 6553.5 / 16777215.0; });
    const std::string mul = plantilla + "/multiplexado", vec = plantilla + "/vectorizado";
    medir("BrainVision int16 mux", {mul + ".vhdr", mul + ".eeg", mul + ".vmrk"}, lectorBv, decimas);
    medir("BrainVision float32 vec", {vec + ".vhdr", vec + ".eeg", vec + ".vmrk"}, lectorBv, decimas);
    std::filesystem::remove_all(plantilla);
    return 0;
}
