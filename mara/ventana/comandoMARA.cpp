#include "mara/ventana/comandoMARA.h"

#include <string>

#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "mara/aplicarMara.h"
#include "mara/directorioEjecutable.h"

namespace {
std::optional<std::filesystem::path> directorioFijado;
std::optional<uint32_t> semillaFijada;
}  // namespace

void fijarSemillaMara(std::optional<uint32_t> semilla) { semillaFijada = semilla; }

std::optional<uint32_t> semillaMara() { return semillaFijada; }

std::filesystem::path directorioModelosMara() {
    return directorioFijado ? *directorioFijado : directorioEjecutable();
}

void fijarDirectorioModelosMara(std::optional<std::filesystem::path> directorio) {
    directorioFijado = std::move(directorio);
}

void Ondelar::graficoMARA() {
    escribirTraza(QStringLiteral("triger Mara"));
    OpcionesMara opciones;
    opciones.directorioModelos = directorioModelosMara();
    opciones.semilla = semillaFijada;
    ejecutarPaso({"MARA", "fallo en Mara", [opciones](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                      if (eeg.tieneEventos()) throw RechazoPaso(textoMaraSinPromediado);
                      OpcionesMara o = opciones;
                      o.avisar = [&avisos](const std::string& texto) { avisos.push_back(texto); };
                      o.avance = avance;
                      // After the pipeline's own two messages: what it removed.
                      o.informar = [&avisos](const InformeMara& i) { avisos.push_back(textoInformeMara(i)); };
                      return aplicarMara(eeg, o);
                  }});
}
