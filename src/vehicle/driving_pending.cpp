// Temporary bodies of driving functions that other files call before their
// own files exist. Each is removed when the real one is built.
#include "vehicle/local.h"

