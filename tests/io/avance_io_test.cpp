// Progress of reading and saving: a reporter changes nothing in what is read
// or written, the fraction grows to 1, and a cancellation at the first, a
// middle or the last report stops the step and leaves no file behind.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "io/cargarRegistro.h"
#include "io/guardarRama.h"
#include "tests/comun/registroAvance.h"
#include "tests/io/archivosPrueba.h"

using namespace prueba;

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";

// One file of each reader.
const char* const registros[] = {"p300_8ch.dat", "p300_8ch.gdf", "formatos/edfplus_139ch.edf",
                                 "formatos/bdf_4ch_status.bdf", "formatos/test_NO.vhdr"};

bool mismosBytes(const arma::mat& a, const arma::mat& b) {
    return a.n_rows == b.n_rows && a.n_cols == b.n_cols && std::memcmp(a.memptr(), b.memptr(), a.n_elem * sizeof(double)) == 0;
}

// Eight channels of a ramp with a few events, long enough for several blocks
// of every writer.
EEG rama() {
    EEG e(256, 8, 40000);
    for (uint32_t c = 0; c < 8; ++c) (*e.canales)[c].etiqueta = "C" + std::to_string(c + 1);
    e.matrices[0] = arma::repmat(arma::linspace<arma::rowvec>(-100.0, 100.0, 40000), 8, 1);
    e.matrices[0].each_col() += arma::regspace<arma::vec>(1, 8);
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = 1;
    for (int i = 0; i < 3; ++i) fijarEvento(*e.tablaEventos, Evento{1 + i, 1000 * (i + 1), 1, 0, 0}, i);
    e.tablaEventos->numeroEventos = 3;
    return e;
}

const char* const formatosSalida[] = {"r.gdf", "r.csv", "r.bin", "r.edf", "r.bdf"};

}  // namespace

TEST(AvanceLectura, ConInformeLeeLoMismoYLaFraccionCreceHastaUno) {
    for (const char* nombre : registros) {
        const EEG sin = cargarRegistro(datos + nombre);
        RegistroAvance r;
        const EEG con = cargarRegistro(datos + nombre, nullptr, r.avance());
        EXPECT_TRUE(mismosBytes(sin.datos(), con.datos())) << nombre;
        comprobarCreciente(r.fracciones);
        EXPECT_GE(r.fracciones.size(), 2u) << nombre;  // one block or more, then the end
    }
}

TEST(AvanceLectura, CancelarDetieneLaLectura) {
    for (const char* nombre : registros)
        for (PuntoCancelacion punto : puntosCancelacion) {
            RegistroAvance r(punto);
            EXPECT_THROW(cargarRegistro(datos + nombre, nullptr, r.avance()), Cancelado) << nombre;
        }
}

TEST(AvanceGuardado, ConInformeEscribeLosMismosBytesHastaUno) {
    const EEG e = rama();
    CarpetaTemporal t;
    for (const char* nombre : formatosSalida) {
        RegistroAvance r;
        guardarRama(e, t.ruta() + "/con-" + nombre, r.avance());
        guardarRama(e, t.ruta() + "/sin-" + nombre);
        EXPECT_EQ(textoDeArchivo(t.ruta() + "/con-" + nombre), textoDeArchivo(t.ruta() + "/sin-" + nombre)) << nombre;
        comprobarCreciente(r.fracciones);
        EXPECT_GE(r.fracciones.size(), 4u) << nombre;  // reports along the samples, not only at both ends
    }
    // The .bin is written block by block in Armadillo's own format: it loads back.
    std::ostringstream propio;
    ASSERT_TRUE(e.datos().save(propio, arma::arma_binary));
    EXPECT_EQ(textoDeArchivo(t.ruta() + "/sin-r.bin"), propio.str());
}

TEST(AvanceGuardado, CancelarNoDejaArchivoNiTemporal) {
    const EEG e = rama();
    for (const char* nombre : formatosSalida)
        for (PuntoCancelacion punto : puntosCancelacion) {
            CarpetaTemporal t;
            RegistroAvance r(punto);
            EXPECT_THROW(guardarRama(e, t.ruta() + "/" + nombre, r.avance()), Cancelado) << nombre;
            EXPECT_TRUE(t.archivos().empty()) << nombre;
        }
}
