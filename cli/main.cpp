// ondelar-cli: the headless runner. Loads a recording as the window's
// loading command does, applies processing steps in order and writes the
// last branch; or reports a recording's contents as JSON.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/analisisFrecuencial.h"
#include "cli/barraProgreso.h"
#include "cli/codigosSalida.h"
#include "cli/informe.h"
#include "cli/pasos.h"
#include "ondelar_version.h"
#include "io/cargarRegistro.h"
#include "io/diagnostico.h"
#include "io/guardarRama.h"
#include "io/textoNumero.h"

namespace fs = std::filesystem;

namespace {

const char* const AYUDA =
    "Uso:\n"
    "  ondelar-cli info REGISTRO [--ced ARCHIVO] [--detalle]\n"
    "  ondelar-cli run REGISTRO [--ced ARCHIVO] [--step PASO]... --out ARCHIVO\n"
    "              [--seed N] [--modelos CARPETA] [--detalle]\n"
    "  ondelar-cli espectro REGISTRO [--ced ARCHIVO] [--step PASO]... [--segmento SEGUNDOS]\n"
    "              --out ARCHIVO.csv [--bandas ARCHIVO.csv] [--detalle]\n"
    "  ondelar-cli --help\n"
    "  ondelar-cli --version\n"
    "\n"
    "REGISTRO es un archivo BCI2000 (.dat), GDF (.gdf), EDF/EDF+ (.edf), BDF/BDF+ (.bdf)\n"
    "o BrainVision (.vhdr, con su .vmrk y su .eeg al lado). --ced pone sobre los canales\n"
    "las etiquetas y posiciones de un archivo .CED, por orden, como en la ventana; si el\n"
    "archivo no se puede abrir o describe menos canales que el registro, es un error.\n"
    "Sin --ced, los canales conservan sus etiquetas y los que tienen una etiqueta 10-05\n"
    "estándar reciben su posición estándar (un aviso lo dice).\n"
    "\n"
    "info   escribe en la salida estándar, como JSON, la cabecera, los canales\n"
    "       (etiqueta, unidad, posición), la frecuencia de muestreo, el número de\n"
    "       muestras y los tipos de evento con su cuenta.\n"
    "run    aplica los pasos en orden, cada uno al resultado del anterior, con los\n"
    "       mismos cálculos que las órdenes de la ventana, y guarda la última rama en\n"
    "       --out (sin pasos, el registro tal como se lee: una conversión de formato).\n"
    "\n"
    "Pasos (--step, tantos como haga falta):\n"
    "  car                               referencia media común\n"
    "  filtro:TIPO,INF,SUP,DB            filtro FIR; TIPO es HIGH, LOW, BANDPASS o BANDSTOP,\n"
    "                                    INF y SUP en Hz, DB la caída en decibelios\n"
    "  promediado:TIPOS,MSPREV,MSPOST    promediado por eventos; TIPOS como 1.1+2.1,\n"
    "                                    ventana en milisegundos antes y después; el archivo\n"
    "                                    de épocas Promediado-….bin va a la carpeta actual\n"
    "  asr[:BURST,MAXBAD,TOLINF,TOLSUP]  ASR (por defecto 5,0.075,-3.5,5.5)\n"
    "  ica                               activaciones de ICA extendido, una fila por componente\n"
    "  mara                              quita las componentes de artefacto (rama promediada)\n"
    "\n"
    "Opciones:\n"
    "  --out ARCHIVO     formato por la extensión: .gdf (GDF 1.25, muestras float de\n"
    "                    32 bits, con la tabla de eventos), .csv (una columna por canal,\n"
    "                    una fila por muestra), .bin (matriz de Armadillo), .edf (EDF+,\n"
    "                    16 bits) o .bdf (BDF+, 24 bits), estos dos con los eventos como\n"
    "                    anotaciones y cada canal escalado a su rango. Se escribe\n"
    "                    en un archivo temporal que solo al final sustituye al destino\n"
    "                    (un archivo que ya exista se reemplaza; si algo falla, queda intacto).\n"
    "  --seed N          fija los generadores aleatorios de ICA y MARA (N entero >= 0)\n"
    "  --modelos CARPETA archivos del modelo MARA (por defecto, la carpeta del ejecutable)\n"
    "  --detalle         muestra en la salida de errores los mensajes de los lectores y\n"
    "                    de los pasos\n"
    "\n"
    "La duración de cada paso se escribe en la salida de errores. Código de salida: 0 si\n"
    "todo va bien; 2 si la orden, una opción o un paso están mal escritos (se comprueba\n"
    "antes de leer nada); 1 si falla la lectura, un paso o la escritura. Al fallar, la\n"
    "última línea de la salida de errores, \"ondelar-cli: error: ...\", dice por qué.\n"
    "Si la salida de errores es un terminal, cada paso dibuja en ella una barra de\n"
    "progreso. Ctrl-C o SIGTERM detienen el paso en curso en su siguiente comprobación,\n"
    "borran el archivo temporal y terminan con el código 130.\n"
    "\n"
    "Ejemplo (filtro pasa banda de 1 a 40 Hz, promedio de los eventos 1.1, GDF):\n"
    "  ondelar-cli run p300_8ch.gdf --ced p300_8ch.ced --step filtro:BANDPASS,1,40,60 \\\n"
    "      --step promediado:1.1,100,600 --out promedio.gdf\n";

struct Argumentos {
    std::string orden;
    std::string registro;
    std::optional<std::string> ced;
    std::vector<std::string> pasos;
    std::optional<std::string> salida;
    std::optional<uint32_t> semilla;
    std::optional<std::string> modelos;
    bool detalle = false;
};

uint32_t leerSemilla(const std::string& texto) {
    uint32_t v = 0;
    const char* fin = texto.data() + texto.size();
    const auto r = std::from_chars(texto.data(), fin, v);
    if (texto.empty() || r.ec != std::errc() || r.ptr != fin)
        throw ErrorUso("--seed \"" + texto + "\" no es válido: debe ser un entero entre 0 y 4294967295");
    return v;
}

Argumentos interpretar(int argc, char** argv) {
    Argumentos a;
    if (argc < 2) throw ErrorUso("falta la orden (info o run); vea ondelar-cli --help");
    a.orden = argv[1];
    if (a.orden != "info" && a.orden != "run")
        throw ErrorUso("orden desconocida \"" + a.orden + "\": use info o run (vea --help)");
    const bool run = a.orden == "run";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto valor = [&]() {
            if (i + 1 >= argc) throw ErrorUso("falta el valor de " + arg);
            return std::string(argv[++i]);
        };
        auto unaVez = [&](auto& campo) {
            if (campo) throw ErrorUso(arg + " aparece más de una vez");
        };
        if (arg == "--ced") {
            unaVez(a.ced);
            a.ced = valor();
        } else if (arg == "--detalle") {
            a.detalle = true;
        } else if (run && arg == "--step") {
            a.pasos.push_back(valor());
        } else if (run && arg == "--out") {
            unaVez(a.salida);
            a.salida = valor();
        } else if (run && arg == "--seed") {
            unaVez(a.semilla);
            a.semilla = leerSemilla(valor());
        } else if (run && arg == "--modelos") {
            unaVez(a.modelos);
            a.modelos = valor();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ErrorUso("opción \"" + arg + "\" desconocida para la orden " + a.orden + " (vea --help)");
        } else if (a.registro.empty()) {
            a.registro = arg;
        } else {
            throw ErrorUso("sobra el argumento \"" + arg + "\" (solo se procesa un registro por orden)");
        }
    }
    if (a.registro.empty()) throw ErrorUso("falta el archivo de registro");
    if (run && !a.salida) throw ErrorUso("falta --out ARCHIVO");
    if (a.salida && a.salida->empty()) throw ErrorUso("--out no puede ser vacío");
    return a;
}

// Diagnostic lines (readers, steps) go to standard error with --detalle and
// nowhere otherwise, so that a failure reads as one line and standard output
// holds only the runner's own report.
void dirigirDiagnosticos(bool detalle) {
    if (detalle)
        fijarSumideroDiagnostico([](const std::string& linea) { std::cerr << linea << std::endl; });
    else
        fijarSumideroDiagnostico(nullptr);
}

void escribirSalida(const std::string& texto) {
    std::cout << texto;
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("no se pudo escribir en la salida estándar");
}

// A failing step is named in front of its reason.
struct ErrorPaso : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A missing folder is found before a long computation, not after it.
void comprobarDestino(const std::string& salida) {
    const fs::path carpeta = fs::absolute(fs::path(salida)).parent_path();
    std::error_code e;
    if (!fs::is_directory(carpeta, e))
        throw std::runtime_error("no existe la carpeta de salida \"" + carpeta.string() + "\"");
    if (fs::is_directory(fs::path(salida), e))
        throw std::runtime_error("\"" + salida + "\" es una carpeta, no un archivo");
}

int ejecutar(const Argumentos& a) {
    OpcionesPasos opciones;
    opciones.semilla = a.semilla;
    if (a.modelos) opciones.carpetaModelos = *a.modelos;
    opciones.aviso = [](const std::string& texto) { std::cerr << "ondelar-cli: aviso: " << texto << std::endl; };
    // Malformed steps and a bad output name are usage errors, found before
    // anything is read.
    std::vector<Paso> pasos;
    try {
        for (const std::string& p : a.pasos) pasos.push_back(interpretarPaso(p, opciones));
        if (a.salida) formatoPorExtension(*a.salida);
    } catch (const std::invalid_argument& e) {
        throw ErrorUso(e.what());
    }
    if (a.salida) comprobarDestino(*a.salida);

    std::vector<std::string> avisosLectura;
    EEG eeg = cargarRegistro(a.registro, a.ced, &avisosLectura);
    for (const std::string& aviso : avisosLectura) opciones.aviso(aviso);
    comprobarInterrupcion();
    if (a.orden == "info") {
        escribirSalida(informeJSON(eeg, a.registro));
        return 0;
    }
    for (const Paso& p : pasos) {
        const auto inicio = std::chrono::steady_clock::now();
        try {
            BarraProgreso barra("paso " + p.texto, errorEsTerminal());
            eeg = p.aplicar(eeg, barra.avance());
        } catch (const Cancelado&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw ErrorPaso("paso \"" + p.texto + "\": no hay memoria suficiente");
        } catch (const std::exception& e) {
            throw ErrorPaso("paso \"" + p.texto + "\": " + e.what());
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        std::cerr << "paso " << p.texto << ": " << textoFijo(s, 2) << " s" << std::endl;
    }
    {
        BarraProgreso barra("guardando " + *a.salida, errorEsTerminal());
        guardarRama(eeg, *a.salida, barra.avance());
    }
    std::cerr << "guardado " << *a.salida << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || (i == 1 && arg == "ayuda")) {
            std::cout << AYUDA << AYUDA_ESPECTRO;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "ondelar-cli " ONDELAR_VERSION "\n";
            return 0;
        }
    }
    if (argc >= 2 && std::string(argv[1]) == "espectro") return ordenEspectro(argc, argv);
    return ejecutarConCodigos([&] {
        const Argumentos a = interpretar(argc, argv);
        dirigirDiagnosticos(a.detalle);
        instalarInterrupcion();
        return ejecutar(a);
    });
}
