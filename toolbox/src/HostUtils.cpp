#include "HostUtils.h"

#include "Dialogs.h"

#include <cstdio>

void ShowAbout(std::int16_t dialogID) {
    std::fprintf(stderr, "about %d\n", dialogID);
}
