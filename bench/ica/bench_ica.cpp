// Extended infomax ICA: passes, seconds and seconds per pass on the sample
// recordings and on a synthetic 32-channel minute, with one BLAS thread and
// with every core, beside the figures of MNE-Python's extended infomax on the
// same data (bench/ica/mne_infomax.txt, written once by mne_infomax.py). The
// weights of each run (seed 1) are compared with the ones committed in
// bench/ica/referencias/, which the ICA gave before its passes were rewritten.
//
//   bench_ica [FILTRO] [--exportar CARPETA] [--guardar-referencias]
//
// --exportar writes each case's input as raw float64 (channel-major per
// sample, C x T column-major) for the MNE script; --guardar-referencias
// rewrites the committed weights.

#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <armadillo>

#include "mara/icaExtendidaDetalle.h"

namespace {

// Minimal BCI2000 .dat read for the benchmark: the first line gives
// HeaderLen, SourceCh and StatevectorLen; int16 samples follow, each sample's
// channels then its state vector.
arma::mat leerDat(const std::string& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) return {};
    std::string linea;
    std::getline(archivo, linea);
    std::istringstream campos(linea);
    std::string clave;
    long cabecera = 0, canales = 0, estado = 0;
    while (campos >> clave) {
        if (clave == "HeaderLen=") campos >> cabecera;
        else if (clave == "SourceCh=") campos >> canales;
        else if (clave == "StatevectorLen=") campos >> estado;
    }
    if (cabecera <= 0 || canales <= 0) return {};
    archivo.seekg(0, std::ios::end);
    const long tamano = static_cast<long>(archivo.tellg());
    const long porMuestra = 2 * canales + estado;
    const long muestras = (tamano - cabecera) / porMuestra;
    arma::mat datos(canales, muestras);
    std::vector<unsigned char> registro(porMuestra);
    archivo.seekg(cabecera);
    for (long t = 0; t < muestras; ++t) {
        archivo.read(reinterpret_cast<char*>(registro.data()), porMuestra);
        for (long c = 0; c < canales; ++c)
            datos(c, t) = static_cast<int16_t>(registro[2 * c] | (registro[2 * c + 1] << 8));
    }
    return datos;
}

// 32 sources (Laplacian, uniform, sines, square waves) for 60 s at 256 Hz,
// mixed by a random matrix.
arma::mat sinteticos32() {
    const arma::uword C = 32, T = 60 * 256;
    std::mt19937 motor(2024);
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    std::normal_distribution<double> normal(0.0, 1.0);
    arma::mat S(C, T), A(C, C);
    for (arma::uword i = 0; i < C; ++i) {
        const double f = 1.0 + 0.77 * static_cast<double>(i);  // Hz
        for (arma::uword t = 0; t < T; ++t) {
            const double x = 2.0 * M_PI * f * static_cast<double>(t) / 256.0;
            const double r = uni(motor) - 0.5;
            switch (i % 4) {
            case 0: S(i, t) = -(r < 0 ? -1.0 : 1.0) * std::log(1.0 - 2.0 * std::abs(r)); break;
            case 1: S(i, t) = r; break;
            case 2: S(i, t) = std::sin(x); break;
            default: S(i, t) = std::sin(x) < 0 ? -1.0 : 1.0; break;
            }
        }
    }
    for (double& a : A) a = normal(motor);
    return A * S;
}

using FijarHilos = void (*)(int);

const std::string carpetaBench = ONDELAR_RAIZ "/bench/ica/";

// The MNE figures of a case, if committed: lines "clave pasos
// cpu_por_paso cpu_total pared_total".
std::string figuraMNE(const std::string& clave) {
    std::ifstream archivo(carpetaBench + "mne_infomax.txt");
    std::string linea;
    while (std::getline(archivo, linea)) {
        std::istringstream campos(linea);
        std::string caso;
        long pasos = 0;
        double porPaso = 0.0, cpu = 0.0, pared = 0.0;
        campos.imbue(std::locale::classic());
        if (campos >> caso >> pasos >> porPaso >> cpu >> pared && caso == clave) {
            char texto[200];
            std::snprintf(texto, sizeof texto, "MNE (un hilo): %ld pasos, %.2f s (CPU %.2f s, %.4f s/paso)", pasos,
                          pared, cpu, porPaso);
            return texto;
        }
    }
    return "MNE: sin cifras (bench/ica/mne_infomax.py)";
}

void medir(const std::string& nombre, const std::string& clave, const arma::mat& datos, FijarHilos fijar, int hilos,
           bool guardar) {
    if (fijar) fijar(hilos);
    arma::mat pesos, esfera;
    const std::clock_t cpuInicio = std::clock();
    const auto inicio = std::chrono::steady_clock::now();
    const auto informe = icaDetalle::icaExtendidaInforme(datos, pesos, esfera, 0.001,
                                                         static_cast<int>(datos.n_rows), 1u);
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    const double cpu = static_cast<double>(std::clock() - cpuInicio) / CLOCKS_PER_SEC;
    const double pasadas = static_cast<double>(std::max(1L, informe.pasadasTotales));
    // Wall time is what the user waits; CPU time (all threads) shows the work
    // itself when the machine is shared.
    std::printf("%-22s %2d hilo(s)  pasadas %4ld (%s, reinicios %d, curtosis %ld)  %8.2f s  %.4f s/pasada"
                "  (CPU %.2f s, %.4f s/pasada)\n",
                nombre.c_str(), hilos, informe.pasadasTotales,
                informe.convergio ? "converge" : "sin converger", informe.reinicios,
                informe.estimacionesCurtosis, segundos, segundos / pasadas, cpu, cpu / pasadas);
    const std::string referencia = carpetaBench + "referencias/" + clave + "_pesos.bin";
    if (guardar && hilos == 1) {
        pesos.save(referencia, arma::arma_binary);
    } else {
        arma::mat previos;
        if (previos.load(referencia, arma::arma_binary) && arma::size(previos) == arma::size(pesos))
            std::printf("%-22s diferencia relativa con los pesos de referencia: %.2e\n", "",
                        arma::abs(pesos - previos).max() / arma::abs(previos).max());
        else
            std::printf("%-22s sin pesos de referencia\n", "");
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string filtro, exportar;
    bool guardar = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--exportar" && i + 1 < argc) exportar = argv[++i];
        else if (a == "--guardar-referencias") guardar = true;
        else filtro = a;
    }
    // OpenBLAS is reached through Armadillo's wrapper library; look its
    // thread control up at run time so the benchmark also links without it.
    auto fijar = reinterpret_cast<FijarHilos>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"));
    const int nucleos = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (!fijar) std::printf("(openblas_set_num_threads no disponible: hilos según OPENBLAS_NUM_THREADS)\n");

    struct Caso {
        std::string nombre, clave;
        arma::mat datos;
    };
    std::vector<Caso> casos;
    const std::string raiz = ONDELAR_RAIZ "/../shared/data/";
    casos.push_back({"p300 8 x 56840", "p300_8", leerDat(raiz + "p300_8ch.dat")});
    casos.push_back({"sintético 32 x 15360", "sintetico_32", sinteticos32()});
    casos.push_back({"motor 64 x 19696", "motor_64", leerDat(raiz + "motor_64ch.dat")});

    for (const auto& caso : casos) {
        if (caso.nombre.find(filtro) == std::string::npos) continue;
        if (caso.datos.is_empty()) {
            std::printf("%-22s no se pudo leer\n", caso.nombre.c_str());
            continue;
        }
        if (!exportar.empty()) {
            caso.datos.save(exportar + "/" + caso.clave + ".f64", arma::raw_binary);
            continue;
        }
        std::printf("%-22s %s\n", caso.nombre.c_str(), figuraMNE(caso.clave).c_str());
        medir(caso.nombre, caso.clave, caso.datos, fijar, 1, guardar);
        if (nucleos > 1 && !guardar) medir(caso.nombre, caso.clave, caso.datos, fijar, nucleos, false);
    }
    return 0;
}
