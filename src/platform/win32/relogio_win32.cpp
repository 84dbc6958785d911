// Clocks and sleeping on Windows.
#include "platform/plataforma.h"

#include <windows.h>

void LeRelogioLocal(RelogioLocal *r)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    TIME_ZONE_INFORMATION tz;
    DWORD modo = GetTimeZoneInformation(&tz);
    r->ano = st.wYear;
    r->mes = st.wMonth;
    r->dia = st.wDay;
    r->hora = st.wHour;
    r->minuto = st.wMinute;
    r->segundo = st.wSecond;
    r->verao = modo == TIME_ZONE_ID_DAYLIGHT ? 1 : 0;
}

uint64_t RelogioUtcMs()
{
    SYSTEMTIME st;
    FILETIME ft;
    GetSystemTime(&st);
    SystemTimeToFileTime(&st, &ft);
    uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return t / 10000ULL;
}

int64_t RelogioSegundos()
{
    return static_cast<int64_t>(RelogioUtcMs() / 1000ULL) - 11644473600LL;
}

uint64_t RelogioMonotonicoMs()
{
    return GetTickCount64();
}

void DormeMs(unsigned ms)
{
    Sleep(ms);
}
