#pragma once
// Minimal reader of the sample recording p300_8ch.dat for the ASR tests:
// header length from "HeaderLen=", 8 int16 channels and a 36-byte state
// vector per sample, little-endian. Raw integer values, no scaling.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <armadillo>

inline arma::mat leerP300(arma::uword muestras) {
    const std::string ruta = std::string(ONDELAR_RAIZ) + "/../shared/data/p300_8ch.dat";
    std::ifstream f(ruta, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const std::string cabecera(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 200));
    const auto pos = cabecera.find("HeaderLen=");
    if (pos == std::string::npos) return arma::mat();
    const size_t inicio = std::stoul(cabecera.substr(pos + 10));
    constexpr size_t canales = 8, porMuestra = canales * 2 + 36;
    const size_t disponibles = (bytes.size() - inicio) / porMuestra;
    const size_t n = std::min<size_t>(muestras, disponibles);
    arma::mat datos(canales, n);
    for (size_t s = 0; s < n; ++s)
        for (size_t c = 0; c < canales; ++c) {
            const size_t i = inicio + s * porMuestra + 2 * c;
            const auto bajo = static_cast<uint8_t>(bytes[i]), alto = static_cast<uint8_t>(bytes[i + 1]);
            datos(c, s) = static_cast<int16_t>(static_cast<uint16_t>(bajo | (alto << 8)));
        }
    return datos;
}
