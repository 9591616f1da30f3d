#include <gtest/gtest.h>

#include "app/almacenEEG.h"

TEST(Almacen, EtiquetarRamaAnadeBlancoYEtiqueta) {
    EEG e;
    etiquetarRama(e, "CAR");
    etiquetarRama(e, "Promediado");
    EXPECT_EQ(e.historia, " CAR Promediado");
}
