// Writes a synthetic study for the workflow benchmark: N recordings of C
// channels and M minutes at 256 Hz as GDF files, each with background
// activity, an alpha rhythm, short high-amplitude bursts (work for ASR) and an
// event of type 1 every two seconds (for averaging). Recording k is drawn
// from seed k, so a study is the same on every run.
//
//   generar_estudio CARPETA N CANALES MINUTOS

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include <armadillo>

#include "io/EEG.h"
#include "io/guardarRama.h"

namespace {

constexpr int32_t frecuencia = 256;

int entero(const char* texto) {
    int v = 0;
    const std::string s(texto);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v <= 0 || v > 100000) {
        std::fprintf(stderr, "generar_estudio: \"%s\" no es un entero positivo válido\n", texto);
        std::exit(2);
    }
    return v;
}

EEG registro(unsigned semilla, int canales, int minutos) {
    const int64_t muestras = int64_t{minutos} * 60 * frecuencia;
    EEG eeg(frecuencia, static_cast<uint32_t>(canales), muestras);
    std::mt19937 azar(semilla);
    std::normal_distribution<double> normal(0.0, 1.0);
    arma::mat& x = eeg.matrices[0];
    const double fase = std::uniform_real_distribution<double>(0.0, 6.283)(azar);
    for (int c = 0; c < canales; ++c) {
        double ar = 0.0;  // first-order autoregressive background, in µV
        for (int64_t s = 0; s < muestras; ++s) {
            ar = 0.97 * ar + 2.5 * normal(azar);
            x(c, s) = ar + 6.0 * std::sin(2.0 * M_PI * 10.0 * s / frecuencia + fase + 0.3 * c);
        }
        Canal& k = (*eeg.canales)[c];
        k.etiqueta = "C" + std::to_string(c + 1);
        k.unidad = "uV";
    }
    // One burst of half a second on a few channels every 30 s or so.
    std::uniform_int_distribution<int64_t> inicio(0, muestras - frecuencia);
    for (int b = 0; b < minutos * 2; ++b) {
        const auto s0 = static_cast<arma::uword>(inicio(azar));
        const auto c0 = static_cast<arma::uword>(azar() % static_cast<unsigned>(canales));
        const arma::uword c1 = std::min<arma::uword>(c0 + 2, static_cast<arma::uword>(canales) - 1);
        x.submat(c0, s0, c1, s0 + frecuencia / 2 - 1) += 150.0;
    }
    auto tabla = std::make_shared<TablaEventos>();
    tabla->modo = 1;
    int32_t i = 0;
    for (int64_t s = frecuencia; s + 2 * frecuencia < muestras; s += 2 * frecuencia) {
        Evento e;
        e.tipo = 1;
        e.posicion = static_cast<int32_t>(s);
        fijarEvento(*tabla, e, i++);
    }
    tabla->numeroEventos = i;
    eeg.tablaEventos = tabla;
    return eeg;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "Uso: generar_estudio CARPETA N CANALES MINUTOS\n");
        return 2;
    }
    const std::filesystem::path carpeta(argv[1]);
    const int n = entero(argv[2]), canales = entero(argv[3]), minutos = entero(argv[4]);
    std::filesystem::create_directories(carpeta);
    for (int k = 0; k < n; ++k) {
        char nombre[32];
        std::snprintf(nombre, sizeof nombre, "sujeto%03d.gdf", k + 1);
        guardarRama(registro(static_cast<unsigned>(k + 1), canales, minutos), (carpeta / nombre).string());
    }
    return 0;
}
