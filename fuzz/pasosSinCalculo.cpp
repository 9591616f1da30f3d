// The computations that the runner's steps call when they run. fuzz_pasos
// parses steps and never runs them, so it links these stand-ins instead of
// the whole core; a call would be a fault of the target and aborts.

#include <cstdlib>

#include "asr/ejecutarASR.h"
#include "canales/deteccionCanales.h"
#include "canales/interpolacionEsferica.h"
#include "dsp/remuestreoEEG.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/lineaElectrica.h"
#include "mara/activacionesICA.h"
#include "mara/aplicarMara.h"
#include "mara/directorioEjecutable.h"

EEG filtrarEEG(const EEG&, const OpcionesFiltro&, const Avance&) { std::abort(); }
EEG remuestrearEEG(const EEG&, int32_t, const Avance&) { std::abort(); }
EEG quitarRuidoLinea(const EEG&, double, const Avance&) { std::abort(); }
int detectarFrecuenciaLinea(const arma::mat&, int) { std::abort(); }
EEG ejecutarASR(const EEG&, const OpcionesASR&, const Avance&, std::optional<double>) { std::abort(); }
EEG activacionesICA(const EEG&, std::optional<uint32_t>, const Avance&) { std::abort(); }
EEG activacionesICA(const EEG&, DescomposicionICA) { std::abort(); }
EEG aplicarMara(const EEG&, const OpcionesMara&) { std::abort(); }
std::filesystem::path directorioEjecutable() { return "/no/existe"; }
DeteccionCanales detectarCanalesMalos(const EEG&, const OpcionesCanalesMalos&) { std::abort(); }
std::vector<arma::uword> DeteccionCanales::marcados() const { std::abort(); }
std::string nombreRegla(ReglaCanal) { std::abort(); }
std::string tablaCanalesMalos(const EEG&, const DeteccionCanales&) { std::abort(); }
EEG conCanalesDetectados(const EEG&, const DeteccionCanales&) { std::abort(); }
EEG interpolarCanalesMalos(const EEG&, std::vector<std::string>&) { std::abort(); }
