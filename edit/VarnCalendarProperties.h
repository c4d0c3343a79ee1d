// The calendar's class in the form-description registry, with its published
// properties and declared defaults.
//
// Including this header registers it before main() in any program that includes
// it (the umbrella header does), so that a form description naming TVarnCalendar
// can be read; the registration lives in a static library and would otherwise not
// be linked.
#pragma once

namespace varn::detail {
bool registerCalendarClasses();  // idempotent
}

namespace {
[[maybe_unused]] const bool varnCalendarClassesRegistered = varn::detail::registerCalendarClasses();
}
