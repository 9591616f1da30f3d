#pragma once
// Runs the built ondelar-cli as a user would: a process with arguments, its
// exit code, standard output and standard error.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <armadillo>

struct ResultadoCLI {
    int codigo = -1;
    QByteArray salida;
    QByteArray errores;

    QList<QByteArray> lineasError() const {
        QList<QByteArray> l = errores.split('\n');
        while (!l.isEmpty() && l.back().isEmpty()) l.pop_back();
        return l;
    }
};

inline ResultadoCLI ejecutarCLI(const QStringList& argumentos, const QString& carpeta = QString()) {
    QProcess p;
    p.setProgram(QStringLiteral(ONDELAR_CLI));
    p.setArguments(argumentos);
    if (!carpeta.isEmpty()) p.setWorkingDirectory(carpeta);
    p.start();
    ResultadoCLI r;
    if (!p.waitForStarted(60000)) return r;
    p.closeWriteChannel();
    if (!p.waitForFinished(900000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.codigo = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.salida = p.readAllStandardOutput();
    r.errores = p.readAllStandardError();
    return r;
}

inline QString datoMuestra(const char* nombre) { return QStringLiteral(ONDELAR_RAIZ "/../shared/data/") + nombre; }

inline arma::mat leerBin(const QString& ruta) {
    arma::mat m;
    if (!m.load(ruta.toStdString(), arma::arma_binary)) m.reset();
    return m;
}
