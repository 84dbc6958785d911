// The serial port on POSIX systems: raw termios 8N1 without flow control,
// opened exclusively (TIOCEXCL and flock), DTR cleared, reads bounded with
// poll in milliseconds, purge with tcflush, DSR from TIOCMGET.  The device
// of "COM<n>" is looked up at each open: TALVOR_COM<n>, else /dev/ttyS<n-1>.
// Every call that a signal can interrupt is retried, with its time limit
// recomputed on the monotonic clock.  In the child of a fork the port is
// the parent's: the child's copy of the descriptor is dropped without a
// word to the device (DTR and the exclusive mode stay as the parent set
// them).
#include "platform/porta_serial.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/plataforma.h"

namespace {

int descritor = -1;
unsigned limiteIntervalo = 0;
unsigned limitePorByte = 0;
unsigned limiteConstante = 0;

speed_t Velocidade(uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;   // 28800 has no termios constant
    }
}

int64_t AgoraMs()
{
    return static_cast<int64_t>(RelogioMonotonicoMs());
}

void EsqueceNoFilho()
{
    if (descritor >= 0)
        close(descritor);   // not the last reference: the device is untouched
    descritor = -1;
}

pthread_once_t ganchoFilho = PTHREAD_ONCE_INIT;
void InstalaGanchoFilho()
{
    (void)pthread_atfork(nullptr, nullptr, EsqueceNoFilho);
}

void LimpaDTR(int fd)
{
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, TIOCMBIC, &dtr);   // devices without modem lines refuse it
}

}  // namespace

int PortaSerialAbre(unsigned numero, uint32_t baud)
{
    char variavel[32];
    std::snprintf(variavel, sizeof variavel, "TALVOR_COM%u", numero);
    char caminho[64];
    const char *dispositivo = std::getenv(variavel);
    if (dispositivo == nullptr || dispositivo[0] == '\0') {
        std::snprintf(caminho, sizeof caminho, "/dev/ttyS%u", numero - 1);
        dispositivo = caminho;
    }
    (void)pthread_once(&ganchoFilho, InstalaGanchoFilho);
    int fd;
    do {
        fd = open(dispositivo, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return PORTA_NAO_ABRE;
    // The port is not shared: another process holding it (or opening it
    // after us) is refused.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        close(fd);
        return PORTA_NAO_ABRE;
    }
    struct termios t {};
    speed_t v = Velocidade(baud);
    if (tcgetattr(fd, &t) != 0 || v == B0) {
        close(fd);
        return PORTA_CONFIGURACAO;
    }
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, v) != 0 || cfsetospeed(&t, v) != 0 || tcsetattr(fd, TCSANOW, &t) != 0) {
        close(fd);
        return PORTA_CONFIGURACAO;
    }
    LimpaDTR(fd);
    descritor = fd;
    return PORTA_ABERTA;
}

bool PortaSerialAberta()
{
    return descritor >= 0;
}

void PortaSerialFecha()
{
    if (descritor < 0)
        return;
    LimpaDTR(descritor);
    // The exclusive mode belongs to the device, not to this descriptor: it
    // is lifted so that the port can be opened again (by us or another).
    (void)ioctl(descritor, TIOCNXCL);
    close(descritor);   // also releases the lock
    descritor = -1;
}

void PortaSerialEscreve(const uint8_t *bytes, size_t quantidade)
{
    if (descritor < 0)
        return;
    // Synchronous: the frame has left the host when this returns, so a purge
    // that follows cannot discard it.  A full queue is waited for (bounded).
    size_t feito = 0;
    int64_t limite = AgoraMs() + 2000;
    while (feito < quantidade) {
        ssize_t n = write(descritor, bytes + feito, quantidade - feito);
        if (n > 0) {
            feito += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            int64_t resta = limite - AgoraMs();
            if (resta <= 0)
                break;
            struct pollfd p {descritor, POLLOUT, 0};
            int r = poll(&p, 1, static_cast<int>(resta));
            if ((r > 0 && (p.revents & POLLOUT) != 0) || (r < 0 && errno == EINTR))
                continue;
        }
        break;
    }
    while (tcdrain(descritor) != 0 && errno == EINTR) {
    }
}

void PortaSerialPurga()
{
    // Every write has drained before it returned, so nothing of ours is
    // pending on output; only the input is discarded.  (On a
    // pseudo-terminal an output flush would drop bytes the other side has
    // not read yet, the reset frame among them.)
    if (descritor >= 0)
        (void)tcflush(descritor, TCIFLUSH);
}

int PortaSerialDefineLimites(unsigned intervalo, unsigned porByte, unsigned constante)
{
    if (descritor < 0)
        return 1;
    limiteIntervalo = intervalo;
    limitePorByte = porByte;
    limiteConstante = constante;
    return 0;
}

int PortaSerialLe(uint8_t *destino, size_t quantidade, size_t *lidos)
{
    *lidos = 0;
    if (descritor < 0)
        return 1;
    // As the Windows read time-outs: the total limit runs from the call;
    // once a byte arrived, a gap longer than the interval since the last
    // one ends the read.
    int64_t fim = AgoraMs() + static_cast<int64_t>(limitePorByte) * static_cast<int64_t>(quantidade) +
                  limiteConstante;
    int64_t ultimo = 0;   // when the last byte arrived
    while (*lidos < quantidade) {
        int64_t prazo = fim;
        if (*lidos > 0 && limiteIntervalo > 0 && ultimo + limiteIntervalo < prazo)
            prazo = ultimo + limiteIntervalo;
        int64_t agora = AgoraMs();
        if (agora >= prazo)
            return 0;
        struct pollfd p {descritor, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(prazo - agora));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return 1;
        if (r == 0)
            continue;   // the limits are looked at again
        if ((p.revents & POLLIN) == 0)
            return 1;   // hung up or failed with nothing to read
        ssize_t n = read(descritor, destino + *lidos, quantidade - *lidos);
        if (n > 0) {
            *lidos += static_cast<size_t>(n);
            ultimo = AgoraMs();
        } else if (n == 0) {
            return 1;   // end of file: the device went away
        } else if (errno != EINTR && errno != EAGAIN) {
            return 1;
        }
    }
    return 0;
}

bool PortaSerialDSR()
{
    if (descritor < 0)
        return false;
    int linhas = 0;
    if (ioctl(descritor, TIOCMGET, &linhas) != 0)
        return false;
    return (linhas & TIOCM_DSR) != 0;
}

void FechaRecursosAoDescarregar()
{
    PortaSerialFecha();
}
