// Shared by the bindings' tests: the library installed into a scratch
// prefix, the shell variables that name it, a frozen clock, and the
// emulator started in a subdirectory.
#ifndef TALVOR_TESTS_COMUM_LIGACOES_H
#define TALVOR_TESTS_COMUM_LIGACOES_H

#include <string>

#include "common/simulador.h"
#include "common/util.h"

extern const char kInicio[], kFim[];
// Prefix of a command that runs at 2025-03-31 12:00:00 UTC for the library's
// time stamps (libfaketime); the link's waits use the monotonic clock,
// which keeps running.
extern const char kInstante[];
// Installs the Python package with pip into a virtual environment venv/ (and
// copies its example here); F names the source tree.
extern const char kInstalaPython[];

// Runs a shell command and fails the test, with its output, unless it
// exits with 0.
#define EXECUTA_OK(comando)                                                          \
    do {                                                                             \
        const std::string comando_ = (comando);                                      \
        std::string saida_;                                                          \
        ASSERT_EQ(Executa(comando_ + " 2>&1", &saida_), 0) << comando_ << "\n" << saida_; \
    } while (0)

class AmbienteLigacoes : public DiretorioTemporario {
protected:
    // Installs the build into prefixo/ of the test directory.
    void Instala();
    // "export F=<source tree> L=<installed library's directory>; "
    std::string Variaveis() const;
    // Starts the emulator from that subdirectory, where its log goes.
    void IniciaEm(const char *subdiretorio, Simulador *sim);
    std::string libdir_;
};

#endif
