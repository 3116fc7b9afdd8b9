// A test seam of the curl layer only. The hook runs on the requesting thread
// once a request's connection is made and before the request goes out, so a
// test can accept that connection on its own loopback listener and write a
// raw response into it, with no server thread. Tests that must not see one
// another's cookies can empty the process-wide store between requests.
#pragma once

namespace lj::net::seam {

using ConnectedHook = void (*)(void* context);

// Applies to requests from now on; a null hook removes it.
void setConnectedHook(ConnectedHook hook, void* context);

// Forgets every cookie the layer holds.
void clearCookies();

}  // namespace lj::net::seam
