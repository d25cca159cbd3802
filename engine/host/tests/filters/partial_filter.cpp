// A filter library for tests that exports filterMessage alone. It passes the text through
// unchanged in a buffer of its own, which it keeps until the next call (there is no
// freeFilterMessage to give it back through).

#include <string>

namespace {

std::string g_result;

}  // namespace

extern "C" const char* filterMessage(const char* message) {
    g_result = message ? message : "";
    return g_result.c_str();
}
