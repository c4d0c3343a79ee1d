// The button's class in the form-description registry: TVarnButton with its
// published properties and declared defaults.
//
// Including this header registers it before main() in any program that includes
// it (the umbrella header does); the registration lives in a static library and
// would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerButtonClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnButtonClassesRegistered = varn::detail::registerButtonClasses();
}
