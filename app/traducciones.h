#pragma once
// Qt's own texts (standard buttons, file dialogs) in Spanish, from the
// translations the system installs beside Qt (Debian: qttranslations5-l10n).

class QCoreApplication;

// Installs qtbase_es from Qt's translations folder into the application.
// False, and nothing installed, when the file is missing: Qt's English texts
// then stay, which is all that is lost.
bool instalarTraduccionesQt(QCoreApplication& aplicacion);
