// The tabbed container's classes in the form-description registry: TVarnPage,
// TVarnTabbed and TVarnTabButtons with their published properties and declared
// defaults.
//
// Including this header registers them before main() in any program that includes
// it (the umbrella header does); the registration lives in a static library and
// would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerTabbedClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnTabbedClassesRegistered = varn::detail::registerTabbedClasses();
}
