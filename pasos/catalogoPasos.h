#pragma once
// The catalogue of processing steps: each is parsed from its text (for
// example "filtro:BANDPASS,1,40,60") into the Paso that the runner runs and
// that the window's commands run too, built by the same functions from the
// dialogs' options.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/textoCabecera.h"
#include "io/progreso.h"
#include "asr/ContextoASR.h"
#include "filtering/opcionesFiltro.h"
#include "mara/aplicarMara.h"
#include "pasos/paso.h"

struct OpcionesPasos {
    std::optional<uint32_t> semilla;   // fixes every random source of a step
    std::string carpetaCubos = ".";    // where averaging writes its cube files
    std::string carpetaModelos;        // MARA model files (default: beside the executable)
    std::function<void(const std::string&)> aviso;  // notes for the user (a cube file not written)
    std::function<void(const std::string&)> cuboGuardado;  // hears each cube file written
    std::function<void(const std::string&)> informeRechazo;  // the rejection step's CSV report
    std::function<void(const InformeMara&)> informeMara;     // what MARA removed, and why
};

// One entry of the step catalogue: everything the runner, its help and error
// texts and the study workflow know of a step. A new step is one entry here
// (and its core function); the names, help and resource table follow from it.
struct EntradaPaso {
    std::string nombre;    // the runner's name: "filtro"
    std::string sintaxis;  // "filtro:TIPO,INF,SUP,DB"
    std::string ayuda;     // help text, lines separated by '\n'
    std::string ejemplo;   // a text the parser accepts: "filtro:BANDPASS,1,40,60"
    // The window's menu entry for a step it runs as it stands, with no
    // dialog ("aplicar CAR"); empty when the window offers the step through
    // a dialog of its own, or not at all.
    std::string textoMenu;
    // Peak memory as a multiple of the recording held as doubles: the input
    // the runner keeps, the step's result and the step's own work matrices.
    int multiploMemoria = 3;
    // Builds the step from its parameters (after "nombre:", split at commas;
    // hayParametros tells "car" from "car:"). Throws std::invalid_argument.
    std::function<Paso(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros,
                       const OpcionesPasos& opciones)>
        construir;
};

// The refusal of a step that needs the continuous recording on an epoched branch.
std::string sobreContinua(const std::string& paso);

// Every step, in the order the help lists them.
const std::vector<EntradaPaso>& catalogoPasos();
// "car, filtro, promediado, asr, ica y mara".
std::string nombresPasos();
// The help's list of steps: syntax and text, aligned in two columns.
std::string ayudaPasos();
// The catalogue as JSON for the study workflow: one object per step with its
// name, syntax, example and memory multiple.
std::string pasosJSON();

// The steps built from their options, as the window's dialogs hand them over
// and as the parser builds them from the text: tag, failure message,
// computation and the runner's text for those options (numbers in their
// shortest exact form, so that the text parses back to the same options). Refusals of the parameters against the branch (a filter
// limit above Nyquist, ASR tolerances out of order) are RechazoPaso.
Paso pasoCAR();
Paso pasoFiltro(const OpcionesFiltro& opciones);
Paso pasoASR(const OpcionesASR& opciones);

// Throws std::invalid_argument with a Spanish text, naming the step, for an
// unknown step or a malformed parameter. Parameters that depend on the branch
// (filter limits against its rate, event kinds) are checked when the step
// runs, by the same core validation the window's commands go through.
Paso interpretarPaso(const std::string& texto, const OpcionesPasos& opciones);

// The kind "1.1" as (tipo, calificador), and kinds joined by '+' ("1.1+2.1").
std::pair<int32_t, int32_t> leerTipoEvento(const std::string& token);
std::vector<std::pair<int32_t, int32_t>> leerTiposEvento(const std::string& texto);
// Number parsing that accepts the whole token or nothing.
double leerReal(const std::string& token, const std::string& contexto);
int leerEntero(const std::string& token, const std::string& contexto);
