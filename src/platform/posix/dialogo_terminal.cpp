// The capture dialog on POSIX: shown on the controlling terminal
// (/dev/tty) in raw mode.  Keys stand for the dialog's buttons: I
// "Iniciar Leitura", C "Cancelar Leitura", F "Configurar Scanner" (shown,
// does nothing), S, Q or Escape "Sair".  The log's messages are written as
// they come, converted from code page 1252 to UTF-8 when the terminal's
// locale is UTF-8.  Keys and the scanner's notifications reach the
// handler one at a time under one lock, so a notification returns only
// once it has been handled.
//
// While the dialog is shown, SIGTERM and SIGHUP (unless the host ignores
// them) put the terminal back as it was, put the host's own dispositions
// back and raise the signal again, so that what the host asked for
// happens; if the process lives on, the dialog ends as when closed.
#include "platform/dialogo_captura.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct DialogoTerminal {
    std::mutex trava;
    int fd = -1;
    bool ativo = false;
    bool encerrar = false;
    bool utf8 = false;
    bool habilitado[5] = {true, false, true, false, true};   // 1000 to 1004
    TrataMensagemDialogo trata = nullptr;
};

DialogoTerminal d;

// What the signal handler needs, set before it is installed.
const int kSinais[2] = {SIGTERM, SIGHUP};
struct sigaction anteriores[2];
volatile sig_atomic_t instalado[2] = {0, 0};
volatile sig_atomic_t fdRestaura = -1;
struct termios terminalAntes;
int tuboSinal[2] = {-1, -1};

void DevolveSinais()
{
    for (int i = 0; i < 2; ++i) {
        if (instalado[i]) {
            sigaction(kSinais[i], &anteriores[i], nullptr);
            instalado[i] = 0;
        }
    }
}

// Only async-signal-safe calls here.
void AoSinal(int sinal)
{
    int erro = errno;
    if (fdRestaura >= 0)
        tcsetattr(fdRestaura, TCSANOW, &terminalAntes);
    DevolveSinais();
    char um = 1;
    if (write(tuboSinal[1], &um, 1) < 0) {
        // The dialog then ends at its next key; the signal is what matters.
    }
    // Blocked while this handler runs: delivered on its return, under the
    // host's disposition.
    raise(sinal);
    errno = erro;
}

// 0, or 1 when the pipe that wakes the dialog cannot be made.
int InstalaSinais(int fd, const struct termios &antes)
{
    if (pipe(tuboSinal) != 0)
        return 1;
    for (int k : tuboSinal)
        fcntl(k, F_SETFD, FD_CLOEXEC);
    fcntl(tuboSinal[1], F_SETFL, O_NONBLOCK);
    terminalAntes = antes;
    fdRestaura = fd;
    struct sigaction nosso {};
    nosso.sa_handler = AoSinal;
    sigemptyset(&nosso.sa_mask);
    for (int s : kSinais)
        sigaddset(&nosso.sa_mask, s);
    for (int i = 0; i < 2; ++i) {
        struct sigaction atual {};
        if (sigaction(kSinais[i], nullptr, &atual) != 0 || atual.sa_handler == SIG_IGN)
            continue;
        anteriores[i] = atual;
        instalado[i] = 1;
        if (sigaction(kSinais[i], &nosso, nullptr) != 0)
            instalado[i] = 0;
    }
    return 0;
}

void RetiraSinais()
{
    DevolveSinais();
    fdRestaura = -1;
    for (int &k : tuboSinal) {
        if (k >= 0)
            close(k);
        k = -1;
    }
}

// The next key, or -1 when the terminal went away or a signal ended the
// dialog.
int LeTecla(int fd)
{
    for (;;) {
        struct pollfd p[2] = {{fd, POLLIN, 0}, {tuboSinal[0], POLLIN, 0}};
        int r = poll(p, 2, -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || p[1].revents != 0)
            return -1;
        unsigned char tecla = 0;
        ssize_t n = read(fd, &tecla, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n == 1 ? tecla : -1;
    }
}

// Code page 1252 bytes 0x80 to 0x9F as Unicode (0 where undefined).
const uint16_t kCp1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

void Escreve(const char *s, size_t n)
{
    size_t feito = 0;
    while (feito < n) {
        ssize_t k = write(d.fd, s + feito, n - feito);
        if (k < 0 && errno == EINTR)
            continue;
        if (k <= 0)
            return;
        feito += static_cast<size_t>(k);
    }
}

void Escreve(const char *s)
{
    Escreve(s, std::strlen(s));
}

// Writes a message in the terminal's encoding.
void EscreveNaCodificacao(const char *texto)
{
    char buf[512];
    size_t n = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(texto); *p; ++p) {
        if (n + 3 > sizeof buf) {
            Escreve(buf, n);
            n = 0;
        }
        unsigned c = *p;
        if (c < 0x80 || !d.utf8) {
            buf[n++] = static_cast<char>(c);
            continue;
        }
        unsigned u = c >= 0xA0 ? c : kCp1252[c - 0x80];
        if (u == 0)
            u = 0xFFFD;
        if (u < 0x800) {
            buf[n++] = static_cast<char>(0xC0 | (u >> 6));
            buf[n++] = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            buf[n++] = static_cast<char>(0xE0 | (u >> 12));
            buf[n++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    Escreve(buf, n);
}

bool LocaleUtf8()
{
    for (const char *nome : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *v = std::getenv(nome);
        if (v == nullptr || v[0] == '\0')
            continue;
        char minusculo[128];
        size_t i = 0;
        for (; v[i] != '\0' && i + 1 < sizeof minusculo; ++i)
            minusculo[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
        minusculo[i] = '\0';
        return std::strstr(minusculo, "utf-8") != nullptr || std::strstr(minusculo, "utf8") != nullptr;
    }
    return false;
}

void Botao(char *linha, size_t capacidade, unsigned controle, char tecla, const char *texto)
{
    size_t n = std::strlen(linha);
    if (d.habilitado[controle - CONTROLE_CONFIGURAR])
        std::snprintf(linha + n, capacidade - n, "[%c] %s   ", tecla, texto);
    else
        std::snprintf(linha + n, capacidade - n, "[ ] %s   ", texto);
}

void MostraBotoes()
{
    char linha[160] = "";
    Botao(linha, sizeof linha, CONTROLE_INICIAR, 'I', "Iniciar Leitura");
    Botao(linha, sizeof linha, CONTROLE_CANCELAR, 'C', "Cancelar Leitura");
    Botao(linha, sizeof linha, CONTROLE_CONFIGURAR, 'F', "Configurar Scanner");
    size_t n = std::strlen(linha);
    std::snprintf(linha + n, sizeof linha - n, "[S] Sair\r\n");
    Escreve(linha);
}

}  // namespace

int ExecutaDialogoCaptura(TrataMensagemDialogo trata)
{
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    struct termios antes {};
    if (tcgetattr(fd, &antes) != 0) {
        close(fd);
        return 1;
    }
    struct termios cru = antes;
    cru.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
    cru.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
    // The messages carry their own "\r\n".
    cru.c_oflag &= static_cast<tcflag_t>(~OPOST);
    cru.c_cc[VMIN] = 1;
    cru.c_cc[VTIME] = 0;
    if (InstalaSinais(fd, antes) != 0) {
        close(fd);
        return 1;
    }
    tcsetattr(fd, TCSANOW, &cru);
    {
        std::lock_guard<std::mutex> t(d.trava);
        d.fd = fd;
        d.utf8 = LocaleUtf8();
        d.encerrar = false;
        d.trata = trata;
        d.habilitado[CONTROLE_INICIAR - CONTROLE_CONFIGURAR] = true;
        d.habilitado[CONTROLE_CANCELAR - CONTROLE_CONFIGURAR] = false;
        Escreve("\r\n== Leitura do Bitmap RZ ==\r\n");
        MostraBotoes();
        Escreve("Status da leitura:\r\n");
        d.ativo = true;
    }
    for (;;) {
        int tecla = LeTecla(fd);
        std::lock_guard<std::mutex> t(d.trava);
        unsigned comando = 0;
        if (tecla < 0) {
            comando = COMANDO_FECHAR;   // the terminal went away, or a signal
        } else {
            switch (std::toupper(tecla)) {
            case 'I': comando = CONTROLE_INICIAR; break;
            case 'C': comando = CONTROLE_CANCELAR; break;
            case 'F': comando = CONTROLE_CONFIGURAR; break;
            case 'S': comando = CONTROLE_SAIR; break;
            case 'Q': case 0x1B: case 0x03: case 0x04: comando = COMANDO_FECHAR; break;
            default: break;
            }
        }
        // A disabled button does not answer.
        if (comando >= CONTROLE_CONFIGURAR && comando <= CONTROLE_SAIR &&
            !d.habilitado[comando - CONTROLE_CONFIGURAR])
            comando = 0;
        if (comando != 0)
            trata(MSG_COMANDO, comando);
        if (d.encerrar || tecla < 0)
            break;
    }
    {
        std::lock_guard<std::mutex> t(d.trava);
        trata(MSG_DESTRUIDO, 0);
        d.ativo = false;
        tcsetattr(fd, TCSANOW, &antes);
        RetiraSinais();
        close(fd);
        d.fd = -1;
    }
    return 0;
}

void NotificaDialogoCaptura(unsigned mensagem)
{
    std::lock_guard<std::mutex> t(d.trava);
    if (d.ativo && d.trata != nullptr)
        d.trata(mensagem, 0);
}

void AcrescentaRegistroDialogo(const char *texto)
{
    if (d.fd >= 0)
        EscreveNaCodificacao(texto);
}

void SubstituiRegistroDialogo(const char *texto)
{
    if (d.fd < 0)
        return;
    Escreve("----------------------------------------\r\nStatus da leitura:\r\n");
    EscreveNaCodificacao(texto);
}

void HabilitaControleDialogo(unsigned controle, bool habilitado)
{
    if (controle < CONTROLE_CONFIGURAR || controle > CONTROLE_SAIR)
        return;
    bool &h = d.habilitado[controle - CONTROLE_CONFIGURAR];
    if (h == habilitado)
        return;
    h = habilitado;
    if (d.fd >= 0)
        MostraBotoes();
}

void EncerraDialogo()
{
    d.encerrar = true;
}
