// Makes the certificate of a test's HTTPS server one that verifies, as a real site's does.
#pragma once

namespace kelvane::test {

// From now on, the processes that this thread starts (the web engine's network process
// among them) trust the certificate that the server at 127.0.0.1:`port` shows: in a mount
// namespace of this thread's own, it joins the system's certificate authorities. Needs
// root; false where it could not be done. Call before the engine starts its processes.
bool trust_certificate_of(int port);

}  // namespace kelvane::test
