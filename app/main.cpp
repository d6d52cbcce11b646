#include "app/startup.h"

#ifndef VANDRA_JAPANESE_EDITION
#define VANDRA_JAPANESE_EDITION 0
#endif

int main(int argc, char *argv[])
{
    return Startup::run(argc, argv,
                        VANDRA_JAPANESE_EDITION ? Startup::Edition::Japanese
                                                : Startup::Edition::Selectable);
}
