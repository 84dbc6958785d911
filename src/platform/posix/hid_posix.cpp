// The HID backend on Linux: hidraw devices (/dev/hidraw*).  The usage of
// the top-level collection and the report lengths come from the report
// descriptor (HIDIOCGRDESC); feature reports from HIDIOCGFEATURE.  The
// reader thread waits with poll on two eventfds (stop, read request) and,
// while a read is outstanding, on the device itself.
#include "platform/hid_backend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/hidraw.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#endif

#include "platform/descritor_hid.h"
#include "platform/plataforma.h"

struct SistemaHid {
    int parar;
    int pedido;
    int fd;
    bool lendo;
    uint8_t *buffer;
    uint32_t n;
};

namespace {

#if defined(__linux__)

bool Desconexao(int e)
{
    return e == ENODEV || e == EIO || e == EPIPE || e == ESHUTDOWN || e == ENXIO;
}

SistemaHid *AbreHid()
{
    SistemaHid *s = new SistemaHid {};
    s->fd = -1;
    s->parar = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    s->pedido = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (s->parar < 0 || s->pedido < 0) {
        if (s->parar >= 0)
            close(s->parar);
        if (s->pedido >= 0)
            close(s->pedido);
        delete s;
        return nullptr;
    }
    return s;
}

void FechaDispositivoHid(SistemaHid *s)
{
    if (s->fd >= 0)
        close(s->fd);
    s->fd = -1;
    s->lendo = false;
}

void LiberaHid(SistemaHid *s)
{
    FechaDispositivoHid(s);
    close(s->parar);
    close(s->pedido);
    delete s;
}

int ProcuraHid(SistemaHid *s, uint16_t pagina, uint16_t uso, InfoDispositivoHid *info)
{
    FechaDispositivoHid(s);
    // hidraw minors are numbered from 0 (the kernel allows up to 64 of them
    // by default; a few more are tried).
    for (unsigned numero = 0; numero < 256; ++numero) {
        char caminho[32];
        std::snprintf(caminho, sizeof caminho, "/dev/hidraw%u", numero);
        int fd = open(caminho, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        int tamanho = 0;
        struct hidraw_report_descriptor rd {};
        InfoDispositivoHid lido {};
        if (ioctl(fd, HIDIOCGRDESCSIZE, &tamanho) == 0 && tamanho > 0 &&
            tamanho <= HID_MAX_DESCRIPTOR_SIZE) {
            rd.size = static_cast<uint32_t>(tamanho);
            if (ioctl(fd, HIDIOCGRDESC, &rd) == 0 &&
                AnalisaDescritorHid(rd.value, rd.size, &lido) == 0 && lido.pagina == pagina &&
                lido.uso == uso) {
                s->fd = fd;
                s->lendo = false;
                *info = lido;
                return 0;
            }
        }
        close(fd);
    }
    return 18;
}

void SinalizaHid(SistemaHid *s, EventoHid e)
{
    uint64_t um = 1;
    int fd = e == HID_EVENTO_PARAR ? s->parar : s->pedido;
    while (write(fd, &um, sizeof um) < 0 && errno == EINTR) {
    }
}

bool Consome(int fd)
{
    uint64_t v = 0;
    return read(fd, &v, sizeof v) == static_cast<ssize_t>(sizeof v);
}

EventoHid EsperaHid(SistemaHid *s, uint32_t ms)
{
    struct pollfd p[3] = {};
    p[0].fd = s->parar;
    p[0].events = POLLIN;
    p[1].fd = s->pedido;
    p[1].events = POLLIN;
    p[2].fd = s->lendo ? s->fd : -1;
    p[2].events = POLLIN;
    int r = poll(p, 3, ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms));
    if (r < 0)
        return HID_EVENTO_FALHA;
    if (r == 0)
        return HID_EVENTO_TEMPO;
    if ((p[0].revents & POLLIN) && Consome(s->parar))
        return HID_EVENTO_PARAR;
    if ((p[1].revents & POLLIN) && Consome(s->pedido))
        return HID_EVENTO_PEDIDO;
    if (p[2].revents != 0)
        return HID_EVENTO_LEITURA;
    return HID_EVENTO_FALHA;
}

LeituraHid Le(SistemaHid *s, uint32_t *lidos)
{
    ssize_t r = read(s->fd, s->buffer, s->n);
    if (r >= 0) {
        s->lendo = false;
        *lidos = static_cast<uint32_t>(r);
        return HID_LIDO;
    }
    if (errno == EAGAIN || errno == EINTR) {
        s->lendo = true;
        return HID_PENDENTE;
    }
    s->lendo = false;
    return Desconexao(errno) ? HID_DESCONECTADO : HID_FALHOU;
}

LeituraHid IniciaLeituraHid(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *lidos)
{
    *lidos = 0;
    if (s->fd < 0)
        return HID_DESCONECTADO;
    s->buffer = buffer;
    s->n = n;
    return Le(s, lidos);
}

LeituraHid ConcluiLeituraHid(SistemaHid *s, uint32_t *lidos)
{
    *lidos = 0;
    if (s->fd < 0 || !s->lendo)
        return HID_FALHOU;
    return Le(s, lidos);
}

int EscreveHid(SistemaHid *s, const uint8_t *rel, uint32_t n, uint32_t limiteMs, bool *desconectado)
{
    *desconectado = false;
    if (s->fd < 0)
        return 4;
    struct pollfd p {};
    p.fd = s->fd;
    p.events = POLLOUT;
    int r = poll(&p, 1, static_cast<int>(limiteMs));
    if (r <= 0)
        return 22;
    ssize_t w = write(s->fd, rel, n);
    if (w == static_cast<ssize_t>(n))
        return 0;
    if (w < 0 && errno == EAGAIN)
        return 22;
    if (w < 0 && Desconexao(errno))
        *desconectado = true;
    return 4;
}

int LeRecursoHid(SistemaHid *s, uint8_t *buffer, uint32_t n)
{
    if (s->fd < 0 || n == 0)
        return 1;
    return ioctl(s->fd, HIDIOCGFEATURE(n), buffer) >= 0 ? 0 : 1;
}

const BackendHid kBackend = {
    AbreHid, LiberaHid, ProcuraHid, FechaDispositivoHid, SinalizaHid, EsperaHid,
    IniciaLeituraHid, ConcluiLeituraHid, EscreveHid, LeRecursoHid, RelogioUtcMs,
};

#else

// Other POSIX systems have no hidraw: no HID support.
SistemaHid *AbreHid() { return nullptr; }
void LiberaHid(SistemaHid *) {}
int ProcuraHid(SistemaHid *, uint16_t, uint16_t, InfoDispositivoHid *) { return 18; }
void FechaDispositivoHid(SistemaHid *) {}
void SinalizaHid(SistemaHid *, EventoHid) {}
EventoHid EsperaHid(SistemaHid *, uint32_t) { return HID_EVENTO_FALHA; }
LeituraHid IniciaLeituraHid(SistemaHid *, uint8_t *, uint32_t, uint32_t *) { return HID_FALHOU; }
LeituraHid ConcluiLeituraHid(SistemaHid *, uint32_t *) { return HID_FALHOU; }
int EscreveHid(SistemaHid *, const uint8_t *, uint32_t, uint32_t, bool *) { return 4; }
int LeRecursoHid(SistemaHid *, uint8_t *, uint32_t) { return 1; }
const BackendHid kBackend = {
    AbreHid, LiberaHid, ProcuraHid, FechaDispositivoHid, SinalizaHid, EsperaHid,
    IniciaLeituraHid, ConcluiLeituraHid, EscreveHid, LeRecursoHid, RelogioUtcMs,
};

#endif

}  // namespace

const BackendHid *BackendHidSistema()
{
    return &kBackend;
}
