// The challenge-response computation shared by the host and the printer.
#ifndef TALVOR_LINK_HANDSHAKE_H
#define TALVOR_LINK_HANDSHAKE_H

#include <cstdint>

constexpr uint32_t CHAVE_HANDSHAKE_1 = 0x5A17C3E9u;
constexpr uint32_t CHAVE_HANDSHAKE_2 = 0x0019660Du;
constexpr uint32_t CHAVE_HANDSHAKE_3 = 0xB4D2A871u;

// ((challenge XOR key1) * key2 mod 2^32) XOR key3, or 1 when that is 0.
inline uint32_t RespostaDesafioComChaves(uint32_t desafio, uint32_t k1, uint32_t k2, uint32_t k3)
{
    uint32_t v = ((desafio ^ k1) * k2) ^ k3;
    return v != 0 ? v : 1;
}

inline uint32_t RespostaDesafio(uint32_t desafio)
{
    return RespostaDesafioComChaves(desafio, CHAVE_HANDSHAKE_1, CHAVE_HANDSHAKE_2, CHAVE_HANDSHAKE_3);
}

#endif
