// The PNGs this process's encoder made and that are still alive. Their bytes
// cannot change (NSData is immutable) and are whole by construction, so the
// photo library need not inflate them again to know they decode: for a
// picture saved from the messaging app that is a tenth of the save.
#pragma once

#include "platform/foundation/NSData.h"

namespace imageio::detail {

void rememberOwnEncoding(const foundation::NSDataRef& png);
// True only for a buffer encodePNG returned; a copy of its bytes is not one.
bool isOwnEncoding(const foundation::NSDataRef& data);

}  // namespace imageio::detail
