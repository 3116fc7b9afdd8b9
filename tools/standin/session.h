// Serves one client connection until it closes, its request asks to close,
// or a fault mode ends it.
#pragma once

#include "routes.h"

namespace standin {

void serveConnection(int fd, Context& ctx);

}  // namespace standin
