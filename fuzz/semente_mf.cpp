// Writes the seed corpus of the fiscal-memory fuzz target: images composed
// by the test builder (header, lists, reductions with totals, damaged
// records and a damaged primary copy), each cut into the patches the target
// lays over an erased image, behind the options and range texts.
#include <cstdio>
#include <string>

#include "common/construtor_mf.h"
#include "semente.h"

namespace {

// The bytes of the image that are not erased, as patches of up to 255 bytes.
std::string Remendos(const std::string &imagem)
{
    std::string s;
    size_t i = 0;
    while (i < imagem.size()) {
        if (static_cast<uint8_t>(imagem[i]) == 0xFF) {
            ++i;
            continue;
        }
        size_t n = 0;
        while (i + n < imagem.size() && n < 255 && static_cast<uint8_t>(imagem[i + n]) != 0xFF)
            ++n;
        s += static_cast<char>((i >> 16) & 0xFF);
        s += static_cast<char>((i >> 8) & 0xFF);
        s += static_cast<char>(i & 0xFF);
        s += static_cast<char>(n);
        s += imagem.substr(i, n);
        i += n;
    }
    return s;
}

ConstrutorMF Memoria(unsigned reducoes)
{
    ConstrutorMF c;
    DataMF dia{15, 3, 2007, 14, 25, 1};
    c.Cabecalho("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF")
        .Versao(dia, 1, 0, 2)
        .Dispositivo("MFD0001", 1)
        .Marca(1, 'A')
        .Usuario(dia, 0, "12.345.678/0001-90", "123.456.789.110", "", 1, 0, 1)
        .Codificacao(dia, 0, "ABCDEFGHIJ")
        .Simbolo(dia, 0, "R$")
        .FitaDetalhe(dia, 1, 1, 99)
        .Reinicio(dia, 'A')
        .Aliquota(1, 'T', 1800)
        .Aliquota(2, 'S', 500);
    for (unsigned i = 1; i <= reducoes; ++i) {
        ReducaoMF z;
        z.emissao = {static_cast<unsigned>(1 + i % 28), 4, 2007, 23, 50, 0};
        z.movimento = z.emissao;
        z.crz = static_cast<uint16_t>(i);
        z.vendaBruta = 100000 * i;
        z.coo = 10 * i;
        z.parciais[0] = 5000 * i;
        z.aliquotas[0] = 1;
        z.naoTributados[0] = 300;
        z.ct = 7;
        z.dt = 3;
        c.Reducao(z);
        if (i == 3)
            c.Usuario(z.emissao, static_cast<uint16_t>(i), "98.765.432/0001-10", "987654321", "IM1",
                      2, 123456, 2);
    }
    return c;
}

std::string Entrada(uint8_t opcoes, const std::string &inicio, const std::string &fim,
                    const ConstrutorMF &c, uint8_t tipoFaixa)
{
    std::string arquivo = c.Arquivo(tipoFaixa, 1, 9);
    std::string s(1, static_cast<char>(opcoes));
    s += (inicio + std::string(8, '\0')).substr(0, 8);
    s += (fim + std::string(8, '\0')).substr(0, 8);
    s += arquivo.substr(arquivo.size() - 29);
    return s + Remendos(c.Imagem());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    int n = 0;
    ConstrutorMF poucas = Memoria(5);
    ConstrutorMF muitas = Memoria(40);
    ConstrutorMF estragada = Memoria(8);
    estragada.Estraga(ConstrutorMF::OffsetReducao(2) + 10)
        .Estraga(ConstrutorMF::OffsetReducao(4) + 3, true)
        .Estraga(ConstrutorMF::OffsetUsuario(1) + 5);
    ConstrutorMF vazia;
    for (const ConstrutorMF *c : {&poucas, &muitas, &estragada, &vazia}) {
        for (uint8_t o = 0; o < 4; ++o) {
            if (o & 2)
                GravaSemente(dir, n++, Entrada(o, "1", "30", *c, 1));
            else
                GravaSemente(dir, n++, Entrada(o, "01042007", "30042007", *c, 0));
        }
    }
    GravaSemente(dir, n++, Entrada(0, "3104200", "0", poucas, 3));
    return 0;
}
