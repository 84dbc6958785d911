// Building host frames and reading printer frames from the serial port.
#include "link/quadro.h"

#include <cstring>

#include "platform/porta_serial.h"

uint8_t QuadroRecebido[TAMANHO_QUADRO];

size_t MontaQuadro(uint8_t *destino, uint8_t controle, const uint8_t *dados, size_t comprimento)
{
    destino[0] = controle;
    destino[1] = static_cast<uint8_t>(comprimento >> 8);
    destino[2] = static_cast<uint8_t>(comprimento);
    if (comprimento > 0)
        std::memcpy(destino + 3, dados, comprimento);
    uint16_t crc = LinkCrc(destino, comprimento + 3);
    destino[3 + comprimento] = static_cast<uint8_t>(crc >> 8);
    destino[4 + comprimento] = static_cast<uint8_t>(crc);
    return comprimento + 5;
}

bool ControleImpressoraValido(uint8_t controle)
{
    if ((controle & 0xF8) != 0x08)
        return false;
    uint8_t tipo = controle & 0x07;
    return tipo == TIPO_DADOS_0 || tipo == TIPO_DADOS_1 || tipo == TIPO_REINICIO ||
           tipo == TIPO_ACK_SYNC;
}

static bool ConfereCrc(uint32_t n)
{
    uint16_t crc = LinkCrc(QuadroRecebido, n + 3);
    return QuadroRecebido[n + 3] == static_cast<uint8_t>(crc >> 8) &&
           QuadroRecebido[n + 4] == static_cast<uint8_t>(crc);
}

int FrameRead()
{
    // First the header and the first two bytes after it: 50 ms between
    // bytes, 10 ms per byte plus 150 ms in all.
    if (PortaSerialDefineLimites(50, 10, 150) != 0)
        return QUADRO_LIMITES;
    size_t lidos = 0;
    if (PortaSerialLe(QuadroRecebido, 5, &lidos) != 0)
        return QUADRO_LEITURA;
    if (lidos < 5)
        return QUADRO_TEMPO;
    uint32_t n = ComprimentoRecebido();
    if (!ControleImpressoraValido(QuadroRecebido[0]))
        return QUADRO_CONTROLE;
    if (n == 0)
        return ConfereCrc(0) ? QUADRO_OK : QUADRO_CRC;
    if (n > DADOS_QUADRO_IMPRESSORA)
        return QUADRO_COMPRIMENTO;
    // The rest: n - 2 data bytes and the two check bytes.
    if (PortaSerialDefineLimites(50, 10, 50) != 0)
        return QUADRO_LIMITES;
    if (PortaSerialLe(QuadroRecebido + 5, n, &lidos) != 0)
        return QUADRO_LEITURA;
    if (lidos < n)
        return QUADRO_TEMPO;
    return ConfereCrc(n) ? QUADRO_OK : QUADRO_CRC;
}
