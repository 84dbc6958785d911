// Test helper: runs the printer emulator talvor-sim (POSIX only) on a new
// pseudo-terminal, points TALVOR_COM1 at it, and stops it at the end.
#ifndef TALVOR_TESTS_SIMULADOR_H
#define TALVOR_TESTS_SIMULADOR_H

#if !defined(_WIN32)

#include <string>
#include <vector>

class Simulador {
public:
    ~Simulador() { Para(); }
    // Starts the emulator with these options (plus --registro to a log in
    // the working directory); sets TALVOR_COM1 to its terminal.
    bool Inicia(const std::vector<std::string> &opcoes)
    {
#ifdef TALVOR_SIM_PATH
        return IniciaPrograma(TALVOR_SIM_PATH, opcoes);
#else
        return IniciaPrograma("talvor-sim", opcoes);
#endif
    }
    bool IniciaPrograma(const std::string &programa, const std::vector<std::string> &opcoes);
    // Stops it (SIGTERM, then waits).
    void Para();
    // Command lines of the log, without the "#" notes.
    std::vector<std::string> Comandos() const;
    // The whole log.
    std::string Registro() const;
    const std::string &Caminho() const { return caminho_; }

private:
    int pid_ = -1;
    std::string caminho_;
    std::string registro_;
};

// A pseudo-terminal whose master side the test plays itself; the terminal
// side is published as TALVOR_COM1.
struct TerminalTeste {
    int mestre = -1;
    std::string caminho;
    bool Abre();
    void Fecha();
    ~TerminalTeste() { Fecha(); }
};

// Hex text of bytes as the emulator logs commands ("1B 66 14 00").
std::string HexComando(const std::string &bytes);

#endif
#endif
