// The cleaning steps as the runner parses and runs them: malformed texts
// refused at parsing, refusals against the branch as RechazoPaso, the
// tags the history gets, and the input branch never touched.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "pasos/catalogoPasos.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

// Three channels Fz, Cz, Pz, 8 s at 500 Hz: alpha plus 50 Hz hum on the
// first two, the third silent; one event at 2 s.
EEG registro() {
    EEG e(500, 3, 4000);
    for (arma::uword n = 0; n < 4000; ++n)
        for (arma::uword c = 0; c < 2; ++c)
            e.matrices[0](c, n) = 20 * std::sin(2 * M_PI * 10 * n / 500.0 + c) + 30 * std::sin(2 * M_PI * 50 * n / 500.0);
    e.canales->resize(3);
    const char* etiquetas[] = {"Fz", "Cz", "Pz"};
    for (int c = 0; c < 3; ++c) (*e.canales)[c].etiqueta = etiquetas[c];
    e.tablaEventos = std::make_shared<TablaEventos>();
    Evento ev;
    ev.tipo = 1;
    ev.posicion = 1000;
    fijarEvento(*e.tablaEventos, ev, 0);
    e.tablaEventos->numeroEventos = 1;
    return e;
}

EEG correr(const std::string& texto, const EEG& e, AvisosPaso* avisos = nullptr) {
    AvisosPaso propios;
    return interpretarPaso(texto, {}).calcular(e, avisos ? *avisos : propios, {});
}

}  // namespace

TEST(PasosLimpieza, TextosMalFormadosSeRechazanAlLeer) {
    const struct {
        const char *texto, *contiene;
    } casos[] = {
        {"remuestreo", "remuestreo:HZ"},
        {"remuestreo:0", "mayor que 0"},
        {"remuestreo:-256", "mayor que 0"},
        {"remuestreo:256.5", "\"256.5\""},
        {"remuestreo:256,128", "remuestreo:HZ"},
        {"linea:55", "linea:50, linea:60 o linea:auto"},
        {"linea:", "linea:50"},
        {"linea:50,60", "linea:50"},
        {"referencia:", "referencia:CANAL"},
        {"referencia:Cz+", "falta una etiqueta"},
        {"referencia:Cz,Pz", "referencia:CANAL"},
        {"canales-malos:5", "no lleva parámetros"},
        {"interpolar:", "no lleva parámetros"},
    };
    for (const auto& c : casos)
        EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { interpretarPaso(c.texto, {}); }), c.contiene))
            << c.texto;
}

TEST(PasosLimpieza, RechazosContraLaRama) {
    const EEG e = registro();
    EEG enEpocas = registro();
    enEpocas.epocas = std::make_shared<Epocas>();
    const struct {
        const char* texto;
        const EEG* rama;
        const char* contiene;
    } casos[] = {
        {"remuestreo:128", &enEpocas, "dividida en épocas"},
        {"linea:50", &enEpocas, "dividida en épocas"},
        {"linea", &enEpocas, "dividida en épocas"},
        {"remuestreo:6000", &e, "10 veces"},
        {"referencia:M1", &e, "no tiene el canal \"M1\" (tiene Fz, Cz, Pz)"},
    };
    for (const auto& c : casos)
        EXPECT_TRUE(contiene(rechazo<RechazoPaso>([&] { correr(c.texto, *c.rama); }), c.contiene)) << c.texto;
}

TEST(PasosLimpieza, EtiquetasDeLaHistoriaYEntradaIntacta) {
    const EEG e = registro();
    const arma::mat copia = e.datos();
    EXPECT_EQ(interpretarPaso("remuestreo:250", {}).etiqueta, "Remuestreo250Hz");
    EXPECT_EQ(interpretarPaso("linea:60", {}).etiqueta, "Linea60Hz");
    EXPECT_EQ(interpretarPaso("linea", {}).etiqueta, "LineaAuto");
    EXPECT_EQ(interpretarPaso("referencia", {}).etiqueta, "RefMedia");
    EXPECT_EQ(interpretarPaso("referencia", {}).texto, "referencia");
    EXPECT_EQ(interpretarPaso("referencia:Cz+Pz", {}).etiqueta, "Ref(Cz+Pz)");
    EXPECT_EQ(interpretarPaso("referencia:media-otros", {}).etiqueta, "CAR");

    const EEG r = correr("remuestreo:250", e);
    EXPECT_EQ(r.frecuenciaMuestreo, 250);
    EXPECT_EQ(r.tablaEventos->eventos[0].posicion, 500);
    AvisosPaso avisos;
    const EEG l = correr("linea", e, &avisos);
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0], "linea: el espectro apunta a 50 Hz");
    EXPECT_EQ(arma::abs(l.datos().row(2)).max(), 0.0);
    // The car step's numbers, with the reference named in the channels.
    const EEG otros = correr("referencia:media-otros", e);
    EXPECT_TRUE(arma::approx_equal(otros.datos(), correr("car", e).datos(), "absdiff", 0.0));
    EXPECT_EQ((*otros.canales)[0].prefiltrado, "Ref:media-otros");
    EXPECT_EQ((*correr("referencia:Cz", e).canales)[2].prefiltrado, "Ref:Cz");
    EXPECT_TRUE(arma::approx_equal(e.datos(), copia, "absdiff", 0.0));
    EXPECT_EQ((*e.canales)[0].prefiltrado, "");
    EXPECT_EQ(e.tablaEventos->eventos[0].posicion, 1000);
}

TEST(PasosLimpieza, ReferenciaEnEpocasSeAcepta) {
    EEG e = registro();
    e.epocas = std::make_shared<Epocas>();
    const EEG r = correr("referencia:media", e);
    EXPECT_NEAR(arma::abs(arma::sum(r.datos(), 0)).max(), 0.0, 1e-12);
}

// Pz, silent, is marked flat; the others are good. Interpolating it needs
// positions, which this branch lacks: a refusal naming it. The history
// counts the channels each step added to or took from the list.
TEST(PasosLimpieza, CanalesMalosEInterpolar) {
    const EEG e = registro();
    AvisosPaso avisos;
    const Paso marcar = interpretarPaso("canales-malos", {});
    const EEG m = marcar.calcular(e, avisos, {});
    EXPECT_EQ(m.canalesMalos, std::vector<std::string>{"Pz"});
    EXPECT_TRUE(e.canalesMalos.empty());
    EXPECT_TRUE(arma::approx_equal(m.datos(), e.datos(), "absdiff", 0.0));
    EXPECT_EQ(etiquetaHistoria(marcar, e, m), "CanalesMalos(1)");
    ASSERT_FALSE(avisos.empty());
    EXPECT_EQ(avisos.back(), "canales-malos: marcados Pz (plano)");
    EXPECT_TRUE(contiene(rechazo<RechazoPaso>([&] { correr("interpolar", m); }), "\"Pz\" no tiene posición"));
    // Without bad channels, interpolar leaves the branch as it is and says so.
    avisos.clear();
    const Paso interpolar = interpretarPaso("interpolar", {});
    const EEG igual = interpolar.calcular(e, avisos, {});
    EXPECT_TRUE(arma::approx_equal(igual.datos(), e.datos(), "absdiff", 0.0));
    EXPECT_EQ(etiquetaHistoria(interpolar, e, igual), "Interpolacion(0)");
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("no tiene canales malos"), std::string::npos);
}
