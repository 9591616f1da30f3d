// Time and peak memory of a whole ASR run (drift removal, clean-window
// selection, calibration, processing) on 8 channels x 56840 samples
// (p300_8ch.dat) and on 64 channels x 30 min at 256 Hz (synthetic); where
// octave-cli is installed, also the time core Octave takes to run the
// processing statements on the same input, and the ratio. Each case runs in
// its own child process so that its peak resident memory (getrusage
// ru_maxrss) is its own. Without Octave each case is one ejecutarASR call,
// timed by stage, with the peak resident memory of the run beside the size of
// the data matrix.
//
//   bench_asr_completo [--sin-octave] [--sin-octave-grande] [--solo-pequeno]
//
// Octave on the 64-channel case takes long (about 45 min on a busy 2-core
// machine): --sin-octave-grande leaves it out.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <armadillo>

#include "asr/ContextoASR.h"
#include "asr/calibracionASR.h"
#include "asr/ejecutarASR.h"
#include "asr/eliminarDeriva.h"
#include "asr/memoriaLibre.h"
#include "asr/procesadoASR.h"
#include "asr/reconstruirASR.h"
#include "asr/seleccionVentanasLimpias.h"
#include "io/DatFileReader.h"
#include "io/EEG.h"
#include "io/diagnostico.h"

namespace {

using Reloj = std::chrono::steady_clock;

double segundos(Reloj::time_point desde) { return std::chrono::duration<double>(Reloj::now() - desde).count(); }

// Mixed coloured noise with an alpha rhythm, a slow drift and a few bursts of
// large artefacts, in microvolt-like units.
EEG registroSintetico(arma::uword C, arma::uword S, int srate) {
    arma::arma_rng::set_seed(2024);
    EEG e(srate, static_cast<uint32_t>(C), static_cast<int64_t>(S));
    const arma::mat mezcla = arma::randn(C, C) + 3 * arma::eye(C, C);
    arma::mat fuentes = arma::randn(C, S);
    for (arma::uword s = 1; s < S; ++s) fuentes.col(s) += 0.9 * fuentes.col(s - 1);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, S - 1) / srate;
    fuentes.row(0) += 5 * arma::sin(2 * arma::datum::pi * 10 * t);
    arma::mat x = 5 * mezcla * fuentes;
    x.each_row() += 50 * arma::sin(2 * arma::datum::pi * 0.05 * t);
    const arma::uword rafaga = 2 * static_cast<arma::uword>(srate);
    for (arma::uword k = 1; k <= 5; ++k) {
        const arma::uword ini = k * S / 6;
        if (ini + rafaga >= S) break;
        x.submat(0, ini, std::min<arma::uword>(C, 3) - 1, ini + rafaga - 1) +=
            400 * arma::randn(std::min<arma::uword>(C, 3), rafaga);
    }
    e.matrices[0] = x;
    return e;
}

void guardar(const std::filesystem::path& carpeta, const std::string& nombre, const arma::mat& m) {
    m.save((carpeta / nombre).string(), arma::arma_binary);
}

bool hayOctave() { return std::system("command -v octave-cli > /dev/null 2>&1") == 0; }

// Runs in the child: the whole run, stage by stage, then Octave on the same
// processing input. Prints one block of figures.
// The real recording for the 8-channel case; synthetic data of the same shape
// when it cannot be read.
EEG registroCaso(arma::uword C, arma::uword S, int srate) {
    if (C == 8) {
        DatFileReader lector;
        EEG p300 = lector.leer(ONDELAR_RAIZ "/../shared/data/p300_8ch.dat");
        if (!p300.matrices.empty() && p300.datos().n_rows == C && p300.datos().n_cols == S) return p300;
    }
    return registroSintetico(C, S, srate);
}

// VmHWM or VmRSS of /proc/self/status, in MB (-1 where unavailable).
double memoriaProceso(const std::string& campo) {
    std::ifstream estado("/proc/self/status");
    std::string linea;
    while (std::getline(estado, linea))
        if (linea.rfind(campo + ":", 0) == 0) return std::atof(linea.c_str() + campo.size() + 1) / 1024.0;
    return -1.0;
}

// The whole run as the window and the runner make it (ejecutarASR), with the
// peak resident memory of the run itself: the peak mark is cleared once the
// input is built (Linux /proc/self/clear_refs).
void ejecutarEntero(const std::string& nombre, const EEG& entrada, double memoria) {
    const double datosMB = entrada.datos().n_elem * 8.0 / 1048576.0;
    const bool reiniciado = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5");
    const double antes = memoriaProceso("VmRSS");
    std::vector<std::pair<double, double>> marcas;
    const auto inicio = Reloj::now();
    const EEG salida = ejecutarASR(entrada, OpcionesASR{},
                                   Avance([&](double f, const std::string&) { marcas.emplace_back(f, segundos(inicio)); }),
                                   memoria);
    const double total = segundos(inicio);
    const double pico = memoriaProceso("VmHWM");
    std::printf("  %s, ejecutarASR entero: %.2f s; datos %.1f MB, residente antes %.0f MB, pico %.0f MB%s\n",
                nombre.c_str(), total, datosMB, antes, pico, reiniciado ? "" : " (pico del proceso entero)");
    std::printf("  pico / datos = %.2f (la entrada y el resultado cuentan una vez cada uno)\n", pico / datosMB);
    double anterior = 0.0, tAnterior = 0.0;
    for (const auto& [f, t] : marcas) {
        if (f > anterior + 0.049 || f == 1.0) {
            std::printf("    hasta %3.0f %%: %6.2f s\n", 100.0 * f, t - tAnterior);
            anterior = f;
            tAnterior = t;
        }
    }
    std::printf("  (salida %llu x %llu)\n", static_cast<unsigned long long>(salida.datos().n_rows),
                static_cast<unsigned long long>(salida.datos().n_cols));
}

void ejecutarCaso(const std::string& nombre, arma::uword C, arma::uword S, int srate, double memoria,
                  bool conOctave) {
    const EEG entrada = registroCaso(C, S, srate);
    if (!conOctave) {
        ejecutarEntero(nombre, entrada, memoria);
        std::fflush(stdout);
        return;
    }
    std::printf("%s: %llu canales x %llu muestras a %d Hz (%.1f MB de datos)\n", nombre.c_str(),
                static_cast<unsigned long long>(C), static_cast<unsigned long long>(S), srate,
                C * S * 8.0 / 1048576.0);

    const auto inicio = Reloj::now();
    ContextoASR ctx(entrada, OpcionesASR{});
    auto t = Reloj::now();
    eliminarDeriva(ctx);
    const double tDeriva = segundos(t);
    t = Reloj::now();
    seleccionarVentanasLimpias(ctx);
    const double tSeleccion = segundos(t);
    t = Reloj::now();
    calibrarASR(ctx, ctx.cutoff);
    const double tCalibracion = segundos(t);

    // Processing inputs for Octave, saved before processing advances iirstate.
    const std::filesystem::path carpeta =
        std::filesystem::temp_directory_path() / ("bench_asr_" + std::to_string(getpid()));
    const long long P = muestrasAnticipacionASR(ctx);
    const double wl = ctx.longitudVentanaProcesado;
    const long long N = std::llround(wl * srate);
    const long long paso = static_cast<long long>(std::floor(srate * wl * 0.5));
    const double maxdims = std::round(C * ctx.solapamientoVentana);
    if (conOctave) {
        std::filesystem::create_directories(carpeta);
        guardar(carpeta, "x.bin", ctx.trabajo.datos());
        guardar(carpeta, "T.bin", ctx.T);
        guardar(carpeta, "M.bin", ctx.M);
        guardar(carpeta, "B.bin", ctx.B);
        guardar(carpeta, "A.bin", ctx.A);
        guardar(carpeta, "iirstate.bin", ctx.iirstate);
        std::ofstream(carpeta / "param.txt") << srate << ' ' << P << ' ' << N << ' ' << paso << ' ' << maxdims << '\n';
    }
    const double tGuardar = conOctave ? segundos(t) - tCalibracion : 0.0;

    t = Reloj::now();
    const EEG salida = reconstruirASR(ctx, memoria);
    const double tProcesado = segundos(t);
    const double tTotal = segundos(inicio) - tGuardar;

    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    const arma::uword trozos = numeroTrozosASR(C, S + P, P, paso, memoria);
    std::printf("  eliminación de deriva %8.2f s\n", tDeriva);
    std::printf("  ventanas limpias      %8.2f s (%lld de %lld muestras)\n", tSeleccion,
                static_cast<long long>(ctx.calibracion.numeroMuestras), static_cast<long long>(S));
    std::printf("  calibración           %8.2f s\n", tCalibracion);
    std::printf("  procesado             %8.2f s (%llu trozos, memoria libre fijada en %.0f MB)\n", tProcesado,
                static_cast<unsigned long long>(trozos), memoria / 1048576.0);
    std::printf("  ASR completo          %8.2f s, pico de memoria residente %.0f MB\n", tTotal,
                uso.ru_maxrss / 1024.0);
    std::printf("  (salida %llu x %llu)\n", static_cast<unsigned long long>(salida.datos().n_rows),
                static_cast<unsigned long long>(salida.datos().n_cols));

    if (conOctave) {
        const std::string orden = "octave-cli --norc " ONDELAR_RAIZ "/bench/asr/bench_asr_completo_octave.m " +
                                  carpeta.string() + " " + std::to_string(static_cast<long long>(memoria)) +
                                  " 2>/dev/null";
        FILE* tubo = popen(orden.c_str(), "r");
        double tOctave = -1, picoKb = -1;
        char linea[512];
        while (tubo && std::fgets(linea, sizeof linea, tubo)) {
            std::sscanf(linea, "tiempo_octave: %lf", &tOctave);
            std::sscanf(linea, "pico_octave_kb: %lf", &picoKb);
        }
        if (tubo) pclose(tubo);
        if (tOctave > 0)
            std::printf("  Octave, procesado     %8.2f s (pico %.0f MB); Octave / nativo = %.1f\n", tOctave,
                        picoKb / 1024.0, tOctave / tProcesado);
        else
            std::printf("  Octave no terminó el procesado\n");
        std::filesystem::remove_all(carpeta);
    }
    std::fflush(stdout);
}

void enHijo(const std::string& nombre, arma::uword C, arma::uword S, int srate, double memoria, bool conOctave) {
    std::fflush(stdout);
    const pid_t hijo = fork();
    if (hijo == 0) {
        try {
            ejecutarCaso(nombre, C, S, srate, memoria, conOctave);
        } catch (const std::exception& e) {
            std::printf("  fallo: %s\n", e.what());
        }
        std::fflush(stdout);
        _exit(0);
    }
    int estado = 0;
    waitpid(hijo, &estado, 0);
}

}  // namespace

int main(int argc, char** argv) {
    bool conOctave = true, octaveGrande = true, soloPequeno = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sin-octave") conOctave = false;
        if (a == "--sin-octave-grande") octaveGrande = false;
        if (a == "--solo-pequeno") soloPequeno = true;
    }
    conOctave = conOctave && hayOctave();
    fijarSumideroDiagnostico({});  // the reader's header lines are not figures
    std::printf("memoria libre según el sistema: %.0f MB\n", memoriaFisicaLibre() / 1048576.0);
    // A fixed figure: the same chunk count for both implementations, and an
    // Octave run that takes about 1 GB instead of half the machine.
    const double memoria = 2e9;
    enHijo("p300_8ch.dat", 8, 56840, 256, memoria, conOctave);
    if (!soloPequeno) enHijo("64 canales, 30 min", 64, 30 * 60 * 256, 256, memoria, conOctave && octaveGrande);
    return 0;
}
