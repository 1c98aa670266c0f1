#pragma once
// Waiting for a state that another thread or process brings about, instead of
// sleeping for a time and hoping it came.

#include <chrono>
#include <functional>
#include <string>

namespace qz::test {

// Polls pred every few milliseconds until it holds or limit has passed;
// returns pred's last answer.
bool PollUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// True while a flock request on path is queued behind another holder, as the
// kernel lists it in /proc/locks: a thread or process blocked in that lock.
bool SomeoneWaitsForFlockOn(const std::string& path);

// How many descriptors of this process are open on the file at path, as
// /proc/self/fd lists them: a thread that retries a lock without blocking in
// the kernel shows that it has reached the lock by holding the file open.
int OpenDescriptorsOn(const std::string& path);

}  // namespace qz::test
