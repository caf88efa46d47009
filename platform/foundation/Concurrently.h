// Runs a few independent parts of one job at once: the first on the calling
// thread, each other one on a thread of its own, all joined before returning.
// A part whose thread cannot be started (the process is out of threads or of
// address space) runs on the calling thread after the first, so the job still
// finishes; an exception thrown by any part reaches the caller once every part
// has stopped, instead of ending the process from a helper thread.
#pragma once

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace foundation {

template <typename Part>
void runConcurrently(unsigned parts, const Part& part) {
    std::mutex failing;
    std::exception_ptr failure;
    auto guarded = [&](unsigned index) {
        try {
            part(index);
        } catch (...) {
            std::lock_guard lock(failing);
            if (!failure) failure = std::current_exception();
        }
    };
    std::vector<unsigned> notStarted;
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(parts > 0 ? parts - 1 : 0);
        for (unsigned index = 1; index < parts; ++index) {
            try {
                helpers.emplace_back([&guarded, index] { guarded(index); });
            } catch (const std::system_error&) {
                notStarted.push_back(index);
            }
        }
        if (parts > 0) guarded(0u);
        for (unsigned index : notStarted) guarded(index);
    }  // joins the helpers
    if (failure) std::rethrow_exception(failure);
}

}  // namespace foundation
