// The rich-text box's class in the form-description registry, with its published
// properties and declared defaults.
//
// Including this header registers it before main() in any program that includes it
// (the umbrella header does); the registration lives in a static library and would
// otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerVarnRichEditClass();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnRichEditClassRegistered = varn::detail::registerVarnRichEditClass();
}
