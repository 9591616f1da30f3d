// ondelar-cli: the headless runner. Loads a recording as the window's
// loading command does, applies processing steps in order and writes the
// last branch; or reports a recording's contents as JSON.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/informe.h"
#include "cli/pasos.h"
#include "io/cargarRegistro.h"
#include "io/guardarRama.h"

namespace {

const char* const AYUDA =
    "Uso:\n"
    "  ondelar-cli info REGISTRO [--ced ARCHIVO]\n"
    "  ondelar-cli run REGISTRO [--ced ARCHIVO] [--step PASO]... --out ARCHIVO [--seed N]\n"
    "  ondelar-cli --help\n"
    "\n"
    "REGISTRO es un archivo BCI2000 .dat o GDF 1 (.gdf); --ced pone las etiquetas y\n"
    "posiciones de un archivo .CED sobre los canales, como en la ventana.\n"
    "\n"
    "info   escribe en la salida estandar, como JSON, la cabecera, los canales\n"
    "       (etiqueta, unidad, posicion), la frecuencia de muestreo, el numero de\n"
    "       muestras y los tipos de evento con su cuenta.\n"
    "run    aplica los pasos en orden, cada uno al resultado del anterior, y guarda\n"
    "       la ultima rama en --out (sin pasos, el registro tal como se lee).\n"
    "\n"
    "Pasos:\n"
    "  car                               referencia media comun\n"
    "  filtro:TIPO,INF,SUP,DB            filtro FIR; TIPO es HIGH, LOW, BANDPASS o BANDSTOP\n"
    "  promediado:TIPOS,MSPREV,MSPOST    promediado por eventos; TIPOS como 1.1+2.1\n"
    "  asr[:BURST,MAXBAD,TOLINF,TOLSUP]  ASR (por defecto 5,0.075,-3.5,5.5)\n"
    "  ica                               activaciones de ICA extendido (una fila por componente)\n"
    "  mara                              quita las componentes de artefacto (rama promediada)\n"
    "\n"
    "Formatos de --out, por la extension: .gdf (GDF 1.25, muestras float de 32 bits),\n"
    ".csv (una columna por canal, una fila por muestra) y .bin (matriz de Armadillo).\n"
    "--seed N fija los generadores aleatorios (ICA y MARA) para repetir un resultado.\n"
    "El progreso de cada paso se escribe en la salida de errores.\n"
    "\n"
    "Ejemplo:\n"
    "  ondelar-cli run p300_8ch.gdf --ced p300_8ch.ced --step filtro:BANDPASS,1,40,60 \\\n"
    "      --step promediado:1.1,100,600 --out promedio.gdf\n";

struct ErrorUso : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Argumentos {
    std::string orden;
    std::string registro;
    std::optional<std::string> ced;
    std::vector<std::string> pasos;
    std::optional<std::string> salida;
    std::optional<uint32_t> semilla;
};

Argumentos interpretar(int argc, char** argv) {
    Argumentos a;
    if (argc < 2) throw ErrorUso("falta la orden (info o run); vea ondelar-cli --help");
    a.orden = argv[1];
    if (a.orden != "info" && a.orden != "run") throw ErrorUso("orden desconocida \"" + a.orden + "\"; vea --help");
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto valor = [&](const char* nombre) {
            if (i + 1 >= argc) throw ErrorUso(std::string("falta el valor de ") + nombre);
            return std::string(argv[++i]);
        };
        if (arg == "--ced") a.ced = valor("--ced");
        else if (arg == "--step" && a.orden == "run") a.pasos.push_back(valor("--step"));
        else if (arg == "--out" && a.orden == "run") a.salida = valor("--out");
        else if (arg == "--seed" && a.orden == "run") {
            const int s = leerEntero(valor("--seed"), "--seed");
            if (s < 0) throw ErrorUso("--seed debe ser un entero no negativo");
            a.semilla = static_cast<uint32_t>(s);
        } else if (!arg.empty() && arg[0] == '-') throw ErrorUso("opcion desconocida \"" + arg + "\"");
        else if (a.registro.empty()) a.registro = arg;
        else throw ErrorUso("sobra el argumento \"" + arg + "\"");
    }
    if (a.registro.empty()) throw ErrorUso("falta el archivo de registro");
    if (a.orden == "run" && !a.salida) throw ErrorUso("falta --out ARCHIVO");
    return a;
}

// The readers and the processing steps write their diagnostic lines to
// standard output, as the window does; the runner keeps standard output for
// its own report and sends everything else to standard error.
int salidaReal = -1;

void desviarDiagnosticos() {
    std::cout.flush();
    std::fflush(stdout);
    salidaReal = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

void escribirSalidaReal(const std::string& texto) {
    std::cout.flush();
    std::fflush(stdout);
    const int fd = salidaReal >= 0 ? salidaReal : STDOUT_FILENO;
    size_t hecho = 0;
    while (hecho < texto.size()) {
        const ssize_t n = write(fd, texto.data() + hecho, texto.size() - hecho);
        if (n <= 0) throw std::runtime_error("no se pudo escribir en la salida estandar");
        hecho += static_cast<size_t>(n);
    }
}

int ejecutar(const Argumentos& a) {
    if (a.orden == "run") formatoPorExtension(*a.salida);  // refuse a bad extension before any work

    OpcionesPasos opciones;
    opciones.semilla = a.semilla;
    std::vector<Paso> pasos;
    for (const std::string& p : a.pasos) pasos.push_back(interpretarPaso(p, opciones));

    EEG eeg = cargarRegistro(a.registro, a.ced);
    if (a.orden == "info") {
        escribirSalidaReal(informeJSON(eeg, a.registro));
        return 0;
    }
    for (const Paso& p : pasos) {
        const auto inicio = std::chrono::steady_clock::now();
        eeg = p.aplicar(eeg);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        char linea[64];
        std::snprintf(linea, sizeof linea, ": %.2f s", s);
        std::cerr << "paso " << p.texto << linea << std::endl;
    }
    guardarRama(eeg, *a.salida);
    std::cerr << "guardado " << *a.salida << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "ayuda") {
            std::cout << AYUDA;
            return 0;
        }
    }
    try {
        const Argumentos a = interpretar(argc, argv);
        desviarDiagnosticos();
        return ejecutar(a);
    } catch (const ErrorUso& e) {
        std::cout.flush();
        std::cerr << "ondelar-cli: " << e.what() << std::endl;
        return 2;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "ondelar-cli: error: " << e.what() << std::endl;
        return 1;
    } catch (...) {
        std::cout.flush();
        std::cerr << "ondelar-cli: error inesperado" << std::endl;
        return 1;
    }
}
