// The grid's classes in the form-description registry: TVarnGrid, TVGColumn,
// TFontAttr and TFontAttrs with their published properties and declared defaults.
//
// Including this header registers them before main() in any program that includes
// it (the umbrella header does), so that a form description naming TVarnGrid can be
// read; the registration lives in a static library and would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerGridClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnGridClassesRegistered = varn::detail::registerGridClasses();
}
