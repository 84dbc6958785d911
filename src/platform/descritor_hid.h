// Reading a HID report descriptor as the system does: every top-level
// collection is a function of the device (a keyboard and a vendor function
// can share one descriptor).  For the collection sought it gives the
// longest input, output and feature report in bytes, report identifier
// byte included (as the Windows HID library reports them), and for the
// whole device which kinds of report carry an identifier.  A descriptor
// the system's parser would refuse (cut short, unbalanced collections,
// global stack misuse, report identifier 0) matches nothing.  Portable;
// used by the backends that get the raw descriptor from the system.
#ifndef TALVOR_PLATFORM_DESCRITOR_HID_H
#define TALVOR_PLATFORM_DESCRITOR_HID_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/hid_backend.h"

// 0 when a top-level collection has this usage page and usage (*info
// filled, its caminho left alone); 1 when none has, or the descriptor is
// malformed.
inline int AnalisaDescritorHid(const uint8_t *d, size_t n, uint16_t paginaProcurada,
                               uint16_t usoProcurado, InfoDispositivoHid *info)
{
    constexpr int PILHA = 4;            // the system's global item stack
    constexpr uint32_t MAXIMO_BITS = 0xFFFFFF;
    uint32_t bits[3][256];   // input, output, feature bits per report id
    std::memset(bits, 0, sizeof bits);
    struct Globais {
        uint32_t pagina, tamanho, contagem, id;
    } g {0, 0, 0, 0}, pilha[PILHA];
    int topo = 0;
    uint32_t uso = 0, profundidade = 0;
    bool temUso = false, achou = false, dentro = false;
    uint8_t numerados = 0;
    size_t i = 0;
    while (i < n) {
        uint8_t p = d[i];
        if (p == 0xFE) {   // long item: data size, tag, data
            if (i + 3 > n || i + 3 + d[i + 1] > n)
                return 1;
            i += 3 + d[i + 1];
            continue;
        }
        size_t tam = (p & 3) == 3 ? 4 : (p & 3);
        if (i + 1 + tam > n)
            return 1;
        uint32_t v = 0;
        for (size_t k = 0; k < tam; ++k)
            v |= static_cast<uint32_t>(d[i + 1 + k]) << (8 * k);
        unsigned tipo = (p >> 2) & 3;
        unsigned tag = p >> 4;
        i += 1 + tam;
        if (tipo == 0) {   // main items
            int quem = tag == 8 ? 0 : tag == 9 ? 1 : tag == 0xB ? 2 : -1;
            if (quem >= 0) {
                if (g.id != 0)
                    numerados |= static_cast<uint8_t>(1u << quem);
                if (dentro) {
                    uint64_t soma = static_cast<uint64_t>(bits[quem][g.id]) +
                                    static_cast<uint64_t>(g.tamanho) * g.contagem;
                    bits[quem][g.id] = soma > MAXIMO_BITS ? MAXIMO_BITS : static_cast<uint32_t>(soma);
                }
            } else if (tag == 0xA) {   // Collection
                if (profundidade == 0) {
                    // A 4-byte usage carries its own page in its high half.
                    uint32_t pagina = temUso && uso > 0xFFFF ? uso >> 16 : g.pagina;
                    dentro = !achou && pagina == paginaProcurada && (uso & 0xFFFF) == usoProcurado;
                    achou = achou || dentro;
                }
                ++profundidade;
            } else if (tag == 0xC) {   // End Collection
                if (profundidade == 0)
                    return 1;
                if (--profundidade == 0)
                    dentro = false;
            }
            temUso = false;
            uso = 0;
        } else if (tipo == 1) {   // global items
            switch (tag) {
            case 0: g.pagina = v; break;
            case 7: g.tamanho = v; break;
            case 8:
                if (v == 0 || v > 255)
                    return 1;
                g.id = v;
                break;
            case 9: g.contagem = v; break;
            case 0xA:
                if (topo == PILHA)
                    return 1;
                pilha[topo++] = g;
                break;
            case 0xB:
                if (topo == 0)
                    return 1;
                g = pilha[--topo];
                break;
            default: break;
            }
        } else if (tipo == 2 && tag == 0 && !temUso) {   // the first Usage
            uso = tam == 4 ? v : v & 0xFFFF;
            temUso = true;
        }
    }
    if (!achou || profundidade != 0)
        return 1;
    info->pagina = paginaProcurada;
    info->uso = usoProcurado;
    info->numerados = numerados;
    uint32_t *destino[3] = {&info->entrada, &info->saida, &info->recurso};
    for (int t = 0; t < 3; ++t) {
        uint32_t maior = 0;
        for (int r = 0; r < 256; ++r)
            if (bits[t][r] > maior)
                maior = bits[t][r];
        *destino[t] = maior > 0 ? (maior + 7) / 8 + 1 : 0;
    }
    return 0;
}

#endif
