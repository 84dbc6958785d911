// Writes the seed corpus of the text-parser fuzz target: valid and invalid
// dates and counters for each range kind, and decimal and hexadecimal
// numbers of several widths, some with blanks and overflowing values.
#include <cstdio>
#include <string>

#include "semente.h"

namespace {

// Range kind, digits, number flags, start, end, number.
const struct {
    char tipo, d, flags;
    const char *inicio, *fim, *numero;
} kEntradas[] = {
    {0, 1, 0, "01012007", "31122007", "123"},
    {0, 3, 0, "29022008", "28022008", "  4567"},
    {0, 0, 0, "30022007", "0101200", "999"},
    {0, 7, 0, "0101 007", "x", "18446744073709551615"},
    {1, 1, 0, "1", "2555", "65535"},
    {1, 1, 0, "  -12", "+99999", "65536"},
    {2, 3, 8, "1", "999999", "FFFFFFFF"},
    {2, 15, 8, "4294967296", "-2147483649", "deadBEEF01234567"},
    {3, 5, 0, "", "", ""},
    {0x12, 2, 0x40, "31122099", "01011990", "1 2"},
};

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    int n = 0;
    for (const auto &e : kEntradas)
        GravaSemente(argv[1], n++,
                     std::string{e.tipo, e.d, e.flags} + e.inicio + std::string(1, '\0') + e.fim +
                         std::string(1, '\0') + e.numero);
    return 0;
}
