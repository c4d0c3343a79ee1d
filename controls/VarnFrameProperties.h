// The frame's and the label's classes in the form-description registry:
// TVarnFrame and TVarnLabel with their published properties and declared defaults.
//
// Including this header registers them before main() in any program that includes
// it (the umbrella header does); the registration lives in a static library and
// would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerFrameClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnFrameClassesRegistered = varn::detail::registerFrameClasses();
}
