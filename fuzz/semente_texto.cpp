// Writes the seed corpus of the text-parser fuzz target: valid and invalid
// dates and counters for each range kind, and decimal and hexadecimal
// numbers of several widths, some with blanks and overflowing values.
#include <cstdio>
#include <string>

#include "semente.h"

namespace {

std::string Entrada(char tipo, char d, char flags, const std::string &inicio,
                    const std::string &fim, const std::string &numero)
{
    return std::string{tipo, d, flags} + inicio + std::string(1, '\0') + fim +
           std::string(1, '\0') + numero;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    int n = 0;
    GravaSemente(dir, n++, Entrada(0, 1, 0, "01012007", "31122007", "123"));
    GravaSemente(dir, n++, Entrada(0, 3, 0, "29022008", "28022008", "  4567"));
    GravaSemente(dir, n++, Entrada(0, 0, 0, "30022007", "0101200", "999"));
    GravaSemente(dir, n++, Entrada(0, 7, 0, "0101 007", "x", "18446744073709551615"));
    GravaSemente(dir, n++, Entrada(1, 1, 0, "1", "2555", "65535"));
    GravaSemente(dir, n++, Entrada(1, 1, 0, "  -12", "+99999", "65536"));
    GravaSemente(dir, n++, Entrada(2, 3, 8, "1", "999999", "FFFFFFFF"));
    GravaSemente(dir, n++, Entrada(2, 15, 8, "4294967296", "-2147483649", "deadBEEF01234567"));
    GravaSemente(dir, n++, Entrada(3, 5, 0, "", "", ""));
    GravaSemente(dir, n++, Entrada(0x12, 2, 0x40, "31122099", "01011990", "1 2"));
    return 0;
}
