// Mara::procesar() with the ICA lives apart from the rest of the pipeline, so
// a program that hands its own decomposition to procesar(W, S) links
// without the ICA.
#include "mara/Mara.h"
#include "mara/descomponerICA.h"

EEG Mara::procesar() {
    comprobarEntrada();
    arma::mat Xc = *datos;
    Xc.each_col() -= arma::mean(Xc, 1);
    arma::mat W, S;
    const Avance avanceICA = avance.tramo(0.0, fraccionICA, "ICA");
    avanceICA(0.0);
    icaAlRango(Xc, W, S, 0.001, semilla, avanceICA);
    avanceICA(1.0);
    return procesar(W, S);
}
