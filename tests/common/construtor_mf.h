// Test builder of fiscal-memory images: composes a 1 MiB image record by
// record (big-endian fields, checksums, backup copies 43690 bytes further
// on), lists filled slot by slot, reductions in their slots, damage on
// demand, and the downloaded file around it (download parameter record and
// "EAD" line).  Every byte is placed here from the image layout, not by the
// library's readers.
#ifndef TALVOR_TESTS_CONSTRUTOR_MF_H
#define TALVOR_TESTS_CONSTRUTOR_MF_H

#include <cstdint>
#include <string>

// Date and time of a record: packed date, packed time, seconds byte.
struct DataMF {
    unsigned dia, mes, ano, hora, minuto, segundo;
    bool verao = false;
};
uint16_t DataMFCompacta(const DataMF &d);
uint16_t HoraMFCompacta(const DataMF &d);

struct ReducaoMF {
    DataMF emissao{1, 1, 2007, 0, 0, 0};
    uint16_t crz = 0;
    DataMF movimento{1, 1, 2007, 0, 0, 0};
    uint64_t vendaBruta = 0;
    uint32_t coo = 0;
    uint8_t cro = 1;
    uint32_t contador19 = 0, gnf = 0, contador25 = 0;
    uint16_t contador28 = 0;
    uint64_t parciais[16] = {};
    uint8_t aliquotas[16] = {};
    uint64_t naoTributados[12] = {};   // F1 F2 I1 I2 N1 N2 FS1 FS2 IS1 IS2 NS1 NS2
    uint64_t ct = 0, cs = 0, co = 0, dt = 0, ds = 0, dO = 0, at = 0, as = 0, ao = 0, on = 0;
    uint8_t indicador = 0;
    // Partial total i and the rate it is kept under.
    ReducaoMF &Parcial(unsigned i, uint64_t valor, uint8_t aliquota)
    {
        parciais[i] = valor;
        aliquotas[i] = aliquota;
        return *this;
    }
};

class ConstrutorMF {
public:
    ConstrutorMF();

    // A record of `tamanho` bytes at the offset: the content (without its
    // checksum byte), padded with zeros, the checksum last; and its backup.
    ConstrutorMF &Registro(size_t offset, size_t tamanho, const std::string &conteudo,
                           bool copia = true);

    ConstrutorMF &Cabecalho(const std::string &serie, const std::string &marca,
                            const std::string &modelo, const std::string &tipo);
    ConstrutorMF &Versao(const DataMF &d, uint8_t v1, uint8_t v2, uint8_t v3);
    ConstrutorMF &Dispositivo(const std::string &serie, uint8_t usuario);
    ConstrutorMF &Marca(uint8_t dispositivo, char marca);
    ConstrutorMF &Usuario(const DataMF &d, uint16_t crz, const std::string &cnpj,
                          const std::string &ie, const std::string &im, uint8_t cro,
                          uint64_t gt, uint8_t numero);
    ConstrutorMF &Codificacao(const DataMF &d, uint16_t crz, const std::string &letras);
    ConstrutorMF &Simbolo(const DataMF &d, uint16_t crz, const std::string &simbolo);
    ConstrutorMF &FitaDetalhe(const DataMF &d, uint8_t usuario, uint32_t cooInicial,
                              uint32_t cooFinal);
    ConstrutorMF &Reinicio(const DataMF &d, uint8_t marca);
    ConstrutorMF &Aliquota(unsigned numero, char tipo, uint16_t valor);
    // The reduction in the next slot (or in slot `slot` when given).
    ConstrutorMF &Reducao(const ReducaoMF &z, unsigned slot = 0);

    // Offsets of list slots (n from 1), for damage and raw writes.
    static size_t OffsetUsuario(unsigned n) { return 2056 + 88 * (n - 1); }
    static size_t OffsetReducao(unsigned n) { return 87680 + 280 * (n - 1); }

    // Flips a byte of the primary copy (and of the backup when asked).
    ConstrutorMF &Estraga(size_t offset, bool tambemCopia = false);
    ConstrutorMF &Byte(size_t offset, uint8_t valor) { imagem_[offset] = static_cast<char>(valor); return *this; }

    const std::string &Imagem() const { return imagem_; }
    // Image, then the 29-byte parameter record (identification from the
    // header's serial number, kind, bounds little-endian, unused bytes spaces).
    std::string Arquivo(uint8_t tipoFaixa = 3, uint32_t inicio = 0, uint32_t fim = 0) const;
    // Writes Arquivo() and appends the "EAD" line.
    void Grava(const std::string &caminho, uint8_t tipoFaixa = 3, uint32_t inicio = 0,
               uint32_t fim = 0) const;

private:
    std::string imagem_;
    std::string serie_;
    unsigned versoes_ = 0, dispositivos_ = 0, marcas_ = 0, usuarios_ = 0, codificacoes_ = 0,
             simbolos_ = 0, fitas_ = 0, reinicios_ = 0, reducoes_ = 0;
};

// The fiscal memory of "TV0123456789" with one version, user 1 and
// reducoes reductions: CRZ n has COO passoCoo * n and was issued at 23:00
// on day primeiroDia + n - 1 of March 2007.
ConstrutorMF MemoriaSimples(unsigned reducoes, uint32_t passoCoo, unsigned primeiroDia);

// Big-endian bytes of a number.
std::string BE(uint64_t valor, unsigned largura);
// A text cut or padded with spaces to the width.
std::string Campo(const std::string &texto, size_t largura);

#endif
