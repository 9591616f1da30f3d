#pragma once
// The runner's "espectro" order: loads a recording, applies steps as "run"
// does and writes the Welch spectrum of the last branch (and, on request,
// its band powers) as CSV.

// Help text of the order, printed after the runner's general help.
extern const char* const AYUDA_ESPECTRO;

// argv[1] is "espectro". Returns the exit code: 0 done, 2 a usage error
// (found before anything is read), 1 any other failure; a failure's last
// line on standard error is "ondelar-cli: error: ...".
int ordenEspectro(int argc, char** argv);
