// Temporary stand-ins for modules under construction, with their final
// signatures.  Each is replaced (and deleted here) by its real module.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/korrin_internal.h"

#define STANDIN __attribute__((weak))
