// Times drift removal and calibration (clean-window selection + calibration)
// on the sample recording (8 x 56840 at 256 Hz) and on 64 channels x 30 min
// of synthetic data at 256 Hz. Where octave-cli is installed, Octave runs the
// drift-removal statements on the same data and the ratio is printed.

#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <armadillo>

#include "asr/ContextoASR.h"
#include "asr/calibracionASR.h"
#include "asr/eliminarDeriva.h"
#include "asr/seleccionVentanasLimpias.h"
#include "bench/comun/asrSintetico.h"

namespace {

// Wall and processor time: the machine may be shared, so both are printed and
// the comparison with Octave uses processor time.
struct Cronometro {
    std::chrono::steady_clock::time_point pared = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double segundosPared() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - pared).count();
    }
    double segundosCPU() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

std::string formato(double pared, double cpu) {
    char texto[96];
    std::snprintf(texto, sizeof texto, "%.3f s (CPU %.3f s)", pared, cpu);
    return texto;
}

// Raw int16 samples of p300_8ch.dat (8 channels, 36-byte state vector).
arma::mat leerP300() {
    std::ifstream f(std::string(ONDELAR_RAIZ) + "/../shared/data/p300_8ch.dat", std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const std::string cabecera(b.begin(), b.begin() + std::min<size_t>(b.size(), 200));
    const auto pos = cabecera.find("HeaderLen=");
    if (pos == std::string::npos) return arma::mat();
    const size_t inicio = std::stoul(cabecera.substr(pos + 10)), porMuestra = 8 * 2 + 36;
    const size_t n = (b.size() - inicio) / porMuestra;
    arma::mat d(8, n);
    for (size_t s = 0; s < n; ++s)
        for (size_t c = 0; c < 8; ++c) {
            const size_t i = inicio + s * porMuestra + 2 * c;
            d(c, s) = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(b[i]) |
                                                                 (static_cast<uint8_t>(b[i + 1]) << 8)));
        }
    return d;
}

// Octave's wall and processor time for the literal drift-removal statements
// on the same matrix; negative when Octave is not available.
std::pair<double, double> tiempoOctave(const arma::mat& datos, int32_t srate) {
    if (std::system("command -v octave-cli > /dev/null 2>&1") != 0) return {-1, -1};
    const auto dir = std::filesystem::temp_directory_path() / ("ondelar_bench_asr_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string entrada = (dir / "entrada.bin").string(), tiempo = (dir / "tiempo.txt").string();
    datos.save(entrada, arma::arma_binary);
    const std::string script = (dir / "medir.m").string();
    {
        std::ofstream m(script);
        m << "addpath('" << ONDELAR_RAIZ << "/tests/data/asr');\n"
          << "f = fopen('" << entrada << "'); fgetl(f); s = fscanf(f, '%d %d\\n', 2);\n"
          << "x = fread(f, [s(1) s(2)], 'double'); fclose(f);\n"
          << "c0 = cputime; t0 = tic; y = derivaLiteral(x, " << srate << "); t = toc(t0); c = cputime - c0;\n"
          << "f = fopen('" << tiempo << "', 'w'); fprintf(f, '%.6f %.6f\\n', t, c); fclose(f);\n";
    }
    const int rc = std::system(("octave-cli --no-gui --no-window-system -q " + script + " > /dev/null 2>&1").c_str());
    double t = -1, c = -1;
    std::ifstream r(tiempo);
    if (!(r >> t >> c)) t = c = -1;
    if (rc != 0 && t < 0) std::cout << "  (octave-cli falló)\n";
    std::filesystem::remove_all(dir);
    return {t, c};
}

void medir(const std::string& nombre, const arma::mat& datos, int32_t srate, bool conOctave) {
    EEG eeg(srate, static_cast<uint32_t>(datos.n_rows), static_cast<int64_t>(datos.n_cols));
    eeg.matrices[0] = datos;
    ContextoASR ctx(eeg, OpcionesASR{});
    std::cout << nombre << ": " << datos.n_rows << " canales x " << datos.n_cols << " muestras a " << srate << " Hz\n";
    Cronometro c0;
    eliminarDeriva(ctx);
    const double dPared = c0.segundosPared(), dCPU = c0.segundosCPU();
    std::cout << "  eliminación de deriva: " << formato(dPared, dCPU) << "\n";
    Cronometro c1;
    seleccionarVentanasLimpias(ctx);
    const double sPared = c1.segundosPared(), sCPU = c1.segundosCPU();
    Cronometro c2;
    calibrarASR(ctx);
    const double kPared = c2.segundosPared(), kCPU = c2.segundosCPU();
    std::cout << "  selección de ventanas limpias: " << formato(sPared, sCPU) << ", "
              << ctx.calibracion.numeroMuestras << " muestras limpias\n"
              << "  calibración: " << formato(kPared, kCPU) << "\n"
              << "  selección + calibración: " << formato(sPared + kPared, sCPU + kCPU) << "\n";
    if (!conOctave) return;
    const auto [oPared, oCPU] = tiempoOctave(datos, srate);
    if (oPared < 0) {
        std::cout << "  Octave: no disponible, se omite la comparación\n";
        return;
    }
    std::cout << "  Octave, sentencias de eliminación de deriva: " << formato(oPared, oCPU)
              << "; razón Octave / nativo (CPU): " << oCPU / dCPU << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    const bool conOctave = !(argc > 1 && std::string(argv[1]) == "--sin-octave");
    const arma::mat p300 = leerP300();
    if (p300.is_empty())
        std::cout << "p300_8ch.dat no encontrado; se omite\n";
    else
        medir("p300_8ch.dat", p300, 256, conOctave);
    medir("sintético", sintetico(64, 30 * 60 * 256, 256), 256, conOctave);
    return 0;
}
