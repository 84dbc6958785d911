// Running talvor-sim from the tests (POSIX only).
#include "common/simulador.h"

#if !defined(_WIN32)

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "common/util.h"

bool Simulador::IniciaPrograma(const std::string &programa, const std::vector<std::string> &opcoes)
{
    Para();
    char atual[4096];
    if (getcwd(atual, sizeof atual) == nullptr)
        return false;
    registro_ = std::string(atual) + "/sim-" + std::to_string(getpid()) + ".log";
    std::vector<std::string> args = {programa, "--registro", registro_};
    args.insert(args.end(), opcoes.begin(), opcoes.end());
    int tubo[2];
    if (pipe(tubo) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(tubo[1], 1);
        close(tubo[0]);
        close(tubo[1]);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(tubo[1]);
    pid_ = pid;
    // The first line of its output is the terminal to open.
    std::string linha;
    char c;
    for (;;) {
        struct pollfd p {tubo[0], POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0)
            break;
        ssize_t n = read(tubo[0], &c, 1);
        if (n <= 0 || c == '\n')
            break;
        linha += c;
    }
    close(tubo[0]);
    if (linha.empty()) {
        Para();
        return false;
    }
    caminho_ = linha;
    DefineVariavel("TALVOR_COM1", caminho_.c_str());
    return true;
}

void Simulador::Para()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

std::string Simulador::Registro() const
{
    return LeArquivo(registro_);
}

std::vector<std::string> Simulador::Comandos() const
{
    std::vector<std::string> linhas;
    std::string texto = Registro();
    size_t i = 0;
    while (i < texto.size()) {
        size_t f = texto.find('\n', i);
        if (f == std::string::npos)
            f = texto.size();
        std::string l = texto.substr(i, f - i);
        if (!l.empty() && l[0] != '#')
            linhas.push_back(l);
        i = f + 1;
    }
    return linhas;
}

bool TerminalTeste::Abre()
{
    mestre = posix_openpt(O_RDWR | O_NOCTTY);
    if (mestre < 0 || grantpt(mestre) != 0 || unlockpt(mestre) != 0)
        return false;
    const char *nome = ptsname(mestre);
    if (nome == nullptr)
        return false;
    caminho = nome;
    DefineVariavel("TALVOR_COM1", nome);
    return true;
}

void TerminalTeste::Fecha()
{
    if (mestre >= 0)
        close(mestre);
    mestre = -1;
}

std::string HexComando(const std::string &bytes)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            s += ' ';
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

#endif
