#include "pasos/catalogoPasos.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "asr/ejecutarASR.h"
#include "asr/validarOpcionesASR.h"
#include "averaging/car.h"
#include "averaging/promediado.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/opcionesFiltro.h"
#include "dsp/fir/ErrorDisenoFIR.h"
#include "io/textoNumerico.h"
#include "pasos/pasosCanales.h"
#include "pasos/pasosEpocas.h"
#include "pasos/pasosICA.h"
#include "pasos/pasosLimpieza.h"

namespace {

// The runner names the step in front of the text, at parsing and at run time.
[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

void sinParametros(const std::string& nombre, bool hayParametros) {
    if (hayParametros) rechazar("\"" + nombre + "\" no lleva parámetros");
}

std::string nombreTipo(const Evento& e) { return std::to_string(e.tipo) + "." + std::to_string(e.calificador); }

Paso conTexto(Paso paso, const std::string& texto) {
    paso.texto = texto;
    return paso;
}

Paso leerPasoCAR(const std::string& texto, bool hayParametros) {
    sinParametros("car", hayParametros);
    return conTexto(pasoCAR(), texto);
}

Paso leerPasoFiltro(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 4) rechazar("se esperaba filtro:TIPO,INF,SUP,DB (por ejemplo filtro:BANDPASS,1,40,60)");
    OpcionesFiltro o;
    o.tipo = tipoFiltroDesdeNombre(p[0]);
    o.frecInferior = leerReal(p[1], "el límite inferior del filtro");
    o.frecSuperior = leerReal(p[2], "el límite superior del filtro");
    o.caidaDecibelios = leerEntero(p[3], "la caída en decibelios del filtro");
    // The limits are checked against the branch's rate when the step runs,
    // by the same validation the window's command goes through.
    return conTexto(pasoFiltro(o), texto);
}

Paso leerPasoPromediado(const std::string& texto, const std::vector<std::string>& p, const OpcionesPasos& opciones) {
    if (p.size() == 1) return leerPasoPromediadoEpocas(texto, leerTiposEvento(p[0]), false);
    if (p.size() != 3)
        rechazar("se esperaba promediado:TIPOS,MSPREV,MSPOST, o promediado:TIPOS sobre una rama en épocas "
                 "(por ejemplo promediado:1.1+2.1,100,600)");
    const std::vector<std::pair<int32_t, int32_t>> tipos = leerTiposEvento(p[0]);
    const Paso deEpocas = leerPasoPromediadoEpocas(texto, tipos, true);
    // Milliseconds as the dialog hands them over: truncated toward zero.
    const int32_t msPrev = milisegundosEnteros(leerReal(p[1], "los milisegundos previos"));
    const int32_t msPost = milisegundosEnteros(leerReal(p[2], "los milisegundos posteriores"));
    if (msPrev < 0 || msPost < 0) rechazar("los milisegundos previos y posteriores no pueden ser negativos");
    const std::string carpeta = opciones.carpetaCubos;
    const auto aviso = opciones.aviso;
    const auto cuboGuardado = opciones.cuboGuardado;

    return {"Promediado", "Fallo en el promediado, revisa que existan datos para los tiempos elegidos.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
        // An epoched branch already has its window: the kept epochs are averaged.
        if (eeg.epocas) return deEpocas.calcular(eeg, avisos, avance);
        if (!eeg.tieneEventos() || eeg.tablaEventos->tipos.empty())
            rechazar("la rama no tiene eventos, así que no se puede promediar (¿un registro .dat o una "
                            "rama ya promediada?)");
        // The window's dialog selects rows of the kind list: find each kind's row.
        const TablaEventos& tabla = *eeg.tablaEventos;
        const size_t numeroTipos = std::min<size_t>(static_cast<size_t>(std::max(0, tabla.numeroTipos)),
                                                    tabla.tipos.size());
        std::vector<int> filas;
        for (const auto& [tipo, calificador] : tipos) {
            int fila = -1;
            for (size_t k = 0; k < numeroTipos; ++k)
                if (tabla.tipos[k].tipo == tipo && tabla.tipos[k].calificador == calificador) fila = static_cast<int>(k);
            if (fila < 0) {
                std::string disponibles;
                for (size_t k = 0; k < numeroTipos; ++k) disponibles += (k ? ", " : "") + nombreTipo(tabla.tipos[k]);
                rechazar("la rama no tiene eventos del tipo " + std::to_string(tipo) + "." +
                                    std::to_string(calificador) + " (tiene " + disponibles + ")");
            }
            if (std::find(filas.begin(), filas.end(), fila) == filas.end()) filas.push_back(fila);
        }
        DestinoCubo destino;
        destino.directorio = carpeta;
        ResultadoPromediado r =
            promediarEventos(eeg, parametrosDeFilas(tabla, filas, msPrev, msPost), destino, avance);
        if (cuboGuardado && !r.archivoCubo.empty()) cuboGuardado(r.archivoCubo.string());
        if (aviso) {
            if (r.archivoCubo.empty())
                aviso("no se pudo guardar el archivo con las épocas (Promediado-….bin) en \"" + carpeta +
                      "\"; el promedio sí se ha calculado");
            else
                aviso("épocas guardadas en \"" + r.archivoCubo.string() + "\"");
        }
        return std::move(r.promedio);
    }, texto, [deEpocas](const EEG& entrada, const EEG& salida) {
        return entrada.epocas ? deEpocas.detalle(entrada, salida) : std::string();
    }};
}

Paso leerPasoASR(const std::string& texto, const std::vector<std::string>& p) {
    if (!p.empty() && p.size() != 4)
        rechazar("se esperaba asr o asr:BURST,MAXBAD,TOLINF,TOLSUP (por ejemplo asr:5,0.075,-3.5,5.5)");
    OpcionesASR o;  // the dialog's defaults
    if (p.size() == 4) {
        o.burstCritic = leerEntero(p[0], "BURST (burstCritic)");
        o.maxBadChan = leerReal(p[1], "MAXBAD (maxBadChan)");
        o.tolInf = leerReal(p[2], "TOLINF (tolInf)");
        o.tolSup = leerReal(p[3], "TOLSUP (tolSup)");
    }
    validarOpcionesASR(o);  // a usage error, found before anything is read
    return conTexto(pasoASR(o), texto);
}

}  // namespace

std::pair<int32_t, int32_t> leerTipoEvento(const std::string& token) {
    const size_t punto = token.find('.');
    if (punto == std::string::npos)
        rechazar("el tipo de evento \"" + token + "\" debe escribirse TIPO.CALIFICADOR, por ejemplo 1.1");
    const std::string contexto = "el tipo de evento \"" + token + "\"";
    return {leerEntero(token.substr(0, punto), contexto), leerEntero(token.substr(punto + 1), contexto)};
}

std::vector<std::pair<int32_t, int32_t>> leerTiposEvento(const std::string& texto) {
    std::vector<std::pair<int32_t, int32_t>> tipos;
    for (const std::string& t : partir(texto, '+')) tipos.push_back(leerTipoEvento(t));
    return tipos;
}

double leerReal(const std::string& token, const std::string& contexto) {
    double v = 0.0;
    const char* fin = token.data() + token.size();
    const auto r = std::from_chars(token.data(), fin, v);
    if (token.empty() || r.ec != std::errc() || r.ptr != fin || !std::isfinite(v))
        throw std::invalid_argument("valor no válido \"" + token + "\" en " + contexto + " (se esperaba un número)");
    return v;
}

int leerEntero(const std::string& token, const std::string& contexto) {
    int v = 0;
    const char* fin = token.data() + token.size();
    const auto r = std::from_chars(token.data(), fin, v);
    if (token.empty() || r.ec != std::errc() || r.ptr != fin)
        throw std::invalid_argument("valor no válido \"" + token + "\" en " + contexto +
                                    " (se esperaba un número entero)");
    return v;
}

Paso pasoCAR() {
    return {"CAR", "Problema con CAR. Revisa el EEG seleccionado",
            [](const EEG& eeg, AvisosPaso&, const Avance& avance) { return aplicarCAR(eeg, avance); }, "car"};
}

Paso pasoFiltro(const OpcionesFiltro& opciones) {
    return {nombreTipoFiltro(opciones.tipo),
            "Se ha producido un error en el proceso de filtrado de datos. Revise que existen datos sobre los que "
            "aplicar el filtro",
            [opciones](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                try {
                    return filtrarEEG(eeg, opciones, avance);
                } catch (const ParametrosFiltroNoValidos& e) {
                    // Parameters that give no usable filter: the text says which and why.
                    throw RechazoPaso(e.what());
                } catch (const ErrorDisenoFIR& e) {
                    throw RechazoPaso(e.what());
                }
            },
            "filtro:" + nombreTipoFiltro(opciones.tipo) + "," + textoReal(opciones.frecInferior) + "," +
                textoReal(opciones.frecSuperior) + "," + std::to_string(opciones.caidaDecibelios)};
}

Paso pasoASR(const OpcionesASR& opciones) {
    return {"ASR", "Revise los datos sobre los que esta intentando aplicar ASR.",
            [opciones](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                if (eeg.epocas) throw RechazoPaso(sobreContinua("ASR"));
                // The dialog's ranges cannot refuse a lower tolerance above the upper one.
                validarOpcionesASR(opciones);
                return ejecutarASR(eeg, opciones, avance);
            },
            "asr:" + std::to_string(opciones.burstCritic) + "," + textoReal(opciones.maxBadChan) + "," +
                textoReal(opciones.tolInf) + "," + textoReal(opciones.tolSup)};
}

namespace {

// Steps on continuous channels: references, filters and channel repair.
std::vector<EntradaPaso> pasosContinuos() {
    return {
        {"car", "car", "referencia media común", "car", "aplicar CAR", 3,
         [](const std::string& t, const std::vector<std::string>&, bool hay, const OpcionesPasos&) {
             return leerPasoCAR(t, hay);
         }},
        {"filtro", "filtro:TIPO,INF,SUP,DB",
         "filtro FIR de fase cero, cada canal por separado; TIPO es\nHIGH, LOW, BANDPASS o BANDSTOP, INF y SUP en Hz, DB la\n"
         "caída en decibelios",
         "filtro:BANDPASS,1,40,60", "", 4,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoFiltro(t, p);
         }},
        {"remuestreo", "remuestreo:HZ",
         "remuestreo polifásico a HZ (entero) con filtro antialias\nde Kaiser, como resample_poly de SciPy; eventos a la\n"
         "muestra más cercana",
         "remuestreo:256", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoRemuestreo(t, p);
         }},
        {"linea", "linea[:50|60|auto]",
         "quita el ruido de línea y sus armónicos con muescas FIR\nde fase cero (como notch_filter de MNE); auto (por\n"
         "defecto) elige 50 o 60 Hz por el espectro",
         "linea:50", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool hay, const OpcionesPasos&) {
             return leerPasoLinea(t, p, hay);
         }},
        {"canales-malos", "canales-malos",
         "marca como malos los canales planos, desviados, poco\ncorrelacionados con sus 4 vecinos o ruidosos por\n"
         "encima de 40 Hz (docs/canales.md); los datos no cambian",
         "canales-malos", "buscar canales malos", 3,
         [](const std::string& t, const std::vector<std::string>&, bool hay, const OpcionesPasos&) {
             return leerPasoCanalesMalos(t, hay);
         }},
        {"interpolar", "interpolar",
         "sustituye los canales malos por splines esféricas\ndesde los buenos (como interpolate_bads de MNE) y\n"
         "vacía la lista de malos",
         "interpolar", "interpolar los canales malos", 3,
         [](const std::string& t, const std::vector<std::string>&, bool hay, const OpcionesPasos&) {
             return leerPasoInterpolar(t, hay);
         }},
        {"referencia", "referencia[:REF]",
         "resta a cada canal la media de todos (REF media, por\ndefecto) o de los canales dados por etiqueta\n(REF M1+M2); "
         "REF media-otros es car",
         "referencia:media", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool hay, const OpcionesPasos&) {
             return leerPasoReferencia(t, p, hay);
         }},
    };
}

// Steps that cut, average or reject epochs.
std::vector<EntradaPaso> pasosEpocas() {
    return {
        {"promediado", "promediado:TIPOS,MSPREV,MSPOST",
         "promediado por eventos; TIPOS como 1.1+2.1,\nventana en milisegundos antes y después; el archivo\n"
         "de épocas Promediado-….bin va a la carpeta actual\n(o a la de --epocas); sobre una rama en épocas,\n"
         "promediado:TIPOS da la media de cada tipo",
         "promediado:1.1+2.1,100,600", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos& o) {
             return leerPasoPromediado(t, p, o);
         }},
        {"epocas", "epocas:TIPOS,MSPREV,MSPOST",
         "corta una época por evento de los tipos (como 1.1+2.1),\nde MSPREV ms antes a MSPOST ms después; las que no\n"
         "caben en el registro se omiten con un aviso",
         "epocas:1.1+2.1,200,800", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoEpocas(t, p);
         }},
        {"linea-base", "linea-base:MS1,MS2",
         "resta en cada época y canal su media entre MS1 y MS2 ms\n(rama en épocas o promediada)",
         "linea-base:-200,0", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoLineaBase(t, p);
         }},
        {"rechazo", "rechazo[:pp=UV,prob=Z,curt=Z]",
         "quita las épocas con pico a pico por encima de UV µV o\nprobabilidad o curtosis con |z| > Z (por defecto\n"
         "prob=5,curt=5); el informe va a SALIDA.rechazo.csv",
         "rechazo:pp=100,prob=5,curt=5", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool hay, const OpcionesPasos& o) {
             return leerPasoRechazo(t, p, hay, o);
         }},
        {"quitar-epocas", "quitar-epocas:N+N…",
         "quita las épocas de esos números (desde 1): la\nelección hecha a ojo en la ventana, para repetirla",
         "quitar-epocas:2+3", "", 3,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoQuitarEpocas(t, p);
         }},
    };
}

// Artifact cleaning by subspaces and by independent components.
std::vector<EntradaPaso> pasosComponentes() {
    return {
        {"asr", "asr[:BURST,MAXBAD,TOLINF,TOLSUP]", "ASR (por defecto 5,0.075,-3.5,5.5)", "asr:5,0.075,-3.5,5.5", "", 8,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoASR(t, p);
         }},
        {"ica", "ica[:ARCHIVO]",
         "activaciones de ICA extendido, una fila por componente,\nreducido al rango de los datos; con ARCHIVO, las de\n"
         "esa descomposición guardada (SALIDA.ica la guarda)",
         "ica", "aplicar ICA", 6,
         [](const std::string& t, const std::vector<std::string>& p, bool hay, const OpcionesPasos& o) {
             return leerPasoICA(t, p, hay, o);
         }},
        {"quitar-componentes", "quitar-componentes:N,N…",
         "vuelve a los canales sin esas componentes (desde 1)\nde la rama de ICA: la elección de la revisión",
         "quitar-componentes:1,2", "", 4,
         [](const std::string& t, const std::vector<std::string>& p, bool, const OpcionesPasos&) {
             return leerPasoQuitarComponentes(t, p);
         }},
        {"mara", "mara", "quita las componentes de artefacto (rama promediada)", "mara", "", 8,
         [](const std::string& t, const std::vector<std::string>&, bool hay, const OpcionesPasos& o) {
             return leerPasoMARA(t, hay, o);
         }},
    };
}

// In the order the help and the error text list them.
std::vector<EntradaPaso> construirCatalogo() {
    std::vector<EntradaPaso> todos = pasosContinuos();
    for (auto grupo : {pasosEpocas(), pasosComponentes()})
        todos.insert(todos.end(), std::make_move_iterator(grupo.begin()), std::make_move_iterator(grupo.end()));
    return todos;
}

Paso construirPaso(const std::string& texto, const OpcionesPasos& opciones) {
    const size_t dosPuntos = texto.find(':');
    const std::string nombre = texto.substr(0, dosPuntos);
    const bool hayParametros = dosPuntos != std::string::npos;
    const std::vector<std::string> p =
        hayParametros ? partir(texto.substr(dosPuntos + 1), ',') : std::vector<std::string>{};
    for (const EntradaPaso& e : catalogoPasos())
        if (e.nombre == nombre) return e.construir(texto, p, hayParametros, opciones);
    rechazar("paso desconocido; los pasos son " + nombresPasos() + " (vea --help)");
}

// A JSON string literal of plain text (the catalogue's own, no control characters).
std::string cadenaJSON(const std::string& t) {
    std::string r = "\"";
    for (const char c : t) {
        if (c == '"' || c == '\\') r += '\\';
        if (c == '\n') {
            r += "\\n";
            continue;
        }
        r += c;
    }
    return r + "\"";
}

}  // namespace

std::string etiquetaHistoria(const Paso& paso, const EEG& entrada, const EEG& salida) {
    const std::string detalle = paso.detalle ? paso.detalle(entrada, salida) : std::string();
    return detalle.empty() ? paso.etiqueta : paso.etiqueta + "(" + detalle + ")";
}

const std::vector<EntradaPaso>& catalogoPasos() {
    static const std::vector<EntradaPaso> catalogo = construirCatalogo();
    return catalogo;
}

std::string sobreContinua(const std::string& paso) {
    return paso + " trabaja sobre el registro continuo y esta rama está dividida en épocas; aplíquelo antes de "
                  "cortar las épocas";
}

std::string nombresPasos() {
    const auto& c = catalogoPasos();
    std::string r;
    for (size_t i = 0; i < c.size(); ++i) r += (i == 0 ? "" : i + 1 == c.size() ? " y " : ", ") + c[i].nombre;
    return r;
}

std::string ayudaPasos() {
    constexpr size_t columna = 34;  // where the texts start, after two spaces of indent
    std::string r;
    for (const EntradaPaso& e : catalogoPasos()) {
        std::string sintaxis = "  " + e.sintaxis;
        sintaxis.resize(std::max(sintaxis.size() + 1, columna + 2), ' ');
        const std::vector<std::string> lineas = partir(e.ayuda, '\n');
        for (size_t i = 0; i < lineas.size(); ++i)
            r += (i == 0 ? sintaxis : std::string(columna + 2, ' ')) + lineas[i] + "\n";
    }
    return r;
}

std::string pasosJSON() {
    std::string r = "[\n";
    const auto& c = catalogoPasos();
    for (size_t i = 0; i < c.size(); ++i)
        r += "  {\"nombre\": " + cadenaJSON(c[i].nombre) + ", \"sintaxis\": " + cadenaJSON(c[i].sintaxis) +
             ", \"ejemplo\": " + cadenaJSON(c[i].ejemplo) +
             ", \"multiploMemoria\": " + std::to_string(c[i].multiploMemoria) + "}" + (i + 1 < c.size() ? ",\n" : "\n");
    return r + "]\n";
}

Paso interpretarPaso(const std::string& texto, const OpcionesPasos& opciones) {
    try {
        return construirPaso(texto, opciones);
    } catch (const std::exception& e) {
        throw std::invalid_argument("paso \"" + texto + "\": " + e.what());
    }
}
