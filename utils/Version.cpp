#include "utils/Version.h"

const char* VarnControlsVersion() { return "0.1.0"; }
