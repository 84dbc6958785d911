// The start-up handshake: the printer sends a 32-bit challenge and the host
// answers with a value computed with three constants shared with the
// printer's firmware.
#include "interface/conexao.h"

#include "link/comando.h"
#include "link/handshake.h"

int IniciaConexao()
{
    uint8_t resposta[TAMANHO_RESPOSTA];
    uint32_t comprimento = 0;
    const uint8_t pedido[8] = {0x1B, 0x66, 0xBB, 0x00, 0x00, 0x00, 0x00, 0x00};
    if (!ComandoConcluido(pedido, sizeof pedido, resposta, &comprimento) ||
        comprimento < RESPOSTA_DADOS + 4)
        return 3;
    uint32_t desafio = (static_cast<uint32_t>(resposta[15]) << 24) |
                       (static_cast<uint32_t>(resposta[16]) << 16) |
                       (static_cast<uint32_t>(resposta[17]) << 8) | resposta[18];
    uint32_t valor = RespostaDesafio(desafio);
    const uint8_t resposta_cmd[8] = {0x1B, 0x66, 0xBB, 0x01,
                                     static_cast<uint8_t>(valor >> 24),
                                     static_cast<uint8_t>(valor >> 16),
                                     static_cast<uint8_t>(valor >> 8),
                                     static_cast<uint8_t>(valor)};
    if (!ComandoConcluido(resposta_cmd, sizeof resposta_cmd, resposta, &comprimento))
        return 3;
    return 0;
}
