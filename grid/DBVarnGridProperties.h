// The database-bound grid in the form-description registry: TDBVarnGrid with its
// published properties (the grid's own come from TVarnGrid's registration).
//
// Including this header registers it before main() in any program that includes
// it (the umbrella header does); the registration lives in a static library and
// would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerDBVarnGridClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnDBVarnGridClassesRegistered = varn::detail::registerDBVarnGridClasses();
}
