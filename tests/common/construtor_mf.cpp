// Test builder of fiscal-memory images (see construtor_mf.h).
#include "common/construtor_mf.h"

#include <cstring>

#include "common/util.h"
#include "files/assinatura.h"

uint16_t DataMFCompacta(const DataMF &d)
{
    return static_cast<uint16_t>(((d.ano - 1990) << 9) | (d.mes << 5) | d.dia);
}

uint16_t HoraMFCompacta(const DataMF &d)
{
    return static_cast<uint16_t>((d.verao ? 0x8000 : 0) | (d.hora << 7) | d.minuto);
}

std::string BE(uint64_t valor, unsigned largura)
{
    std::string s(largura, '\0');
    for (unsigned i = 0; i < largura; ++i)
        s[largura - 1 - i] = static_cast<char>((valor >> (8 * i)) & 0xFF);
    return s;
}

std::string Campo(const std::string &texto, size_t largura)
{
    std::string s = texto.substr(0, largura);
    s.resize(largura, ' ');
    return s;
}

static std::string DataHoraBE(const DataMF &d)
{
    return BE(DataMFCompacta(d), 2) + BE(HoraMFCompacta(d), 2);
}

ConstrutorMF::ConstrutorMF() : imagem_(1048576, '\xFF') {}

ConstrutorMF &ConstrutorMF::Registro(size_t offset, size_t tamanho, const std::string &conteudo,
                                     bool copia)
{
    std::string r = conteudo.substr(0, tamanho - 1);
    r.resize(tamanho - 1, '\0');
    unsigned soma = 0;
    for (unsigned char c : r)
        soma += c;
    r.push_back(static_cast<char>(soma & 0xFF));
    imagem_.replace(offset, tamanho, r);
    if (copia)
        imagem_.replace(offset + 43690, tamanho, r);
    return *this;
}

ConstrutorMF &ConstrutorMF::Cabecalho(const std::string &serie, const std::string &marca,
                                      const std::string &modelo, const std::string &tipo)
{
    serie_ = Campo(serie, 20);
    return Registro(256, 312, serie_ + Campo(marca, 20) + Campo(modelo, 20) + Campo(tipo, 7));
}

ConstrutorMF &ConstrutorMF::Versao(const DataMF &d, uint8_t v1, uint8_t v2, uint8_t v3)
{
    std::string r = DataHoraBE(d) + BE(0x1234, 2);
    r += static_cast<char>(v1);
    r += static_cast<char>(v2);
    r += static_cast<char>(v3);
    r += '\0';
    r += static_cast<char>(d.segundo);
    return Registro(896 + 16 * versoes_++, 16, r);
}

ConstrutorMF &ConstrutorMF::Dispositivo(const std::string &serie, uint8_t usuario)
{
    std::string s = serie.substr(0, 20);
    s.resize(20, '\0');
    std::string r = s + BE(1, 2) + BE(2, 2) + BE(3, 2);
    r += static_cast<char>(usuario);
    return Registro(1424 + 32 * dispositivos_++, 32, r);
}

ConstrutorMF &ConstrutorMF::Marca(uint8_t dispositivo, char marca)
{
    std::string r = BE(1, 2) + BE(2, 2) + BE(3, 2);
    r += static_cast<char>(dispositivo);
    r += marca;
    return Registro(1792 + 16 * marcas_++, 16, r);
}

ConstrutorMF &ConstrutorMF::Usuario(const DataMF &d, uint16_t crz, const std::string &cnpj,
                                    const std::string &ie, const std::string &im, uint8_t cro,
                                    uint64_t gt, uint8_t numero)
{
    std::string r = DataHoraBE(d) + BE(crz, 2) + Campo(cnpj, 20) + Campo(ie, 20) + Campo(im, 20);
    r += '\0';
    r += static_cast<char>(cro);
    r += BE(gt, 8);
    r += static_cast<char>(numero);
    r += static_cast<char>(d.segundo);
    return Registro(OffsetUsuario(++usuarios_), 88, r);
}

ConstrutorMF &ConstrutorMF::Codificacao(const DataMF &d, uint16_t crz, const std::string &letras)
{
    std::string r = DataHoraBE(d) + BE(crz, 2) + Campo(letras, 10);
    r += static_cast<char>(d.segundo);
    return Registro(3928 + 24 * codificacoes_++, 24, r);
}

ConstrutorMF &ConstrutorMF::Simbolo(const DataMF &d, uint16_t crz, const std::string &simbolo)
{
    std::string r = DataHoraBE(d) + BE(crz, 2) + std::string(40, 'z') + Campo(simbolo, 4);
    r += static_cast<char>(d.segundo);
    return Registro(4248 + 56 * simbolos_++, 56, r);
}

ConstrutorMF &ConstrutorMF::FitaDetalhe(const DataMF &d, uint8_t usuario, uint32_t cooInicial,
                                        uint32_t cooFinal)
{
    std::string r = DataHoraBE(d) + BE(7, 2);
    r += static_cast<char>(usuario);
    r += BE(cooInicial, 3) + BE(cooFinal, 3);
    r += static_cast<char>(d.segundo);
    return Registro(5072 + 16 * fitas_++, 16, r);
}

ConstrutorMF &ConstrutorMF::Reinicio(const DataMF &d, uint8_t marca)
{
    std::string r = DataHoraBE(d) + BE(9, 2);
    r += static_cast<char>(marca);
    r += static_cast<char>(d.segundo);
    return Registro(21104 + 16 * reinicios_++, 16, r);
}

ConstrutorMF &ConstrutorMF::Aliquota(unsigned numero, char tipo, uint16_t valor)
{
    std::string r = BE(0x55, 2);
    r += tipo;
    r += BE(valor, 2);
    return Registro(24320 + 8 * numero, 8, r);
}

ConstrutorMF &ConstrutorMF::Reducao(const ReducaoMF &z, unsigned slot)
{
    if (slot == 0)
        slot = ++reducoes_;
    std::string r = DataHoraBE(z.emissao) + BE(z.crz, 2) + BE(DataMFCompacta(z.movimento), 2) +
                    BE(z.vendaBruta, 6) + BE(z.coo, 4);
    r += static_cast<char>(z.cro);
    r += BE(z.contador19, 3) + BE(z.gnf, 3) + BE(z.contador25, 3) + BE(z.contador28, 2);
    for (uint64_t v : z.parciais)
        r += BE(v, 6);
    for (uint64_t v : z.naoTributados)
        r += BE(v, 6);
    for (uint64_t v : {z.ct, z.cs, z.co, z.dt, z.ds, z.dO, z.at, z.as, z.ao, z.on})
        r += BE(v, 6);
    for (uint8_t a : z.aliquotas)
        r += static_cast<char>(a);
    r += static_cast<char>(z.emissao.segundo);
    r += static_cast<char>(z.indicador);
    return Registro(OffsetReducao(slot), 280, r, false);
}

ConstrutorMF &ConstrutorMF::Estraga(size_t offset, bool tambemCopia)
{
    imagem_[offset] = static_cast<char>(imagem_[offset] ^ 0x5A);
    if (tambemCopia)
        imagem_[offset + 43690] = static_cast<char>(imagem_[offset + 43690] ^ 0x5A);
    return *this;
}

std::string ConstrutorMF::Arquivo(uint8_t tipoFaixa, uint32_t inicio, uint32_t fim) const
{
    std::string p = serie_.empty() ? std::string(20, ' ') : serie_;
    p += static_cast<char>(tipoFaixa);
    std::string limites(8, ' ');
    auto le = [](uint64_t v, unsigned n) {
        std::string s(n, '\0');
        for (unsigned i = 0; i < n; ++i)
            s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    if (tipoFaixa == 0 || tipoFaixa == 1)
        limites = le(inicio, 2) + le(fim, 2) + "    ";
    else if (tipoFaixa == 2)
        limites = le(inicio, 4) + le(fim, 4);
    return imagem_ + p + limites;
}

void ConstrutorMF::Grava(const std::string &caminho, uint8_t tipoFaixa, uint32_t inicio,
                         uint32_t fim) const
{
    GravaArquivo(caminho, Arquivo(tipoFaixa, inicio, fim));
    AppendSignatureLine(caminho.c_str());
}

ConstrutorMF MemoriaSimples(unsigned reducoes, uint32_t passoCoo, unsigned primeiroDia)
{
    ConstrutorMF mf;
    mf.Cabecalho("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF");
    mf.Versao({2, 1, 2007, 8, 0, 0}, 1, 0, 2);
    mf.Usuario({2, 1, 2007, 9, 0, 30}, 0, "12.345.678/0001-90", "123.456.789.110", "", 1, 0, 1);
    for (unsigned n = 1; n <= reducoes; ++n) {
        ReducaoMF z;
        z.crz = static_cast<uint16_t>(n);
        z.coo = passoCoo * n;
        z.emissao = {primeiroDia + n - 1, 3, 2007, 23, 0, 0};
        z.movimento = {primeiroDia + n - 1, 3, 2007, 0, 0, 0};
        mf.Reducao(z);
    }
    return mf;
}
