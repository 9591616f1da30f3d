#include "cli/analisisFrecuencial.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/codigosSalida.h"
#include "pasos/catalogoPasos.h"
#include "frecuencial/bandas.h"
#include "frecuencial/csvDensidad.h"
#include "frecuencial/welch.h"
#include "io/cargarRegistro.h"
#include "io/diagnostico.h"

namespace fs = std::filesystem;

const char* const AYUDA_ESPECTRO =
    "\n"
    "espectro  aplica los pasos como run y escribe en --out (.csv) la densidad espectral\n"
    "       de potencia (Welch: ventana de Hann, solape del 50 %, en µV²/Hz) de la última\n"
    "       rama: cabecera frecuencia,<canal 1>,<canal 2>,… y una fila por frecuencia.\n"
    "  --segmento SEGUNDOS  longitud de los segmentos (por defecto, la potencia de dos\n"
    "                    de muestras más cercana a 2 s); una rama más corta que un\n"
    "                    segmento usa un único segmento de toda su longitud, con aviso\n"
    "  --bandas ARCHIVO.csv  además, la potencia de cada canal (fila) en las bandas\n"
    "                    delta 1-4, theta 4-8, alfa 8-13, beta 13-30 y gamma 30-45 Hz\n"
    "                    (columna), en µV², limitadas a la frecuencia de Nyquist\n"
    "  Ejemplo:\n"
    "  ondelar-cli espectro p300_8ch.gdf --step filtro:BANDPASS,1,40,60 --segmento 2 \\\n"
    "      --out espectro.csv --bandas bandas.csv\n";

double leerSegmento(const std::string& texto) {
    double s = 0.0;
    const char* fin = texto.data() + texto.size();
    const auto r = std::from_chars(texto.data(), fin, s);
    if (texto.empty() || r.ec != std::errc() || r.ptr != fin || !(s > 0.0))
        throw ErrorUso("--segmento \"" + texto + "\" no es válido: debe ser un número de segundos mayor que 0");
    return s;
}

void comprobarCSV(const std::string& opcion, const std::string& ruta) {
    if (ruta.empty()) throw ErrorUso(opcion + " no puede ser vacío");
    if (fs::path(ruta).extension() != ".csv") throw ErrorUso(opcion + " \"" + ruta + "\": el archivo debe ser .csv");
}

void escribirEspectroRama(const EEG& eeg, const SalidaEspectro& s, EscrituraConjunta& escritura,
                          const std::function<void(const std::string&)>& aviso) {
    if (eeg.matrices.empty()) throw std::runtime_error("la rama no tiene datos");
    OpcionesEspectro o;
    if (s.segundosSegmento) o.segundosSegmento = *s.segundosSegmento;
    const EspectroPotencia e = calcularEspectro(eeg.datos(), eeg.frecuenciaMuestreo, o);
    if (e.segmentoAcortado && aviso) aviso(e.aviso);
    const std::vector<std::string> etiquetas = etiquetasCanales(eeg);
    guardarTexto(escritura.temporal(s.espectro), [&](std::ostream& f) { escribirEspectroCSV(f, e, etiquetas); });
    if (s.bandas) {
        const TablaBandas t = potenciaBandas(e);
        guardarTexto(escritura.temporal(*s.bandas), [&](std::ostream& f) { escribirBandasCSV(f, t, etiquetas); });
    }
}

namespace {

struct ArgumentosEspectro {
    std::string registro;
    std::optional<std::string> ced, salida, bandas, modelos;
    std::vector<std::string> pasos;
    std::optional<double> segundos;
    std::optional<uint32_t> semilla;
    bool detalle = false;
};

ArgumentosEspectro interpretar(int argc, char** argv) {
    ArgumentosEspectro a;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto valor = [&]() {
            if (i + 1 >= argc) throw ErrorUso("falta el valor de " + arg);
            return std::string(argv[++i]);
        };
        auto unaVez = [&](const auto& campo) {
            if (campo) throw ErrorUso(arg + " aparece más de una vez");
        };
        if (arg == "--ced") {
            unaVez(a.ced);
            a.ced = valor();
        } else if (arg == "--step") {
            a.pasos.push_back(valor());
        } else if (arg == "--out") {
            unaVez(a.salida);
            a.salida = valor();
        } else if (arg == "--bandas") {
            unaVez(a.bandas);
            a.bandas = valor();
        } else if (arg == "--segmento") {
            unaVez(a.segundos);
            a.segundos = leerSegmento(valor());
        } else if (arg == "--seed") {
            unaVez(a.semilla);
            const std::string t = valor();
            uint32_t v = 0;
            const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
            if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size())
                throw ErrorUso("--seed \"" + t + "\" no es válido: debe ser un entero entre 0 y 4294967295");
            a.semilla = v;
        } else if (arg == "--modelos") {
            unaVez(a.modelos);
            a.modelos = valor();
        } else if (arg == "--detalle") {
            a.detalle = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw ErrorUso("opción \"" + arg + "\" desconocida para la orden espectro (vea --help)");
        } else if (a.registro.empty()) {
            a.registro = arg;
        } else {
            throw ErrorUso("sobra el argumento \"" + arg + "\" (solo se procesa un registro por orden)");
        }
    }
    if (a.registro.empty()) throw ErrorUso("falta el archivo de registro");
    if (!a.salida) throw ErrorUso("falta --out ARCHIVO.csv");
    comprobarCSV("--out", *a.salida);
    if (a.bandas) comprobarCSV("--bandas", *a.bandas);
    return a;
}

void comprobarCarpeta(const std::string& ruta) {
    const fs::path carpeta = fs::absolute(fs::path(ruta)).parent_path();
    std::error_code e;
    if (!fs::is_directory(carpeta, e)) throw std::runtime_error("no existe la carpeta de salida \"" + carpeta.string() + "\"");
}

int ejecutar(const ArgumentosEspectro& a) {
    OpcionesPasos opciones;
    opciones.semilla = a.semilla;
    if (a.modelos) opciones.carpetaModelos = *a.modelos;
    opciones.aviso = [](const std::string& texto) { std::cerr << "ondelar-cli: aviso: " << texto << std::endl; };
    std::vector<Paso> pasos;
    try {
        for (const std::string& p : a.pasos) pasos.push_back(interpretarPaso(p, opciones));
    } catch (const std::invalid_argument& e) {
        throw ErrorUso(e.what());
    }
    comprobarCarpeta(*a.salida);
    if (a.bandas) comprobarCarpeta(*a.bandas);

    std::vector<std::string> avisos;
    EEG eeg = cargarRegistro(a.registro, a.ced, &avisos);
    for (const std::string& aviso : avisos) opciones.aviso(aviso);
    for (const Paso& p : pasos) {
        try {
            AvisosPaso avisosPaso;
            eeg = p.calcular(eeg, avisosPaso, Avance());
            for (const std::string& aviso : avisosPaso) opciones.aviso(aviso);
        } catch (const std::exception& e) {
            throw std::runtime_error("paso \"" + p.texto + "\": " + e.what());
        }
    }
    EscrituraConjunta escritura;
    escribirEspectroRama(eeg, {*a.salida, a.bandas, a.segundos}, escritura, opciones.aviso);
    escritura.confirmar();
    std::cerr << "guardado " << *a.salida << std::endl;
    if (a.bandas) std::cerr << "guardado " << *a.bandas << std::endl;
    return 0;
}

}  // namespace

int ordenEspectro(int argc, char** argv) {
    return ejecutarConCodigos([&] {
        const ArgumentosEspectro a = interpretar(argc, argv);
        if (a.detalle)
            fijarSumideroDiagnostico([](const std::string& linea) { std::cerr << linea << std::endl; });
        else
            fijarSumideroDiagnostico(nullptr);
        return ejecutar(a);
    });
}
