// Reading a HID report descriptor: the usage page and usage of the first
// top-level collection, and the longest input, output and feature report
// in bytes, report identifier byte included (as the Windows HID library
// reports them).  Portable; used by the backends that get the raw
// descriptor from the system.
#ifndef TALVOR_PLATFORM_DESCRITOR_HID_H
#define TALVOR_PLATFORM_DESCRITOR_HID_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/hid_backend.h"

// 0 read; 1 the descriptor has no top-level collection or is cut short.
inline int AnalisaDescritorHid(const uint8_t *d, size_t n, InfoDispositivoHid *info)
{
    uint32_t bits[3][256];   // input, output, feature bits per report id
    std::memset(bits, 0, sizeof bits);
    uint32_t pagina = 0, tamanho = 0, contagem = 0, id = 0, uso = 0;
    bool temUso = false, achou = false;
    int profundidade = 0;
    // Global items saved by Push (a few levels are enough in practice).
    uint32_t pilha[8][4];
    int topo = 0;
    size_t i = 0;
    while (i < n) {
        uint8_t p = d[i];
        if (p == 0xFE) {   // long item: size, tag, data
            if (i + 1 >= n)
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
        if (tipo == 0) {
            int quem = tag == 8 ? 0 : tag == 9 ? 1 : tag == 0xB ? 2 : -1;
            if (quem >= 0) {
                uint64_t soma = static_cast<uint64_t>(bits[quem][id & 0xFF]) +
                                static_cast<uint64_t>(tamanho) * contagem;
                bits[quem][id & 0xFF] = soma > 0xFFFFFFu ? 0xFFFFFFu : static_cast<uint32_t>(soma);
            } else if (tag == 0xA) {
                if (profundidade == 0 && !achou) {
                    achou = true;
                    info->pagina = static_cast<uint16_t>(temUso && uso > 0xFFFF ? uso >> 16 : pagina);
                    info->uso = static_cast<uint16_t>(uso & 0xFFFF);
                }
                ++profundidade;
            } else if (tag == 0xC && profundidade > 0) {
                --profundidade;
            }
            temUso = false;
            uso = 0;
        } else if (tipo == 1) {
            switch (tag) {
            case 0: pagina = v; break;
            case 7: tamanho = v; break;
            case 8: id = v; break;
            case 9: contagem = v; break;
            case 0xA:
                if (topo < 8) {
                    pilha[topo][0] = pagina; pilha[topo][1] = tamanho;
                    pilha[topo][2] = id; pilha[topo][3] = contagem;
                    ++topo;
                }
                break;
            case 0xB:
                if (topo > 0) {
                    --topo;
                    pagina = pilha[topo][0]; tamanho = pilha[topo][1];
                    id = pilha[topo][2]; contagem = pilha[topo][3];
                }
                break;
            default: break;
            }
        } else if (tipo == 2 && tag == 0 && !temUso) {
            // A 4-byte usage carries its own page in the high half.
            uso = tam == 4 ? v : v & 0xFFFF;
            temUso = true;
        }
        i += 1 + tam;
    }
    if (!achou)
        return 1;
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
