// The program's version, the one place it is written: the version resource, the About box and the
// release packages (scripts/package.sh reads the three numbers below) all take it from here.
// Included by C++ and by the resource compiler, so only preprocessor definitions.
#pragma once

#define LUMAVEX_VERSION_MAJOR 1
#define LUMAVEX_VERSION_MINOR 0
#define LUMAVEX_VERSION_PATCH 0

#define LUMAVEX_STRINGIZE2(x) #x
#define LUMAVEX_STRINGIZE(x) LUMAVEX_STRINGIZE2(x)
// "1.0", as the About box shows it.
#define LUMAVEX_VERSION_SHORT LUMAVEX_STRINGIZE(LUMAVEX_VERSION_MAJOR) "." LUMAVEX_STRINGIZE(LUMAVEX_VERSION_MINOR)
// "1.0.0", the file and product version.
#define LUMAVEX_VERSION_STRING LUMAVEX_VERSION_SHORT "." LUMAVEX_STRINGIZE(LUMAVEX_VERSION_PATCH)
