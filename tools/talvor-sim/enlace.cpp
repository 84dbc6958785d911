// The printer side of the link: host frames are cut out of the byte stream
// and checked; data frames are answered by the sequence bit (a repeated
// frame gets the stored answer again, without running its command twice);
// sync and reset frames drive the establishment; faults are injected into
// the printer's frames by rate or at given command exchanges.
#include <algorithm>
#include <cerrno>
#include <deque>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include "link/quadro.h"
#include "sim.h"

namespace {

std::vector<uint8_t> Entrada;
int64_t UltimaChegada = 0;
bool Iniciado = false;
bool PedeReinicio = false;       // every data frame gets a restart request
int UltimoBit = -1;              // sequence bit of the last data frame answered
std::vector<uint8_t> UltimoQuadro;
std::deque<Resposta> Fila;       // answers still to give to the host's polls
uint64_t Trocas = 0;

int64_t AgoraMs()
{
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool NaTroca(const Falha &f, uint64_t troca)
{
    return troca != 0 && std::find(f.trocas.begin(), f.trocas.end(), troca) != f.trocas.end();
}

bool PorTaxa(const Falha &f)
{
    return f.taxa > 0 && Aleatorio() < f.taxa;
}

std::vector<uint8_t> Quadro(uint8_t controle, const uint8_t *dados, size_t n)
{
    std::vector<uint8_t> q(n + 5);
    MontaQuadro(q.data(), controle, dados, n);
    return q;
}

void Escreve(int fd, const std::vector<uint8_t> &q)
{
    size_t feito = 0;
    while (feito < q.size()) {
        ssize_t n = write(fd, q.data() + feito, q.size() - feito);
        if (n > 0) {
            feito += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            struct pollfd p {fd, POLLOUT, 0};
            poll(&p, 1, 50);
        } else {
            return;
        }
    }
}

// Sends a printer frame, with the faults that apply to it.  troca is the
// command exchange of its first sending (0 for polls and repeats).
void Envia(int fd, const std::vector<uint8_t> &q, uint64_t troca, bool dados)
{
    if (NaTroca(Opcoes.silencio, troca) || PorTaxa(Opcoes.silencio)) {
        Registra("# falha: silencio");
        return;
    }
    if (dados && (NaTroca(Opcoes.tipo6, troca) || PorTaxa(Opcoes.tipo6))) {
        Registra("# falha: tipo 6");
        Escreve(fd, Quadro(0x0E, nullptr, 0));
        return;
    }
    if (dados && (NaTroca(Opcoes.outroBit, troca) || PorTaxa(Opcoes.outroBit))) {
        Registra("# falha: outro bit");
        std::vector<uint8_t> outro = Quadro(static_cast<uint8_t>(q[0] ^ 1), q.data() + 3, q.size() - 5);
        Escreve(fd, outro);
        return;
    }
    if (NaTroca(Opcoes.crc, troca) || PorTaxa(Opcoes.crc)) {
        Registra("# falha: crc");
        // A frame is never empty; the check keeps an empty one from being
        // written through back().
        std::vector<uint8_t> ruim = q;
        if (!ruim.empty()) ruim[ruim.size() - 1] ^= 0x5A;
        Escreve(fd, ruim);
        return;
    }
    Escreve(fd, q);
}

void Reinicia(int fd)
{
    PedeReinicio = true;
    UltimoBit = -1;
    UltimoQuadro.clear();
    Fila.clear();
    Envia(fd, Quadro(0x0D, nullptr, 0), 0, false);
}

// Returns false when the simulator must end.
bool QuadroDeDados(int fd, uint8_t bit, const uint8_t *dados, size_t n)
{
    if (n == 0)
        Registra("# sondagem %u", static_cast<unsigned>(bit));
    if (PedeReinicio) {
        Envia(fd, Quadro(0x0D, nullptr, 0), 0, false);
        return true;
    }
    if (UltimoBit == bit && !UltimoQuadro.empty()) {
        // The host did not get our answer: the same answer again.
        Envia(fd, UltimoQuadro, 0, true);
        return true;
    }
    uint64_t troca = 0;
    if (n > 0) {
        troca = ++Trocas;
        if (Opcoes.saiApos != 0 && troca > Opcoes.saiApos) {
            Registra("# encerrado depois de %llu comandos",
                     static_cast<unsigned long long>(Opcoes.saiApos));
            return false;
        }
        if (NaTroca(Opcoes.reinicio, troca) || PorTaxa(Opcoes.reinicio)) {
            Registra("# falha: pedido de reinicio");
            Reinicia(fd);
            return true;
        }
        std::vector<Resposta> respostas;
        ExecutaComandoSim(dados, n, troca, &respostas);
        Fila.assign(respostas.begin(), respostas.end());
        if (NaTroca(Opcoes.intermediaria, troca) || PorTaxa(Opcoes.intermediaria)) {
            Registra("# falha: resposta intermediaria");
            Fila.push_front(NovaResposta(0x40, ' '));
        }
        if (NaTroca(Opcoes.executando, troca) || PorTaxa(Opcoes.executando)) {
            Registra("# falha: resposta em execucao");
            Fila.push_front(NovaResposta(0x28, ' '));
        }
    }
    Resposta r;
    if (!Fila.empty()) {
        r = Fila.front();
        Fila.pop_front();
    }
    UltimoBit = bit;
    UltimoQuadro = Quadro(static_cast<uint8_t>(0x08 | bit), r.data(), r.size());
    Envia(fd, UltimoQuadro, troca, true);
    return true;
}

}  // namespace

bool NaTrocaErro(uint64_t troca)
{
    return NaTroca(Opcoes.erro, troca);
}

bool NaTrocaBlocoLongo(uint64_t troca)
{
    return NaTroca(Opcoes.blocoLongo, troca);
}

bool RecebeBytes(int fd, const uint8_t *bytes, size_t n)
{
    if (!Iniciado) {
        PedeReinicio = Opcoes.inicioReinicio;
        Iniciado = true;
    }
    // Bytes left from a frame that never completed are dropped once the line
    // has been quiet (the host purges and sends again).
    int64_t agora = AgoraMs();
    if (agora - UltimaChegada > 100)
        Entrada.clear();
    UltimaChegada = agora;
    Entrada.insert(Entrada.end(), bytes, bytes + n);
    size_t i = 0;
    bool continua = true;
    while (continua && i < Entrada.size()) {
        uint8_t c = Entrada[i];
        if (c != 0x00 && c != 0x01 && c != 0x04 && c != 0x07) {
            ++i;
            continue;
        }
        if (Entrada.size() - i < 5)
            break;
        size_t m = (static_cast<size_t>(Entrada[i + 1]) << 8) | Entrada[i + 2];
        if (m > 255 || ((c == 0x04 || c == 0x07) && m != 0)) {
            ++i;
            continue;
        }
        if (Entrada.size() - i < m + 5)
            break;
        uint16_t crc = LinkCrc(&Entrada[i], m + 3);
        if (Entrada[i + m + 3] != (crc >> 8) || Entrada[i + m + 4] != (crc & 0xFF)) {
            Registra("# quadro do host com verificacao errada");
            ++i;
            continue;
        }
        const uint8_t *dados = &Entrada[i + 3];
        if (c == 0x07) {
            Registra("# reset");
            PedeReinicio = true;
            UltimoBit = -1;
            UltimoQuadro.clear();
            Fila.clear();
        } else if (c == 0x04) {
            Registra("# sync");
            PedeReinicio = false;
            UltimoBit = -1;
            UltimoQuadro.clear();
            Fila.clear();
            for (unsigned k = 0; k < Opcoes.ocupado; ++k)
                Fila.push_back(NovaResposta(0x04, 'C'));
            Envia(fd, Quadro(0x0E, nullptr, 0), 0, false);
        } else {
            continua = QuadroDeDados(fd, c, dados, m);
        }
        i += m + 5;
    }
    Entrada.erase(Entrada.begin(), Entrada.begin() + static_cast<std::ptrdiff_t>(std::min(i, Entrada.size())));
    return continua;
}
