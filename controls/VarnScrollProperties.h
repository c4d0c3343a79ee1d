// The scroll bar's classes in the form-description registry: TVarnScroll_base and
// TVarnScroll with its published properties and declared defaults.
//
// Including this header registers them before main() in any program that includes
// it (the umbrella header does), so that a form description naming TVarnScroll can
// be read; the registration lives in a static library and would otherwise not be linked.
#pragma once

namespace varn::detail {
bool registerScrollClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnScrollClassesRegistered = varn::detail::registerScrollClasses();
}
