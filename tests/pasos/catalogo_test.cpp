// The step catalogue as the window and the runner share it: every example
// parses, and a step built from a dialog's options writes the runner text
// that rebuilds the very same computation.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "filtering/opcionesFiltro.h"
#include "io/textoNumerico.h"
#include "pasos/catalogoPasos.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

EEG registroCorto() {
    // Two channels, 4 s at 100 Hz: a 10 Hz sine over a 1 Hz drift, and silence.
    EEG e(100, 2, 400);
    for (arma::uword n = 0; n < 400; ++n)
        e.matrices[0](0, n) = 20 * std::sin(2 * M_PI * 10 * n / 100.0) + 50 * std::sin(2 * M_PI * 1 * n / 100.0);
    return e;
}

TEST(CatalogoPasos, CadaEjemploSeInterpretaYConservaSuTexto) {
    for (const EntradaPaso& e : catalogoPasos()) {
        SCOPED_TRACE(e.nombre);
        EXPECT_EQ(e.ejemplo.rfind(e.nombre, 0), 0u);
        EXPECT_EQ(interpretarPaso(e.ejemplo, {}).texto, e.ejemplo);
    }
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([] { interpretarPaso("resample", {}); }), nombresPasos()));
}

TEST(CatalogoPasos, LasOpcionesDeUnDialogoDanElTextoQueLasRehace) {
    EXPECT_EQ(pasoCAR().texto, "car");
    EXPECT_EQ(pasoASR(OpcionesASR{}).texto, "asr:5,0.075,-3.5,5.5");
    EXPECT_EQ(pasoFiltro(OpcionesFiltro{TipoFiltro::pasaBanda, 1, 40, 60}).texto, "filtro:BANDPASS,1,40,60");
    // Limits typed in a dialog are not always short decimals; the text must
    // still give the same bits back.
    for (const double v : {0.1 + 0.2, 1.0 / 3.0, 49.999999999999, 1e-7, std::nextafter(40.0, 41.0)})
        EXPECT_EQ(leerReal(textoReal(v), "prueba"), v) << textoReal(v);

    const OpcionesFiltro o{TipoFiltro::pasaBajos, 40.0 / 3.0, 20, 40};
    const Paso desdeDialogo = pasoFiltro(o);
    const Paso desdeTexto = interpretarPaso(desdeDialogo.texto, {});
    EXPECT_EQ(desdeTexto.etiqueta, desdeDialogo.etiqueta);
    const EEG entrada = registroCorto();
    AvisosPaso avisos;
    const EEG a = desdeDialogo.calcular(entrada, avisos, {});
    const EEG b = desdeTexto.calcular(entrada, avisos, {});
    EXPECT_TRUE(arma::approx_equal(a.datos(), b.datos(), "absdiff", 0.0));
    // The silent channel stays silent through the filter.
    EXPECT_EQ(arma::abs(a.datos().row(1)).max(), 0.0);
}

}  // namespace
