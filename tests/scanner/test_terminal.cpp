// The capture dialog on a terminal, driven once through a pseudo-terminal:
// a child process whose controlling terminal is the pty runs the capture
// with a fake scanner fed by the test; the test presses the keys, reads
// the screen, and finds the stored capture.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "common/backend_hid_falso.h"
#include "common/construtor_fd.h"
#include "common/util.h"
#include "platform/plataforma.h"
#include "scanner/captura.h"
#include "scanner/relatorios.h"

namespace {

// The child: a new session on the pty, a fake scanner whose reports come
// down a pipe (length, bytes), and the capture.
[[noreturn]] void Filho(const char *escravo, int tubo)
{
    setsid();
    int fd = open(escravo, O_RDWR);
    if (fd < 0 || ioctl(fd, TIOCSCTTY, 0) != 0)
        _exit(3);
    BackendFalso falso;
    size_t scanner = falso.Acrescenta(0xFF45, 0x4B00, 256, 0, 0);
    std::thread alimenta([&] {
        for (;;) {
            uint32_t n = 0;
            if (read(tubo, &n, sizeof n) != sizeof n)
                return;
            std::string r(n, '\0');
            size_t lido = 0;
            while (lido < n) {
                ssize_t k = read(tubo, &r[lido], n - lido);
                if (k <= 0)
                    return;
                lido += static_cast<size_t>(k);
            }
            falso.Envia(scanner, r);
        }
    });
    alimenta.detach();
    DefineBackendScanner(falso.Tabela());
    CapturaRZ();
    _exit(0);
}

class DialogoTerminal : public DiretorioTemporario {
protected:
    // Reads the screen until it holds texto; false when the child stops
    // writing for long (a hang, not a timing).
    bool Aguarda(const std::string &texto)
    {
        while (tela_.find(texto, visto_) == std::string::npos) {
            struct pollfd p {mestre_, POLLIN, 0};
            if (poll(&p, 1, 30000) <= 0)
                return false;
            char buf[512];
            ssize_t n = read(mestre_, buf, sizeof buf);
            if (n <= 0)
                return false;
            tela_.append(buf, static_cast<size_t>(n));
        }
        visto_ = tela_.find(texto, visto_) + texto.size();
        return true;
    }
    void Tecla(char c) { ASSERT_EQ(write(mestre_, &c, 1), 1); }
    void Relatorio(const std::string &r)
    {
        uint32_t n = static_cast<uint32_t>(r.size());
        ASSERT_EQ(write(tubo_, &n, sizeof n), static_cast<ssize_t>(sizeof n));
        ASSERT_EQ(write(tubo_, r.data(), r.size()), static_cast<ssize_t>(r.size()));
    }
    int mestre_ = -1;
    int tubo_ = -1;
    std::string tela_;
    size_t visto_ = 0;
};

TEST_F(DialogoTerminal, StartCodesSuccessAndExit)
{
    CriaDiretorio("tmp");
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string tmp = std::string(cwd) + "/tmp";
    mestre_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(mestre_, 0);
    ASSERT_EQ(grantpt(mestre_), 0);
    ASSERT_EQ(unlockpt(mestre_), 0);
    std::string escravo = ptsname(mestre_);
    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(mestre_);
        close(tubo[1]);
        setenv("TMPDIR", tmp.c_str(), 1);
        setenv("LC_ALL", "pt_BR.UTF-8", 1);
        Filho(escravo.c_str(), tubo[0]);
    }
    close(tubo[0]);
    tubo_ = tubo[1];

    ConstrutorFD f;
    f.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF");
    for (int i = 0; i < 30; ++i)
        f.LinhaImpressa("LINHA " + std::to_string(i));
    std::string dados = f.Fluxo();

    EXPECT_TRUE(Aguarda("Leitura do Bitmap RZ"));
    EXPECT_TRUE(Aguarda("[I] Iniciar Leitura"));
    EXPECT_TRUE(Aguarda("[ ] Cancelar Leitura"));
    EXPECT_TRUE(Aguarda("[F] Configurar Scanner"));
    EXPECT_TRUE(Aguarda("Status da leitura:"));
    Tecla('f');   // shown, does nothing
    Tecla('i');
    // The messages in the terminal's encoding (UTF-8 here).
    EXPECT_TRUE(Aguarda("Inicio de leitura de Bitmap.\r\nLeia o c\xC3\xB3" "digo 1.\r\n"));
    for (const std::string &r : RelatoriosDoCodigo(CodigoDados(1, dados.substr(0, 300)), 100))
        Relatorio(r);
    EXPECT_TRUE(Aguarda("Leia o c\xC3\xB3" "digo 2.\r\n"));
    for (const std::string &r : RelatoriosDoCodigo(CodigoFinal(dados.substr(300), 2)))
        Relatorio(r);
    EXPECT_TRUE(Aguarda("Leitura conclu\xC3\xAD" "da com sucesso!\r\n"));
    EXPECT_TRUE(Aguarda("[I] Iniciar Leitura"));
    Tecla('s');
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(tubo_);
    close(mestre_);
    std::vector<std::string> g = ListaDiretorio(DIR_BINARIOS);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].substr(0, 7), "TV0123_");
    EXPECT_EQ(LeArquivo(std::string(DIR_BINARIOS) + g[0]), dados);
    EXPECT_TRUE(ListaDiretorio("tmp").empty());
}

// SIGTERM or SIGHUP while the dialog is shown: the terminal is put back,
// then the host's disposition applies: the default ends the process, the
// host's own handler runs (and is in place again) and the dialog ends.
volatile sig_atomic_t sinalDoHospedeiro = 0;
void HandlerDoHospedeiro(int s) { sinalDoHospedeiro = s; }

TEST_F(DialogoTerminal, SignalRestoresTheTerminalForTheHost)
{
    struct Caso {
        int sinal;
        bool handler;
    } casos[] = {{SIGTERM, false}, {SIGHUP, true}, {SIGTERM, true}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.sinal);
        mestre_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(mestre_ >= 0 && grantpt(mestre_) == 0 && unlockpt(mestre_) == 0);
        std::string escravo = ptsname(mestre_);
        int fdEscravo = open(escravo.c_str(), O_RDWR | O_NOCTTY);
        struct termios antes {};
        ASSERT_EQ(tcgetattr(fdEscravo, &antes), 0);
        tela_.clear();
        visto_ = 0;
        // The child holds the write end of fim until it ends: the read end
        // then reports the hang-up.
        int fim[2];
        ASSERT_EQ(pipe(fim), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fim[0]);
            setsid();
            int fd = open(escravo.c_str(), O_RDWR);
            if (fd < 0 || ioctl(fd, TIOCSCTTY, 0) != 0)
                _exit(3);
            if (c.handler)
                signal(c.sinal, HandlerDoHospedeiro);
            BackendFalso falso;
            falso.Acrescenta(0xFF45, 0x4B00, 64, 0, 0);
            DefineBackendScanner(falso.Tabela());
            CapturaRZ();
            struct sigaction agora {};
            sigaction(c.sinal, nullptr, &agora);
            _exit(sinalDoHospedeiro == c.sinal && agora.sa_handler == HandlerDoHospedeiro ? 0 : 4);
        }
        close(fim[1]);
        EXPECT_TRUE(Aguarda("Status da leitura:"));
        kill(pid, c.sinal);
        // A dialog that goes on after the signal would wait for a key for
        // ever: its end is waited for within a generous bound, then it is
        // killed.
        struct pollfd p {fim[0], POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) {
            kill(pid, SIGKILL);
            ADD_FAILURE() << "the dialog did not end";
        }
        close(fim[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (c.handler) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.sinal) << status;
        }
        struct termios depois {};
        ASSERT_EQ(tcgetattr(fdEscravo, &depois), 0);
        EXPECT_EQ(depois.c_lflag, antes.c_lflag);
        EXPECT_EQ(depois.c_iflag, antes.c_iflag);
        EXPECT_EQ(depois.c_oflag, antes.c_oflag);
        close(fdEscravo);
        close(mestre_);
    }
}

TEST(SemTerminal, CaptureReturnsAtOnce)
{
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setsid();   // a new session has no controlling terminal
        BackendFalso falso;
        falso.Acrescenta(0xFF45, 0x4B00, 64, 0, 0);
        DefineBackendScanner(falso.Tabela());
        CapturaRZ();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace

#endif
