// Runs a few independent parts of one job at once: the first on the calling
// thread, each other one on a thread of its own, all joined before returning.
#pragma once

#include <thread>
#include <vector>

namespace imageio::detail {

template <typename Part>
void runConcurrently(unsigned parts, const Part& part) {
    std::vector<std::jthread> helpers;
    helpers.reserve(parts > 0 ? parts - 1 : 0);
    for (unsigned index = 1; index < parts; ++index) helpers.emplace_back([&part, index] { part(index); });
    if (parts > 0) part(0u);
}

}  // namespace imageio::detail
