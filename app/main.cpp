#include "app/commandline.h"
#include "app/startup.h"

#ifndef VANDRA_JAPANESE_EDITION
#define VANDRA_JAPANESE_EDITION 0
#endif

int main(int argc, char *argv[])
{
    // Engraving from a script needs no window: decided before any is made.
    if (CommandLine::wanted(argc, argv))
        return CommandLine::run(argc, argv);
    return Startup::run(argc, argv,
                        VANDRA_JAPANESE_EDITION ? Startup::Edition::Japanese
                                                : Startup::Edition::Selectable);
}
