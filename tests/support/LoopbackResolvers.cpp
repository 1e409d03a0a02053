// Linked into every test binary that can reach the spare resolver: before
// any test runs, the resolver list is a dead loopback port, so no test can
// ever query the release default list. Tests that need answers set their own
// loopback responders.
#include "support/DnsResponder.h"

namespace {
const bool kResolversReplaced = [] {
    CDNSThread::SetResolvers({DnsResponder::DeadResolver()});
    return true;
}();
} // namespace
