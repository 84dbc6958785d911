// Test compressor of scanner captures (see compressor.h).
#include "compressor_captura.h"

#include <algorithm>
#include <queue>
#include <vector>

void EscritorBits::Poe(uint32_t valor, unsigned bits)
{
    for (unsigned b = bits; b-- > 0;) {
        acumulado_ = (acumulado_ << 1) | ((valor >> b) & 1u);
        if (++n_ == 8) {
            bytes_.push_back(static_cast<char>(acumulado_ & 0xFF));
            acumulado_ = 0;
            n_ = 0;
        }
    }
}

std::string EscritorBits::Termina()
{
    if (n_ > 0)
        Poe(0, 8 - n_);
    return bytes_;
}

void CodigosCanonicos(const uint8_t *comprimentos, unsigned n, uint32_t *codigos)
{
    unsigned contagem[32] = {};
    for (unsigned s = 0; s < n; ++s)
        if (comprimentos[s] > 0)
            ++contagem[comprimentos[s]];
    uint32_t proximo[32] = {};
    uint32_t c = 0;
    for (unsigned l = 1; l < 32; ++l) {
        c = (c + contagem[l - 1]) << 1;
        proximo[l] = c;
    }
    for (unsigned s = 0; s < n; ++s)
        codigos[s] = comprimentos[s] > 0 ? proximo[comprimentos[s]]++ : 0;
}

namespace {

// Slot tables, row by row: first slot, last slot, extra bits, base of the
// first slot of the row and the step between slots of the row.
struct LinhaSlot {
    unsigned primeiro, ultimo, extra, base;
};
const LinhaSlot kSlotsPequena[] = {
    {0, 1, 1, 0}, {2, 2, 2, 4}, {3, 5, 3, 8}, {6, 11, 4, 32},
    {12, 23, 5, 128}, {24, 47, 6, 512}, {48, 63, 7, 2048},
};
const LinhaSlot kSlotsGrande[] = {
    {0, 1, 1, 0}, {2, 2, 2, 4}, {3, 5, 3, 8}, {6, 11, 4, 32}, {12, 15, 5, 128},
    {16, 19, 6, 256}, {20, 31, 7, 512}, {32, 39, 8, 2048}, {40, 63, 9, 4096},
};

// Huffman code lengths of the symbols with non-zero frequency, at most 23.
void Comprimentos(std::vector<uint64_t> freq, uint8_t *comprimentos)
{
    const unsigned n = static_cast<unsigned>(freq.size());
    for (;;) {
        std::fill(comprimentos, comprimentos + n, 0);
        std::vector<unsigned> usados;
        for (unsigned s = 0; s < n; ++s)
            if (freq[s] > 0)
                usados.push_back(s);
        if (usados.empty())
            return;
        if (usados.size() == 1) {
            comprimentos[usados[0]] = 1;
            return;
        }
        // Nodes: leaves first, then internal ones; pai gives the depth.
        std::vector<int> pai(2 * usados.size(), -1);
        using Item = std::pair<uint64_t, unsigned>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> fila;
        for (unsigned i = 0; i < usados.size(); ++i)
            fila.push({freq[usados[i]], i});
        unsigned proximo = static_cast<unsigned>(usados.size());
        while (fila.size() > 1) {
            Item a = fila.top();
            fila.pop();
            Item b = fila.top();
            fila.pop();
            pai[a.second] = static_cast<int>(proximo);
            pai[b.second] = static_cast<int>(proximo);
            fila.push({a.first + b.first, proximo++});
        }
        unsigned maior = 0;
        for (unsigned i = 0; i < usados.size(); ++i) {
            unsigned p = 0;
            for (int k = static_cast<int>(i); pai[static_cast<unsigned>(k)] >= 0; k = pai[static_cast<unsigned>(k)])
                ++p;
            comprimentos[usados[i]] = static_cast<uint8_t>(std::min(p, 255u));
            maior = std::max(maior, p);
        }
        if (maior <= 23)
            return;
        for (unsigned s = 0; s < n; ++s)
            if (freq[s] > 0)
                freq[s] = (freq[s] + 1) / 2;
    }
}

struct Gerador {
    uint32_t s;
    uint32_t Proximo()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

// Writes one tree's code lengths with the 5-bit items.
void EscreveComprimentos(EscritorBits &w, const uint8_t *c, unsigned n, Gerador &g,
                         UsoCompressor *uso)
{
    int anterior = -1;
    unsigned i = 0;
    auto item = [&](unsigned v) {
        w.Poe(v, 5);
        if (uso != nullptr)
            uso->itens.insert(v);
    };
    while (i < n) {
        unsigned run = 1;
        while (i + run < n && c[i + run] == c[i])
            ++run;
        bool simples = g.Proximo() % 5 == 0;   // sometimes no run item
        if (c[i] == 0 && run >= 2 && !simples) {
            if (run >= 15) {
                unsigned r = std::min(run, 142u);
                item(31);
                w.Poe(r - 15, 7);
                i += r;
            } else if (run >= 7) {
                unsigned r = std::min(run, 14u);
                item(30);
                w.Poe(r - 7, 3);
                i += r;
            } else {
                item(run + 22);
                i += run;
            }
            continue;
        }
        if (c[i] != 0 && static_cast<int>(c[i]) == anterior && run >= 2 && !simples) {
            unsigned r = std::min(run, 5u);
            item(29);
            w.Poe(r - 2, 2);
            i += r;
            continue;
        }
        item(c[i]);
        anterior = c[i];
        ++i;
    }
}

struct Simbolo {
    uint16_t simbolo;
    uint32_t d;   // distance value for matches
};

}  // namespace

void SlotDe(unsigned d, bool pequena, unsigned *slot, unsigned *extra, unsigned *x)
{
    const LinhaSlot *t = pequena ? kSlotsPequena : kSlotsGrande;
    unsigned linhas = pequena ? 7 : 9;
    for (unsigned i = 0; i < linhas; ++i) {
        unsigned passo = 1u << t[i].extra;
        unsigned fim = t[i].base + (t[i].ultimo - t[i].primeiro + 1) * passo;
        if (d < fim) {
            *slot = t[i].primeiro + (d - t[i].base) / passo;
            *extra = t[i].extra;
            *x = (d - t[i].base) % passo;
            return;
        }
    }
    *slot = 0;
    *extra = 0;
    *x = 0;
}

std::string Comprime(const std::string &dados, const OpcoesCompressor &o, UsoCompressor *uso)
{
    const bool pequena = o.pequena;
    const unsigned maxRecuo = pequena ? 4096 : 16384;   // d + 1
    const size_t n = dados.size();
    const uint8_t *p = reinterpret_cast<const uint8_t *>(dados.data());

    // Hash chains over 3-byte prefixes, and the last place of each pair.
    std::vector<int32_t> cabeca(1 << 16, -1);
    std::vector<int32_t> anterior(n, -1);
    std::vector<int32_t> ultimoPar(1 << 16, -1);
    auto hash3 = [&](size_t i) {
        return ((p[i] << 8) ^ (p[i + 1] << 4) ^ (p[i + 2] * 2654435761u >> 8)) & 0xFFFF;
    };
    auto insere = [&](size_t i) {
        if (i + 2 < n) {
            unsigned h = hash3(i);
            anterior[i] = cabeca[h];
            cabeca[h] = static_cast<int32_t>(i);
        }
        if (i + 1 < n)
            ultimoPar[(p[i] << 8) | p[i + 1]] = static_cast<int32_t>(i);
    };

    std::vector<Simbolo> sims;
    size_t i = 0;
    while (i < n) {
        unsigned melhor = 0;
        size_t origem = 0;
        if (!o.semCasamentos && i + 2 < n) {
            unsigned tentativas = o.cadeia;
            for (int32_t c = cabeca[hash3(i)]; c >= 0 && tentativas-- > 0; c = anterior[static_cast<size_t>(c)]) {
                size_t j = static_cast<size_t>(c);
                if (i - j > maxRecuo)
                    break;
                unsigned l = 0;
                while (l < 256 && i + l < n && p[j + l] == p[i + l])
                    ++l;
                if (l > melhor) {
                    melhor = l;
                    origem = j;
                    if (l == 256)
                        break;
                }
            }
        }
        if (melhor >= 3) {
            sims.push_back({static_cast<uint16_t>(melhor + 255), static_cast<uint32_t>(i - origem - 1)});
            if (uso != nullptr && i - origem < melhor)
                uso->sobreposicao = true;
            for (unsigned k = 0; k < melhor; ++k)
                insere(i + k);
            i += melhor;
            continue;
        }
        if (!o.semCasamentos && i + 1 < n) {
            int32_t par = ultimoPar[(p[i] << 8) | p[i + 1]];
            if (pequena && par >= 0 && i - static_cast<size_t>(par) <= maxRecuo) {
                sims.push_back({257, static_cast<uint32_t>(i - static_cast<size_t>(par) - 1)});
                insere(i);
                insere(i + 1);
                i += 2;
                continue;
            }
            if (!pequena && p[i] == 0 && p[i + 1] == 0) {
                sims.push_back({257, 0});
                insere(i);
                insere(i + 1);
                i += 2;
                continue;
            }
        }
        sims.push_back({p[i], 0});
        insere(i);
        ++i;
    }
    sims.push_back({256, 0});

    std::vector<uint64_t> freqL(512, 0), freqD(64, 0);
    for (const Simbolo &s : sims) {
        ++freqL[s.simbolo];
        bool casamento = s.simbolo > 257 || (s.simbolo == 257 && pequena);
        if (casamento) {
            unsigned slot, extra, x;
            SlotDe(s.d, pequena, &slot, &extra, &x);
            ++freqD[slot];
        }
    }
    uint8_t compL[512], compD[64];
    Comprimentos(freqL, compL);
    Comprimentos(freqD, compD);
    uint32_t codL[512], codD[64];
    CodigosCanonicos(compL, 512, codL);
    CodigosCanonicos(compD, 64, codD);

    Gerador g {o.semente * 2654435761u + 1};
    EscritorBits w;
    EscreveComprimentos(w, compL, 512, g, uso);
    EscreveComprimentos(w, compD, 64, g, uso);
    for (const Simbolo &s : sims) {
        w.Poe(codL[s.simbolo], compL[s.simbolo]);
        bool casamento = s.simbolo > 257 || (s.simbolo == 257 && pequena);
        if (!casamento)
            continue;
        unsigned slot, extra, x;
        SlotDe(s.d, pequena, &slot, &extra, &x);
        w.Poe(codD[slot], compD[slot]);
        w.Poe(x, extra);
        if (uso != nullptr) {
            uso->slots.insert(slot);
            uso->comprimentos.insert(s.simbolo - 255u);
            uso->maiorDistancia = std::max(uso->maiorDistancia, s.d);
        }
    }
    std::string saida;
    saida += "\xDB\x99\x04";
    saida.push_back(pequena ? '\xF5' : '\xF6');
    saida += w.Termina();
    saida.append(2, '\0');
    return saida;
}
