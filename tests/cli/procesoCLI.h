#pragma once
// Runs the built ondelar-cli as a user would: a process with arguments, its
// exit code, standard output and standard error.

#include <QDebug>
#include <QDir>
#include <QProcess>
#include <QStringList>

#include <armadillo>

struct ResultadoCLI {
    int codigo = -1;
    QByteArray salida, errores;

    QList<QByteArray> lineasError() const {
        QList<QByteArray> l = errores.split('\n');
        while (!l.isEmpty() && l.back().isEmpty()) l.pop_back();
        return l;
    }
};

inline ResultadoCLI ejecutarCLI(const QStringList& argumentos, const QString& carpeta = QString()) {
    QProcess p;
    p.setWorkingDirectory(carpeta);
    p.start(QStringLiteral(ONDELAR_CLI), argumentos);
    ResultadoCLI r;
    p.closeWriteChannel();
    const bool terminado = p.waitForFinished(900000);
    if (!terminado) p.kill(), p.waitForFinished();
    r.codigo = terminado && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.salida = p.readAllStandardOutput();
    r.errores = p.readAllStandardError();
    return r;
}

// A matrix, or an epoched branch's cube (channels x W x E) as its epochs side by side.
inline arma::mat leerBin(const QString& ruta) {
    arma::mat m;
    if (m.load(ruta.toStdString(), arma::arma_binary)) return m;
    arma::cube c;
    if (!c.load(ruta.toStdString(), arma::arma_binary)) return arma::mat();
    return arma::reshape(arma::mat(c.memptr(), c.n_rows, c.n_cols * c.n_slices), c.n_rows, c.n_cols * c.n_slices);
}

// `run REGISTRO [--step P]... EXTRA --out SALIDA` in `carpeta`; a .bin result is read back.
inline arma::mat correrCLI(const QString& carpeta, const QString& registro, const QStringList& pasos,
                           const QStringList& extra = {}, const QString& salida = "r.bin") {
    QStringList a = {"run", registro};
    for (const QString& p : pasos) a << "--step" << p;
    const ResultadoCLI r = ejecutarCLI(a + extra + QStringList{"--out", salida}, carpeta);
    if (r.codigo != 0) qWarning() << r.errores;
    return r.codigo == 0 && salida.endsWith(".bin") ? leerBin(QDir(carpeta).filePath(salida)) : arma::mat();
}

inline bool iguales(const arma::mat& a, const arma::mat& b, double tolerancia = 0.0) {
    return arma::size(a) == arma::size(b) && !a.is_empty() && arma::approx_equal(a, b, "absdiff", tolerancia);
}
