// Dates, which libplist 2.2 keeps as a double of seconds since the reference
// date but hands out and takes in only as 32-bit whole seconds, so that a date
// before 1933 or after 2069 came back as 1932-12-13 20:45:52. These go through
// the binary encoding instead, whose date is the double itself, fixed by the
// format.
#pragma once

#include <plist/plist.h>

namespace foundation::detail {

// The date of a PLIST_DATE node, to the last bit of the double.
double dateNodeSeconds(plist_t node);
// A new PLIST_DATE node of exactly this many seconds since the reference date.
plist_t newDateNode(double secondsSinceReferenceDate);

}  // namespace foundation::detail
