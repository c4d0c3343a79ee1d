// The library's tests use the harness that is installed for applications.
#pragma once

#include <VarnControls/Testing.h>
