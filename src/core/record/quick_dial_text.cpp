// The quick-dial replies as text: plain C++, shared with the simulator.
#include "core/record/quick_dial_text.h"

namespace omniset {

std::string parseQuickDialReply(std::string_view reply) {
    // The reply starts with the device's echo of the query, as long as any query.
    const std::size_t echo = kx220::quickDialQuery(0).size();
    return quickDialDigits(reply.size() > echo ? reply.substr(echo) : std::string_view());
}

std::string quickDialDigits(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9') out.push_back(c);
    return out;
}

} // namespace omniset
