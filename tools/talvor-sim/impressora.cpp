// The printer's commands as the simulator plays them: status, handshake,
// identification, memory reads from the fiscal-memory and firmware images,
// the detail-tape file commands, and the print commands (logged).
#include <cstring>
#include <fstream>
#include <iterator>

#include "amostra_sim.h"
#include "link/handshake.h"
#include "sim.h"

namespace {

std::vector<uint8_t> MemoriaFiscal;
std::vector<uint8_t> SoftwareBasico;
uint32_t Desafio = 0;

bool CarregaImagem(const std::string &caminho, size_t tamanho, uint32_t semente,
                   std::vector<uint8_t> *m)
{
    m->assign(tamanho, 0xFF);
    if (caminho.empty()) {
        // A generated image: every block differs from its neighbours.
        uint32_t x = semente;
        for (size_t i = 0; i < tamanho; ++i) {
            x = x * 1103515245u + 12345u;
            (*m)[i] = static_cast<uint8_t>(x >> 16);
        }
        return true;
    }
    std::ifstream f(caminho, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "talvor-sim: imagem não pode ser lida: %s\n", caminho.c_str());
        return false;
    }
    f.read(reinterpret_cast<char *>(m->data()), static_cast<std::streamsize>(tamanho));
    return true;
}

std::string Hex(const uint8_t *p, size_t n)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0)
            s += ' ';
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

bool Hexadecimal(const uint8_t *p, size_t n, uint32_t *v)
{
    *v = 0;
    for (size_t i = 0; i < n; ++i) {
        uint8_t c = p[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        *v = (*v << 4) | d;
    }
    return true;
}

uint32_t Be32(const uint8_t *p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

Resposta LeituraMemoria(const uint8_t *c, size_t n)
{
    const std::vector<uint8_t> &m = c[3] == 0x11 ? MemoriaFiscal : SoftwareBasico;
    uint32_t primeiro, ultimo;
    if (n != 14 || !Hexadecimal(c + 4, 5, &primeiro) || !Hexadecimal(c + 9, 5, &ultimo) ||
        primeiro % 128 != 0 || ultimo != primeiro + 127 || ultimo >= m.size())
        return NovaResposta(0x08, 'E');
    Resposta r = NovaResposta(0x08, 'C', 128);
    std::memcpy(r.data() + 15, m.data() + primeiro, 128);
    return r;
}

}  // namespace

Resposta NovaResposta(uint8_t indicadores, char conclusao, size_t dados)
{
    Resposta r(15 + dados, 0);
    std::memcpy(r.data(), "TALVOR", 6);
    r[8] = indicadores;
    r[13] = static_cast<uint8_t>(conclusao);
    return r;
}

bool CarregaMemorias()
{
    if (Opcoes.imagemMF.empty() && Opcoes.imagemSB.empty() && Opcoes.diretorioFita.empty()) {
        AmostraSim a;
        GeraAmostraSim(&a);
        MemoriaFiscal.swap(a.mf);
        SoftwareBasico.swap(a.sb);
        return CarregaFitaAmostra(a);
    }
    // Each image not given is generated: every block differs from its
    // neighbours.
    return CarregaImagem(Opcoes.imagemMF, 1048576, 0x4D46u, &MemoriaFiscal) &&
           CarregaImagem(Opcoes.imagemSB, 524288, 0x5342u, &SoftwareBasico) &&
           CarregaFita(Opcoes.diretorioFita);
}

void ExecutaComandoSim(const uint8_t *c, size_t n, uint64_t troca, std::vector<Resposta> *rs)
{
    Registra("%s", Hex(c, n).c_str());
    auto final = [&](Resposta r) {
        if (r[13] == 'C' && (NaTrocaErro(troca) || (Opcoes.erro.taxa > 0 && Aleatorio() < Opcoes.erro.taxa))) {
            Registra("# falha: conclusao E");
            r[13] = 'E';
        }
        rs->push_back(r);
    };
    if (n < 4 || c[0] != 0x1B || c[1] != 0x66) {
        final(NovaResposta(0x08, 'E'));
        return;
    }
    const uint8_t codigo = c[2], sub = c[3];
    if (codigo == 0xFC && sub == 0x00) {
        // Status request: busy, then ready after the configured busy answers;
        // with --sem-status the first requests get answers without flags.
        static unsigned pedidos = 0;
        if (++pedidos <= Opcoes.semStatus) {
            rs->push_back(NovaResposta(0x04, 'C'));
            Registra("# status sem indicadores");
            return;
        }
        rs->push_back(NovaResposta(0x04, 'C'));
        for (unsigned k = 0; k < Opcoes.ocupado; ++k)
            rs->push_back(NovaResposta(0x04, 'C'));
        rs->push_back(NovaResposta(0x08, 'C'));
    } else if (codigo == 0xBB && sub == 0x00 && n == 8) {
        Desafio = static_cast<uint32_t>(Aleatorio() * 4294967296.0);
        Resposta r = NovaResposta(0x08, 'C', 4);
        r[15] = static_cast<uint8_t>(Desafio >> 24);
        r[16] = static_cast<uint8_t>(Desafio >> 16);
        r[17] = static_cast<uint8_t>(Desafio >> 8);
        r[18] = static_cast<uint8_t>(Desafio);
        final(r);
    } else if (codigo == 0xBB && sub == 0x01 && n == 8) {
        uint32_t v = RespostaDesafioComChaves(Desafio, Opcoes.chave1, Opcoes.chave2, Opcoes.chave3);
        bool ok = Be32(c + 4) == v;
        Registra("# autenticacao %s", ok ? "aceita" : "recusada");
        final(NovaResposta(0x08, ok ? 'C' : 'E'));
    } else if (codigo == 0xDB && sub == 0x0A) {
        Resposta r = NovaResposta(0x08, 'C', 67);
        std::memset(r.data() + 15, ' ', 47);
        std::memcpy(r.data() + 62, Opcoes.identificacao.data(), 20);
        final(r);
    } else if (codigo == 0xFF && (sub == 0x11 || sub == 0x12)) {
        final(LeituraMemoria(c, n));
    } else if ((codigo == 0x14 && sub == 0x00) || codigo == 0x15 || codigo == 0xCF) {
        Registra("# impressao");
        final(NovaResposta(0x08, 'C'));
    } else if (codigo == 0x65 && (sub == 0x00 || sub == 0x01) && n == 17) {
        static size_t proximo = 0;
        if (sub == 0x00)
            proximo = 0;
        Resposta r = NovaResposta(0x08, 'C', 59);
        if (EntradaListagem(proximo, &r))
            ++proximo;
        else
            r.resize(16), r[15] = 1;
        final(r);
    } else if (codigo == 0x60 && sub == 0x00 && n == 16) {
        final(NovaResposta(0x08, AbreArquivoFita(c + 4) ? 'C' : 'E'));
    } else if (codigo == 0x61 && sub == 0x00) {
        FechaArquivoFita();
        final(NovaResposta(0x08, 'C'));
    } else if ((codigo == 0x62 || codigo == 0x6A) && sub == 0x00 && n == 8) {
        std::vector<uint8_t> dados;
        if (!BlocoFita(codigo == 0x6A, Be32(c + 4), &dados)) {
            final(NovaResposta(0x08, 'E'));
            return;
        }
        if (NaTrocaBlocoLongo(troca) ||
            (Opcoes.blocoLongo.taxa > 0 && Aleatorio() < Opcoes.blocoLongo.taxa)) {
            Registra("# falha: bloco longo");
            dados.resize(200, 0x75);
        }
        Resposta r = NovaResposta(0x08, 'C', 2 + dados.size());
        r[15] = static_cast<uint8_t>(dados.size() >> 8);
        r[16] = static_cast<uint8_t>(dados.size());
        if (!dados.empty())
            std::memcpy(r.data() + 17, dados.data(), dados.size());
        final(r);
    } else {
        final(NovaResposta(0x08, 'E'));
    }
}
