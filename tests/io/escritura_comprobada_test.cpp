#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/cargarRegistro.h"
#include "io/claseEvento.h"
#include "io/guardarRama.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

namespace fs = std::filesystem;

// What the writers refuse or rename so that no output is unreadable, and the
// reading back that catches any other mismatch before the file is kept.

namespace {

// edfplus_139ch.edf (139 signals) with signal 69's physical maximum field set to `valor`.
std::string edfConMaximo(const prueba::CarpetaTemporal& t, std::string valor) {
    valor.resize(8, ' ');
    return prueba::edfCambiado(t, 256 + 139 * (16 + 80 + 8 + 8) + 8 * 68, valor);
}

}  // namespace

TEST(ClaseEvento, TextoYLecturaSonInversos) {
    EXPECT_EQ(textoClaseEvento(1, 2, "R  1"), "1.2 R  1");
    EXPECT_EQ(textoClaseEvento(-3, 0, ""), "-3.0");
    const struct {
        const char* texto;
        int32_t tipo, calificador;
        const char* nombre;
    } casos[] = {
        {"1.1", 1, 1, ""},   {"12.3 New Segment", 12, 3, "New Segment"}, {"1.2 R  1", 1, 2, "R  1"},
        {"-3.0", -3, 0, ""}, {"2147483647.1", 2147483647, 1, ""},        {"5.1 1.2 x", 5, 1, "1.2 x"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        const std::optional<ClaseEvento> k = leerClaseEvento(c.texto);
        ASSERT_TRUE(k.has_value());
        EXPECT_EQ(k->tipo, c.tipo);
        EXPECT_EQ(k->calificador, c.calificador);
        EXPECT_EQ(k->nombre, c.nombre);
    }
    for (const char* texto : {"T0", "01.1", "1.01", "1.1x", "+1.1", "1.", ".1", "1", "2147483648.1", "type A", ""})
        EXPECT_FALSE(leerClaseEvento(texto).has_value()) << texto;
}

// A physical maximum of 1e302 and more used to be written as "inf" turned
// into garbage by EDFlib (an unreadable file, exit 0); now it is refused as
// 1e301 always was, and no file is left.
TEST(EscrituraComprobada, MaximoFisicoEnormeSeRechaza) {
    const prueba::CarpetaTemporal t;
    for (const std::string valor : {"1e301", "1e302", "1e308"}) {
        const EEG e = cargarRegistro(edfConMaximo(t, valor));
        for (const std::string ext : {"edf", "bdf"}) {
            SCOPED_TRACE(valor + " " + ext);
            const std::string ruta = t.ruta() + "/salida." + ext;
            EXPECT_TRUE(prueba::contiene(prueba::rechazo<std::runtime_error>([&] { guardarRama(e, ruta); }),
                                         "no caben en los campos"));
            EXPECT_FALSE(fs::exists(ruta));
        }
    }
}

// A data channel named as an annotation signal or, in BDF, as the "Status"
// trigger is renamed, so the file keeps one annotation signal and every channel.
TEST(EscrituraComprobada, CanalLlamadoAnotacionesSeRenombra) {
    const prueba::CarpetaTemporal t;
    EEG e(100, 4, 200);
    e.matrices[0].randn();
    const char* etiquetas[] = {"EDF Annotations", "bdf annotations", "Status", "Cz"};
    for (int c = 0; c < 4; ++c) (*e.canales)[c].etiqueta = etiquetas[c];
    e.tablaEventos = std::make_shared<TablaEventos>();
    fijarEvento(*e.tablaEventos, Evento{3, 50, 1, 0, 0}, 0);
    e.tablaEventos->numeroEventos = 1;
    const struct {
        std::string ext;
        std::vector<std::string> leidas;
    } casos[] = {{"edf", {"EDF Annot-datos", "bdf annot-datos", "Status", "Cz"}},
                 {"bdf", {"EDF Annot-datos", "bdf annot-datos", "Status-datos", "Cz"}},
                 {"gdf", {"EDF Annotations", "bdf annotations", "Status", "Cz"}}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.ext);
        const std::string ruta = t.ruta() + "/r." + c.ext;
        guardarRama(e, ruta);
        const EEG leido = cargarRegistro(ruta);
        ASSERT_EQ(leido.canales->size(), 4u);
        for (size_t k = 0; k < 4; ++k) EXPECT_EQ((*leido.canales)[k].etiqueta, c.leidas[k]);
        EXPECT_LT(arma::abs(leido.datos() - e.datos()).max(), 1e-3);  // no channel taken for a trigger
        ASSERT_TRUE(leido.tieneEventos());
        ASSERT_EQ(leido.tablaEventos->eventos.size(), 1u);
        EXPECT_EQ(leido.tablaEventos->eventos[0].tipo, 3);
        EXPECT_EQ(leido.tablaEventos->eventos[0].posicion, 50);
    }
}

TEST(EscrituraComprobada, DiferenciasDeCabecera) {
    EEG e(256, 2, 10);
    (*e.canales)[0].etiqueta = "Fz";
    (*e.canales)[1].etiqueta = "Cz";
    e.tablaEventos = std::make_shared<TablaEventos>();
    fijarEvento(*e.tablaEventos, Evento{1, 3, 1, 0, 0}, 0);
    fijarEvento(*e.tablaEventos, Evento{1, 12, 1, 0, 0}, 1);  // outside: not written
    const CabeceraEsperada gdf = cabeceraEsperada(e, FormatoSalida::GDF);
    EXPECT_EQ(gdf.eventos, 1u);
    EXPECT_EQ(gdf.muestrasMaximas, 10);
    EXPECT_EQ(cabeceraEsperada(e, FormatoSalida::EDF).muestrasMaximas, 10 + 255);  // a padded record
    EXPECT_EQ(diferenciaCabecera(gdf, e), "2 eventos en lugar de 1");
    e.tablaEventos->eventos.pop_back();
    EXPECT_EQ(diferenciaCabecera(gdf, e), "");

    const struct {
        const char* nombre;
        void (*cambio)(EEG&);
        const char* diferencia;
    } casos[] = {
        {"canal de menos", [](EEG& x) { x.matrices[0].shed_row(1); }, "1 canales en lugar de 2"},
        {"etiqueta", [](EEG& x) { (*x.canales)[1].etiqueta = "./,),(-*"; },
         "el canal 2 se llama «./,),(-*» en lugar de «Cz»"},
        {"frecuencia", [](EEG& x) { x.frecuenciaMuestreo = 128; }, "frecuencia de 128 Hz en lugar de 256 Hz"},
        {"muestras", [](EEG& x) { x.matrices[0].shed_col(0); }, "9 muestras en lugar de 10"},
        {"sin eventos", [](EEG& x) { x.tablaEventos.reset(); }, "0 eventos en lugar de 1"},
    };
    for (const auto& c : casos) {
        EEG leido = e;
        leido.canales = std::make_shared<std::vector<Canal>>(*e.canales);
        c.cambio(leido);
        EXPECT_EQ(diferenciaCabecera(gdf, leido), c.diferencia) << c.nombre;
    }
}
