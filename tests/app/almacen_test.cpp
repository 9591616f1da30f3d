#include <gtest/gtest.h>

#include "app/almacenEEG.h"

namespace {

// A small recording with every field set, two channels (one with a
// location) and an event table of two kinds.
EEG registroCompleto() {
    EEG e(256, 2, 5);
    e.sujeto = "sujeto";
    e.identificacionRegistro = "001-02";
    e.fechaRegistro = "2026120614030000";
    e.idEquipo = 7;
    e.idLaboratorio = 8;
    e.idTecnico = 9;
    e.reservado = std::string("res\0erv", 7);
    e.historia = " CAR";
    e.tiempoInicio = 0.25;
    (*e.canales)[0].etiqueta = "Fz";
    (*e.canales)[0].localizacion = std::array<double, 3>{80.8, 26.1, -4.0};
    (*e.canales)[1].etiqueta = "Cz";
    (*e.canales)[1].unidad = "uV.";
    e.matrices[0] = arma::reshape(arma::regspace(1.0, 10.0), 2, 5);
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = 1;
    e.tablaEventos->numeroEventos = 2;
    e.tablaEventos->eventos.resize(2);
    fijarEvento(*e.tablaEventos, Evento{768, 1, 1}, 0);
    fijarEvento(*e.tablaEventos, Evento{769, 3, 1}, 1);
    return e;
}

}  // namespace

TEST(CopiaProfunda, CambiarTodoEnLaCopiaNoTocaLaFuente) {
    const EEG fuente = registroCompleto();
    const EEG referencia = registroCompleto();  // same content, never shared
    auto copia = clonarEEG(fuente);
    const int rojoOriginal = fuente.tablaEventos->eventos[0].rojo;

    EXPECT_NE(copia->canales.get(), fuente.canales.get());
    EXPECT_NE(copia->tablaEventos.get(), fuente.tablaEventos.get());
    EXPECT_TRUE(arma::approx_equal(copia->datos(), fuente.datos(), "absdiff", 0.0));

    copia->sujeto = "x";
    copia->identificacionRegistro = "x";
    copia->fechaRegistro = "x";
    copia->reservado = "x";
    copia->historia += " ASR";
    copia->idEquipo = copia->idLaboratorio = copia->idTecnico = 0;
    copia->tiempoInicio = 9.0;
    copia->matrices[0].fill(-1.0);
    (*copia->canales)[0].etiqueta = "Pz";
    (*(*copia->canales)[0].localizacion)[0] = 0.0;
    (*copia->canales)[1].localizacion = std::array<double, 3>{1, 2, 3};
    copia->tablaEventos->eventos[0].rojo = 1000;
    copia->tablaEventos->tipos[1].posicion = 1000;
    copia->tablaEventos->eventos.push_back(Evento{});

    EXPECT_EQ(fuente.sujeto, referencia.sujeto);
    EXPECT_EQ(fuente.identificacionRegistro, referencia.identificacionRegistro);
    EXPECT_EQ(fuente.reservado, referencia.reservado);
    EXPECT_EQ(fuente.historia, " CAR");
    EXPECT_EQ(fuente.idEquipo, 7u);
    EXPECT_DOUBLE_EQ(fuente.tiempoInicio, 0.25);
    EXPECT_TRUE(arma::approx_equal(fuente.datos(), referencia.datos(), "absdiff", 0.0));
    EXPECT_EQ((*fuente.canales)[0].etiqueta, "Fz");
    ASSERT_TRUE((*fuente.canales)[0].localizacion.has_value());
    EXPECT_DOUBLE_EQ((*(*fuente.canales)[0].localizacion)[0], 80.8);
    EXPECT_FALSE((*fuente.canales)[1].localizacion.has_value());
    EXPECT_EQ(fuente.tablaEventos->eventos.size(), 2u);
    EXPECT_EQ(fuente.tablaEventos->eventos[0].rojo, rojoOriginal);
    EXPECT_EQ(fuente.tablaEventos->tipos[1].posicion, 3);
}

TEST(CopiaProfunda, CopiaCamposYColores) {
    const EEG fuente = registroCompleto();
    auto copia = clonarEEG(fuente);
    EXPECT_EQ(copia->sujeto, "sujeto");
    EXPECT_EQ(copia->reservado.size(), 7u);
    EXPECT_EQ(copia->numeroMuestras, 5);
    EXPECT_EQ(copia->frecuenciaMuestreo, 256);
    EXPECT_EQ(copia->numeroCanales, 2u);
    EXPECT_EQ(copia->numeroMatrices, 1);
    EXPECT_EQ((*copia->canales)[1].unidad, "uV.");
    ASSERT_TRUE(copia->tablaEventos);
    EXPECT_EQ(copia->tablaEventos->modo, 1);
    EXPECT_EQ(copia->tablaEventos->numeroTipos, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(copia->tablaEventos->eventos[i].rojo, fuente.tablaEventos->eventos[i].rojo);
        EXPECT_EQ(copia->tablaEventos->eventos[i].verde, fuente.tablaEventos->eventos[i].verde);
        EXPECT_EQ(copia->tablaEventos->eventos[i].azul, fuente.tablaEventos->eventos[i].azul);
    }
}

TEST(CopiaProfunda, ElBloqueCopiadoLoFijanLosContadores) {
    EEG fuente = registroCompleto();
    fuente.matrices[0] = arma::mat(3, 8, arma::fill::ones);  // wider and taller than 2 x 5
    auto copia = clonarEEG(fuente);
    EXPECT_EQ(copia->datos().n_rows, 2u);
    EXPECT_EQ(copia->datos().n_cols, 5u);

    fuente.matrices[0] = arma::mat(2, 4, arma::fill::ones);  // narrower than the count says
    EXPECT_THROW(clonarEEG(fuente), std::length_error);
    fuente.matrices[0] = arma::mat(1, 5, arma::fill::ones);
    EXPECT_THROW(clonarEEG(fuente), std::length_error);
}

TEST(CopiaProfunda, RegistroVacioDaRegistroVacio) {
    auto copia = clonarEEG(EEG());
    EXPECT_EQ(copia->numeroCanales, 0u);
    EXPECT_TRUE(copia->matrices.empty());
    EXPECT_FALSE(copia->tablaEventos);
}

TEST(Almacen, EtiquetarRamaAnadeBlancoYEtiqueta) {
    EEG e;
    etiquetarRama(e, "CAR");
    etiquetarRama(e, "Promediado");
    EXPECT_EQ(e.historia, " CAR Promediado");
}

TEST(Almacen, RamasYDescripciones) {
    AlmacenEEG a;
    EXPECT_FALSE(a.nombraRama(0, 0));
    EXPECT_THROW(a.rama(0, 0), std::out_of_range);
    EXPECT_THROW(a.anadirRama(0, clonarEEG(EEG())), std::out_of_range);

    a.anadirArchivo(clonarEEG(registroCompleto()));
    auto car = clonarEEG(a.rama(0, 0));
    etiquetarRama(*car, "Promediado");
    a.anadirRama(0, std::move(car));
    EXPECT_EQ(a.numeroRamas(0), 2);
    EXPECT_EQ(a.descripcion(0, 1), "eeg 1-2 CAR Promediado");
    EXPECT_EQ(a.numeroRamas(5), 0);

    a.borrarRama(0, 1);
    EXPECT_EQ(a.numeroRamas(0), 1);
    a.borrarRama(0, 0);  // branch 1 removes the whole recording
    EXPECT_EQ(a.numeroArchivos(), 0);
}
