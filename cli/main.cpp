// ondelar-cli: the headless runner. Loads a recording as the window's
// loading command does, applies processing steps in order and writes the
// last branch; or reports a recording's contents as JSON.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "dsp/hilosBLAS.h"
#include "canales/canalesMalos.h"
#include "cli/analisisFrecuencial.h"
#include "cli/barraProgreso.h"
#include "cli/codigosSalida.h"
#include "cli/informe.h"
#include "pasos/catalogoPasos.h"
#include "cli/procedencia.h"
#include "ondelar_version.h"
#include "io/cargarRegistro.h"
#include "io/diagnostico.h"
#include "io/archivoICA.h"
#include "io/eventosTSV.h"
#include "io/guardarRama.h"
#include "io/textoNumero.h"

namespace fs = std::filesystem;

namespace {

const char* const AYUDA =
    "Uso:\n"
    "  ondelar-cli info REGISTRO [--ced ARCHIVO] [--eventos ARCHIVO.tsv] [--malos CANAL,...] [--detalle]\n"
    "  ondelar-cli run REGISTRO [--ced ARCHIVO] [--eventos ARCHIVO.tsv] [--malos CANAL,...] [--step PASO]... --out ARCHIVO\n"
    "              [--seed N] [--modelos CARPETA] [--epocas CARPETA]\n"
    "              [--procedencia ARCHIVO.json] [--detalle]\n"
    "              [--espectro ARCHIVO.csv [--bandas ARCHIVO.csv] [--segmento SEGUNDOS]]\n"
    "              [--espectro-inicial ARCHIVO.csv]\n"
    "  ondelar-cli espectro REGISTRO [--ced ARCHIVO] [--step PASO]... [--segmento SEGUNDOS]\n"
    "              --out ARCHIVO.csv [--bandas ARCHIVO.csv] [--detalle]\n"
    "  ondelar-cli pasos [--json]\n"
    "  ondelar-cli --help\n"
    "  ondelar-cli --version\n"
    "\n"
    "REGISTRO es un archivo BCI2000 (.dat), GDF (.gdf), EDF/EDF+ (.edf), BDF/BDF+ (.bdf)\n"
    "o BrainVision (.vhdr, con su .vmrk y su .eeg al lado). --ced pone sobre los canales\n"
    "las etiquetas y posiciones de un archivo .CED, por orden, como en la ventana; si el\n"
    "archivo no se puede abrir o describe menos canales que el registro, es un error.\n"
    "Sin --ced, los canales conservan sus etiquetas y los que tienen una etiqueta 10-05\n"
    "estándar reciben su posición estándar (un aviso lo dice). --malos marca esos canales\n"
    "(por etiqueta) como malos en el registro leído: la referencia media los deja fuera\n"
    "e interpolar los sustituye.\n"
    "--eventos sustituye los eventos del registro por los de una tabla *_events.tsv de\n"
    "BIDS (columnas onset y duration en segundos, value y/o trial_type): cada evento va a\n"
    "la muestra más cercana; un value entero k es el tipo k.1 y uno escrito \"k.c\" es el\n"
    "tipo k.c; los demás toman su trial_type (o su value) como nombre de un tipo propio,\n"
    "numerado desde uno más que el mayor value, por orden de aparición (calificador 1).\n"
    "Los eventos fuera del registro se descartan con un aviso; una tabla mal escrita es\n"
    "un error que nombra la línea.\n"
    "\n"
    "info   escribe en la salida estándar, como JSON, la cabecera (con la fecha de\n"
    "       inicio tal como la guarda el archivo, fechaRegistro, y en ISO 8601,\n"
    "       fechaHora, o null si no la da), los canales (etiqueta, unidad,\n"
    "       posición), los canales malos, la frecuencia de muestreo, el número de\n"
    "       muestras y los tipos de evento con su cuenta.\n"
    "pasos  escribe la lista de pasos; con --json, como JSON (nombre, sintaxis y\n"
    "       memoria que necesita, en veces el registro en dobles) para el flujo de\n"
    "       estudios.\n"
    "run    aplica los pasos en orden, cada uno al resultado del anterior, con los\n"
    "       mismos cálculos que las órdenes de la ventana, y guarda la última rama en\n"
    "       --out (sin pasos, el registro tal como se lee: una conversión de formato).\n"
    "\n"
    "Pasos (--step, tantos como haga falta):\n";

const char* const AYUDA_OPCIONES =
    "\n"
    "Opciones:\n"
    "  --out ARCHIVO     formato por la extensión: .gdf (GDF 2.20, muestras float de\n"
    "                    32 bits, con la tabla de eventos), .csv (una columna por canal,\n"
    "                    una fila por muestra), .bin (matriz de Armadillo), .edf (EDF+,\n"
    "                    16 bits) o .bdf (BDF+, 24 bits), estos dos con los eventos como\n"
    "                    anotaciones y cada canal escalado a su rango. Se escribe\n"
    "                    en un archivo temporal que solo al final sustituye al destino\n"
    "                    (un archivo que ya exista se reemplaza; si algo falla, queda intacto).\n"
    "  --seed N          fija los generadores aleatorios de ICA y MARA (N entero >= 0)\n"
    "  --modelos CARPETA archivos del modelo MARA (por defecto, la carpeta del ejecutable)\n"
    "  --epocas CARPETA  carpeta de los archivos de épocas del promediado: se crea si\n"
    "                    falta, se le quitan al empezar los Promediado-….bin que tuviera\n"
    "                    y se borra al final si queda vacía\n"
    "  --procedencia ARCHIVO.json\n"
    "                    escribe al terminar la procedencia de la salida: versión, orden,\n"
    "                    pasos, semilla, tamaño y SHA-256 de la entrada y de las salidas\n"
    "                    (--out y los de --espectro), canales, frecuencia, muestras y\n"
    "                    eventos del registro, duración de cada paso, código de salida,\n"
    "                    estado (completado o fallido) y motivo. Si el código es 1 o 2\n"
    "                    también se escribe (y se borran las salidas anteriores, si las\n"
    "                    había), salvo por falta de memoria; tras una señal, no.\n"
    "  --espectro ARCHIVO.csv [--bandas ARCHIVO.csv] [--segmento SEGUNDOS]\n"
    "                    además, el espectro de la última rama (y la tabla de bandas)\n"
    "                    en la misma pasada: los mismos archivos y números que la orden\n"
    "                    espectro con los mismos pasos. --out y estos archivos se\n"
    "                    escriben todos o ninguno\n"
    "  --espectro-inicial ARCHIVO.csv\n"
    "                    además, el espectro del registro tal como se lee, antes de\n"
    "                    los pasos (con el --segmento de --espectro), escrito con los\n"
    "                    demás archivos, todos o ninguno\n"
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
    std::optional<std::string> eventos;  // a BIDS *_events.tsv that replaces the recording's events
    std::optional<std::vector<std::string>> malos;  // --malos, as labels
    std::vector<std::string> pasos;
    std::optional<std::string> salida;
    std::optional<uint32_t> semilla;
    std::optional<std::string> modelos;
    std::optional<std::string> epocas;
    std::optional<std::string> procedencia;
    std::optional<SalidaEspectro> espectro;
    std::optional<std::string> espectroInicial;  // the recording as read, before any step
    std::optional<std::string> bandas;      // kept apart until --espectro is known to be there
    std::optional<double> segundosSegmento;
    bool detalle = false;
};

bool mismoArchivo(const std::string& a, const std::string& b) {
    std::error_code e;
    return fs::absolute(a, e).lexically_normal() == fs::absolute(b, e).lexically_normal();
}

uint32_t leerSemilla(const std::string& texto) {
    uint32_t v = 0;
    const char* fin = texto.data() + texto.size();
    const auto r = std::from_chars(texto.data(), fin, v);
    if (texto.empty() || r.ec != std::errc() || r.ptr != fin)
        throw ErrorUso("--seed \"" + texto + "\" no es válido: debe ser un entero entre 0 y 4294967295");
    return v;
}

void comprobarArgumentos(Argumentos& a);

// Fills `a` as it goes, so that a usage error found late still knows an
// earlier --procedencia.
void interpretar(int argc, char** argv, Argumentos& a) {
    if (argc < 2) throw ErrorUso("falta la orden (info o run); vea ondelar-cli --help");
    a.orden = argv[1];
    if (a.orden != "info" && a.orden != "run")
        throw ErrorUso("orden desconocida \"" + a.orden + "\": use info, run, espectro o pasos (vea --help)");
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
        } else if (arg == "--eventos") {
            unaVez(a.eventos);
            a.eventos = valor();
        } else if (arg == "--malos") {
            unaVez(a.malos);
            a.malos = partir(valor(), ',');
            for (const std::string& m : *a.malos)
                if (m.empty())
                    throw ErrorUso("--malos necesita etiquetas de canal separadas por comas (por ejemplo --malos Fz,Cz)");
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
        } else if (run && arg == "--procedencia") {
            unaVez(a.procedencia);
            a.procedencia = valor();
        } else if (run && arg == "--epocas") {
            unaVez(a.epocas);
            a.epocas = valor();
        } else if (run && arg == "--modelos") {
            unaVez(a.modelos);
            a.modelos = valor();
        } else if (run && arg == "--espectro") {
            unaVez(a.espectro);
            a.espectro = SalidaEspectro{valor(), std::nullopt, std::nullopt};
            comprobarCSV(arg, a.espectro->espectro);
        } else if (run && arg == "--espectro-inicial") {
            unaVez(a.espectroInicial);
            a.espectroInicial = valor();
            comprobarCSV(arg, *a.espectroInicial);
        } else if (run && arg == "--bandas") {
            unaVez(a.bandas);
            a.bandas = valor();
            comprobarCSV(arg, *a.bandas);
        } else if (run && arg == "--segmento") {
            unaVez(a.segundosSegmento);
            a.segundosSegmento = leerSegmento(valor());
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ErrorUso("opción \"" + arg + "\" desconocida para la orden " + a.orden + " (vea --help)");
        } else if (a.registro.empty()) {
            a.registro = arg;
        } else {
            throw ErrorUso("sobra el argumento \"" + arg + "\" (solo se procesa un registro por orden)");
        }
    }
    comprobarArgumentos(a);
}

// What the options say together: a recording, an output for run, spectrum
// options only with a spectrum, and no two outputs under one name.
void comprobarArgumentos(Argumentos& a) {
    if (a.registro.empty()) throw ErrorUso("falta el archivo de registro");
    if (a.orden == "run" && !a.salida) throw ErrorUso("falta --out ARCHIVO");
    if (a.salida && a.salida->empty()) throw ErrorUso("--out no puede ser vacío");
    if (!a.espectro && (a.bandas || (a.segundosSegmento && !a.espectroInicial)))
        throw ErrorUso(std::string(a.bandas ? "--bandas" : "--segmento") + " solo vale con --espectro");
    if (a.espectro) {
        a.espectro->bandas = a.bandas;
        a.espectro->segundosSegmento = a.segundosSegmento;
    }
    if (a.espectro || a.espectroInicial) {
        // Two outputs under one name would leave only the one renamed last.
        std::vector<std::string> nombres = {*a.salida};
        if (a.espectroInicial) nombres.push_back(*a.espectroInicial);
        if (a.espectro) nombres.push_back(a.espectro->espectro);
        if (a.bandas) nombres.push_back(*a.bandas);
        for (size_t i = 0; i < nombres.size(); ++i)
            for (size_t j = i + 1; j < nombres.size(); ++j)
                if (mismoArchivo(nombres[i], nombres[j]))
                    throw ErrorUso("\"" + nombres[j] + "\" es también otra salida de la orden");
    }
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

// A step out of memory says nothing about the recording: no provenance is
// written, so that a study tries it again.
struct SinMemoria : ErrorPaso {
    using ErrorPaso::ErrorPaso;
};

// The epoch folder holds one run's cube files: those of an earlier run go
// first, so that the folder shows what this run wrote.
// Epoch files this run wrote: a run that fails or is interrupted removes
// them, so that it leaves nothing behind.
std::vector<std::string>& cubosEscritos() {
    static std::vector<std::string> cubos;
    return cubos;
}

void borrarCubosEscritos() {
    std::error_code e;
    for (const std::string& ruta : cubosEscritos()) fs::remove(ruta, e);
    cubosEscritos().clear();
}

void prepararEpocas(const std::string& carpeta) {
    fs::create_directories(carpeta);
    for (const fs::directory_entry& e : fs::directory_iterator(carpeta)) {
        const std::string nombre = e.path().filename().string();
        if (e.is_regular_file() && nombre.rfind("Promediado-", 0) == 0 && e.path().extension() == ".bin")
            fs::remove(e.path());
    }
}

// A missing folder is found before a long computation, not after it.
void comprobarDestino(const std::string& salida) {
    const fs::path carpeta = fs::absolute(fs::path(salida)).parent_path();
    std::error_code e;
    if (!fs::is_directory(carpeta, e))
        throw std::runtime_error("no existe la carpeta de salida \"" + carpeta.string() + "\"");
    if (fs::is_directory(fs::path(salida), e))
        throw std::runtime_error("\"" + salida + "\" es una carpeta, no un archivo");
}

// The table of --eventos in place of the file's own events (none when it
// lists none inside the recording).
void reemplazarEventos(EEG& eeg, const std::string& ruta, std::vector<std::string>& avisos) {
    const EventosTSV leidos = leerEventosTSV(ruta, eeg.frecuenciaMuestreo, eeg.numeroMuestras);
    eeg.tablaEventos = leidos.tabla;
    if (leidos.descartados > 0)
        avisos.push_back(std::to_string(leidos.descartados) + " evento(s) de \"" + ruta +
                         "\" caen fuera del registro y se han descartado.");
}

// The step options, with the callbacks that report to standard error and
// fill the provenance record; the rejection report is kept in `informeRechazo`.
OpcionesPasos opcionesEjecucion(const Argumentos& a, Procedencia& registro,
                                std::optional<std::string>& informeRechazo) {
    OpcionesPasos opciones;
    opciones.semilla = a.semilla;
    if (a.modelos) opciones.carpetaModelos = *a.modelos;
    if (a.epocas) opciones.carpetaCubos = *a.epocas;
    opciones.cuboGuardado = [&registro](const std::string& ruta) {
        registro.epocas.push_back(fs::path(ruta).filename().string());
        cubosEscritos().push_back(ruta);
    };
    opciones.aviso = [](const std::string& texto) { std::cerr << "ondelar-cli: aviso: " << texto << std::endl; };
    // The rejection report goes beside the output, written with it (the last
    // rejection step's report, if several run).
    opciones.informeRechazo = [&informeRechazo](const std::string& csv) { informeRechazo = csv; };
    opciones.informeMara = [&registro, &a](const InformeMara& informe) {
        std::cerr << textoInformeMara(informe) << std::endl;
        if (a.detalle) std::cerr << tablaInformeMara(informe);
        registro.mara = informe;
    };
    return opciones;
}

// Malformed steps and a bad output name are usage errors, found before
// anything is read; so are outputs that cannot be written.
std::vector<Paso> comprobarPeticion(const Argumentos& a, const OpcionesPasos& opciones) {
    std::vector<Paso> pasos;
    try {
        for (const std::string& p : a.pasos) pasos.push_back(interpretarPaso(p, opciones));
        if (a.salida) formatoPorExtension(*a.salida);
    } catch (const std::invalid_argument& e) {
        throw ErrorUso(e.what());
    }
    if (a.salida) comprobarDestino(*a.salida);
    if (a.espectro) {
        comprobarDestino(a.espectro->espectro);
        if (a.espectro->bandas) comprobarDestino(*a.espectro->bandas);
    }
    if (a.espectroInicial) comprobarDestino(*a.espectroInicial);
    if (a.epocas) prepararEpocas(*a.epocas);
    return pasos;
}

// The recording as read, with the events and bad channels the command line
// gives; the reading's warnings go to `avisos`.
EEG leerEntrada(const Argumentos& a, std::vector<std::string>& avisos) {
    EEG eeg;
    {
        // No bar for the reading, but an interrupt stops it between two blocks.
        BarraProgreso lectura("cargando " + a.registro, false);
        eeg = cargarRegistro(a.registro, a.ced, &avisos, lectura.avance());
    }
    if (a.eventos) reemplazarEventos(eeg, *a.eventos, avisos);
    if (a.malos) {
        try {
            marcarCanalesMalos(eeg, *a.malos);
        } catch (const std::invalid_argument& e) {
            throw ErrorUso(std::string("--malos: ") + e.what());
        }
    }
    return eeg;
}

// Each step on the result of the previous one, timed into the record.
void aplicarPasos(EEG& eeg, const std::vector<Paso>& pasos, const OpcionesPasos& opciones, Procedencia& registro) {
    for (const Paso& p : pasos) {
        const auto inicio = std::chrono::steady_clock::now();
        try {
            BarraProgreso barra("paso " + p.texto, errorEsTerminal());
            AvisosPaso avisos;
            eeg = p.calcular(eeg, avisos, barra.avance());
            for (const std::string& aviso : avisos) opciones.aviso(aviso);
        } catch (const Cancelado&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw SinMemoria("paso \"" + p.texto + "\": no hay memoria suficiente");
        } catch (const std::exception& e) {
            throw ErrorPaso("paso \"" + p.texto + "\": " + e.what());
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        std::cerr << "paso " << p.texto << ": " << textoFijo(s, 2) << " s" << std::endl;
        registro.tiempos.emplace_back(p.texto, s);
        registro.canalesMalos = eeg.canalesMalos;
        registro.malosTrasPaso.push_back(eeg.canalesMalos);
    }
}

// The final branch and what goes beside it. The side files go to
// temporaries first and are renamed only after the branch is saved: a
// failure anywhere leaves none of this run's files.
void guardarResultados(const Argumentos& a, const EEG& eeg, EscrituraConjunta& laterales,
                       const std::optional<std::string>& informeRechazo, const OpcionesPasos& opciones,
                       Procedencia& registro) {
    if (a.espectro) escribirEspectroRama(eeg, *a.espectro, laterales, opciones.aviso);
    const std::string destinoRechazo = *a.salida + ".rechazo.csv";
    // A branch of components keeps its decomposition beside it, so that
    // ica:ARCHIVO can replay a choice made on it.
    const std::string destinoICA = *a.salida + ".ica";
    if (eeg.descomposicion) escribirDescomposicion(fs::path(laterales.temporal(destinoICA)), *eeg.descomposicion);
    if (informeRechazo) {
        std::ofstream f(laterales.temporal(destinoRechazo), std::ios::binary);
        f << *informeRechazo;
        if (!f.flush()) throw std::runtime_error("no se pudo escribir el informe de rechazo \"" + destinoRechazo + "\"");
    }
    anotarSalida(registro, eeg);
    {
        BarraProgreso barra("guardando " + *a.salida, errorEsTerminal());
        guardarRama(eeg, *a.salida, barra.avance());
    }
    try {
        laterales.confirmar();
    } catch (const std::exception&) {
        std::error_code e;
        fs::remove(*a.salida, e);
        throw;
    }
    std::cerr << "guardado " << *a.salida << std::endl;
    if (informeRechazo) std::cerr << "guardado " << destinoRechazo << std::endl;
    if (eeg.descomposicion) std::cerr << "guardado " << destinoICA << std::endl;
    if (a.espectroInicial) std::cerr << "guardado " << *a.espectroInicial << std::endl;
    if (a.espectro) {
        std::cerr << "guardado " << a.espectro->espectro << std::endl;
        if (a.espectro->bandas) std::cerr << "guardado " << *a.espectro->bandas << std::endl;
    }
}

int ejecutar(const Argumentos& a, Procedencia& registro) {
    std::optional<std::string> informeRechazo;
    const OpcionesPasos opciones = opcionesEjecucion(a, registro, informeRechazo);
    const std::vector<Paso> pasos = comprobarPeticion(a, opciones);
    std::vector<std::string> avisosLectura;
    EEG eeg = leerEntrada(a, avisosLectura);
    anotarRegistro(registro, eeg);
    for (const std::string& aviso : avisosLectura) opciones.aviso(aviso);
    comprobarInterrupcion();
    if (a.orden == "info") {
        escribirSalida(informeJSON(eeg, a.registro));
        return 0;
    }
    EscrituraConjunta laterales;
    if (a.espectroInicial)
        escribirEspectroRama(eeg, {*a.espectroInicial, std::nullopt, a.segundosSegmento}, laterales, opciones.aviso);
    aplicarPasos(eeg, pasos, opciones, registro);
    guardarResultados(a, eeg, laterales, informeRechazo, opciones, registro);
    return 0;
}

// User + system CPU time of this process so far, in seconds.
double segundosProcesador() {
    rusage uso{};
    if (getrusage(RUSAGE_SELF, &uso) != 0) return 0.0;
    const auto segundos = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return segundos(uso.ru_utime) + segundos(uso.ru_stime);
}

// The end of a run with --procedencia: its record, written before the exit
// code's error line. The epoch folder goes when empty, and a failed run
// leaves no stale output beside a record that says "fallido". Throws when
// the record cannot be written (the job then has no record: it failed).
void terminar(const Argumentos& a, const Procedencia& registro, int estado, const std::string& motivo) {
    std::error_code e;
    if (a.epocas) fs::remove(*a.epocas, e);  // only when empty
    if (!a.procedencia) return;
    if (estado != 0) {
        if (a.salida) fs::remove(*a.salida, e);
        if (a.espectro) {
            fs::remove(a.espectro->espectro, e);
            if (a.espectro->bandas) fs::remove(*a.espectro->bandas, e);
        }
        if (a.espectroInicial) fs::remove(*a.espectroInicial, e);
    }
    try {
        escribirProcedencia(*a.procedencia, registro, estado, motivo);
    } catch (const std::exception& fallo) {
        throw std::runtime_error(motivo.empty() ? fallo.what() : motivo + "; además, " + fallo.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    fijarHilosBLASDelPrograma();  // the window's count: a step gives the same branch in both
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || (i == 1 && arg == "ayuda")) {
            std::cout << AYUDA << ayudaPasos() << AYUDA_OPCIONES << AYUDA_ESPECTRO;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "ondelar-cli " ONDELAR_VERSION "\n";
            return 0;
        }
    }
    if (argc >= 2 && std::string(argv[1]) == "espectro") return ordenEspectro(argc, argv);
    if (argc >= 2 && std::string(argv[1]) == "pasos") {
        const bool json = argc == 3 && std::string(argv[2]) == "--json";
        if (argc > 3 || (argc == 3 && !json)) {
            std::cerr << "ondelar-cli: error: uso: ondelar-cli pasos [--json]" << std::endl;
            return 2;
        }
        std::cout << (json ? pasosJSON() : ayudaPasos());
        return std::cout.flush() ? 0 : 1;
    }
    const auto comienzo = std::chrono::steady_clock::now();
    Argumentos a;
    Procedencia registro;
    registro.argumentos.assign(argv, argv + argc);
    auto fin = [&](int estado, const std::string& motivo) {
        registro.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - comienzo).count();
        registro.segundosProcesador = segundosProcesador();
        terminar(a, registro, estado, motivo);
    };
    return ejecutarConCodigos([&] {
        // An outcome that belongs to the recording (exit code 1 or 2) is
        // recorded, then reported as always; a signal or no memory is not.
        try {
            interpretar(argc, argv, a);
            registro.registro = a.registro;
            registro.ced = a.ced;
            registro.eventosTSV = a.eventos;
            registro.pasos = a.pasos;
            registro.semilla = a.semilla;
            registro.salida = a.salida.value_or("");
            if (a.espectro) {
                registro.espectro = a.espectro->espectro;
                registro.bandas = a.espectro->bandas;
            }
            registro.espectroInicial = a.espectroInicial;
            // A record left by an earlier run must not outlive this one's failure.
            if (a.procedencia) {
                std::error_code e;
                fs::remove(*a.procedencia, e);
            }
            dirigirDiagnosticos(a.detalle);
            instalarInterrupcion();
            const int estado = ejecutar(a, registro);
            fin(estado, "");
            return estado;
        } catch (const Cancelado&) {
            borrarCubosEscritos();
            throw;
        } catch (const SinMemoria&) {
            borrarCubosEscritos();
            throw;
        } catch (const std::bad_alloc&) {
            borrarCubosEscritos();
            throw;
        } catch (const ErrorUso& e) {
            borrarCubosEscritos();
            fin(2, e.what());
            throw;
        } catch (const std::exception& e) {
            borrarCubosEscritos();
            fin(1, e.what());
            throw;
        }
    });
}
