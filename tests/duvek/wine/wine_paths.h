// Paths handed in by the test's environment, as Windows paths.
#ifndef DUVEK_WINE_PATHS_H
#define DUVEK_WINE_PATHS_H

#include <string>

// The value of an environment variable holding a host path, turned into the
// Windows path Wine maps it to (Z: is the host's root); empty when unset.
std::string hostPathFromEnv(const char *variable);
// The folder of one stand-in variant, e.g. "dvglow_complete".
std::string variantDir(const char *variant);

#endif
