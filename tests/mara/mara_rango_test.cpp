// MARA with the shipped model where the ICA needs the rank reduction (after
// an average reference) or reuses a stored decomposition.
#include <gtest/gtest.h>

#include "averaging/car.h"
#include "io/cargarRegistro.h"
#include "mara/Mara.h"
#include "mara/activacionesICA.h"
#include "mara/aplicarMara.h"

namespace {

const std::string kMuestras = ONDELAR_RAIZ "/../shared/data/";

arma::uword fila(const EEG& eeg, const std::string& etiqueta) {
    for (arma::uword i = 0; i < eeg.canales->size(); ++i)
        if ((*eeg.canales)[i].etiqueta == etiqueta) return i;
    ADD_FAILURE() << etiqueta;
    return 0;
}

}  // namespace

// motor_64ch's first 50 s, average-referenced: rank 63. The blink is the
// component whose pattern sits most on Fp1, Fpz and Fp2; MARA must remove it,
// and with it most of Fpz's variance, while Oz keeps a good part of its own.
TEST(MaraTrasCAR, CompletaConUnaComponenteMenosYQuitaElParpadeo) {
    EEG eeg = cargarRegistro(kMuestras + "motor_64ch.dat", kMuestras + "motor_64ch.ced");
    eeg.tablaEventos = nullptr;  // MARA takes a branch without events
    eeg.matrices[0] = arma::mat(eeg.datos().cols(0, 7999));
    eeg.numeroMuestras = 8000;
    const EEG car = aplicarCAR(eeg);
    Mara mara(car, ONDELAR_MODELOS);
    mara.semilla = 11;
    const EEG limpio = mara.procesar();
    ASSERT_EQ(mara.mezcla().n_cols, 63u);
    EXPECT_EQ(mara.probabilidades().n_elem, 63u);

    const arma::uvec frontales = {fila(car, "Fp1"), fila(car, "Fpz"), fila(car, "Fp2")};
    arma::vec cociente(63);
    for (arma::uword q = 0; q < 63; ++q) {
        const arma::vec a = arma::abs(mara.mezcla().col(q));
        cociente(q) = arma::mean(a(frontales)) / arma::mean(a);
    }
    const arma::uword parpadeo = cociente.index_max();
    EXPECT_GT(cociente(parpadeo), 3.0);
    EXPECT_TRUE(arma::any(mara.artefactos() == parpadeo)) << "componente " << parpadeo + 1;
    const auto varianza = [&](const EEG& e, const std::string& c) { return arma::var(e.datos().row(fila(e, c))); };
    EXPECT_LT(varianza(limpio, "Fpz"), varianza(car, "Fpz") / 5.0);
    EXPECT_GT(varianza(limpio, "Oz"), varianza(car, "Oz") / 5.0);
}

// The vote and the branch are those of a plain run when MARA is handed the
// decomposition a branch of components keeps (here reduced to rank 7).
TEST(MaraConDescomposicion, LaRamaYElVotoNoCambian) {
    EEG eeg = cargarRegistro(kMuestras + "p300_8ch.gdf", kMuestras + "p300_8ch.ced");
    eeg.tablaEventos = nullptr;
    eeg.matrices[0] = arma::mat(eeg.datos().cols(0, 256 * 20 - 1));
    eeg.numeroMuestras = 256 * 20;
    const EEG car = aplicarCAR(eeg);
    OpcionesMara o;
    o.directorioModelos = ONDELAR_MODELOS;
    o.semilla = 4;
    std::vector<InformeMara> informes;
    o.informar = [&informes](const InformeMara& i) { informes.push_back(i); };
    const EEG directo = aplicarMara(car, o);
    const EEG reutilizado = aplicarMara(activacionesICA(car, 4u), o);
    ASSERT_EQ(informes.size(), 2u);
    EXPECT_EQ(informes[0].componentes, 7u);
    EXPECT_TRUE(arma::all(informes[0].quitadas == informes[1].quitadas));
    EXPECT_LT(arma::abs(informes[0].probabilidades - informes[1].probabilidades).max(), 1e-9);
    EXPECT_LT(arma::abs(directo.datos() - reutilizado.datos()).max(), 1e-9 * arma::abs(directo.datos()).max());
    EXPECT_EQ((*reutilizado.canales)[7].etiqueta, "PO8");
    EXPECT_EQ(textoInformeMara(informes[0]).rfind("MARA ", 0), 0u);
}
